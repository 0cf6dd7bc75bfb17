// Pointer feedback of the document window, run by its heartbeat: the cursor for the held keys and for
// what lies under the pointer, a frame round the hovered drag handle and inside the hovered overlay
// button, and the information line the control palette's readout shows.
#include <string>

#include "app/doc_window.h"
#include "app/layout_needs.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "framework/core/appl.h"
#include "framework/core/format_text.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "platform/gdi.h"
#include "platform/window.h"
#include "scene/base_spool_table.h"
#include "scene/camera.h"
#include "scene/group.h"

namespace {

// The cursors while Space is held: plain, with Alt, with Ctrl, with Ctrl and Alt.
constexpr uint32_t kSpaceCursor = 108;
constexpr uint32_t kSpaceAltCursor = 115;
constexpr uint32_t kSpaceControlCursor = 121;
constexpr uint32_t kSpaceControlAltCursor = 120;
// Over handles: face pairs along x, y and z, the corners, and with Ctrl or Ctrl and Alt any handle.
constexpr uint32_t kHandleXCursor = 114;
constexpr uint32_t kHandleYCursor = 111;
constexpr uint32_t kHandleZCursor = 123;
constexpr uint32_t kCornerCursor = 116;
constexpr uint32_t kRotateCursor = 117;
constexpr uint32_t kResetCursor = 122;
constexpr uint32_t kRenderedImageCursor = 118;
// The readout message: kind 4, flag 1, the two lines in the element-name and window-name fields.
constexpr uint32_t kReadoutKind = 4;
constexpr uint32_t kReadoutFlags = 1;
// The "image info" entries: the image's size, one selected, any other count selected, the scene, a
// scene of one object.
constexpr uint32_t kImageSizeEntry = 1;
constexpr uint32_t kOneSelectedEntry = 2;
constexpr uint32_t kSelectedEntry = 3;
constexpr uint32_t kSceneEntry = 4;
constexpr uint32_t kOneObjectSceneEntry = 5;
constexpr const char* kTitleLine = "12%s";
// The handle frame round a handle's point, and the button frame's inset.
constexpr SRect kHandleFrame{-3, -2, 3, 4};
constexpr int32_t kButtonInset = 2;

// The frame's area, grown by a pixel, copied back from the window image shown in the image rectangle.
void RestoreFromImage(CImage* windowImage, platform::DeviceContext* dc, const SRect& image, const SRect& outline) {
  if (IsEmptyRect(outline) || !windowImage || !dc) return;
  const SRect area = SectRect(GrownRect(outline, 1), image);
  if (!IsEmptyRect(area)) windowImage->Draw(dc, OffsetRect(area, -image.left, -image.top), area);
}

bool IsGroup(const C3dObject* object) {
  return object->GetFamily() == C3dGroup::kFamily && object->GetClass() == C3dGroup::kClassTag;
}

// What an object counts in the information line: a group its members, any other object one.
uint32_t ObjectCount(C3dObject* object) {
  if (!object->IsReady()) return 0;
  if (!IsGroup(object)) return 1;
  auto* group = static_cast<C3dGroup*>(object);
  uint32_t count = 0;
  for (uint32_t i = 0; i < group->GetMemberCount(); ++i) count += ObjectCount(group->GetMember(i));
  return count;
}

// The pattern with its first "%d" given the first number and the next the second; the formatter
// fills one number a call.
std::string FormatTwoNumbers(const std::string& pattern, int32_t first, int32_t second) {
  size_t split = pattern.size();
  for (size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (pattern[i + 1] == 'd') {
      split = i + 2;
      break;
    }
    ++i;  // "%%" and the other sequences are the formatter's
  }
  return FormatText(pattern.substr(0, split), first) + FormatText(pattern.substr(split), second);
}

// Whether the window is the one under the screen point. Asking the platform walks every window, on
// every loop step; a point outside the window's own rectangle needs no asking.
bool IsUnder(platform::WindowHandle window, platform::SPoint screen) {
  platform::SWinRect rect;
  if (!platform::GetWindowRect(window, &rect) || !rect.Contains(screen)) return false;
  return platform::WindowFromPoint(screen) == window;
}

uint32_t HandleCursor(int32_t handle, bool control, bool alt) {
  if (control && alt) return kResetCursor;
  if (control) return kRotateCursor;
  if (handle <= 1) return kHandleXCursor;
  if (handle <= 3) return kHandleYCursor;
  if (handle <= 5) return kHandleZCursor;
  return kCornerCursor;
}

}  // namespace

