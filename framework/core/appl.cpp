#include "framework/core/appl.h"

#include <cstring>
#include <string>

#include "framework/core/el_registry.h"
#include "framework/core/fatal.h"
#include "framework/core/file.h"
#include "framework/core/format_text.h"
#include "framework/core/fragment_sys.h"
#include "framework/core/ix_text.h"
#include "framework/core/math_tables.h"
#include "framework/core/mem_pool.h"
#include "framework/core/mem_recover.h"
#include "framework/core/notification.h"
#include "framework/core/ordax.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/core/ui_services.h"
#include "platform/ansi_text.h"
#include "platform/file.h"
#include "platform/system.h"

namespace {

CAppl* gApplication = nullptr;
// The flag, not the pointer, decides whether another application may be built.
bool gInitialised = false;

constexpr const char* kErrorsList = "errors_";
constexpr const char* kFatalReason = "CAppl::TellFatal(): ordax application fatal error.";
constexpr const char* kNotFound = "The default application ordax resource environment could not be found.";

template <typename T>
void DeleteAndClear(T*& p) {
  delete p;
  p = nullptr;
}

}  // namespace

CAppl* GetApplication() { return gApplication; }

int32_t RefuseNonPlainFile(const char* path) {
  const std::string reason = platform::NotPlainFileReason(path ? path : "");
  if (reason.empty()) return kNoErr;
  const std::string message = "\"" + platform::Utf8ToAnsi(path) + "\" cannot be opened: " + reason + ".";
  if (CAppl* app = GetApplication()) app->ShowMessage(message.c_str());
  return kSilentCode25;
}

bool CAppl::IsInitialised() { return gInitialised; }

void CAppl::SetInitialised(bool initialised) { gInitialised = initialised; }

CAppl::CAppl(const SApplDesc& desc) {
  if (!IsOrdaxInitialized()) Fatal("Ordax was not properly initialized.");
  if (gInitialised) Fatal("Cannot create multiple CAppl objects.");
  gApplication = this;
  if (desc.name) {
    std::strncpy(fName, desc.name, kNameChars);
    fName[kNameChars] = 0;
  }
  // Without pools the application stays uninitialised through every layer, and the framework
  // application's constructor stops the program.
  if (!CMemPool::CreatePools(desc.defaultPoolBudget, desc.objectsPoolBudget, desc.dataPoolBudget)) return;
  if (!InitMathTables()) Fatal("Initialization of CMath failed.");
  CreateTables();
  CheckTables();
  if (!fNotification->Subscribe(this, &CAppl::OnNotification, kNotificationPriority))
    Fatal("Failed to subscribe to the Notification CF.");
  fDesktopColor = desc.desktopColor;
  gInitialised = true;
  RegisterElementClasses();
}

CAppl::~CAppl() {
  if (gInitialised) {
    UnregisterElementClasses();
    gInitialised = false;
    DeleteAndClear(fElRegistry);
    DeleteAndClear(fReceivers);
    DeleteAndClear(fHeartbeat);
    DeleteAndClear(fObjectsMemRecover);
    DeleteAndClear(fDataMemRecover);
    fNotification->Unsubscribe(this);
    DeleteAndClear(fNotification);
    EndMathTables();
    CMemPool::DestroyPools();
  }
  gApplication = nullptr;
}

void CAppl::CreateTables() {
  fNotification = new CNotification(SRange{4, 8});
  fDataMemRecover = new CMemRecover(GetDataPool(), SRange{32, 16});
  fObjectsMemRecover = new CMemRecover(GetObjectPool(), SRange{32, 16});
  fHeartbeat = new CCmFunction(SRange{64, 32});
  fReceivers = new CCmFunction(SRange{16, 16});
  fElRegistry = new CElRegistry(SRange{16, 16});
}

void CAppl::CheckTables() {
  if (!fNotification || !fNotification->IsValid()) Fatal("Creation of the Notification CF failed.");
  if (!fDataMemRecover || !fDataMemRecover->IsValid() || fDataMemRecover->GetPool() != GetDataPool())
    Fatal("Creation of the data pool Mem Recovery CF failed.");
  if (!fObjectsMemRecover || !fObjectsMemRecover->IsValid() || fObjectsMemRecover->GetPool() != GetObjectPool())
    Fatal("Creation of the spoolable objects Mem Recovery CF failed.");
  if (!fHeartbeat || !fHeartbeat->IsValid()) Fatal("Creation of the Heartbeat CF failed.");
  if (!fReceivers || !fReceivers->IsValid()) Fatal("Creation of the Receivers CF failed.");
  if (!fElRegistry || !fElRegistry->IsValid()) Fatal("Creation of the Elements Registry CF failed.");
}

void CAppl::RegisterElementClasses() {
  uint32_t count = 0;
  const SElementClass* classes = GetElementClasses(&count);
  for (uint32_t i = 0; i < count; ++i) {
    if (!classes[i].registerType()) {
      const std::string reason = std::string("Initialization of ") + classes[i].className + " failed.";
      Fatal(reason.c_str());
    }
  }
}

