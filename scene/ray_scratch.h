// What intersections write while they answer one ray, which no scene object may keep: every render
// thread asks every object at once. A render hands each of its workers a scratch of its own, and the
// rays of the worker's trees reach it through CRay::fScratch; a ray without one (picking, a single
// ray a tool or test traces) uses the calling thread's. Everything here grows from the heap, never
// from a pool, since the calling thread may be using the pools while workers trace.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "framework/core/vector3.h"
#include "scene/boolean_resolver.h"
#include "scene/object.h"

struct CRay;

// Which faces of one mesh a ray's walk through the mesh's cells has tested, so that a face listed in
// many cells costs one plane test a ray, and the hits that lay beyond the cell where they were found,
// waiting for their own cell.
class CFaceMailbox {
 public:
  // A new walk over a mesh of faceCount faces, none of them tested; false when memory fails.
  bool BeginWalk(uint32_t faceCount);
  // True the first time the walk asks about the face.
  bool FirstVisit(uint32_t face);
  // Keeps the face's hit for a later cell of the walk.
  bool Keep(uint32_t face, double t, const vector3<double>& point);
  // The hit kept for the face, which then waits no more; false when none waits.
  bool TakeKept(uint32_t face, double& t, vector3<double>& point);

 private:
  struct SMark {
    uint32_t walk = 0;
    // 1 + the face's entry in fKept during this walk; 0 for none.
    uint32_t kept = 0;
  };
  struct SKept {
    double t = 0;
    vector3<double> point;
    bool waiting = false;
  };

  std::vector<SMark> fMarks;
  std::vector<SKept> fKept;
  uint32_t fWalk = 0;
};

class CRayScratch {
 public:
  CFaceMailbox& Mailbox() { return fMailbox; }
  // Serves the boolean groups of one ray at a time: a group resolves its members' lists after all of
  // them (nested groups included) have been collected.
  CBooleanResolver& Resolver() { return fResolver; }

  // n empty span lists for a boolean group's members, lent until the lease ends; leases nest, the
  // latest ending first, and a list stays where it is while it is lent.
  class CSpanLease {
   public:
    CSpanLease(CRayScratch& scratch, uint32_t n);
    ~CSpanLease() { fScratch.fSpansLent = fFirst; }
    CSpanLease(const CSpanLease&) = delete;
    CSpanLease& operator=(const CSpanLease&) = delete;
    // False when memory failed; the lease then holds no list.
    bool IsValid() const { return fValid; }
    CSpanList& operator[](uint32_t i) { return fScratch.fSpans[fFirst + i]; }

   private:
    CRayScratch& fScratch;
    size_t fFirst;
    bool fValid = false;
  };

 private:
  CFaceMailbox fMailbox;
  CBooleanResolver fResolver;
  // A deque, so that lists lent stay in place while later leases add more.
  std::deque<CSpanList> fSpans;
  size_t fSpansLent = 0;
};

// The ray's scratch, or the calling thread's for a ray that has none.
CRayScratch& ScratchOf(const CRay& ray);
