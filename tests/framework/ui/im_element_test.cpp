// The image element: where its picture comes from and who gives it back, its "imel" record, how it
// draws, its image list, and fitting it to its picture.
#include "framework/ui/im_element.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/core/el_registry.h"
#include "framework/core/holder.h"
#include "framework/core/ix_loader.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "tests/framework/ui/picture_fixture.h"

namespace {

class ImElementTest : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    PutSolidPicture(1, "red", 10, 10, 0x00FF0000);
    PutSolidPicture(2, "wide", 20, 5, 0x000000FF);
    PutSolidPicture(3, "banner", 50, 30, 0x0000FF00);
  }
  // Element number with its "elem" record (shown at rect) and "imel" record.
  std::unique_ptr<CImElement> Make(uint32_t number, const std::string& imel, const char* rect = "0 0 10 10") {
    Put("elem", number, "", std::string("rect ") + rect + "\nflags 1\n");
    Put("imel", number, "", imel);
    CImElement* element = nullptr;
    EXPECT_EQ(CImElement::CreateByNumber(&element, env.get(), number), kNoErr) << imel;
    return std::unique_ptr<CImElement>(element);
  }
  // The same, added under the root, which owns it.
  CImElement* Placed(uint32_t number, const std::string& imel, const char* rect = "0 0 10 10") {
    CImElement* element = Make(number, imel, rect).release();
    return element ? Add(*root, element) : nullptr;
  }
  uint32_t SharedRows() const { return env->GetSharedTable()->GetCount(); }
};

TEST_F(ImElementTest, SharedPicturesAreOnePictureCountedByItsUsers) {
  auto byName = Make(10, "picturename \"red\"\nflags 0x27\n");
  auto byNumber = Make(11, "picture 1\nflags 0x25\n");
  ASSERT_TRUE(byName && byNumber);
  CImage* picture = byName->GetImage();
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(byNumber->GetImage(), picture);
  EXPECT_TRUE(byName->IsImageShared());
  EXPECT_EQ(SharedUseCount(picture), 2u);
  byName.reset();
  EXPECT_EQ(SharedUseCount(picture), 1u);
  EXPECT_EQ(Pixels(*picture)[0], 0x00FF0000u);
  byNumber.reset();
  EXPECT_EQ(SharedRows(), 0u);
}

TEST_F(ImElementTest, OnlyPicturesOfTheCacheGoBackToIt) {
  SGridLayout grid;
  MakeImageGridSpec(grid, env.get(), 0, 0);
  SSpoolKey key;
  key.Set(kImageType, 1, false);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  CImage* shared = nullptr;
  ASSERT_EQ(CImElement::LoadSharedImage(&shared, grid, spec), kNoErr);
  CImage* copy = nullptr;
  key.Set(kImageType, 2, false);
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  ASSERT_EQ(CImElement::LoadImageCopy(&copy, grid, spec), kNoErr);
  std::unique_ptr<CImage> copyOwner(copy);
  CImage* none = nullptr;
  EXPECT_EQ(CImElement::ReleaseSharedImage(&none), kErrInvalidParameter);
  // Every answer clears the slot; what could not go back is left where it is.
  CImage* slot = copy;
  EXPECT_EQ(CImElement::ReleaseSharedImage(&slot), kErrUnexpectedType);
  EXPECT_EQ(slot, nullptr);
  {
    CHolder locked(shared, false, false);
    slot = shared;
    EXPECT_EQ(CImElement::ReleaseSharedImage(&slot), kErrObjectInUse);
    EXPECT_EQ(slot, nullptr);
  }
  EXPECT_EQ(SharedUseCount(shared), 1u);
  slot = shared;
  EXPECT_EQ(CImElement::ReleaseSharedImage(&slot), kNoErr);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(SharedRows(), 0u);
  // Not an open environment, not a resource environment.
  EXPECT_EQ(CImElement::LoadImageCopy(&copy, SGridLayout{}, spec), kErrUnexpectedStatus);
  grid.environment = DataEnv();
  EXPECT_EQ(CImElement::LoadSharedImage(&slot, grid, spec), kErrUnexpectedType);
  EXPECT_EQ(CImElement::LoadImageCopy(&slot, grid, spec), kErrUnexpectedType);
}

