// The control palette's nano preview: its camera, the renders a change asks for, the sky-only and
// wireframe modes, and the slices that give way to the document window's render and to input.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "render/view.h"
#include "scene/surface/material.h"
#include "tests/app/palette_preview_fixture.h"

namespace {

constexpr uint32_t kMarker = 0x12345678;
constexpr uint32_t kRenderAtOnce = 0x80000000;

class NanoPreview : public PaletteTest {
 protected:
  // A sphere of diffuse colour (1, 0, 0) of radius 10 round the point the default camera looks at:
  // it fills the preview camera's view.
  C3dSphere* AddRedBall() {
    C3dSphere* ball = AddShape<C3dSphere>("red ball", {0, 3, 0});
    {
      CHolder lock(ball, true, false);
      ball->SetScaledSize({20, 20, 20});
      auto* material = LookupHandleAs<C3dMaterial>(ball->GetMaterial(), C3dMaterial::kFamily);
      EXPECT_NE(material, nullptr);
      CHolder paint(material, true, false);
      material->GetRecord().sample.diffuseColour = {1, 0, 0};
    }
    EXPECT_EQ(window->FindSceneParts(true), 0);
    return ball;
  }
  CImage* Image() const { return palette->GetPreviewImage(); }
  uint32_t Centre() const {
    return Pixel(Image(), int32_t(Image()->GetWidth()) / 2, int32_t(Image()->GetHeight()) / 2);
  }
  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> out;
    CImNavigator pixels(Image(), nullptr, false, false);
    for (uint32_t y = 0; pixels.IsUsable() && y < pixels.GetRows(); ++y) {
      for (uint32_t x = 0; x < pixels.GetColumns(); ++x) out.push_back(pixels.Cells(y)[x].value);
    }
    return out;
  }
  void Fill(uint32_t value) { ASSERT_TRUE(Image()->Fill(value)); }
  static uint32_t Red(uint32_t p) { return p >> 16 & 0xFF; }
  static uint32_t Green(uint32_t p) { return p >> 8 & 0xFF; }
  static uint32_t Blue(uint32_t p) { return p & 0xFF; }
};

TEST_F(NanoPreview, ThePreviewCameraStartsAtTheDefaultEyeLookingAtTheTarget) {
  MakePalette();
  ASSERT_EQ(palette->InitPreviewCamera(), 0);
  C3dCamera* camera = palette->GetPreviewCamera();
  ASSERT_NE(camera, nullptr);
  CHolder lock(camera, false, false);
  const uint8_t* record = reinterpret_cast<const uint8_t*>(&camera->GetView());
  const uint64_t expected[] = {0, 0x3FF0C15200000000, std::bit_cast<uint64_t>(1.0), std::bit_cast<uint64_t>(1.0)};
  for (uint32_t i = 0; i < 4; ++i) {
    uint64_t bits = 0;
    std::memcpy(&bits, record + 72 + 8 * i, sizeof bits);
    EXPECT_EQ(bits, expected[i]) << "double at " << 72 + 8 * i;
  }
  EXPECT_EQ(camera->GetStateFlags(), 0x4000u);
  EXPECT_EQ(camera->GetFlags(), 0u);
  const vector3<double> eye = camera->GetTransformVector3();
  EXPECT_EQ(eye.x, 10);
  EXPECT_EQ(eye.y, 3);
  EXPECT_EQ(eye.z, -10);
  const SCameraView& view = camera->GetView();
  EXPECT_NEAR(view.target.x, 0, 1e-9);
  EXPECT_NEAR(view.target.y, 3, 1e-9);
  EXPECT_NEAR(view.target.z, 0, 1e-9);
  EXPECT_NEAR(view.direction.x, -std::sqrt(0.5), 1e-9);
  EXPECT_NEAR(view.direction.z, std::sqrt(0.5), 1e-9);
}

// The view code picks the window's camera that the preview copies: its set-up and its position.
TEST_F(NanoPreview, SyncingCopiesTheSetUpAndPositionOfTheChosenCamera) {
  MakePalette();
  window->SetCurrentCamera(window->GetViewCamera(CDocWindow::kFront));
  struct SCase {
    uint32_t code;
    CDocWindow::EView view;
  } cases[] = {{FourCC("top "), CDocWindow::kTop},
               {FourCC("bttm"), CDocWindow::kBottom},
               {FourCC("camv"), CDocWindow::kPerspective},
               {FourCC("curv"), CDocWindow::kFront}};
  for (const SCase& c : cases) {
    ASSERT_EQ(palette->InitPreviewCamera(), 0);
    ASSERT_EQ(palette->SyncPreviewCamera(c.code), 0) << FourCCText(c.code);
    C3dCamera* from = window->GetViewCamera(c.view);
    C3dCamera* camera = palette->GetPreviewCamera();
    CHolder a(from, false, false), b(camera, false, false);
    EXPECT_EQ(std::memcmp(&camera->GetView(), &from->GetView(), 136), 0) << FourCCText(c.code);
    EXPECT_EQ(camera->GetTransformVector3(), from->GetTransformVector3()) << FourCCText(c.code);
  }
  C3dCamera* camera = palette->GetPreviewCamera();
  ASSERT_EQ(palette->SyncPreviewCamera(FourCC("top ")), 0);
  CHolder lock(camera, false, false);
  EXPECT_EQ(camera->GetView().direction, (vector3<double>{0, -1, 0}));
}

