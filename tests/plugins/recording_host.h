// A host for import plug-ins that records every call a plug-in makes: it calls an entry, loaded from a
// ".qno" through the platform's library loader or linked in, with a 63-slot callback table of its own
// and a zeroed parameter block.
//
// Slot 0 answers document 1 (a knob makes it answer another), slot 1 answers 20. Slot 8 makes meshes of class 'tmsh' only (6 for any
// other); slots 9, 16 and 24 to 27 act on them and answer 7 for another document, 8 for a handle that
// names no live mesh. Every other slot answers 0. Knobs make the n-th call of a slot answer a code of
// the test's choosing instead. One host is active at a time: the callbacks reach the newest.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "document/plugin_protocol.h"
#include "platform/library.h"

struct SHostCall {
  int32_t slot;
  uint32_t document;
  uint32_t object;  // the mesh, for slots that take one
  int32_t first;    // progress: done; material property: its number; create: the class code
  int32_t second;   // progress: total; material property: its value
  std::string text;  // progress
};

struct SRecordedMesh {
  uint32_t handle = 0;
  bool finished = false;
  bool deleted = false;
  std::vector<std::pair<int32_t, int32_t>> properties;
  std::vector<std::array<float, 9>> triangles;  // three corners of x, y, z
};

class CRecordingHost {
 public:
  static constexpr uint32_t kDocument = 1;
  static constexpr int32_t kCancel = 24;

  CRecordingHost();
  ~CRecordingHost();
  CRecordingHost(const CRecordingHost&) = delete;
  CRecordingHost& operator=(const CRecordingHost&) = delete;

  // Loads the library and binds QNIOPLUGINENTRY; false when either fails.
  bool Load(const std::string& path);
  void Link(QNPluginEntry entry) { fEntry = entry; }
  // Frees a loaded library.
  void Unload();

  int32_t Call(uint32_t selector, void* block);
  // Selector 7, or 5, on a zeroed block holding the path (cut to its field).
  int32_t Import(const std::string& path);
  int32_t Probe(const std::string& path);

  // The n-th call (from 1) of the slot since the last Reset answers `answer` and does nothing else.
  void AnswerAt(int32_t slot, uint32_t n, int32_t answer);
  // The n-th progress call, or the n-th with this text, answers a cancel.
  void CancelAtProgress(uint32_t n, const std::string& text = {});
  // Calls and triangles cost memory; a host that only counts keeps neither.
  void SetRecording(bool keepCalls, bool keepTriangles);
  // Called with every progress call that no knob answers; its answer is the call's (a cancel when not
  // 0). For hosts that watch time: a user who cancels after a while, a bench that times the reports.
  void WatchProgress(std::function<int32_t(const char* text, int32_t done, int32_t total)> watch) {
    fProgressWatch = std::move(watch);
  }
  // Forgets calls, meshes and knobs.
  void Reset();

  const std::vector<SHostCall>& Calls() const { return fCalls; }
  // The slots called, in order, without progress calls.
  std::vector<int32_t> SlotsWithoutProgress() const;
  std::vector<SHostCall> CallsOf(int32_t slot) const;
  uint64_t CallCount(int32_t slot) const { return fCounts[size_t(slot)]; }
  const std::vector<SRecordedMesh>& Meshes() const { return fMeshes; }
  // Meshes made and not deleted.
  size_t LiveMeshes() const;
  std::vector<std::array<float, 9>> AllTriangles() const;

 private:
  friend struct SHostSlots;
  // True with *answer set when a knob names this call.
  bool Knob(int32_t slot, int32_t* answer, const char* text = "");
  void Record(SHostCall call);
  SRecordedMesh* LiveMesh(uint32_t handle);

  QNPluginEntry fEntry = nullptr;
  platform::LibraryHandle fLibrary = nullptr;
  QNHostFn fTable[QN_SLOT_COUNT] = {};
  struct SKnob {
    int32_t slot;
    uint32_t n;
    int32_t answer;
    std::string text;  // progress calls with other texts do not count
    uint32_t seen;
  };
  std::vector<SKnob> fKnobs;
  std::array<uint64_t, QN_SLOT_COUNT> fCounts = {};
  std::vector<SHostCall> fCalls;
  std::vector<SRecordedMesh> fMeshes;
  bool fKeepCalls = true;
  bool fKeepTriangles = true;
  std::function<int32_t(const char*, int32_t, int32_t)> fProgressWatch;
  CRecordingHost* fPrevious = nullptr;
};
