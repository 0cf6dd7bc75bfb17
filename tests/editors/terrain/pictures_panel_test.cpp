// The pictures panel: the five ways of mixing, the blend drag, loading, pasting and copying the
// sources, the apply with its snapshot and the mixing menu.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "framework/image/clipboard.h"
#include "framework/ui/menu.h"
#include "platform/clipboard.h"
#include "platform/menu.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

namespace fs = std::filesystem;

using PicturesPanel = TerrainEditorTest;

constexpr const char* kPanel = "pictures panel";

std::unique_ptr<CImage> Picture(uint32_t width, uint32_t height, uint32_t seed) {
  int32_t error = 0;
  std::unique_ptr<CImage> picture(NewDataImage(width, height, &error));
  CImNavigator pixels(picture.get(), nullptr, true, false);
  uint32_t state = seed;
  for (uint32_t y = 0; pixels.IsUsable() && y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) pixels.Cells(y)[x].value = state = state * 1664525u + 1013904223u;
  return picture;
}

struct STempFolder {
  fs::path path;
  STempFolder() {
    char pattern[] = "/tmp/terrain-pictures-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~STempFolder() { fs::remove_all(path); }
};

bool AllGrey(const std::vector<uint32_t>& pixels) {
  for (uint32_t p : pixels) {
    if (((p >> 16) & 0xFF) != ((p >> 8) & 0xFF) || ((p >> 8) & 0xFF) != (p & 0xFF)) return false;
  }
  return true;
}

// One table of the mixing modes on three 8 × 8 pictures.
TEST_F(PicturesPanel, TheModesMixTheSources) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  const auto src0 = Picture(8, 8, 1), src1 = Picture(8, 8, 2), dest = Picture(8, 8, 3);
  const std::vector<uint32_t> a = Pixels(src1.get()), b = Pixels(src0.get());
  const auto perChannel = [&](auto fn) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < a.size(); ++i) {
      uint32_t v = 0;
      for (uint32_t s = 0; s < 32; s += 8) v |= uint32_t(fn(uint8_t(a[i] >> s), uint8_t(b[i] >> s))) << s;
      out.push_back(v);
    }
    return out;
  };
  int32_t error = 0;
  std::unique_ptr<CImage> mixed(NewDataImage(8, 8, &error));
  ASSERT_TRUE(mixed->MixFrom(100, src0.get(), src1.get()));
  struct SCase {
    int32_t mode;
    int32_t weight;
    std::vector<uint32_t> expected;
  } cases[] = {
      {4, 0, b},
      {3, 0, std::vector<uint32_t>(64, 0)},
      {3, 256, a},
      {4, 256, a},
      {2, 256, perChannel([](uint8_t x, uint8_t y) { return std::min(x, y); })},
      {1, 100, Pixels(mixed.get())},
      {5, 100, Pixels(mixed.get())},
  };
  for (const SCase& c : cases) {
    editor->SetPictureBlendMode(c.mode);
    ASSERT_TRUE(editor->BlendPictures(dest.get(), src1.get(), src0.get(), c.weight)) << c.mode;
    EXPECT_EQ(Pixels(dest.get()), c.expected) << "mode " << c.mode << " weight " << c.weight;
  }
  // Modes 2 to 4 want three pictures of one size.
  const auto wide = Picture(9, 8, 4);
  const std::vector<uint32_t> before = Pixels(dest.get());
  for (int32_t mode : {2, 3, 4}) {
    editor->SetPictureBlendMode(mode);
    EXPECT_TRUE(editor->BlendPictures(dest.get(), wide.get(), src0.get(), 128));
    EXPECT_EQ(Pixels(dest.get()), before) << mode;
  }
}

