// The picture textures dialog: its slots and previews, pictures and alphas from files and the
// clipboard, the fills and their confirmation, and giving and deleting textures.
#include <algorithm>
#include <map>

#include "editing/material_action.h"
#include "editing/undo_history.h"
#include "framework/core/file_spec.h"
#include "framework/image/clipboard.h"
#include "platform/clipboard.h"
#include "scene/cube.h"
#include "scene/group.h"
#include "scene/sphere.h"
#include "scene/surface/texture.h"
#include "tests/editors/material/pict_textures_fixture.h"

namespace {

using namespace need;

constexpr uint32_t kGrey = 0xC0C0C0;
constexpr uint32_t kHandled = 26;

// ---- slots and previews

TEST_F(PictTexturesTest, TheSlotsShowTheFirstThirtyTwoPictures) {
  std::vector<CPictTexture*> made;
  for (int i = 0; i < 33; ++i) made.push_back(AddPicture(("picture " + std::to_string(i)).c_str()));
  Open();
  for (uint32_t i = 0; i < 32; ++i) EXPECT_EQ(CPictTextures::SlotTexture(Slot(i)), made[i]) << i;
  EXPECT_EQ(dialog->GetCurrentSlot(), Slot(0));
  EXPECT_EQ(dialog->GetCurrentTexture(), made[0]);
}

TEST_F(PictTexturesTest, WithoutPicturesEverySlotAndPreviewIsGrey) {
  Open();
  EXPECT_EQ(dialog->GetCurrentSlot(), Slot(0));
  for (uint32_t i = 0; i < 32; ++i) {
    const std::vector<uint32_t> pixels = Colours(Pixels(DrawnSlot(i)));
    const size_t grey = size_t(std::count(pixels.begin(), pixels.end(), kGrey));
    // Only the frame, red round slot 0 and black round the others, is not grey.
    const uint32_t w = SlotPicture(i)->GetWidth(), h = SlotPicture(i)->GetHeight();
    EXPECT_EQ(grey, size_t((w - 2) * (h - 2))) << i;
    EXPECT_EQ(pixels[0], i == 0 ? 0xFF0000u : 0u) << i;
  }
  for (uint32_t p = 0; p < kPictPreviewCount; ++p) {
    for (uint32_t pixel : Colours(Pixels(Preview(p)))) ASSERT_EQ(pixel, kGrey) << p;
  }
}

// A texture not among the slots takes every flag away and slot 0 is current; without a texture the
// flags stay.
TEST_F(PictTexturesTest, RefreshingKeepsOrMovesTheCurrentSlot) {
  CPictTexture* a = AddPicture("a");
  CPictTexture* b = AddPicture("b");
  Open();
  PressSlot(1);
  EXPECT_EQ(dialog->GetCurrentTexture(), b);
  ASSERT_EQ(dialog->RefreshSlots(nullptr), 0);
  EXPECT_EQ(dialog->GetCurrentSlot(), Slot(1));

  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<CPictTexture>(ObjectsEnv(), key, spec);
  CPictTexture* made = nullptr;
  ASSERT_EQ(CPictTexture::New(&made, nullptr, key, spec), 0);
  std::unique_ptr<CPictTexture> stranger(made);
  ASSERT_EQ(dialog->RefreshSlots(stranger.get()), 0);
  for (uint32_t i = 0; i < 32; ++i) EXPECT_EQ(Slot(i)->GetUserWord(CPictTextures::kSelectedWord), i == 0) << i;
  EXPECT_EQ(dialog->GetCurrentTexture(), a);
  ASSERT_EQ(dialog->RefreshSlots(b), 0);
  EXPECT_EQ(dialog->GetCurrentSlot(), Slot(1));
}

TEST_F(PictTexturesTest, TheCurrentSlotIsFramedRedAroundItsPicture) {
  AddPicture("blue", 34, 34, [](uint32_t, uint32_t) { return 0xFF0000FF; });
  AddPicture("green", 34, 34, [](uint32_t, uint32_t) { return 0xFF00FF00; });
  Open();
  PressSlot(1);
  CImage* current = DrawnSlot(1);
  const uint32_t w = current->GetWidth(), h = current->GetHeight();
  for (auto [x, y] : {std::pair{0u, 0u}, std::pair{w - 1, 0u}, std::pair{0u, h - 1}, std::pair{w / 2, h - 1}})
    EXPECT_EQ(Pixel(current, x, y) & 0xFFFFFF, 0xFF0000u) << x << " " << y;
  EXPECT_EQ(Pixel(current, w / 2, h / 2) & 0xFFFFFF, 0x00FF00u);
  CImage* other = DrawnSlot(0);
  EXPECT_EQ(Pixel(other, 0, 0) & 0xFFFFFF, 0u);
  EXPECT_EQ(Pixel(other, w / 2, h / 2) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(PictTexturesTest, TheCheckerboardTileIsGreyWithTwoWhiteSquares) {
  CImage* tile = dialog->GetCheckerboard();
  ASSERT_NE(tile, nullptr);
  ASSERT_EQ(tile->GetWidth(), 20u);
  ASSERT_EQ(tile->GetHeight(), 20u);
  for (uint32_t y = 0; y < 20; ++y) {
    for (uint32_t x = 0; x < 20; ++x) {
      const bool white = (x >= 10 && y < 10) || (x < 10 && y >= 10);
      ASSERT_EQ(Pixel(tile, x, y) & 0xFFFFFF, white ? 0xFFFFFFu : kGrey) << x << " " << y;
    }
  }
}

// The left half is opaque (a = 255), the right half clear: the composite shows the picture on the
// left and the checkerboard on the right; the alpha preview shows 255 - a.
TEST_F(PictTexturesTest, TheCompositeShowsThePictureByItsAlpha) {
  CImage* total = nullptr;
  AddPicture("half", 64, 64, [](uint32_t x, uint32_t) { return x < 32 ? 0xFF2050A0u : 0x002050A0u; });
  Open();
  total = Preview(kTotalPreview);
  const uint32_t w = total->GetWidth();
  EXPECT_EQ(Pixel(total, 2, 2) & 0xFFFFFF, 0x2050A0u);
  EXPECT_EQ(Pixel(total, w - 3, 2) & 0xFFFFFF, ((w - 3) % 20 >= 10) ? 0xFFFFFFu : kGrey);
  EXPECT_EQ(Pixel(total, w - 3, 12) & 0xFFFFFF, ((w - 3) % 20 >= 10) ? kGrey : 0xFFFFFFu);
  EXPECT_EQ(Pixel(Preview(kAlphaPreview), 2, 2) & 0xFFFFFF, 0u);
  EXPECT_EQ(Pixel(Preview(kAlphaPreview), w - 3, 2) & 0xFFFFFF, 0xFFFFFFu);
}

// ---- files

TEST_F(PictTexturesTest, APictureLoadedIntoAnEmptySlotIsANewTextureNamedAfterItsFile) {
  const std::string bark = Convert("-size 16x12 xc:'#8B5A2B'", "bark.bmp", "BMP3:");
  Open();
  ASSERT_TRUE(platform::headless::AddScript("open " + bark + "\n"));
  EXPECT_EQ(Send("pict load"), int32_t(kHandled));
  CPictTexture* texture = dialog->GetCurrentTexture();
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(NameOf(texture), "bark");
  EXPECT_EQ(Colours(Pixels(texture)), ConvertedPixels(bark));
  EXPECT_EQ(DocumentPictures(), std::vector<CPictTexture*>{texture});
  EXPECT_GT(pictureHost.changes, 0u);
  // A cancelled dialog changes nothing.
  ASSERT_TRUE(platform::headless::AddScript("cancel\n"));
  EXPECT_EQ(Send("alpha load"), 0);
  EXPECT_EQ(Colours(Pixels(texture)), ConvertedPixels(bark));
  // The name of a file named in UTF-8 is stored in Mac OS Roman.
  const std::string accented = Convert("-size 4x4 xc:white", "\xC3\xA9" "corce.bmp", "BMP3:");
  PressSlot(1);
  ASSERT_TRUE(platform::headless::AddScript("open " + accented + "\n"));
  EXPECT_EQ(Send("pict load"), int32_t(kHandled));
  ASSERT_NE(dialog->GetCurrentTexture(), nullptr);
  EXPECT_EQ(NameOf(dialog->GetCurrentTexture()), "\x8E" "corce");
}

// Each reader's picture gives the pixels convert gives; an alpha picture gives a = 255 - its grey.
TEST_F(PictTexturesTest, PicturesAndAlphasOfEveryFormatLoad) {
  // The TIFF and the Photoshop file are asked for 8 bits a sample: ImageMagick's gradients and plasma
  // default to 16, which the readers refuse.
  struct SCase {
    const char* arguments;
    const char* file;
    const char* format;
  } cases[] = {
      {"-seed 3 -size 16x12 plasma:red-blue -depth 8 -compress LZW", "t.tif", ""},
      {"-size 16x12 gradient:yellow-purple -depth 8", "p.psd", ""},
      {"-size 16x12 xc:'#8B5A2B'", "b.bmp", "BMP3:"},
  };
  const std::string alpha = Convert("-size 16x12 gradient:", "a.bmp", "BMP3:");
  std::vector<uint32_t> expectedAlpha;
  for (uint32_t grey : ConvertedPixels(alpha)) expectedAlpha.push_back(255 - (grey & 0xFF));
  Open();
  for (const SCase& c : cases) {
    const std::string path = Convert(c.arguments, c.file, c.format);
    ASSERT_TRUE(platform::headless::AddScript("open " + path + "\n"));
    EXPECT_EQ(Send("pict load"), int32_t(kHandled)) << c.file;
    CPictTexture* texture = dialog->GetCurrentTexture();
    ASSERT_NE(texture, nullptr) << c.file;
    EXPECT_EQ(Colours(Pixels(texture)), ConvertedPixels(path)) << c.file;
    ASSERT_TRUE(platform::headless::AddScript("open " + alpha + "\n"));
    EXPECT_EQ(Send("alpha load"), int32_t(kHandled)) << c.file;
    EXPECT_EQ(Alphas(Pixels(texture)), expectedAlpha) << c.file;
    EXPECT_EQ(Colours(Pixels(texture)), ConvertedPixels(path)) << c.file << ": the colours stay";
    EXPECT_EQ(Colours(Pixels(Preview(kAlphaPreview)))[0], 0xFFFFFFu) << "the alpha shows as the picture loaded";
  }
  // The alpha of a white picture is 0 everywhere, and a copy still copies the colours.
  const std::string white = Convert("-size 16x12 xc:white", "white.bmp", "BMP3:");
  ASSERT_TRUE(platform::headless::AddScript("open " + white + "\n"));
  EXPECT_EQ(Send("alpha load"), int32_t(kHandled));
  for (uint32_t a : Alphas(Pixels(dialog->GetCurrentTexture()))) ASSERT_EQ(a, 0u);
  EXPECT_EQ(Send("pict copy"), int32_t(kHandled));
  std::unique_ptr<CImage> copied(CClipboard().GetDIB());
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(Colours(Pixels(copied.get())), ConvertedPixels(Convert("-size 16x12 xc:'#8B5A2B'", "b2.bmp", "BMP3:")));
}

// ---- the clipboard

// The texture's picture goes as a 32-bit bitmap, rows bottom-up, the pixels as they are; the alpha as
// the grey 255 - a with a in the top byte.
TEST_F(PictTexturesTest, CopiesPutWholeThirtyTwoBitBitmapsOnTheClipboard) {
  const auto pixel = [](uint32_t x, uint32_t y) { return (x * 20 + y) << 24 | (x * 16) << 16 | (y * 30) << 8 | 7; };
  AddPicture("ramp", 10, 8, pixel);
  Open();
  for (bool alpha : {false, true}) {
    EXPECT_EQ(Send(alpha ? "alpha copy" : "pict copy"), int32_t(kHandled));
    std::vector<uint8_t> block;
    ASSERT_TRUE(platform::OpenClipboard(nullptr));
    ASSERT_TRUE(platform::GetClipboardData(platform::kCfDib, &block));
    platform::CloseClipboard();
    ASSERT_EQ(block.size(), 360u);
    const auto word = [&block](size_t at) {
      return uint32_t(block[at]) | uint32_t(block[at + 1]) << 8 | uint32_t(block[at + 2]) << 16 | uint32_t(block[at + 3]) << 24;
    };
    EXPECT_EQ(word(0), 40u);
    EXPECT_EQ(word(4), 10u);
    EXPECT_EQ(word(8), 8u);
    EXPECT_EQ(word(12), 1u | 32u << 16);
    for (uint32_t y = 0; y < 8; ++y) {
      for (uint32_t x = 0; x < 10; ++x) {
        const uint32_t a = pixel(x, y) >> 24;
        const uint32_t expected = alpha ? a << 24 | (255 - a) * 0x010101u : pixel(x, y);
        ASSERT_EQ(word(40 + ((7 - y) * 10 + x) * 4), expected) << alpha << " " << x << " " << y;
      }
    }
    // ImageMagick reads it as a bitmap file.
    const std::string path = folder + "/copy.bmp";
    {
      std::ofstream out(path, std::ios::binary);
      const uint32_t size = 14 + 360;
      const uint8_t header[14] = {'B', 'M', uint8_t(size), uint8_t(size >> 8), 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
      out.write(reinterpret_cast<const char*>(header), 14);
      out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size()));
    }
    FILE* identify = popen(("identify -format '%w %h' '" + path + "'").c_str(), "r");
    char size[32] = {};
    ASSERT_NE(identify, nullptr);
    fgets(size, sizeof size, identify);
    pclose(identify);
    EXPECT_STREQ(size, "10 8");
    const std::vector<uint32_t> read = ConvertedPixels(path);
    ASSERT_EQ(read.size(), 80u);
    for (uint32_t i = 0; i < 80; ++i) {
      const uint32_t a = pixel(i % 10, i / 10) >> 24;
      ASSERT_EQ(read[i], alpha ? (255 - a) * 0x010101u : pixel(i % 10, i / 10) & 0xFFFFFF) << alpha << " " << i;
    }
  }
  // An empty slot only beeps.
  PressSlot(4);
  const uint32_t beeps = Beeps();
  EXPECT_EQ(Send("pict copy"), int32_t(kHandled));
  EXPECT_EQ(Send("alpha copy"), int32_t(kHandled));
  EXPECT_EQ(Beeps(), beeps + 2);
}

TEST_F(PictTexturesTest, APastedPictureFillsAnEmptySlotAndAPastedAlphaWantsATexture) {
  std::unique_ptr<CImage> green = MakeImage(6, 5, [](uint32_t x, uint32_t) { return 0xFF00A000u + x; });
  ASSERT_TRUE(CClipboard().PutDIB(green.get()));
  Open();
  PressSlot(5);
  const uint32_t beeps = Beeps();
  EXPECT_EQ(Send("alpha paste"), int32_t(kHandled));
  EXPECT_EQ(Beeps(), beeps + 1);
  EXPECT_TRUE(DocumentPictures().empty());
  // A paste into an empty slot needs no confirmation.
  EXPECT_EQ(Send("pict paste"), int32_t(kHandled));
  while (owner->GetQueueCount()) owner->DispatchQueued();
  CPictTexture* texture = dialog->GetCurrentTexture();
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(NameOf(texture), "image5");
  EXPECT_EQ(Colours(Pixels(texture)), Colours(Pixels(green.get())));

  // On a texture a pasted alpha sets a = 255 - grey and keeps the colours.
  std::unique_ptr<CImage> grey = MakeImage(6, 5, [](uint32_t, uint32_t y) { return y * 0x101010u; });
  ASSERT_TRUE(CClipboard().PutDIB(grey.get()));
  EXPECT_EQ(Confirmed("alpha paste"), int32_t(kHandled));
  const std::vector<uint32_t> pixels = Pixels(texture);
  for (uint32_t i = 0; i < pixels.size(); ++i) {
    EXPECT_EQ(pixels[i] >> 24, 255 - (i / 6) * 0x10) << i;
    EXPECT_EQ(pixels[i] & 0xFFFFFF, 0x00A000u + i % 6) << i;
  }
  // A pasted picture of another size takes the colours and resamples the alpha.
  std::unique_ptr<CImage> wide = MakeImage(12, 10, [](uint32_t, uint32_t) { return 0xFF123456u; });
  ASSERT_TRUE(CClipboard().PutDIB(wide.get()));
  EXPECT_EQ(Confirmed("pict paste"), int32_t(kHandled));
  CHolder held(texture, false, false);
  EXPECT_EQ(texture->GetPicture().GetWidth(), 12u);
  EXPECT_EQ(Pixel(&texture->GetPicture(), 0, 0), 0xFF123456u);
  EXPECT_EQ(Pixel(&texture->GetPicture(), 0, 9), uint32_t(255 - 0x40) << 24 | 0x123456u);
}

// ---- fills and confirmations

TEST_F(PictTexturesTest, OnAnEmptySlotTheFillsBeepAndAskNothing) {
  Open();
  for (const char* action : {"delete pict", "pict white", "pict black", "alpha white", "alpha black", "alpha paste"}) {
    const uint32_t beeps = Beeps();
    const size_t boxes = platform::headless::ShownBoxes().size();
    EXPECT_EQ(Send(action), int32_t(kHandled)) << action;
    EXPECT_EQ(Beeps(), beeps + 1) << action;
    EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes) << action;
  }
}

TEST_F(PictTexturesTest, AFillActsOnlyWhenConfirmed) {
  CPictTexture* texture = AddPicture("ramp", 8, 8, [](uint32_t x, uint32_t y) { return (x * 30) << 24 | y * 0x20202u; });
  const std::vector<uint32_t> before = Pixels(texture);
  Open();
  sent.clear();
  const uint32_t changes = pictureHost.changes;
  EXPECT_EQ(Confirmed("pict white", false), int32_t(kHandled));
  EXPECT_EQ(asked, "pict white");
  EXPECT_FALSE(confirm->IsShown());
  EXPECT_EQ(confirm->GetConfirmationName(), "") << "a cancel forgets the name";
  EXPECT_EQ(Pixels(texture), before);
  EXPECT_EQ(pictureHost.changes, changes);
  EXPECT_EQ(Sent(0).front(), (SSentMessage{0, 1, "delete preset", "", kDialog, 0}));

  sent.clear();
  EXPECT_EQ(Confirmed("pict white"), int32_t(kHandled));
  EXPECT_EQ(Sent(0).back(), (SSentMessage{0, 1, "pict white", "", kConfirm, 0}));
  std::vector<uint32_t> pixels = Pixels(texture);
  for (uint32_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(pixels[i], (before[i] & 0xFF000000) | 0xFFFFFF) << i;
  EXPECT_EQ(Colours(Pixels(dialog->GetWorkImage())), Colours(pixels));
  EXPECT_GT(pictureHost.changes, changes) << "the document has changes";

  EXPECT_EQ(Confirmed("alpha white"), int32_t(kHandled));
  for (uint32_t a : Alphas(Pixels(texture))) ASSERT_EQ(a, 0u);
  for (uint32_t p : Colours(Pixels(Preview(kAlphaPreview)))) ASSERT_EQ(p, 0xFFFFFFu);
  EXPECT_EQ(Colours(Pixels(Preview(kTotalPreview))), [&] {
    std::vector<uint32_t> board;
    CImage* total = Preview(kTotalPreview);
    for (uint32_t y = 0; y < total->GetHeight(); ++y)
      for (uint32_t x = 0; x < total->GetWidth(); ++x) board.push_back(Pixel(dialog->GetCheckerboard(), x % 20, y % 20) & 0xFFFFFF);
    return board;
  }()) << "the composite is the checkerboard";

  EXPECT_EQ(Confirmed("alpha black"), int32_t(kHandled));
  for (uint32_t a : Alphas(Pixels(texture))) ASSERT_EQ(a, 255u);
  EXPECT_EQ(Confirmed("pict black"), int32_t(kHandled));
  for (uint32_t p : Pixels(texture)) ASSERT_EQ(p, 0xFF000000u);
}

TEST_F(PictTexturesTest, InvertingTheAlphaTwiceGivesTheBytesBack) {
  CPictTexture* texture = AddPicture("ramp", 8, 8, [](uint32_t x, uint32_t y) { return (x * 30) << 24 | y * 0x20202u; });
  const std::vector<uint32_t> before = Pixels(texture);
  Open();
  EXPECT_EQ(Send("alpha invert"), int32_t(kHandled));
  const std::vector<uint32_t> inverted = Pixels(texture);
  for (uint32_t i = 0; i < before.size(); ++i) ASSERT_EQ(inverted[i], before[i] ^ 0xFF000000u) << i;
  const uint32_t changes = pictureHost.changes;
  EXPECT_EQ(Send("alpha invert"), int32_t(kHandled));
  EXPECT_EQ(Pixels(texture), before);
  EXPECT_EQ(Pixels(dialog->GetWorkImage()), before);
  EXPECT_GT(pictureHost.changes, changes) << "the document has changes";
}

// ---- giving the texture

class PictTexturesApply : public PictTexturesTest {
 protected:
  void SetUp() override {
    PictTexturesTest::SetUp();
    if (HasFatalFailure()) return;
    picture = AddPicture("leaf");
    other = MakeObject<C3dTexture>(table);
  }
  static C3dMaterial* MaterialOf(C3dObject* object) {
    return LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
  }
  // A material whose slot 1 holds the other texture, its use counted, and whose specularity reads it
  // (a copy keeps only the components the sources read).
  void GiveOther(C3dMaterial* material) {
    CHolder held(material, true, false);
    material->GetRecord().sources[C3dMaterial::kSpecularitySource] = 2;
    ASSERT_EQ(material->SetChannelTexture(other, 1), 0);
    ASSERT_EQ(material->AddTextureRefs(), 0);
  }
  static void ExpectSetUpB(C3dMaterial* material, const std::string& what) {
    CHolder held(material, false, false);
    const SMaterialRecord& record = material->GetRecord();
    EXPECT_TRUE(record.sample.flags & 0x8) << what;
    EXPECT_EQ(record.sources[C3dMaterial::kDiffuseColourSource], 1) << what;
    EXPECT_EQ(record.sources[C3dMaterial::kTransparencySource], 1) << what;
    EXPECT_EQ(record.component[0].mappingMode, 2) << what;
    EXPECT_EQ(record.component[0].scale, 0.01) << what;
  }

  CPictTexture* picture = nullptr;
  C3dTexture* other = nullptr;
};

TEST_F(PictTexturesApply, OkWithoutACallerGivesTheSelectionsMaterialsTheTextureAsOneUndoStep) {
  C3dSphere* sphere = NewSphere();
  C3dCube* first = MakeShape<C3dCube>(table);
  C3dCube* second = MakeShape<C3dCube>(table);
  C3dGroup* group = NewGroup({first, second});
  for (C3dObject* object : {static_cast<C3dObject*>(sphere), static_cast<C3dObject*>(group)})
    object->SetFlags(C3dObject::kSelected);
  std::vector<C3dMaterial*> materials = {MaterialOf(sphere), MaterialOf(first), MaterialOf(second)};
  std::map<C3dMaterial*, bool> counted;
  for (C3dMaterial* material : materials) {
    GiveOther(material);
    counted[material] = material->IsUseCounted(1);
  }
  Open();
  EXPECT_EQ(Send("ok"), int32_t(kHandled));
  EXPECT_FALSE(dialog->IsShown());
  for (C3dMaterial* material : materials) {
    EXPECT_EQ(material->GetChannelTexture(0), picture);
    EXPECT_EQ(material->GetChannelTexture(1), other) << "the other slots stay";
    EXPECT_FALSE(material->IsUseCounted(1) && !counted[material]) << "no use counted twice";
    ExpectSetUpB(material, "object");
  }
  EXPECT_EQ(pictureHost.material->GetChannelTexture(0), picture);
  ExpectSetUpB(pictureHost.material, "current material");
  EXPECT_NE(std::find(pictureHost.calls.begin(), pictureHost.calls.end(), "objinfochanged 4"), pictureHost.calls.end());

  auto* action = dynamic_cast<CMaterialAction*>(document->GetUndoHistory().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->GetObjects().GetCount(), 3u);
  ASSERT_EQ(document->GetUndoHistory().Undo(), 0);
  for (C3dObject* object : {static_cast<C3dObject*>(sphere), static_cast<C3dObject*>(first), static_cast<C3dObject*>(second)}) {
    C3dMaterial* material = MaterialOf(object);
    CHolder held(material, false, false);
    EXPECT_NE(material->GetChannelTexture(0), picture);
    EXPECT_EQ(material->GetChannelTexture(1), other);
  }
  EXPECT_EQ(pictureHost.material->GetChannelTexture(0), picture) << "the current material has no undo";
}

TEST_F(PictTexturesApply, OkWithoutACallerOrASelectionStillSetsUpTheWindowsMaterial) {
  NewSphere();
  Open();
  EXPECT_EQ(Send("ok"), int32_t(kHandled));
  EXPECT_EQ(pictureHost.material->GetChannelTexture(0), picture);
  ExpectSetUpB(pictureHost.material, "current material");
  EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr) << "no object changed, no undo step";
}

// A light's material takes only the mapping of the picture: it lights through it, so it is not made
// see-through and its sources stay; the light editor learns that its gel changed.
TEST_F(PictTexturesApply, ALightsMaterialTakesThePictureWithItsMappingAlone) {
  C3dMaterial* material = MaterialOf(NewSphere());
  SMaterialRecord before;
  {
    CHolder held(material, false, false);
    before = material->GetRecord();
  }
  Open();
  // The light editor reaches the dialog through its gel interface, which tells it the gel changed.
  CGelPictures& gels = *dialog;
  uint8_t changed = 0;
  gels.SetGelContext(CPictTextures::kLightEditor, material, &changed);
  EXPECT_EQ(dialog->GetCallerName(), CPictTextures::kLightEditor);
  EXPECT_EQ(Send("ok"), int32_t(kHandled));
  EXPECT_EQ(changed, 1);
  CHolder held(material, false, false);
  const SMaterialRecord& record = material->GetRecord();
  EXPECT_EQ(material->GetChannelTexture(0), picture);
  EXPECT_EQ(record.component[0].mappingMode, 2);
  EXPECT_EQ(record.component[0].scale, 0.01);
  EXPECT_EQ(record.sample.flags & 0x8, before.sample.flags & 0x8);
  EXPECT_EQ(record.sources[C3dMaterial::kDiffuseColourSource], before.sources[C3dMaterial::kDiffuseColourSource]);
  EXPECT_EQ(record.sources[C3dMaterial::kTransparencySource], before.sources[C3dMaterial::kTransparencySource]);
}

TEST_F(PictTexturesApply, ACallersMaterialTakesTheTextureAndTheCallerHearsTheSize) {
  C3dMaterial* material = MaterialOf(NewSphere());
  uint8_t changed = 1;
  Open();
  ASSERT_EQ(dialog->SetContext("materials composer", material, &changed, 2), 0);
  sent.clear();
  EXPECT_EQ(Send("ok"), int32_t(kHandled));
  EXPECT_EQ(material->GetChannelTexture(2), picture);
  EXPECT_EQ(material->GetChannelTexture(0), nullptr);
  std::vector<SSentMessage> replies;
  for (const SSentMessage& m : Sent(0)) {
    if (m.canvas == kDialog && m.element == "materials composer") replies.push_back(m);
  }
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(dialog->GetCallerName(), nullptr) << "the context is used once";
  EXPECT_EQ(changed, 1);

  // "cancel" clears the caller's flag and leaves the material alone.
  ASSERT_EQ(dialog->SetContext("materials composer", material, &changed, 3), 0);
  dialog->Refresh(false);
  EXPECT_EQ(Send("cancel"), 0);
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(material->GetChannelTexture(3), nullptr);
  EXPECT_FALSE(dialog->IsShown());
}

TEST_F(PictTexturesApply, TheReplyCarriesThePicturesSize) {
  std::vector<CUIMessage> replies;
  onSent = [&replies](const CUIMessage& m) {
    if (std::string(m.canvasName) == kDialog) replies.push_back(m);
  };
  Open();
  ASSERT_EQ(dialog->SetContext("doc window", pictureHost.material, nullptr, 0), 0);
  EXPECT_EQ(Send("ok"), int32_t(kHandled));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].kind, 0u);
  EXPECT_EQ(replies[0].GetPayloadWord(4), 10);
  EXPECT_EQ(replies[0].GetPayloadWord(5), 8);
  ExpectSetUpB(pictureHost.material, "the window's material");
  onSent = nullptr;
}

