#include "render/bsp_tree_optimizer.h"

#include <bit>

#include "framework/core/mem_pool.h"
#include "scene/object.h"
#include "scene/ray.h"

namespace {

constexpr uint32_t kRecordStep = 8;
constexpr uint32_t kNodeStep = 2;
// A scene flat along an axis gets this much room on either side, so that its box has a volume.
constexpr double kFlatExtent = 0.01;
constexpr double kFlatWidening = 0.25;
// A cell this thin is not cut again.
constexpr double kMinExtent = 0.001;
// A counted tree cuts away an empty stretch of a cell beside its records once it is this share of the
// cell's side.
constexpr double kEmptyShare = 0.25;
// Neighbouring cells' intervals overlap by this much, so a hit on the cut is found from either side.
constexpr double kOverlap = 0.0001;

double& At(vector3<double>& v, uint32_t axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

}  // namespace

SBSPNode::SBSPNode(uint32_t* nodeCount, uint32_t depth, uint32_t axis)
    : fAxis(axis), fDepth(depth), fNodeCount(nodeCount), fRecords(SRange{0, kNodeStep}, OptimizerTablePool()) {
  fValid = fRecords.IsValid();
  ++*fNodeCount;
}

SBSPNode::~SBSPNode() {
  DeleteChildren();
  --*fNodeCount;
}

void* SBSPNode::operator new(size_t size) noexcept { return MemAlloc(size); }

void SBSPNode::operator delete(void* p) noexcept { MemFree(p); }

void SBSPNode::DeleteChildren() {
  delete fLower;
  delete fUpper;
  fLower = fUpper = nullptr;
}

CBSPTreeOptimizer::CBSPTreeOptimizer(uint32_t depthLimit, uint32_t leafObjectLimit)
    : fLeafObjectLimit(leafObjectLimit),
      fDepthLimit(depthLimit),
      fUnbounded(SRange{0, kRecordStep}, OptimizerTablePool()),
      fBounded(SRange{0, kRecordStep}, OptimizerTablePool()) {
  fTablesValid = fUnbounded.IsValid() && fBounded.IsValid();
  fValid = fTablesValid && MakeRoot();
}

CBSPTreeOptimizer::~CBSPTreeOptimizer() { delete fRoot; }

bool CBSPTreeOptimizer::MakeRoot() {
  fRoot = new SBSPNode(&fNodeCount, 0, 0);
  if (fRoot && fRoot->fValid) return true;
  delete fRoot;
  fRoot = nullptr;
  return false;
}

bool CBSPTreeOptimizer::Begin() {
  delete fRoot;
  fRoot = nullptr;
  fUnbounded.SetStep(kRecordStep);
  fBounded.SetStep(kRecordStep);
  fValid = false;
  if (!MakeRoot()) return false;
  for (CDynTable<SOptimizerObject>* table : {&fUnbounded, &fBounded}) {
    table->Clear();
    table->Trim();
  }
  ClearIndex();
  fValid = fTablesValid;
  return true;
}

bool CBSPTreeOptimizer::Reserve(uint32_t count) {
  fBounded.Clear();
  return fBounded.Reserve(count);
}

bool CBSPTreeOptimizer::Add(C3dObject* object) {
  if (!fRoot) return false;
  const SOptimizerObject record{object, object->WorldBox()};
  if (object->IsUnbounded()) return fUnbounded.Append(record);
  if (!fBounded.Append(record)) return false;
  if (fBounded.GetCount() == 1)
    fRoot->fBox = record.fBox;
  else
    fRoot->fBox.Union(record.fBox);
  return true;
}

uint32_t CBSPTreeOptimizer::CountedDepth(uint32_t count) {
  // Records that reach across cuts sit on both sides, so halving takes a couple of levels more, and
  // so do the cuts of empty space.
  constexpr uint32_t kSpareLevels = 6;
  return uint32_t(std::bit_width(count / kCountedLeafObjects)) + kSpareLevels;
}

// Every Build starts again from the root, so objects added after an earlier Build are placed too.
bool CBSPTreeOptimizer::Build() {
  if (!IsValid()) return false;
  if (fFollowsCount) {
    fLeafObjectLimit = kCountedLeafObjects;
    fDepthLimit = CountedDepth(fBounded.GetCount());
  }
  fUnbounded.SetStep(0);
  fBounded.SetStep(0);
  fRoot->DeleteChildren();
  CDynTable<SOptimizerObject*>& list = fRoot->fRecords;
  list.Clear();
  list.SetStep(kNodeStep);
  if (!list.Reserve(fBounded.GetCount())) return false;
  for (uint32_t i = 0; i < fBounded.GetCount(); ++i) list.Append(&fBounded[i]);

  C3dBox& box = fRoot->fBox;
  for (uint32_t axis = 0; axis < 3; ++axis) {
    const double extent = box.fMax[axis] - box.fMin[axis];
    if (extent > -kFlatExtent && extent < kFlatExtent) {
      At(box.fMin, axis) -= kFlatWidening;
      At(box.fMax, axis) += kFlatWidening;
    }
  }
  return Split(*fRoot) && IndexRecords({&fUnbounded, &fBounded});
}

// The middle of the node's own axis; in a counted tree, a cut that leaves a wide empty stretch of the
// box on one side of its records' span (the space between a camera and the things it looks at) if
// there is one, else the middle of the span's longest side.
CBSPTreeOptimizer::SCut CBSPTreeOptimizer::ChooseCut(const SBSPNode& node) const {
  const C3dBox& box = node.fBox;
  if (!fFollowsCount) {
    const uint32_t axis = node.fAxis;
    const double extent = box.fMax[axis] - box.fMin[axis];
    return {axis, box.fMin[axis] + extent * 0.5, extent > kMinExtent};
  }
  C3dBox span = C3dBox::Empty();
  for (uint32_t i = 0; i < node.fRecords.GetCount(); ++i) span.Union(node.fRecords[i]->fBox);
  SCut best;
  double widest = 0;
  for (uint32_t axis = 0; axis < 3; ++axis) {
    At(span.fMin, axis) = std::max(span.fMin[axis], box.fMin[axis]);
    At(span.fMax, axis) = std::min(span.fMax[axis], box.fMax[axis]);
    const double extent = box.fMax[axis] - box.fMin[axis];
    const double below = span.fMin[axis] - box.fMin[axis], above = box.fMax[axis] - span.fMax[axis];
    const double gap = std::max(below, above);
    if (gap > kMinExtent && gap > extent * kEmptyShare && gap > widest) {
      widest = gap;
      best = {axis, below >= above ? span.fMin[axis] : span.fMax[axis], true};
    }
  }
  if (best.valid) return best;
  const vector3<double> extent = span.fMax - span.fMin;
  const uint32_t axis = extent.x >= extent.y && extent.x >= extent.z ? 0 : extent.y >= extent.z ? 1 : 2;
  return {axis, span.fMin[axis] + extent[axis] * 0.5, extent[axis] > kMinExtent};
}

bool CBSPTreeOptimizer::Split(SBSPNode& node) {
  const uint32_t count = node.fRecords.GetCount();
  const SCut cut = count <= fLeafObjectLimit || node.fDepth > fDepthLimit ? SCut{} : ChooseCut(node);
  if (!cut.valid) {
    node.fRecords.Trim();
    return true;
  }
  node.fAxis = cut.axis;
  const uint32_t next = cut.axis == 2 ? 0 : cut.axis + 1;
  SBSPNode* lower = new SBSPNode(&fNodeCount, node.fDepth + 1, next);
  SBSPNode* upper = new SBSPNode(&fNodeCount, node.fDepth + 1, next);
  if (!lower || !upper || !lower->fValid || !upper->fValid || !Distribute(node, cut.at, *lower, *upper)) {
    delete lower;
    delete upper;
    return false;
  }
  if (fFollowsCount && lower->fRecords.GetCount() == count && upper->fRecords.GetCount() == count) {
    // Every record reaches across the cut: cutting deeper would only copy them.
    delete lower;
    delete upper;
    node.fRecords.Trim();
    return true;
  }
  node.fLower = lower;
  node.fUpper = upper;
  node.fRecords.Clear();
  node.fRecords.Trim();
  if (Split(*lower) && Split(*upper)) return true;
  node.DeleteChildren();
  return false;
}

bool CBSPTreeOptimizer::Distribute(const SBSPNode& node, double mid, SBSPNode& lower, SBSPNode& upper) const {
  const uint32_t axis = node.fAxis;
  lower.fBox = upper.fBox = node.fBox;
  At(lower.fBox.fMax, axis) = mid;
  At(upper.fBox.fMin, axis) = mid;
  for (uint32_t i = 0; i < node.fRecords.GetCount(); ++i) {
    SOptimizerObject* record = node.fRecords[i];
    const double low = record->fBox.fMin[axis], high = record->fBox.fMax[axis];
    // A counted tree gives a box that only touches the cut to its own side, so that a cut along the
    // edge of the records' span leaves the other side empty; the cells' overlap finds a hit on the
    // cut from either side.
    const bool lowerOnly = fFollowsCount ? high <= mid && low < mid : high < mid;
    const bool upperOnly = !lowerOnly && (fFollowsCount ? low >= mid && high > mid : low > mid);
    if (!upperOnly && !lower.fRecords.Append(record)) return false;
    if (!lowerOnly && !upper.fRecords.Append(record)) return false;
  }
  return true;
}

bool CBSPTreeOptimizer::Intersect(CRay& ray) {
  const bool unboundedHit = TestRecords(fUnbounded, ray);
  double near = 0, far = 0;
  if (!fRoot || !fRoot->fBox.IntersectRay(ray.fOrigin, ray.fDirection, near, far)) return unboundedHit;
  const bool treeHit = Descend(*fRoot, ray, near - kOverlap, far + kOverlap);
  return unboundedHit || treeHit;
}

bool CBSPTreeOptimizer::DescendLeaf(const SBSPNode& node, CRay& ray, double far) {
  const float upper = ray.fTMax;
  if (upper > far) ray.fTMax = float(far);
  if (TestRecords(node.fRecords, ray)) return true;
  ray.fTMax = upper;
  return false;
}

bool CBSPTreeOptimizer::Descend(const SBSPNode& node, CRay& ray, double near, double far) {
  if (node.IsLeaf()) return DescendLeaf(node, ray, far);
  const uint32_t axis = node.fAxis;
  const double split = node.fLower->fBox.fMax[axis];
  const double origin = ray.fOrigin[axis];
  const double direction = ray.fDirection[axis];
  const SBSPNode& first = origin <= split ? *node.fLower : *node.fUpper;
  const SBSPNode& second = origin <= split ? *node.fUpper : *node.fLower;
  const auto within = [&ray](double from, double to) { return ray.fTMax >= from && ray.fTMin <= to; };

  // A ray parallel to the cut stays on its origin's side; one that lies in the cut can meet only
  // objects touching it, which both children hold.
  if (direction == 0) return within(near, far) && Descend(first, ray, near, far);
  const double t = (split - origin) / direction;
  if (t == 0) return Descend(direction > 0 ? *node.fUpper : *node.fLower, ray, near, far);
  if (t > far || t < 0) return within(near, far) && Descend(first, ray, near, far);
  if (near > t) return within(near, far) && Descend(second, ray, near, far);

  const bool firstHit = within(near, t) && Descend(first, ray, near, t + kOverlap);
  if (ray.fTMax <= t) return firstHit;
  const bool secondHit = Descend(second, ray, t - kOverlap, far);
  return firstHit || secondHit;
}
