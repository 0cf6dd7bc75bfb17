// The application object: exactly one per process, reachable through GetApplication. It owns the
// framework's process-wide services (callback tables, environments, resource file, fragment system,
// element registry) and the main loop with its run phases. The chain is CAppl (platform-free core),
// CWinAppl (windows and input), COrdaxApp (progress and console) and the program's own class.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/cm_function.h"
#include "framework/core/file_spec.h"
#include "framework/core/rect.h"
#include "platform/system.h"
#include "platform/window.h"

class CNotification;
class CMemRecover;
class CElRegistry;
class CSpoolEnv;
class CDiscardEnv;
class CResourceEnv;
class CFragmentSys;

// The start-up record handed to the constructor chain.
struct SApplDesc {
  const char* name = nullptr;  // window title and message-box caption
  uint32_t defaultPoolBudget = 0;
  uint32_t objectsPoolBudget = 0;
  uint32_t dataPoolBudget = 0;
  uint32_t desktopColor = 0;  // 0x00RRGGBB
  platform::ModuleHandle instance = nullptr;
  platform::WindowHandle parentWindow = nullptr;
  bool startMenuBarHidden = false;
  bool keepWindowShown = false;
  bool createMenu = false;
};

class CAppl : public CBaseObject {
 public:
  static constexpr uint32_t kNameChars = 31;
  static constexpr int32_t kNotificationPriority = 0x7FFFFFEE;

  explicit CAppl(const SApplDesc& desc);
  ~CAppl() override;
  CAppl(const CAppl&) = delete;
  CAppl& operator=(const CAppl&) = delete;

  // Run phases. Each opening phase reports its own failure and calls Quit; the closing phases
  // tolerate that their opening phase never ran.
  virtual void Init(const CFileSpec* objectsSwap, const CFileSpec* discardSwap, const CFileSpec* dataSwap);
  virtual void Term();
  // Init in two steps, for a caller that tries several sets of swap files: the first makes the three
  // virtual memory environments or, failing, none (and says nothing); the second finishes Init when
  // they stand, and otherwise reports the failure and quits.
  bool CreateSpoolEnvironments(const CFileSpec* objectsSwap, const CFileSpec* discardSwap, const CFileSpec* dataSwap);
  void CompleteInit(bool environmentsMade);
  virtual void OpenResourceEnvironment(const CFileSpec* spec);
  virtual void CloseResourceEnvironment();
  virtual void CreateFragmentSystem(const char* listName);
  virtual void DeleteFragmentSystem();
  virtual void CreateUserInterface() {}
  virtual void DeleteUserInterface() {}
  virtual bool CreateMainWindow(const SApplDesc& desc) = 0;
  virtual void DestroyMainWindow() = 0;
  virtual void Idle() = 0;
  virtual void PumpMessages() = 0;
  virtual void Step();

  uint32_t GetNestingLevel() const { return fNestingLevel; }
  void Run();
  void Quit() { fRunning = false; }
  void RunNestedLoop();
  void EndNestedLoop();
  void RunModal();
  uint32_t GetModalLevel() const { return fModalLevel; }
  bool IsModalLevel(uint32_t level) { return IsActive() && fModalLevel == level; }
  void BeginModal() { ++fModalLevel; }
  void EndModal() {
    if (fModalLevel) --fModalLevel;
  }
  bool IsRunning() const { return fRunning; }
  // The hold counter: raised while something (an open remote element) holds the application.
  void RaiseHold() { ++fHoldCount; }
  void LowerHold() {
    if (fHoldCount) --fHoldCount;
  }
  uint32_t GetHoldCount() const { return fHoldCount; }
  // True once every opening phase succeeded and the loop began: the start happened.
  bool HasStarted() const { return fStarted; }
  static bool IsInitialised();
  const char* GetName() const { return fName; }
  const uint32_t* GetDesktopColor() const { return &fDesktopColor; }