void CAppl::UnregisterElementClasses() {
  uint32_t count = 0;
  const SElementClass* classes = GetElementClasses(&count);
  for (uint32_t i = count; i-- > 0;) classes[i].unregisterType();
}

// ---- run phases

void CAppl::Run() {
  fRunning = true;
  fStarted = false;
  Init(nullptr, nullptr, nullptr);
  if (fRunning) OpenResourceEnvironment(nullptr);
  if (fRunning) CreateFragmentSystem(nullptr);
  if (fRunning) CreateUserInterface();
  fStarted = fRunning;
  while (fRunning) Step();
  DeleteUserInterface();
  DeleteFragmentSystem();
  CloseResourceEnvironment();
  Term();
}

void CAppl::Step() {
  platform::MaskFloatExceptions();
  Heartbeat(true);
  Idle();
}

void CAppl::RunNestedLoop() {
  const uint32_t level = ++fNestingLevel;
  while (fNestingLevel >= level) Step();
}

void CAppl::EndNestedLoop() {
  if (fNestingLevel) --fNestingLevel;
}

void CAppl::RunModal() {
  BeginModal();
  RunNestedLoop();
  EndModal();
}

void CAppl::Init(const CFileSpec* objectsSwap, const CFileSpec* discardSwap, const CFileSpec* dataSwap) {
  CompleteInit(CreateSpoolEnvironments(objectsSwap, discardSwap, dataSwap));
}

bool CAppl::CreateSpoolEnvironments(const CFileSpec* objectsSwap, const CFileSpec* discardSwap,
                                    const CFileSpec* dataSwap) {
  // The objects environment answers its own pool's recovery, entered below; the other two share the
  // data pool, where dropping discardable data (lower priority) comes before writing data out.
  fObjectsSpoolEnv = new CSpoolEnv(objectsSwap, GetObjectPool(), SRange{64, 64}, 0, false, nullptr, 0x3FFFFFFF);
  fDiscardEnv = new CDiscardEnv(discardSwap, nullptr, SRange{64, 64}, 0, true, &CSpoolSys::HandleMemoryRecovery,
                                0x3FFFFBFF);
  fDataSpoolEnv = new CSpoolEnv(dataSwap, nullptr, SRange{128, 64}, 0, true, &CSpoolSys::HandleMemoryRecovery,
                                0x400003FF);
  if (fObjectsSpoolEnv && fObjectsSpoolEnv->IsValid() && fDiscardEnv && fDiscardEnv->IsValid() && fDataSpoolEnv &&
      fDataSpoolEnv->IsValid())
    return true;
  // Those that were made delete the swap files they created, so that another set can be tried.
  DeleteAndClear(fDataSpoolEnv);
  DeleteAndClear(fDiscardEnv);
  DeleteAndClear(fObjectsSpoolEnv);
  return false;
}

void CAppl::CompleteInit(bool environmentsMade) {
  if (!environmentsMade) {
    // The swap files go in the temporary folder: when that is the reason, the message names it.
    std::string text = "Unexpected error while creating the virtual memory environments.";
    if (const std::string why = platform::TempFolderReason(); !why.empty())
      text.insert(text.size() - 1, ": the temporary folder " + platform::TempFolder() + " cannot be used, " + why);
    ShowMessage(text.c_str());
    Quit();
    return;
  }
  if (!fObjectsMemRecover->Register(static_cast<CSpoolSys*>(fObjectsSpoolEnv), &CSpoolSys::HandleMemoryRecovery,
                                    0x3FFFFFFF)) {
    ShowMessage("Failed to register the spoolable objects environment.");
    Quit();
    return;
  }
  fObjectsEnvRegistered = true;
}

void CAppl::Term() {
  DeleteAndClear(fDataSpoolEnv);
  DeleteAndClear(fDiscardEnv);
  if (fObjectsSpoolEnv && fObjectsEnvRegistered)
    fObjectsMemRecover->Unregister(static_cast<CSpoolSys*>(fObjectsSpoolEnv));
  fObjectsEnvRegistered = false;
  DeleteAndClear(fObjectsSpoolEnv);
}

void CAppl::ShowFormatted(const char* pattern, int32_t code) { ShowMessage(FormatText(pattern, code).c_str()); }

void CAppl::OpenResourceEnvironment(const CFileSpec* given) {
  CFileSpec spec;
  if (given) {
    spec.Copy(*given);
  } else if (const int32_t err = SetModuleDirectory("data\\system.dat", &spec)) {
    if (err == kErrInvalidPath) ShowMessage(kNotFound);
    else ShowFormatted("Error (code %d) while trying to resolve a relative path.", err);
    Quit();
    return;
  }
  CFile file(spec);
  if (const int32_t err = file.Probe()) {
    if (err == kErrFileNotFound) ShowMessage(kNotFound);
    else ShowFormatted("Error (code %d) while accessing the default application ordax resource environment.", err);
    Quit();
    return;
  }
  fResourceEnv = new CResourceEnv(spec, CFile::kModeRead, kResourceFileType, ".ord", ".res",
                                  &CSpoolSys::HandleMemoryRecovery, 0x3FFFFFFF);
  if (!fResourceEnv || !fResourceEnv->IsOpen()) {
    const int32_t err = NonZeroError(fResourceEnv ? fResourceEnv->GetLastResult() : kErrOutOfMemory);
    DeleteAndClear(fResourceEnv);
    ShowFormatted("Error (code %d) while trying to setup the default ordax resource file.", err);
    Quit();
  }
}

