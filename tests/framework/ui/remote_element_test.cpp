// Remote elements, opened and closed on demand with their routines, and the switcher that keeps one
// of them open.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/ui/rm_element.h"
#include "framework/ui/rs_element.h"
#include "tests/framework/ui/element_fixture.h"

namespace {

std::vector<std::string> gRoutines;
int32_t gOpenAnswer = 0;
int32_t OwnCanOpen(CRmElement*, void*) {
  gRoutines.push_back("own canopen");
  return 0;
}
int32_t OwnCanClose(CRmElement*, void*) {
  gRoutines.push_back("own canclose");
  return 0;
}
int32_t OwnOpen(CRmElement*, void*) {
  gRoutines.push_back("own open");
  return gOpenAnswer;
}
int32_t OwnClose(CRmElement*, void*) {
  gRoutines.push_back("own close");
  return 0;
}

class RemoteElementTest : public LayoutTest {
 protected:
  void SetUp() override {
    LayoutTest::SetUp();
    gRoutines.clear();
    gOpenAnswer = 0;
  }
  // "elem" and "rmel" records of one number and name.
  void PutRemote(uint32_t number, const char* name, const std::string& elem, const std::string& rmel) {
    Put("elem", number, name, elem);
    Put("rmel", number, name, rmel);
  }
  static std::unique_ptr<CRmElement> InMemory() {
    auto element = std::make_unique<CRmElement>(Desc({0, 0, 10, 10}, false));
    element->SetCanOpenRoutine(&OwnCanOpen);
    element->SetCanCloseRoutine(&OwnCanClose);
    element->SetOpenRoutine(&OwnOpen);
    element->SetCloseRoutine(&OwnClose);
    return element;
  }
};

TEST_F(RemoteElementTest, OpeningDeepensAndClosingUndoesOneOpen) {
  CRmElement element(Desc({0, 0, 10, 10}, false));
  EXPECT_TRUE(element.BuildsChildrenOnOpen() && element.ShowsOnOpen() && element.HidesOnClose());
  EXPECT_FALSE(element.FreesChildrenOnClose() || element.HoldsApplication());
  EXPECT_EQ(element.Open(nullptr), kNoErr);
  EXPECT_EQ(element.Open(nullptr), kNoErr);
  EXPECT_EQ(element.Close(nullptr), kNoErr);
  EXPECT_EQ(element.GetOpenDepth(), 1u);
  EXPECT_EQ(element.GetOpenCount(), 2u);
  EXPECT_TRUE(element.IsShown());
  EXPECT_EQ(element.Close(nullptr), kNoErr);
  EXPECT_FALSE(element.IsShown());

  auto routed = InMemory();
  EXPECT_EQ(routed->Close(nullptr), kErrTooFewEntries);
  EXPECT_TRUE(gRoutines.empty());
  EXPECT_EQ(routed->GetSwitcher(), nullptr);
}

TEST_F(RemoteElementTest, FreedChildrenAreBuiltAgainFromTheRecordsOnTheNextOpen) {
  PutRemote(10, "page", "rect 0 0 50 50\nflags 0x8050\n", "options 0x0F\n");
  Put("elem", 11, "", "rect 0 0 5 5\n");
  Put("eset", 10, "", "elem 11\nelem 11\n");
  CRmElement* page = nullptr;
  ASSERT_EQ(CRmElement::NewByNumber(&page, env.get(), 10), kNoErr);
  std::unique_ptr<CRmElement> owned(page);
  EXPECT_EQ(page->GetChildren(), nullptr);
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(page->Open(nullptr), kNoErr);
    ASSERT_NE(page->GetChildren(), nullptr) << round;
    EXPECT_EQ(page->GetChildren()->GetCount(), 2u);
    ASSERT_EQ(page->Close(nullptr), kNoErr);
    EXPECT_EQ(page->GetChildren(), nullptr) << round;
  }
}

TEST_F(RemoteElementTest, ARoutineListBindsTheRoutinesItNames) {
  UseFragments();
  Put("ixtx", 1, "", "0 \"uifrag|canopen\"\n1 \"uifrag|canclose\"\n");
  Put("ixtx", 2, "", "0 \"\"\n1 \"\"\n2 \"NULL\"\n");
  auto element = InMemory();
  ASSERT_EQ(element->BindRoutines(env.get(), 1, nullptr), kNoErr);
  element->CanOpen(nullptr);
  element->CanClose(nullptr);
  element->RunOpenRoutine(nullptr);
  element->RunCloseRoutine(nullptr);
  EXPECT_EQ(Log(), (std::vector<std::string>{Line("canopen", element.get()), Line("canclose", element.get())}));
  EXPECT_EQ(gRoutines, (std::vector<std::string>{"own open", "own close"}));

  ASSERT_EQ(element->BindRoutines(env.get(), 2, nullptr), kNoErr);
  EXPECT_EQ(element->GetOpenRoutine(), nullptr);
  EXPECT_NE(element->GetCanOpenRoutine(), nullptr);
  EXPECT_EQ(element->GetCloseRoutine(), &OwnClose);
}

