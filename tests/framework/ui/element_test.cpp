#include "framework/ui/element.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "tests/framework/ui/element_fixture.h"

namespace {

// A root that keeps every area its children ask it to repaint.
class RecordingRoot : public CElement {
 public:
  using CElement::CElement;
  std::vector<SRect> invalidated;
  int32_t Invalidate(const SRect& localRect) override {
    invalidated.push_back(localRect);
    return 0;
  }
};

// Counts its relayouts and its end, and what its parent's container looked like during the last one.
class CountingElement : public CElement {
 public:
  CountingElement(const SElementDesc& desc, int* ended = nullptr) : CElement(desc), fEnded(ended) {}
  ~CountingElement() override {
    if (fEnded) ++*fEnded;
  }
  int relayouts = 0;
  uint32_t busyDuringRelayout = 0;
  int32_t Relayout(bool redraw) override {
    ++relayouts;
    if (GetParent() && GetParent()->GetChildren()) busyDuringRelayout = GetParent()->GetChildren()->GetBusyCount();
    return CElement::Relayout(redraw);
  }

 private:
  int* fEnded;
};

TEST_F(ElementTest, LayoutFlagsPlaceAnElementInItsParentsArea) {
  struct SCase {
    const char* name;
    SRect parent;
    SPointHV parentOrigin;
    SRect current;
    uint32_t flags;
    SProportionsHV position, size;
    SRect wanted, expected;
  } cases[] = {
      {"centred 4 in 11", {0, 0, 10, 11}, {7, 0}, {0, 0, 5, 4}, 0x400, {}, {1, 1}, {0, 0, 5, 4}, {0, 10, 5, 14}},
      {"centred 3 in 10", {0, 0, 10, 10}, {7, 0}, {0, 0, 5, 3}, 0x400, {}, {1, 1}, {0, 0, 5, 3}, {0, 11, 5, 14}},
      {"as large as the parent", {0, 0, 30, 50}, {}, {3, 4, 5, 6}, 0x3, {}, {1, 1}, {3, 4, 5, 6}, {3, 4, 33, 54}},
      {"a point of its own", {0, 0, 10, 100}, {}, {0, 0, 10, 20}, 0x10, {0.5f, 0}, {1, 1}, {0, 0, 10, 20}, {0, 40, 10, 60}},
      {"keeps its middle", {0, 0, 10, 100}, {}, {0, 10, 10, 30}, 0x1000, {0.5f, 0}, {1, 1}, {0, 10, 10, 50}, {0, 0, 10, 40}},
      {"edges", {0, 0, 50, 80}, {}, {0, 0, 10, 20}, 0x100 | 0x200, {}, {1, 1}, {0, 0, 10, 20}, {40, 60, 50, 80}},
      {"no flags", {0, 0, 10, 10}, {}, {0, 0, 10, 10}, 0, {0.5f, 0.5f}, {1, 1}, {-5, 300, 7, 301}, {-5, 300, 7, 301}},
  };
  for (const SCase& c : cases) {
    CElement parent(Desc(c.parent));
    parent.SetOrigin(c.parentOrigin, false);
    CElement child(Desc(c.current));
    child.SetParent(&parent, false);
    child.SetPositionProportions(c.position, false);
    child.SetSizeProportions(c.size, false);
    child.SetLayoutFlags(c.flags, false);
    ASSERT_EQ(child.SetRectWithFlags(c.flags, c.wanted, false), 0) << c.name;
    EXPECT_EQ(child.GetRect(), c.expected) << c.name;
    child.SetParent(nullptr, false);
  }
}

TEST_F(ElementTest, TheHotSpotMapsToTheOriginAndConversionsClimbTheTree) {
  RecordingRoot root(Desc({0, 0, 200, 200}));
  auto* middle = Add(root, new CElement(Desc({10, 20, 50, 80})));
  middle->SetHotSpotProportions({0.5f, 0.5f}, false);
  middle->SetOrigin({5, 5}, false);
  SPointHV local;
  middle->ParentToLocalPoint(&local, {50, 30});
  EXPECT_EQ(local, (SPointHV{5, 5}));
  auto* leaf = Add(*middle, new CElement(Desc({5, 5, 15, 15})));
  SPointHV inRoot;
  leaf->LocalToRootPoint(&inRoot, {0, 0});
  EXPECT_EQ(inRoot, (SPointHV{50, 30}));
  leaf->RootToLocalPoint(&local, {50, 30});
  EXPECT_EQ(local, (SPointHV{0, 0}));
  SRect inMiddle;
  leaf->LocalToAncestorRect(&inMiddle, {0, 0, 2, 3}, middle);
  EXPECT_EQ(inMiddle, (SRect{5, 5, 7, 8}));
  // What of a local rect shows through every ancestor's rect.
  SRect visible;
  leaf->ClipToRects(&visible, {-100, -100, 100, 100}, nullptr);
  EXPECT_EQ(visible, (SRect{0, 0, 10, 10}));
}

TEST_F(ElementTest, OutsetsAndHitTests) {
  CElement element(Desc({10, 20, 50, 80}));
  element.SetOutsets({3, 3}, {-2, 4}, false);
  EXPECT_EQ(element.GetTopLeftOutset(), (SPointHV{0, 0}));
  EXPECT_EQ(element.GetBottomRightOutset(), (SPointHV{0, 4}));
  // Local (0, 0) is the rect's top-left corner: (left, top) is in, (right, v) and (h, bottom) out.
  EXPECT_TRUE(element.IsPointInRects({0, 0}, nullptr));
  EXPECT_FALSE(element.IsPointInRects({60, 0}, nullptr));
  EXPECT_FALSE(element.IsPointInRects({0, 40}, nullptr));
  EXPECT_TRUE(element.IsPointInBounds({0, 40}, nullptr));
}

TEST_F(ElementTest, ChangesInvalidateTheirAreaOnce) {
  RecordingRoot root(Desc({0, 0, 300, 300}));
  auto* child = Add(root, new CElement(Desc({10, 20, 60, 120})));
  root.invalidated.clear();
  EXPECT_EQ(child->SetRect({10, 20, 60, 120}, true), 0);
  EXPECT_TRUE(root.invalidated.empty());
  child->SetRect({10, 20, 60, 130}, true);
  EXPECT_EQ(root.invalidated, (std::vector<SRect>{{10, 20, 60, 130}}));
  child->SetRect({10, 20, 60, 120}, false);
  root.invalidated.clear();
  child->SetRect({100, 20, 150, 120}, true);
  EXPECT_EQ(root.invalidated, (std::vector<SRect>{{10, 20, 60, 120}, {100, 20, 150, 120}}));
  root.invalidated.clear();
  child->Hide(true);
  EXPECT_EQ(root.invalidated, (std::vector<SRect>{{100, 20, 150, 120}}));
  child->SetRect({0, 0, 5, 5}, true);
  EXPECT_EQ(root.invalidated.size(), 1u);  // a hidden element repaints nothing
}

TEST_F(ElementTest, AResizeRelayoutsTheChildrenAndAMoveDoesNot) {
  RecordingRoot root(Desc({0, 0, 300, 300}));
  auto* box = Add(root, new CElement(Desc({0, 0, 100, 100})));
  auto* a = Add(*box, new CountingElement(Desc({0, 0, 10, 10})));
  auto* b = Add(*box, new CountingElement(Desc({0, 0, 10, 10})));
  a->relayouts = b->relayouts = 0;
  box->MoveTo({50, 50}, true);
  EXPECT_EQ(a->relayouts + b->relayouts, 0);
  box->SetRect({50, 50, 150, 170}, true);
  EXPECT_EQ(a->relayouts, 1);
  EXPECT_EQ(b->relayouts, 1);
  EXPECT_EQ(a->busyDuringRelayout, 1u);
  EXPECT_EQ(box->GetChildren()->GetBusyCount(), 0u);
}

TEST_F(ElementTest, FittingToTheChildren) {
  struct SCase {
    const char* name;
    bool setOutsets;
    SPointHV marginTopLeft, marginBottomRight;
    SRect rect;
    SPointHV bottomRightOutset;
  } cases[] = {
      {"children alone", false, {}, {}, {10, 10, 40, 60}, {0, 0}},
      {"with margins", false, {-2, -2}, {2, 2}, {8, 8, 42, 62}, {0, 0}},
      {"taking the outsets", true, {}, {}, {10, 10, 40, 60}, {5, 5}},
  };
  for (const SCase& c : cases) {
    RecordingRoot root(Desc({0, 0, 300, 300}));
    auto* box = Add(root, new CElement(Desc({0, 0, 100, 100})));
    auto* first = Add(*box, new CElement(Desc({10, 10, 20, 30})));
    auto* second = Add(*box, new CElement(Desc({15, 40, 40, 60})));
    second->SetOutsets({0, 0}, {5, 5}, false);
    Add(*box, new CElement(Desc({0, 0, 90, 90}, false)));  // hidden, left out
    SPointHV before;
    first->LocalToRootPoint(&before, {0, 0});
    ASSERT_EQ(box->FitToChildren(false, true, c.setOutsets, false, true, c.marginTopLeft, c.marginBottomRight), 0);
    EXPECT_EQ(box->GetRect(), c.rect) << c.name;
    EXPECT_EQ(box->GetOrigin(), (SPointHV{c.rect.left, c.rect.top})) << c.name;
    EXPECT_EQ(box->GetBottomRightOutset(), c.bottomRightOutset) << c.name;
    SPointHV after;
    first->LocalToRootPoint(&after, {0, 0});
    EXPECT_EQ(after, before) << c.name;
  }
}

TEST_F(ElementTest, TheRenderImageFollowsTheParentsRectOrTheBounds) {
  CElement parent(Desc({0, 0, 20, 30}));
  auto* child = Add(parent, new CElement(Desc({0, 0, 50, 50})));
  CImage* image = nullptr;
  EXPECT_EQ(child->GetRenderImage(&image), 0);
  EXPECT_EQ(image, nullptr);
  child->UseRenderImage(false);
  ASSERT_EQ(child->GetRenderImage(&image), 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), 30u);
  EXPECT_EQ(image->GetHeight(), 20u);
  CImage* again = nullptr;
  child->GetRenderImage(&again);
  EXPECT_EQ(again, image);
  child->SetImageFollowsParent(false, false);
  ASSERT_EQ(child->GetRenderImage(&image), 0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), 50u);
  EXPECT_EQ(image->GetHeight(), 50u);
  child->DropRenderImage(false);
  child->GetRenderImage(&image);
  EXPECT_EQ(image, nullptr);
}