uint32_t CDocWindow::SpaceCursor(bool control, bool alt) {
  if (control && alt) return kSpaceControlAltCursor;
  if (control) return kSpaceControlCursor;
  return alt ? kSpaceAltCursor : kSpaceCursor;
}

int32_t CDocWindow::TrackHover() {
  CAppl* app = GetApplication();
  if (!app) return kNoErr;
  const platform::SPoint screen = app->GetCursorPos();
  if (!IsUnder(GetWindow(), screen)) return kNoErr;
  const bool control = app->IsControlDown(), alt = app->IsAltDown();
  if (app->IsKeyDown(platform::kVkSpace)) {
    SetAppCursor(SpaceCursor(control, alt), false);
    return kNoErr;
  }
  SPointHV canvas;
  GetRoot()->ParentToLocalPoint(&canvas, ScreenToCanvas({screen.x, screen.y}));
  const SPointHV view = CanvasToView(canvas);
  CSelection& selection = fDocument->GetSelection();
  int32_t handle = kNoHandleHovered;
  if (selection.HitTestHandle(view.h, view.v, &handle)) {
    if (handle != fHoveredHandle) {
      SPointHV point;
      selection.GetHandle(uint32_t(handle), &point.h, &point.v);
      const SRect image = DocImageRect();
      OutlineHandle({point.h + image.left, point.v + image.top}, false);
    }
    fHoveredHandle = handle;
    SetAppCursor(HandleCursor(handle, control, alt), false);
  } else {
    OutlineHandle({}, true);
    OutlineOverlayButton(canvas);
    fHoveredHandle = kNoHandleHovered;
    SetAppCursorByName(nullptr, false);
  }

  uint32_t selected = 0, scene = 0;
  for (uint32_t i = 0; i < selection.GetCount(); ++i) selected += ObjectCount(selection.GetObject(i));
  // Top-level objects only: a group counts its members, which the list also holds.
  CHolder objects(fObjects.get(), false, false);
  for (uint32_t row = 0; fObjects && objects.IsLocked() && row < fObjects->GetCount(); ++row) {
    C3dBase* thing = fObjects->At(row);
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (object && !object->GetParent() && object->GetFamily() != C3dCamera::kFamily) scene += ObjectCount(object);
  }
  objects.Release();
  // The line stands while the byte is set and the counts are those it shows.
  const uint64_t counts = uint64_t(selected) << 32 | scene;
  if (fInfoShown && counts == fPostedCounts) return kNoErr;
  CIxTextLocal info(GetResourceEnvironment(), need::kImageInfo.name, CIxText::kNone);
  if (info.GetResult() != kNoErr || info.Count() < need::kImageInfo.entries) return kNoErr;
  const uint32_t entry = selected == 1 ? kOneSelectedEntry : kSelectedEntry;
  const uint32_t sceneEntry = scene == 1 ? kOneObjectSceneEntry : kSceneEntry;
  PostInfoLine(FormatText(info.TextAt(entry), int32_t(selected)), FormatText(info.TextAt(sceneEntry), int32_t(scene)));
  fPostedCounts = counts;
  return kNoErr;
}

