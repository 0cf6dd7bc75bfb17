// The control palette's readout with its size prefixes, the progress it shows, and the palette's
// heartbeat step: when it works, the hover help, the Space key and the render buttons' reset.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "tests/app/palette_preview_fixture.h"

namespace {

class Readout : public PaletteTest {
 protected:
  CControlPalette& MakeTall(int32_t height = 500) {
    MakePalette();
    palette->Resize({RectWidth(palette->GetFrame()), height}, false);
    EXPECT_EQ(RectHeight(palette->GetFrame()), height);
    return *palette;
  }
  static float Size(CTxElement* text) { return text && text->GetStyle() ? text->GetStyle()->matrix.m0 : -1; }
  CTxElement* Top() const { return palette->GetTopText(); }
  CTxElement* Bottom() const { return palette->GetBottomText(); }
  std::string TopText() const { return Top()->GetText() ? Top()->GetText() : ""; }
  std::string BottomText() const { return Bottom()->GetText() ? Bottom()->GetText() : ""; }
};

TEST_F(Readout, TheSizePrefixSetsEachLinesTypeSizeAndLayout) {
  MakeTall();
  ASSERT_NE(Top(), nullptr);
  ASSERT_NE(Bottom(), nullptr);
  struct SCase {
    const char* top;
    const char* bottom;
    const char* topLine;
    float topSize;  // 0: not looked at
    const char* bottomLine;  // none: the bottom line hidden
    float bottomSize;
  } cases[] = {
      {"30text", nullptr, "text", 22, nullptr, 0},
      {"23text", nullptr, "text", 23, nullptr, 0},
      {"12Render", "1250%", "Render", 12, "50%", 12},
      {"12", "13 ", "", 0, " ", 13},
      {"24wide", "99big", "wide", 22, "big", 22},
      // Without two digits in front the whole text shows at size 12.
      {"Rendering", "x", "Rendering", 12, nullptr, 0},
      {"Rendering", "Sub text", "Rendering", 12, "Sub text", 12},
  };
  for (const SCase& c : cases) {
    EXPECT_EQ(palette->ShowReadoutTexts(c.top, c.bottom), kHandled);
    EXPECT_EQ(TopText(), c.topLine) << c.top;
    EXPECT_STREQ(palette->GetTopLine(), c.topLine) << c.top;
    if (c.topSize) {
      EXPECT_EQ(Size(Top()), c.topSize) << c.top;
    }
    if (c.bottomLine) {
      EXPECT_TRUE(Bottom()->IsShown()) << c.top;
      EXPECT_EQ(BottomText(), c.bottomLine) << c.top;
      EXPECT_EQ(Size(Bottom()), c.bottomSize) << c.top;
      EXPECT_EQ(Top()->GetLayoutFlags(), 0x400u) << c.top;
      EXPECT_EQ(Bottom()->GetLayoutFlags(), 0x500u) << c.top;
    } else {
      EXPECT_FALSE(Bottom()->IsShown()) << c.top;
      EXPECT_EQ(Top()->GetLayoutFlags(), 0x500u) << c.top;
    }
  }
  // Two lines stack inside the readout, the bottom one lower.
  palette->ShowReadoutTexts("12upper", "12lower");
  EXPECT_LE(Top()->GetRect().bottom, Bottom()->GetRect().top);
  // No top text clears both lines.
  EXPECT_EQ(palette->ShowReadoutTexts(nullptr, "12lower"), kHandled);
  EXPECT_EQ(TopText(), "");
  EXPECT_EQ(BottomText(), "");
  // A kind 4 message is the readout's.
  EXPECT_EQ(Send(4, "14hello", 0, "12world"), kHandled);
  EXPECT_EQ(TopText(), "hello");
  EXPECT_EQ(BottomText(), "world");
}

// Centred in the narrow readout, a long line would lose both its ends: it is set smaller instead.
TEST_F(Readout, ALineWiderThanTheReadoutIsSetSmallerToShowWhole) {
  MakeTall();
  const auto width = [](CTxElement* line) {
    SRect text;
    return line->GetTextRect(&text) == kNoErr ? RectWidth(text) : -1;
  };
  SRect area;
  Top()->GetParent()->GetLocalRect(&area);
  palette->ShowReadoutTexts("12Image 480 x 360 pixels", "12Render 10 objects, 480 x 360");
  EXPECT_EQ(TopText(), "Image 480 x 360 pixels");
  for (CTxElement* line : {Top(), Bottom()}) {
    EXPECT_LT(Size(line), 12) << line->GetText();
    EXPECT_GT(width(line), 0) << line->GetText();
    EXPECT_LE(width(line), RectWidth(area) - 4) << line->GetText();
  }
  palette->ShowReadoutTexts("12Render", nullptr);
  EXPECT_EQ(Size(Top()), 12);
}

TEST_F(Readout, OnASmallPaletteMessagesShowAtSizeNineButThePercentageKeepsItsSize) {
  MakeTall(300);
  palette->ShowReadoutTexts("30title", "14below");
  EXPECT_EQ(Size(Top()), 9);
  EXPECT_EQ(Size(Bottom()), 9);
  palette->SetReadoutPercent("1250%");
  EXPECT_EQ(BottomText(), "50%");
  EXPECT_EQ(Size(Bottom()), 12);
  EXPECT_EQ(TopText(), "title");
  // A percentage after a one-line readout brings the bottom line up.
  palette->ShowReadoutTexts("14title", nullptr);
  palette->SetReadoutPercent("127%");
  EXPECT_TRUE(Bottom()->IsShown());
  EXPECT_EQ(BottomText(), "7%");
}

TEST_F(Readout, ProgressShowsTitleAndPercentageBetweenWaitAndArrowCursors) {
  MakeTall();
  palette->ShowReadoutTexts("12old", "12text");
  auto progress = std::make_unique<CProgress>(4);
  EXPECT_EQ(TopText(), "");
  EXPECT_EQ(Cursor(), "wait");
  progress->Step();
  EXPECT_EQ(BottomText(), "") << "a percentage within the first 20 ticks";
  AdvanceTicks(21);
  progress->Step();
  EXPECT_EQ(BottomText(), "50%");
  EXPECT_EQ(Size(Bottom()), 12);
  progress->SetTitle("Rendering");
  EXPECT_EQ(TopText(), "Rendering");
  EXPECT_EQ(BottomText(), "50%");
  progress->SetText("Tracing");
  EXPECT_EQ(BottomText(), "Tracing");
  progress.reset();
  EXPECT_EQ(TopText(), "");
  EXPECT_EQ(Cursor(), "arrow");

  // A title at 0 % without a sub-text: one blank at size 13 below it.
  progress = std::make_unique<CProgress>(4);
  progress->SetTitle("Reading");
  EXPECT_EQ(TopText(), "Reading");
  EXPECT_TRUE(Bottom()->IsShown());
  EXPECT_EQ(BottomText(), " ");
  EXPECT_EQ(Size(Bottom()), 13);
  progress.reset();
}

class Hover : public Readout {
 protected:
  void SetUp() override {
    Readout::SetUp();
    if (HasFatalFailure()) return;
    MakeTall();
    trackball = palette->GetCameraControl(CControlPalette::kTrackball);
    ASSERT_NE(trackball, nullptr);
    // The heartbeat's preview step stays out of the way.
    palette->CancelPreview();
  }
  // One heartbeat step that may work.
  int32_t Beat(uint32_t nested = 0) {
    AdvanceTicks(6);
    return palette->HeartbeatStep(nested);
  }
  // The help list's entry without its size prefix.
  std::string Entry(const char* list, uint32_t index) {
    CIxTextLocal texts(paletteLayout.get(), list, CIxText::kNone);
    EXPECT_EQ(texts.GetResult(), 0) << list;
    if (texts.GetResult() || index >= texts.Count()) return "?";
    const std::string text = texts.TextAt(index);
    return text.size() > 2 ? text.substr(2) : "";
  }

