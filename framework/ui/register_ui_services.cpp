#include "framework/ui/register_ui_services.h"

#include "framework/core/ui_services.h"
#include "framework/image/element_image_services.h"
#include "framework/ui/canvas.h"
#include "framework/ui/co_element.h"
#include "framework/ui/console.h"
#include "framework/ui/element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/rm_element.h"
#include "framework/ui/rs_element.h"
#include "framework/ui/tx_element.h"

namespace {

const SElementClass kClasses[] = {
    {"CElement", &CElement::RegisterType, &CElement::UnregisterType},
    {"CCoElement", &CCoElement::RegisterType, &CCoElement::UnregisterType},
    {"CImElement", &CImElement::RegisterType, &CImElement::UnregisterType},
    {"CTxElement", &CTxElement::RegisterType, &CTxElement::UnregisterType},
    {"CRmElement", &CRmElement::RegisterType, &CRmElement::UnregisterType},
    {"CRsElement", &CRsElement::RegisterType, &CRsElement::UnregisterType},
};

const SElementClass* ElementClasses(uint32_t* count) {
  *count = uint32_t(sizeof kClasses / sizeof kClasses[0]);
  return kClasses;
}

CDesktopConsole* NewConsole(uint32_t lineWidth, uint32_t lineCount, const SRect& frame, uint32_t style,
                            const uint32_t* textColor, const uint32_t* color, int32_t priority) {
  CImVector text, background;
  if (textColor) text.value = *textColor;
  if (color) background.value = *color;
  return new CConsole(lineWidth, lineCount, frame, false, style, textColor ? &text : nullptr,
                      color ? &background : nullptr, priority);
}

constexpr SUiServices kUiServices = {
    &CCanvas::RegisterClass,
    &CCanvas::UnregisterClass,
    &ElementClasses,
    [](const CElement* element) { return element->GetOwner() != nullptr; },
    [](CElement* element, CExSystem* owner) { return element->SetOwner(owner); },
    [](CElement* element, CExSystem* owner) { return element->ClearOwner(owner); },
    [](const CElement* element) { return element->GetParent() != nullptr; },
    [](CElement* parent, CElement* child, uint32_t classData, int32_t orderKey, uint32_t extra,
       const SDynTableLayout& container) { return parent->AddChild(child, classData, orderKey, extra, container); },
    [](CElement* element) { delete element; },
    [](const CElement* element) { return element->GetName(); },
    &NewConsole,
};

constexpr SElementImageServices kElementImageServices = {&CImElement::LoadSharedImage, &CImElement::LoadImageCopy};

}  // namespace

void RegisterUiServices() {
  SetUiServices(&kUiServices);
  SetElementImageServices(&kElementImageServices);
}
