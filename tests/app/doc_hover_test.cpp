// The document window's pointer feedback: cursors for the held keys and what lies under the pointer,
// the frames round the hovered handle and inside the hovered overlay button, and the information line
// posted to the palettes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "platform/headless.h"
#include "scene/cone.h"
#include "scene/object_family.h"
#include "scene/plane.h"
#include "tests/app/doc_commands_fixture.h"

namespace {

constexpr uint32_t kShift = 16, kControl = 17, kAlt = 18, kSpace = 32;

// A receiver after the window in its owner's table: the readout lines posted (kind 4).
int32_t NoteReadout(void* lines, void* message, void*) {
  const auto* m = static_cast<CUIMessage*>(message);
  if (m->kind == 4 && m->flags == 1 && std::string(m->canvasName).empty())
    static_cast<std::vector<std::string>*>(lines)->push_back(std::string(m->elementName) + " | " + m->windowName);
  return 0;
}

class DocHover : public DocCommandsTest {
 protected:
  void SetUp() override {
    DocCommandsTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made();
    Show();
    ASSERT_TRUE(owner->Register(&posted, &NoteReadout));
  }
  void TearDown() override {
    owner->Unregister(&posted);
    Keys("keyup", {kShift, kControl, kAlt, kSpace});
    DocCommandsTest::TearDown();
  }
  void Keys(const char* how, const std::vector<uint32_t>& keys) {
    std::string script;
    for (uint32_t key : keys) script += std::string(how) + " " + std::to_string(key) + "\n";
    ASSERT_TRUE(platform::headless::AddScript(script));
    Settle();
  }
  // The pointer to a canvas point, the input played and the pending redraw done.
  void PointAt(SPointHV canvas) {
    const SPointHV screen = w->CanvasToScreen(canvas);
    ASSERT_TRUE(platform::headless::AddScript("move " + std::to_string(screen.h) + " " + std::to_string(screen.v)));
    Settle();
    ASSERT_EQ(w->Redraw(false), 0);
  }
  // Where the window image's pixel shows on the canvas.
  SPointHV ImageToCanvas(SPointHV pixel) {
    SRect local, placed;
    w->GetDocImage()->GetLocalRect(&local);
    w->GetDocImage()->LocalToAncestorRect(&placed, local, w->GetRoot());
    return {pixel.h + placed.left, pixel.v + placed.top};
  }
  SRect CanvasRect(CElement* element) {
    SRect local, placed;
    element->GetLocalRect(&local);
    element->LocalToAncestorRect(&placed, local, w->GetRoot());
    return placed;
  }
  static std::string Cursor() { return platform::headless::CursorDescription(platform::GetCursor()); }
  std::vector<uint32_t> SurfacePixels() {
    std::vector<uint32_t> out;
    const platform::Surface* surface = platform::GetWindowSurface(w->GetWindow());
    for (int32_t y = 0; surface && y < surface->Height(); ++y)
      for (int32_t x = 0; x < surface->Width(); ++x) out.push_back(surface->Pixel(x, y));
    return out;
  }
  uint32_t SurfaceAt(SPointHV p) { return platform::GetWindowSurface(w->GetWindow())->Pixel(p.h, p.v) & 0xFFFFFF; }
  // A selected sphere in front of the camera, drawn with its handles.
  C3dSphere* SelectedSphere() {
    C3dSphere* ball = AddShape<C3dSphere>("ball", {0, 1, 0});
    EXPECT_EQ(w->FindSceneParts(true), 0);
    Selection().Add(ball, 1, 0);
    w->Invalidate(true);
    EXPECT_EQ(w->Redraw(false), 0);
    return ball;
  }
  // A spot of the image far from the selection and the overlay buttons.
  SPointHV EmptySpot() { return ImageToCanvas({4, w->GetWindowImageSize().v - 4}); }

