// Elements built from their "elem" layout records: the record and its handler, loading an element's
// state, children and callbacks from it, the factory of the tag "elem", callback texts, and the
// finders by name, index and path.
#include <algorithm>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/c_string.h"
#include "framework/core/el_registry.h"
#include "framework/core/fragment_sys.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/element.h"
#include "framework/ui/element_types.h"
#include "framework/ui/layout_record.h"

namespace {

constexpr char kTagAndVersion[] = "elem0100";
constexpr uint32_t kTextBytes = CElement::kRecordTextBytes;
constexpr uint32_t kCallbackCount = 7;
constexpr uint32_t kCallbackKinds[kCallbackCount] = {ORDAX_KIND_PRESS, ORDAX_KIND_CHARACTER, ORDAX_KIND_DEACTIVATE,
                                                     ORDAX_KIND_ACTIVATE, ORDAX_KIND_HOVER,     ORDAX_KIND_MESSAGE,
                                                     ORDAX_KIND_DRAW};
constexpr char kNoCallback[] = "NULL";
constexpr char kPathSeparator = '|';

// The numbers: the user words and the set's number, the list's number, everything from the rect on.
constexpr SWordRange kNumbers[] = {{CElement::kRecordUserWords, CElement::kRecordSetName},
                                   {CElement::kRecordListNumber, CElement::kRecordListName},
                                   {CElement::kRecordRect, CElement::kRecordBytes}};
constexpr SLayoutRecordForm kForm{kTagAndVersion, CElement::kRecordBytes, kNumbers, 3};

// The resource's own name: the one it was asked for by, else the name its entry holds.
void ReadOwnName(CResourceEnv* environment, const SSpoolKey& key, const char* name, char* out) {
  if (name) {
    CopyCString(out, name, kTextBytes);
    return;
  }
  CResEntry entry{};
  SSpoolKey byNumber;
  byNumber.Set(CElement::kTag, key.id, false);
  if (environment->GetResourceInfo(byNumber, &entry)) CopyCString(out, entry.name, kTextBytes);
}

}  // namespace

// What LoadFromResource takes from the record, read out while the record is locked.
struct CElement::SRecord {
  uint32_t number = 0;
  char ownName[kTextBytes] = {};  // the resource's name
  char name[kTextBytes] = {};
  char windowName[kTextBytes] = {};
  char canvasName[kTextBytes] = {};
  uint32_t userWords[kUserWords] = {};
  uint32_t setNumber = 0;
  char setName[kTextBytes] = {};
  char fileName[kTextBytes] = {};
  bool fileNameFits = true;
  uint32_t listNumber = 0;
  char listName[kTextBytes] = {};
  SRect rect;
  uint32_t layoutFlags = 0;
  SProportionsHV position, size, hotSpot;
  SPointHV origin, topLeftOutset, bottomRightOutset;
  uint32_t eventMask = 0;
  uint32_t flags = 0;

  // The fields of the record, in machine order.
  void Read(const uint8_t* data) {
    RecordTextAt(data, kRecordName, name, kTextBytes);
    RecordTextAt(data, kRecordWindowName, windowName, kTextBytes);
    RecordTextAt(data, kRecordCanvasName, canvasName, kTextBytes);
    for (uint32_t i = 0; i < kUserWords; ++i) userWords[i] = RecordWordAt(data, kRecordUserWords + 4 * i);
    setNumber = RecordWordAt(data, kRecordSetNumber);
    RecordTextAt(data, kRecordSetName, setName, kTextBytes);
    fileNameFits = RecordTextAt(data, kRecordFileName, fileName, kTextBytes);
    listNumber = RecordWordAt(data, kRecordListNumber);
    RecordTextAt(data, kRecordListName, listName, kTextBytes);
    rect = {RecordSignedAt(data, kRecordRect), RecordSignedAt(data, kRecordRect + 4),
            RecordSignedAt(data, kRecordRect + 8), RecordSignedAt(data, kRecordRect + 12)};
    layoutFlags = RecordWordAt(data, kRecordLayoutFlags);
    position = {RecordFloatAt(data, kRecordPosition), RecordFloatAt(data, kRecordPosition + 4)};
    size = {RecordFloatAt(data, kRecordSize), RecordFloatAt(data, kRecordSize + 4)};
    origin = {RecordSignedAt(data, kRecordOrigin), RecordSignedAt(data, kRecordOrigin + 4)};
    hotSpot = {RecordFloatAt(data, kRecordHotSpot), RecordFloatAt(data, kRecordHotSpot + 4)};
    topLeftOutset = {RecordSignedAt(data, kRecordTopLeftOutset), RecordSignedAt(data, kRecordTopLeftOutset + 4)};
    bottomRightOutset = {RecordSignedAt(data, kRecordBottomRightOutset),
                         RecordSignedAt(data, kRecordBottomRightOutset + 4)};
    eventMask = RecordWordAt(data, kRecordEventMask);
    flags = RecordWordAt(data, kRecordFlags);
  }
};

uint32_t CElement::HandleRecordMessage(CSpoolMem* record, uint32_t message, void* argument) {
  return HandleLayoutRecord(record, message, argument, kForm);
}

