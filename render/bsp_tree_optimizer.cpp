#include "render/bsp_tree_optimizer.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "scene/object.h"
#include "scene/ray.h"

namespace {

constexpr uint32_t kRecordStep = 8;
constexpr uint32_t kNodeStep = 64;
constexpr uint32_t kLeafRecordStep = 256;
// A scene flat along an axis gets this much room on either side, so that its box has a volume.
constexpr double kFlatExtent = 0.01;
constexpr double kFlatWidening = 0.25;
// A cell this thin is not cut again.
constexpr double kMinExtent = 0.001;
// A counted tree cuts away an empty stretch of a cell beside its records once it is this share of the
// cell's side.
constexpr double kEmptyShare = 0.25;
// How far a counted tree's cut may move from the middle of its records' span, as a share of the span.
constexpr double kCutLeeway = 0.25;
// Neighbouring cells' intervals overlap by this much, so a hit on the cut is found from either side.
constexpr double kOverlap = 0.0001;

double& At(vector3<double>& v, uint32_t axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

}  // namespace

CBSPTreeOptimizer::CBSPTreeOptimizer(uint32_t depthLimit, uint32_t leafObjectLimit)
    : fNodes(SRange{0, kNodeStep}, OptimizerTablePool()),
      fLeafRecords(SRange{0, kLeafRecordStep}, OptimizerTablePool()),
      fLeafObjectLimit(leafObjectLimit),
      fDepthLimit(depthLimit),
      fUnbounded(SRange{0, kRecordStep}, OptimizerTablePool()),
      fBounded(SRange{0, kRecordStep}, OptimizerTablePool()) {
  fTablesValid = fNodes.IsValid() && fLeafRecords.IsValid() && fUnbounded.IsValid() && fBounded.IsValid();
  fValid = fTablesValid && MakeRoot();
}

CBSPTreeOptimizer::~CBSPTreeOptimizer() = default;

// A single empty leaf, its box kept when there is one already.
bool CBSPTreeOptimizer::MakeRoot() {
  SBSPNode root;
  if (fNodes.GetCount()) root.fBox = fNodes[0].fBox;
  fNodes.Clear();
  fLeafRecords.Clear();
  fNodes.SetStep(kNodeStep);
  fLeafRecords.SetStep(kLeafRecordStep);
  return fNodes.Append(root);
}

bool CBSPTreeOptimizer::Begin() {
  fNodes.Clear();
  fNodes.Trim();
  fLeafRecords.Trim();
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
  if (!fNodes.GetCount()) return false;
  const SOptimizerObject record{object, object->WorldBox()};
  if (object->IsUnbounded()) return fUnbounded.Append(record);
  if (!fBounded.Append(record)) return false;
  C3dBox& box = fNodes[0].fBox;
  if (fBounded.GetCount() == 1)
    box = record.fBox;
  else
    box.Union(record.fBox);
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
  CRecordList* all = ScratchList(0);
  // Leaves of a few things make fewer nodes than things; room for that many at once spares the copies
  // of growth.
  const uint32_t nodes = fFollowsCount ? fBounded.GetCount() : 0;
  bool built = MakeRoot() && fNodes.Reserve(nodes) && all && all->Reserve(fBounded.GetCount());
  if (built) {
    for (uint32_t i = 0; i < fBounded.GetCount(); ++i) all->Append(&fBounded[i]);
    C3dBox& box = fNodes[0].fBox;
    for (uint32_t axis = 0; axis < 3; ++axis) {
      const double extent = box.fMax[axis] - box.fMin[axis];
      if (extent > -kFlatExtent && extent < kFlatExtent) {
        At(box.fMin, axis) -= kFlatWidening;
        At(box.fMax, axis) += kFlatWidening;
      }
    }
    built = Split(0, *all);
  }
  fScratch.clear();
  // A tree left half built is an empty leaf, not a tree of dangling rows.
  if (!built) MakeRoot();
  fNodes.SetStep(0);
  fLeafRecords.SetStep(0);
  LinkNodes();
  return built && IndexRecords({&fUnbounded, &fBounded});
}

CBSPTreeOptimizer::CRecordList* CBSPTreeOptimizer::ScratchList(uint32_t depth) {
  while (fScratch.size() <= depth) {
    auto list = std::make_unique<CRecordList>(SRange{0, kNodeStep}, OptimizerTablePool());
    if (!list->IsValid()) return nullptr;
    fScratch.push_back(std::move(list));
  }
  fScratch[depth]->Clear();
  return fScratch[depth].get();
}

void CBSPTreeOptimizer::LinkNodes() {
  SBSPNode* nodes = fNodes.GetRecords();
  SOptimizerObject* const* records = fLeafRecords.GetRecords();
  for (uint32_t row = 0; row < fNodes.GetCount(); ++row) {
    SBSPNode& node = nodes[row];
    node.fLower = node.fLowerRow ? nodes + node.fLowerRow : nullptr;
    node.fUpper = node.fLowerRow ? nodes + node.fLowerRow + 1 : nullptr;
    node.fRecords = SBSPRecords{node.fRecords.fCount ? records + node.fFirstRecord : nullptr, node.fRecords.fCount};
  }
}

// The middle of the node's own axis; in a counted tree, a cut that leaves a wide empty stretch of the
// box on one side of its records' span (the space between a camera and the things it looks at) if
// there is one, else the middle of the span's longest side.
CBSPTreeOptimizer::SCut CBSPTreeOptimizer::ChooseCut(const SBSPNode& node, const CRecordList& records) const {
  const C3dBox& box = node.fBox;
  if (!fFollowsCount) {
    const uint32_t axis = node.fAxis;
    const double extent = box.fMax[axis] - box.fMin[axis];
    return {axis, box.fMin[axis] + extent * 0.5, extent > kMinExtent};
  }
  C3dBox span = C3dBox::Empty();
  for (uint32_t i = 0; i < records.GetCount(); ++i) span.Union(records[i]->fBox);
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
  const double mid = span.fMin[axis] + extent[axis] * 0.5;
  return {axis, LeastCrossedCut(records, axis, mid, extent[axis] * kCutLeeway), extent[axis] > kMinExtent};
}

// A cut through a row of things puts the row into both children, and again at every level below. So
// where records reach across the middle, the cut moves to the far edge of those records on either
// side, within the leeway, when fewer records reach across it there.
double CBSPTreeOptimizer::LeastCrossedCut(const CRecordList& records, uint32_t axis, double mid,
                                          double leeway) const {
  const auto crosses = [&](const SOptimizerObject& record, double at) {
    const SSides sides = SidesOf(record, axis, at);
    return sides.lower && sides.upper;
  };
  uint32_t crossing = 0;
  double lowest = mid, highest = mid;
  for (uint32_t i = 0; i < records.GetCount(); ++i) {
    if (!crosses(*records[i], mid)) continue;
    ++crossing;
    lowest = std::min(lowest, records[i]->fBox.fMin[axis]);
    highest = std::max(highest, records[i]->fBox.fMax[axis]);
  }
  if (!crossing) return mid;
  const double candidates[] = {highest, lowest};
  uint32_t counts[2] = {};
  for (uint32_t i = 0; i < records.GetCount(); ++i) {
    for (int c = 0; c < 2; ++c) counts[c] += crosses(*records[i], candidates[c]);
  }
  double cut = mid;
  for (int c = 0; c < 2; ++c) {
    if (std::abs(candidates[c] - mid) <= leeway && counts[c] < crossing) {
      crossing = counts[c];
      cut = candidates[c];
    }
  }
  return cut;
}

bool CBSPTreeOptimizer::Split(uint32_t row, const CRecordList& records) {
  const uint32_t count = records.GetCount();
  const SBSPNode node = fNodes[row];
  const SCut cut = count <= fLeafObjectLimit || node.fDepth > fDepthLimit ? SCut{} : ChooseCut(node, records);
  if (!cut.valid) return MakeLeaf(row, records);
  uint32_t lowerCount = 0, upperCount = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const SSides sides = SidesOf(*records[i], cut.axis, cut.at);
    lowerCount += sides.lower;
    upperCount += sides.upper;
  }
  // Every record reaches across the cut: cutting deeper would only copy them.
  if (fFollowsCount && lowerCount == count && upperCount == count) return MakeLeaf(row, records);

