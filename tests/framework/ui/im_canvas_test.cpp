// The image canvas: its backdrop picture drawn onto the window and into images, moved, set from
// layout records and let go of.
#include "framework/ui/im_canvas.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/holder.h"
#include "framework/core/ix_loader.h"
#include "framework/core/result_codes.h"
#include "framework/ui/im_element.h"
#include "platform/headless.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "tests/framework/ui/picture_fixture.h"

namespace {

constexpr uint32_t kPopup = 0x80000000;
constexpr uint32_t kColor = 0x00123456;
constexpr uint32_t kUntouched = 0x00ABCDEF;
constexpr SRect kFrame{0, 0, 200, 300};

// Picture pixel (x, y), distinct everywhere.
uint32_t Backdrop(uint32_t x, uint32_t y) { return 0x00800000 | x << 8 | y; }

// Logs what it is asked to invalidate and how often it redraws.
class LoggingImCanvas : public CImCanvas {
 public:
  using CImCanvas::CImCanvas;
  bool Invalidate(const SRect* rect) override {
    invalidated.push_back(rect ? *rect : SRect{0, 0, -1, -1});
    return CImCanvas::Invalidate(rect);
  }
  bool Redraw(const SRect* rect) override {
    ++redraws;
    return CImCanvas::Redraw(rect);
  }
  std::vector<SRect> invalidated;
  uint32_t redraws = 0;
};

class ImCanvasTest : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    platform::headless::SetScreenSize(1024, 768);
    PutPicture(100, "backdrop", 100, 100, &Backdrop);
    canvas = std::make_unique<LoggingImCanvas>(kFrame, true, kPopup, &kColorVector, 10);
    ASSERT_TRUE(canvas->IsRegistered());
  }
  void TearDown() override {
    canvas.reset();
    PictureTest::TearDown();
  }
  platform::Surface& Window() { return *platform::GetWindowSurface(canvas->GetWindow()); }
  uint32_t WindowAt(int32_t x, int32_t y) { return Window().Pixel(x, y) & 0xFFFFFF; }
  // The backdrop at (100, 50), the window untouched before the redraw.
  void PlaceBackdrop() {
    ASSERT_EQ(canvas->SetImageById(env.get(), 100, false, false, true, false), kNoErr);
    ASSERT_EQ(canvas->SetImageOffset({100, 50}, false), kNoErr);
    Window().Fill(0, 0, 300, 200, kUntouched);
  }
  // What the whole window shows where the backdrop lies at (100, 50).
  static uint32_t Expected(int32_t x, int32_t y) {
    const bool onPicture = x >= 100 && x < 200 && y >= 50 && y < 150;
    return onPicture ? Backdrop(uint32_t(x - 100), uint32_t(y - 50)) : kColor;
  }

  static constexpr CImVector kColorVector{kColor};
  std::unique_ptr<LoggingImCanvas> canvas;
};

TEST_F(ImCanvasTest, RedrawDrawsThePictureAndFillsAroundIt) {
  PlaceBackdrop();
  ASSERT_TRUE(canvas->Redraw(nullptr));
  for (int32_t y = 0; y < 200; ++y)
    for (int32_t x = 0; x < 300; ++x) ASSERT_EQ(WindowAt(x, y), Expected(x, y)) << x << " " << y;

  // Only the area asked for changes.
  Window().Fill(0, 0, 300, 200, kUntouched);
  const SRect area{60, 110, 80, 130};
  ASSERT_TRUE(canvas->Redraw(&area));
  for (int32_t y = 0; y < 200; ++y) {
    for (int32_t x = 0; x < 300; ++x) {
      const uint32_t seen = IsPointInRect({x, y}, area) ? Expected(x, y) : kUntouched;
      ASSERT_EQ(WindowAt(x, y), seen) << x << " " << y;
    }
  }
  // The picture's origin and clip are its own again.
  EXPECT_EQ(canvas->GetImage()->GetOriginH(), 0);
  EXPECT_EQ(canvas->GetImage()->GetPlacedBounds(), (SRect{0, 0, 100, 100}));
}

TEST_F(ImCanvasTest, WithoutAPictureRedrawFills) {
  Window().Fill(0, 0, 300, 200, kUntouched);
  ASSERT_TRUE(canvas->Redraw(nullptr));
  EXPECT_EQ(WindowAt(0, 0), kColor);
  EXPECT_EQ(WindowAt(150, 100), kColor);
  EXPECT_EQ(WindowAt(299, 199), kColor);
}