TEST_F(RemoteElementTest, TheRoutineListCanHaveTheElementsOwnName) {
  UseFragments();
  PutRemote(20, "page one", "rect 0 0 5 5\n", "list 21\nlistname \"other\"\noptions 0xE0\n");
  Put("ixtx", 22, "page one", "0 \"uifrag|canopen\"\n");
  CRmElement* page = nullptr;
  ASSERT_EQ(CRmElement::NewByName(&page, env.get(), "page one"), kNoErr);
  std::unique_ptr<CRmElement> owned(page);
  EXPECT_EQ(page->CanOpen(nullptr), kNoErr);
  EXPECT_EQ(Log(), (std::vector<std::string>{Line("canopen", page)}));
  // Its five flags are the record's: none of them here.
  EXPECT_FALSE(page->BuildsChildrenOnOpen() || page->ShowsOnOpen() || page->HidesOnClose());
}

TEST_F(RemoteElementTest, AnOpenElementCanHoldTheApplication) {
  PutRemote(30, "", "rect 0 0 5 5\n", "options 0x1C\n");
  CRmElement* page = nullptr;
  ASSERT_EQ(CRmElement::NewByNumber(&page, env.get(), 30), kNoErr);
  std::unique_ptr<CRmElement> owned(page);
  ASSERT_TRUE(page->HoldsApplication());
  std::vector<uint32_t> holds;
  for (bool open : {true, true, false, false}) {
    open ? page->Open(nullptr) : page->Close(nullptr);
    holds.push_back(app->GetHoldCount());
  }
  EXPECT_EQ(holds, (std::vector<uint32_t>{1, 1, 1, 0}));
  app->LowerHold();
  EXPECT_EQ(app->GetHoldCount(), 0u);
}

TEST_F(RemoteElementTest, AShortOrOtherVersionRemoteRecordMakesNoElement) {
  PutRemote(40, "", "rect 0 0 5 5\n", "options 1\n");
  const std::vector<uint8_t> good = Stored("rmel", 40);
  ASSERT_EQ(good.size(), 64u);
  std::vector<uint8_t> shortRecord(good.begin(), good.begin() + 60);
  std::vector<uint8_t> otherVersion = good;
  otherVersion[7] = '1';
  for (uint32_t number : {41u, 42u}) Put("elem", number, "", "rect 0 0 5 5\n");
  Store(*env, Key("rmel", 41), shortRecord);
  Store(*env, Key("rmel", 42), otherVersion);
  for (uint32_t number : {41u, 42u}) {
    CRmElement* page = reinterpret_cast<CRmElement*>(1);
    EXPECT_EQ(CRmElement::NewByNumber(&page, env.get(), number), kErrInvalidFormat) << number;
    EXPECT_EQ(page, nullptr);
  }
}

TEST_F(RemoteElementTest, AFailedOpenLeavesTheDepthRaisedAndTheElementHidden) {
  auto element = InMemory();
  element->SetHoldsApplication(true);
  gOpenAnswer = 5;
  EXPECT_EQ(element->Open(nullptr), 5);
  EXPECT_EQ(element->GetOpenDepth(), 1u);
  EXPECT_EQ(element->GetOpenCount(), 1u);
  EXPECT_FALSE(element->IsShown());
  EXPECT_EQ(app->GetHoldCount(), 0u);
  EXPECT_EQ(element->Close(nullptr), kNoErr);
  EXPECT_EQ(element->GetOpenDepth(), 0u);
  EXPECT_EQ(app->GetHoldCount(), 0u);
}

// ---- switchers

