#include "framework/ui/canvas.h"

#include <algorithm>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"
#include "framework/core/system_info.h"
#include "framework/core/win_appl.h"
#include "framework/image/cursor_picture.h"
#include "framework/ui/layout_record.h"

namespace {

platform::ModuleHandle gInstance = nullptr;
platform::WindowHandle gParent = nullptr;

constexpr const char kRecordTag[] = "canv0100";
constexpr uint32_t kRecordWords = 11;

platform::SWinRect ToPlatform(const SRect& r) { return {r.left, r.top, r.right, r.bottom}; }

constexpr SWordRange kNumbers[] = {{CCanvas::kRecordFrame, CCanvas::kRecordFrame + 4 * kRecordWords}};
constexpr SLayoutRecordForm kForm{kRecordTag, CCanvas::kRecordBytes, kNumbers, 1};

// The last cursor set by number and by name; each kind keeps its own.
uint32_t gCursorId = 0;
constexpr size_t kCursorNameChars = 259;
char gCursorName[kCursorNameChars + 1] = {};

void ForgetCursors() {
  gCursorId = 0;
  gCursorName[0] = 0;
}

}  // namespace

// ---- the class

bool CCanvas::RegisterClass(platform::ModuleHandle instance, platform::WindowHandle parent) {
  platform::SWindowClass windowClass;
  windowClass.name = kClassName;
  windowClass.style = kClassStyle;
  windowClass.procedure = &CWinAppl::WindowProc;
  windowClass.extraBytes = kWindowExtraBytes;
  windowClass.instance = instance;
  windowClass.cursor = platform::ArrowCursor();
  if (!platform::RegisterWindowClass(windowClass)) return false;
  gInstance = instance;
  gParent = parent;
  // Canvases show the program's own cursors.
  InstallCursorPictureLoader();
  return true;
}

void CCanvas::UnregisterClass() {
  platform::UnregisterWindowClass(kClassName, gInstance);
  RemoveCursorPictureLoader();
  gInstance = nullptr;
  gParent = nullptr;
}

platform::WindowHandle CCanvas::GetParentWindow() { return gParent; }

// ---- life

CCanvas::CCanvas(const SRect& frame, bool visible, uint32_t style, const CImVector* color, int32_t priority)
    : fFrame(frame), fBounds{0, 0, RectHeight(frame), RectWidth(frame)} {
  auto* app = dynamic_cast<CWinAppl*>(GetApplication());
  if (!app) return;
  // The window procedure binds every canvas window to the application.
  fWindow = platform::CreateWindow(kWindowExStyle, kClassName, "", style | (visible ? platform::kWsVisible : 0u),
                                   frame.left, frame.top, RectWidth(frame), RectHeight(frame), gParent, nullptr,
                                   gInstance, static_cast<CWindowHandler*>(app));
  if (!fWindow) return;
  fDeviceContext = platform::GetDC(fWindow);
  fRegistered = app->AddReceiver(this, &CCanvas::HandleMessage, priority) ? 1 : 0;
  if (!fRegistered) {
    // Nobody would own a window without its receiver.
    platform::ShowWindow(fWindow, platform::kSwHide);
    platform::DestroyWindow(fWindow);
    fWindow = nullptr;
    fDeviceContext = nullptr;
    return;
  }
  fColor.value = color ? color->value : *app->GetDesktopColor();
  Invalidate(nullptr);
  if (visible) {
    platform::SetWindowPos(fWindow, 0, 0, 0, 0, kShowFlags);
    Invalidate(nullptr);
  }
}

CCanvas::~CCanvas() {
  if (!fRegistered) return;
  if (CAppl* app = GetApplication()) app->RemoveReceiver(this);
  if (fWindow) {
    platform::ShowWindow(fWindow, platform::kSwHide);
    platform::DestroyWindow(fWindow);
    fWindow = nullptr;
    fDeviceContext = nullptr;
  }
  fRegistered = 0;
}

// ---- events

int32_t CCanvas::HandleMessage(void* canvas, void* record, void*) {
  auto* r = static_cast<SReceiverRecord*>(record);
  if (!canvas || !r || !r->b) return 0;
  return static_cast<CCanvas*>(canvas)->Dispatch(r->a, *reinterpret_cast<SWinEvent*>(r->b));
}

