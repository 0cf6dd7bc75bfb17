#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "render/bsp_tree_optimizer.h"
#include "render/null_optimizer.h"
#include "render/optimizer_holder.h"
#include "scene/cube.h"
#include "scene/plane.h"
#include "tests/scene/scene_fixture.h"

namespace {

constexpr uint32_t kNoLeafLimit = 4294967295u;

struct SLimits {
  uint32_t leafObjectLimit;
  uint32_t depthLimit;
};

class Optimizers : public SceneTest {
 protected:
  // Begin, Reserve, Add, Build, the way a render feeds an optimizer.
  static void Feed(CAbstractOptimizer& optimizer, const std::vector<C3dObject*>& objects) {
    ASSERT_TRUE(optimizer.Begin());
    ASSERT_TRUE(optimizer.Reserve(uint32_t(objects.size())));
    for (C3dObject* object : objects) ASSERT_TRUE(optimizer.Add(object));
    ASSERT_TRUE(optimizer.Build());
  }
  static std::unique_ptr<CBSPTreeOptimizer> Tree(SLimits limits) {
    auto tree = std::make_unique<CBSPTreeOptimizer>(limits.depthLimit, limits.leafObjectLimit);
    EXPECT_TRUE(tree->IsValid());
    return tree;
  }
  CTestSolid* Solid(const C3dBox& box) {
    CTestSolid* solid = NewSolid(box);
    EXPECT_NE(solid, nullptr);
    return solid;
  }
  C3dPlane* Plane(double y) {
    C3dPlane* plane = MakeShape<C3dPlane>(table);
    EXPECT_NE(plane, nullptr);
    if (plane) Place(plane, {1, 1, 1}, {0, y, 0});
    return plane;
  }
  static CRay Ray(const vector3<double>& origin, const vector3<double>& direction) {
    CRay ray;
    ray.Init(nullptr, origin, direction * (1 / std::sqrt(Dot(direction, direction))), {1, 1, 1}, {1, 1, 1}, 0.0001f,
             kFarAway, nullptr, nullptr, -1);
    return ray;
  }
};

// ---- the flat list and the tree give the same nearest hit

class Agreement : public Optimizers {
 protected:
  uint32_t ObjectsBudget() const override { return 2 * 1024 * 1024; }

  void MakeSoup() {
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> place(-20, 20), size(0.3, 3), angle(-3.2, 3.2);
    for (int i = 0; i < 200; ++i) {
      C3dObject* object = nullptr;
      if (i % 2) {
        // Spheres keep their axes: their world box is sampled and exact only then.
        object = NewSphere({size(random), size(random), size(random)}, {place(random), place(random), place(random)});
      } else {
        object = MakeShape<C3dCube>(table);
        if (object) {
          Place(object, {size(random), size(random), size(random)}, {place(random), place(random), place(random)});
          object->GetPlacement().SetRotation({angle(random), angle(random), angle(random)});
        }
      }
      ASSERT_NE(object, nullptr) << i;
      objects.push_back(object);
    }
    C3dPlane* ground = Plane(-22);
    C3dPlane* slope = Plane(25);
    ASSERT_TRUE(ground && slope);
    slope->GetPlacement().SetRotation({0.3, 0, 0.2});
    objects.push_back(ground);
    objects.push_back(slope);
  }

  void ExpectSameHit(CAbstractOptimizer& reference, CAbstractOptimizer& tree, const vector3<double>& origin,
                     const vector3<double>& direction, const char* what) {
    CRay a = Ray(origin, direction);
    CRay b = Ray(origin, direction);
    const bool hitA = reference.Intersect(a);
    const bool hitB = tree.Intersect(b);
    ASSERT_EQ(hitA, hitB) << what;
    ++rays;
    if (!hitA) return;
    ++hits;
    ASSERT_EQ(a.fHitObject, b.fHitObject) << what;
    ASSERT_NEAR(a.fHitT, b.fHitT, 1e-9 * a.fHitT) << what;
  }

