#include "framework/ui/rm_element.h"

#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/ui/element_types.h"
#include "framework/ui/layout_record.h"
#include "framework/ui/rs_element.h"

namespace {

constexpr char kTagAndVersion[] = "rmel0100";
constexpr uint32_t kRoutineCount = 4;
constexpr uint32_t kRoutineKinds[kRoutineCount] = {ORDAX_KIND_CAN_OPEN, ORDAX_KIND_CAN_CLOSE, ORDAX_KIND_OPEN,
                                                   ORDAX_KIND_CLOSE};

constexpr SWordRange kNumbers[] = {{CRmElement::kRemoteListNumber, CRmElement::kRemoteListName},
                                   {CRmElement::kRemoteOptions, CRmElement::kRemoteRecordBytes}};
constexpr SLayoutRecordForm kForm{kTagAndVersion, CRmElement::kRemoteRecordBytes, kNumbers, 2};

// What Load takes from the "rmel" record.
struct SRemoteRecord {
  uint32_t listNumber = 0;
  char listName[CElement::kRecordTextBytes] = {};
  uint32_t options = 0;
};

int32_t ReadRemoteRecord(CResourceEnv* environment, uint32_t number, const char* name, SRemoteRecord* out) {
  return ReadLayoutRecord(environment, CRmElement::kTag, number, name, &CRmElement::HandleSpoolMessage,
                          CRmElement::kRemoteRecordBytes, [out](const uint8_t* data, const SSpoolKey&) {
                            out->listNumber = RecordWordAt(data, CRmElement::kRemoteListNumber);
                            RecordTextAt(data, CRmElement::kRemoteListName, out->listName, sizeof out->listName);
                            out->options = RecordWordAt(data, CRmElement::kRemoteOptions);
                            return kNoErr;
                          });
}

}  // namespace

CRmElement::CRmElement(const SElementDesc& desc) : CElement(desc) {}

uint32_t CRmElement::HandleSpoolMessage(CSpoolMem* record, uint32_t message, void* argument) {
  return HandleLayoutRecord(record, message, argument, kForm);
}

int32_t CRmElement::Load(CResourceEnv* environment, uint32_t number, const char* name) {
  if (const int32_t err = LoadFromResource(environment, number, name)) return err;
  SRemoteRecord record;
  if (const int32_t err = ReadRemoteRecord(environment, number, name, &record)) return err;
  const uint32_t options = record.options;
  SetBuildsChildrenOnOpen(options & kBuildChildrenOnOpen);
  SetFreesChildrenOnClose(options & kFreeChildrenOnClose);
  SetShowsOnOpen(options & kShowOnOpen);
  SetHidesOnClose(options & kHideOnClose);
  SetHoldsApplication(options & kHoldApplication);
  if (!(options & kBindRoutines)) return kNoErr;
  uint32_t ownNumber = 0;
  GetRecordNumber(&ownNumber);
  const bool own = options & kRoutinesOwnKey;
  const char* listName = own ? GetRecordName() : record.listName;
  return BindRoutines(environment, own ? ownNumber : record.listNumber,
                      options & kRoutinesByName ? listName : nullptr);
}

void CRmElement::SetRoutineOfKind(uint32_t index, void* routine) {
  const auto r = reinterpret_cast<RmRoutine>(routine);
  switch (index) {
    case 0: SetCanOpenRoutine(r); break;
    case 1: SetCanCloseRoutine(r); break;
    case 2: SetOpenRoutine(r); break;
    case 3: SetCloseRoutine(r); break;
    default: break;
  }
}

int32_t CRmElement::BindRoutines(CResourceEnv* environment, uint32_t number, const char* name) {
  return BindFromList(environment, number, name, kRoutineCount, kRoutineKinds,
                      [](CElement* element, uint32_t i, void* routine) {
                        static_cast<CRmElement*>(element)->SetRoutineOfKind(i, routine);
                      });
}

int32_t CRmElement::RunCanOpenRoutine(void* parameters) { return fCanOpen ? fCanOpen(this, parameters) : kNoErr; }
int32_t CRmElement::RunCanCloseRoutine(void* parameters) { return fCanClose ? fCanClose(this, parameters) : kNoErr; }
int32_t CRmElement::RunOpenRoutine(void* parameters) { return fOpen ? fOpen(this, parameters) : kNoErr; }
int32_t CRmElement::RunCloseRoutine(void* parameters) { return fClose ? fClose(this, parameters) : kNoErr; }

CRsElement* CRmElement::GetSwitcher() const { return dynamic_cast<CRsElement*>(GetParent()); }

int32_t CRmElement::Open(void* parameters) {
  ++fOpenDepth;
  ++fOpenCount;
  if (fBuildsChildren && !GetChildren()) {
    if (const int32_t err = ReloadChildren(true, true)) return err;
  }
  if (const int32_t err = RunOpenRoutine(parameters)) return err;
  if (fOpenDepth != 1) return kNoErr;
  if (fHoldsApplication && GetApplication()) GetApplication()->RaiseHold();
  return fShowsOnOpen ? Show(true) : kNoErr;
}

int32_t CRmElement::Close(void* parameters) {
  if (fOpenDepth == 0) return kErrTooFewEntries;
  if (fOpenDepth == 1) {
    if (fHidesOnClose) Hide(true);
    if (fHoldsApplication && GetApplication()) GetApplication()->LowerHold();
  }
  const int32_t result = RunCloseRoutine(parameters);
  // Children that cannot be freed now (their container is being walked) stay, and the next Open
  // reuses them.
  if (--fOpenDepth == 0 && fFreesChildren) DeleteChildren();
  return result;
}

// ---- creation

int32_t CRmElement::NewByNumber(CRmElement** element, CResourceEnv* environment, uint32_t number) {
  return NewLoadedElement<CRmElement>(element, environment, number, nullptr, &CRmElement::Load);
}

int32_t CRmElement::NewByName(CRmElement** element, CResourceEnv* environment, const char* name) {
  return NewLoadedElement<CRmElement>(element, environment, 0, name, &CRmElement::Load);
}

int32_t CRmElement::CreateFromResource(void*, void* request, void*) {
  return CreateRequestedElement<CRmElement>(request);
}

bool CRmElement::RegisterType() { return RegisterElementFactory(kTag, &CRmElement::CreateFromResource); }
bool CRmElement::UnregisterType() { return UnregisterElementFactory(kTag); }
