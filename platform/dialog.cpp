#include "platform/dialog.h"

#include <algorithm>
#include <map>

#include "platform/dialog_internal.h"
#include "platform/dialog_template.h"
#include "platform/errors.h"
#include "platform/gdi.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

struct SDialog {
  DialogProc procedure = nullptr;
  bool modal = false;
  bool ended = false;
  intptr_t result = 0;
  GdiObject font = nullptr;
  std::vector<std::pair<int32_t, WindowHandle>> items;  // in template order
};

std::map<WindowHandle, SDialog> gDialogs;
std::vector<headless::SShownDialog> gShownDialogs;
WindowProc gEditProcedure = nullptr;

SDialog* DialogOf(WindowHandle window) {
  const auto it = gDialogs.find(window);
  return it == gDialogs.end() ? nullptr : &it->second;
}

// The frame's width and height: the dialog frame, a border, or none.
SPoint FrameOf(const SWindow& w) {
  if (w.style & kDsModalFrame) return {GetSystemMetrics(kSmCxDlgFrame), GetSystemMetrics(kSmCyDlgFrame)};
  if (w.style & kWsBorder) return {GetSystemMetrics(kSmCxBorder), GetSystemMetrics(kSmCyBorder)};
  return {0, 0};
}

void PaintFrame(SWindow& w) {
  Surface& s = w.surface;
  const SWinRect& c = w.client;
  const uint32_t face = GetSysColor(kColorButtonFace);
  s.Fill(0, 0, s.Width(), c.top, face);
  s.Fill(0, c.bottom, s.Width(), s.Height(), face);
  s.Fill(0, c.top, c.left, c.bottom, face);
  s.Fill(c.right, c.top, s.Width(), c.bottom, face);
  if (c.left > 0 || c.top > 0) {
    s.Fill(0, 0, s.Width(), 1, kFrameDark);
    s.Fill(0, s.Height() - 1, s.Width(), s.Height(), kFrameDark);
    s.Fill(0, 0, 1, s.Height(), kFrameDark);
    s.Fill(s.Width() - 1, 0, s.Width(), s.Height(), kFrameDark);
  }
  Backend().SurfaceChanged(&w);
}

bool IsPushButton(WindowHandle item) {
  return GetClassName(item) == kButtonClass && (GetWindowStyle(item) & kButtonKinds) <= kBsDefPushButton;
}

bool TakesFocus(WindowHandle item) {
  return (GetWindowStyle(item) & kWsTabStop) && IsWindowVisible(item) && IsWindowEnabled(item);
}

// The item of the dialog that has the focus; null when none has.
WindowHandle FocusedItem(const SDialog& d) {
  const WindowHandle focus = GetFocus();
  for (const auto& [id, item] : d.items) {
    if (item == focus) return item;
  }
  return nullptr;
}

// Focus that the dialog moves to an edit field selects its whole text, so that typing replaces it.
void FocusItem(WindowHandle item) {
  SetFocus(item);
  if (GetClassName(item) == "EDIT") SendMessage(item, kEmSetSel, 0, -1);
}

void MoveFocus(const SDialog& d, bool backwards) {
  std::vector<WindowHandle> stops;
  for (const auto& [id, item] : d.items) {
    if (TakesFocus(item)) stops.push_back(item);
  }
  if (stops.empty()) return;
  const auto at = std::find(stops.begin(), stops.end(), FocusedItem(d));
  size_t next = 0;
  if (at != stops.end()) {
    const size_t here = size_t(at - stops.begin());
    next = backwards ? (here + stops.size() - 1) % stops.size() : (here + 1) % stops.size();
  } else if (backwards) {
    next = stops.size() - 1;
  }
  FocusItem(stops[next]);
}

// The default push button: the one with kBsDefPushButton, else the one with kIdOk.
WindowHandle DefaultButton(const SDialog& d) {
  for (const auto& [id, item] : d.items) {
    if (IsPushButton(item) && (GetWindowStyle(item) & kButtonKinds) == kBsDefPushButton) return item;
  }
  for (const auto& [id, item] : d.items) {
    if (id == kIdOk && IsPushButton(item)) return item;
  }
  return nullptr;
}

