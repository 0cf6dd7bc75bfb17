// Whole resource files, opened for reading as the program opens its resource file: every type of the
// master table found, every resource of a type looked up by number and by name and its data read, and
// the lists, element sets, images and gradients among them read by their own readers.
#include <cstring>
#include <vector>

#include "framework/core/file.h"
#include "framework/core/holder.h"
#include "fuzz/fuzz_readers.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_support.h"
#include "tools/res_store.h"

namespace {

// A real file holds a few dozen types and resources; more only make an input slower.
constexpr uint32_t kMostTypes = 16;
constexpr uint32_t kMostResources = 32;

template <typename Table, typename Row>
std::vector<Row> FirstRows(Table* table, uint32_t most) {
  std::vector<Row> rows;
  CHolder holder(table, false, false);
  for (uint32_t i = 0; holder.IsLocked() && i < table->GetCount() && i < most; ++i) rows.push_back((*table)[i]);
  return rows;
}

void ReadResource(CResourceEnv& env, const char* typeName, const CResEntry& record) {
  char name[SSpoolKey::kNameChars + 1] = {};
  std::memcpy(name, record.name, SSpoolKey::kNameChars);
  SSpoolKey key;
  key.SetByName(typeName, name, false);
  env.FindResource(key);
  key.Set(typeName, record.number, false);
  CResEntry entry{};
  env.GetResourceInfo(key, &entry);
  std::vector<uint8_t> bytes;
  LoadResource(env, key, &bytes);
  ReadResourceByType(env, typeName, record.number, name[0] ? name : nullptr);
}

}  // namespace

void WriteFuzzSeeds(CFuzzSeeds& seeds) { seeds.Add("sample.res", SampleResourceFile()); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  CResourceEnv env(WriteFuzzFile(data, size, "input.res"), CFile::kModeRead);
  if (!env.IsOpen()) return 0;
  for (const CTypeEntry& type : FirstRows<CMasterTable, CTypeEntry>(env.GetMasterTable(), kMostTypes)) {
    char typeName[SSpoolKey::kTypeNameChars + 1] = {};
    std::memcpy(typeName, type.typeName, SSpoolKey::kTypeNameChars);
    CResTypeTable* table = nullptr;
    if (!env.FindType(typeName, &table, nullptr)) continue;
    for (const CResEntry& record : FirstRows<CResTypeTable, CResEntry>(table, kMostResources))
      ReadResource(env, typeName, record);
  }
  return 0;
}
