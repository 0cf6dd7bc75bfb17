#include "framework/ui/ui_host_canvas.h"

#include "framework/core/appl.h"
#include "framework/core/el_registry.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/core/win_appl.h"
#include "framework/image/image.h"
#include "framework/image/image_display.h"
#include "framework/image/image_record.h"
#include "framework/image/ix_image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"

namespace {

constexpr uint32_t kFeedbackTicks = 2;
// How long the tracking loops rest between two looks at the button.
constexpr int64_t kPollMs = 5;
constexpr uint32_t kReturn = 13;
constexpr uint32_t kEscape = 27;
constexpr char kResetPalettes[] = "reset palettes";

enum EShadow : uint32_t { kLeft, kTop, kCorner, kRight, kBottom, kShadowCount };
constexpr const char* kShadowNames[kShadowCount] = {"left shadow", "top shadow", "corner shadow", "right shadow",
                                                     "bottom shadow"};
CImage* gShadows[kShadowCount] = {};

// The element last clicked, known by its id too, so that a new element at a freed one's address is
// not taken for it.
CElement* gLastClicked = nullptr;
uint32_t gLastClickedId = 0;
CTimer gClickTimer;

CWinAppl* WinApp() { return dynamic_cast<CWinAppl*>(GetApplication()); }

int64_t DoubleClickTicks() { return platform::MsToTicks(int64_t(platform::GetDoubleClickTime())); }

void WaitTicks(uint32_t ticks) { CTimer().WaitTicks(ticks); }

// Until the left button is let go.
void WaitWhileStillDown() {
  CAppl* app = GetApplication();
  while (app && app->IsStillDown()) platform::SleepMs(kPollMs);
}

int32_t SendBroadcast(CElement* element) {
  CUIMessage message;
  message.InitFromElement(0, element, CUIMessage::kBroadcast);
  return element->SendMessageUp(&message, element);
}

uint32_t Character(const SWinEvent* event) { return event ? event->key & 0xFF : 0; }

bool IsReturn(const SWinEvent* event) { return Character(event) == kReturn; }

// Ctrl+N comes as the key's upper-case letter, a typed n with Ctrl held as the lower-case one.
bool IsEscape(const SWinEvent* event) {
  const uint32_t c = Character(event);
  if (c == kEscape) return true;
  CAppl* app = GetApplication();
  return (c == 'n' || c == 'N') && app && app->IsCommandDown();
}

// An image element's feedback through its opacity or its image list's entries; other elements have
// none.
class CButtonFeedback {
 public:
  explicit CButtonFeedback(CElement* element) : fImage(dynamic_cast<CImElement*>(element)) {
    if (!fImage) return;
    fOpacity = fImage->GetOpacity();
    if (CIxImage* list = fImage->GetImageList()) fEntry = list->Selected();
  }

  void Opaque() {
    if (fImage) fImage->SetOpacity(1.0f, true);
  }
  void RestoreOpacity() {
    if (fImage) fImage->SetOpacity(fOpacity, true);
  }
  // The next entry of the list: shown only when the list has it.
  void Pressed() {
    if (fImage && fEntry != CIxImage::kNone) fPressedShown = fImage->SelectEntry(fEntry + 1, true, true, true) == 0;
  }
  void Released() {
    if (fPressedShown) fImage->SelectEntry(fEntry, true, true, true);
    fPressedShown = false;
  }