void Command(WindowHandle dialog, int32_t id, WindowHandle item) {
  PostMessage(dialog, kWmCommand, uintptr_t(uint16_t(id)), reinterpret_cast<intptr_t>(item));
}

// An edit field in a dialog leaves the dialog's keys to the dialog.
intptr_t DialogEditProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const bool dialogKey = wParam == kVkReturn || wParam == kVkEscape || wParam == kVkTab;
  if (message == kWmKeyDown && dialogKey && DialogKey(GetParent(window), uint32_t(wParam))) return 1;
  if (message == kWmChar && (wParam == '\r' || wParam == '\t' || wParam == 0x1B)) return 1;
  return CallWindowProc(gEditProcedure, window, message, wParam, lParam);
}

// The items' windows in the template's font; false when one cannot be made.
bool MakeItems(WindowHandle dialog, const STemplate& layout, ModuleHandle instance, SDialog* d) {
  if (layout.pointSize) {
    SLogFont font;
    font.height = -(int32_t(layout.pointSize) * 96 + 36) / 72;
    font.face = layout.face;
    d->font = CreateFontIndirect(font);
  }
  for (const STemplateItem& i : layout.items) {
    WindowHandle item = CreateWindow(i.exStyle, i.className, i.text, i.style | kWsChild, i.x, i.y, i.width,
                                     i.height, dialog, nullptr, instance, nullptr);
    if (!item) return false;
    d->items.push_back({i.id, item});
    if (d->font) SendMessage(item, kWmSetFont, reinterpret_cast<uintptr_t>(d->font), 0);
    if (GetClassName(item) == "EDIT") {
      gEditProcedure = SetWindowProcedure(item, &DialogEditProc);
      if (!i.text.empty()) SendMessage(item, kWmSetText, 0, reinterpret_cast<intptr_t>(i.text.c_str()));
    }
  }
  return true;
}

// A template in dialog units gives the client area's size; the window takes its frame around it.
void FitAndPlace(WindowHandle dialog, const STemplate& layout) {
  SWinRect window, client;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  int32_t width = window.Width(), height = window.Height();
  if (layout.style & kDsSetFont) {
    width = layout.width + window.Width() - client.Width();
    height = layout.height + window.Height() - client.Height();
  }
  int32_t x = window.left, y = window.top;
  if (layout.style & kDsCenter) {
    x = (GetSystemMetrics(kSmCxScreen) - width) / 2;
    y = (GetSystemMetrics(kSmCyScreen) - height) / 2;
  }
  MoveWindow(dialog, x, y, width, height, false);
}

// The dialog with its items, initialised and shown as its kind asks; null when it cannot be made.
WindowHandle MakeDialog(ModuleHandle instance, const void* dialogTemplate, WindowHandle owner, DialogProc procedure,
                        intptr_t parameter, bool modal) {
  STemplate layout;
  if (!procedure || !ReadDialogTemplate(dialogTemplate, &layout)) {
    SetLastError(kWinInvalidParameter);
    return nullptr;
  }
  WindowHandle dialog = CreateWindow(layout.exStyle, kDialogClass, layout.title, layout.style & ~kWsVisible,
                                     layout.x, layout.y, layout.width, layout.height, owner, nullptr, instance, nullptr);
  if (!dialog) return nullptr;
  FitAndPlace(dialog, layout);
  SDialog* d = DialogOf(dialog);
  d->modal = modal;
  if (!MakeItems(dialog, layout, instance, d)) {
    DestroyWindow(dialog);
    return nullptr;
  }
  WindowHandle first = nullptr;
  for (const auto& [id, item] : d->items) {
    if (!first && TakesFocus(item)) first = item;
  }
  // The procedure hears nothing of the window's creation, only what comes from kWmInitDialog on.
  d->procedure = procedure;
  const intptr_t answer = SendMessage(dialog, kWmInitDialog, reinterpret_cast<uintptr_t>(first), parameter);
  d = DialogOf(dialog);
  if (!d) return nullptr;
  WindowHandle focus = answer ? first : FocusedItem(*d);
  const bool show = modal ? !IsWindowVisible(dialog) : (layout.style & kWsVisible) != 0;
  if (show && !d->ended) ShowWindow(dialog, kSwShow);
  if (focus) FocusItem(focus);
  return dialog;
}

