#include "framework/ui/rs_element.h"

#include "framework/core/result_codes.h"
#include "framework/ui/element_types.h"
#include "framework/ui/layout_record.h"
#include "framework/ui/rm_element.h"

namespace {

constexpr char kTagAndVersion[] = "rsel0100";

constexpr SLayoutRecordForm kForm{kTagAndVersion, CRsElement::kSwitcherRecordBytes, nullptr, 0};

}  // namespace

CRsElement::CRsElement(const SElementDesc& desc) : CElement(desc) {}

CRsElement::~CRsElement() {
  uint8_t none[kParameterBytes] = {};
  SelectChild(nullptr, none, none);
}

uint32_t CRsElement::HandleRecordMessage(CSpoolMem* record, uint32_t message, void* argument) {
  return HandleLayoutRecord(record, message, argument, kForm);
}

int32_t CRsElement::Load(CResourceEnv* environment, uint32_t number, const char* name) {
  if (const int32_t err = LoadFromResource(environment, number, name)) return err;
  char childName[kRecordTextBytes] = {};
  const int32_t err = ReadLayoutRecord(environment, kTag, number, name, &CRsElement::HandleRecordMessage,
                                       kSwitcherRecordBytes, [&childName](const uint8_t* data, const SSpoolKey&) {
                                         RecordTextAt(data, kSwitcherChildName, childName, sizeof childName);
                                         return kNoErr;
                                       });
  if (err) return err;
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