 private:
  CImElement* fImage = nullptr;
  float fOpacity = 1.0f;
  uint32_t fEntry = CIxImage::kNone;
  bool fPressedShown = false;
};

// Pixels of a context from a point on into the image, through a bitmap of the image's size.
void GrabIntoImage(platform::DeviceContext* source, CImage* image, SPointHV point) {
  const int32_t width = int32_t(image->GetWidth()), height = int32_t(image->GetHeight());
  platform::DeviceContext* memory = platform::CreateCompatibleDC(source);
  platform::GdiObject bitmap = platform::CreateCompatibleBitmap(source, width, height);
  if (memory && bitmap) {
    platform::GdiObject before = platform::SelectObject(memory, bitmap);
    platform::BitBlt(memory, 0, 0, width, height, source, point.h, point.v, platform::kSrcCopy);
    platform::SelectObject(memory, before);
    CImPlatformData pixels(image, true, false);
    if (pixels.IsValid()) {
      platform::GetDIBits(source, bitmap, 0, uint32_t(height), image->GetData(), &pixels.GetHeader(),
                          platform::kDibRgbColors);
      platform::GdiFlush();
    }
  }
  platform::DeleteObject(bitmap);
  platform::DeleteDC(memory);
}

// The picture scaled to width × height, composited over the strip with its top-left corner at (h, v).
void CompositeScaled(CImage* strip, CImage* picture, int32_t h, int32_t v, int32_t width, int32_t height) {
  if (!picture || width <= 0 || height <= 0) return;
  int32_t err = kNoErr;
  CImage* scaled = NewDataImage(uint32_t(width), uint32_t(height), &err);
  if (!scaled) return;
  if (scaled->ScaleFrom(picture, 0)) {
    scaled->SetOrigin(h, v);
    strip->CompositeFrom(scaled);
  }
  delete scaled;
}

// A picture composited over the strip as it is, at (h, v).
void CompositeAt(CImage* strip, CImage* picture, int32_t h, int32_t v) {
  if (!picture) return;
  CSgStSaver placed(picture, h, v, true);
  strip->CompositeFrom(picture);
}

int32_t PictureWidth(uint32_t shadow) { return gShadows[shadow] ? int32_t(gShadows[shadow]->GetWidth()) : 0; }
int32_t PictureHeight(uint32_t shadow) { return gShadows[shadow] ? int32_t(gShadows[shadow]->GetHeight()) : 0; }

bool AreShadowsLoaded() {
  for (CImage* shadow : gShadows) {
    if (!shadow) return false;
  }
  return true;
}

// Black, with alpha 255 - red.
bool MakeShadowMask(CImage* picture) {
  CImNavigator navigator(picture, nullptr, true, false);
  if (!navigator.IsUsable()) return false;
  for (uint32_t y = 0; y < navigator.GetRows(); ++y) {
    CImVector* row = navigator.Cells(y);
    for (uint32_t x = 0; x < navigator.GetColumns(); ++x) row[x].value = uint32_t(255 - row[x].Red()) << 24;
  }
  return true;
}

}  // namespace

// ---- life

CUIHostCanvas::CUIHostCanvas(CUICmFunction* owner, CResourceEnv* environment, uint32_t style)
    : CHoCanvas(SRect{}, nullptr, false, style, nullptr, kPriority), fEnvironment(environment) {
  if (!IsReady()) return;
  fOwner = owner;
  fStamp = owner ? owner->GetModalLevel() : 0;
  CHoElement* old = GetRoot();
  SElementDesc desc;
  CElement::MakeDescription(desc, old->GetRect(), false, true, false, kRootName, nullptr, nullptr);
  auto* root = new CUIHostElement(this, desc);
  if (!root) return;
  if (!root->IsHostedRoot()) {
    delete root;
    return;
  }
  root->SetLayoutFlags(old->GetLayoutFlags(), true);
  root->SetPositionProportions(old->GetPositionProportions(), true);
  root->SetSizeProportions(old->GetSizeProportions(), true);
  if (old->IsShown()) root->Show(true);
  ReplaceRoot(root);
  fInOwnerTable = owner && owner->Register(this, &UIHostForwardToHandler) ? 1 : 0;
}

CUIHostCanvas::~CUIHostCanvas() {
  if (fInOwnerTable) fOwner->Unregister(this);
  fInOwnerTable = 0;
  platform::DeleteObject(fSavedScreen);
  fSavedScreen = nullptr;
}

int32_t UIHostForwardToHandler(void* canvas, void* message, void*) {
  if (!canvas) return kNoErr;
  return static_cast<CUIHostCanvas*>(canvas)->HandleEvent(static_cast<CUIMessage*>(message));
}

int32_t CUIHostCanvas::BuildOnce() {
  if (fBuilt) return kNoErr;
  fBuilt = 1;
  const int32_t err = BuildControls(fEnvironment);
  if (err) fBuilt = 0;
  return err;
}

