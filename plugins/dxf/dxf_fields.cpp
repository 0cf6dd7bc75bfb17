#include "plugins/dxf/dxf_fields.h"

#include <cstring>

#include "plugins/dxf/dxf_names.h"
#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/plugin_memory.h"

namespace {

template <typename T>
T& At(void* record, uint16_t offset) {
  return *reinterpret_cast<T*>(static_cast<char*>(record) + offset);
}

void AppendDash(SLinetype& linetype, double length) {
  auto* dash = static_cast<SDash*>(CountedAlloc(sizeof(SDash)));
  if (!dash) {
    SetError(kDxfOutOfMemory);
    return;
  }
  dash->length = length;
  if (linetype.lastDash) linetype.lastDash->next = dash;
  else linetype.firstDash = dash;
  linetype.lastDash = dash;
}

}  // namespace

const SField* FindField(const SField* fields, size_t count, int32_t token) {
  for (size_t i = 0; i < count; ++i)
    if (fields[i].token == token) return &fields[i];
  return nullptr;
}

void ReadField(void* record, const SField& field) {
  const char* value = NextToken(gImport.reader);
  if (Failed()) return;
  switch (field.type) {
    case kFieldReal:
      At<double>(record, field.offset) = ParseReal(value);
      break;
    case kFieldInteger:
      At<int32_t>(record, field.offset) = ParseInteger(value);
      break;
    case kFieldName:
      At<SName*>(record, field.offset) = InternName(value);
      break;
    case kFieldFourthCorner:
      At<double>(record, field.offset) = ParseReal(value);
      static_cast<SFaceRecord*>(record)->cornerCount = 4;
      break;
    case kFieldDash:
      AppendDash(*static_cast<SLinetype*>(record), ParseReal(value));
      break;
  }
}
