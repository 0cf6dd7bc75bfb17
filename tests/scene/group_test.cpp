#include "scene/group.h"

#include <gtest/gtest.h>

#include "scene_fixture.h"

namespace {

using Group = SceneTest;

TEST_F(Group, TheBoxIsTheMembersBoxesGrownByOnePercent) {
  C3dGroup* group = NewGroup({NewSolid({{0, 0, 0}, {4, 20, 3}}), NewSolid({{2, 5, 0}, {10, 6, 30}})});
  // Adding only grows by the member's box.
  EXPECT_EQ(group->GetBox(), (C3dBox{{0, 0, 0}, {10, 20, 30}}));
  group->ComputeBounds();
  ExpectNear(group->GetBox().fMin, {-0.1, -0.2, -0.3});
  ExpectNear(group->GetBox().fMax, {10.1, 20.2, 30.3});
  EXPECT_EQ(group->FacetCount(), 12u);

  // Without members the box stays as it was, however often it is recomputed.
  C3dObject* first = group->GetMember(0);
  C3dObject* second = group->GetMember(1);
  EXPECT_EQ(group->RemoveChild(first), 0);
  EXPECT_EQ(first->GetParent(), nullptr);
  EXPECT_EQ(group->RemoveChild(first), 0);
  EXPECT_EQ(group->RemoveChild(second), 0);
  const C3dBox left = group->GetBox();
  group->ComputeBounds();
  group->ComputeBounds();
  EXPECT_EQ(group->GetBox(), left);
  // The next member starts the box afresh.
  EXPECT_EQ(group->AddChild(first), 0);
  EXPECT_EQ(group->GetBox(), (C3dBox{{0, 0, 0}, {4, 20, 3}}));
}

TEST_F(Group, TheSelectedMemberCountKeepsFlagFour) {
  CTestSolid* a = NewSolid({});
  CTestSolid* b = NewSolid({});
  C3dGroup* group = NewGroup({a, b});
  a->SetFlags(C3dObject::kSelected);
  a->NotifyParentSelected();
  b->SetFlags(C3dObject::kSelected);
  b->NotifyParentSelected();
  EXPECT_EQ(group->GetSelectedCount(), 2u);
  EXPECT_TRUE(group->GetStateFlags() & C3dObject::kMemberSelected);
  group->RemoveChild(a);
  EXPECT_EQ(group->GetSelectedCount(), 1u);
  EXPECT_TRUE(group->GetStateFlags() & C3dObject::kMemberSelected);
  group->RemoveChild(b);
  EXPECT_EQ(group->GetSelectedCount(), 0u);
  EXPECT_FALSE(group->GetStateFlags() & C3dObject::kMemberSelected);
}

TEST_F(Group, RenderingRaysPassWhilePickingRaysHitTheBox) {
  C3dGroup* group = NewGroup({NewSolid({{-1, -2, -3}, {1, 2, 3}})});
  Place(group, {1, 1, 1}, {10, 0, 0});
  CRenderStats stats;
  CRay render = MakeRay(stats, {10, 0, 10}, {0, 0, -1});
  EXPECT_FALSE(group->Intersect(render));
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);

  struct SCase {
    vector3<double> origin, direction, normal;
    double t;
  } cases[] = {
      {{10, 0, 10}, {0, 0, -1}, {0, 0, 1}, 7},
      {{10, 0, -10}, {0, 0, 1}, {0, 0, 1}, 7},  // the axis normal, whichever side
      {{0, 1, 0}, {1, 0, 0}, {1, 0, 0}, 9},
  };
  for (const SCase& c : cases) {
    CRay pick = MakeRay(stats, c.origin, c.direction, 1);
    ASSERT_TRUE(group->Intersect(pick));
    EXPECT_NEAR(pick.fHitT, c.t, 1e-9);
    EXPECT_EQ(pick.fHitObject, group);
    ExpectNear(pick.fHit.fNormal, c.normal);
    EXPECT_EQ(pick.fHit.fU, 0);
  }
  EXPECT_EQ(stats.fHits, 3u);
  CRay beside = MakeRay(stats, {20, 0, 10}, {0, 0, -1}, 1);
  EXPECT_FALSE(group->Intersect(beside));
  EXPECT_EQ(stats.fMisses, 1u);
  group->SetStateFlags(C3dObject::kMemberSelected);
  CRay pick = MakeRay(stats, {10, 0, 10}, {0, 0, -1}, 1);
  EXPECT_FALSE(group->Intersect(pick));
}