// ---- modality and events

bool CUIHostCanvas::IsStale() const { return fOwner && fStamp != fOwner->GetModalLevel(); }

void CUIHostCanvas::TakeModalLevel() {
  if (!fOwner) return;
  fOwner->RaiseModalLevel();
  fStamp = fOwner->GetModalLevel();
}

void CUIHostCanvas::Refresh(bool erase) {
  TakeModalLevel();
  Show();
  Activate();
  if (erase) FillRect(nullptr);
  UpdateNow();
  if (CAppl* app = GetApplication()) app->SetArrowCursor();
}

int32_t CUIHostCanvas::HandleEvent(CUIMessage* message) {
  CHoElement* root = GetRoot();
  if (!message || !IsShown() || !root || !root->AcceptsEvents(kEventMaskMessage)) return kNoErr;
  CElement* handled = nullptr;
  return root->HandleMessage(&handled, message->firstPoint, message);
}

bool CUIHostCanvas::IsActiveWindow() { return GetWindow() && platform::GetActiveWindow() == GetWindow(); }

void CUIHostCanvas::UpdateNow() {
  if (IsShown()) platform::UpdateWindow(GetWindow());
}

bool CUIHostCanvas::IsDragModifierDown() {
  CAppl* app = GetApplication();
  return fDragAllowed && app && app->IsKeyDown(platform::kVkSpace);
}

int32_t CUIHostCanvas::DragWindow(SWinEvent&) {
  CAppl* app = GetApplication();
  const platform::SPoint cursor = app ? app->GetCursorPos() : platform::SPoint{};
  platform::DefWindowProc(GetWindow(), platform::kWmNcLButtonDown, uintptr_t(platform::kHitCaption),
                          platform::MakeLParam(cursor.x, cursor.y));
  platform::SWinRect r;
  if (platform::GetWindowRect(GetWindow(), &r)) MoveTo({r.left, r.top});
  fUserMoved = 1;
  return kHandled;
}

int32_t CUIHostCanvas::OnPointerPress(SWinEvent& event) {
  CAppl* app = GetApplication();
  const bool alt = app && app->IsAltDown();
  if (IsStale()) {
    platform::Beep();
    return kHandled;
  }
  if (!IsActiveWindow()) Activate();
  if (IsDragModifierDown()) {
    if (!alt) return DragWindow(event);
    CUIMessage message;
    message.Init(0, kResetPalettes, nullptr, nullptr, CUIMessage::kBroadcast);
    if (CHoElement* root = GetRoot()) root->SendMessageUp(&message, root);
  }
  return CHoCanvas::OnPointerPress(event);
}

int32_t CUIHostCanvas::OnCharacter(SWinEvent& event) {
  if (!IsShown() || IsStale()) return 0;
  return CHoCanvas::OnCharacter(event);
}

// ---- binding

void CUIHostCanvas::BindElement(const char* name, ElPressCallback press, ElHoverCallback hover,
                                ElCharCallback character) {
  CElement* found = nullptr;
  BindElementData(GetRoot(), name, &found, press, hover, character);
}

void CUIHostCanvas::BindElementRef(const char* name, CElement** out, ElPressCallback press, ElHoverCallback hover,
                                   ElCharCallback character) {
  BindElementData(GetRoot(), name, out, press, hover, character);
}

void CUIHostCanvas::BindElementAlt(CElement* parent, const char* name, ElPressCallback press, ElHoverCallback hover,
                                   ElCharCallback character) {
  CElement* found = nullptr;
  BindElementData(parent, name, &found, press, hover, character);
}

void CUIHostCanvas::BindElementData(CElement* parent, const char* name, CElement** out, ElPressCallback press,
                                    ElHoverCallback hover, ElCharCallback character) {
  CElement* found = nullptr;
  if (parent && CElSystem::FindElement(parent->GetChildren(), name, &found, false) == kNoErr && found) {
    found->SetPressCallback(press);
    found->SetHoverCallback(hover);
    found->SetCharCallback(character);
  } else {
    found = nullptr;
  }
  if (out) *out = found;
}