  // Platform queries (CWinAppl).
  virtual bool IsActive() = 0;
  virtual void WaitClick(bool heartbeats, bool pump, bool flush) = 0;
  virtual bool IsMouseDown() = 0;
  virtual bool IsStillDown() = 0;
  virtual platform::SPoint GetCursorPos() = 0;
  virtual bool IsCursorHidden() = 0;
  virtual void HideCursor() = 0;
  virtual void ShowCursor() = 0;
  virtual bool IsBusyCursor() = 0;
  virtual void SetBusyCursor() = 0;
  virtual void SetArrowCursor() = 0;
  virtual bool IsKeyDown(uint32_t virtualKey) = 0;
  virtual bool IsShiftDown() = 0;
  virtual bool IsControlDown() = 0;
  virtual bool IsAltDown() = 0;
  virtual bool IsCommandDown() = 0;
  virtual bool IsCapsLockOn() = 0;
  virtual bool IsEscapeDown() = 0;
  virtual bool IsInputPending() = 0;
  virtual bool IsClickPending() = 0;
  virtual bool IsKeyPending() = 0;
  virtual bool IsUserInterrupt() = 0;
  virtual bool IsPaintPending() = 0;
  // Paints what waits to be painted and leaves every other message in the queue, so that the windows
  // a file dialog uncovered are whole again before a long operation holds the loop.
  virtual void DispatchPaintMessages() = 0;
  // Has every window of the program repainted whole.
  virtual void RedrawAllWindows() = 0;
  virtual void FlushInput() = 0;
  virtual SRect GetScreenRect() = 0;
  virtual void ShowMessage(const char* text) = 0;
  // A question with the buttons Yes and No: true for Yes.
  virtual bool AskYesNo(const char* text) = 0;

  bool IsMenuBarHidden() const { return fMenuBarHidden; }
  int32_t GetMenuBarHeight() const { return fMenuBarHeight; }
  virtual void HideMenuBar() { fMenuBarHidden = true; }
  virtual void ShowMenuBar() { fMenuBarHidden = false; }
  bool IsMenuBarAutoHide() const { return fMenuBarAutoHide; }
  virtual void SetMenuBarAutoHide(bool autoHide) { fMenuBarAutoHide = autoHide; }
  virtual bool IsIconic() { return false; }
  uint32_t GetUserValue() const { return fUserValue; }
  void SetUserValue(uint32_t value) { fUserValue = value; }

  // File dialogs: 0 with the chosen file's path in *spec, 24 when cancelled, else the mapped error.
  virtual int32_t ChooseFileToOpen(CFileSpec* spec, const char* filter, const char* title,
                                   const char* initialName) = 0;
  // defaultExtension (without its dot): what a name chosen without an extension gets.
  virtual int32_t ChooseFileToSave(CFileSpec* spec, bool* replacing, const char* filter, const char* title,
                                   const char* initialName, const char* defaultExtension = nullptr) = 0;
  // Resolves name against the program's folder.
  virtual int32_t SetModuleDirectory(const char* name, CFileSpec* spec) = 0;

  CMemRecover* GetDataMemRecover() const { return fDataMemRecover; }
  CMemRecover* GetObjectsMemRecover() const { return fObjectsMemRecover; }
  CNotification* GetNotification() const { return fNotification; }
  // The environments Init makes: scene objects (objects pool), data that may be dropped, and large
  // data (both in the data pool).
  CSpoolEnv* GetObjectsEnv() const { return fObjectsSpoolEnv; }
  CDiscardEnv* GetDiscardEnv() const { return fDiscardEnv; }
  CSpoolEnv* GetDataEnv() const { return fDataSpoolEnv; }
  CResourceEnv* GetResourceEnv() const { return fResourceEnv; }
  CFragmentSys* GetFragmentSys() const { return fFragmentSys; }