void CAppl::CloseResourceEnvironment() { DeleteAndClear(fResourceEnv); }

void CAppl::CreateFragmentSystem(const char* listName) {
  if (!fResourceEnv) {
    ShowMessage("The default fragment system cannot be created (no resource environment).");
    Quit();
    return;
  }
  fFragmentSys = new CFragmentSys;
  if (!fFragmentSys) {
    ShowMessage("Not enough objects memory to create the default fragment system.");
    Quit();
    return;
  }
  if (!fFragmentSys->IsValid()) {
    ShowMessage("Error while attempting to create the default fragment system.");
    Quit();
    return;
  }
  if (const int32_t err = fFragmentSys->SetTextList(fResourceEnv, listName ? listName : "fragments_")) {
    ShowFormatted("Error (code %d) while trying to setup the default fragment system.", err);
    Quit();
  }
}

void CAppl::DeleteFragmentSystem() { DeleteAndClear(fFragmentSys); }

// ---- errors

void CAppl::TellError(int32_t code) { Notify(kErrorsList, code, 0); }

int32_t CAppl::Notify(const char* tableName, int32_t code, uint32_t extra) {
  return fNotification ? fNotification->Notify(tableName, code, extra) : 0;
}

int32_t CAppl::NotifyRecord(SNotifyRecord& record) {
  return fNotification ? fNotification->NotifyRecord(record) : 0;
}

void CAppl::TellFatalError(int32_t code) {
  TellError(code);
  Fatal(kFatalReason);
}

void CAppl::TellFatalMessage(const char* tableName, int32_t code, uint32_t extra) {
  Notify(tableName, code, extra);
  Fatal(kFatalReason);
}

void CAppl::TellFatal(SNotifyRecord& record) {
  NotifyRecord(record);
  Fatal(kFatalReason);
}

int32_t CAppl::OnNotification(void* owner, void* record, void*) {
  const auto* notice = static_cast<const SNotifyRecord*>(record);
  if (!notice->tableName || std::strcmp(notice->tableName, kErrorsList) != 0) return 0;
  static_cast<CAppl*>(owner)->ReportError(notice->code);
  return 1;
}

void CAppl::ReportError(int32_t code) {
  if (!IsInitialised()) Fatal("Invalid application status for error notification.");
  if (IsSilentCode(code)) return;
  const int32_t index = ErrorTextIndex(code);
  CIxTextRef text;
  text.Attach(BuiltInErrorText(index), uint32_t(index), kErrorsList, fResourceEnv);
  ShowMessage(index == 0 ? FormatText(text.Text(), code).c_str() : text.Text());
}

// ---- heartbeat

bool CAppl::IsHeartbeatSubscriber(const void* owner) { return fHeartbeat && fHeartbeat->FindEntry(owner); }

bool CAppl::SubscribeHeartbeat(const void* owner, CFCallback callback) {
  return fHeartbeat && fHeartbeat->AddRow(owner, callback, 0);
}

bool CAppl::UnsubscribeHeartbeat(const void* owner) { return fHeartbeat && fHeartbeat->RemoveOwner(owner); }

void CAppl::Heartbeat(bool pump) {
  ++fHeartbeatCount;
  SHeartbeatRecord record;
  record.count = fHeartbeatCount;
  if (const int32_t answer = fHeartbeat ? fHeartbeat->Broadcast(&record) : 0) TellError(answer);
  if (pump) PumpMessages();
}

// ---- receivers

bool CAppl::IsReceiver(const void* owner) { return fReceivers && fReceivers->FindEntry(owner); }

bool CAppl::AddReceiver(const void* owner, CFCallback callback, int32_t priority) {
  if (!fReceivers || !fReceivers->AddRow(owner, callback, priority)) return false;
  fReceiversUnsorted = true;
  return true;
}

bool CAppl::RemoveReceiver(const void* owner) { return fReceivers && fReceivers->RemoveOwner(owner); }

bool CAppl::GetReceiverPriority(const void* owner, int32_t* priority) {
  CCFEntry* row = fReceivers ? fReceivers->FindEntry(owner) : nullptr;
  if (!row) return false;
  *priority = row->priority;
  return true;
}

bool CAppl::SetReceiverPriority(const void* owner, int32_t priority) {
  CCFEntry* row = fReceivers ? fReceivers->FindEntry(owner) : nullptr;
  if (!row) return false;
  if (row->priority != priority) {
    row->priority = priority;
    fReceiversUnsorted = true;
  }
  return true;
}

int32_t CAppl::BroadcastToReceivers(uint32_t a, uintptr_t b) {
  if (!fReceivers) return 0;
  fReceivers->SortIfUnsorted(fReceiversUnsorted);
  SReceiverRecord record;
  record.a = a;
  record.b = b;
  return fReceivers->Broadcast(&record);
}