TEST_F(ImElementTest, SettingTheSamePictureAgainCountsNoFurtherUse) {
  auto element = Make(10, "picture 1\nflags 0x25\n");
  ASSERT_TRUE(element);
  CImage* picture = element->GetImage();
  EXPECT_EQ(element->LoadImageByNumber(env.get(), 1, true, false, true, true, true), kNoErr);
  EXPECT_EQ(element->GetImage(), picture);
  EXPECT_EQ(SharedUseCount(picture), 1u);
  EXPECT_EQ(element->SetImage(picture, true, true, true, true), kNoErr);
  EXPECT_EQ(SharedUseCount(picture), 1u);
}

TEST_F(ImElementTest, ASharedPictureMissingHereComesFromTheApplicationsResources) {
  {
    auto system = Open("system.dat");
    ASSERT_EQ(StoreImage(*system, Key(kImageType, 40, "logo"), 3, 3, [](uint32_t, uint32_t) { return 7u; }), kNoErr);
  }
  OpenSystemFile({});
  auto element = Make(10, "picturename \"logo\"\nflags 0x27\n");
  ASSERT_TRUE(element);
  ASSERT_NE(element->GetImage(), nullptr);
  EXPECT_EQ(element->GetImage()->GetEnvironment(), app->GetResourceEnv());
  EXPECT_EQ(SharedUseCount(element->GetImage()), 1u);
  element.reset();
  EXPECT_EQ(app->GetResourceEnv()->GetSharedTable()->GetCount(), 0u);
  // Missing everywhere.
  Put("elem", 12, "", "rect 0 0 10 10\n");
  Put("imel", 12, "", "picture 99\nflags 0x25\n");
  CImElement* none = nullptr;
  EXPECT_EQ(CImElement::CreateByNumber(&none, env.get(), 12), kErrObjectNotFound);
}

TEST_F(ImElementTest, PicturesTheElementLoadedGoWithItWhateverItsOwnershipFlag) {
  // A copy (0x8) lives in the working environment, a direct load in the layout file; neither record
  // says the element owns its picture, and LeakSanitizer checks that both are freed.
  auto copy = Make(10, "picture 1\nflags 0x9\n");
  auto direct = Make(11, "picture 2\nflags 0x1\n");
  ASSERT_TRUE(copy && direct);
  EXPECT_FALSE(copy->OwnsImage());
  EXPECT_EQ(copy->GetImage()->GetEnvironment(), DataEnv());
  EXPECT_FALSE(copy->IsImageShared());
  EXPECT_EQ(direct->GetImage()->GetEnvironment(), env.get());
  EXPECT_EQ(Pixels(*copy->GetImage()), std::vector<uint32_t>(100, 0x00FF0000));
  EXPECT_EQ(SharedRows(), 0u);
}

TEST_F(ImElementTest, PicturesOfTheImageListStayTheLists) {
  Put("ixim", 3, "", "0 number 1\n1 number 2 file\n");
  auto element = Make(10, "list 3\nentry 1\nflags 0x4820\n");
  ASSERT_TRUE(element);
  CIxImage* list = element->GetImageList();
  ASSERT_NE(list, nullptr);
  CImage* shared = list->ImageAt(1);
  EXPECT_EQ(element->GetImage(), shared);
  EXPECT_TRUE(element->IsImageShared());
  // Showing entry 0 with release leaves entry 1 to the list, which still hands it out.
  ASSERT_EQ(element->SelectEntry(0, true, true, true), kNoErr);
  EXPECT_EQ(list->ImageAt(1), shared);
  EXPECT_EQ(SharedUseCount(shared), 1u);
  // The list leaves the element, then the element goes: the list's pictures stay.
  ASSERT_EQ(element->SetImageList(nullptr, false), kNoErr);
  element.reset();
  std::unique_ptr<CIxImage> kept(list);
  ASSERT_NE(kept->ImageAt(0), nullptr);
  EXPECT_EQ(Pixels(*kept->ImageAt(0))[0], 0x00FF0000u);
  EXPECT_EQ(SharedUseCount(shared), 1u);
  kept.reset();
  EXPECT_EQ(SharedRows(), 0u);
}