  // Error reporting: a code becomes a notice on the Notification table; unless a subscriber takes it
  // first, the application shows its text.
  void TellError(int32_t code);
  int32_t Notify(const char* tableName, int32_t code, uint32_t extra);
  int32_t NotifyRecord(SNotifyRecord& record);
  [[noreturn]] void TellFatalError(int32_t code);
  [[noreturn]] void TellFatalMessage(const char* tableName, int32_t code, uint32_t extra);
  [[noreturn]] void TellFatal(SNotifyRecord& record);
  static int32_t OnNotification(void* owner, void* record, void* data);
  void ReportError(int32_t code);

  // Heartbeat: rows are called in the order they were added.
  bool IsHeartbeatSubscriber(const void* owner);
  bool SubscribeHeartbeat(const void* owner, CFCallback callback);
  bool UnsubscribeHeartbeat(const void* owner);
  uint32_t GetHeartbeatCount() const { return fHeartbeatCount; }
  virtual void Heartbeat(bool pump);
  CCmFunction* GetHeartbeat() const { return fHeartbeat; }

  // Receivers: program-wide broadcasts, in ascending priority.
  bool IsReceiver(const void* owner);
  bool AddReceiver(const void* owner, CFCallback callback, int32_t priority);
  bool RemoveReceiver(const void* owner);
  bool GetReceiverPriority(const void* owner, int32_t* priority);
  bool SetReceiverPriority(const void* owner, int32_t priority);
  void SetReceiversSorted() { fReceiversUnsorted = false; }
  void SetReceiversUnsorted() { fReceiversUnsorted = true; }
  int32_t BroadcastToReceivers(uint32_t a, uintptr_t b);
  bool AreReceiversUnsorted() const { return fReceiversUnsorted; }
  CCmFunction* GetReceivers() const { return fReceivers; }
  CElRegistry* GetElementRegistry() const { return fElRegistry; }

  // Whether the fatal stop may show its message through ShowMessage: set once the layer that shows
  // messages exists, so a stop during the first layer's construction never calls an unbuilt one.
  bool CanShowMessages() const { return fCanShowMessages; }

 protected:
  static void SetInitialised(bool initialised);
  void SetCanShowMessages(bool can) { fCanShowMessages = can; }
  void SetMenuBarHiddenFlag(bool hidden) { fMenuBarHidden = hidden; }
  void SetMenuBarHeight(int32_t height) { fMenuBarHeight = height; }
  void ShowFormatted(const char* pattern, int32_t code);

 private:
  void CreateTables();
  void CheckTables();
  void RegisterElementClasses();
  void UnregisterElementClasses();

  char fName[kNameChars + 1] = {};
  uint32_t fUserValue = 0;
  CNotification* fNotification = nullptr;
  CMemRecover* fDataMemRecover = nullptr;
  CMemRecover* fObjectsMemRecover = nullptr;
  CCmFunction* fHeartbeat = nullptr;
  uint32_t fHeartbeatCount = 0;
  CCmFunction* fReceivers = nullptr;
  bool fReceiversUnsorted = false;
  CElRegistry* fElRegistry = nullptr;
  CSpoolEnv* fDataSpoolEnv = nullptr;
  CSpoolEnv* fObjectsSpoolEnv = nullptr;
  CDiscardEnv* fDiscardEnv = nullptr;
  CResourceEnv* fResourceEnv = nullptr;
  CFragmentSys* fFragmentSys = nullptr;
  uint32_t fDesktopColor = 0;
  uint32_t fNestingLevel = 0;
  uint32_t fModalLevel = 0;
  uint32_t fHoldCount = 0;
  int32_t fMenuBarHeight = 0;
  bool fRunning = false;
  bool fStarted = false;
  bool fMenuBarHidden = false;
  bool fMenuBarAutoHide = false;
  bool fCanShowMessages = false;
  bool fObjectsEnvRegistered = false;
};

CAppl* GetApplication();

// 0 for a plain file (or for nothing there: the open says what is missing). A folder, a pipe or a
// device is named in the application's message before anything opens it (a pipe's open would wait
// for good), and the answer is the silent failure 25.
int32_t RefuseNonPlainFile(const char* path);