  std::vector<C3dObject*> objects;
  uint32_t rays = 0;
  uint32_t hits = 0;
};

// Rays lying in each cut of the tree, with no direction along the cut's axis, somewhere in the cell
// that the cut divides.
void CollectCuts(const SBSPNode& node, std::vector<const SBSPNode*>& out) {
  if (node.IsLeaf()) return;
  out.push_back(&node);
  CollectCuts(*node.fLower, out);
  CollectCuts(*node.fUpper, out);
}

TEST_F(Agreement, TheTreeFindsTheFlatListsNearestHitUnderEveryLimitPair) {
  MakeSoup();
  CNullOptimizer flat;
  Feed(flat, objects);
  // The window's three limit pairs, and limits that follow the count ({0, 0} until it is built).
  const struct {
    SLimits limits;
    bool counted;
  } trees[] = {{{5, 5}, false}, {{50, 10}, false}, {{kNoLeafLimit, 0}, false}, {{0, 0}, true}};
  for (const auto& [limits, counted] : trees) {
    SCOPED_TRACE(testing::Message() << "limits (" << limits.leafObjectLimit << ", " << limits.depthLimit << ")"
                                    << (counted ? " following the count" : ""));
    auto tree = Tree(limits);
    tree->SetFollowsCount(counted);
    Feed(*tree, objects);
    rays = hits = 0;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> place(-30, 30), unit(-1, 1);
    for (int i = 0; i < 3000; ++i) {
      const vector3<double> origin{place(random), place(random), place(random)};
      ExpectSameHit(flat, *tree, origin, {unit(random), unit(random), unit(random)}, "random ray");
    }
    for (int i = 0; i < 600; ++i) {
      const vector3<double> origin{place(random), place(random), place(random)};
      vector3<double> direction;
      const double sign = i % 2 ? 1 : -1;
      direction.Set(i % 6 < 2 ? sign : 0, i % 6 >= 2 && i % 6 < 4 ? sign : 0, i % 6 >= 4 ? sign : 0);
      ExpectSameHit(flat, *tree, origin, direction, "axis-parallel ray");
    }
    std::vector<const SBSPNode*> cuts;
    CollectCuts(*tree->GetRoot(), cuts);
    EXPECT_EQ(cuts.empty(), limits.depthLimit == 0 && !counted);
    for (const SBSPNode* cut : cuts) {
      const uint32_t axis = cut->fAxis;
      for (int i = 0; i < 20; ++i) {
        vector3<double> origin, direction{unit(random), unit(random), unit(random)};
        const C3dBox& box = cut->fBox;
        origin.Set(box.fMin.x + (box.fMax.x - box.fMin.x) * (unit(random) + 1) / 2,
                   box.fMin.y + (box.fMax.y - box.fMin.y) * (unit(random) + 1) / 2,
                   box.fMin.z + (box.fMax.z - box.fMin.z) * (unit(random) + 1) / 2);
        const double split = cut->fLower->fBox.fMax[axis];
        origin.Set(axis == 0 ? split : origin.x, axis == 1 ? split : origin.y, axis == 2 ? split : origin.z);
        direction.Set(axis == 0 ? 0 : direction.x, axis == 1 ? 0 : direction.y, axis == 2 ? 0 : direction.z);
        ExpectSameHit(flat, *tree, origin, direction, "ray in a cut");
      }
    }
    // The soup is dense enough that most rays meet something, and not all.
    EXPECT_GT(hits, rays / 4);
    EXPECT_LT(hits, rays);
  }
}

// ---- the shape of the tree

struct STreeCase {
  const char* name;
  std::vector<C3dBox> boxes;
  int planes;
  SLimits limits;
  C3dBox rootBox;
  uint32_t nodes;
  // Records of the lower and upper child of a root that is cut (along x, at the middle of its box).
  uint32_t lower = 0;
  uint32_t upper = 0;
};

C3dBox UnitBoxAt(double x, double y = 0) { return {{x - 0.5, y - 0.5, -0.5}, {x + 0.5, y + 0.5, 0.5}}; }

std::vector<C3dBox> UnitBoxesAlongX(int n) {
  std::vector<C3dBox> boxes;
  for (int i = 0; i < n; ++i) boxes.push_back(UnitBoxAt(3.0 * i));
  return boxes;
}

TEST_F(Optimizers, TheTreeIsCutOnlyWhereItsLimitsAllow) {
  const STreeCase cases[] = {
      {"five objects stay in the root leaf", UnitBoxesAlongX(5), 0, {5, 5}, {{-0.5, -0.5, -0.5}, {12.5, 0.5, 0.5}}, 1},
      {"six objects along x are cut once at the middle",
       UnitBoxesAlongX(6),
       0,
       {5, 5},
       {{-0.5, -0.5, -0.5}, {15.5, 0.5, 0.5}},
       3,
       3,
       3},
      {"(4294967295, 0) never cuts",
       UnitBoxesAlongX(6),
       0,
       {kNoLeafLimit, 0},
       {{-0.5, -0.5, -0.5}, {15.5, 0.5, 0.5}},
       1},
      {"a box touching the cut goes to both sides",
       {UnitBoxAt(0.5), UnitBoxAt(0.5), UnitBoxAt(0.5), {{2, 0, 0}, {4, 1, 1}}, UnitBoxAt(7.5), UnitBoxAt(7.5)},
       0,
       {5, 5},
       {{0, -0.5, -0.5}, {8, 1, 1}},
       3,
       4,
       3},
      {"planes alone leave a zero root box widened on every axis",
       {},
       2,
       {5, 5},
       {{-0.25, -0.25, -0.25}, {0.25, 0.25, 0.25}},
       1},
      {"a flat scene is widened across its plane",
       {{{0, 2, 0}, {1, 2, 1}}, {{3, 2, 0}, {4, 2, 1}}},
       1,
       {5, 5},
       {{0, 1.75, 0}, {4, 2.25, 1}},
       1},
  };
  for (const STreeCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<C3dObject*> objects;
    for (const C3dBox& box : c.boxes) objects.push_back(Solid(box));
    for (int i = 0; i < c.planes; ++i) objects.push_back(Plane(i));
    auto tree = Tree(c.limits);
    Feed(*tree, objects);
    EXPECT_EQ(tree->GetBoundedCount(), c.boxes.size());
    EXPECT_EQ(tree->GetUnboundedCount(), uint32_t(c.planes));
    const SBSPNode& root = *tree->GetRoot();
    EXPECT_EQ(root.fBox, c.rootBox);
    EXPECT_EQ(tree->GetNodeCount(), c.nodes);
    if (c.nodes == 1) {
      ASSERT_TRUE(root.IsLeaf());
      EXPECT_EQ(root.fRecords.GetCount(), c.boxes.size());
      continue;
    }
    ASSERT_FALSE(root.IsLeaf());
    EXPECT_EQ(root.fRecords.GetCount(), 0u);
    EXPECT_EQ(root.fLower->fBox.fMax.x, (c.rootBox.fMin.x + c.rootBox.fMax.x) / 2);
    EXPECT_EQ(root.fUpper->fBox.fMin.x, root.fLower->fBox.fMax.x);
    EXPECT_EQ(root.fLower->fAxis, 1u);
    EXPECT_TRUE(root.fLower->IsLeaf() && root.fUpper->IsLeaf());
    EXPECT_EQ(root.fLower->fRecords.GetCount(), c.lower);
    EXPECT_EQ(root.fUpper->fRecords.GetCount(), c.upper);
  }
}

// A tree that follows the count: a far thing before a flat 16 × 16 grid of boxes three units apart. The
// empty stretch between them is cut away, so that the cells of the grid are no deeper than its boxes;
// the grid is cut between its boxes, never across its flat side, into leaves of four at most, each box
// in one leaf; and things that all lie in one place stay in one leaf rather than being copied down.
class CountedTree : public Optimizers {
 protected:
  uint32_t ObjectsBudget() const override { return 2 * 1024 * 1024; }
};

std::vector<const SBSPNode*> LeavesOf(const SBSPNode& root) {
  std::vector<const SBSPNode*> leaves;
  std::function<void(const SBSPNode&)> collect = [&](const SBSPNode& node) {
    if (node.IsLeaf()) leaves.push_back(&node);
    else {
      collect(*node.fLower);
      collect(*node.fUpper);
    }
  };
  collect(root);
  return leaves;
}

TEST_F(CountedTree, CutsEmptySpaceAwayAndKeepsLeavesSmall) {
  EXPECT_EQ(CBSPTreeOptimizer::CountedDepth(3), 6u);
  EXPECT_EQ(CBSPTreeOptimizer::CountedDepth(100000), 21u);
  std::vector<C3dObject*> objects;
  for (int j = 0; j < 16; ++j)
    for (int i = 0; i < 16; ++i) objects.push_back(Solid(UnitBoxAt(3.0 * i, 3.0 * j)));
  objects.push_back(Solid({{22, 22, -100.5}, {23, 23, -99.5}}));
  auto tree = Tree({0, 0});
  tree->SetFollowsCount(true);
  Feed(*tree, objects);
  EXPECT_EQ(tree->GetDepthLimit(), CBSPTreeOptimizer::CountedDepth(257));
  EXPECT_EQ(tree->GetLeafObjectLimit(), CBSPTreeOptimizer::kCountedLeafObjects);
  uint32_t records = 0, empty = 0;
  for (const SBSPNode* leaf : LeavesOf(*tree->GetRoot())) {
    const uint32_t count = leaf->fRecords.GetCount();
    records += count;
    empty += count == 0;
    EXPECT_LE(count, CBSPTreeOptimizer::kCountedLeafObjects);
    if (count && leaf->fRecords[0]->fBox.fMin.z > -1) {
      EXPECT_LE(leaf->fBox.fMax.z - leaf->fBox.fMin.z, 1.0);
    }
  }
  EXPECT_EQ(records, 257u);
  EXPECT_GT(empty, 0u);

  std::vector<C3dObject*> together;
  for (int i = 0; i < 10; ++i) together.push_back(Solid(UnitBoxAt(1)));
  Feed(*tree, together);
  EXPECT_EQ(tree->GetNodeCount(), 1u);
  EXPECT_EQ(tree->GetRoot()->fRecords.GetCount(), 10u);
}

// A 9 × 9 grid of unit boxes with narrow gaps, its middle running through the fifth row and column:
// the cuts move into the gaps beside them, so that no box is copied into two leaves.
TEST_F(CountedTree, CutsBesideARowThatTheMiddleRunsThrough) {
  std::vector<C3dObject*> objects;
  for (int j = 0; j < 9; ++j)
    for (int i = 0; i < 9; ++i) objects.push_back(Solid(UnitBoxAt(1.1 * i, 1.1 * j)));
  auto tree = Tree({0, 0});
  tree->SetFollowsCount(true);
  Feed(*tree, objects);
  uint32_t records = 0;
  for (const SBSPNode* leaf : LeavesOf(*tree->GetRoot())) {
    records += leaf->fRecords.GetCount();
    EXPECT_LE(leaf->fRecords.GetCount(), CBSPTreeOptimizer::kCountedLeafObjects);
  }
  EXPECT_EQ(records, 81u);
}

TEST_F(Optimizers, ATreeOfPlanesOnlyAnswersFromThePlanes) {
  auto tree = Tree({5, 5});
  C3dPlane* plane = Plane(-2);
  Feed(*tree, {plane});
  CRay down = Ray({50, 0, 50}, {0, -1, 0});
  EXPECT_TRUE(tree->Intersect(down));
  EXPECT_EQ(down.fHitObject, plane);
  EXPECT_FLOAT_EQ(down.fTMax, 2);
  CRay up = Ray({0, 0, 0}, {0, 1, 0});
  EXPECT_FALSE(tree->Intersect(up));
}

// ---- records, capacity and the shadow cache's index

TEST_F(Optimizers, ASkippedRecordIsNeverTested) {
  C3dSphere* near = NewSphere({1, 1, 1}, {0, 0, 5});
  C3dSphere* far = NewSphere({1, 1, 1}, {0, 0, 10});
  C3dSphere* outside = NewSphere();
  ASSERT_TRUE(near && far && outside);
  CNullOptimizer flat;
  auto tree = Tree({1, 5});
  for (CAbstractOptimizer* optimizer :
       {static_cast<CAbstractOptimizer*>(&flat), static_cast<CAbstractOptimizer*>(tree.get())}) {
    Feed(*optimizer, {near, far});
    SOptimizerObject* record = optimizer->FindRecord(near);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->fObject, near);
    CRay ray = Ray({0, 0, 0}, {0, 0, 1});
    ray.fSkipObject = near;
    ASSERT_TRUE(optimizer->Intersect(ray));
    EXPECT_EQ(ray.fHitObject, far);
    // A continuation skips what its parent skips.
    CRay child;
    child.Init(&ray, {0, 0, 0}, {0, 0, 1}, {1, 1, 1}, {1, 1, 1}, 0, 100, nullptr, nullptr, -1);
    EXPECT_EQ(child.fSkipObject, near);
    CRay missed = Ray({0, 0, 0}, {0, 0, 1});
    missed.fSkipObject = near;
    missed.fTMax = 8;  // short of the far sphere
    EXPECT_FALSE(optimizer->Intersect(missed));
    EXPECT_EQ(optimizer->FindRecord(outside), nullptr);
  }
}