TEST_F(Group, ACopyCopiesEveryMemberWithTheCopyAsParent) {
  C3dSphere* sphere = NewSphere({1, 1, 1}, {3, 0, 0});
  C3dGroup* inner = NewGroup({NewSphere()});
  C3dGroup* group = NewGroup({sphere, inner});
  const uint32_t before = table->GetCount();
  auto* copy = static_cast<C3dGroup*>(group->Duplicate(table));
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(copy->GetMemberCount(), 2u);
  // The group, its two members, the inner member and the two spheres' materials.
  EXPECT_EQ(table->GetCount(), before + 6);
  for (uint32_t i = 0; i < 2; ++i) {
    EXPECT_NE(copy->GetMember(i), group->GetMember(i));
    EXPECT_EQ(copy->GetMember(i)->GetParent(), copy);
    EXPECT_EQ(copy->GetMember(i)->GetClass(), group->GetMember(i)->GetClass());
    EXPECT_EQ(copy->GetMember(i)->GetOwningTable(), table);
  }
  ExpectNear(copy->GetMember(0)->GetTransformVector3(), {3, 0, 0});
  auto* innerCopy = static_cast<C3dGroup*>(copy->GetMember(1));
  ASSERT_EQ(innerCopy->GetMemberCount(), 1u);
  EXPECT_EQ(innerCopy->GetMember(0)->GetParent(), innerCopy);
  group->ComputeBounds();
  EXPECT_EQ(copy->GetBox(), group->GetBox());
}

TEST_F(Group, EditsMoveTheMembersUnlessTheGroupIsLocked) {
  CTestSolid* a = NewSolid({});
  CTestSolid* b = NewSolid({});
  b->SetTransformVector3({4, 0, 0});
  C3dGroup* group = NewGroup({a, b});
  group->Translate({0, 1, 0});
  ExpectNear(b->GetTransformVector3(), {4, 1, 0});
  group->MoveCentreTo({0, 0, 0});
  ExpectNear(a->GetTransformVector3(), {-2, 0, 0});
  ExpectNear(b->GetTransformVector3(), {2, 0, 0});
  group->ApplyTransformDelta({{2, 0, 1}, {0, 0.5, 0}, {1, 1, 1}}, true);
  ExpectNear(a->GetPlacement().fPrevPosition, {-2, 0, 0});
  ExpectNear(a->GetTransformVector3(), {0, 1, 1});
  ExpectNear(a->GetPlacement().fScale, {2, 1, 1});
  ExpectNear(a->GetTransformVector2(), {0, 0.5, 0});
  group->SetFlags(C3dObject::kTransformLocked);
  group->Translate({5, 5, 5});
  ExpectNear(a->GetTransformVector3(), {0, 1, 1});
}

TEST_F(Group, SetPlacementScalesAndMovesTheMembersAboutTheCentre) {
  CTestSolid* a = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  CTestSolid* b = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  a->SetTransformVector3({-2, 0, 0});
  b->SetTransformVector3({2, 0, 0});
  C3dGroup* group = NewGroup({a, b});
  group->ComputeBounds();
  const vector3<double> size = group->GetScaledSize();
  group->SetPlacement({}, {size.x * 2, size.y, size.z}, {10, 0, 0});
  ExpectNear(a->GetTransformVector3(), {6, 0, 0}, 1e-6);
  ExpectNear(b->GetTransformVector3(), {14, 0, 0}, 1e-6);
  ExpectNear(a->GetPlacement().fScale, {2, 1, 1}, 1e-6);
  ExpectNear(group->GetScaledSize(), {size.x * 2, size.y, size.z}, 1e-6);
}