int32_t CCanvas::Dispatch(uint32_t code, SWinEvent& event) {
  switch (code) {
    case kEventKey: return OnCharacter(event);
    case kEventDeactivated: return OnAppDeactivate(event);
    case kEventActivated: return OnAppActivate(event);
    case kEventCommand: return OnCommand(event);
    default: break;
  }
  if (!fWindow || event.window != fWindow) return 0;
  if (code == kEventMouseDown) return OnPointerPress(event);
  if (code == kEventUpdate) return OnPaint(event);
  if (code < kEventOtherMessage) return OnOtherMessage(event);
  switch (code - kEventOtherMessage) {
    case platform::kWmCreate: return OnCreate(event);
    case platform::kWmDestroy: return OnDestroy(event);
    case platform::kWmMove: return OnMove(event);
    case platform::kWmSize: return OnSize(event);
    case platform::kWmActivate: return OnActivate(event);
    case platform::kWmClose: return OnClose(event);
    case platform::kWmQuit: return OnQuit(event);
    case platform::kWmEraseBackground: return OnEraseBackground(event);
    case platform::kWmGetMinMaxInfo: return OnGetMinMaxInfo(event);
    case platform::kWmNcPaint: return OnNcPaint(event);
    case platform::kWmNcActivate: return OnNcActivate(event);
    case platform::kWmCommand: return OnCommand(event);
    case platform::kWmSysCommand: return OnSysCommand(event);
    case platform::kWmMenuSelect: return OnMenuSelect(event);
    default: return OnOtherMessage(event);
  }
}

int32_t CCanvas::OnPointerPress(SWinEvent&) { return 0; }
int32_t CCanvas::OnCharacter(SWinEvent&) { return 0; }
int32_t CCanvas::OnAppDeactivate(SWinEvent&) { return 0; }
int32_t CCanvas::OnAppActivate(SWinEvent&) { return 0; }
int32_t CCanvas::OnCommand(SWinEvent&) { return 0; }
int32_t CCanvas::OnNcPaint(SWinEvent&) { return 0; }
int32_t CCanvas::OnCreate(SWinEvent&) { return 0; }
int32_t CCanvas::OnDestroy(SWinEvent&) { return 1; }
int32_t CCanvas::OnSize(SWinEvent&) { return 0; }
int32_t CCanvas::OnActivate(SWinEvent&) { return 0; }
int32_t CCanvas::OnClose(SWinEvent&) { return 0; }
int32_t CCanvas::OnQuit(SWinEvent&) { return 0; }
int32_t CCanvas::OnGetMinMaxInfo(SWinEvent&) { return 0; }
int32_t CCanvas::OnSysCommand(SWinEvent&) { return 0; }
int32_t CCanvas::OnMenuSelect(SWinEvent&) { return 0; }
int32_t CCanvas::OnReserved(SWinEvent&) { return 0; }
int32_t CCanvas::OnOtherMessage(SWinEvent&) { return 0; }

int32_t CCanvas::OnNcActivate(SWinEvent& event) {
  event.result = 1;
  return 1;
}

int32_t CCanvas::OnPaint(SWinEvent&) {
  platform::SPaint paint;
  if (!platform::BeginPaint(fWindow, &paint)) return 1;
  platform::DeviceContext* own = fDeviceContext;
  fDeviceContext = paint.dc;
  Redraw(nullptr);
  platform::EndPaint(fWindow, paint);
  fDeviceContext = own;
  return 1;
}

int32_t CCanvas::OnMove(SWinEvent&) {
  platform::SWinRect r;
  if (platform::GetWindowRect(fWindow, &r)) fFrame = {r.top, r.left, r.bottom, r.right};
  return 0;
}

int32_t CCanvas::OnEraseBackground(SWinEvent& event) {
  platform::SWinRect client;
  platform::GetClientRect(fWindow, &client);
  FillWithColor(reinterpret_cast<platform::DeviceContext*>(event.wParam),
                {client.top, client.left, client.bottom, client.right});
  event.result = 1;
  return 1;
}

// ---- drawing

void CCanvas::FillWithColor(platform::DeviceContext* dc, const SRect& area) const {
  const uint32_t previous = platform::SetBkColor(dc, fColor.value & 0xFFFFFF);
  const platform::SWinRect r = ToPlatform(area);
  platform::ExtTextOut(dc, 0, 0, platform::kEtoOpaque, &r, nullptr, 0);
  platform::SetBkColor(dc, previous);
}

bool CCanvas::ClipToBounds(const SRect* rect, SRect* area) const {
  *area = rect ? SectRect(*rect, fBounds) : fBounds;
  return !IsEmptyRect(*area);
}

bool CCanvas::IsShown() const { return platform::IsWindowVisible(fWindow); }

bool CCanvas::SetColor(const CImVector& color) {
  fColor = color;
  Invalidate(nullptr);
  return true;
}

bool CCanvas::Redraw(const SRect* rect) { return FillRect(rect); }