TEST_F(Optimizers, AnEmptyListAnswersFalseAndLeavesTheRayAsItWas) {
  CNullOptimizer flat;
  ASSERT_TRUE(flat.IsValid());
  ASSERT_TRUE(flat.Begin());
  ASSERT_TRUE(flat.Reserve(0));
  ASSERT_TRUE(flat.Build());
  EXPECT_EQ(flat.GetCount(), 0u);
  CRay ray = Ray({0, 0, 0}, {0, 0, 1});
  ray.fHitT = 3;
  EXPECT_FALSE(flat.Intersect(ray));
  EXPECT_EQ(ray.fTMax, kFarAway);
  EXPECT_EQ(ray.fHitT, 3);
  EXPECT_EQ(ray.fHitObject, nullptr);
  EXPECT_EQ(flat.FindRecord(nullptr), nullptr);
}

TEST_F(Optimizers, AfterBuildAddFillsOnlyTheRoomReserved) {
  C3dSphere* sphere = NewSphere();
  ASSERT_NE(sphere, nullptr);
  CNullOptimizer flat;
  auto tree = Tree({5, 5});
  for (CAbstractOptimizer* optimizer :
       {static_cast<CAbstractOptimizer*>(&flat), static_cast<CAbstractOptimizer*>(tree.get())}) {
    ASSERT_TRUE(optimizer->Begin());
    ASSERT_TRUE(optimizer->Reserve(2));  // grows by the step: room for 8
    ASSERT_TRUE(optimizer->Add(sphere));
    ASSERT_TRUE(optimizer->Build());
    int added = 0;
    while (added < 20 && optimizer->Add(sphere)) ++added;
    EXPECT_EQ(added, 7);
    EXPECT_FALSE(optimizer->Reserve(9));
  }
}