// A turn moves the members about the box's centre, which stays where it was.
TEST_F(Group, SetPlacementTurnsTheMembersAboutTheCentre) {
  CTestSolid* a = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  CTestSolid* b = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  a->SetTransformVector3({1, 0, 0});
  b->SetTransformVector3({5, 0, 0});
  C3dGroup* group = NewGroup({a, b});
  group->ComputeBounds();
  const C3dBox before = group->WorldBox();
  const vector3<double> centre = (before.fMin + before.fMax) * 0.5;
  for (int turn = 0; turn < 2; ++turn) {
    group->SetPlacement(group->GetTransformVector2() + vector3<double>{0, M_PI, 0}, group->GetScaledSize(), centre);
    ExpectNear(a->GetTransformVector3(), turn == 0 ? vector3<double>{5, 0, 0} : vector3<double>{1, 0, 0}, 1e-9);
    ExpectNear(b->GetTransformVector3(), turn == 0 ? vector3<double>{1, 0, 0} : vector3<double>{5, 0, 0}, 1e-9);
    const C3dBox after = group->WorldBox();
    ExpectNear((after.fMin + after.fMax) * 0.5, centre, 1e-9);
  }
}

// A group passes a scale along an axis to every member and takes its box again; ScaleChildren scales
// the members' sizes and places about the box's centre, nested groups included.
TEST_F(Group, ScalingReachesEveryMemberAboutTheCentre) {
  CTestSolid* a = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  CTestSolid* b = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  CTestSolid* c = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  a->SetTransformVector3({-2, 0, 0});
  b->SetTransformVector3({2, 0, 0});
  C3dGroup* inner = NewGroup({b});
  C3dGroup* group = NewGroup({a, inner});
  group->ComputeBounds();
  group->ScaleAlongAxis({}, {{1, 0, 0}, 2});
  ExpectNear(a->GetTransformVector3(), {-4, 0, 0});
  ExpectNear(b->GetTransformVector3(), {4, 0, 0});
  ExpectNear(b->GetPlacement().fScale, {2, 1, 1});
  EXPECT_GT(group->GetBox().fMax.x, 6);  // the box was taken again

  CTestSolid* d = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  d->SetTransformVector3({-2, 0, 0});
  c->SetTransformVector3({2, 2, 0});
  C3dGroup* pair = NewGroup({d, c});
  pair->ComputeBounds();
  pair->ScaleChildren({1, 0.5, 3});  // about the box's centre (0, 1, 0)
  ExpectNear(d->GetTransformVector3(), {-2, 0.5, 0});
  ExpectNear(c->GetTransformVector3(), {2, 1.5, 0});
  ExpectNear(d->GetScaledSize(), {2, 1, 6});
  ExpectNear(c->GetScaledSize(), {2, 1, 6});

  group->ScaleChildren({2, 2, 2});
  ExpectNear(b->GetScaledSize(), {8, 4, 4});  // the nested member too
  group->SetFlags(C3dObject::kTransformLocked);
  group->ScaleAlongAxis({}, {{1, 0, 0}, 2});
  group->ScaleChildren({2, 2, 2});
  ExpectNear(b->GetScaledSize(), {8, 4, 4});
}

TEST_F(Group, TheGroupNumberFollowsTheHighestAndDrawingDrawsTheBox) {
  C3dGroup* a = NewGroup({NewSolid({})});
  EXPECT_EQ(C3dGroup::NextGroupNumber(table), 1u);
  CLineRecorder view;
  EXPECT_TRUE(a->DrawWireframe(&view, C34Matrix(), 0, false));
  ASSERT_EQ(view.GetRecordedBoxes().size(), 1u);
  EXPECT_EQ(view.GetRecordedBoxes()[0].box, a->WorldBox());
  EXPECT_EQ(view.GetRecordedBoxes()[0].objectToWorld, C34Matrix());
}

