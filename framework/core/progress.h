// Nested progress levels. A long operation opens a level with its number of steps, advances it and
// closes it; each level's fraction includes the partial progress of the levels inside it. Subscribers
// on the progress notification table hear of every change.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/cm_function.h"
#include "framework/core/timer.h"

class CProgress;

// Messages of the progress notification table.
enum : uint32_t {
  kProgressOutermostOpened = 0,
  kProgressOpened = 1,
  kProgressChanged = 2,
  kProgressTitleChanged = 3,
  kProgressOpenedFlagged = 4,
  kProgressOpenedUnflagged = 5,
  kProgressClosed = 6,
  kProgressOutermostClosed = 7,
};

struct SProgressRecord {
  uint32_t reserved = 0;
  uint32_t message = 0;
  CProgress* innermost = nullptr;
  CProgress* outermost = nullptr;
};

class CProgress : public CBaseObject {
 public:
  static constexpr uint32_t kTitleChars = 63;

  // Opens a level; the 65th nested level is a fatal stop.
  CProgress(uint32_t total, const char* title = nullptr, bool flag = false);
  CProgress(const CProgress&) = delete;
  CProgress& operator=(const CProgress&) = delete;
  ~CProgress() override;  // completes the level and closes it

  static bool InitSystem(uint32_t capacity, SRange tableSpec);
  static void EndSystem();
  static bool IsSystemReady();
  static uint32_t GetDepth();
  static CProgress* GetProgressLevel(uint32_t index);

  // Advances by n steps; answers the last subscriber answer, or 0 when nothing moved.
  int32_t Step(const char* title = nullptr, uint32_t n = 1);
  void SetTitle(const char* title);
  // The message shown with the title (at most 63 characters); subscribers hear of it as of a title.
  void SetText(const char* text);

  uint32_t GetLevel() const { return fLevel; }
  const char* GetTitle() const { return fTitle; }
  const char* GetText() const { return fText; }
  uint32_t GetTotal() const { return fTotal; }
  uint32_t GetDone() const { return fDone; }
  float GetFraction() const { return fFraction; }
  bool GetFlag() const { return fFlag; }
  const CTimer& GetTimer() const { return fTimer; }
  uint32_t fUserWords[2] = {0, 0};  // for the subscribers' use

 private:
  void CopyTitle(const char* title);
  static void CopyText(char* to, const char* text);
  static int32_t Send(uint32_t message);
  static void RecomputeFractions();

  uint32_t fLevel = 0;
  char fTitle[kTitleChars + 1] = {};
  char fText[kTitleChars + 1] = {};
  uint32_t fTotal = 0;
  uint32_t fDone = 0;
  float fStepWeight = 0;
  float fFraction = 0;
  CTimer fTimer;
  bool fFlag = false;
  bool fStacked = false;
};

bool ProgressSubscribe(const void* owner, CFCallback callback);
bool ProgressUnsubscribe(const void* owner);