int32_t CElement::ReadRecord(CResourceEnv* environment, uint32_t number, const char* name, SRecord* out) {
  return ReadLayoutRecord(environment, kTag, number, name, &CElement::HandleRecordMessage, kRecordBytes,
                          [&](const uint8_t* data, const SSpoolKey& key) {
                            out->number = key.id;
                            ReadOwnName(environment, key, name, out->ownName);
                            out->Read(data);
                            return kNoErr;
                          });
}

// ---- loading

int32_t CElement::LoadFromResource(CResourceEnv* environment, uint32_t number, const char* name) {
  SRecord record;
  if (const int32_t err = ReadRecord(environment, number, name, &record)) return err;
  if (const int32_t err = DeleteChildren()) return err;
  SetSource(environment, record.number);
  CopyCString(fRecordName, record.ownName, sizeof fRecordName);
  delete fResourceFile;
  fResourceFile = nullptr;
  Hide(true);
  return TakeRecord(record);
}

int32_t CElement::TakeRecord(const SRecord& record) {
  SetName(record.name[0] ? record.name : record.ownName);
  SetWindowName(record.windowName);
  SetCanvasName(record.canvasName);
  for (uint32_t i = 0; i < kUserWords; ++i) SetUserWord(i, record.userWords[i]);
  int32_t err = kNoErr;
  auto step = [&err](int32_t code) {
    if (!err) err = code;
  };
  // The stored rect exactly, then the layout rules on it.
  step(SetRectWithFlags(0, record.rect, true));
  step(SetLayoutFlags(record.layoutFlags, true));
  step(SetPositionProportions(record.position, true));
  step(SetSizeProportions(record.size, true));
  step(SetOrigin(record.origin, true));
  step(SetHotSpotProportions(record.hotSpot, true));
  step(SetOutsets(record.topLeftOutset, record.bottomRightOutset, true));
  step(SetRect(record.rect, true));
  const uint32_t flags = record.flags;
  fEventMask = record.eventMask;
  step(SetImageFollowsParent(flags & kLoadImageFollowsParent, true));
  step(flags & kLoadRenderImage ? UseRenderImage(true) : DropRenderImage(true));
  step(flags & kLoadAlternate ? SetAlternate(true) : ClearAlternate(true));
  SetClaimsPresses(flags & kLoadClaimsPresses);
  SetClaimsCharacters(flags & kLoadClaimsCharacters);
  SetClaimsMessages(flags & kLoadClaimsMessages);
  SetHoversWhenHidden(flags & kLoadHoversWhenHidden);
  if (err) return err;

  if (record.fileName[0]) {
    if (!record.fileNameFits) return kErrInvalidParameter;
    if ((err = OpenResourceFile(fSourceEnvironment, record.fileName))) return err;
  }
  if ((flags & kLoadChildren) && !(flags & kLoadDeferChildren)) err = LoadChildren(record);
  if (!err && (flags & kLoadCallbacks)) {
    const bool own = flags & kLoadCallbacksOwnKey;
    const char* listName = own ? fRecordName : record.listName;
    err = BindCallbacks(fSourceEnvironment, own ? fRecordNumber : record.listNumber,
                        flags & kLoadCallbacksByName ? listName : nullptr);
  }
  if (!err) err = FitLoaded(record);
  if (!err && (flags & kLoadShown)) err = Show(true);
  return err;
}

int32_t CElement::LoadChildren(const SRecord& record) {
  CAppl* app = GetApplication();
  CElRegistry* registry = app ? app->GetElementRegistry() : nullptr;
  if (!registry) return kErrUnexpectedStatus;
  const bool own = record.flags & kLoadChildrenOwnKey;
  const char* name = own ? fRecordName : record.setName;
  return registry->LoadElementSet(fResourceFile ? fResourceFile : fSourceEnvironment,
                                  own ? fRecordNumber : record.setNumber,
                                  record.flags & kLoadChildrenByName ? name : nullptr, this);
}

int32_t CElement::FitLoaded(const SRecord& record) {
  const uint32_t flags = record.flags;
  if (!(flags & kLoadFit)) return kNoErr;
  return FitToChildren(flags & kLoadFitBounds, flags & kLoadFitShownOnly, flags & kLoadFitOutsets, true, true, {}, {});
}

int32_t CElement::ReloadChildren(bool deleteFirst, bool fit) {
  if (deleteFirst) {
    if (const int32_t err = DeleteChildren()) return err;
  }
  if (!fSourceEnvironment) return kNoErr;
  const bool wasShown = IsShown();
  Hide(true);
  SRecord record;
  int32_t err = ReadRecord(fSourceEnvironment, fRecordNumber, nullptr, &record);
  if (!err && (record.flags & kLoadChildren)) err = LoadChildren(record);
  if (!err && fit) err = FitLoaded(record);
  if (wasShown) {
    const int32_t shown = Show(true);
    if (!err) err = shown;
  }
  return err;
}

// ---- callbacks