// The earlier format: own number, next sibling, first member, chained through the table.
TEST_F(Group, RelinkFromIdsRebuildsNestedGroupsInnerFirst) {
  C3dGroup* outer = NewGroup();
  C3dGroup* inner = NewGroup();
  CTestSolid* s3 = NewSolid({{0, 0, 0}, {1, 1, 1}});
  CTestSolid* s4 = NewSolid({{2, 0, 0}, {3, 1, 1}});
  CTestSolid* s5 = NewSolid({{-1, -1, -1}, {0, 0, 0}});
  outer->SetObjectNumbers(1, -1, 2);
  inner->SetObjectNumbers(2, 3, 4);
  s3->SetObjectNumbers(3, -1, -1);
  s4->SetObjectNumbers(4, 5, -1);
  s5->SetObjectNumbers(5, -1, -1);
  ASSERT_EQ(C3dGroup::RelinkFromIds(table), 0);
  ASSERT_EQ(inner->GetMemberCount(), 2u);
  EXPECT_EQ(inner->GetMember(0), s4);
  EXPECT_EQ(inner->GetMember(1), s5);
  EXPECT_EQ(s4->GetParent(), inner);
  ASSERT_EQ(outer->GetMemberCount(), 2u);
  EXPECT_EQ(outer->GetMember(0), inner);
  EXPECT_EQ(outer->GetMember(1), s3);
  EXPECT_EQ(inner->GetGroupNumber(), 1u);
  EXPECT_EQ(outer->GetGroupNumber(), 2u);
  ExpectNear(inner->GetBox().fMin, {-1.001, -1.001, -1.001});
  ExpectNear(inner->GetBox().fMax, {3.001, 1.001, 1.001});
  ExpectNear(outer->GetBox().fMax, {3.002, 1.002, 1.002});
  EXPECT_TRUE(outer->IsRelinked() && inner->IsRelinked());
}

TEST_F(Group, ChainsThatLoopEnd) {
  C3dGroup* a = NewGroup();
  C3dGroup* b = NewGroup();
  CTestSolid* s = NewSolid({});
  s->SetObjectNumbers(3, 3, -1);  // its own sibling
  a->SetObjectNumbers(1, -1, 3);
  EXPECT_EQ(C3dGroup::RelinkFromIds(table), 0);
  EXPECT_EQ(a->GetMemberCount(), 1u);
  // Two groups that wait for each other are refused.
  C3dGroup* c = NewGroup();
  C3dGroup* d = NewGroup();
  c->SetObjectNumbers(10, -1, 11);
  d->SetObjectNumbers(11, -1, 10);
  EXPECT_EQ(C3dGroup::RelinkFromIds(table), 2);
  EXPECT_EQ(b->GetMemberCount(), 0u);
}

// Two chains through one object would list it in two groups, and deleting it would leave one of them
// holding it.
TEST_F(Group, AChainReachingAnotherGroupsMemberIsRefused) {
  C3dGroup* a = NewGroup();
  C3dGroup* b = NewGroup();
  CTestSolid* first = NewSolid({});
  CTestSolid* shared = NewSolid({});
  a->SetObjectNumbers(1, -1, 3);
  b->SetObjectNumbers(2, -1, 4);
  first->SetObjectNumbers(3, 4, -1);
  shared->SetObjectNumbers(4, -1, -1);
  EXPECT_EQ(C3dGroup::RelinkFromIds(table), 2);
  EXPECT_EQ(a->GetMemberCount() + b->GetMemberCount(), 2u);
  EXPECT_EQ(shared->GetParent(), a);
}

}  // namespace
