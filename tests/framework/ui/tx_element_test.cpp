// The text element: its "txel" record, its two passes with their opacity, what its changes repaint,
// fitting it to its text, and its place in the element registry.
#include "framework/ui/tx_element.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "framework/core/el_registry.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/core/ui_services.h"
#include "framework/ui/element_types.h"
#include "framework/ui/text_style.h"
#include "tests/framework/ui/font_fixture.h"
#include "tests/framework/ui/picture_fixture.h"

namespace {

using FontTest = FontTestT<PictureTest>;

constexpr const char* kStyled = "text \"a\"\nstylename \"plain\"\nposition 20 30\n";

class TxElementTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    PutFont(*env, 128, "square", UnitSquareFont());
    Put("fost", 1, "plain", "fontname \"square\"\nflags 12\n");
    Put("fost", 2, "red", "fontname \"square\"\ncolour 0xFFFF0000\nflags 12\n");
  }
  // Element number with its "elem" record (shown at rect) and its "txel" record.
  std::unique_ptr<CTxElement> Make(uint32_t number, const std::string& txel, const char* rect = "0 0 200 200") {
    Put("elem", number, "", std::string("rect ") + rect + "\nflags 1\n");
    Put("txel", number, "", txel);
    CTxElement* element = nullptr;
    EXPECT_EQ(CTxElement::CreateById(&element, env.get(), number), kNoErr) << txel;
    return std::unique_ptr<CTxElement>(element);
  }
  // The same, added under the root, which owns it.
  CTxElement* Placed(uint32_t number, const std::string& txel, const char* rect = "0 0 200 200") {
    CTxElement* element = Make(number, txel, rect).release();
    return element ? Add(*root, element) : nullptr;
  }
  uint32_t Grey(int32_t x, int32_t y) { return At(x, y) & 0xFF; }
};

TEST_F(TxElementTest, TheRecordNeedsItsBytesAndIsOptional) {
  std::vector<uint8_t> record(203, 0);
  std::memcpy(record.data(), "txel0100", 8);
  Put("elem", 5, "", "rect 0 0 10 10\nflags 1\n");
  Store(*env, Key("txel", 5), record);
  CTxElement* element = nullptr;
  EXPECT_EQ(CTxElement::CreateById(&element, env.get(), 5), kErrInvalidFormat);
  EXPECT_EQ(element, nullptr);

  Put("elem", 6, "", "rect 0 0 10 10\nflags 1\n");
  Put("imel", 6, "", "opacity 0.25\n");
  ASSERT_EQ(CTxElement::CreateById(&element, env.get(), 6), kNoErr);
  std::unique_ptr<CTxElement> plain(element);
  EXPECT_EQ(plain->GetText(), nullptr);
  EXPECT_EQ(plain->GetStyle(), nullptr);
  EXPECT_EQ(plain->GetOpacity(), 0.25f);
  EXPECT_EQ(plain->GetTextOpacity(), 1.0f);
  SRect rect;
  EXPECT_EQ(plain->GetTextRect(&rect), kNoErr);
  EXPECT_EQ(rect, SRect{});
}

TEST_F(TxElementTest, OpacityIsKeptBetweenZeroAndOne) {
  struct SCase {
    const char* stored;
    float kept;
  } cases[] = {{"1.5", 1.0f}, {"-0.2", 0.0f}, {"0.5", 0.5f}};
  uint32_t number = 10;
  for (const SCase& c : cases) {
    auto element = Make(number++, std::string("opacity ") + c.stored + "\n");
    ASSERT_TRUE(element) << c.stored;
    EXPECT_EQ(element->GetTextOpacity(), c.kept) << c.stored;
  }
  Put("elem", number, "", "rect 0 0 10 10\nflags 1\n");
  PutChanged("txel", number, "", "opacity 1\n", [](std::vector<uint8_t>& bytes) {
    const float nan = std::nanf("");
    std::memcpy(bytes.data() + CTxElement::kRecordOpacity, &nan, 4);
  });
  CTxElement* element = nullptr;
  ASSERT_EQ(CTxElement::CreateById(&element, env.get(), number), kNoErr);
  EXPECT_EQ(element->GetTextOpacity(), 0.0f);
  delete element;
}

