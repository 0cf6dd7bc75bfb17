// Spool blocks that a scene object keeps locked from the start of a render to its end, so that the
// render's threads read them without locking. Holds take at most three quarters of a pool: a scene
// larger than that leaves the rest of its objects unheld, and a thread that reads one locks it for as
// long as it reads, paging it in while the others go on, in the room the holds left. Renders of the same scene
// may nest; the outermost one locks and unlocks. Holds begin and end on the program's thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <mutex>

class CSpoolMem;

class CRenderHold {
 public:
  static constexpr uint32_t kMostBlocks = 4;

  CRenderHold() = default;
  CRenderHold(const CRenderHold&) = delete;
  CRenderHold& operator=(const CRenderHold&) = delete;
  ~CRenderHold();

  // The outermost Begin locks every block, or none when one cannot be locked or the pools have no
  // share left for them. True for the outermost Begin.
  bool Begin(std::initializer_list<CSpoolMem*> blocks);
  // True for the outermost End, which unlocks.
  bool End();
  // Whether a render is under way, and whether its blocks are locked.
  bool IsRendering() const { return fDepth > 0; }
  bool IsHeld() const { return fCount > 0; }
  // Unlocks what is held and forgets the renders, before the blocks go away with their object.
  void Release();

  // Taken by a thread that locks an unheld object's blocks during a render, for as long as it keeps
  // them: one thread at a time pages such blocks in, so that a lock fails only when the object alone
  // does not fit, whichever and however many threads render. Outside a render it takes nothing.
  class CTurn {
   public:
    explicit CTurn(const CRenderHold& hold);
    CTurn(const CTurn&) = delete;
    CTurn& operator=(const CTurn&) = delete;

   private:
    std::unique_lock<std::mutex> fLock;
  };

  // The bytes that holds keep locked now, in every pool together.
  static uint64_t HeldBytes();

 private:
  CSpoolMem* fBlocks[kMostBlocks] = {};
  uint64_t fBytes[kMostBlocks] = {};
  uint32_t fCount = 0;
  uint32_t fDepth = 0;
};