TEST_F(ImElementTest, SelectingAnEntryRedrawsTheUnionOfBothPlacesOnce) {
  CImElement* plain = Placed(10, "flags 0x20\n", "0 0 30 30");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->SelectEntry(1, true, true, true), kErrUnexpectedStatus);

  Put("ixim", 3, "", "0 number 1\n1 number 2\n");
  CImElement* listed = Placed(11, "list 3\nentry 0\nflags 0x4820\n", "0 0 30 30");
  ASSERT_NE(listed, nullptr);
  root->invalidated.clear();
  ASSERT_EQ(listed->SelectEntry(1, true, true, true), kNoErr);
  EXPECT_EQ(listed->GetImage(), listed->GetImageList()->ImageAt(1));
  ASSERT_EQ(root->invalidated.size(), 1u);
  EXPECT_EQ(root->invalidated[0], (SRect{0, 0, 10, 20}));
  EXPECT_EQ(listed->SelectEntry(5, true, true, true), kErrObjectNotFound);
}

TEST_F(ImElementTest, OpacityAndTranslucencyDecideHowThePictureMeetsThePort) {
  PutPicture(4, "", 2, 1, [](uint32_t x, uint32_t) { return x == 0 ? 0x80FFFFFFu : 0x00123456u; });
  struct SCase {
    const char* imel;
    uint32_t background;
    uint32_t first, second;
  } cases[] = {
      {"picture 1\nopacity 0.5\nflags 0x21\n", kWhite, 0x00FF7F7F, 0x00FF7F7F},
      {"picture 1\nflags 0x21\n", kWhite, 0x00FF0000, 0x00FF0000},
      // By the picture's own alpha: transparent pixels leave the port alone.
      {"picture 4\nflags 0x121\n", 0xFF000000, 0xBF7F7F7F, 0xFF000000},
      {"picture 4\nopacity 0\nflags 0x121\n", 0xFF000000, 0xFF000000, 0xFF000000},
  };
  for (const SCase& c : cases) {
    ASSERT_NE(Placed(10, c.imel, "20 30 21 32"), nullptr);
    DrawTree(c.background);
    EXPECT_EQ(At(30, 20), c.first) << c.imel;
    EXPECT_EQ(At(31, 20), c.second) << c.imel;
    EXPECT_EQ(At(29, 20), c.background) << c.imel;
    root->DeleteChildren();
  }
}

TEST_F(ImElementTest, ThePicturesShadowFallsInsideTheRectOrInTheOutsets) {
  PutSolidPicture(5, "", 10, 10, 0xFF202020);
  struct SCase {
    const char* imel;
    const char* rect;
  } cases[] = {
      {"picture 5\nshadow 3 3 1\nflags 0x61\n", "20 20 40 40"},
      // Fitted to the picture, the shadow in the outsets.
      {"picture 5\nshadow 3 3 1\nflags 0x6E1\n", "20 20 20 20"},
  };
  for (const SCase& c : cases) {
    CImElement* element = Placed(10, c.imel, c.rect);
    ASSERT_NE(element, nullptr);
    DrawTree();
    EXPECT_EQ(At(25, 25), 0xFF202020u) << c.imel;
    const uint32_t beside = At(31, 26), below = At(26, 31);
    EXPECT_TRUE(beside != kWhite && (beside & 0xFF) == ((beside >> 16) & 0xFF)) << std::hex << beside;
    EXPECT_TRUE(below != kWhite && (below & 0xFF) == ((below >> 16) & 0xFF)) << std::hex << below;
    EXPECT_EQ(At(19, 25), kWhite) << c.imel;
    EXPECT_EQ(At(45, 25), kWhite) << c.imel;
    root->DeleteChildren();
  }
}