// ---- the shadow cache's tree of nodes

TEST_F(Optimizers, HolderChildrenAreMadeOnceAndBuildStartsTheTreeAgain) {
  COptimizerHolder root(0, 3);
  ASSERT_TRUE(root.IsValid());
  EXPECT_EQ(root.GetEntryCount(), 3u);
  COptimizerHolder* reflected = root.GetFirstChild();
  ASSERT_NE(reflected, nullptr);
  EXPECT_EQ(root.GetFirstChild(), reflected);
  COptimizerHolder* transmitted = root.GetSecondChild();
  ASSERT_NE(transmitted, nullptr);
  EXPECT_NE(transmitted, reflected);
  EXPECT_EQ(reflected->GetLevel(), 1u);
  EXPECT_EQ(reflected->GetEntryCount(), 3u);
  ASSERT_NE(reflected->GetSecondChild(), nullptr);
  EXPECT_EQ(reflected->GetSecondChild()->GetLevel(), 2u);

  SOptimizerObject record;
  root.SetEntry(2, &record);
  reflected->SetEntry(0, &record);
  root.SetEntry(3, &record);  // no light 3: ignored
  EXPECT_EQ(root.GetEntry(2), &record);
  EXPECT_EQ(root.GetEntry(3), nullptr);

  ASSERT_TRUE(root.Build(0, 5));
  EXPECT_EQ(root.GetEntryCount(), 5u);
  for (uint32_t light = 0; light < 5; ++light) EXPECT_EQ(root.GetEntry(light), nullptr) << light;
  // The nodes below were deleted: a child now is a new node with the new entry count.
  COptimizerHolder* fresh = root.GetFirstChild();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->GetEntryCount(), 5u);
  EXPECT_EQ(fresh->GetEntry(0), nullptr);
  ASSERT_TRUE(root.Build(0, 0));
  EXPECT_EQ(root.GetEntryCount(), 0u);
}

}  // namespace
