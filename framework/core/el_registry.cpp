#include "framework/core/el_registry.h"

#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/byte_order.h"
#include "framework/core/byte_reader.h"
#include "framework/core/ex_system.h"
#include "framework/core/holder.h"
#include "framework/core/progress.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/core/subscriber.h"
#include "framework/core/ui_services.h"

namespace {

constexpr const char kSetType[] = "eset";
constexpr uint32_t kCountOffset = 72;
constexpr uint32_t kClassChars = 15;
enum EEntryOffset : uint32_t { kId = 16, kDescription = 20, kPlaceA = 52, kPlaceB = 56, kFlags = 60 };
constexpr SRange kContainerShape{0, 16};

void SwapWord(uint8_t* at) {
  uint32_t word = 0;
  std::memcpy(&word, at, 4);
  word = SwapLong(word);
  std::memcpy(at, &word, 4);
}

uint32_t WordAt(const uint8_t* at) {
  uint32_t word = 0;
  std::memcpy(&word, at, 4);
  return word;
}

// Checked before anything is converted: a corrupt count must not send the conversion past the record.
bool ConvertSet(CSpoolMem* object) {
  uint8_t* data = object->GetData();
  const uint32_t size = object->GetDataSize();
  CByteReader in(data, size);
  uint32_t count = 0;
  const bool valid = size >= CElRegistry::kSetHeaderBytes && std::memcmp(data, "eset0100", 8) == 0 &&
                     in.Seek(kCountOffset) && in.ReadBE32(&count) &&
                     uint64_t(CElRegistry::kSetHeaderBytes) + uint64_t(count) * CElRegistry::kSetEntryBytes == size;
  if (!valid) {
    object->SetError(kErrInvalidFormat);
    return false;
  }
  SwapWord(data + kCountOffset);
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* entry = data + CElRegistry::kSetHeaderBytes + size_t(i) * CElRegistry::kSetEntryBytes;
    for (uint32_t at : {kId, kPlaceA, kPlaceB, kFlags}) SwapWord(entry + at);
  }
  return true;
}

// The request for one converted entry.
SElementRequest RequestFor(CResourceEnv* environment, const uint8_t* entry, CElement* parent) {
  SElementRequest request;
  request.environment = environment;
  std::memcpy(request.className, entry, kClassChars);
  request.elementId = WordAt(entry + kId);
  std::memcpy(request.description, entry + kDescription, sizeof request.description);
  request.byDescription = WordAt(entry + kFlags) & 1;
  request.parent = parent;
  return request;
}

}  // namespace

uint32_t CElRegistry::HandleSetRecord(CSpoolMem* object, uint32_t message, void* argument) {
  switch (message) {
    case kSpoolAfterRead: return ConvertSet(object);
    case kSpoolBeforeWrite:
    case kSpoolAfterWrite: return false;
    default: return SpoolDefaultTypeHandler(object, message, argument);
  }
}

bool CElRegistry::IsRequestFor(const void* record, const char* className) {
  const auto* r = static_cast<const SElementRegistryRecord*>(record);
  return r && r->reserved0 == 0 && r->reserved1 == 0 && r->request &&
         std::strncmp(r->request->className, className, kClassChars) == 0;
}

SDynTableLayout ElementContainerLayout() {
  CAppl* app = GetApplication();
  SDynTableLayout layout;
  layout.SetSized(app ? app->GetObjectsEnv() : nullptr, sizeof(CExSystemEntry), uint32_t(kContainerShape.first));
  layout.range = kContainerShape;
  return layout;
}

int32_t CElRegistry::LoadElementSet(CResourceEnv* environment, uint32_t id, const char* name, CElement* parent) {
  if (!environment || !environment->IsOpen()) return NonZeroError(environment ? environment->GetLastResult() : 0);
  CSubscriber set(SSpoolLayout{environment, 0, 0});
  SSpoolKey key;
  if (name) key.SetByName(kSetType, name, false);
  else key.Set(kSetType, id, false);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &CElRegistry::HandleSetRecord);
  if (!set.Subscribe(spec)) return NonZeroError(set.GetError());
  CHolder holder(&set, false, false);
  if (!holder.IsLocked()) return NonZeroError(set.GetError());
  // An empty stored set is never paged in, so the record handler's check never saw it.
  if (set.GetDataSize() < kSetHeaderBytes) return kErrInvalidFormat;

  const uint32_t count = WordAt(set.GetData() + kCountOffset);
  CProgress progress(count);
  const SDynTableLayout container = ElementContainerLayout();
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = set.GetData() + kSetHeaderBytes + size_t(i) * kSetEntryBytes;
    SElementRequest request = RequestFor(environment, entry, parent);
    SElementRegistryRecord record;
    record.request = &request;
    if (Broadcast(&record) == 0) return kErrUnexpectedType;
    int32_t err = request.error;
    const bool placed = request.element && IsElementPlaced(request.element);
    if (!err && parent && request.element && !placed)
      err = AddChildElement(parent, request.element, WordAt(entry + kPlaceA), int32_t(WordAt(entry + kPlaceB)), 0,
                            container);
    // An element that found no place belongs to nobody.
    if (err && request.element && !IsElementPlaced(request.element)) DeleteElement(request.element);
    if (err) return err;
    progress.Step();
  }
  return kNoErr;
}