TEST_F(TxElementTest, TheRecordGivesTheTextStyleListAndLayers) {
  Put("ixtx", 3, "captions", "0 \"first\"\n1 \"second\"\n");
  auto element = Make(10, "listname \"captions\"\nindex 1\nstyle 1\ntextlayer 2\nshadowlayer 0\nflags 0x12C\n");
  ASSERT_TRUE(element);
  EXPECT_EQ(element->GetText(), nullptr);
  ASSERT_NE(element->GetTextList(), nullptr);
  EXPECT_STREQ(element->GetTextList()->TextAt(1), "second");
  ASSERT_NE(element->GetStyle(), nullptr);
  EXPECT_NE(element->GetStyle()->font, nullptr);
  EXPECT_EQ(element->GetTextLayer(), 2u);
  EXPECT_EQ(element->GetTextShadowLayer(), 0u);
  EXPECT_TRUE(element->IsShadowShown());
  // "second" has six glyphs, all empty in this font but their advances: no ink, no rectangle.
  SRect rect;
  EXPECT_EQ(element->GetTextRect(&rect), kNoErr);
  EXPECT_EQ(rect, SRect{});
  // A record that names a style the file lacks fails.
  Put("elem", 11, "", "rect 0 0 10 10\nflags 1\n");
  Put("txel", 11, "", "stylename \"missing\"\nflags 0x60\n");
  CTxElement* failed = nullptr;
  EXPECT_EQ(CTxElement::CreateById(&failed, env.get(), 11), kErrObjectNotFound);
}

// An inline text the element copied goes with it, also without "owns text"; LeakSanitizer watches.
TEST_F(TxElementTest, AnInlineTextIsTheElementsOwnCopy) {
  auto element = Make(10, "text \"Quarn2\"\nflags 1\n");
  ASSERT_TRUE(element);
  EXPECT_STREQ(element->GetText(), "Quarn2");
  EXPECT_FALSE(element->OwnsText());
  const char* mine = "mine";
  EXPECT_EQ(element->SetText(mine, false, true), kNoErr);
  EXPECT_EQ(element->GetText(), mine);
  char* handed = CTxElement::NewText("handed in", 64);
  EXPECT_EQ(element->SetText(handed, false, true), kNoErr);
  EXPECT_EQ(element->SetText(mine, true, true), kNoErr);
  element = Make(11, "text \"owned\"\nflags 3\n");
  ASSERT_TRUE(element);
  EXPECT_TRUE(element->OwnsText());
  EXPECT_EQ(element->SetText(CTxElement::NewText("also owned", 64), false, true), kNoErr);
}

TEST_F(TxElementTest, OpacityScalesTheTextAndItsShadow) {
  Placed(10, std::string(kStyled) + "opacity 0.5\nflags 0x61\n");
  DrawTree();
  // Alpha 128: (65535 × 129) >> 8 = 33023, and 255 + ((0 - 255) × 33023 >> 16) = 126.
  EXPECT_EQ(At(25, 35), 0x007E7E7Eu);
  root->DeleteChildren();

  // The shadow lies down and right of the text: (38, 48) is shadow only.
  const std::string shadowed = std::string(kStyled) + "shadow 8 8 1\nshadowlayer 0\n";
  Placed(11, shadowed + "flags 0x161\n");
  DrawTree();
  const uint32_t shadowAtOne = Grey(38, 48);
  EXPECT_LT(shadowAtOne, 200u);
  root->DeleteChildren();
  Placed(12, shadowed + "opacity 0.5\nflags 0x161\n");
  DrawTree();
  EXPECT_NEAR(double(255 - Grey(38, 48)), double(255 - shadowAtOne) / 2, 2.0);
}

TEST_F(TxElementTest, OnOneLayerTheShadowGoesUnderTheText) {
  const std::string red = "text \"a\"\nstylename \"red\"\nposition 20 30\nshadow 0 0 1\n";
  Placed(10, red + "flags 0x161\n");
  DrawTree();
  // Full coverage takes a darker pixel to one step below the colour.
  EXPECT_GE(At(25, 35) >> 16, 254u);
  EXPECT_EQ(At(25, 35) & 0xFFFF, 0u);
  root->DeleteChildren();
  Placed(11, red + "shadowlayer 2\nflags 0x161\n");
  DrawTree();
  EXPECT_LT(At(25, 35) >> 16, 200u);
}

TEST_F(TxElementTest, WithoutItsShadowOnlyTheTextLayerDraws) {
  auto* element = Placed(10, std::string(kStyled) + "flags 0x61\n");
  ASSERT_NE(element, nullptr);
  auto empty = SolidImage(200, 200, kWhite);
  for (uint32_t pass : {0u, 2u}) EXPECT_EQ(element->DrawLayers(pass, empty.get()), kNoErr);
  EXPECT_EQ(Pixels(*empty), Pixels(*SolidImage(200, 200, kWhite)));
  DrawTree();
  EXPECT_EQ(element->GetShadowImage(), nullptr);
  EXPECT_EQ(At(25, 35), 0x00000000u);
  EXPECT_EQ(At(60, 60), kWhite);
}