int32_t ResolveCallbackRef(void** callback, const char* text, uint32_t kind, CFragmentSys* fragments) {
  *callback = nullptr;
  if (!text || !text[0]) return kNoErr;
  if (std::strcmp(text, kNoCallback) == 0) return kHandled;
  char fragment[kTextBytes], entry[kTextBytes];
  if (const int32_t err = CFragmentSys::SplitName(text, fragment, entry)) return err;
  if (std::strcmp(entry, kNoCallback) == 0) return kHandled;
  if (!fragments) return kErrNoFragmentSystem;
  return fragments->Resolve(callback, fragment, entry, kind);
}

void CElement::SetCallbackOfKind(uint32_t index, void* callback) {
  switch (index) {
    case 0: SetPressCallback(reinterpret_cast<ElPressCallback>(callback)); break;
    case 1: SetCharCallback(reinterpret_cast<ElCharCallback>(callback)); break;
    case 2: SetDeactivateCallback(reinterpret_cast<ElActivationCallback>(callback)); break;
    case 3: SetActivateCallback(reinterpret_cast<ElActivationCallback>(callback)); break;
    case 4: SetHoverCallback(reinterpret_cast<ElHoverCallback>(callback)); break;
    case 5: SetMessageCallback(reinterpret_cast<ElMessageCallback>(callback)); break;
    case 6: SetDrawCallback(reinterpret_cast<ElDrawCallback>(callback)); break;
    default: break;
  }
}

int32_t CElement::BindFromList(CResourceEnv* environment, uint32_t number, const char* name, uint32_t count,
                               const uint32_t* kinds, BindEntry bind) {
  CAppl* app = GetApplication();
  CFragmentSys* fragments = app ? app->GetFragmentSys() : nullptr;
  if (!fragments) return kErrNoFragmentSystem;
  CIxText list(environment, number, name, CIxText::kNone);
  if (const int32_t err = list.GetResult()) return err;
  CIxTxHolder holder(&list, true);
  if (!holder.IsHeld()) return holder.GetError();
  for (uint32_t i = std::min(list.Count(), count); i-- > 0;) {
    void* entry = nullptr;
    const int32_t err = ResolveCallbackRef(&entry, list.TextAt(i), kinds[i], fragments);
    if (err == kHandled) bind(this, i, nullptr);
    else if (err) return err;
    else if (entry) bind(this, i, entry);
  }
  return kNoErr;
}

int32_t CElement::BindCallbacks(CResourceEnv* environment, uint32_t number, const char* name) {
  return BindFromList(environment, number, name, kCallbackCount, kCallbackKinds,
                      [](CElement* element, uint32_t i, void* entry) { element->SetCallbackOfKind(i, entry); });
}

// ---- creation

int32_t CElement::NewByNumber(CElement** element, CResourceEnv* environment, uint32_t number) {
  return NewLoadedElement<CElement>(element, environment, number, nullptr, &CElement::LoadFromResource);
}

int32_t CElement::NewByName(CElement** element, CResourceEnv* environment, const char* name) {
  return NewLoadedElement<CElement>(element, environment, 0, name, &CElement::LoadFromResource);
}

int32_t CElement::CreateFromResource(void*, void* request, void*) {
  return CreateRequestedElement<CElement>(request);
}

bool CElement::RegisterType() { return RegisterElementFactory(kTag, &CElement::CreateFromResource); }
bool CElement::UnregisterType() { return UnregisterElementFactory(kTag); }

// ---- finders

int32_t CElSystem::FindElement(CElSystem* container, const char* name, CElement** element, bool fromLast) {
  if (!element) return kErrInvalidParameter;
  *element = nullptr;
  if (!container || !name) return kErrInvalidParameter;
  uint32_t index = 0;
  return container->Lookup(name, fromLast, &index, element);
}

int32_t CElSystem::GetElementAt(CElSystem* container, uint32_t index, CElement** element) {
  if (!element) return kErrInvalidParameter;
  *element = nullptr;
  if (!container) return kErrInvalidParameter;
  CExSystemEntry row;
  if (const int32_t err = container->GetEntry(index, &row)) return err;
  *element = row.element;
  return kNoErr;
}

int32_t CElSystem::FindByName(CElement* start, const char* path, CElement** element) {
  if (!element) return kErrInvalidParameter;
  *element = nullptr;
  if (!start || !path) return kErrInvalidParameter;
  CElement* current = start;
  const char* at = path;
  for (; *at == kPathSeparator; ++at) {
    current = current->GetParent();
    if (!current) return kErrObjectNotFound;
  }
  // "|" alone, or only bars, names the element reached.
  if (at != path && !*at) {
    *element = current;
    return kNoErr;
  }
  for (;;) {
    const char* end = std::strchr(at, kPathSeparator);
    const size_t length = end ? size_t(end - at) : std::strlen(at);
    if (length == 0) return kErrObjectNotFound;
    if (length >= kTextBytes) return kErrTooManyEntries;
    char name[kTextBytes];
    std::memcpy(name, at, length);
    name[length] = 0;
    CElSystem* children = current->GetChildren();
    if (!children) return kErrObjectNotFound;
    if (const int32_t err = FindElement(children, name, &current, false)) return err;
    if (!end) break;
    at = end + 1;
  }
  *element = current;
  return kNoErr;
}
