#include "framework/ui/element_types.h"

#include "framework/core/appl.h"
#include "framework/core/el_registry.h"
#include "framework/core/result_codes.h"
#include "framework/core/ui_services.h"
#include "framework/image/element_image_services.h"
#include "framework/ui/co_element.h"
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

}  // namespace

bool RegisterElementFactory(const char* tag, CFCallback factory) {
  CAppl* app = GetApplication();
  return app && app->GetElementRegistry() && app->GetElementRegistry()->Register(tag, factory);
}

bool UnregisterElementFactory(const char* tag) {
  CAppl* app = GetApplication();
  return app && app->GetElementRegistry() && app->GetElementRegistry()->Unregister(tag);
}

// ---- what the framework core and the image lists call

bool ElementHasOwner(const CElement* element) { return element->GetOwner() != nullptr; }
int32_t AttachElement(CElement* element, CExSystem* owner) { return element->SetOwner(owner); }
int32_t DetachElement(CElement* element, CExSystem* owner) { return element->ClearOwner(owner); }
bool IsElementPlaced(const CElement* element) { return element->GetParent() != nullptr; }
int32_t AddChildElement(CElement* parent, CElement* child, uint32_t classData, int32_t orderKey, uint32_t extra,
                        const SDynTableLayout& container) {
  return parent->AddChild(child, classData, orderKey, extra, container);
}
void DeleteElement(CElement* element) { delete element; }
const char* GetElementName(const CElement* element) { return element->GetName(); }

int32_t LoadElementImageFile(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec) {
  return CImElement::LoadSharedImage(image, grid, spec);
}
int32_t LoadElementImageFromResource(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec) {
  return CImElement::LoadImageCopy(image, grid, spec);
}

const SElementClass* GetElementClasses(uint32_t* count) {
  *count = uint32_t(sizeof kClasses / sizeof kClasses[0]);
  return kClasses;
}