TEST_F(ImCanvasTest, DrawingIntoAnImageGivesWhatTheWindowShows) {
  PlaceBackdrop();
  ASSERT_TRUE(canvas->Redraw(nullptr));
  auto whole = SolidImage(300, 200, 0);
  ASSERT_EQ(canvas->DrawInto(whole.get()), kNoErr);
  const std::vector<uint32_t> pixels = Pixels(*whole);
  for (int32_t y = 0; y < 200; ++y)
    for (int32_t x = 0; x < 300; ++x) ASSERT_EQ(pixels[size_t(y) * 300 + size_t(x)] & 0xFFFFFF, WindowAt(x, y));
  // A target placed elsewhere, its clip a part of it: only the clip is painted, and it keeps its clip.
  auto part = SolidImage(60, 40, 0xFF000000);
  part->SetOrigin(80, 30);
  part->SetClip({10, 10, 40, 60});
  ASSERT_EQ(canvas->DrawInto(part.get()), kNoErr);
  EXPECT_EQ(part->GetClip(), (SRect{10, 10, 40, 60}));
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 60; ++x) {
      const uint32_t seen = PixelAt(*part, uint32_t(x), uint32_t(y));
      if (y < 10 || x < 10) ASSERT_EQ(seen, 0xFF000000u) << x << " " << y;
      else ASSERT_EQ(seen & 0xFFFFFF, Expected(x + 80, y + 30)) << x << " " << y;
    }
  }
  // Without a picture the target takes the colour.
  canvas->ReleaseImage(true);
  ASSERT_EQ(canvas->DrawInto(part.get()), kNoErr);
  EXPECT_EQ(PixelAt(*part, 30, 30), kColor);
}

TEST_F(ImCanvasTest, MovingWithoutRedrawInvalidatesTheOldAndNewPlaces) {
  ASSERT_EQ(canvas->SetImageById(env.get(), 100, false, false, true, false), kNoErr);
  canvas->invalidated.clear();
  ASSERT_EQ(canvas->SetImageOffset({200, 0}, false), kNoErr);
  EXPECT_EQ(canvas->invalidated, (std::vector<SRect>{{0, 0, 100, 100}, {0, 200, 100, 300}}));
  ASSERT_EQ(canvas->SetImageOffset({0, 0}, false), kNoErr);
  canvas->invalidated.clear();
  ASSERT_EQ(canvas->SetImageOffset({50, 0}, false), kNoErr);
  EXPECT_EQ(canvas->invalidated, (std::vector<SRect>{{0, 0, 100, 150}}));
  // With redraw the union is drawn at once.
  Window().Fill(0, 0, 300, 200, kUntouched);
  ASSERT_EQ(canvas->SetImageOffset({100, 50}, true), kNoErr);
  EXPECT_EQ(WindowAt(60, 10), kColor);
  EXPECT_EQ(WindowAt(120, 60), Expected(120, 60));
  EXPECT_EQ(WindowAt(10, 10), kUntouched);
  EXPECT_EQ(WindowAt(250, 180), kUntouched);
}

TEST_F(ImCanvasTest, TheRecordsGiveTheCanvasItsPlaceColourAndPicture) {
  Put("canv", 100, "panel", "frame 0 0 200 300\ncolour 0x00654321\noptions 1\n");
  PutSolidPicture(101, "panel", 4, 4, 0);
  // No "imca" record: the colour alone.
  ASSERT_EQ(canvas->LoadFromResource(env.get(), 100, nullptr), kNoErr);
  EXPECT_EQ(canvas->GetImage(), nullptr);
  EXPECT_EQ(canvas->GetColor().value, 0x00654321u);

  struct SCase {
    const char* imca;
    const char* name;
    int32_t result;
    bool picture;
    SPointHV offset;
    bool owns;
  } cases[] = {
      {"offset 7 9\nflags 0x10\n", nullptr, kNoErr, false, {7, 9}, true},
      {"offset 7 9\nflags 0x0\n", nullptr, kNoErr, false, {7, 9}, false},
      {"picturename \"backdrop\"\noffset 3 4\nflags 0x13\n", nullptr, kNoErr, true, {3, 4}, true},
      {"picture 100\nflags 0x15\n", nullptr, kNoErr, true, {0, 0}, true},
      // The picture has the records' own key: found by id, by id; found by name, by name.
      {"flags 0x31\n", nullptr, kNoErr, true, {0, 0}, true},
      {"flags 0x33\n", "panel", kNoErr, true, {0, 0}, true},
      {"flags 0x33\n", nullptr, kErrInvalidParameter, false, {0, 0}, true},
      {"flags 0x31\n", "panel", kErrInvalidParameter, false, {0, 0}, true},
      {"picture 5\nflags 0x11\n", nullptr, kErrObjectNotFound, false, {0, 0}, true},
  };
  for (const SCase& c : cases) {
    Put("imca", 100, "panel", c.imca);
    LoggingImCanvas loaded(kFrame, false, kPopup, nullptr, 10);
    EXPECT_EQ(loaded.LoadFromResource(env.get(), 100, c.name), c.result) << c.imca;
    EXPECT_EQ(loaded.GetImage() != nullptr, c.picture) << c.imca;
    EXPECT_EQ(loaded.GetImageOffset(), c.offset) << c.imca;
    EXPECT_EQ(loaded.OwnsImage(), c.owns) << c.imca;
  }
  const std::vector<uint8_t> good = Compiled("imca", "flags 0x10\n");
  ASSERT_EQ(good.size(), 72u);
  env->DeleteResource(Key("imca", 100));
  ASSERT_EQ(StoreResource(*env, Key("imca", 100, "panel"), std::vector<uint8_t>(good.begin(), good.begin() + 71)),
            kNoErr);
  EXPECT_EQ(canvas->LoadFromResource(env.get(), 100, nullptr), kErrInvalidFormat);
}