  SBSPNode lower, upper;
  lower.fBox = upper.fBox = node.fBox;
  At(lower.fBox.fMax, cut.axis) = cut.at;
  At(upper.fBox.fMin, cut.axis) = cut.at;
  lower.fAxis = upper.fAxis = cut.axis == 2 ? 0 : cut.axis + 1;
  lower.fDepth = upper.fDepth = node.fDepth + 1;
  const uint32_t lowerRow = fNodes.GetCount();
  if (!fNodes.Append(lower) || !fNodes.Append(upper)) return false;
  fNodes[row].fAxis = cut.axis;
  fNodes[row].fLowerRow = lowerRow;
  for (const bool upperSide : {false, true}) {
    CRecordList* side = ScratchList(node.fDepth + 1);
    // Sized once: a list of many records grown one append at a time would be copied over and over.
    if (!side || !side->Reserve(upperSide ? upperCount : lowerCount)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      const SSides sides = SidesOf(*records[i], cut.axis, cut.at);
      if (upperSide ? sides.upper : sides.lower) side->Append(records[i]);
    }
    if (!Split(lowerRow + upperSide, *side)) return false;
  }
  return true;
}

bool CBSPTreeOptimizer::MakeLeaf(uint32_t row, const CRecordList& records) {
  const uint32_t first = fLeafRecords.GetCount();
  if (!fLeafRecords.Reserve(records.GetCount())) return false;
  for (uint32_t i = 0; i < records.GetCount(); ++i) fLeafRecords.Append(records[i]);
  fNodes[row].fFirstRecord = first;
  fNodes[row].fRecords.fCount = records.GetCount();
  return true;
}

// A counted tree gives a box that only touches the cut to its own side, so that a cut along the edge
// of the records' span leaves the other side empty; the cells' overlap finds a hit on the cut from
// either side.
CBSPTreeOptimizer::SSides CBSPTreeOptimizer::SidesOf(const SOptimizerObject& record, uint32_t axis,
                                                     double mid) const {
  const double low = record.fBox.fMin[axis], high = record.fBox.fMax[axis];
  const bool lowerOnly = fFollowsCount ? high <= mid && low < mid : high < mid;
  const bool upperOnly = !lowerOnly && (fFollowsCount ? low >= mid && high > mid : low > mid);
  return {!upperOnly, !lowerOnly};
}

bool CBSPTreeOptimizer::Intersect(CRay& ray) {
  const bool unboundedHit = TestRecords(fUnbounded, ray);
  double near = 0, far = 0;
  const SBSPNode* root = GetRoot();
  if (!root || !root->fBox.IntersectRay(ray.fOrigin, ray.fDirection, near, far)) return unboundedHit;
  const bool treeHit = Descend(*root, ray, near - kOverlap, far + kOverlap);
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
