#include "render/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "render/render_camera.h"
#include "scene/sphere.h"
#include "tests/render/view_fixture.h"

namespace {

using Point = vector3<double>;
constexpr double kGround = -0.009999999776482582;
constexpr double kNear = 0.10000000149011612;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct SClipCase {
  const char* name;
  bool (*clip)(Point&, Point&);
  Point a, b;
  bool kept;
  Point clippedA, clippedB;
};

TEST(ViewClips, WorldSegmentsAreCutAtTheGroundAndTheNearPlane) {
  // The cut end's other two components follow the segment.
  const double g = (kGround + 1) / 2, n = (kNear + 1) / 2;
  const SClipCase cases[] = {
      {"below the ground", ClipSegmentAboveGround, {0, -1, 0}, {3, -0.011, 2}, false, {}, {}},
      {"above the ground", ClipSegmentAboveGround, {0, 1, 0}, {3, -0.0099, 2}, true, {0, 1, 0}, {3, -0.0099, 2}},
      {"through the ground", ClipSegmentAboveGround, {0, -1, 0}, {2, 1, 4}, true, {2 * g, kGround, 4 * g}, {2, 1, 4}},
      {"through, reversed", ClipSegmentAboveGround, {2, 1, 4}, {0, -1, 0}, true, {2, 1, 4}, {2 * g, kGround, 4 * g}},
      {"behind the near plane", ClipSegmentNear, {0, 0, 0.05}, {1, 1, -3}, false, {}, {}},
      {"through the near plane", ClipSegmentNear, {2, 4, -1}, {0, 0, 1}, true, {2 - 2 * n, 4 - 4 * n, kNear}, {0, 0, 1}},
  };
  for (const SClipCase& c : cases) {
    Point a = c.a, b = c.b;
    ASSERT_EQ(c.clip(a, b), c.kept) << c.name;
    if (!c.kept) continue;
    ExpectNear(a, c.clippedA, 1e-15, c.name);
    ExpectNear(b, c.clippedB, 1e-15, c.name);
  }
  Point a{0, -1, 0}, b{2, 1, 4};
  ASSERT_TRUE(ClipSegmentAboveGround(a, b));
  EXPECT_EQ(a.y, kGround);  // exactly the single-precision level
  a = {2, 4, -1};
  b = {0, 0, 1};
  ASSERT_TRUE(ClipSegmentNear(a, b));
  EXPECT_EQ(a.z, kNear);
}

TEST(ViewClips, ACameraBasisWithoutAPlaneIsTheIdentity) {
  EXPECT_EQ(MakeCameraBasis({1, 2, 3}, {0, 1, 0}, {0, 2, 0}), C34Matrix());
  EXPECT_EQ(MakeCameraBasis({1, 2, 3}, {}, {0, 1, 0}), C34Matrix());
  const C34Matrix basis = MakeCameraBasis({1, 2, 3}, {1, 0, 0}, {0, 1, 0});
  EXPECT_EQ(basis.Row(2), (Point{0, 0, 1}));
  EXPECT_EQ(basis.Row(3), (Point{1, 2, 3}));
}

TEST_F(ViewTest, LinesAreClippedToTheImageLessItsBorder) {
  CView& v = MakeView(16, 16);
  float x0 = 3, y0 = 5, x1 = 14, y1 = 5;  // width − 2
  ASSERT_TRUE(v.ClipLine2d(x0, y0, x1, y1));
  EXPECT_EQ(x1, 14.0f);
  x1 = 14.5f;
  ASSERT_TRUE(v.ClipLine2d(x0, y0, x1, y1));
  EXPECT_EQ(x1, 14.0f);
  x0 = -10, y0 = -10, x1 = 30, y1 = 30;  // both ends out, through the image
  ASSERT_TRUE(v.ClipLine2d(x0, y0, x1, y1));
  EXPECT_EQ(std::make_pair(x0, y0), std::make_pair(1.0f, 1.0f));
  EXPECT_EQ(std::make_pair(x1, y1), std::make_pair(14.0f, 14.0f));
  x0 = -5, y0 = 0.5f, x1 = 20, y1 = 0.5f;  // above the top border
  EXPECT_FALSE(v.ClipLine2d(x0, y0, x1, y1));
  x0 = 3, y0 = 3, x1 = kNaN, y1 = 5;
  EXPECT_FALSE(v.ClipLine2d(x0, y0, x1, y1));

  v.GetStyle().pen = 0x00FFFFFF;
  v.DrawLine2d(5, 5, 5, 5);
  v.DrawLine2d(3, 3, kNaN, 5);
  v.DrawLine2d(3, 3, std::numeric_limits<float>::infinity(), 5);
  EXPECT_TRUE(PixelsNot(0).empty());
}

TEST_F(ViewTest, TheRasteriserDrawsPlainAntialiasedAndDashedLines) {
  CView& v = MakeView(16, 16);
  v.GetStyle().pen = 0x00FFFFFF;
  v.GetStyle().antialias = false;
  v.GetStyle().dashMask = 2;  // no effect without antialiasing
  v.DrawLine2d(5.0f, 1.0f, 5.0f, 10.0f);
  std::vector<std::pair<int, int>> expected;
  for (int y = 1; y <= 10; ++y) expected.push_back({5, y});
  EXPECT_EQ(PixelsNot(0), expected);
  for (int y = 1; y <= 10; ++y) EXPECT_EQ(Pixel(5, y), 0x00FFFFFFu);

  SetPixels(0);
  v.GetStyle().antialias = true;
  v.GetStyle().dashMask = 0;
  v.DrawLine2d(5.5f, 2.5f, 5.5f, 8.5f);
  const auto expectLine = [&](std::set<int> blackRows) {
    std::vector<std::pair<int, int>> drawn;
    for (int y = 2; y <= 8; ++y) {
      for (int x = 5; x <= 6; ++x) {
        if (y > 2 && y < 8 && blackRows.count(y)) continue;
        drawn.push_back({x, y});
      }
    }
    std::sort(drawn.begin(), drawn.end(), [](auto a, auto b) { return std::make_pair(a.second, a.first) < std::make_pair(b.second, b.first); });
    EXPECT_EQ(PixelsNot(0), drawn);
    for (const int y : {2, 8}) {
      EXPECT_EQ(Pixel(5, y), 0x003F3F3Fu) << y;
      EXPECT_EQ(Pixel(6, y), 0x003F3F3Fu) << y;
    }
    for (int y = 3; y <= 7; ++y) {
      if (blackRows.count(y)) continue;
      EXPECT_EQ(Pixel(5, y), 0x007E7E7Eu) << y;
      EXPECT_EQ(Pixel(6, y), 0x007F7F7Fu) << y;
    }
  };
  expectLine({});
  // The rows counted down from five: 5 4 3 2 1; mask 2 takes out counters 3 and 2.
  SetPixels(0);
  v.GetStyle().dashMask = 2;
  v.DrawLine2d(5.5f, 2.5f, 5.5f, 8.5f);
  expectLine({5, 6});

  // The same line lying flat.
  SetPixels(0);
  v.GetStyle().dashMask = 0;
  v.DrawLine2d(2.5f, 5.5f, 8.5f, 5.5f);
  EXPECT_EQ(Pixel(2, 5), 0x003F3F3Fu);
  EXPECT_EQ(Pixel(2, 6), 0x003F3F3Fu);
  EXPECT_EQ(Pixel(4, 5), 0x007E7E7Eu);
  EXPECT_EQ(Pixel(4, 6), 0x007F7F7Fu);
  EXPECT_EQ(PixelsNot(0).size(), 14u);
}

// Every pixel of a slanted line's neighbourhood stays inside the image, whatever the slope and the
// direction the line is given in.
TEST_F(ViewTest, SlantedLinesStayInsideTheImage) {
  CView& v = MakeView(9, 7);
  v.GetStyle().pen = 0x00FFFFFF;
  for (const bool antialias : {true, false}) {
    v.GetStyle().antialias = antialias;
    v.DrawLine2d(-3.7f, 20.2f, 12.9f, -4.1f);
    v.DrawLine2d(12.9f, 6.99f, -3.7f, 0.1f);
    v.DrawLine2d(0.2f, 0.3f, 8.8f, 6.7f);
  }
  EXPECT_FALSE(PixelsNot(0).empty());
}

TEST_F(ViewTest, APixelRayProjectsBackToItsPixel) {
  LookFrom({0, 0, 0}, {0, 0, 1});
  for (const auto& [p, q] : std::vector<std::pair<double, double>>{{0, 0}, {0.1, -0.2}}) {
    camera->GetView().offsetX = p;
    camera->GetView().offsetY = q;
    CView& v = MakeView(64, 48);
    EXPECT_DOUBLE_EQ(camera->GetView().fieldAngle, 1.047197551197);
    for (int32_t py = 0; py < 48; ++py) {
      for (int32_t px = 0; px < 64; ++px) {
        Point origin, direction;
        v.PixelRay(px, py, origin, direction);
        const Point point = origin + direction * (5 / std::sqrt(Dot(direction, direction)));
        int32_t x = -1, y = -1;
        v.ProjectToPixel(point, v.GetWorldToCamera(), x, y);
        ASSERT_EQ(std::make_pair(x, y), std::make_pair(px, py)) << p << "," << q;
      }
    }
  }
  camera->GetView().offsetX = camera->GetView().offsetY = 0;
  CView& v = MakeView(64, 48);
  int32_t x = 0, y = 0;
  v.ProjectToPixel({0, 0, 7}, v.GetWorldToCamera(), x, y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(32, 24));
  // Points without a place stay far off the image.
  v.ProjectToPixel({0, 0, std::numeric_limits<double>::infinity()}, v.GetWorldToCamera(), x, y);
  EXPECT_LT(x, 0);
  EXPECT_LT(y, 0);
  v.ProjectToPixel({1e300, 0, 1}, v.GetWorldToCamera(), x, y);
  EXPECT_EQ(x, int32_t(CView::kPixelLimit));
}

TEST_F(ViewTest, TheViewFollowsTheRenderCamerasRays) {
  LookFrom({1, 2, -6}, {0.5, 0, 0});
  camera->GetView().offsetX = 0.05;
  CView& v = MakeView(40, 30);
  frame.SetFromCamera(*camera, 40, 30);
  vector3<double> eye, corner;
  frame.GetEyeAndCorner(eye, corner);
  for (const auto& [px, py] : std::vector<std::pair<int, int>>{{0, 0}, {17, 9}, {39, 29}}) {
    Point origin, direction, renderDirection;
    v.PixelRay(px, py, origin, direction);
    Point renderOrigin = eye;
    frame.MakeRay((px + 0.5) / 40 - 0.5, -((py + 0.5) / 30 - 0.5), renderOrigin, renderDirection);
    ExpectNear(origin, renderOrigin, 1e-9);
    ExpectNear(direction, renderDirection, 1e-12);
  }
}

TEST_F(ViewTest, AnUnlockableCameraKeepsTheProjection) {
  CView& v = MakeView(32, 32);
  const C34Matrix before = v.GetWorldToCamera();
  camera->SetTransformVector3({5, 5, 5});
  ASSERT_TRUE(camera->PageOut());
  camera->SetValidator([](CSpoolMem*) { return false; });
  EXPECT_EQ(v.UpdateFromCamera(), 9);
  camera->SetValidator(nullptr);
  EXPECT_EQ(v.GetWorldToCamera(), before);
  EXPECT_EQ(v.UpdateFromCamera(), 0);
  EXPECT_NE(v.GetWorldToCamera(), before);
}

TEST_F(ViewTest, TheHorizonOfALevelCameraLiesOnTheMiddleRow) {
  CView& v = MakeView(32, 24);
  v.DrawHorizon();
  const std::vector<std::pair<int, int>> drawn = PixelsNot(0);
  ASSERT_FALSE(drawn.empty());
  for (const auto& [x, y] : drawn) {
    EXPECT_EQ(y, 12) << x;
    EXPECT_EQ(Pixel(x, y), 0x00007EFEu) << x;  // the antialiased line's full weight, 255/256, over black
  }
  // Looking straight down, the stored up vector has no height: no horizon.
  SetPixels(0);
  camera->GetView().up = {0, 0, 1};
  v.DrawHorizon();
  EXPECT_TRUE(PixelsNot(0).empty());
  camera->GetView().up = {0, 1, 0};
  camera->GetView().extentX = 0;
  v.DrawHorizon();
  EXPECT_TRUE(PixelsNot(0).empty());
}

TEST_F(ViewTest, ResettingTheStyleKeepsTheInterruptibleFlag) {
  CView& v = MakeView(8, 8);
  SViewStyle& style = v.GetStyle();
  style.detail = 3;
  style.front = 0x00010203;
  style.dashMask = 4;
  style.antialias = style.ground = style.shadows = style.depthCue = style.perspective = false;
  style.depthCueStrength = 0.1f;
  v.SetInterruptible(true);
  v.ResetStyle();
  EXPECT_EQ(style.detail, 32u);
  EXPECT_EQ(style.selectedDetail, 16u);
  EXPECT_EQ(style.fastDetail, 8u);
  EXPECT_EQ(style.pen, 0x00FFFFFFu);
  EXPECT_EQ(style.front, 0x00555555u);
  EXPECT_EQ(style.shadow, 0x00B0B0B0u);
  EXPECT_EQ(style.background, 0x00CACACAu);
  EXPECT_EQ(style.dashMask, 0u);
  EXPECT_TRUE(style.antialias && style.ground && style.shadows && style.depthCue && style.perspective);
  EXPECT_EQ(style.depthCueStrength, 0.8f);
  EXPECT_EQ(v.GetFocalFactor(), 1.0f);
  EXPECT_TRUE(v.IsInterruptible());
}

TEST_F(ViewTest, BackgroundsAreFilledOrTiled) {
  CView& v = MakeView(7, 5);
  v.FillBackground();
  EXPECT_TRUE(PixelsNot(0x00CACACA).empty());

  int32_t error = 0;
  CImage* picture = NewDataImage(3, 2, &error);
  ASSERT_NE(picture, nullptr);
  {
    const SRect whole = picture->GetBounds();
    CImNavigator nav(picture, &whole, true, false);
    for (uint32_t y = 0; y < 2; ++y)
      for (uint32_t x = 0; x < 3; ++x) nav.Cells(y)[x].value = 0x00100000 * (y + 1) + x;
  }
  v.SetBackgroundImage(picture);
  delete picture;  // the view keeps its own copy
  v.ClearBackground();
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(Pixel(x, y), 0x00100000u * uint32_t(y % 2 + 1) + uint32_t(x % 3)) << x << "," << y;
}

// A solid that keeps the flags of the rays it is asked about.
class CFlagProbe : public CTestSolid {
 public:
  using CTestSolid::CTestSolid;
  bool Intersect(CRay& ray) override {
    seen.push_back({ray.fSkipLights, ray.fFilterRay});
    return false;
  }
  std::vector<std::pair<uint8_t, uint8_t>> seen;
};

TEST_F(ViewTest, PickingFindsTheObjectUnderThePixel) {
  LookFrom({0, 0, -5}, {0, 0, 0});
  C3dSphere* sphere = NewSphere();
  ASSERT_TRUE(Prepare(64, 48));
  CView& v = MakeView(64, 48);
  Point point;
  EXPECT_EQ(v.PickObject(*context, 32, 24, point), sphere);
  EXPECT_NEAR(std::sqrt(Dot(point, point)), 1.0, 1e-6);
  EXPECT_LT(point.z, 0);
  EXPECT_EQ(v.PickObject(*context, 1, 1, point), nullptr);
}

TEST_F(ViewTest, PickingAnEmptySceneTracesNothing) {
  ASSERT_TRUE(Prepare(64, 48));
  CView& v = MakeView(64, 48);
  Point point{7, 7, 7};
  EXPECT_EQ(v.PickObject(*context, 32, 24, point), nullptr);
  EXPECT_EQ(point, (Point{7, 7, 7}));
}

TEST_F(ViewTest, ALightIsPickedOnlyByTheFilteredPass) {
  LookFrom({0, 0, -5}, {0, 0, 0});
  C3dSphereLight* light = NewRadialLight({0, 0, 0}, 1);
  CFlagProbe* probe = MakeObject<CFlagProbe>(table);
  ASSERT_TRUE(Prepare(64, 48));
  CView& v = MakeView(64, 48);
  Point point;
  EXPECT_EQ(v.PickObject(*context, 32, 24, point), light);
  EXPECT_EQ(probe->seen, (std::vector<std::pair<uint8_t, uint8_t>>{{1, 0}, {0, 1}}));
}

}  // namespace