// A drag on "pictures blend" moves the weight by the travel to the left, at most 256 a step and
// within 0..256, mixes into "image dest" as it goes, and puts the pointer back where it began.
TEST_F(PicturesPanel, TheBlendDragSetsTheWeight) {
  ASSERT_EQ(Open(AddTerrain(64, RandomGrid(64, 6))), 26);
  ASSERT_EQ(editor->ShowPicturesPanel(), 26);
  editor->SetPictureBlendMode(CTerrainEditor::kCrossFade);
  CElement* blend = Element(need::kPicturesBlend);
  const SPointHV press = OnScreen(blend);
  EXPECT_EQ(editor->GetBlendAmount(), 128);
  PressButton(need::kPicturesBlend, "rmove 300 0");
  EXPECT_EQ(editor->GetBlendAmount(), 0);
  EXPECT_EQ(Cursor(), press);
  EXPECT_FALSE(app->IsCursorHidden());
  PressButton(need::kPicturesBlend, "rmove -300 0\nrmove -10 0");
  EXPECT_EQ(editor->GetBlendAmount(), 256);
  PressButton(need::kPicturesBlend, "rmove 40 0\nrmove 2 0");
  EXPECT_EQ(editor->GetBlendAmount(), 214);
  int32_t error = 0;
  std::unique_ptr<CImage> expected(NewDataImage(96, 96, &error));
  ASSERT_TRUE(editor->BlendPictures(expected.get(), Image(need::kImageSrc1)->GetImage(),
                                    Image(need::kImageSrc0)->GetImage(), 214));
  EXPECT_EQ(Pixels(Image(need::kImageDest)->GetImage()), Pixels(expected.get()));
  EXPECT_EQ(Cursor(), press);
}

// A BMP and an LZW TIFF load through the file dialog as grey pictures of the sources' size; the
// destination then shows the even mix, whatever the last drag left; a cancelled dialog changes nothing.
TEST_F(PicturesPanel, LoadingASourceShowsTheEvenMix) {
  STempFolder folder;
  const fs::path bmp = folder.path / "grad.bmp", tiff = folder.path / "grad.tif", lzw = folder.path / "lzw.tif";
  ASSERT_EQ(std::system(("convert -size 96x96 gradient:red-blue -type TrueColor BMP3:'" + bmp.string() + "'").c_str()), 0);
  // ImageMagick's TIFF is asked for 8 bits a sample: its own default of 16 is one the reader refuses.
  ASSERT_EQ(std::system(("convert -size 96x96 gradient:green-yellow -depth 8 '" + tiff.string() + "' && tiffcp -c lzw '" +
                         tiff.string() + "' '" + lzw.string() + "'")
                            .c_str()),
            0);
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  ASSERT_EQ(editor->ShowPicturesPanel(), 26);
  PressButton(need::kPicturesBlend, "rmove 300 0");
  ASSERT_EQ(editor->GetBlendAmount(), 0);
  for (const auto& [path, load, source] : {std::tuple{bmp, &need::kPicturesLoadSrc0, &need::kImageSrc0},
                                           std::tuple{lzw, &need::kPicturesLoadSrc1, &need::kImageSrc1}}) {
    const std::vector<uint32_t> before = Pixels(Image(*source)->GetImage());
    ASSERT_TRUE(platform::headless::AddScript("open " + path.string() + "\n"));
    EXPECT_EQ(Send(*load, kPanel), 26) << path;
    const std::vector<uint32_t> loaded = Pixels(Image(*source)->GetImage());
    EXPECT_NE(loaded, before) << path;
    EXPECT_TRUE(AllGrey(loaded)) << path;
    int32_t error = 0;
    std::unique_ptr<CImage> even(NewDataImage(96, 96, &error));
    ASSERT_TRUE(even->MixFrom(128, Image(need::kImageSrc0)->GetImage(), Image(need::kImageSrc1)->GetImage()));
    EXPECT_EQ(Pixels(Image(need::kImageDest)->GetImage()), Pixels(even.get())) << path;
  }
  PressButton(need::kPicturesBlend, "rmove -300 0");
  const std::vector<uint32_t> dragged = Pixels(Image(need::kImageDest)->GetImage());
  ASSERT_TRUE(platform::headless::AddScript("cancel\n"));
  EXPECT_EQ(Send(need::kPicturesLoadSrc0, kPanel), 26);
  EXPECT_EQ(Pixels(Image(need::kImageDest)->GetImage()), dragged);
}

