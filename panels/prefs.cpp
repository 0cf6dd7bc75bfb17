#include "panels/prefs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "document/prefs_file.h"
#include "framework/core/appl.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "platform/clock.h"
#include "platform/system.h"

namespace {

constexpr uint32_t kNamedMessage = 0;
constexpr double kBytesPerMiB = 1048576.0;
constexpr int64_t kPollMs = 5;

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

void Light(CImElement* element, bool lit) {
  if (element) element->SetOpacity(lit ? 1.0f : 0.0f, true);
}

std::string MiB(double bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1fM", bytes / kBytesPerMiB);
  return text;
}

// What the program's three pools have given out.
double BytesInUse() {
  double used = 0;
  for (CMemPool* pool : {GetDefaultPool(), GetDataPool(), GetObjectPool()}) {
    if (pool) used += double(pool->GetBudget() - pool->GetFreeBytes());
  }
  return used;
}

}  // namespace

CPrefs::CPrefs(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kPrefs.canvas) {}

int32_t CPrefs::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElement(need::kPrefs.ok.name, &UIHostPressButton, nullptr, &UIHostOnReturnKeyAlpha);
  BindElement(need::kPrefs.cancel.name, &UIHostPressButton, nullptr, &UIHostOnEscapeKeyAlpha);
  for (uint32_t i = 0; i < need::kPrefsControlCount; ++i) {
    CElement* found = nullptr;
    BindElementRef(need::kPrefsControls[i].name, &found, &UIHostPostElementMessage, nullptr, nullptr);
    fControls[i] = dynamic_cast<CImElement*>(found);
  }
  CElement* percent = nullptr;
  BindElementRef(need::kPrefsReadouts[need::kPercentUsed].name, &percent, &UIHostPostElementMessage, nullptr, nullptr);
  fReadouts[need::kPercentUsed] = dynamic_cast<CTxElement*>(percent);
  for (need::EPrefsReadout readout : {need::kTotalRam, need::kCurrentRam}) {
    CElement* found = nullptr;
    CElSystem::FindByName(GetRoot(), need::kPrefsReadouts[readout].name, &found);
    fReadouts[readout] = dynamic_cast<CTxElement*>(found);
  }
  return kNoErr;
}

int32_t CPrefs::Open() {
  const CPrefsFile prefs;
  if (prefs.IsRead()) {
    fStartUpMode = prefs.GetWord(kStartUpModeOffset);
    fPlacement = prefs.GetWord(kPlacementOffset);
    fImageWithScene = prefs.GetWord(kImageWithSceneOffset);
    fMemoryPercent = prefs.GetWord(kMemoryPercentOffset);
  }
  ShowChoices();
  SetFieldText(fReadouts[need::kTotalRam], MiB(double(platform::PhysicalMemoryBytes())).c_str(), false);
  ShowPercent(false);
  SetFieldText(fReadouts[need::kCurrentRam], MiB(BytesInUse()).c_str(), false);
  return kNoErr;
}

void CPrefs::ShowChoices() {
  Light(fControls[need::kPrevState], fStartUpMode == 1);
  Light(fControls[need::kDefState], fStartUpMode == 0);
  Light(fControls[need::kImageWithScene], fImageWithScene == 1);
  Light(fControls[need::kObjsInView], fPlacement == 1);
  Light(fControls[need::kObjsInWorldCenter], fPlacement == 0);
}

void CPrefs::ShowPercent(bool redraw) {
  char text[16];
  std::snprintf(text, sizeof text, "%ld%%", long(fMemoryPercent));
  SetFieldText(fReadouts[need::kPercentUsed], text, redraw);
}

int32_t CPrefs::SetFieldText(CTxElement* element, const char* text, bool redraw) {
  if (!element) return kErrObjectNotFound;
  char* copy = CTxElement::NewText(text, std::strlen(text) + 1);
  if (!copy) return kErrOutOfMemory;
  if (const int32_t err = element->SetText(copy, true, false)) {
    if (element->GetText() != copy) CTxElement::FreeText(copy);
    return err;
  }
  SRect measured{};
  if (const STextStyle* style = element->GetStyle()) style->GetTextRect(&measured, copy, SFontPoint{});
  const SRect& rect = element->GetRect();
  const float h = float(RectWidth(rect) - RectWidth(measured)) / 2 - float(measured.left);
  const float v = float(RectHeight(rect) - RectHeight(measured)) / 2 - float(measured.top);
  const int32_t err = element->SetPosition({h, v}, false);
  if (redraw) element->Redraw();
  return err;
}