TEST_F(ImElementTest, ABlankPictureIsBlackOrClear) {
  auto black = Make(10, "flags 0x8000\n", "0 0 3 4");
  auto clear = Make(11, "flags 0x8100\n", "0 0 3 4");
  ASSERT_TRUE(black && clear);
  EXPECT_EQ(Pixels(*black->GetImage()), std::vector<uint32_t>(12, 0xFF000000));
  EXPECT_EQ(Pixels(*clear->GetImage()), std::vector<uint32_t>(12, 0));
  EXPECT_EQ(black->GetImage()->GetEnvironment(), DataEnv());
  // A picture set already is kept.
  auto kept = Make(12, "picture 1\nflags 0x8021\n");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->GetImage()->GetWidth(), 10u);
}

TEST_F(ImElementTest, AMaskCountsForFourPixelsEach) {
  // 11 pixels and their shadow 2 to the right: 13 wide, packed into 4 mask pixels, which cover 16.
  PutSolidPicture(5, "", 11, 2, 0xFF000000);
  auto element = Make(10, "picture 5\nshadow 2 0 0\nflags 0x61\n", "0 0 40 40");
  ASSERT_TRUE(element);
  SRect area;
  ASSERT_EQ(element->GetUpdateArea(&area, true, CImElement::kUnlimited), kNoErr);
  ASSERT_NE(element->GetShadowMask(), nullptr);
  EXPECT_EQ(element->GetShadowMask()->GetWidth(), 4u);
  EXPECT_EQ(area, (SRect{0, 0, 2, 16}));
  ASSERT_EQ(element->GetUpdateArea(&area, false, CImElement::kUnlimited), kNoErr);
  EXPECT_EQ(area, (SRect{0, 0, 2, 11}));
  // Limited to the rect.
  ASSERT_EQ(element->SetImagePosition({35, 0}, true), kNoErr);
  ASSERT_EQ(element->GetUpdateArea(&area, true, CImElement::kToRect), kNoErr);
  EXPECT_EQ(area, (SRect{0, 35, 2, 40}));
}

TEST_F(ImElementTest, FittingKeepsThePictureWhereItIs) {
  auto element = Make(10, "picture 3\nposition 5 5\nflags 0x21\n");
  ASSERT_TRUE(element);
  ASSERT_EQ(element->FitToImage(false, false, true, {}, {}), kNoErr);
  EXPECT_EQ(element->GetRect(), (SRect{5, 5, 35, 55}));
  EXPECT_EQ(element->GetOrigin(), (SPointHV{5, 5}));
  SRect local;
  element->GetLocalRect(&local);
  EXPECT_EQ(local, (SRect{5, 5, 35, 55}));

  // From the record, with the shadow in the outsets: the rect holds the picture, the outsets its
  // shadow, which the picture's alpha casts.
  PutSolidPicture(6, "", 50, 30, 0xFF00FF00);
  auto shadowed = Make(11, "picture 6\nposition 5 5\nshadow 4 4 2\nflags 0x6E1\n", "0 0 0 0");
  ASSERT_TRUE(shadowed);
  EXPECT_EQ(shadowed->GetRect(), (SRect{5, 5, 35, 55}));
  SRect withShadow;
  ASSERT_EQ(shadowed->GetUpdateArea(&withShadow, true, CImElement::kUnlimited), kNoErr);
  EXPECT_EQ(shadowed->GetTopLeftOutset(), (SPointHV{0, 0}));
  EXPECT_EQ(shadowed->GetBottomRightOutset(), (SPointHV{withShadow.right - 55, withShadow.bottom - 35}));
  EXPECT_GT(withShadow.bottom, 35);
}

