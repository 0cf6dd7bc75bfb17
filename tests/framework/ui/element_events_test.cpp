// The element events: presses, characters, activation, hover and UI messages down the tree, and
// drawing into a port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/ui/element.h"
#include "tests/framework/image/image_fixture.h"
#include "tests/framework/ui/element_fixture.h"

namespace {

// Callbacks that log who was called with which point. User word 0 is the code a callback answers,
// user word 1 says whether it takes its event (writes itself into the handled word).
struct SCall {
  std::string event;
  CElement* element;
  SPointHV point;
  bool operator==(const SCall&) const = default;
};
std::vector<SCall> gCalls;

int32_t Answer(CElement* e, CElement** handled) {
  if (handled && e->GetUserWord(1)) *handled = e;
  return int32_t(e->GetUserWord(0));
}
int32_t Press(CElement* e, CElement** handled, SPointHV p, SWinEvent*) {
  gCalls.push_back({"press", e, p});
  return Answer(e, handled);
}
int32_t Char(CElement* e, CElement** handled, SWinEvent*) {
  gCalls.push_back({"char", e, {}});
  return Answer(e, handled);
}
int32_t Deactivate(CElement* e, SWinEvent*) {
  gCalls.push_back({"deactivate", e, {}});
  return Answer(e, nullptr);
}
int32_t Activate(CElement* e, SWinEvent*) {
  gCalls.push_back({"activate", e, {}});
  return Answer(e, nullptr);
}
int32_t Hover(CElement* e, SPointHV p) {
  gCalls.push_back({"hover", e, p});
  return Answer(e, nullptr);
}
int32_t Message(CElement* e, CElement** handled, SPointHV p, CUIMessage*) {
  gCalls.push_back({"message", e, p});
  return Answer(e, handled);
}

constexpr uint32_t kEveryEvent = 0x3F | kEventMaskDraw;

class ElementEventTest : public ElementTest {
 protected:
  void SetUp() override {
    ElementTest::SetUp();
    gCalls.clear();
  }
  // An element with every callback but drawing, accepting every event.
  static CElement* Logging(CElement* e, int32_t answer = 0, bool takes = true) {
    e->SetPressCallback(&Press);
    e->SetCharCallback(&Char);
    e->SetDeactivateCallback(&Deactivate);
    e->SetActivateCallback(&Activate);
    e->SetHoverCallback(&Hover);
    e->SetMessageCallback(&Message);
    e->SetOptionFlags(kEveryEvent, true);
    e->SetUserWord(0, uint32_t(answer));
    e->SetUserWord(1, takes);
    return e;
  }
  static std::vector<std::string> Events(CElement* element) {
    std::vector<std::string> events;
    for (const SCall& c : gCalls) {
      if (c.element == element) events.push_back(c.event);
    }
    return events;
  }
};

TEST_F(ElementEventTest, APressGoesToTheTopMostChildThatTakesIt) {
  CElement root(Desc({0, 0, 100, 100}));
  Logging(&root);
  auto* lower = Logging(Add(root, new CElement(Desc({10, 10, 50, 50}))));
  auto* upper = Logging(Add(root, new CElement(Desc({20, 20, 60, 60}))));
  SWinEvent event;
  CElement* handled = nullptr;
  ASSERT_EQ(root.HandlePress(&handled, {30, 30}, &event), 0);
  EXPECT_EQ(handled, upper);
  EXPECT_EQ(gCalls, (std::vector<SCall>{{"press", upper, {10, 10}}}));

  // Declined by the upper one, the press goes on to the lower one, then to the root itself.
  upper->SetUserWord(1, 0);
  gCalls.clear();
  handled = nullptr;
  ASSERT_EQ(root.HandlePress(&handled, {30, 30}, &event), 0);
  EXPECT_EQ(handled, lower);
  EXPECT_EQ(gCalls, (std::vector<SCall>{{"press", upper, {10, 10}}, {"press", lower, {20, 20}}}));
  lower->SetUserWord(1, 0);
  gCalls.clear();
  handled = nullptr;
  ASSERT_EQ(root.HandlePress(&handled, {30, 30}, &event), 0);
  EXPECT_EQ(handled, &root);
  EXPECT_EQ(gCalls.back(), (SCall{"press", &root, {30, 30}}));
}

TEST_F(ElementEventTest, AnElementThatClaimsPressesWithoutACallbackSwallowsThem) {
  CElement root(Desc({0, 0, 100, 100}));
  root.SetClaimsPresses(true);
  Logging(Add(root, new CElement(Desc({10, 10, 20, 20}))));
  CElement* handled = nullptr;
  EXPECT_EQ(root.HandlePress(&handled, {50, 50}, nullptr), 0);
  EXPECT_EQ(handled, &root);
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(ElementEventTest, AChildThatClaimsPressesCatchesThoseOutsideItUnlessItHasACallback) {
  CElement root(Desc({0, 0, 100, 100}));
  Logging(&root);
  auto* catcher = Add(root, new CElement(Desc({0, 0, 10, 10})));
  catcher->SetClaimsPresses(true);
  CElement* handled = nullptr;
  ASSERT_EQ(root.HandlePress(&handled, {50, 50}, nullptr), 0);
  EXPECT_EQ(handled, catcher);
  EXPECT_TRUE(gCalls.empty());

  Logging(catcher);
  handled = nullptr;
  ASSERT_EQ(root.HandlePress(&handled, {50, 50}, nullptr), 0);
  EXPECT_EQ(handled, &root);
  handled = nullptr;
  ASSERT_EQ(root.HandlePress(&handled, {5, 5}, nullptr), 0);
  EXPECT_EQ(handled, catcher);
}

TEST_F(ElementEventTest, AChildsCodeEndsTheWalkBeforeTheParentsCallback) {
  CElement root(Desc({0, 0, 100, 100}));
  Logging(&root);
  auto* lower = Logging(Add(root, new CElement(Desc({0, 0, 100, 100}))));
  auto* upper = Logging(Add(root, new CElement(Desc({0, 0, 100, 100}))), kErrOutOfMemory, false);
  const std::vector<int32_t> codes = SendEachEvent(root, {5, 5});
  EXPECT_EQ(codes, std::vector<int32_t>(6, kErrOutOfMemory));
  EXPECT_EQ(Events(upper), (std::vector<std::string>{"press", "char", "deactivate", "activate", "hover", "message"}));
  EXPECT_TRUE(Events(lower).empty());
  EXPECT_TRUE(Events(&root).empty());
}

TEST_F(ElementEventTest, EveryCallbackGetsThePointInItsOwnCoordinates) {
  CElement root(Desc({0, 0, 200, 200}));
  auto* child = Logging(Add(root, new CElement(Desc({20, 10, 60, 50}))), 0, false);
  child->SetOrigin({100, 100}, false);
  auto* grandchild = Logging(Add(*child, new CElement(Desc({100, 100, 120, 120}))), 0, false);
  grandchild->SetHotSpotProportions({0.5f, 0.5f}, false);
  // Root (15, 25) is the child's top-left corner plus (5, 5); the grandchild's hot spot (110, 110)
  // is its origin (0, 0).
  SendEachEvent(root, {15, 25});
  for (const SCall& c : gCalls) {
    if (c.event == "press" || c.event == "hover" || c.event == "message") {
      EXPECT_EQ(c.point, c.element == child ? (SPointHV{105, 105}) : (SPointHV{-5, -5})) << c.event;
    }
  }
  EXPECT_EQ(Events(grandchild).size(), 6u);
}

TEST_F(ElementEventTest, AHiddenChildHearsOnlyWhatReachesHiddenElements) {
  CElement root(Desc({0, 0, 100, 100}));
  auto* hidden = Logging(Add(root, new CElement(Desc({0, 0, 100, 100}, false))), 0, false);
  SendEachEvent(root, {5, 5});
  EXPECT_EQ(Events(hidden), (std::vector<std::string>{"deactivate", "activate", "message"}));
  gCalls.clear();
  hidden->SetHoversWhenHidden(true);
  SendEachEvent(root, {5, 5});
  EXPECT_EQ(Events(hidden), (std::vector<std::string>{"deactivate", "activate", "hover", "message"}));
}

TEST_F(ElementEventTest, ActivationAndHoverVisitEveryChildUntilACode) {
  CElement root(Desc({0, 0, 100, 100}));
  Logging(&root);
  CElement* children[3];
  for (CElement*& c : children) c = Logging(Add(root, new CElement(Desc({0, 0, 100, 100}))), 0, true);
  SendEachEvent(root, {5, 5});
  for (CElement* c : children) EXPECT_EQ(Events(c).size(), c == children[2] ? 6u : 3u);
  EXPECT_EQ(Events(&root), (std::vector<std::string>{"deactivate", "activate", "hover"}));

  gCalls.clear();
  children[1]->SetUserWord(0, kErrGeneric);
  children[2]->SetUserWord(1, 0);
  EXPECT_EQ(SendEachEvent(root, {5, 5}), std::vector<int32_t>(6, kErrGeneric));
  EXPECT_TRUE(Events(children[0]).empty());
  EXPECT_TRUE(Events(&root).empty());
}

TEST_F(ElementEventTest, AChildIsOfferedOnlyTheEventsItsMaskAccepts) {
  const struct {
    uint32_t bit;
    const char* event;
  } bits[] = {{kEventMaskPress, "press"},   {kEventMaskChar, "char"},   {kEventMaskDeactivate, "deactivate"},
              {kEventMaskActivate, "activate"}, {kEventMaskHover, "hover"}, {kEventMaskMessage, "message"}};
  for (const auto& b : bits) {
    CElement root(Desc({0, 0, 100, 100}));
    auto* child = Logging(Add(root, new CElement(Desc({0, 0, 100, 100}))), 0, false);
    child->SetOptionFlags(b.bit, false);
    gCalls.clear();
    SendEachEvent(root, {5, 5});
    const std::vector<std::string> heard = Events(child);
    EXPECT_EQ(heard.size(), 5u) << b.event;
    EXPECT_EQ(std::find(heard.begin(), heard.end(), b.event), heard.end()) << b.event;
  }
}

TEST_F(ElementEventTest, AnElementWithoutChildrenRunsOnlyItsOwnCallback) {
  CElement alone(Desc({0, 0, 10, 10}, false));
  Logging(&alone, 7, true);
  alone.SetOptionFlags(kEveryEvent, false);
  std::vector<CElement*> handled;
  EXPECT_EQ(SendEachEvent(alone, {50, 50}, &handled), std::vector<int32_t>(6, 7));
  EXPECT_EQ(handled, std::vector<CElement*>(3, &alone));
  EXPECT_EQ(Events(&alone).size(), 6u);
}

// A callback that empties or deletes the container it is walked in.
CElement* gVictim = nullptr;
int32_t gRemoved = -1;
int32_t RemoveSiblings(CElement*, CElement**, SPointHV, SWinEvent*) {
  gRemoved = gVictim->GetChildren()->RemoveAll(true, true);
  return 0;
}
int32_t DeleteSiblings(CElement*, CElement**, SPointHV, SWinEvent*) {
  gRemoved = gVictim->DeleteChildren();
  return 0;
}

TEST_F(ElementEventTest, AContainerBeingWalkedCannotBeEmptiedOrDeleted) {
  for (ElPressCallback callback : {&RemoveSiblings, &DeleteSiblings}) {
    CElement root(Desc({0, 0, 100, 100}));
    Add(root, new CElement(Desc({0, 0, 100, 100})));
    auto* remover = Add(root, new CElement(Desc({0, 0, 100, 100})));
    remover->SetPressCallback(callback);
    gVictim = &root;
    gRemoved = -1;
    EXPECT_EQ(root.HandlePress(nullptr, {5, 5}, nullptr), 0);
    EXPECT_EQ(gRemoved, kErrUnexpectedStatus);
    ASSERT_NE(root.GetChildren(), nullptr);
    EXPECT_EQ(root.GetChildren()->GetCount(), 2u);
    EXPECT_EQ(root.GetChildren()->GetBusyCount(), 0u);
    EXPECT_EQ(root.DeleteChildren(), 0);
  }
}

// ---- drawing

struct SDrawn {
  CElement* element;
  SPointHV origin;
  SRect clip;
};
std::vector<SDrawn> gDrawn;
constexpr uint32_t kPaint = 0xFF123456;

// Logs the port it was given, then fills its local rect (0, 0, 40, 40) through the port, and the
// whole clip it was given with the top byte 0xEE, each within the clip.
int32_t FillLocalSquare(CElement* e, uint32_t, CImage* port) {
  const SPointHV origin{port->GetOriginH(), port->GetOriginV()};
  const SRect clip = port->GetClip();
  gDrawn.push_back({e, origin, clip});
  if (e->GetUserWord(2)) {
    port->Fill(e->GetUserWord(2));
    return 0;
  }
  port->SetClip(SectRect(OffsetRect({0, 0, 40, 40}, -origin.h, -origin.v), clip));
  port->Fill(kPaint);
  port->SetClip(clip);
  return 0;
}

class ElementDrawTest : public ElementEventTest {
 protected:
  uint32_t DataBudget() const override { return 1024 * 1024; }
  void SetUp() override {
    ElementEventTest::SetUp();
    gDrawn.clear();
    int32_t err = 0;
    port = NewDataImage(200, 200, &err);
    ASSERT_NE(port, nullptr) << err;
    port->Fill(0);
  }
  void TearDown() override {
    delete port;
    ElementEventTest::TearDown();
  }
  static CElement* Drawing(CElement* e, uint32_t fill = 0) {
    e->SetDrawCallback(&FillLocalSquare);
    e->SetUserWord(2, fill);
    return e;
  }

  CImage* port = nullptr;
};

TEST_F(ElementDrawTest, AChildDrawsThroughAPortMovedIntoItsCoordinates) {
  CElement root(Desc({0, 0, 200, 200}));
  auto* child = Drawing(Add(root, new CElement(Desc({20, 10, 60, 50}))));
  ASSERT_EQ(port->GetOriginH(), 0);
  ASSERT_EQ(root.Draw(0, port, true), 0);
  ASSERT_EQ(gDrawn.size(), 1u);
  EXPECT_EQ(gDrawn[0].element, child);
  EXPECT_EQ(gDrawn[0].origin, (SPointHV{-10, -20}));
  EXPECT_EQ(gDrawn[0].clip, (SRect{20, 10, 60, 50}));
  const std::vector<uint32_t> pixels = Pixels(*port);
  for (uint32_t y = 0; y < 200; ++y) {
    for (uint32_t x = 0; x < 200; ++x) {
      const bool inside = x >= 10 && x < 50 && y >= 20 && y < 60;
      ASSERT_EQ(pixels[y * 200 + x], inside ? kPaint : 0u) << x << "," << y;
    }
  }
  EXPECT_EQ(port->GetOriginH(), 0);
  EXPECT_EQ(port->GetOriginV(), 0);
  EXPECT_EQ(port->GetClip(), (SRect{0, 0, 200, 200}));
}

TEST_F(ElementDrawTest, AFillUnderTheGivenClipStaysInsideTheChildsBounds) {
  CElement root(Desc({0, 0, 200, 200}));
  auto* child = Drawing(Add(root, new CElement(Desc({20, 10, 60, 50}))), 0xFF00FF00);
  child->SetOutsets({-2, -2}, {2, 2}, false);
  ASSERT_EQ(root.DrawChildren(0, port), 0);
  const std::vector<uint32_t> pixels = Pixels(*port);
  for (uint32_t y = 0; y < 200; ++y) {
    for (uint32_t x = 0; x < 200; ++x) {
      const bool inside = x >= 8 && x < 52 && y >= 18 && y < 62;
      ASSERT_EQ(pixels[y * 200 + x], inside ? 0xFF00FF00 : 0u) << x << "," << y;
    }
  }
}

TEST_F(ElementDrawTest, LaterRowsPaintOverEarlierOnesAndOnlyWhatTheClipMeets) {
  CElement root(Desc({0, 0, 200, 200}));
  auto* first = Drawing(Add(root, new CElement(Desc({0, 0, 100, 100}))), 0xFF0000FF);
  auto* second = Drawing(Add(root, new CElement(Desc({50, 50, 150, 150}))), 0xFFFF0000);
  Drawing(Add(root, new CElement(Desc({150, 150, 200, 200}))), 0xFF00FF00);  // beyond the clip
  auto* maskless = Drawing(Add(root, new CElement(Desc({0, 0, 200, 200}))), 0xFFFFFFFF);
  maskless->SetOptionFlags(kEventMaskDraw, false);
  Drawing(Add(root, new CElement(Desc({0, 0, 200, 200}, false))), 0xFFFFFFFF);
  port->SetClip({0, 0, 140, 140});
  ASSERT_EQ(root.DrawChildren(0, port), 0);
  ASSERT_EQ(gDrawn.size(), 2u);
  EXPECT_EQ(gDrawn[0].element, first);
  EXPECT_EQ(gDrawn[1].element, second);
  EXPECT_EQ(gDrawn[1].clip, (SRect{50, 50, 140, 140}));
  EXPECT_EQ(PixelAt(*port, 75, 75), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(*port, 25, 25), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(*port, 145, 145), 0u);
  EXPECT_EQ(port->GetClip(), (SRect{0, 0, 140, 140}));
}

TEST_F(ElementDrawTest, ADrawCodeEndsTheDrawingAndWithoutChildrenDrawsOnlyItself) {
  CElement root(Desc({0, 0, 200, 200}));
  Drawing(&root);
  auto* child = Drawing(Add(root, new CElement(Desc({0, 0, 10, 10}))));
  EXPECT_EQ(root.Draw(3, port, false), 0);
  ASSERT_EQ(gDrawn.size(), 1u);
  EXPECT_EQ(gDrawn[0].element, &root);
  child->SetDrawCallback([](CElement*, uint32_t pass, CImage*) { return int32_t(pass); });
  EXPECT_EQ(root.Draw(3, port, true), 3);
  EXPECT_EQ(port->GetClip(), (SRect{0, 0, 200, 200}));
}

}  // namespace