TEST_F(ImCanvasTest, TheSameSharedPictureAgainChangesNothing) {
  ASSERT_EQ(canvas->SetImageById(env.get(), 100, true, false, true, true), kNoErr);
  CImage* picture = canvas->GetImage();
  EXPECT_TRUE(canvas->IsImageShared());
  EXPECT_EQ(SharedUseCount(picture), 1u);
  canvas->redraws = 0;
  canvas->invalidated.clear();
  EXPECT_EQ(canvas->SetImageByName(env.get(), "backdrop", true, false, true, true), kNoErr);
  EXPECT_EQ(canvas->GetImage(), picture);
  EXPECT_EQ(SharedUseCount(picture), 1u);
  EXPECT_EQ(canvas->redraws, 0u);
  EXPECT_TRUE(canvas->invalidated.empty());
  // A failure leaves the canvas as it was.
  EXPECT_EQ(canvas->SetImageById(env.get(), 5, true, false, true, true), kErrObjectNotFound);
  EXPECT_EQ(canvas->SetImageById(nullptr, 100, false, false, true, true), kErrInvalidParameter);
  EXPECT_EQ(canvas->GetImage(), picture);
  EXPECT_TRUE(canvas->IsImageShared());
}

TEST_F(ImCanvasTest, ReleasingGivesBackOrDeletesThePicture) {
  // A shared picture that an image element holds too: one use fewer.
  CImage* held = nullptr;
  {
    SGridLayout grid;
    MakeImageGridSpec(grid, env.get(), 0, 0);
    SSpoolTableSpec spec;
    SSpoolKey key;
    key.Set(kImageType, 100, false);
    spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
    ASSERT_EQ(CImElement::LoadSharedImage(&held, grid, spec), kNoErr);
  }
  ASSERT_EQ(canvas->SetImageById(env.get(), 100, true, false, true, false), kNoErr);
  EXPECT_EQ(SharedUseCount(held), 2u);
  canvas->ReleaseImage(true);
  EXPECT_EQ(canvas->GetImage(), nullptr);
  EXPECT_FALSE(canvas->IsImageShared());
  EXPECT_EQ(SharedUseCount(held), 1u);

  // Locked, it is left to its environment.
  ASSERT_EQ(canvas->SetImageById(env.get(), 100, true, false, true, false), kNoErr);
  {
    CHolder lock(held, false, false);
    canvas->ReleaseImage(true);
  }
  EXPECT_EQ(canvas->GetImage(), nullptr);
  EXPECT_FALSE(canvas->IsImageShared());
  EXPECT_EQ(SharedUseCount(held), 2u);
  ASSERT_EQ(ReleaseIndexedResource(held), kNoErr);
  ASSERT_EQ(CImElement::ReleaseSharedImage(&held), kNoErr);
  EXPECT_EQ(env->GetSharedTable()->GetCount(), 0u);

  // Without release the picture is only forgotten; its own picture is deleted (LeakSanitizer).
  ASSERT_EQ(canvas->SetImageById(env.get(), 100, true, false, true, false), kNoErr);
  CImage* forgotten = canvas->GetImage();
  canvas->ReleaseImage(false);
  EXPECT_EQ(canvas->GetImage(), nullptr);
  EXPECT_EQ(SharedUseCount(forgotten), 1u);
  ASSERT_EQ(CImElement::ReleaseSharedImage(&forgotten), kNoErr);
  ASSERT_EQ(canvas->SetImageById(env.get(), 100, false, true, true, false), kNoErr);
  EXPECT_EQ(canvas->GetImage()->GetEnvironment(), DataEnv());
  canvas->ReleaseImage(true);
  EXPECT_EQ(canvas->GetImage(), nullptr);
}

}  // namespace