bool CCanvas::FillRect(const SRect* rect) {
  SRect area;
  if (ClipToBounds(rect, &area)) FillWithColor(fDeviceContext, area);
  return true;
}

bool CCanvas::Invalidate(const SRect* rect) {
  SRect area;
  if (!ClipToBounds(rect, &area)) return true;
  const platform::SWinRect r = ToPlatform(area);
  return platform::InvalidateRect(fWindow, &r, false);
}

bool CCanvas::Validate(const SRect* rect) {
  SRect area;
  if (!ClipToBounds(rect, &area)) return true;
  const platform::SWinRect r = ToPlatform(area);
  return platform::ValidateRect(fWindow, &r);
}

// ---- placing

bool CCanvas::Activate() {
  platform::SetActiveWindow(fWindow);
  return true;
}

bool CCanvas::MoveTo(SPointHV topLeft) {
  fFrame = OffsetRect(fFrame, topLeft.h - fFrame.left, topLeft.v - fFrame.top);
  platform::MoveWindow(fWindow, fFrame.left, fFrame.top, RectWidth(fFrame), RectHeight(fFrame), IsShown());
  return true;
}

bool CCanvas::Resize(SPointHV size, bool repaint) {
  fFrame.bottom = fFrame.top + size.v;
  fFrame.right = fFrame.left + size.h;
  fBounds = {0, 0, size.v, size.h};
  platform::MoveWindow(fWindow, fFrame.left, fFrame.top, size.h, size.v, repaint);
  return true;
}

bool CCanvas::Show() {
  platform::SetWindowPos(fWindow, 0, 0, 0, 0, kShowFlags);
  Invalidate(nullptr);
  return true;
}

bool CCanvas::Hide() {
  platform::ShowWindow(fWindow, platform::kSwHide);
  return true;
}

bool CCanvas::Place(const SRect& rect, uint32_t flags, const SRect* reference, SProportionsHV position,
                    SProportionsHV size) {
  SRect screen;
  if (!reference) {
    CAppl* app = GetApplication();
    screen = app ? app->GetScreenRect() : SRect{};
  }
  const SRect& R = reference ? *reference : screen;
  const int32_t rw = RectWidth(R), rh = RectHeight(R);
  const SRect& g = fFrame;
  const int32_t gw = RectWidth(g), gh = RectHeight(g);
  SRect r = rect;
  if (flags & kPlaceSizeH) r.right = r.left + ScaleLength(size.h, rw);
  if (flags & kPlaceSizeV) r.bottom = r.top + ScaleLength(size.v, rh);
  if (flags & kPlacePositionH) {
    const int32_t anchor = flags & kPlaceAnchorH ? ScaleLength(position.h, RectWidth(r)) : 0;
    r = WithLeft(r, R.left + ScaleLength(position.h, rw) - anchor);
  }
  if (flags & kPlacePositionV) {
    const int32_t anchor = flags & kPlaceAnchorV ? ScaleLength(position.v, RectHeight(r)) : 0;
    r = WithTop(r, R.top + ScaleLength(position.v, rh) - anchor);
  }
  r = AlignToArea(r, flags, R);
  if (flags & kPlaceUpperThird) r = WithTop(r, R.top + ScaleLength(0.33333334f, rh) - RectHeight(r) / 3);
  const int32_t w = RectWidth(r), h = RectHeight(r);
  if (flags & kPlaceKeepPointH) r.left = g.left + ScaleLength(position.h, gw) - ScaleLength(position.h, w);
  if (flags & kPlaceKeepPointV) r.top = g.top + ScaleLength(position.v, gh) - ScaleLength(position.v, h);
  if (w != gw || h != gh) Resize({w, h}, true);
  if (r.left != fFrame.left || r.top != fFrame.top) MoveTo({r.left, r.top});
  return true;
}

SPointHV CCanvas::ScreenToCanvas(SPointHV point) const {
  const platform::SPoint p = platform::ScreenToClient(fWindow, {point.h, point.v});
  return {p.x, p.y};
}

SPointHV CCanvas::CanvasToScreen(SPointHV point) const {
  const platform::SPoint p = platform::ClientToScreen(fWindow, {point.h, point.v});
  return {p.x, p.y};
}

SRect CCanvas::ScreenToCanvasRect(const SRect& rect) const {
  const SPointHV topLeft = ScreenToCanvas({rect.left, rect.top});
  const SPointHV bottomRight = ScreenToCanvas({rect.right, rect.bottom});
  return {topLeft.v, topLeft.h, bottomRight.v, bottomRight.h};
}

