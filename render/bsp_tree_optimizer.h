// The optimizer of real renders: unbounded objects (infinite planes) in a flat list, every bounded
// object in a binary space partition of the scene's box, split at the middle along x, y and z in
// turn. A ray descends the cells front to back and stops as soon as a hit lies before the next one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "render/abstract_optimizer.h"

// A leaf's records: a stretch of the tree's one table of leaf records.
struct SBSPRecords {
  SOptimizerObject* const* fFirst = nullptr;
  uint32_t fCount = 0;

  uint32_t GetCount() const { return fCount; }
  SOptimizerObject* operator[](uint32_t index) const { return fFirst[index]; }
};

// One cell. An inner node's children share its box, cut at the middle along its axis; only leaves
// hold records, and a record whose box reaches across the cut sits in both children. The nodes of a
// tree lie in one table, the upper child right behind the lower one, and the children and records are
// linked once the tables stop growing.
struct SBSPNode {
  bool IsLeaf() const { return !fLower; }

  C3dBox fBox;
  uint32_t fAxis = 0;  // 0 x, 1 y, 2 z
  uint32_t fDepth = 0;
  SBSPNode* fLower = nullptr;
  SBSPNode* fUpper = nullptr;
  SBSPRecords fRecords;
  // While the tree is built: the lower child's row (0 for a leaf), and a leaf's first row in the
  // leaf records.
  uint32_t fLowerRow = 0;
  uint32_t fFirstRecord = 0;
};

class CBSPTreeOptimizer : public CAbstractOptimizer {
 public:
  // Callers think in pairs (leaf object limit, depth limit); this takes the depth limit first.
  CBSPTreeOptimizer(uint32_t depthLimit, uint32_t leafObjectLimit);
  ~CBSPTreeOptimizer() override;

  bool Add(C3dObject* object) override;
  bool Begin() override;
  bool Build() override;
  // Room for count bounded objects; the unbounded list is not touched.
  bool Reserve(uint32_t count) override;
  bool Intersect(CRay& ray) override;

  // A node with at most this many records stays a leaf, and so does a node deeper than the depth
  // limit; both take effect at the next Build.
  uint32_t GetLeafObjectLimit() const { return fLeafObjectLimit; }
  uint32_t GetDepthLimit() const { return fDepthLimit; }
  void SetLeafObjectLimit(uint32_t limit) { fLeafObjectLimit = limit; }
  void SetDepthLimit(uint32_t limit) { fDepthLimit = limit; }

  // For renders that leave the limits open, a tree that follows the number of bounded things at each
  // Build: leaves of at most kCountedLeafObjects records, as deep as halving the things that often
  // takes and a little more, a wide empty stretch beside a node's records cut away, else the node cut
  // at the middle of the longest side of its records' span within it (a scene flat along an axis is
  // never cut along it), and no cut kept that leaves every record on both sides.
  static constexpr uint32_t kCountedLeafObjects = 4;
  void SetFollowsCount(bool follows) { fFollowsCount = follows; }
  bool FollowsCount() const { return fFollowsCount; }
  // The depth limit of a counted tree of count bounded things.
  static uint32_t CountedDepth(uint32_t count);

  const SBSPNode* GetRoot() const { return fNodes.GetCount() ? &fNodes[0] : nullptr; }
  uint32_t GetNodeCount() const { return fNodes.GetCount(); }
  uint32_t GetUnboundedCount() const { return fUnbounded.GetCount(); }
  uint32_t GetBoundedCount() const { return fBounded.GetCount(); }

 private:
  using CRecordList = CDynTable<SOptimizerObject*>;

  bool MakeRoot();
  // Splits the node at row over its records, its children over theirs, depth first.
  bool Split(uint32_t row, const CRecordList& records);
  bool MakeLeaf(uint32_t row, const CRecordList& records);
  // The children's lists of a depth, kept from node to node so that a build allocates a handful.
  CRecordList* ScratchList(uint32_t depth);
  void LinkNodes();
  struct SCut {
    uint32_t axis = 0;
    double at = 0;
    // False: the node stays a leaf.
    bool valid = false;
  };
  SCut ChooseCut(const SBSPNode& node, const CRecordList& records) const;
  // Which children of a cut at mid along the axis take the record.
  struct SSides {
    bool lower;
    bool upper;
  };
  SSides SidesOf(const SOptimizerObject& record, uint32_t axis, double mid) const;
  double LeastCrossedCut(const CRecordList& records, uint32_t axis, double mid, double leeway) const;
  bool Descend(const SBSPNode& node, CRay& ray, double near, double far);
  bool DescendLeaf(const SBSPNode& node, CRay& ray, double far);

  CDynTable<SBSPNode> fNodes;
  CRecordList fLeafRecords;
  std::vector<std::unique_ptr<CRecordList>> fScratch;
  uint32_t fLeafObjectLimit = 0;
  uint32_t fDepthLimit = 0;
  CDynTable<SOptimizerObject> fUnbounded;
  CDynTable<SOptimizerObject> fBounded;
  bool fTablesValid = false;
  bool fFollowsCount = false;
};