// Copy puts a source on the clipboard; paste takes a bitmap from it, and without one answers 0.
TEST_F(PicturesPanel, CopyAndPasteGoThroughTheClipboard) {
  STempFolder folder;
  ASSERT_EQ(Open(AddTerrain(64, RandomGrid(64, 9))), 26);
  ASSERT_EQ(editor->ShowPicturesPanel(), 26);
  ASSERT_TRUE(platform::OpenClipboard(nullptr));
  platform::EmptyClipboard();
  platform::CloseClipboard();
  const std::vector<uint32_t> before = Pixels(Image(need::kImageSrc1)->GetImage());
  CUIMessage paste;
  paste.Init(0, need::kPicturesPasteSrc1.name, nullptr, kPanel, 0);
  EXPECT_EQ(editor->HandlePicturesPanel(&paste), 0);
  EXPECT_EQ(Pixels(Image(need::kImageSrc1)->GetImage()), before);

  EXPECT_EQ(Send(need::kPicturesCopySrc1, kPanel), 26);
  CClipboard clipboard;
  std::unique_ptr<CImage> copied(clipboard.GetDIB());
  ASSERT_NE(copied, nullptr);
  const std::vector<uint32_t> source = Pixels(Image(need::kImageSrc1)->GetImage()), got = Pixels(copied.get());
  ASSERT_EQ(got.size(), source.size());
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i] & 0xFFFFFF, source[i] & 0xFFFFFF) << i;

  const fs::path grey = folder.path / "g.bmp";
  ASSERT_EQ(std::system(("convert -size 16x16 xc:'#808080' BMP3:'" + grey.string() + "'").c_str()), 0);
  std::ifstream in(grey, std::ios::binary);
  const std::vector<uint8_t> bitmap((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_TRUE(platform::OpenClipboard(nullptr));
  platform::EmptyClipboard();
  platform::SetClipboardData(platform::kCfDib, bitmap.data() + 14, bitmap.size() - 14);
  platform::CloseClipboard();
  EXPECT_EQ(Send(need::kPicturesPasteSrc1, kPanel), 26);
  for (uint32_t p : Pixels(Image(need::kImageSrc1)->GetImage())) ASSERT_EQ(p & 0xFFFFFF, 0x808080u);
}

// The apply scales the mix to the grid's side, makes it grey and sets the grid from it, after a
// snapshot that Ctrl+Z brings back.
TEST_F(PicturesPanel, ApplyTurnsTheMixIntoTheGrid) {
  const Grid start = RandomGrid(16, 7);
  ASSERT_EQ(Open(AddTerrain(16, start)), 26);
  ASSERT_EQ(editor->ShowPicturesPanel(), 26);
  CImage* mix = Image(need::kImageDest)->GetImage();
  int32_t error = 0;
  std::unique_ptr<CImage> scaled(NewDataImage(16, 16, &error));
  ASSERT_TRUE(scaled->ScaleFrom(mix, 1));
  ASSERT_TRUE(scaled->ToGrey());
  C3dHeightField* expected = nullptr;
  ASSERT_EQ(editor->GetCurrent()->MakeTemporary(&expected, 16), 0);
  ASSERT_EQ(expected->SetFromImage(scaled.get()), 0);
  PressButton(need::kPicturesApply);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), HeightsOf(expected));
  EXPECT_NE(HeightsOf(editor->GetCurrent()), start);
  Stroke('Z', {kControlKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
  delete expected;
}

// Menu 404 opens with the mode's row ticked; the rows' commands 29 to 33 choose modes 1 to 5, and
// dismissing it changes nothing.
TEST_F(PicturesPanel, TheMixingMenuChoosesTheMode) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  ASSERT_EQ(editor->ShowPicturesPanel(), 26);
  editor->SetPictureBlendMode(3);
  std::unique_ptr<CMenu> menu;
  ASSERT_EQ(editor->PrepareMenu(need::kMixingMenu, &menu), 0);
  for (uint32_t row = 1; row <= 5; ++row) {
    EXPECT_EQ(menu->GetItemCommand(row - 1), 28 + row);
    const bool ticked =
        platform::GetMenuState(menu->GetPlatformMenu(), row, platform::kMfByCommand) == uint32_t(platform::kMfChecked);
    EXPECT_EQ(ticked, row == 3) << row;
  }
  const SPointHV at = OnScreen(Element(need::kPicturesOptions));
  for (uint32_t row : {5u, 1u, 4u}) {
    ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, row)));
    EXPECT_EQ(Send(need::kPicturesOptions, kPanel, at), 26);
    EXPECT_EQ(editor->GetPictureBlendMode(), int32_t(row));
  }
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 0)));
  EXPECT_EQ(Send(need::kPicturesOptions, kPanel, at), 26);
  EXPECT_EQ(editor->GetPictureBlendMode(), 4);
}

}  // namespace
