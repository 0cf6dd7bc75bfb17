#include "framework/ui/rs_element.h"

#include <cstring>

#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_table_spec.h"
#include "framework/core/subscriber.h"
#include "framework/ui/element_types.h"
#include "framework/ui/rm_element.h"

namespace {

constexpr char kTagAndVersion[] = "rsel0100";

bool CheckRecord(CSpoolMem* object) {
  const uint8_t* data = object->GetData();
  const bool valid = data && object->GetDataSize() >= CRsElement::kSwitcherRecordBytes &&
                     std::memcmp(data, kTagAndVersion, 8) == 0;
  object->SetError(valid ? kNoErr : kErrInvalidFormat);
  return valid;
}

// The name of the child the "rsel" record opens, cut to 31 characters.
int32_t ReadChildName(CResourceEnv* environment, uint32_t number, const char* name, char* childName) {
  childName[0] = 0;
  if (!environment || !environment->IsOpen()) return NonZeroError(environment ? environment->GetLastResult() : 0);
  CSubscriber record(SSpoolLayout{environment, 0, 0});
  SSpoolKey key;
  if (name) key.SetByName(CRsElement::kTag, name, false);
  else key.Set(CRsElement::kTag, number, false);
  SSpoolTableSpec spec;
  spec.Set(true, &key, SRange{-1, -1}, &CRsElement::HandleRecordMessage, nullptr, SSpoolTableSpec::kDefaultPriority);
  if (!record.Subscribe(spec)) return NonZeroError(record.GetError());
  CHolder holder(&record, false, false);
  if (!holder.IsLocked()) return NonZeroError(record.GetError());
  // An empty record is never paged in, so the handler never saw it.
  if (record.GetDataSize() < CRsElement::kSwitcherRecordBytes) return kErrInvalidFormat;
  const char* field = reinterpret_cast<const char*>(record.GetData() + CRsElement::kSwitcherChildName);
  const size_t length = strnlen(field, CElement::kRecordTextBytes - 1);
  std::memcpy(childName, field, length);
  childName[length] = 0;
  return kNoErr;
}

}  // namespace

CRsElement::CRsElement(const SElementDesc& desc) : CElement(desc) {}

CRsElement::~CRsElement() {
  uint8_t none[kParameterBytes] = {};
  SelectChild(nullptr, none, none);
}

uint32_t CRsElement::HandleRecordMessage(CSpoolMem* record, uint32_t message, void* argument) {
  switch (message) {
    case kSpoolAfterRead:
    case kSpoolBeforeWrite:
    case kSpoolAfterWrite: return CheckRecord(record);
    default: return SpoolDefaultTypeHandler(record, message, argument);
  }
}

int32_t CRsElement::Load(CResourceEnv* environment, uint32_t number, const char* name) {
  if (const int32_t err = LoadFromResource(environment, number, name)) return err;
  char childName[kRecordTextBytes];
  if (const int32_t err = ReadChildName(environment, number, name, childName)) return err;
  if (!childName[0]) return kNoErr;
  uint8_t none[kParameterBytes] = {};
  return SelectChild(childName, none, none);
}

// A child taken out of the container by other means is no longer the open one.
CRmElement* CRsElement::GetOpenChild() {
  bool present = false;
  if (fOpenChild && (!GetChildren() || GetChildren()->Contains(fOpenChild, &present) || !present))
    fOpenChild = nullptr;
  return fOpenChild;
}

int32_t CRsElement::SelectChild(const char* name, void* openParameters, void* closeParameters) {
  CRmElement* open = GetOpenChild();
  if (open) {
    if (const int32_t err = open->CanClose(closeParameters)) return err;
  }
  if (!name || !name[0]) {
    if (open) open->Close(closeParameters);
    fOpenChild = nullptr;
    return kNoErr;
  }
  if (!GetChildren()) {
    if (const int32_t err = ReloadChildren(true, true)) return err;
    if (!GetChildren()) return kErrObjectNotFound;
  }
  CElement* found = nullptr;
  if (const int32_t err = CElSystem::FindElement(GetChildren(), name, &found, false)) return err;
  auto* child = dynamic_cast<CRmElement*>(found);
  if (!child) return kErrUnexpectedType;
  if (const int32_t err = child->CanOpen(openParameters)) return err;
  if (open) open->Close(closeParameters);
  fOpenChild = child;
  return child->Open(openParameters);
}

// ---- creation

int32_t CRsElement::NewByNumber(CRsElement** element, CResourceEnv* environment, uint32_t number) {
  return NewLoadedElement<CRsElement>(element, environment, number, nullptr, &CRsElement::Load);
}

int32_t CRsElement::NewByName(CRsElement** element, CResourceEnv* environment, const char* name) {
  return NewLoadedElement<CRsElement>(element, environment, 0, name, &CRsElement::Load);
}

int32_t CRsElement::CreateFromResource(void*, void* request, void*) {
  return CreateRequestedElement<CRsElement>(request);
}

bool CRsElement::RegisterType() { return RegisterElementFactory(kTag, &CRsElement::CreateFromResource); }
bool CRsElement::UnregisterType() { return UnregisterElementFactory(kTag); }