// Headless: the script's answer for a modal dialog with items, which notes what the dialog showed;
// false when there is none.
bool AnswerFromScript(WindowHandle dialog, const SDialog& d) {
  int32_t button = 0;
  std::vector<std::pair<int32_t, std::string>> values;
  if (d.items.empty() || !Backend().TakeDialogAnswer(&button, &values)) return false;
  headless::SShownDialog shown{GetWindowText(dialog), {}, button, {}};
  for (const auto& [id, item] : d.items) {
    shown.items.push_back({id, GetItemText(dialog, id)});
    if (HoldsCheck(item)) shown.checks.push_back({id, uint32_t(SendMessage(item, kBmGetCheck, 0, 0))});
  }
  gShownDialogs.push_back(shown);
  for (const auto& [id, value] : values) {
    WindowHandle target = GetDialogItem(dialog, id);
    if (target && HoldsCheck(target)) SetClickedState(target, value != "0");
    else SetItemText(dialog, id, value);
  }
  WindowHandle item = GetDialogItem(dialog, button);
  if (item && IsPushButton(item)) PressButton(item);
  else Command(dialog, button, item);
  return true;
}

}  // namespace

bool DialogKey(WindowHandle dialog, uint32_t virtualKey) {
  const SDialog* d = DialogOf(dialog);
  if (!d) return false;
  switch (virtualKey) {
    case kVkTab: MoveFocus(*d, IsKeyDownAsync(kVkShift)); return true;
    case kVkEscape: Command(dialog, kIdCancel, GetDialogItem(dialog, kIdCancel)); return true;
    case kVkReturn: {
      WindowHandle focus = FocusedItem(*d);
      WindowHandle button = focus && IsPushButton(focus) ? focus : DefaultButton(*d);
      if (button) PressButton(button);
      else Command(dialog, kIdOk, nullptr);
      return true;
    }
    default: return false;
  }
}

void PressButton(WindowHandle button) {
  const WindowHandle dialog = GetParent(button);
  if (IsWindowEnabled(button) && dialog) Command(dialog, GetDialogItemId(button), button);
}

intptr_t DialogClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SWindow* w = FindLiveWindow(window);
  SDialog* dialog = DialogOf(window);
  if (!w) return 0;
  switch (message) {
    case kWmNcCreate: gDialogs[window]; return 1;
    case kWmNcCalcSize:
      if (wParam) {
        const SPoint frame = FrameOf(*w);
        SWinRect& r = reinterpret_cast<SNcCalcSizeParams*>(lParam)->rects[0];
        r = {r.left + frame.x, r.top + frame.y, r.right - frame.x, r.bottom - frame.y};
      }
      return 0;
    case kWmNcPaint: PaintFrame(*w); return 0;
    case kWmNcDestroy:
      if (dialog && dialog->font) DeleteObject(dialog->font);
      gDialogs.erase(window);
      return 0;
    default: break;
  }
  if (dialog && dialog->procedure) {
    const intptr_t answer = dialog->procedure(window, message, wParam, lParam);
    if (answer || message == kWmInitDialog) return answer;
  }
  if (message == kWmKeyDown && DialogKey(window, uint32_t(wParam))) return 1;
  if (message == kWmEraseBackground) {
    SWinRect client;
    GetClientRect(window, &client);
    GdiObject face = CreateSolidBrush(GetSysColor(kColorButtonFace));
    FillRect(reinterpret_cast<DeviceContext*>(wParam), client, face);
    DeleteObject(face);
    return 1;
  }
  // Closing a dialog is its procedure's business (EndDialog), never the window's destruction.
  return message == kWmClose ? 0 : DefWindowProc(window, message, wParam, lParam);
}