TEST_F(TxElementTest, ChangesRepaintTheTextsOldAndNewPlaces) {
  auto* element = Placed(10, std::string(kStyled) + "flags 0x61\n");
  ASSERT_NE(element, nullptr);
  root->invalidated.clear();
  EXPECT_EQ(element->SetText(element->GetText(), false, true), kNoErr);
  EXPECT_TRUE(root->invalidated.empty());
  EXPECT_EQ(element->SetPosition({20, 30}, true), kNoErr);
  EXPECT_TRUE(root->invalidated.empty());

  EXPECT_EQ(element->SetPosition({100, 100}, true), kNoErr);
  EXPECT_EQ(root->invalidated, (std::vector<SRect>{{28, 18, 44, 34}, {98, 98, 114, 114}}));
  root->invalidated.clear();
  EXPECT_EQ(element->SetPosition({104, 104}, true), kNoErr);
  EXPECT_EQ(root->invalidated, (std::vector<SRect>{{98, 98, 118, 118}}));
  root->invalidated.clear();
  EXPECT_EQ(element->SetPosition({0, 0}, false), kNoErr);
  EXPECT_TRUE(root->invalidated.empty());
}

TEST_F(TxElementTest, ASmallerShadowRepaintsWhereTheLargerOneWas) {
  auto* element = Placed(10, std::string(kStyled) + "shadow 6 6 8\nflags 0x161\n");
  ASSERT_NE(element, nullptr);
  SRect large;
  ASSERT_EQ(element->Layout(&large, true, CImElement::kToShadowPlace), kNoErr);
  root->invalidated.clear();
  EXPECT_EQ(element->SetShadow(1, 1, 1, 1.0f, true), kNoErr);
  ASSERT_FALSE(root->invalidated.empty());
  SRect repainted = root->invalidated[0];
  for (const SRect& r : root->invalidated) repainted = UniteRects(repainted, r);
  EXPECT_EQ(UniteRects(repainted, large), repainted);
  EXPECT_EQ(element->GetTextShadow().radius, 1u);
}

TEST_F(TxElementTest, FittingSizesTheElementToItsTextAndItsOutsetsToTheShadow) {
  auto* element =
      Placed(10, "text \"a\"\nstylename \"plain\"\nposition 2 2\nshadow 4 4 2\nflags 0xF61\n", "30 20 31 21");
  ASSERT_NE(element, nullptr);
  SRect text, rect, bounds, shadowed;
  ASSERT_EQ(element->GetTextRect(&text), kNoErr);
  element->GetLocalRect(&rect);
  element->GetLocalBounds(&bounds);
  ASSERT_EQ(element->Layout(&shadowed, true, CImElement::kUnlimited), kNoErr);
  EXPECT_EQ(rect, text);
  EXPECT_NE(bounds, rect);
  EXPECT_EQ(UniteRects(bounds, shadowed), bounds);
  // The text stays where it was on the screen.
  SRect inParent;
  element->LocalToParentRect(&inParent, text);
  EXPECT_EQ(inParent, (SRect{30, 20, 46, 36}));
}

TEST_F(TxElementTest, ElementSetsBuildTextElementsByNumberAndByName) {
  Put("elem", 1, "", "name \"numbered\"\nrect 0 0 100 100\nflags 1\n");
  Put("txel", 1, "", std::string(kStyled) + "flags 0x61\n");
  Put("elem", 2, "titled", "name \"named\"\nrect 0 0 100 100\nflags 1\n");
  Put("txel", 2, "titled", std::string(kStyled) + "flags 0x61\n");
  std::string description;
  for (const char c : std::string("titled")) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", unsigned(uint8_t(c)));
    description += hex;
  }
  description.resize(64, '0');
  Put("eset", 1, "", "txel 1\ntxel 0 description " + description + " flags 1\n");
  ASSERT_EQ(app->GetElementRegistry()->LoadElementSet(env.get(), 1, nullptr, root.get()), kNoErr);
  for (const char* name : {"numbered", "named"}) {
    CElement* child = nullptr;
    ASSERT_EQ(CElSystem::FindElement(root->GetChildren(), name, &child, false), kNoErr) << name;
    auto* text = dynamic_cast<CTxElement*>(child);
    ASSERT_NE(text, nullptr) << name;
    EXPECT_STREQ(text->GetText(), "a");
  }
  uint32_t count = 0;
  const SElementClass* classes = GetElementClasses(&count);
  std::vector<std::string> order;
  for (uint32_t i = 0; i < count; ++i) order.push_back(classes[i].className);
  const auto image = std::find(order.begin(), order.end(), "CImElement");
  EXPECT_EQ(std::find(order.begin(), order.end(), "CTxElement"), image + 1);
}

}  // namespace
