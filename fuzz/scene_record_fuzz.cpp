// One record of a scene document: the first byte picks a record of the document with a thing of every
// stored class (tests/fuzz/scene_file/full-scene.qnc, one record of each type kept), the next two the length of its stored header
// (big-endian, at most what follows), and the bytes after them the header and then the body, which
// replace that record's stored bytes. The document is then opened as the
// program opens it, so the inputs reach the class readers and the link step past the checks of the
// composite file around them.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/core/cm_file.h"
#include "framework/core/file.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "fuzz/fuzz_resource.h"
#include "fuzz/fuzz_scene.h"
#include "fuzz/fuzz_support.h"

namespace {

struct SBaseDocument {
  std::vector<uint8_t> bytes;
  // The first record of each type the document holds.
  std::vector<SSpoolKey> keys;
};

// The first record of each type; the others are deleted when the document is open for writing, which
// keeps every input's document small.
std::vector<SSpoolKey> FirstOfEachType(CResourceEnv& document, bool deleteOthers) {
  std::vector<std::string> types;
  {
    CMasterTable* master = document.GetMasterTable();
    CHolder holder(master, false, false);
    for (uint32_t i = 0; holder.IsLocked() && i < master->GetCount(); ++i)
      types.emplace_back((*master)[i].typeName, strnlen((*master)[i].typeName, SSpoolKey::kTypeNameChars));
  }
  std::vector<SSpoolKey> keys;
  for (const std::string& type : types) {
    CResTypeTable* rows = nullptr;
    if (!document.FindType(type.c_str(), &rows, nullptr)) continue;
    std::vector<SSpoolKey> others;
    {
      CHolder holder(rows, false, false);
      for (uint32_t i = 0; holder.IsLocked() && i < rows->GetCount(); ++i)
        (i == 0 ? keys : others).push_back(FuzzKey(type.c_str(), (*rows)[i].number));
    }
    for (const SSpoolKey& key : others) {
      if (deleteOthers && !document.DeleteResource(key)) __builtin_trap();
    }
  }
  return keys;
}

const SBaseDocument& Base() {
  static const SBaseDocument base = [] {
    SBaseDocument made;
    std::ifstream full(FullSceneDocumentPath(), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(full), std::istreambuf_iterator<char>()};
    const CFileSpec spec = WriteFuzzFile(bytes.data(), bytes.size(), "base.qnc");
    {
      CResourceEnv document(spec, CFile::kModeReadWrite);
      if (document.IsOpen()) made.keys = FirstOfEachType(document, true);
      if (document.Close()) made.keys.clear();
    }
    CCmFile compacted(spec);
    if (made.keys.empty() || compacted.Compact()) {
      std::fprintf(stderr, "quarn2-fuzz: %s could not be made the base document\n", FullSceneDocumentPath().c_str());
      std::exit(1);
    }
    std::ifstream in(spec.GetPath(), std::ios::binary);
    made.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return made;
  }();
  return base;
}

}  // namespace

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  const SBaseDocument& base = Base();
  CResourceEnv document(WriteFuzzFile(base.bytes.data(), base.bytes.size(), "seeds.qnc"), CFile::kModeRead);
  for (size_t i = 0; i < base.keys.size(); ++i) {
    std::vector<uint8_t> body, header;
    GetRawResource(document, base.keys[i], &body, &header);
    if (header.size() > UINT16_MAX) __builtin_trap();
    std::vector<uint8_t> input{uint8_t(i), uint8_t(header.size() >> 8), uint8_t(header.size())};
    input.insert(input.end(), header.begin(), header.end());
    input.insert(input.end(), body.begin(), body.end());
    seeds.Add(std::string(base.keys[i].typeName) + ".rec", input);
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  if (size < 3) return 0;
  const SBaseDocument& base = Base();
  const CFileSpec spec = WriteFuzzFile(base.bytes.data(), base.bytes.size(), "input.qnc");
  {
    CResourceEnv document(spec, CFile::kModeReadWrite);
    if (!document.IsOpen()) __builtin_trap();
    const size_t headerSize = std::min<size_t>((data[1] << 8) | data[2], size - 3);
    PutRawResource(document, base.keys[data[0] % base.keys.size()], data + 3 + headerSize, size - 3 - headerSize,
                   data + 3, headerSize);
    if (document.Close()) __builtin_trap();
  }
  ReadFuzzDocument(spec);
  return 0;
}