// A switcher (50) whose children are the pages "page 1" to "page 3" and a plain element "plain";
// every page binds the fragment's four routines, builds its children, shows and hides.
class SwitcherTest : public RemoteElementTest {
 protected:
  void SetUp() override {
    RemoteElementTest::SetUp();
    UseFragments();
    Put("ixtx", 60, "", "0 \"uifrag|canopen\"\n1 \"uifrag|canclose\"\n2 \"uifrag|open\"\n3 \"uifrag|close\"\n");
    for (uint32_t page = 1; page <= 3; ++page) {
      const std::string name = "page " + std::to_string(page);
      PutRemote(50 + page, name.c_str(), "rect 0 0 100 100\n", "list 60\noptions 0x2D\n");
    }
    Put("elem", 54, "plain", "rect 0 0 5 5\n");
    Put("eset", 50, "", "rmel 51\nrmel 52\nrmel 53\nelem 54\n");
  }
  void PutSwitcher(uint32_t flags, const std::string& open) {
    Put("elem", 50, "switch", "rect 0 0 100 100\nset 50\nflags " + std::to_string(flags) + "\n");
    Put("rsel", 50, "switch", "open \"" + open + "\"\n");
  }
  std::unique_ptr<CRsElement> Load() {
    CRsElement* made = nullptr;
    EXPECT_EQ(CRsElement::NewByNumber(&made, env.get(), 50), kNoErr);
    return std::unique_ptr<CRsElement>(made);
  }
  static CRmElement* Page(CElement& switcher, int n) {
    CElement* found = nullptr;
    EXPECT_EQ(CElSystem::FindByName(&switcher, ("page " + std::to_string(n)).c_str(), &found), kNoErr);
    return dynamic_cast<CRmElement*>(found);
  }
  static std::vector<uint32_t> Depths(CElement& switcher) {
    std::vector<uint32_t> depths;
    for (int n = 1; n <= 3; ++n) depths.push_back(Page(switcher, n)->GetOpenDepth());
    return depths;
  }
  // The fragment's log since the last look.
  std::vector<std::string> Routines() {
    std::vector<std::string> lines = Log();
    ClearLog();
    return lines;
  }
};

TEST_F(SwitcherTest, LoadingOpensTheNamedPageAndSelectingMovesOn) {
  PutSwitcher(0x11, "page 2");
  auto switcher = Load();
  ASSERT_NE(switcher, nullptr);
  CRmElement* p[4] = {nullptr, Page(*switcher, 1), Page(*switcher, 2), Page(*switcher, 3)};
  EXPECT_EQ(switcher->GetOpenChild(), p[2]);
  EXPECT_EQ(Depths(*switcher), (std::vector<uint32_t>{0, 1, 0}));
  EXPECT_TRUE(p[2]->IsShown());
  EXPECT_FALSE(p[1]->IsShown() || p[3]->IsShown());
  EXPECT_EQ(p[2]->GetSwitcher(), switcher.get());
  ClearLog();

  uint8_t open[16] = {}, close[16] = {};
  ASSERT_EQ(switcher->SelectChild("page 3", open, close), kNoErr);
  EXPECT_EQ(Routines(), (std::vector<std::string>{Line("canclose", p[2]), Line("canopen", p[3]), Line("close", p[2]),
                                                  Line("open", p[3])}));
  EXPECT_EQ(Depths(*switcher), (std::vector<uint32_t>{0, 0, 1}));
  EXPECT_TRUE(p[3]->IsShown());
  EXPECT_FALSE(p[2]->IsShown());

  EXPECT_EQ(switcher->SelectChild("page 9", open, close), kErrObjectNotFound);
  EXPECT_EQ(switcher->SelectChild("plain", open, close), kErrUnexpectedType);
  EXPECT_EQ(switcher->GetOpenChild(), p[3]);
  EXPECT_EQ(Depths(*switcher), (std::vector<uint32_t>{0, 0, 1}));

  // The open page again: asked, closed and opened.
  Routines();
  ASSERT_EQ(switcher->SelectChild("page 3", open, close), kNoErr);
  EXPECT_EQ(Routines(), (std::vector<std::string>{Line("canclose", p[3]), Line("canopen", p[3]), Line("close", p[3]),
                                                  Line("open", p[3])}));
  EXPECT_EQ(p[3]->GetOpenDepth(), 1u);
  EXPECT_EQ(p[3]->GetOpenCount(), 2u);

  ASSERT_EQ(switcher->SelectChild(nullptr, open, close), kNoErr);
  EXPECT_EQ(switcher->GetOpenChild(), nullptr);
  EXPECT_EQ(Depths(*switcher), (std::vector<uint32_t>{0, 0, 0}));
  ASSERT_EQ(switcher->SelectChild("", open, close), kNoErr);
}

TEST_F(SwitcherTest, ARefusedCloseKeepsThePageOpenAndAsksNoOther) {
  PutSwitcher(0x11, "page 1");
  auto switcher = Load();
  ASSERT_NE(switcher, nullptr);
  CRmElement* first = Page(*switcher, 1);
  Routines();
  setenv("QUARN2_TEST_FRAGMENT_ANSWER", "canclose:3", 1);
  uint8_t open[16] = {}, close[16] = {};
  EXPECT_EQ(switcher->SelectChild("page 2", open, close), 3);
  EXPECT_EQ(Routines(), (std::vector<std::string>{Line("canclose", first)}));
  EXPECT_EQ(switcher->GetOpenChild(), first);
  EXPECT_EQ(Depths(*switcher), (std::vector<uint32_t>{1, 0, 0}));
}