// ---- showing with shadows

bool CUIHostCanvas::Show() {
  if (fShadows && !IsShown() && AreShadowsLoaded()) {
    const int32_t thickness = PictureWidth(kRight), depth = PictureHeight(kBottom);
    if (!fEnlarged && MoveResize({RectWidth(fBounds) + thickness, RectHeight(fBounds) + depth}, false)) {
      fEnlarged = 1;
      MakeShadowElements();
    }
    PaintShadowStrips();
    SaveScreenBehind({});
  }
  CCanvas::Show();
  return true;
}

CImElement* CUIHostCanvas::MakeShadowElement(const SRect& rect, uint32_t orderKey) {
  CHoElement* root = GetRoot();
  if (!root) return nullptr;
  SElementDesc desc;
  CElement::MakeDescription(desc, rect, true, true, true, nullptr, nullptr, nullptr);
  auto* strip = new CImElement(desc);
  if (!strip) return nullptr;
  int32_t err = strip->IsValid() ? kNoErr : kErrFailedCreation;
  if (!err) err = root->AddChild(strip, 0, int32_t(orderKey), 0, ElementContainerLayout());
  if (err) {
    // A strip that found no place belongs to nobody.
    if (!strip->GetParent()) delete strip;
    return nullptr;
  }
  strip->SetImageLayer(0, false);
  CImage* picture = NewDataImage(uint32_t(RectWidth(rect)), uint32_t(RectHeight(rect)), &err);
  if (picture) strip->SetImage(picture, false, true, true, false);
  if (!picture || strip->GetImage() != picture) {
    delete picture;
    int32_t index = -1;
    CElSystem* children = root->GetChildren();
    if (children && children->FindIndex(strip, &index) == kNoErr) {
      const uint32_t row = uint32_t(index);
      children->RemoveEntries(&row, 1, true, false);
    }
    return nullptr;
  }
  return strip;
}

void CUIHostCanvas::MakeShadowElements() {
  const int32_t width = RectWidth(fBounds), height = RectHeight(fBounds);
  const int32_t thickness = PictureWidth(kRight), depth = PictureHeight(kBottom);
  // Over every element of the layout.
  constexpr uint32_t kLastKeys = 0x7FFFFFFE;
  if (!fRightShadow) fRightShadow = MakeShadowElement({0, width - thickness, height - depth, width}, kLastKeys);
  if (!fBottomShadow) fBottomShadow = MakeShadowElement({height - depth, 0, height, width}, kLastKeys + 1);
}

void CUIHostCanvas::PaintShadowStrips() {
  const int32_t thickness = PictureWidth(kRight), depth = PictureHeight(kBottom);
  if (CImage* strip = fRightShadow ? fRightShadow->GetImage() : nullptr) {
    CSgStSaver placed(strip, 0, 0, true);
    GrabScreenIntoImage(strip, {fFrame.right - thickness, fFrame.top});
    const int32_t top = PictureHeight(kTop), stripHeight = int32_t(strip->GetHeight());
    CompositeScaled(strip, gShadows[kRight], 0, top, int32_t(strip->GetWidth()), stripHeight - top);
    CompositeAt(strip, gShadows[kTop], 0, 0);
  }
  if (CImage* strip = fBottomShadow ? fBottomShadow->GetImage() : nullptr) {
    CSgStSaver placed(strip, 0, 0, true);
    GrabScreenIntoImage(strip, {fFrame.left, fFrame.bottom - depth});
    const int32_t left = PictureWidth(kLeft), stripWidth = int32_t(strip->GetWidth());
    CompositeScaled(strip, gShadows[kBottom], left, 0, stripWidth - left - thickness, int32_t(strip->GetHeight()));
    CompositeAt(strip, gShadows[kLeft], 0, 0);
    CompositeAt(strip, gShadows[kCorner], stripWidth - thickness, 0);
  }
}