TEST_F(ElementTest, DestroyingAShownElementRepaintsItsBoundsOnceAndEndsItsChildren) {
  // Deleted by itself, and taken out of its parent's container as the program does it (detached,
  // then deleted).
  for (bool throughContainer : {false, true}) {
    RecordingRoot root(Desc({0, 0, 300, 300}));
    int ended = 0;
    auto* box = new CountingElement(Desc({10, 10, 60, 60}), &ended);
    if (throughContainer) Add(root, box);
    else box->SetParent(&root, false);
    box->SetOutsets({-1, -1}, {1, 1}, false);
    Add(*box, new CountingElement(Desc({0, 0, 10, 10}), &ended));
    Add(*box, new CountingElement(Desc({5, 5, 20, 20}), &ended));
    root.invalidated.clear();
    if (throughContainer) ASSERT_EQ(root.GetChildren()->RemoveAll(true, true), 0);
    else delete box;
    EXPECT_EQ(ended, 3) << throughContainer;
    EXPECT_EQ(root.invalidated, (std::vector<SRect>{{9, 9, 61, 61}})) << throughContainer;
    EXPECT_EQ(root.GetChildren(), nullptr);
  }
}

TEST_F(ElementTest, OrderKeysDecideTheDrawingOrder) {
  CElement parent(Desc({0, 0, 100, 100}));
  CElement* children[3];
  for (int32_t i = 0; i < 3; ++i) children[i] = Add(parent, new CElement(Desc({0, 0, 1, 1})), i + 1);
  ASSERT_EQ(children[0]->SetOrder(10, false), 0);
  CElSystem* rows = parent.GetChildren();
  ASSERT_EQ(rows->Sort(), 0);
  CExSystemEntry last;
  ASSERT_EQ(rows->GetEntry(2, &last), 0);
  EXPECT_EQ(last.element, children[0]);
  CElement orphan(Desc({0, 0, 1, 1}));
  EXPECT_EQ(orphan.SetOrder(1, false), 15);
}

