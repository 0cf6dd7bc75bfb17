#include "scene/ray_scratch.h"

#include <algorithm>
#include <new>

#include "scene/ray.h"

bool CFaceMailbox::BeginWalk(uint32_t faceCount) {
  try {
    if (fMarks.size() < faceCount) fMarks.resize(faceCount);
  } catch (const std::bad_alloc&) {
    return false;
  }
  fKept.clear();
  // After 2^32 walks the numbers could match again: the marks start afresh.
  if (++fWalk == 0) {
    std::fill(fMarks.begin(), fMarks.end(), SMark{});
    fWalk = 1;
  }
  return true;
}

bool CFaceMailbox::FirstVisit(uint32_t face) {
  SMark& mark = fMarks[face];
  if (mark.walk == fWalk) return false;
  mark = SMark{fWalk, 0};
  return true;
}

bool CFaceMailbox::Keep(uint32_t face, double t, const vector3<double>& point) {
  SMark& mark = fMarks[face];
  if (mark.walk != fWalk) mark = SMark{fWalk, 0};
  if (mark.kept) {
    fKept[mark.kept - 1] = SKept{t, point, true};
    return true;
  }
  try {
    fKept.push_back(SKept{t, point, true});
  } catch (const std::bad_alloc&) {
    return false;
  }
  mark.kept = uint32_t(fKept.size());
  return true;
}

bool CFaceMailbox::TakeKept(uint32_t face, double& t, vector3<double>& point) {
  const SMark& mark = fMarks[face];
  if (mark.walk != fWalk || !mark.kept) return false;
  SKept& kept = fKept[mark.kept - 1];
  if (!kept.waiting) return false;
  kept.waiting = false;
  t = kept.t;
  point = kept.point;
  return true;
}

CRayScratch::CSpanLease::CSpanLease(CRayScratch& scratch, uint32_t n) : fScratch(scratch), fFirst(scratch.fSpansLent) {
  try {
    while (fScratch.fSpans.size() < fFirst + n) fScratch.fSpans.emplace_back();
  } catch (const std::bad_alloc&) {
    return;
  }
  for (uint32_t i = 0; i < n; ++i) fScratch.fSpans[fFirst + i].clear();
  fScratch.fSpansLent = fFirst + n;
  fValid = true;
}

CRayScratch& ScratchOf(const CRay& ray) {
  if (ray.fScratch) return *ray.fScratch;
  thread_local CRayScratch own;
  return own;
}
