#include "scene/boolean_resolver.h"

#include <gtest/gtest.h>

#include <vector>

#include "scene/cube.h"
#include "scene/plane.h"
#include "scene_fixture.h"
#include "tests/framework/core/pools_fixture.h"

namespace {

constexpr uint32_t P = CBooleanResolver::kPositiveList;
constexpr uint32_t N = CBooleanResolver::kNegativeList;
constexpr uint32_t I = CBooleanResolver::kIntersectList;

// One member's contribution: its list and the t of its span entries in order.
struct SMember {
  uint32_t list;
  std::vector<double> t;
};

// The resolved values' t, in order; each span pointer names its member and entry.
std::vector<double> Resolve(const std::vector<SMember>& members, std::vector<SSpanEntry>& spans) {
  spans.assign(16, SSpanEntry{});
  CBooleanResolver resolver;
  resolver.Reset();
  size_t next = 0;
  for (const SMember& member : members) {
    CBooleanResolver::SCursor cursor;
    resolver.BeginList(member.list, cursor);
    for (size_t i = 0; member.t.size() >= 2 && i < member.t.size(); ++i) {
      spans[next].fT = member.t[i];
      EXPECT_EQ(resolver.AddValue(cursor, member.t[i], &spans[next++]), 0);
    }
    resolver.EndList(cursor);
  }
  EXPECT_EQ(resolver.Resolve(), 0);
  std::vector<double> result;
  const std::vector<CBooleanResolver::STValue>& values = resolver.GetList(P);
  for (const CBooleanResolver::STValue& value : values) {
    EXPECT_EQ(value.t, value.span->fT);
    result.push_back(value.t);
  }
  return result;
}

using BooleanResolver = PoolsTest;

TEST_F(BooleanResolver, CombinesSpansByRole) {
  struct SCase {
    const char* name;
    std::vector<SMember> members;
    std::vector<double> result;
  } cases[] = {
      {"overlapping positives", {{P, {1, 3}}, {P, {2, 4}}}, {1, 4}},
      {"a positive minus a negative", {{P, {1, 5}}, {N, {2, 3}}}, {1, 2, 3, 5}},
      {"a negative covering the positive", {{P, {2, 3}}, {N, {1, 5}}}, {}},
      {"a positive within an intersect", {{P, {1, 5}}, {I, {3, 7}}}, {3, 5}},
      {"an intersect member the ray misses", {{P, {1, 5}}, {I, {}}}, {}},
      {"a member with one entry opens and closes its list", {{P, {1, 5}}, {N, {2}}}, {1, 5}},
      {"no positive", {{N, {1, 5}}}, {}},
      {"carved, then intersected", {{P, {1, 5}}, {N, {2, 3}}, {I, {2.5, 7}}}, {3, 5}},
      {"nested positives", {{P, {1, 6}}, {P, {2, 3}}}, {1, 6}},
  };
  for (const SCase& c : cases) {
    std::vector<SSpanEntry> spans;
    EXPECT_EQ(Resolve(c.members, spans), c.result) << c.name;
  }
}

TEST_F(BooleanResolver, AtEqualTTheLaterValueAndTheCarvingOneComeFirst) {
  CBooleanResolver resolver;
  SSpanEntry first, second;
  CBooleanResolver::SCursor cursor;
  resolver.BeginList(P, cursor);
  resolver.AddValue(cursor, 2, &first);
  resolver.AddValue(cursor, 2, &second);
  ASSERT_EQ(resolver.GetList(P).size(), 2u);
  EXPECT_EQ(resolver.GetList(P)[0].span, &second);

  // A positive [1, 2] touching a negative [2, 3]: the negative entry goes before the positive exit,
  // so the surface at 2 survives as the end of the solid.
  std::vector<SSpanEntry> spans;
  EXPECT_EQ(Resolve({{P, {1, 2}}, {N, {2, 3}}}, spans), (std::vector<double>{1, 2}));
}

// A positive sphere of scale 2 at the origin carved by a negative sphere of scale 1.5 at (0, 0, 2).
class BooleanGroup : public SceneTest {
 protected:
  C3dSphere* Member(double scale, vector3<double> position, uint32_t role) {
    C3dSphere* sphere = NewSphere({scale, scale, scale}, position);
    sphere->SetStateFlags(role);
    return sphere;
  }
};

TEST_F(BooleanGroup, RelinkingMakesAGroupOfRoledSolidsBoolean) {
  C3dSphere* a = Member(1, {}, C3dObject::kPositive);
  C3dSphere* b = Member(1, {1, 0, 0}, C3dObject::kPositive);
  C3dSphere* c = Member(1, {0, 1, 0}, C3dObject::kNegative);
  C3dGroup* group = NewGroup({a, b, c});
  ASSERT_EQ(C3dGroup::RelinkGroups(table), 0);
  EXPECT_TRUE(group->GetStateFlags() & C3dObject::kBooleanGroup);
  for (C3dObject* member : {a, b, c}) {
    EXPECT_TRUE(member->GetStateFlags() & C3dObject::kBooleanMember);
    EXPECT_EQ(member->GetParent(), group);
  }
  ASSERT_EQ(group->AddChild(NewSphere()), 0);
  ASSERT_EQ(C3dGroup::RelinkGroups(table), 0);
  EXPECT_FALSE(group->GetStateFlags() & C3dObject::kBooleanGroup);
  EXPECT_FALSE(a->GetStateFlags() & C3dObject::kBooleanMember);

  CTestSolid* open = NewSolid({});
  open->SetStateFlags(C3dObject::kPositive);
  open->closedSolid = false;
  C3dGroup* other = NewGroup({Member(1, {}, C3dObject::kPositive), open});
  ASSERT_EQ(C3dGroup::RelinkGroups(table), 0);
  EXPECT_FALSE(other->GetStateFlags() & C3dObject::kBooleanGroup);
}

TEST_F(BooleanGroup, ARenderingRayHitsTheCarvedSurface) {
  C3dSphere* positive = Member(2, {}, C3dObject::kPositive);
  C3dSphere* negative = Member(1.5, {0, 0, 2}, C3dObject::kNegative);
  C3dGroup* group = NewGroup({positive, negative});
  ASSERT_EQ(C3dGroup::RelinkGroups(table), 0);
  const SRayCase down{"down the z axis", {0, 0, 10}, {0, 0, -1}, 0, true, 9.5};
  for (C3dSphere* member : {positive, negative}) {
    ExpectRayCase(*member, down);
    CRenderStats stats;
    CRay ray = MakeRay(stats, down.origin, down.direction);
    ASSERT_TRUE(member->Intersect(ray));
    EXPECT_EQ(ray.fHitObject, group);
    EXPECT_EQ(ray.fHitPart, negative);
    EXPECT_NEAR(ray.fHit.fPoint.z, 0.5, 1e-6);
    EXPECT_NEAR(ray.fHit.fPoint.x, 0, 1e-6);
  }
  // A picking ray takes the members one by one.
  CRenderStats stats;
  CRay pick = MakeRay(stats, down.origin, down.direction, 1);
  ASSERT_TRUE(positive->Intersect(pick));
  EXPECT_NEAR(pick.fHitT, 8, 1e-6);
  EXPECT_EQ(pick.fHitObject, positive);

  group->RemoveChild(negative);
  ASSERT_EQ(C3dGroup::RelinkGroups(table), 0);
  ExpectRayCase(*positive, {"without the negative member", {0, 0, 10}, {0, 0, -1}, 0, true, 8});
  ExpectRayCase(*positive, {"beside the group", {0, 5, 10}, {0, 0, -1}, 0, false, 0});
}

TEST_F(BooleanGroup, AFlatMemberClosesItsSolid) {
  // A cube from −1 to 1 less the half-space below the plane y = 0.
  C3dCube* cube = MakeShape<C3dCube>(table);
  Place(cube, {2, 2, 2}, {});
  cube->SetStateFlags(C3dObject::kPositive);
  C3dPlane* plane = MakeShape<C3dPlane>(table);
  plane->SetStateFlags(C3dObject::kNegative);
  C3dGroup* group = NewGroup({cube, plane});
  ASSERT_EQ(C3dGroup::RelinkGroups(table), 0);
  ASSERT_TRUE(group->GetStateFlags() & C3dObject::kBooleanGroup);
  CRenderStats stats;
  CRay up = MakeRay(stats, {0, -5, 0}, {0, 1, 0});
  ASSERT_TRUE(cube->Intersect(up));
  EXPECT_EQ(up.fHitT, 5);
  EXPECT_EQ(up.fHitPart, plane);
  CRay down = MakeRay(stats, {0, 5, 0}, {0, -1, 0});
  ASSERT_TRUE(plane->Intersect(down));
  EXPECT_EQ(down.fHitT, 4);
  EXPECT_EQ(down.fHitPart, cube);
}

TEST_F(BooleanGroup, NestedBooleanGroupsResolveAtTheOutermost) {
  C3dSphere* core = Member(2, {}, C3dObject::kPositive);
  C3dGroup* inner = NewGroup({core});
  inner->SetStateFlags(C3dObject::kPositive);
  C3dSphere* carve = Member(1.5, {0, 0, 2}, C3dObject::kNegative);
  C3dGroup* outer = NewGroup({inner, carve});
  ASSERT_EQ(C3dGroup::RelinkGroups(table), 0);
  ASSERT_TRUE(outer->GetStateFlags() & C3dObject::kBooleanGroup);
  ASSERT_TRUE(inner->GetStateFlags() & C3dObject::kBooleanMember);
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0, 0, 10}, {0, 0, -1});
  ASSERT_TRUE(core->Intersect(ray));
  EXPECT_NEAR(ray.fHitT, 9.5, 1e-6);
  EXPECT_EQ(ray.fHitObject, outer);
  EXPECT_EQ(ray.fHitPart, carve);
}

}  // namespace