void CUIHostCanvas::SaveScreenBehind(SPointHV extra) {
  if (fSavedScreen) return;
  platform::SWinRect r;
  if (!platform::GetWindowRect(GetWindow(), &r)) return;
  const SPointHV size{RectWidth(fBounds) + extra.h, RectHeight(fBounds) + extra.v};
  platform::DeviceContext* screen = platform::GetDC(nullptr);
  platform::DeviceContext* memory = platform::CreateCompatibleDC(screen);
  platform::GdiObject bitmap = platform::CreateCompatibleBitmap(screen, size.h, size.v);
  if (memory && bitmap) {
    platform::GdiObject before = platform::SelectObject(memory, bitmap);
    platform::BitBlt(memory, 0, 0, size.h, size.v, screen, r.left, r.top, platform::kSrcCopy);
    platform::SelectObject(memory, before);
    fSavedScreen = bitmap;
    fSavedSize = size;
    bitmap = nullptr;
  }
  platform::DeleteObject(bitmap);
  platform::DeleteDC(memory);
  platform::ReleaseDC(screen);
}

bool CUIHostCanvas::Hide() {
  CWinAppl* app = WinApp();
  if (fShadows && IsShown()) {
    platform::SetWindowPos(GetWindow(), fFrame.left, fFrame.top, RectWidth(fFrame), RectHeight(fFrame),
                           platform::kSwpNoRedraw | platform::kSwpHideWindow);
    platform::SWinRect r;
    if (app && app->IsActive() && fSavedScreen && platform::GetWindowRect(GetWindow(), &r)) {
      platform::DeviceContext* screen = platform::GetDC(nullptr);
      platform::DeviceContext* memory = platform::CreateCompatibleDC(screen);
      platform::GdiObject before = platform::SelectObject(memory, fSavedScreen);
      platform::BitBlt(screen, r.left, r.top, fSavedSize.h, fSavedSize.v, memory, 0, 0, platform::kSrcCopy);
      platform::SelectObject(memory, before);
      platform::DeleteDC(memory);
      platform::ReleaseDC(screen);
    }
    platform::DeleteObject(fSavedScreen);
    fSavedScreen = nullptr;
  }
  if (app) platform::SetFocus(app->GetMainWindow());
  CCanvas::Hide();
  return true;
}

void CUIHostCanvas::GrabWindowIntoImage(CImage* image, SPointHV point) {
  if (image) GrabIntoImage(GetDeviceContext(), image, point);
}

void GrabScreenIntoImage(CImage* image, SPointHV point) {
  if (!image) return;
  platform::DeviceContext* screen = platform::GetDC(nullptr);
  GrabIntoImage(screen, image, point);
  platform::ReleaseDC(screen);
}

// ---- standard callbacks

int32_t UIHostPressButton(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  *handled = element;
  CButtonFeedback feedback(element);
  feedback.Opaque();
  WaitTicks(kFeedbackTicks);
  WaitWhileStillDown();
  feedback.RestoreOpacity();
  return SendBroadcast(element);
}

int32_t UIHostTrackButton(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  CButtonFeedback feedback(element);
  feedback.Pressed();
  bool inside = true;
  WaitTicks(kFeedbackTicks);
  const SRect& rect = element->GetRect();
  const int32_t width = RectWidth(rect), height = RectHeight(rect);
  CAppl* app = GetApplication();
  while (app && app->IsStillDown()) {
    const platform::SPoint cursor = app->GetCursorPos();
    SPointHV local;
    element->RootToLocalPoint(&local, {cursor.x, cursor.y});
    const bool now = 0 < local.h && local.h < width && 0 < local.v && local.v < height;
    if (now != inside) {
      inside = now;
      if (inside) feedback.Pressed();
      else feedback.Released();
    }
    platform::SleepMs(kPollMs);
  }
  *handled = element;
  if (!inside) return kNoErr;
  feedback.Released();
  return SendBroadcast(element);
}

namespace {

int32_t FlashAndSend(CElement* element, CElement** handled, bool opacity) {
  *handled = element;
  CButtonFeedback feedback(element);
  if (opacity) feedback.Opaque();
  else feedback.Pressed();
  WaitTicks(kFeedbackTicks);
  if (opacity) feedback.RestoreOpacity();
  else feedback.Released();
  return SendBroadcast(element);
}

}  // namespace