TEST_F(ElementTest, TheContainerOwnsItsChildrenAndTakesEachOnce) {
  CElement parent(Desc({0, 0, 100, 100}));
  CElement other(Desc({0, 0, 100, 100}));
  EXPECT_EQ(parent.GetChildren(), nullptr);
  auto* child = Add(parent, new CElement(Desc({0, 0, 1, 1})));
  EXPECT_EQ(child->GetParent(), &parent);
  EXPECT_EQ(child->GetOwner(), parent.GetChildren());
  EXPECT_EQ(other.AddChild(child, 0, 0, 0, Container()), 17);
  ASSERT_EQ(parent.GetChildren()->RemoveAll(false, true), 0);
  EXPECT_EQ(child->GetParent(), nullptr);
  EXPECT_EQ(child->GetOwner(), nullptr);
  // The container is still there, empty.
  EXPECT_EQ(parent.GetChildren(), nullptr);
  delete child;
  EXPECT_EQ(parent.ReloadChildren(false, false), 0);  // not loaded from a record
}

TEST_F(ElementTest, AnElementOpensItsOwnResourceFileBesideAnEnvironmentsFile) {
  { Open("panel.dat"); }
  auto layouts = Open("layouts.dat");
  CElement element(Desc({0, 0, 1, 1}));
  // Only the name counts: the file is looked for in the environment's own folder.
  ASSERT_EQ(element.OpenResourceFile(layouts.get(), "data\\panel.dat"), 0);
  CResourceEnv* opened = element.GetResourceFile();
  ASSERT_NE(opened, nullptr);
  EXPECT_TRUE(opened->IsOpen());
  EXPECT_EQ(element.OpenResourceFile(layouts.get(), "elsewhere/missing.dat"), -54);
  EXPECT_EQ(element.GetResourceFile(), opened);
}

TEST(ExObject, NamesAndUserWords) {
  SExNames names;
  CExObject::MakeNames(names, std::string(40, 'n').c_str(), nullptr, "canvas");
  CExObject object(names);
  EXPECT_EQ(std::string(object.GetName()), std::string(31, 'n'));
  EXPECT_STREQ(object.GetWindowName(), "");
  EXPECT_STREQ(object.GetCanvasName(), "canvas");
  object.SetCanvasName(nullptr);
  EXPECT_STREQ(object.GetCanvasName(), "");
  EXPECT_EQ(object.SetUserWord(3, 7), 0u);
  EXPECT_EQ(object.SetUserWord(3, 8), 7u);
  EXPECT_EQ(object.GetUserWord(3), 8u);
  EXPECT_EQ(object.SetUserWord(4, 1), 0u);
  EXPECT_EQ(object.GetUserWord(4), 0u);
  EXPECT_TRUE(object.IsAlive());
}

TEST(ExObjectDeathTest, TheFirstObjectOfAProcessGetsIdOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(CExObject(SExNames{}).GetId() == 1 ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

}  // namespace