// ---- messages

int32_t CPrefs::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const bool own = Is(message->canvasName, need::kPrefs.canvas.name);
  if (message->kind == kNamedMessage && Is(message->elementName, need::kPrefs.canvas.name) && !own) {
    // Once shown, a second request would raise the modal level that only one close lowers again.
    if (IsShown()) {
      Activate();
      return kHandled;
    }
    if (const int32_t err = BuildOnce()) return err;
    Refresh(false);
    return kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind == kNamedMessage && own) HandleOwnMessage(*message);
  return CLayoutHostCanvas::HandleEvent(message);
}

int32_t CPrefs::HandleOwnMessage(const CUIMessage& message) {
  const char* name = message.elementName;
  const auto choose = [this](int32_t* field, int32_t value, need::EPrefsControl on, need::EPrefsControl off) {
    *field = value;
    Light(fControls[on], true);
    Light(fControls[off], false);
  };
  if (Is(name, need::kPrefs.ok.name)) {
    Close();
    if (WritePrefs() != kNoErr) {
      if (CAppl* app = GetApplication()) app->TellError(kErrGeneric);
    }
  } else if (Is(name, need::kPrefs.cancel.name)) {
    Close();
  } else if (Is(name, need::kPrefsControls[need::kPrevState].name)) {
    choose(&fStartUpMode, 1, need::kPrevState, need::kDefState);
  } else if (Is(name, need::kPrefsControls[need::kDefState].name)) {
    choose(&fStartUpMode, 0, need::kDefState, need::kPrevState);
  } else if (Is(name, need::kPrefsControls[need::kImageWithScene].name)) {
    CImElement* element = fControls[need::kImageWithScene];
    fImageWithScene = element && element->GetOpacity() == 0.0f ? 1 : 0;
    Light(element, fImageWithScene == 1);
  } else if (Is(name, need::kPrefsControls[need::kObjsInView].name)) {
    choose(&fPlacement, 1, need::kObjsInView, need::kObjsInWorldCenter);
  } else if (Is(name, need::kPrefsControls[need::kObjsInWorldCenter].name)) {
    choose(&fPlacement, 0, need::kObjsInWorldCenter, need::kObjsInView);
  } else if (Is(name, need::kPrefsReadouts[need::kPercentUsed].name)) {
    DragPercent();
  } else if (Is(name, need::kPrefsControls[need::kPercentArrows].name)) {
    StepPercent(message.secondPoint);
  }
  return kNoErr;
}

int32_t CPrefs::WritePrefs() {
  CPrefsFile prefs;
  prefs.SetWord(kStartUpModeOffset, fStartUpMode);
  prefs.SetWord(kPlacementOffset, fPlacement);
  prefs.SetWord(kImageWithSceneOffset, fImageWithScene);
  prefs.SetWord(kMemoryPercentOffset, fMemoryPercent);
  return prefs.Write() ? kNoErr : kErrGeneric;
}

void CPrefs::DragPercent() {
  CAppl* app = GetApplication();
  CTxElement* field = fReadouts[need::kPercentUsed];
  if (!app || !field) return;
  bool first = true;
  int32_t previous = 0;
  while (app->IsStillDown()) {
    const platform::SPoint cursor = app->GetCursorPos();
    SPointHV local;
    field->RootToLocalPoint(&local, {cursor.x, cursor.y});
    if (!first && local.v != previous) {
      fMemoryPercent = std::clamp(fMemoryPercent + previous - local.v, kMinPercent, kMaxPercent);
      ShowPercent(true);
    }
    first = false;
    previous = local.v;
    platform::SleepMs(kPollMs);
  }
}

void CPrefs::StepPercent(SPointHV press) {
  CAppl* app = GetApplication();
  CImElement* arrows = fControls[need::kPercentArrows];
  if (!app || !arrows) return;
  const int32_t step = press.v < RectHeight(arrows->GetRect()) / 2 ? 1 : -1;
  const auto stepOnce = [&] {
    fMemoryPercent = std::clamp(fMemoryPercent + step, kMinPercent, kMaxPercent);
    ShowPercent(true);
  };
  stepOnce();
  CTimer repeat;
  repeat.Start();
  while (app->IsStillDown()) {
    if (repeat.ElapsedTicks() >= kRepeatTicks) {
      stepOnce();
      repeat.Start();
    }
    platform::SleepMs(kPollMs);
  }
}
