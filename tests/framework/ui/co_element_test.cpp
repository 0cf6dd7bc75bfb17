// The composite element: its "coel" record, its fill and its rectangle's shadow drawn in the tree's
// passes, and the shadow mask's life.
#include "framework/ui/co_element.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>

#include "framework/core/el_registry.h"
#include "framework/core/ix_color.h"
#include "framework/core/result_codes.h"
#include "tests/framework/ui/picture_fixture.h"

namespace {

constexpr SRect kBox{10, 20, 60, 120};
constexpr char kShownBox[] = "rect 10 20 60 120\nflags 1\n";

class CoElementTest : public PictureTest {
 protected:
  // A shown box element 1 with the "coel" record given, built and added under the root.
  CCoElement* Build(const std::string& coel) {
    Put("elem", 1, "box", kShownBox);
    Put("coel", 1, "box", coel);
    CCoElement* element = nullptr;
    EXPECT_EQ(CCoElement::CreateByNumber(&element, env.get(), 1), kNoErr);
    return element ? Add(*root, element) : nullptr;
  }
  static bool IsShade(uint32_t pixel) {
    const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r == g && g == b && r < 255;
  }
};

TEST_F(CoElementTest, TheFillCoversTheRectWithTheOpacity) {
  const std::pair<const char*, uint32_t> cases[] = {{"1.0", 0x00336699}, {"0.5", 0x0099B2CC}, {"0", kWhite}};
  for (const auto& [opacity, seen] : cases) {
    CCoElement* box = Build(std::string("colour 0x00336699\nopacity ") + opacity + "\nflags 1\n");
    ASSERT_NE(box, nullptr);
    DrawTree();
    ExpectFilled(kBox, seen);
    root->DeleteChildren();
  }
}

TEST_F(CoElementTest, TheShadowFallsIntoTheOutsetsBesideAndBelowTheRect) {
  CCoElement* box = Build("colour 0x00FF0000\nshadow 4 4 2\nflags 0x7\n");
  ASSERT_NE(box, nullptr);
  // The rect moved by (4, 4) and grown by 4 on every side.
  EXPECT_EQ(box->GetTopLeftOutset(), (SPointHV{0, 0}));
  EXPECT_EQ(box->GetBottomRightOutset(), (SPointHV{8, 8}));
  DrawTree();
  EXPECT_EQ(At(70, 30), 0x00FF0000u);
  EXPECT_TRUE(IsShade(At(kBox.right + 2, 30))) << std::hex << At(kBox.right + 2, 30);
  EXPECT_TRUE(IsShade(At(70, kBox.bottom + 2))) << std::hex << At(70, kBox.bottom + 2);
  EXPECT_TRUE(IsShade(At(kBox.right + 3, kBox.bottom + 3)));
  // Beyond the extent, and left of and above the rect, nothing changes.
  EXPECT_EQ(At(kBox.right + 8, 30), kWhite);
  EXPECT_EQ(At(70, kBox.bottom + 8), kWhite);
  EXPECT_EQ(At(kBox.left - 1, 30), kWhite);
  EXPECT_EQ(At(70, kBox.top - 1), kWhite);
}

TEST_F(CoElementTest, WithoutOutsetsTheShadowHasNowhereToFall) {
  CCoElement* box = Build("colour 0x00FF0000\nshadow 4 4 2\nflags 0x3\n");
  ASSERT_NE(box, nullptr);
  DrawTree();
  ExpectFilled(kBox, 0x00FF0000);
  EXPECT_EQ(box->GetShadowMask(), nullptr);
}

TEST_F(CoElementTest, AMoveKeepsTheMaskAndAResizeRebuildsIt) {
  CCoElement* box = Build("shadow 4 4 2\nflags 0x6\n");
  ASSERT_NE(box, nullptr);
  DrawTree();
  CImage* mask = box->GetShadowMask();
  ASSERT_NE(mask, nullptr);
  ASSERT_EQ(box->MoveTo({30, 40}, true), kNoErr);
  DrawTree();
  EXPECT_EQ(box->GetShadowMask(), mask);
  // Under an unfilled element the shadow shows too.
  EXPECT_TRUE(IsShade(At(60, 70)));
  ASSERT_EQ(box->SetRect({40, 30, 91, 130}, true), kNoErr);
  EXPECT_EQ(box->GetShadowMask(), nullptr);
  DrawTree();
  EXPECT_NE(box->GetShadowMask(), nullptr);
  // New settings drop it too; the same ones keep it.
  mask = box->GetShadowMask();
  EXPECT_EQ(box->SetShadow(box->GetShadow(), true), kNoErr);
  EXPECT_EQ(box->GetShadowMask(), mask);
  SSoftShadow wider = box->GetShadow();
  wider.radius = 3;
  EXPECT_EQ(box->SetShadow(wider, true), kNoErr);
  EXPECT_EQ(box->GetShadowMask(), nullptr);
}

TEST_F(CoElementTest, StoredOpacityIsKeptBetweenZeroAndOne) {
  struct SCase {
    uint32_t bits;
    float read;
  } cases[] = {
      {std::bit_cast<uint32_t>(-0.2f), 0.0f}, {std::bit_cast<uint32_t>(1.5f), 1.0f},
      {std::bit_cast<uint32_t>(0.25f), 0.25f}, {0x7FC00000, 0.0f},  // not a number
  };
  Put("elem", 1, "box", kShownBox);
  for (const SCase& c : cases) {
    env->DeleteResource(Key("coel", 1));
    PutChanged("coel", 1, "box", "flags 1\n", [&](std::vector<uint8_t>& bytes) {
      std::memcpy(bytes.data() + CCoElement::kRecordOpacity, &c.bits, 4);
    });
    CCoElement* box = nullptr;
    ASSERT_EQ(CCoElement::CreateByNumber(&box, env.get(), 1), kNoErr);
    EXPECT_EQ(box->GetOpacity(), c.read) << std::hex << c.bits;
    delete box;
  }
  EXPECT_EQ(OpacityFactor(0.5f), 128);
  EXPECT_EQ(OpacityFactor(1.0f), 256);
  EXPECT_EQ(OpacityFactor(0.0f), 0);
}

TEST_F(CoElementTest, AMissingRecordLeavesTheDefaultsAndABadOneIsRefused) {
  Put("elem", 1, "box", kShownBox);
  CCoElement* plain = nullptr;
  ASSERT_EQ(CCoElement::CreateByNumber(&plain, env.get(), 1), kNoErr);
  EXPECT_FALSE(plain->IsFillOn());
  EXPECT_FALSE(plain->IsShadowOn());
  EXPECT_TRUE(plain->IsShown());
  EXPECT_EQ(plain->GetShadow().radius, 16u);
  delete plain;

  const std::vector<uint8_t> good = Compiled("coel", "flags 1\n");
  ASSERT_EQ(good.size(), 100u);
  std::vector<uint8_t> cut(good.begin(), good.begin() + 99);
  std::vector<uint8_t> version = good;
  version[7] = '1';
  for (const std::vector<uint8_t>& bytes : {cut, version}) {
    env->DeleteResource(Key("coel", 1));
    ASSERT_EQ(StoreResource(*env, Key("coel", 1, "box"), bytes), kNoErr);
    CCoElement* element = reinterpret_cast<CCoElement*>(1);
    EXPECT_EQ(CCoElement::CreateByNumber(&element, env.get(), 1), kErrInvalidFormat);
    EXPECT_EQ(element, nullptr);
  }
}

TEST_F(CoElementTest, TheFillColourMayComeFromAColourList) {
  Put("ixco", 1, "palette", "0 0x00111111\n1 0x00222222\n2 0x00AABBCC\n");
  struct SCase {
    const char* coel;
    uint32_t color;
    bool list;
  } cases[] = {
      {"colour 0x00010203\nlistname \"palette\"\nentry 2\nflags 0x59\n", 0x00AABBCC, true},
      // The element record's own number, 1.
      {"colour 0x00010203\nentry 1\nflags 0x69\n", 0x00222222, true},
      // Without 0x40 the list is held and the colour stays.
      {"colour 0x00010203\nlistname \"palette\"\nentry 2\nflags 0x19\n", 0x00010203, true},
      // A list that does not load is no failure.
      {"colour 0x00010203\nlistname \"none\"\nentry 2\nflags 0x59\n", 0x00010203, false},
  };
  for (const SCase& c : cases) {
    CCoElement* box = Build(c.coel);
    ASSERT_NE(box, nullptr) << c.coel;
    EXPECT_EQ(box->GetFillColor().value, c.color) << c.coel;
    EXPECT_EQ(box->GetColorList() != nullptr, c.list) << c.coel;
    root->DeleteChildren();
  }
}

TEST_F(CoElementTest, OnlyAFilledOpaqueElementCoversItsRect) {
  CCoElement* box = Build("colour 0x00FF0000\nshadow 4 4 2\nflags 0x7\n");
  ASSERT_NE(box, nullptr);
  SRect cover;
  EXPECT_TRUE(box->GetCoverRect(&cover));
  SRect local;
  box->GetLocalRect(&local);
  EXPECT_EQ(cover, local);
  box->SetOutsets({}, {}, true);
  EXPECT_FALSE(box->GetCoverRect(&cover));
  box->Hide(true);
  EXPECT_TRUE(box->GetCoverRect(&cover));
  EXPECT_EQ(cover, SRect{});
}

TEST_F(CoElementTest, ElementSetsBuildCompositeElementsThatDrawInTheTree) {
  Put("elem", 2, "", "name \"second\"\nrect 100 100 150 150\nflags 1\n");
  Put("coel", 2, "", "colour 0x000000FF\nfilllayer 2\nflags 1\n");
  Put("elem", 1, "box", kShownBox);
  Put("coel", 1, "box", "colour 0x00336699\nflags 1\n");
  Put("eset", 1, "", "coel 1\ncoel 2\n");
  ASSERT_EQ(app->GetElementRegistry()->LoadElementSet(env.get(), 1, nullptr, root.get()), kNoErr);
  CElement* second = nullptr;
  ASSERT_EQ(CElSystem::FindElement(root->GetChildren(), "second", &second, false), kNoErr);
  ASSERT_NE(dynamic_cast<CCoElement*>(second), nullptr);
  EXPECT_EQ(dynamic_cast<CCoElement*>(second)->GetFillLayer(), 2u);
  DrawTree();
  EXPECT_EQ(At(30, 20), 0x00336699u);
  EXPECT_EQ(At(120, 120), 0x000000FFu);
  EXPECT_EQ(At(5, 5), kWhite);
}

}  // namespace