  CDocWindow* w = nullptr;
  std::vector<std::string> posted;
};

TEST_F(DocHover, SpaceAndItsModifiersChooseTheCameraCursors) {
  PointAt(EmptySpot());
  struct SCase {
    std::vector<uint32_t> keys;
    const char* wireframe;
  } cases[] = {{{kSpace}, "shape 108"},
               {{kSpace, kAlt}, "shape 115"},
               {{kSpace, kControl}, "shape 121"},
               {{kSpace, kControl, kAlt}, "shape 120"}};
  for (bool rendered : {false, true}) {
    if (rendered) {
      ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
    }
    for (const SCase& c : cases) {
      SCOPED_TRACE(c.wireframe);
      Keys("key", c.keys);
      EXPECT_EQ(rendered ? w->TrackImageHover() : w->TrackHover(), 0);
      EXPECT_EQ(Cursor(), c.wireframe);
      Keys("keyup", c.keys);
    }
  }
}

// Each handle's own cursor by its axis, corners alike; Ctrl (rotate) and Ctrl+Alt (reset) for any.
TEST_F(DocHover, HandlesShowTheirCursorsAndTheDefaultElsewhere) {
  SelectedSphere();
  const char* byHandle[] = {"shape 114", "shape 114", "shape 111", "shape 111", "shape 123", "shape 123"};
  uint32_t checked = 0;
  for (uint32_t handle = 0; handle < CSelection::kCentreHandle; ++handle) {
    SPointHV point;
    Selection().GetHandle(handle, &point.h, &point.v);
    int32_t hit = -1;
    // Handles drawn on top of an earlier one answer to that one.
    if (!Selection().HitTestHandle(point.h, point.v, &hit) || hit != int32_t(handle)) continue;
    SCOPED_TRACE(handle);
    PointAt(ImageToCanvas(point));
    w->TrackHover();
    EXPECT_EQ(Cursor(), handle < 6 ? byHandle[handle] : "shape 116");
    EXPECT_EQ(w->GetHoveredHandle(), int32_t(handle));
    Keys("key", {kControl});
    w->TrackHover();
    EXPECT_EQ(Cursor(), "shape 117");
    Keys("key", {kAlt});
    w->TrackHover();
    EXPECT_EQ(Cursor(), "shape 122");
    Keys("keyup", {kControl, kAlt});
    ++checked;
  }
  EXPECT_GE(checked, 8u);
  PointAt(EmptySpot());
  w->TrackHover();
  EXPECT_EQ(Cursor(), "arrow");
  EXPECT_EQ(w->GetHoveredHandle(), CDocWindow::kNoHandleHovered);
}

TEST_F(DocHover, TheHoveredHandleIsFramedAndTheSurfaceComesBackByteForByte) {
  SelectedSphere();
  PointAt(EmptySpot());
  w->TrackHover();
  const std::vector<uint32_t> before = SurfacePixels();
  SPointHV point;
  Selection().GetHandle(0, &point.h, &point.v);
  int32_t hit = -1;
  ASSERT_TRUE(Selection().HitTestHandle(point.h, point.v, &hit));
  Selection().GetHandle(uint32_t(hit), &point.h, &point.v);
  const SPointHV at = ImageToCanvas(point);
  PointAt(at);
  w->TrackHover();
  const SRect frame{at.v - 3, at.h - 2, at.v + 3, at.h + 4};
  EXPECT_EQ(w->GetHandleOutline(), frame);
  for (SPointHV corner : {SPointHV{frame.left, frame.top}, SPointHV{frame.right - 1, frame.top},
                          SPointHV{frame.left, frame.bottom - 1}, SPointHV{frame.right - 1, frame.bottom - 1}}) {
    EXPECT_EQ(SurfaceAt(corner), 0u) << corner.h << "," << corner.v;
  }
  EXPECT_NE(SurfacePixels(), before);
  PointAt(EmptySpot());
  w->TrackHover();
  EXPECT_TRUE(IsEmptyRect(w->GetHandleOutline()));
  EXPECT_EQ(SurfacePixels(), before);
}

TEST_F(DocHover, TheOverlayButtonUnderThePointerIsFramedInWhiteTwoPixelsInside) {
  SelectedSphere();
  PointAt(EmptySpot());
  w->TrackHover();
  const std::vector<uint32_t> before = SurfacePixels();
  CImElement* shown = nullptr;
  for (uint32_t i = 0; i < CDocWindow::kOverlayButtonCount && !shown; ++i) {
    if (w->GetOverlayButton(i)->IsShown()) shown = w->GetOverlayButton(i);
  }
  ASSERT_NE(shown, nullptr);
  const SRect button = CanvasRect(shown);
  const SPointHV middle{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  PointAt(middle);
  w->TrackHover();
  ASSERT_EQ(w->GetHoveredHandle(), CDocWindow::kNoHandleHovered);
  const SRect frame{button.top + 2, button.left + 2, button.bottom - 2, button.right - 2};
  EXPECT_EQ(w->GetButtonOutline(), frame);
  for (SPointHV corner : {SPointHV{frame.left, frame.top}, SPointHV{frame.right - 1, frame.bottom - 1}}) {
    EXPECT_EQ(SurfaceAt(corner), 0xFFFFFFu);
  }
  PointAt(EmptySpot());
  w->TrackHover();
  EXPECT_TRUE(IsEmptyRect(w->GetButtonOutline()));
  EXPECT_EQ(SurfacePixels(), before);
}

// A redraw copies the window image over the frames (after a click on an overlay button, a key nudge
// with the pointer on a handle, or a paint); the next look at the pointer frames the same place again.
TEST_F(DocHover, AFrameCoveredByARedrawIsDrawnAgain) {
  SelectedSphere();
  SPointHV handle;
  Selection().GetHandle(0, &handle.h, &handle.v);
  int32_t hit = -1;
  ASSERT_TRUE(Selection().HitTestHandle(handle.h, handle.v, &hit));
  Selection().GetHandle(uint32_t(hit), &handle.h, &handle.v);
  CImElement* button = nullptr;
  for (uint32_t i = 0; i < CDocWindow::kOverlayButtonCount && !button; ++i) {
    if (w->GetOverlayButton(i)->IsShown()) button = w->GetOverlayButton(i);
  }
  ASSERT_NE(button, nullptr);
  const SRect buttonRect = CanvasRect(button);
  const struct {
    const char* what;
    SPointHV at;
  } places[] = {{"handle", ImageToCanvas(handle)},
                {"button", {(buttonRect.left + buttonRect.right) / 2, (buttonRect.top + buttonRect.bottom) / 2}}};
  const struct {
    const char* how;
    void (*cover)(CDocWindow*);
  } redraws[] = {{"redraw", [](CDocWindow* window) {
                    window->Invalidate(false);
                    ASSERT_EQ(window->Redraw(false), 0);
                  }},
                 {"paint", [](CDocWindow* window) { ASSERT_TRUE(window->Redraw(static_cast<const SRect*>(nullptr))); }}};
  for (const auto& place : places) {
    for (const auto& redraw : redraws) {
      SCOPED_TRACE(std::string(place.what) + " " + redraw.how);
      PointAt(EmptySpot());
      w->TrackHover();
      const std::vector<uint32_t> bare = SurfacePixels();
      PointAt(place.at);
      w->TrackHover();
      const std::vector<uint32_t> framed = SurfacePixels();
      const SRect handleOutline = w->GetHandleOutline(), buttonOutline = w->GetButtonOutline();
      ASSERT_NE(framed, bare);
      redraw.cover(w);
      ASSERT_EQ(SurfacePixels(), bare);
      w->TrackHover();
      EXPECT_EQ(SurfacePixels(), framed);
      EXPECT_EQ(w->GetHandleOutline(), handleOutline);
      EXPECT_EQ(w->GetButtonOutline(), buttonOutline);
    }
  }
}

// The rendered image shows cursor 118, the "patch render" picture the default; a pointer over
// another window changes nothing.
TEST_F(DocHover, TheRenderedImageAndThePatchAndOtherWindows) {
  ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
  PointAt(EmptySpot());
  w->TrackImageHover();
  EXPECT_EQ(Cursor(), "shape 118");
  CImElement* patch = w->GetPatchRender();
  patch->Show(false);
  const SPointHV at = patch->GetImagePosition();
  SRect picture;
  patch->LocalToAncestorRect(&picture, {at.v, at.h, at.v + 1, at.h + 1}, w->GetRoot());
  PointAt({picture.left + 1, picture.top + 1});
  w->TrackImageHover();
  EXPECT_EQ(Cursor(), "arrow");
  patch->Hide(false);

  // Beside the document window, over the main window.
  w->TrackImageHover();
  EXPECT_EQ(Cursor(), "shape 118");
  PointAt({w->GetBounds().right + 10, 10});
  ASSERT_NE(platform::WindowFromPoint(platform::GetCursorPos()), w->GetWindow());
  for (bool rendered : {true, false}) {
    if (!rendered) {
      ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
    }
    const size_t lines = posted.size();
    rendered ? w->TrackImageHover() : w->TrackHover();
    EXPECT_EQ(Cursor(), "shape 118");
    if (!rendered) {
      EXPECT_EQ(posted.size(), lines) << "nothing posted from elsewhere";
    }
  }
}

// One selected of a sphere, a cube and a group of two cones, then the group: the line counts the
// group's members once; over the rendered image the title and the image's size, once per switch.
TEST_F(DocHover, TheInformationLine) {
  for (C3dBase* ground : Things(C3dPlane::kFamily, C3dPlane::kClassTag)) {
    ASSERT_EQ(w->GetDocument()->DeleteObjectUndoable(nullptr, ground->AsObject()), 0);
  }
  C3dSphere* ball = AddShape<C3dSphere>("ball", {0, 1, 0});
  AddShape<C3dCube>("box", {3, 1, 0});
  C3dGroup* pair = AddGroup("pair", {AddShape<C3dCone>("a", {-3, 1, 0}), AddShape<C3dCone>("b", {-5, 1, 0})});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  Selection().Add(ball, 1, 0);
  w->Invalidate(true);
  // The heartbeats while the input plays post the line too: once in all.
  posted.clear();
  PointAt(EmptySpot());
  w->TrackHover();
  w->TrackHover();
  EXPECT_EQ(posted, (std::vector<std::string>{"121 object selected | 124 objects in scene"}));

  Selection().Add(pair, 1, 0);
  w->TrackHover();
  w->TrackHover();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[1], "122 objects selected | 124 objects in scene");

  posted.clear();
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
    w->TrackImageHover();
    w->TrackImageHover();
    ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
    w->TrackHover();
  }
  const std::string image = "12Untitled | 12Image 480 x 360 pixels";
  const std::string counts = "122 objects selected | 124 objects in scene";
  EXPECT_EQ(posted, (std::vector<std::string>{image, counts, image, counts}));

  // Another readout text in between brings the line back though it did not change.
  CUIMessage other;
  other.Init(4, "12help", nullptr, nullptr, 1);
  w->HandleEvent(&other);
  w->TrackHover();
  EXPECT_EQ(posted.size(), 5u);
  EXPECT_EQ(posted.back(), counts);
}

// A scene of one object says so in the singular.
TEST_F(DocHover, TheInformationLineCountsOneObjectInTheSingular) {
  for (C3dBase* ground : Things(C3dPlane::kFamily, C3dPlane::kClassTag)) {
    ASSERT_EQ(w->GetDocument()->DeleteObjectUndoable(nullptr, ground->AsObject()), 0);
  }
  C3dSphere* ball = AddShape<C3dSphere>("ball", {0, 1, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  Selection().Add(ball, 1, 0);
  w->Invalidate(true);
  posted.clear();
  PointAt(EmptySpot());
  w->TrackHover();
  EXPECT_EQ(posted, (std::vector<std::string>{"121 object selected | 121 object in scene"}));
}

}  // namespace