TEST_F(SwitcherTest, APageWhoseOpenFailsIsTheOpenOneUntilTheNextSelection) {
  PutSwitcher(0x11, "");
  auto switcher = Load();
  ASSERT_NE(switcher, nullptr);
  EXPECT_EQ(switcher->GetOpenChild(), nullptr);
  EXPECT_EQ(Depths(*switcher), (std::vector<uint32_t>{0, 0, 0}));
  CRmElement* third = Page(*switcher, 3);
  setenv("QUARN2_TEST_FRAGMENT_ANSWER", "open:5", 1);
  uint8_t open[16] = {}, close[16] = {};
  EXPECT_EQ(switcher->SelectChild("page 3", open, close), 5);
  EXPECT_EQ(switcher->GetOpenChild(), third);
  EXPECT_EQ(third->GetOpenDepth(), 1u);
  EXPECT_FALSE(third->IsShown());
  unsetenv("QUARN2_TEST_FRAGMENT_ANSWER");
  EXPECT_EQ(switcher->SelectChild("page 1", open, close), kNoErr);
  EXPECT_EQ(Depths(*switcher), (std::vector<uint32_t>{1, 0, 0}));
}

TEST_F(SwitcherTest, DeferredPagesComeWithTheFirstSelection) {
  PutSwitcher(0x8011, "");
  auto switcher = Load();
  ASSERT_NE(switcher, nullptr);
  EXPECT_EQ(switcher->GetChildren(), nullptr);
  uint8_t open[16] = {}, close[16] = {};
  ASSERT_EQ(switcher->SelectChild("page 2", open, close), kNoErr);
  ASSERT_NE(switcher->GetChildren(), nullptr);
  EXPECT_EQ(Depths(*switcher), (std::vector<uint32_t>{0, 1, 0}));
}

TEST_F(SwitcherTest, AShortSwitcherRecordIsRefused) {
  PutSwitcher(0x11, "page 1");
  std::vector<uint8_t> stored = Stored("rsel", 50);
  ASSERT_EQ(stored.size(), 56u);
  stored.pop_back();
  env->DeleteResource(Key("rsel", 50));
  Store(*env, Key("rsel", 50), stored);
  CRsElement* switcher = reinterpret_cast<CRsElement*>(1);
  EXPECT_EQ(CRsElement::NewByNumber(&switcher, env.get(), 50), kErrInvalidFormat);
  EXPECT_EQ(switcher, nullptr);
}

TEST_F(SwitcherTest, DestroyingTheSwitcherClosesItsOpenPage) {
  PutSwitcher(0x11, "page 2");
  auto switcher = Load();
  ASSERT_NE(switcher, nullptr);
  CRmElement* second = Page(*switcher, 2);
  const std::vector<std::string> expected{Line("canclose", second), Line("close", second)};
  Routines();
  switcher.reset();
  EXPECT_EQ(Routines(), expected);
}

// A button on a page that selects another page: the page it sits on closes while the press is still
// walking its children, so it cannot free them then; it keeps them for its next opening.
CRsElement* gSwitcher = nullptr;
int32_t SelectSecondPage(CElement* button, CElement** handled, SPointHV, SWinEvent*) {
  *handled = button;
  uint8_t open[16] = {}, close[16] = {};
  return gSwitcher->SelectChild("page 2", open, close);
}

TEST_F(RemoteElementTest, APageClosedFromAPressOnItKeepsItsChildren) {
  CRsElement switcher(Desc({0, 0, 100, 100}));
  gSwitcher = &switcher;
  auto* first = Add(switcher, new CRmElement(Desc({0, 0, 100, 100}, false, "page 1")));
  Add(switcher, new CRmElement(Desc({0, 0, 100, 100}, false, "page 2")));
  first->SetFreesChildrenOnClose(true);
  auto* button = Add(*first, new CElement(Desc({10, 10, 20, 20}, true, "next")));
  button->SetPressCallback(&SelectSecondPage);
  uint8_t open[16] = {}, close[16] = {};
  ASSERT_EQ(switcher.SelectChild("page 1", open, close), kNoErr);
  CElement* handled = nullptr;
  EXPECT_EQ(switcher.HandlePress(&handled, {15, 15}, nullptr), kNoErr);
  EXPECT_EQ(handled, button);
  EXPECT_EQ(first->GetOpenDepth(), 0u);
  EXPECT_FALSE(first->IsShown());
  ASSERT_NE(first->GetChildren(), nullptr);
  ASSERT_EQ(switcher.SelectChild("page 1", open, close), kNoErr);
  EXPECT_EQ(first->GetChildren()->GetCount(), 1u);
  // Closed from outside any walk, it frees them.
  ASSERT_EQ(switcher.SelectChild(nullptr, open, close), kNoErr);
  EXPECT_EQ(first->GetChildren(), nullptr);
}

}  // namespace