TEST_F(NanoPreview, AChangeWithBit31RendersThePreviewToTheEndAtOnce) {
  Made();
  AddRedBall();
  MakePalette();
  Fill(kMarker);
  EXPECT_EQ(ObjInfoChanged(kRenderAtOnce | 2), kHandled);
  EXPECT_FALSE(palette->IsPreviewPending());
  const uint32_t centre = Centre();
  EXPECT_GT(Red(centre), Green(centre));
  EXPECT_GT(Red(centre), Blue(centre));
  // Every pixel was rendered.
  for (uint32_t p : Pixels()) ASSERT_NE(p, kMarker);
}

TEST_F(NanoPreview, WithoutAutoPreviewAChangeOfTheSceneCancelsAndRendersNothing) {
  StoreSettings(CControlPalette::kModeFull, false);
  MakePalette();
  ASSERT_FALSE(palette->IsAutoPreview());
  ASSERT_FALSE(window->GetFlags() & CDocWindow::kNotifyDrags);
  palette->RestartPreview();
  Fill(kMarker);
  EXPECT_EQ(ObjInfoChanged(kRenderAtOnce | 2), kHandled);
  EXPECT_FALSE(palette->IsPreviewPending());
  EXPECT_EQ(Centre(), kMarker);
  // A change that is not the scene's keeps the preview waiting for the user.
  palette->RestartPreview();
  EXPECT_EQ(ObjInfoChanged(1), kHandled);
  EXPECT_TRUE(palette->IsPreviewPending());
  EXPECT_EQ(Centre(), kMarker);
  // A click on the preview still renders it.
  EXPECT_EQ(Send(2, "nano preview", 0), kHandled);
  EXPECT_TRUE(palette->IsPreviewPending());
}

TEST_F(NanoPreview, TheSkyOnlyModeLeavesTheScenesObjectsOut) {
  StoreSettings(CControlPalette::kModeSkyOnly, true);
  MakePalette();
  ASSERT_EQ(palette->GetPreviewMode(), CControlPalette::kModeSkyOnly);
  ASSERT_EQ(ObjInfoChanged(kRenderAtOnce | 2), kHandled);
  const std::vector<uint32_t> without = Pixels();
  AddRedBall();
  ASSERT_EQ(ObjInfoChanged(kRenderAtOnce | 2), kHandled);
  EXPECT_FALSE(palette->IsPreviewPending());
  EXPECT_EQ(Pixels(), without);
}

TEST_F(NanoPreview, TheWireModeDrawsTheScenesWireframeThroughThePreviewCamera) {
  StoreSettings(CControlPalette::kModeWire, true);
  Made();
  AddRedBall();
  MakePalette();
  ASSERT_EQ(palette->GetPreviewMode(), CControlPalette::kModeWire);
  Fill(kMarker);
  ASSERT_EQ(ObjInfoChanged(kRenderAtOnce | 2), kHandled);
  EXPECT_FALSE(palette->IsPreviewPending());

  int32_t error = 0;
  std::unique_ptr<CImage> expected(
      NewImageIn(app->GetObjectsEnv(), Image()->GetWidth(), Image()->GetHeight(), &error));
  ASSERT_NE(expected, nullptr) << error;
  CView view;
  view.GetStyle() = window->GetViewStyle();
  view.SetImage(expected.get());
  view.SetObjectList(window->GetSceneTable());
  view.SetCamera(palette->GetPreviewCamera());
  ASSERT_EQ(view.UpdateFromCamera(), 0);
  view.ClearBackground();
  ASSERT_EQ(DrawSceneWireframe(view, true), 0);
  const std::vector<uint32_t> preview = Pixels();
  std::vector<uint32_t> lines;
  CImNavigator pixels(expected.get(), nullptr, false, false);
  for (uint32_t y = 0; y < pixels.GetRows(); ++y) {
    for (uint32_t x = 0; x < pixels.GetColumns(); ++x) lines.push_back(pixels.Cells(y)[x].value);
  }
  EXPECT_EQ(preview, lines);
  // Lines over the background: the ball's outline is there.
  const uint32_t background = window->GetViewStyle().background;
  size_t drawn = 0;
  for (uint32_t p : preview) drawn += (p & 0xFFFFFF) != background;
  EXPECT_GT(drawn, preview.size() / 100);
}