intptr_t DialogBoxIndirectParam(ModuleHandle instance, const void* dialogTemplate, WindowHandle owner,
                                DialogProc procedure, intptr_t parameter) {
  const bool disabledOwner = owner && IsWindowEnabled(owner);
  if (disabledOwner) EnableWindow(owner, false);
  WindowHandle dialog = MakeDialog(instance, dialogTemplate, owner, procedure, parameter, true);
  if (!dialog) {
    if (disabledOwner) EnableWindow(owner, true);
    return -1;
  }
  bool answered = false;
  if (const SDialog* d = DialogOf(dialog); d && !d->ended) answered = AnswerFromScript(dialog, *d);
  bool cancelled = false;
  SMessage m;
  while (DialogOf(dialog) && !DialogOf(dialog)->ended) {
    if (PeekMessage(&m, nullptr, 0, 0, true)) {
      if (DispatchMessage(m) == 0) TranslateMessage(m);
      continue;
    }
    // A scripted press that left the dialog open (its values refused) is followed by the next answer.
    if (answered && AnswerFromScript(dialog, *DialogOf(dialog))) continue;
    // Nothing will ever answer a dialog with items once a script has run out: it is closed.
    if (!cancelled && !DialogOf(dialog)->items.empty() && !Backend().InputMayCome()) {
      cancelled = true;
      Command(dialog, kIdCancel, GetDialogItem(dialog, kIdCancel));
      continue;
    }
    WaitMessage(10);
  }
  const SDialog* d = DialogOf(dialog);
  const intptr_t result = d ? d->result : 0;
  // The owner takes input again before the dialog goes, so that activation can return to it.
  if (disabledOwner) EnableWindow(owner, true);
  DestroyWindow(dialog);
  return result;
}

WindowHandle CreateDialogIndirectParam(ModuleHandle instance, const void* dialogTemplate, WindowHandle owner,
                                       DialogProc procedure, intptr_t parameter) {
  return MakeDialog(instance, dialogTemplate, owner, procedure, parameter, false);
}

bool EndDialog(WindowHandle dialog, intptr_t result) {
  SDialog* d = DialogOf(dialog);
  if (!d) return false;
  d->ended = true;
  d->result = result;
  if (!d->modal) ShowWindow(dialog, kSwHide);
  return true;
}

std::vector<WindowHandle> DialogItems(WindowHandle dialog) {
  std::vector<WindowHandle> items;
  if (const SDialog* d = DialogOf(dialog)) {
    for (const auto& [id, item] : d->items) items.push_back(item);
  }
  return items;
}

WindowHandle GetDialogItem(WindowHandle dialog, int32_t id) {
  const SDialog* d = DialogOf(dialog);
  if (!d) return nullptr;
  for (const auto& [itemId, item] : d->items) {
    if (itemId == id && IsWindow(item)) return item;
  }
  return nullptr;
}

int32_t GetDialogItemId(WindowHandle item) {
  const SDialog* d = DialogOf(GetParent(item));
  if (!d) return 0;
  for (const auto& [id, i] : d->items) {
    if (i == item) return id;
  }
  return 0;
}

bool SetItemText(WindowHandle dialog, int32_t id, const std::string& text) {
  WindowHandle item = GetDialogItem(dialog, id);
  return item && SendMessage(item, kWmSetText, 0, reinterpret_cast<intptr_t>(text.c_str())) != 0;
}

std::string GetItemText(WindowHandle dialog, int32_t id) {
  WindowHandle item = GetDialogItem(dialog, id);
  if (!item) return {};
  std::string text(size_t(std::max<intptr_t>(SendMessage(item, kWmGetTextLength, 0, 0), 0)) + 1, '\0');
  text.resize(size_t(std::max<intptr_t>(SendMessage(item, kWmGetText, text.size(), reinterpret_cast<intptr_t>(text.data())), 0)));
  return text;
}

namespace headless {

const std::vector<SShownDialog>& ShownDialogs() { return gShownDialogs; }

}  // namespace headless
}  // namespace platform
