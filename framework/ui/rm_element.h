// Remote elements: elements opened and closed on demand, like the pages of a panel. Opening can
// build the children from the layout, show the element and hold the application; the last close
// undoes that and may free the children again. Four routines that a routine list names in code
// fragments may veto or follow opening and closing. Stored as an "elem" record followed by an "rmel"
// record of the same number or name.
#pragma once

#include <cstdint>

#include "framework/ui/element.h"

class CRsElement;

class CRmElement : public CElement {
 public:
  static constexpr const char* kTag = "rmel";
  // The stored "rmel" record: big-endian, at least kRemoteRecordBytes long.
  static constexpr uint32_t kRemoteRecordBytes = 64;
  enum ERemoteRecordOffset : uint32_t {
    kRemoteListNumber = 24,
    kRemoteListName = 28,  // 32 bytes
    kRemoteOptions = 60,
  };
  enum EOption : uint32_t {
    kBuildChildrenOnOpen = 0x01,
    kFreeChildrenOnClose = 0x02,  // after the last close
    kShowOnOpen = 0x04,           // the first
    kHideOnClose = 0x08,          // the last
    kHoldApplication = 0x10,      // while open
    kBindRoutines = 0x20,         // from a routine list
    kRoutinesByName = 0x40,
    kRoutinesOwnKey = 0x80,       // the list has the element's own number or name
  };

  static bool RegisterType();
  static bool UnregisterType();
  static int32_t CreateFromResource(void* registryData, void* request, void* data);
  static int32_t NewByNumber(CRmElement** element, CResourceEnv* environment, uint32_t number);
  static int32_t NewByName(CRmElement** element, CResourceEnv* environment, const char* name);
  // The record handler of "rmel" records: after reading and around writing it checks the size,
  // turns the numbers around and checks the tag and version (2 and false on any mismatch).
  static uint32_t HandleSpoolMessage(CSpoolMem* record, uint32_t message, void* argument);

  // Closed, without routines; builds its children on open, shows on the first open and hides on the
  // last close.
  explicit CRmElement(const SElementDesc& desc);

  // The "elem" record, then the "rmel" record of the same number (or name, when one is given): the
  // five option flags and, when asked, the routines.
  int32_t Load(CResourceEnv* environment, uint32_t number, const char* name);
  // Entries 0 to 3 of the routine list name can-open, can-close, open and close: an empty entry
  // changes nothing, "NULL" clears. 110 without a fragment system, else the first failure.
  int32_t BindRoutines(CResourceEnv* environment, uint32_t number, const char* name);

  // 0 when the routine is none.
  virtual int32_t RunCanOpenRoutine(void* parameters);
  virtual int32_t RunCanCloseRoutine(void* parameters);
  virtual int32_t RunOpenRoutine(void* parameters);
  virtual int32_t RunCloseRoutine(void* parameters);
  // Open calls not yet matched by Close, and Open calls ever made.
  virtual uint32_t GetOpenDepth() const { return fOpenDepth; }
  virtual uint32_t GetOpenCount() const { return fOpenCount; }
  virtual bool BuildsChildrenOnOpen() const { return fBuildsChildren != 0; }
  virtual bool FreesChildrenOnClose() const { return fFreesChildren != 0; }
  virtual bool ShowsOnOpen() const { return fShowsOnOpen != 0; }
  virtual bool HidesOnClose() const { return fHidesOnClose != 0; }
  virtual bool HoldsApplication() const { return fHoldsApplication != 0; }
  // The parent when it is a switcher.
  virtual CRsElement* GetSwitcher() const;
  virtual int32_t CanOpen(void* parameters) { return RunCanOpenRoutine(parameters); }
  virtual RmRoutine GetCanOpenRoutine() const { return fCanOpen; }
  virtual int32_t CanClose(void* parameters) { return RunCanCloseRoutine(parameters); }
  virtual RmRoutine GetCanCloseRoutine() const { return fCanClose; }
  // Deepens: builds missing children, runs the open routine, and on the first open holds the
  // application and shows the element. A failure of the first two is answered at once, the depth and
  // the count staying raised.
  virtual int32_t Open(void* parameters);
  virtual RmRoutine GetOpenRoutine() const { return fOpen; }
  // Undoes one Open (20 when there is none): on the last, hides and lets the application go, runs
  // the close routine and frees the children when configured. Answers the close routine's code; the
  // close itself always completes.
  virtual int32_t Close(void* parameters);
  virtual RmRoutine GetCloseRoutine() const { return fClose; }
  virtual void SetCanOpenRoutine(RmRoutine routine) { fCanOpen = routine; }
  virtual void SetCanCloseRoutine(RmRoutine routine) { fCanClose = routine; }
  virtual void SetOpenRoutine(RmRoutine routine) { fOpen = routine; }
  virtual void SetCloseRoutine(RmRoutine routine) { fClose = routine; }
  virtual bool SetBuildsChildrenOnOpen(bool on) { return (fBuildsChildren = on) != 0; }
  virtual bool SetFreesChildrenOnClose(bool on) { return (fFreesChildren = on) != 0; }
  virtual bool SetShowsOnOpen(bool on) { return (fShowsOnOpen = on) != 0; }
  virtual bool SetHidesOnClose(bool on) { return (fHidesOnClose = on) != 0; }
  virtual bool SetHoldsApplication(bool on) { return (fHoldsApplication = on) != 0; }

 private:
  void SetRoutineOfKind(uint32_t index, void* routine);

  uint32_t fOpenDepth = 0;
  uint32_t fOpenCount = 0;
  RmRoutine fCanOpen = nullptr;
  RmRoutine fCanClose = nullptr;
  RmRoutine fOpen = nullptr;
  RmRoutine fClose = nullptr;
  uint8_t fBuildsChildren = 1;
  uint8_t fFreesChildren = 0;
  uint8_t fShowsOnOpen = 1;
  uint8_t fHidesOnClose = 1;
  uint8_t fHoldsApplication = 0;
};
