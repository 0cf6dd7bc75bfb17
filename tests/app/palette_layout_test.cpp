// The palettes around the document view on a screen of 1024 x 768 whose work area ends at 740, under
// a title and menu bar of 40: the normal and the maximised layout, and the preferences.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "document/prefs_file.h"
#include "tests/app/shell_fixture.h"

namespace {

using Rect = platform::SWinRect;  // left, top, right, bottom

class PaletteLayout : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    platform::headless::SetWorkArea({0, 0, 1024, 740});
    platform::headless::SetMetric(platform::kSmCyCaption, 20);
    platform::headless::SetMetric(platform::kSmCyMenu, 20);
  }
  void TearDown() override {
    ShellTest::TearDown();
    platform::headless::SetMetric(platform::kSmCyCaption, 19);
    platform::headless::SetMetric(platform::kSmCyMenu, 19);
  }

  void ExpectPalettes(const Rect& control, const Rect& display, const Rect& top, const Rect& selection) {
    EXPECT_EQ(WindowRect(Palette(kControlPalette)), control);
    EXPECT_EQ(WindowRect(Palette(kDisplayPalette)), display);
    for (EPalette row : {kCreatePalette, kEditPalette, kSkyFogPalette}) EXPECT_EQ(WindowRect(Palette(row)), top) << row;
    EXPECT_EQ(WindowRect(Palette(kSelectionPalette)), selection);
  }
  static void WritePrefs(const std::vector<std::pair<uint32_t, int32_t>>& words, std::vector<uint32_t> placed) {
    std::vector<uint8_t> block(CPrefsFile::kBlockBytes, 0);
    for (const auto& [offset, value] : words) std::memcpy(block.data() + offset, &value, 4);
    for (uint32_t p : placed) block[74 + p] = 1;
    FILE* file = std::fopen(CPrefsFile::kFileName, "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(block.data(), 1, block.size(), file);
    std::fclose(file);
  }
};

TEST_F(PaletteLayout, TheNormalLayoutFramesAViewOfTheDocumentImage) {
  for (SPointHV image : {SPointHV{480, 360}, SPointHV{320, 240}}) {
    CDocWindowDouble::gImageSize = image;
    Run([&] {
      ExpectPalettes({152, 130, 272, 650}, {752, 130, 872, 650}, {272, 130, 752, 230}, {272, 590, 752, 650});
      EXPECT_EQ(WindowRect(window), (Rect{0, 40, 1024, 740}));
      EXPECT_EQ(pm->GetViewRect(), (SRect{230, 272, 590, 752}));
      EXPECT_EQ(window->GetViewRect(), (SRect{190, 272, 550, 752}));
      EXPECT_FALSE(window->GetFlags() & CDocWindow::kViewIsCanvas);
      EXPECT_TRUE(pm->GetLayoutFlag());
      EXPECT_FALSE(app->IsMenuBarHidden());
    });
  }
}

TEST_F(PaletteLayout, TheMaximisedLayoutPutsThePalettesAtTheEdges) {
  Run([&] {
    pm->ResetPalettes(true, false);
    ExpectPalettes({0, 40, 120, 740}, {904, 40, 1024, 740}, {120, 40, 904, 140}, {120, 680, 904, 740});
    EXPECT_EQ(WindowRect(window), (Rect{120, 140, 904, 680}));
    EXPECT_EQ(window->GetViewRect(), (SRect{0, 0, 540, 784}));
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kViewIsCanvas);
    EXPECT_FALSE(pm->GetLayoutFlag());
  });
}

TEST_F(PaletteLayout, ThePreferencesRestoreOrKeepThePalettes) {
  // Placed control and display palettes come back where they were; the others take the layout.
  WritePrefs({{0, 1}, {80, 0}, {84, 10}, {88, 20}, {116, 30}, {120, 50}}, {kControlPalette, kDisplayPalette});
  Run([&] {
    EXPECT_EQ(WindowRect(Palette(kControlPalette)), (Rect{10, 20, 130, 540}));
    EXPECT_EQ(WindowRect(Palette(kDisplayPalette)), (Rect{30, 50, 150, 570}));
    EXPECT_EQ(WindowRect(Palette(kCreatePalette)), (Rect{272, 130, 752, 230}));
  });

  WritePrefs({{0, 1}, {80, 1}}, {});
  Run([&] {
    EXPECT_EQ(WindowRect(Palette(kControlPalette)), (Rect{0, 40, 120, 740}));
    EXPECT_FALSE(pm->GetLayoutFlag());
  });

  // Not asked to restore: the start and the end store where the palettes are.
  WritePrefs({{0, 0}, {84, 999}, {88, 999}}, {});
  Run([] {});
  CPrefsFile stored;
  EXPECT_EQ(stored.GetWord(84), 152);
  EXPECT_EQ(stored.GetWord(88), 130);
  EXPECT_EQ(stored.GetBlock()[74], 0);
}

TEST_F(PaletteLayout, WithoutAPreferencesFileNothingIsWritten) {
  Run([&] {
    EXPECT_EQ(WindowRect(Palette(kControlPalette)), (Rect{152, 130, 272, 650}));
  });
  EXPECT_FALSE(std::filesystem::exists(CPrefsFile::kFileName));
}

}  // namespace
