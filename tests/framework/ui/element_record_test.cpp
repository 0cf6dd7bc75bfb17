// Elements built from "elem" layout records: the record, the state, children and callbacks it
// gives, the factory of the tag "elem", and the finders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/el_registry.h"
#include "framework/core/fragment_sys.h"
#include "framework/core/result_codes.h"
#include "framework/ui/element.h"
#include "tests/framework/ui/element_fixture.h"

namespace {

constexpr char kShownBox[] = "rect 10 20 50 80\nflags 0x1\n";

std::string Hex(const std::string& text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (size_t i = 0; i < 32; ++i) {
    const uint8_t c = i < text.size() ? uint8_t(text[i]) : 0;
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

class ElementRecordTest : public LayoutTest {
 protected:
  // A record "family" (20) whose children come from the set of its own number: "a" (130) by
  // number and "b" (131) by name, with placement values (3, 20) and (4, -1).
  void PutFamily(uint32_t flags, const std::string& more = "") {
    Put("elem", 20, "family", "rect 0 0 10 10\nflags " + std::to_string(flags) + "\nset 99\n" + more);
    Put("elem", 130, "a", "name \"a\"\nrect 10 10 20 30\nflags 1\n");
    Put("elem", 131, "b", "name \"b\"\nrect 40 50 60 90\nflags 1\n");
    Put("eset", 20, "", "elem 130 place 3 20\nelem 0 description " + Hex("b") + " place 4 -1 flags 1\n");
  }
  static std::vector<std::string> ChildNames(CElement& element) {
    std::vector<std::string> names;
    CElSystem* children = element.GetChildren();
    for (uint32_t i = 0; children && i < children->GetCount(); ++i) {
      CElement* child = nullptr;
      EXPECT_EQ(CElSystem::GetElementAt(children, i, &child), kNoErr);
      names.push_back(child->GetName());
    }
    return names;
  }
};

TEST_F(ElementRecordTest, OnlyAWholeRecordWithItsTagAndVersionLoads) {
  Put("elem", 1, "", kShownBox);
  const std::vector<uint8_t> good = Stored("elem", 1);
  ASSERT_EQ(good.size(), 316u);
  auto changed = [&](size_t size, size_t at, char c) {
    std::vector<uint8_t> bytes = good;
    bytes.resize(size);
    if (at < size) bytes[at] = uint8_t(c);
    return bytes;
  };
  Store(*env, Key("elem", 2), changed(315, 999, 0));
  Store(*env, Key("elem", 3), changed(316, 3, 'x'));
  Store(*env, Key("elem", 4), changed(316, 7, '1'));
  Store(*env, Key("elem", 5), changed(400, 999, 0));
  Store(*env, Key("elem", 6), {});
  const std::pair<uint32_t, int32_t> cases[] = {{2, kErrInvalidFormat}, {3, kErrInvalidFormat}, {4, kErrInvalidFormat},
                                                {5, kNoErr},           {6, kErrInvalidFormat}, {7, kErrObjectNotFound}};
  for (const auto& [number, code] : cases) {
    CElement* element = reinterpret_cast<CElement*>(1);
    EXPECT_EQ(CElement::NewByNumber(&element, env.get(), number), code) << number;
    EXPECT_EQ(element != nullptr, code == kNoErr) << number;
    if (element) {
      EXPECT_EQ(element->GetRect(), (SRect{10, 20, 50, 80}));
    }
    delete element;
  }
}

TEST_F(ElementRecordTest, AnEmptyNameTakesTheResourcesOwn) {
  Put("elem", 7, "panel box", kShownBox);
  Put("elem", 8, "other", std::string(kShownBox) + "name \"own name\"\n");
  for (const char* name : {"panel box", static_cast<const char*>(nullptr)}) {
    CElement element(Desc({}, false));
    ASSERT_EQ(element.LoadFromResource(env.get(), 7, name), kNoErr);
    EXPECT_STREQ(element.GetName(), "panel box");
    uint32_t number = 0;
    EXPECT_EQ(element.GetRecordNumber(&number), kNoErr);
    EXPECT_EQ(number, 7u);
  }
  CElement named(Desc({}, false));
  ASSERT_EQ(named.LoadFromResourceByName(env.get(), "other"), kNoErr);
  EXPECT_STREQ(named.GetName(), "own name");
}

TEST_F(ElementRecordTest, TheRecordsFieldsReadBackIntoTheElement) {
  Put("elem", 10, "", R"(name "box"
window "win"
canvas "palette"
user 1 2 3 0xFFFFFFFF
rect 10 20 50 80
layout 0x4
position 0.5 0.25
size 0.75 1
origin 3 4
hotspot 0.5 0.5
outsets -1 -2 3 4
events 0x10023
flags 0x7CF
)");
  CElement element(Desc({}, false));
  ASSERT_EQ(element.LoadFromResource(env.get(), 10, nullptr), kNoErr);
  EXPECT_STREQ(element.GetName(), "box");
  EXPECT_STREQ(element.GetWindowName(), "win");
  EXPECT_STREQ(element.GetCanvasName(), "palette");
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(element.GetUserWord(i), i == 3 ? 0xFFFFFFFF : i + 1);
  EXPECT_EQ(element.GetRect(), (SRect{10, 20, 50, 80}));  // no parent: the layout rules have no area
  EXPECT_EQ(element.GetLayoutFlags(), 0x4u);
  EXPECT_EQ(element.GetPositionProportions(), (SProportionsHV{0.5f, 0.25f}));
  EXPECT_EQ(element.GetSizeProportions(), (SProportionsHV{0.75f, 1.0f}));
  EXPECT_EQ(element.GetOrigin(), (SPointHV{3, 4}));
  EXPECT_EQ(element.GetHotSpotProportions(), (SProportionsHV{0.5f, 0.5f}));
  EXPECT_EQ(element.GetTopLeftOutset(), (SPointHV{-1, -2}));
  EXPECT_EQ(element.GetBottomRightOutset(), (SPointHV{3, 4}));
  for (uint32_t bit : {0x1u, 0x2u, 0x20u, 0x10000u}) EXPECT_TRUE(element.AcceptsEvents(bit)) << bit;
  EXPECT_FALSE(element.AcceptsEvents(0x4));
  EXPECT_TRUE(element.IsShown());
  EXPECT_TRUE(element.IsAlternate());
  EXPECT_TRUE(element.UsesRenderImage());
  EXPECT_TRUE(element.ImageFollowsParent());
  EXPECT_TRUE(element.ClaimsPresses());
  EXPECT_TRUE(element.ClaimsCharacters());
  EXPECT_TRUE(element.ClaimsMessages());
  EXPECT_TRUE(element.HoversWhenHidden());

  // Every flag off, and a name that fills its field without a terminator: its first 31 characters.
  PutChanged("elem", 11, "", "rect 1 2 3 4\nflags 0\n",
             [](std::vector<uint8_t>& b) { std::fill(b.begin() + 24, b.begin() + 56, uint8_t('n')); });
  ASSERT_EQ(element.LoadFromResource(env.get(), 11, nullptr), kNoErr);
  EXPECT_EQ(std::string(element.GetName()), std::string(31, 'n'));
  EXPECT_FALSE(element.IsShown() || element.IsAlternate() || element.UsesRenderImage() ||
               element.ImageFollowsParent() || element.ClaimsPresses() || element.ClaimsCharacters() ||
               element.ClaimsMessages() || element.HoversWhenHidden());
  EXPECT_EQ(element.GetSizeProportions(), (SProportionsHV{1.0f, 1.0f}));  // the compiler's default
}

TEST_F(ElementRecordTest, AnOwnResourceFileOfAtMost31CharactersOpensBesideTheLayoutFile) {
  const std::string name31 = std::string(27, 'f') + ".dat";
  { Open(name31); }
  Put("elem", 12, "", "file \"" + name31 + "\"\n");
  PutChanged("elem", 13, "", "file \"" + name31 + "\"\n",
             [](std::vector<uint8_t>& b) { b[CElement::kRecordFileName + 31] = 'x'; });
  CElement element(Desc({}, false));
  ASSERT_EQ(element.LoadFromResource(env.get(), 12, nullptr), kNoErr);
  ASSERT_NE(element.GetResourceFile(), nullptr);
  EXPECT_EQ(std::string(element.GetResourceFile()->GetCmFile()->GetSpec().GetPath()), Path(name31));
  EXPECT_EQ(element.LoadFromResource(env.get(), 13, nullptr), kErrInvalidParameter);
  EXPECT_EQ(element.GetResourceFile(), nullptr);
}

TEST_F(ElementRecordTest, ChildrenComeFromTheSetOfTheRecordsOwnNumber) {
  PutFamily(0x10 | 0x40);
  CElement element(Desc({}, false));
  ASSERT_EQ(element.LoadFromResource(env.get(), 20, nullptr), kNoErr);
  EXPECT_EQ(ChildNames(element), (std::vector<std::string>{"a", "b"}));
  const std::pair<uint32_t, int32_t> placed[] = {{3, 20}, {4, -1}};
  for (uint32_t i = 0; i < 2; ++i) {
    CExSystemEntry row;
    ASSERT_EQ(element.GetChildren()->GetEntry(i, &row), kNoErr);
    EXPECT_EQ(row.classData, placed[i].first);
    EXPECT_EQ(row.orderKey, placed[i].second);
    EXPECT_EQ(row.element->GetParent(), &element);
  }
  // Without 0x40 the stored set number (99, absent) is asked for.
  PutFamily(0x10);
  EXPECT_EQ(element.LoadFromResource(env.get(), 20, nullptr), kErrObjectNotFound);
}

TEST_F(ElementRecordTest, DeferredChildrenComeWithReloadChildrenWhichShowsTheElementAgain) {
  PutFamily(0x10 | 0x40 | 0x8000 | 0x1);
  CElement element(Desc({}, false));
  ASSERT_EQ(element.LoadFromResource(env.get(), 20, nullptr), kNoErr);
  EXPECT_EQ(element.GetChildren(), nullptr);
  EXPECT_TRUE(element.IsShown());
  ASSERT_EQ(element.ReloadChildren(true, false), kNoErr);
  EXPECT_EQ(ChildNames(element), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(element.IsShown());
  // Without deleting first, the set comes once more.
  ASSERT_EQ(element.ReloadChildren(false, false), kNoErr);
  EXPECT_EQ(ChildNames(element).size(), 4u);
  element.Hide(false);
  ASSERT_EQ(element.ReloadChildren(true, false), kNoErr);
  EXPECT_FALSE(element.IsShown());
}

TEST_F(ElementRecordTest, FittingMakesTheElementAsLargeAsItsChildren) {
  PutFamily(0x10 | 0x40 | 0x800);
  CElement element(Desc({}, false));
  ASSERT_EQ(element.LoadFromResource(env.get(), 20, nullptr), kNoErr);
  EXPECT_EQ(element.GetRect(), (SRect{0, 0, 60, 90}));
  PutFamily(0x10 | 0x40 | 0x8000);
  ASSERT_EQ(element.LoadFromResource(env.get(), 20, nullptr), kNoErr);
  EXPECT_EQ(element.GetRect(), (SRect{0, 0, 10, 10}));
  ASSERT_EQ(element.ReloadChildren(true, true), kNoErr);
  EXPECT_EQ(element.GetRect(), (SRect{0, 0, 10, 10}));  // the record does not ask for it
}

TEST_F(ElementRecordTest, AFailedLoadLeavesTheElementHiddenWithWhatWasSet) {
  Put("elem", 30, "", "name \"half\"\nrect 1 2 3 4\nflags 0x11\nset 77\n");
  CElement element(Desc({0, 0, 9, 9}, true, "before"));
  EXPECT_EQ(element.LoadFromResource(env.get(), 30, nullptr), kErrObjectNotFound);
  EXPECT_FALSE(element.IsShown());
  EXPECT_STREQ(element.GetName(), "half");
  EXPECT_EQ(element.GetRect(), (SRect{1, 2, 3, 4}));
}

// ---- callbacks from the test code fragment

// Each of the seven events once, to an element without children.
void SendEach(CElement& element, SPointHV point) {
  SendEachEvent(element, point);
  element.Draw(5, nullptr, false);
}

std::vector<std::string> gOwn;
int32_t OwnPress(CElement*, CElement**, SPointHV, SWinEvent*) {
  gOwn.push_back("press");
  return 0;
}
int32_t OwnChar(CElement*, CElement**, SWinEvent*) {
  gOwn.push_back("char");
  return 0;
}
int32_t OwnActivation(CElement*, SWinEvent*) {
  gOwn.push_back("activation");
  return 0;
}
int32_t OwnHover(CElement*, SPointHV) {
  gOwn.push_back("hover");
  return 0;
}
int32_t OwnMessage(CElement*, CElement**, SPointHV, CUIMessage*) {
  gOwn.push_back("message");
  return 0;
}
int32_t OwnDraw(CElement*, uint32_t, CImage*) {
  gOwn.push_back("draw");
  return 0;
}

class CallbackTest : public ElementRecordTest {
 protected:
  void SetUp() override {
    ElementRecordTest::SetUp();
    gOwn.clear();
    element = std::make_unique<CElement>(Desc({0, 0, 10, 10}));
    element->SetOptionFlags(0x3F, true);
    element->SetPressCallback(&OwnPress);
    element->SetCharCallback(&OwnChar);
    element->SetDeactivateCallback(&OwnActivation);
    element->SetActivateCallback(&OwnActivation);
    element->SetHoverCallback(&OwnHover);
    element->SetMessageCallback(&OwnMessage);
    element->SetDrawCallback(&OwnDraw);
  }
  void TearDown() override {
    element.reset();
    ElementRecordTest::TearDown();
  }
  void PutList(uint32_t number, const std::vector<std::string>& texts) {
    std::string source;
    for (size_t i = 0; i < texts.size(); ++i) source += std::to_string(i) + " \"" + texts[i] + "\"\n";
    Put("ixtx", number, "", source);
  }

  std::unique_ptr<CElement> element;
};

TEST_F(CallbackTest, NineTextsBindTheSevenCallbacksUnderTheirKinds) {
  UseFragments();
  PutList(1, {"uifrag|press", "uifrag|key", "uifrag|deactivate", "uifrag|activate", "uifrag|hover", "uifrag|message",
              "uifrag|draw", "uifrag|missing", "nowhere|missing"});
  ASSERT_EQ(element->BindCallbacks(env.get(), 1, nullptr), kNoErr);
  SendEach(*element, {3, 4});
  const void* e = element.get();
  EXPECT_EQ(Log(), (std::vector<std::string>{Line("press", e, " 3 4"), Line("key", e), Line("deactivate", e),
                                             Line("activate", e), Line("hover", e, " 3 4"), Line("message", e, " 3 4"),
                                             Line("draw", e, " 5")}));
  EXPECT_TRUE(gOwn.empty());
}

TEST_F(CallbackTest, AnEntryAskedForUnderAnotherKindIsRefused) {
  UseFragments();
  PutList(1, {"uifrag|key"});
  EXPECT_EQ(element->BindCallbacks(env.get(), 1, nullptr), kErrUnexpectedType);
  SendEach(*element, {0, 0});
  EXPECT_EQ(gOwn.size(), 7u);
}

TEST_F(CallbackTest, AShortListEmptyTextsAndNullLeaveOrClearWhatTheyName) {
  UseFragments();
  PutList(1, {"uifrag|NULL", "", "uifrag|deactivate"});
  ASSERT_EQ(element->BindCallbacks(env.get(), 1, nullptr), kNoErr);
  SendEach(*element, {0, 0});
  EXPECT_EQ(Log(), (std::vector<std::string>{Line("deactivate", element.get())}));
  EXPECT_EQ(gOwn, (std::vector<std::string>{"char", "activation", "hover", "message", "draw"}));
}

TEST_F(CallbackTest, WithoutAFragmentSystemNothingBinds) {
  PutList(1, {"uifrag|press"});
  EXPECT_EQ(element->BindCallbacks(env.get(), 1, nullptr), kErrNoFragmentSystem);
}

TEST_F(CallbackTest, ResolvingACallbackText) {
  UseFragments();
  struct SCase {
    const char* text;
    int32_t code;
    bool found;
  } cases[] = {{"", kNoErr, false},          {"NULL", kHandled, false},          {"uifrag|NULL", kHandled, false},
               {"uifrag|press", kNoErr, true}, {"uifrag|open", kErrUnexpectedType, false},
               {"bar", kErrInvalidFormat, false}};
  for (const SCase& c : cases) {
    void* callback = &gOwn;
    EXPECT_EQ(ResolveCallbackRef(&callback, c.text, ORDAX_KIND_PRESS, app->GetFragmentSys()), c.code) << c.text;
    EXPECT_EQ(callback != nullptr, c.found) << c.text;
  }
}

TEST_F(CallbackTest, APressOnALoadedElementRunsTheFragmentsPressEntry) {
  UseFragments({{Key("ixtx", 140, "clicks"), Compiled("ixtx", "0 \"uifrag|press\"\n")}});
  // The list is not in the layout file: the application's resource file has it.
  Put("elem", 40, "", "rect 0 0 50 50\nflags 0x30001\nlistname \"clicks\"\n");
  CElement* loaded = nullptr;
  ASSERT_EQ(CElement::NewByNumber(&loaded, env.get(), 40), kNoErr);
  CElement* handled = nullptr;
  SWinEvent event;
  EXPECT_EQ(loaded->HandlePress(&handled, {7, 8}, &event), kNoErr);
  EXPECT_EQ(handled, loaded);
  EXPECT_EQ(Log(), (std::vector<std::string>{Line("press", loaded, " 7 8")}));
  delete loaded;
}

// ---- the factory and the finders

TEST_F(ElementRecordTest, AnElementSetBuildsElementsThroughTheFactoryOfElem) {
  PutFamily(0);
  CElement parent(Desc({0, 0, 100, 100}));
  ASSERT_EQ(app->GetElementRegistry()->LoadElementSet(env.get(), 20, nullptr, &parent), kNoErr);
  EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"a", "b"}));
  Put("eset", 21, "", "elem 130\nxyzw 1\n");
  EXPECT_EQ(app->GetElementRegistry()->LoadElementSet(env.get(), 21, nullptr, &parent), kErrUnexpectedType);
  EXPECT_EQ(ChildNames(parent).size(), 3u);
}

TEST_F(ElementRecordTest, FindingElementsByPathAndPosition) {
  CElement top(Desc({}, true, "top"));
  auto* a = Add(top, new CElement(Desc({}, true, "a")));
  auto* x = Add(top, new CElement(Desc({}, true, "x")));
  auto* b = Add(*a, new CElement(Desc({}, true, "b")));
  auto* leaf = Add(*b, new CElement(Desc({}, true, "leaf")));
  const std::string name31(31, 'n');
  struct SCase {
    CElement* start;
    std::string path;
    int32_t code;
    CElement* found;
  } cases[] = {
      {b, "|", kNoErr, a},
      {&top, "a|b", kNoErr, b},
      {&top, "a|b|leaf", kNoErr, leaf},
      {b, "||x", kNoErr, x},
      {&top, "", kErrObjectNotFound, nullptr},
      {&top, "a|", kErrObjectNotFound, nullptr},
      {&top, name31 + "n", kErrTooManyEntries, nullptr},
      {&top, name31, kErrObjectNotFound, nullptr},
      {leaf, "b", kErrObjectNotFound, nullptr},
      {&top, "|", kErrObjectNotFound, nullptr},
  };
  for (const SCase& c : cases) {
    CElement* found = &top;
    EXPECT_EQ(CElSystem::FindByName(c.start, c.path.c_str(), &found), c.code) << c.path;
    EXPECT_EQ(found, c.found) << c.path;
  }
  CElement* found = nullptr;
  EXPECT_EQ(CElSystem::GetElementAt(top.GetChildren(), 1, &found), kNoErr);
  EXPECT_EQ(found, x);
  EXPECT_EQ(CElSystem::GetElementAt(top.GetChildren(), 2, &found), kErrInvalidParameter);
  EXPECT_EQ(found, nullptr);
}

}  // namespace