TEST_F(NanoPreview, SlicesGiveWayToTheDocumentWindowsRender) {
  MakePalette();
  palette->RestartPreview();
  Fill(kMarker);
  window->SetRenderRequest(CDocWindow::kRenderNow);
  EXPECT_EQ(palette->RenderNanoSlices(), kHandled);
  EXPECT_TRUE(palette->IsPreviewPending());
  EXPECT_EQ(Centre(), kMarker);
  window->SetRenderRequest(0);

  // During the window's own render call its rendering depth keeps the slices away too.
  struct SDuring {
    CDocWindow* window;
    CControlPalette* palette;
    uint32_t depth = 0;
    int32_t answer = -1;
  } during{window, palette};
  ASSERT_TRUE(ProgressSubscribe(&during, [](void* owner, void*, void*) -> int32_t {
    auto* d = static_cast<SDuring*>(owner);
    if (d->answer != -1) return 0;
    d->depth = d->window->GetRenderDepth();
    d->answer = d->palette->RenderNanoSlices();
    return 0;
  }));
  window->SetRenderRequest(CDocWindow::kRenderNow);
  window->RenderSlice();
  ProgressUnsubscribe(&during);
  EXPECT_GT(during.depth, 0u);
  EXPECT_EQ(during.answer, kHandled);
  EXPECT_EQ(window->GetRenderDepth(), 0u);
  EXPECT_EQ(Centre(), kMarker);
}

// The heartbeat renders a pending preview 60 ticks after it was asked for; input waiting puts the
// next attempt more than 150 ticks away.
TEST_F(NanoPreview, TheHeartbeatRendersAfterSixtyTicksAndBacksOffForInput) {
  MakePalette();
  MovePointer({0, 700});
  palette->RestartPreview();
  AdvanceTicks(30);
  EXPECT_EQ(palette->HeartbeatStep(0), 0);
  EXPECT_TRUE(palette->IsPreviewPending());
  AdvanceTicks(31);
  EXPECT_EQ(palette->HeartbeatStep(0), 0);
  EXPECT_FALSE(palette->IsPreviewPending());

  palette->RestartPreview();
  AdvanceTicks(61);
  ASSERT_TRUE(platform::headless::AddScript("key 16\nkeyup 16"));
  EXPECT_EQ(palette->HeartbeatStep(0), 0);
  EXPECT_TRUE(palette->IsPreviewPending());
  Settle();
  AdvanceTicks(140);
  EXPECT_EQ(palette->HeartbeatStep(0), 0);
  EXPECT_TRUE(palette->IsPreviewPending());
  AdvanceTicks(12);
  EXPECT_EQ(palette->HeartbeatStep(0), 0);
  EXPECT_FALSE(palette->IsPreviewPending());
}

// A preview that gives way to the window's render waits for its back-off, and its step answers 0 so
// that the heartbeat goes on to the rows after the palette.
TEST_F(NanoPreview, APreviewGivingWayLetsTheHeartbeatGoOn) {
  MakePalette();
  MovePointer({0, 700});
  palette->RestartPreview();
  window->SetRenderRequest(CDocWindow::kRenderNow);
  AdvanceTicks(61);
  EXPECT_EQ(palette->HeartbeatStep(0), 0);
  EXPECT_TRUE(palette->IsPreviewPending());
  window->SetRenderRequest(0);
  AdvanceTicks(140);
  EXPECT_EQ(palette->HeartbeatStep(0), 0);
  EXPECT_TRUE(palette->IsPreviewPending()) << "still backing off";
  AdvanceTicks(12);
  EXPECT_EQ(palette->HeartbeatStep(0), 0);
  EXPECT_FALSE(palette->IsPreviewPending());
}

// 'nrnd' restarts the preview, which follows the window's camera again and renders.
TEST_F(NanoPreview, TheNanoRenderCommandRendersThePreviewAgain) {
  MakePalette();
  ASSERT_EQ(ObjInfoChanged(kRenderAtOnce | 2), kHandled);
  window->SetCurrentCamera(window->GetViewCamera(CDocWindow::kTop));
  EXPECT_EQ(palette->RenewPreview(), 0);
  C3dCamera* camera = palette->GetPreviewCamera();
  CHolder lock(camera, false, false);
  EXPECT_EQ(camera->GetView().direction, (vector3<double>{0, -1, 0}));
  EXPECT_TRUE(palette->IsPreviewPending());
}

}  // namespace