  CImElement* trackball = nullptr;
};

TEST_F(Hover, ThePointerOverAControlShowsItsHelpAndLeavingClearsIt) {
  MovePointer(ScreenCentre(trackball));
  EXPECT_EQ(Beat(), 0);
  EXPECT_EQ(palette->GetHoveredElement(), trackball);
  EXPECT_EQ(TopText(), Entry("trackball control", 0));
  EXPECT_EQ(BottomText(), Entry("trackball control", 1));

  // An element that hovers but has no help list shows nothing.
  CElement* flyThrough = nullptr;
  ASSERT_EQ(CElSystem::FindByName(palette->GetViewControl(), "fly through control", &flyThrough), 0);
  {
    CIxTextLocal texts(paletteLayout.get(), "fly through control", CIxText::kNone);
    ASSERT_NE(texts.GetResult(), 0) << "the fly-through control has a help list";
  }
  palette->ShowReadoutTexts(nullptr, nullptr);
  MovePointer(ScreenCentre(flyThrough));
  EXPECT_EQ(Beat(), 0);
  EXPECT_EQ(palette->GetHoveredElement(), flyThrough);
  EXPECT_EQ(TopText(), "");

  MovePointer(ScreenCentre(trackball));
  Beat();
  EXPECT_NE(TopText(), "");
  MovePointer({2, 760});
  EXPECT_EQ(Beat(), 0);
  EXPECT_EQ(palette->GetHoveredElement(), nullptr);
  EXPECT_EQ(TopText(), "");
  EXPECT_EQ(BottomText(), "");
}

// The step works at most once in 5 ticks, and not while the palette is stale or the heartbeat nested.
TEST_F(Hover, TheHeartbeatWorksOnlyWhenItMay) {
  MovePointer(ScreenCentre(trackball));
  owner->RaiseModalLevel();
  Beat();
  EXPECT_EQ(TopText(), "") << "stale";
  owner->LowerModalLevel();
  Beat(1);
  EXPECT_EQ(TopText(), "") << "nested";
  Beat();
  EXPECT_NE(TopText(), "");
  MovePointer({2, 760});
  AdvanceTicks(3);
  palette->HeartbeatStep(0);
  EXPECT_NE(TopText(), "") << "within 5 ticks";
  AdvanceTicks(3);
  palette->HeartbeatStep(0);
  EXPECT_EQ(TopText(), "");
}

TEST_F(Hover, HoldingSpaceDropsTheHoverAndShowsTheMoveCursor) {
  MovePointer(ScreenCentre(trackball));
  Beat();
  ASSERT_EQ(palette->GetHoveredElement(), trackball);
  ASSERT_TRUE(platform::headless::AddScript("key 32"));
  Settle();
  Beat();
  EXPECT_EQ(palette->GetHoveredElement(), nullptr);
  EXPECT_NE(Cursor().find("108"), std::string::npos) << Cursor();
  ASSERT_TRUE(platform::headless::AddScript("keyup 32"));
  Settle();
}

// A hover that keeps failing is told once, and again only after a hover that worked.
TEST_F(Hover, AFailingHoverIsToldOnce) {
  static int32_t answer = kErrOutOfMemory;
  trackball->SetHoverCallback([](CElement*, SPointHV) -> int32_t { return answer; });
  MovePointer(ScreenCentre(trackball));
  const size_t boxes = platform::headless::ShownBoxes().size();
  Beat();
  Beat();
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes + 1);
  answer = kHandled;
  Beat();
  answer = kErrOutOfMemory;
  Beat();
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes + 2);
}

TEST_F(Hover, TheNextHeartbeatPutsLitRenderButtonsBack) {
  MovePointer({2, 760});
  CImElement* button = palette->GetRenderButton(CControlPalette::kResumeRender);
  ASSERT_NE(button, nullptr);
  CElement* handled = nullptr;
  CControlPalette::OnRenderButtonPress(button, &handled, {1, 1}, nullptr);
  ASSERT_TRUE(palette->AreRenderButtonsLit());
  window->SetRenderRequest(0);
  Beat();
  EXPECT_FALSE(palette->AreRenderButtonsLit());
  for (uint32_t i = 0; i < CControlPalette::kRenderButtonCount; ++i) {
    CImElement* b = palette->GetRenderButton(i);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->GetImageList(), nullptr);
    EXPECT_EQ(b->GetImageList()->Selected(), 0u) << i;
  }
}

}  // namespace