SRect CCanvas::CanvasToScreenRect(const SRect& rect) const {
  const SPointHV topLeft = CanvasToScreen({rect.left, rect.top});
  const SPointHV bottomRight = CanvasToScreen({rect.right, rect.bottom});
  return {topLeft.v, topLeft.h, bottomRight.v, bottomRight.h};
}

// ---- the layout record

uint32_t CCanvas::HandleRecord(CSpoolMem* object, uint32_t message, void* argument) {
  return HandleLayoutRecord(object, message, argument, kForm);
}

int32_t CCanvas::LoadFromResource(CResourceEnv* environment, uint32_t id, const char* name) {
  return ReadLayoutRecord(environment, kRecordType, id, name, &CCanvas::HandleRecord, kRecordBytes,
                          [this](const uint8_t* data, const SSpoolKey&) {
                            const SRect frame{RecordSignedAt(data, kRecordFrame), RecordSignedAt(data, kRecordFrame + 4),
                                              RecordSignedAt(data, kRecordFrame + 8),
                                              RecordSignedAt(data, kRecordFrame + 12)};
                            const uint32_t options = RecordWordAt(data, kRecordOptions);
                            CImVector color;
                            color.value = RecordWordAt(data, kRecordColor);
                            Hide();
                            const SProportionsHV position{RecordFloatAt(data, kRecordPosition),
                                                          RecordFloatAt(data, kRecordPosition + 4)};
                            const SProportionsHV size{RecordFloatAt(data, kRecordSize),
                                                      RecordFloatAt(data, kRecordSize + 4)};
                            Place(frame, RecordWordAt(data, kRecordFlags), nullptr, position, size);
                            if (options & kApplyColor) SetColor(color);
                            if (options & kShowAfterPlacing) Show();
                            return kNoErr;
                          });
}

// ---- rectangles

uint32_t RectDifference(const SRect& a, const SRect& b, SRect out[4]) {
  if (std::max(a.top, b.top) == a.top && std::max(a.left, b.left) == a.left &&
      std::min(a.bottom, b.bottom) == a.bottom && std::min(a.right, b.right) == a.right)
    return 0;
  if (std::min(a.bottom, b.bottom) <= std::max(a.top, b.top) ||
      std::min(a.right, b.right) <= std::max(a.left, b.left)) {
    out[0] = a;
    return 1;
  }
  int32_t dt = b.top - a.top, db = a.bottom - b.bottom;
  const int32_t dl = b.left - a.left, dr = a.right - b.right;
  uint32_t n = 0;
  if (dt >= 1) out[n++] = {a.top, a.left, a.top + dt, a.right};
  else dt = 0;
  if (db >= 1) out[n++] = {a.bottom - db, a.left, a.bottom, a.right};
  else db = 0;
  if (dl >= 1) out[n++] = {a.top + dt, a.left, a.bottom - db, a.left + dl};
  if (dr >= 1) out[n++] = {a.top + dt, a.right - dr, a.bottom - db, a.right};
  return n;
}

// ---- cursors

int32_t SetAppCursor(uint32_t id, bool show) {
  CAppl* app = GetApplication();
  if (!app) return kNoErr;
  if (id == 0 || app->IsBusyCursor()) {
    ForgetCursors();
    app->SetArrowCursor();
    if (id == 0) return kNoErr;
  }
  if (id == gCursorId) return kNoErr;
  gCursorId = id;
  platform::CursorHandle cursor = nullptr;
  if (id == 1) cursor = platform::WaitCursor();
  else if (id == 2) cursor = platform::IBeamCursor();
  else if (id <= 0xFFFF) cursor = CSystemInfo::Get().LoadCursorById(uint16_t(id));
  if (cursor) platform::SetCursor(cursor);
  if (show) app->ShowCursor();
  return kNoErr;
}

int32_t SetAppCursorByName(const char* name, bool show) {
  CAppl* app = GetApplication();
  if (!app) return kNoErr;
  const bool none = !name || !*name;
  if (none || app->IsBusyCursor()) {
    ForgetCursors();
    app->SetArrowCursor();
    if (none) return kNoErr;
  }
  if (std::strcmp(name, gCursorName) == 0) return kNoErr;
  // A name beyond the remembered field's room is one that no cursor has.
  const bool fits = std::strlen(name) <= kCursorNameChars;
  if (fits) std::strcpy(gCursorName, name);
  else gCursorName[0] = 0;
  if (platform::CursorHandle cursor = fits ? CSystemInfo::Get().LoadCursorByName(name) : nullptr)
    platform::SetCursor(cursor);
  if (show) app->ShowCursor();
  return kNoErr;
}

void SetCursorPosition(int32_t x, int32_t y) { platform::SetCursorPos(x, y); }