int32_t UIHostOnReturnKeyAlpha(CElement* element, CElement** handled, SWinEvent* event) {
  return IsReturn(event) ? FlashAndSend(element, handled, true) : kNoErr;
}

int32_t UIHostOnEscapeKeyAlpha(CElement* element, CElement** handled, SWinEvent* event) {
  return IsEscape(event) ? FlashAndSend(element, handled, true) : kNoErr;
}

int32_t UIHostOnReturnKey(CElement* element, CElement** handled, SWinEvent* event) {
  return IsReturn(event) ? FlashAndSend(element, handled, false) : kNoErr;
}

int32_t UIHostFlashButton(CElement* element, CElement** handled) { return FlashAndSend(element, handled, false); }

int32_t UIHostOnEscapeKey(CElement* element, CElement** handled, SWinEvent* event) {
  return IsEscape(event) ? FlashAndSend(element, handled, false) : kNoErr;
}

int32_t UIHostOnReturnOrEscapeKey(CElement* element, CElement** handled, SWinEvent* event) {
  const int32_t escaped = UIHostOnEscapeKey(element, handled, event);
  return escaped ? escaped : UIHostOnReturnKey(element, handled, event);
}

int32_t UIHostPostElementMessage(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  SPointHV onScreen;
  element->LocalToRootPoint(&onScreen, point);
  CUIMessage message;
  message.InitWithPoints(0, element, onScreen, point, 0);
  return element->SendMessageUp(&message, element);
}

// ---- double clicks

bool IsDoubleClick(CElement* element) {
  if (element && element == gLastClicked && element->GetId() == gLastClickedId &&
      gClickTimer.ElapsedTicks() < DoubleClickTicks()) {
    gLastClicked = nullptr;
    gLastClickedId = 0;
    return true;
  }
  gLastClicked = element;
  gLastClickedId = element ? element->GetId() : 0;
  gClickTimer.Start();
  return false;
}

bool WaitForSecondClick(CElement* element) {
  if (!element) return false;
  const int64_t limit = DoubleClickTicks();
  CTimer timer;
  timer.Start();
  platform::SMessage message;
  bool released = false;
  for (; timer.ElapsedTicks() < limit; platform::SleepMs(1)) {
    if (!released) {
      released = platform::PeekMessage(&message, nullptr, platform::kWmLButtonUp, platform::kWmLButtonUp, false);
      continue;
    }
    if (!platform::PeekMessage(&message, nullptr, platform::kWmLButtonDown, platform::kWmLButtonDown, true)) continue;
    // The press in its window's client coordinates, which may lie left of or above it.
    const platform::SPoint screen = platform::ClientToScreen(
        message.window, {platform::LowWordSigned(message.lParam), platform::HighWordSigned(message.lParam)});
    SPointHV local;
    element->RootToLocalPoint(&local, {screen.x, screen.y});
    SRect rect;
    element->GetLocalRect(&rect);
    return IsPointInRect(local, rect);
  }
  return false;
}

// ---- shadow pictures

int32_t LoadShadowImages() {
  CAppl* app = GetApplication();
  CResourceEnv* resources = app ? app->GetResourceEnv() : nullptr;
  for (uint32_t i = 0; i < kShadowCount; ++i) {
    if (gShadows[i]) continue;
    SSpoolKey key;
    key.SetByName(kImageType, kShadowNames[i], true);
    SGridLayout grid;
    MakeImageGridSpec(grid, resources, 0, 0);
    SSpoolTableSpec spec;
    spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
    if (const int32_t err = CImElement::LoadImageCopy(&gShadows[i], grid, spec)) return err;
    if (!MakeShadowMask(gShadows[i])) return kErrOutOfMemory;
  }
  return kNoErr;
}

int32_t FreeShadowImages() {
  for (CImage*& shadow : gShadows) {
    delete shadow;
    shadow = nullptr;
  }
  return kNoErr;
}

CImage* GetShadowImage(uint32_t index) { return index < kShadowCount ? gShadows[index] : nullptr; }