int32_t CDocWindow::TrackImageHover() {
  CAppl* app = GetApplication();
  if (!app) return kNoErr;
  if (app->IsKeyDown(platform::kVkSpace)) {
    SetAppCursor(SpaceCursor(app->IsControlDown(), app->IsAltDown()), false);
    return kNoErr;
  }
  const platform::SPoint screen = app->GetCursorPos();
  bool onPatch = false;
  CIxImage* pictures = GetPatchRenderPictures();
  CImage* picture = pictures ? pictures->CurrentImage() : nullptr;
  if (fPatchRender && fPatchRender->IsShown() && picture) {
    SPointHV canvas;
    GetRoot()->ParentToLocalPoint(&canvas, ScreenToCanvas({screen.x, screen.y}));
    const SPointHV at = fPatchRender->GetImagePosition();
    SRect placed;
    fPatchRender->LocalToAncestorRect(
        &placed, {at.v, at.h, at.v + int32_t(picture->GetHeight()), at.h + int32_t(picture->GetWidth())}, GetRoot());
    onPatch = IsPointInRect(canvas, placed);
  }
  if (IsUnder(GetWindow(), screen)) {
    if (onPatch) SetAppCursorByName(nullptr, false);
    else SetAppCursor(kRenderedImageCursor, false);
  }
  if (fInfoShown) return kNoErr;
  CIxTextLocal info(GetResourceEnvironment(), need::kImageInfo.name, CIxText::kNone);
  if (info.GetResult() != kNoErr || info.Count() < need::kImageInfo.entries) return kNoErr;
  const SPointHV size = GetWindowImageSize();
  PostInfoLine(FormatText(kTitleLine, fTitle, nullptr), FormatTwoNumbers(info.TextAt(kImageSizeEntry), size.h, size.v));
  return kNoErr;
}

void CDocWindow::PostInfoLine(const std::string& top, const std::string& bottom) {
  CUIMessage message;
  message.Init(kReadoutKind, top.c_str(), bottom.c_str(), nullptr, kReadoutFlags);
  if (CUICmFunction* owner = GetOwner()) owner->Dispatch(&message);
  // Any other readout text clears the byte again (HandleEvent), and the line is posted anew.
  fInfoShown = 1;
}

// The frames are cut to the image, the only place the window image can restore.
void CDocWindow::OutlineHandle(SPointHV handle, bool remove) {
  platform::DeviceContext* dc = GetDeviceContext();
  const SRect image = DocImageRect();
  const SRect outline = remove ? SRect{} : OffsetRect(kHandleFrame, handle.h, handle.v);
  if (!remove && outline == fHandleOutline) return;
  RestoreFromImage(fWindowImage, dc, image, fHandleOutline);
  fHandleOutline = outline;
  if (!remove && dc) FrameWith(dc, outline, platform::kBlackBrush, &image);
}

void CDocWindow::ForgetHoverFrames() {
  fHoveredHandle = kNoHandleHovered;
  fHandleOutline = {};
  fButtonOutline = {};
}

// The old frame is restored from the window image, which holds the overlay buttons, rather than left
// to a repaint that would also wipe a new frame it overlaps.
void CDocWindow::OutlineOverlayButton(SPointHV point) {
  SRect outline;
  for (CImElement* button : fOverlayButtons) {
    if (!button || !button->IsShown()) continue;
    SRect local, placed;
    button->GetLocalRect(&local);
    button->LocalToAncestorRect(&placed, local, GetRoot());
    if (!IsPointInRect(point, placed)) continue;
    outline = GrownRect(placed, -kButtonInset);
    break;
  }
  if (outline == fButtonOutline) return;
  platform::DeviceContext* dc = GetDeviceContext();
  const SRect image = DocImageRect();
  RestoreFromImage(fWindowImage, dc, image, fButtonOutline);
  fButtonOutline = outline;
  if (!IsEmptyRect(outline) && dc) FrameWith(dc, outline, platform::kWhiteBrush, &image);
}