TEST_F(PictTexturesApply, ADeletedTextureLeavesEveryMaterialAndTheDocument) {
  C3dSphere* sphere = NewSphere();
  C3dCube* member = MakeShape<C3dCube>(table);
  NewGroup({member});
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(ObjectsEnv(), key, spec);
  C3dMaterial* loose = nullptr;
  ASSERT_EQ(C3dMaterial::New(&loose, table, key, spec), 0);
  std::vector<C3dMaterial*> materials = {MaterialOf(sphere), MaterialOf(member), loose, pictureHost.material};
  for (C3dMaterial* material : materials) {
    CHolder held(material, true, false);
    ASSERT_EQ(material->SetChannelTexture(picture, 3), 0);
    ASSERT_EQ(material->AddTextureRefs(), 0);
  }
  sphere->SetFlags(C3dObject::kSelected);
  Open();
  auto* step = new CMaterialAction();
  ASSERT_EQ(step->AddObject(sphere, true), 0);
  ASSERT_EQ(document->GetUndoHistory().Push(step), 0);

  EXPECT_EQ(Confirmed("delete pict"), int32_t(kHandled));
  EXPECT_EQ(asked, "delete pict");
  for (C3dMaterial* material : materials) EXPECT_EQ(material->GetChannelTexture(3), nullptr);
  EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr);
  EXPECT_TRUE(DocumentPictures().empty());
  EXPECT_EQ(pictures->GetCount(), 0u);
  EXPECT_EQ(dialog->GetCurrentTexture(), nullptr);
  for (uint32_t p : Colours(Pixels(Preview(kPictPreview)))) ASSERT_EQ(p, kGrey);
}

}  // namespace