TEST_F(ImElementTest, RecordsThatAreShortOrFailPartWay) {
  const std::vector<uint8_t> good = Compiled("imel", "flags 0x21\n");
  ASSERT_EQ(good.size(), 140u);
  Put("elem", 10, "", "rect 0 0 10 10\nflags 1\n");
  ASSERT_EQ(StoreResource(*env, Key("imel", 10), std::vector<uint8_t>(good.begin(), good.begin() + 139)), kNoErr);
  CImElement* element = reinterpret_cast<CImElement*>(1);
  EXPECT_EQ(CImElement::CreateByNumber(&element, env.get(), 10), kErrInvalidFormat);
  EXPECT_EQ(element, nullptr);

  // The picture loads, the list does not: the picture stays and the element is shown again.
  Put("elem", 11, "", "rect 0 0 10 10\nflags 1\n");
  Put("imel", 11, "", "picture 1\nopacity 0.5\nlist 99\nflags 0x821\n");
  CImElement partial(Desc({}));
  EXPECT_EQ(partial.ReadRecord(env.get(), 11, nullptr), kErrObjectNotFound);
  EXPECT_NE(partial.GetImage(), nullptr);
  EXPECT_EQ(partial.GetOpacity(), 0.5f);
  EXPECT_TRUE(partial.IsShown());
}

TEST_F(ImElementTest, IndexedListsLoadElementPicturesSharedOrCopied) {
  Put("ixim", 3, "", "0 number 1 file\n1 number 1 file\n2 number 2 resource\n");
  {
    CIxImage list(env.get(), 3, 0);
    ASSERT_EQ(list.GetResult(), kNoErr);
    CImage* shared = list.ImageAt(0);
    EXPECT_EQ(list.ImageAt(1), shared);
    EXPECT_EQ(SharedUseCount(shared), 2u);
    CImage* copy = list.ImageAt(2);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetEnvironment(), DataEnv());
    EXPECT_EQ(Pixels(*copy)[0], 0x000000FFu);
  }
  EXPECT_EQ(SharedRows(), 0u);
}

// Through the element, a named picture of the file that is not there is not found, and a numbered one
// copied from the resources is read.
TEST_F(ImElementTest, IndexedListsOfPicturesMissingOrCopied) {
  Put("ixim", 15, "", "0 name \"logo\" file\n");
  Put("ixim", 16, "", "0 number 1 resource\n");
  EXPECT_EQ(CIxImage(env.get(), 15, CIxImage::kNone).GetResult(), kErrObjectNotFound);
  EXPECT_EQ(CIxImage(env.get(), 16, CIxImage::kNone).GetResult(), kNoErr);
}

TEST_F(ImElementTest, ElementSetsBuildImageElementsThatDrawInTheTree) {
  Put("elem", 1, "", "name \"picture\"\nrect 40 50 50 60\nflags 1\n");
  Put("imel", 1, "", "picture 1\nflags 0x21\n");
  Put("eset", 1, "", "imel 1\n");
  ASSERT_EQ(app->GetElementRegistry()->LoadElementSet(env.get(), 1, nullptr, root.get()), kNoErr);
  CElement* child = nullptr;
  ASSERT_EQ(CElSystem::FindElement(root->GetChildren(), "picture", &child, false), kNoErr);
  ASSERT_NE(dynamic_cast<CImElement*>(child), nullptr);
  DrawTree();
  EXPECT_EQ(At(55, 45), 0x00FF0000u);
  EXPECT_EQ(At(49, 45), kWhite);
  SRect cover;
  EXPECT_TRUE(child->GetCoverRect(&cover));
  EXPECT_EQ(cover, (SRect{0, 0, 10, 10}));
}

}  // namespace
