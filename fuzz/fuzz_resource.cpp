#include "fuzz/fuzz_resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "framework/core/c_string.h"
#include "framework/core/cm_file.h"
#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image8.h"
#include "framework/image/image_record.h"
#include "framework/image/sp_gradient.h"
#include "fuzz/fuzz_support.h"
#include "tools/res_compiler.h"
#include "tools/res_store.h"

namespace {

[[noreturn]] void Stop(const char* what, int32_t code) {
  std::fprintf(stderr, "quarn2-fuzz: %s (%d)\n", what, code);
  std::exit(1);
}

void WriteEntry(CCmFile& file, uint32_t entry, const uint8_t* bytes, size_t size) {
  if (size > UINT32_MAX) Stop("an input too large for an entry", kErrInvalidParameter);
  if (const int32_t err = file.SetEntrySize(entry, uint32_t(size))) Stop("an entry could not be sized", err);
  if (size == 0) return;
  CMemBlock block(uint32_t(size), GetDefaultPool());
  if (!block.IsOwned()) Stop("no memory for an input", kErrOutOfMemory);
  std::memcpy(block.GetData(), bytes, size);
  if (const int32_t err = file.WriteEntryFromData(entry, block)) Stop("an entry could not be written", err);
}

std::vector<uint8_t> ReadEntry(CCmFile& file, uint32_t entry) {
  const uint32_t size = file.GetEntryField(entry);
  std::vector<uint8_t> bytes(size);
  if (size == 0) return bytes;
  CMemBlock block(size, GetDefaultPool());
  if (!block.IsOwned()) Stop("no memory for a resource", kErrOutOfMemory);
  if (const int32_t err = file.ReadEntryToData(entry, block)) Stop("an entry could not be read", err);
  std::memcpy(bytes.data(), block.GetData(), size);
  return bytes;
}

CResEntry Entries(CResourceEnv& env, const SSpoolKey& key) {
  SSpoolKey byNumber = key;
  byNumber.byName = 0;
  CResEntry entry{};
  if (env.GetResourceInfo(byNumber, &entry)) return entry;
  if (!env.PutResource(byNumber) || !env.GetResourceInfo(byNumber, &entry))
    Stop("a resource could not be entered", env.GetLastResult());
  return entry;
}

// The image as a new resource of key, written through its record handler; cell(x, y) fills it.
template <typename Navigator, typename Image, typename Cell>
void StoreNewImage(CResourceEnv& env, const SSpoolKey& key, Image& image, SpoolTypeHandler handler, Cell cell) {
  SSpoolKey written = key;
  written.byName = 0;
  written.isNew = 1;
  if (!env.PutResource(written)) Stop("an image resource could not be entered", env.GetLastResult());
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &written, handler);
  if (!image.Subscribe(spec)) Stop("an image could not be subscribed", image.GetError());
  {
    const SRect whole = image.GetBounds();
    Navigator nav(&image, &whole, true, false);
    if (!nav.IsUsable()) Stop("an image could not be locked", image.GetError());
    for (uint32_t y = 0; y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) nav.Cells(y)[x].value = cell(x, y);
  }
  if (!image.Unsubscribe()) Stop("an image could not be written", image.GetError());
}

}  // namespace

CResourceEnv& FuzzResourceEnv() {
  static std::unique_ptr<CResourceEnv> env;
  if (!env) {
    CFileSpec spec;
    spec.Set((FuzzFolder() + "/fuzz.res").c_str());
    env = std::make_unique<CResourceEnv>(spec, CFile::kModeReadWrite);
    if (!env->IsOpen()) Stop("the harness's resource file could not be made", env->GetLastResult());
    // Closed before the framework goes at exit.
    std::atexit([] { env.reset(); });
  }
  return *env;
}

SSpoolKey FuzzKey(const char* type, uint32_t number, const char* name) {
  SSpoolKey key;
  key.Set(type, number, false);
  CopyCString(key.name, name, sizeof key.name);
  return key;
}

void PutRawResource(CResourceEnv& env, const SSpoolKey& key, const uint8_t* data, size_t size, const uint8_t* header,
                    size_t headerSize) {
  const CResEntry entry = Entries(env, key);
  WriteEntry(*env.GetCmFile(), entry.first, data, size);
  WriteEntry(*env.GetCmFile(), entry.second, header, headerSize);
}

void GetRawResource(CResourceEnv& env, const SSpoolKey& key, std::vector<uint8_t>* data, std::vector<uint8_t>* header) {
  CResEntry entry{};
  if (!env.GetResourceInfo(key, &entry)) Stop("a seed's resource is missing", env.GetLastResult());
  *data = ReadEntry(*env.GetCmFile(), entry.first);
  *header = ReadEntry(*env.GetCmFile(), entry.second);
}

void StoreFuzzImage(CResourceEnv& env, const SSpoolKey& key, uint32_t width, uint32_t height) {
  SGridLayout grid;
  MakeImageGridSpec(grid, &env, width, height);
  CImage image(grid);
  StoreNewImage<CImNavigator>(env, key, image, &ImageRecordTypeHandler,
                              [](uint32_t x, uint32_t y) { return (x / 3) * 0x01020304u + y * 0x00110000u; });
}

void StoreFuzzImage8(CResourceEnv& env, const SSpoolKey& key, uint32_t width, uint32_t height, const SRect& area,
                     int32_t originX, int32_t originY) {
  SImage8Layout layout;
  MakeImage8GridSpec(layout, &env, width, height);
  CImage8 image(layout);
  image.SetArea(area);
  image.SetAreaOrigin(originX, originY);
  StoreNewImage<CIm8Navigator>(env, key, image, &Image8RecordTypeHandler,
                               [](uint32_t x, uint32_t y) { return uint8_t(x * 7 + y); });
}

void PutRecordInput(CResourceEnv& env, const SSpoolKey& key, const uint8_t* data, size_t size) {
  if (size == 0) {
    PutRawResource(env, key, nullptr, 0);
    return;
  }
  const size_t headerSize = std::min<size_t>(data[0], size - 1);
  PutRawResource(env, key, data + 1 + headerSize, size - 1 - headerSize, data + 1, headerSize);
}

std::vector<uint8_t> RecordInput(CResourceEnv& env, const SSpoolKey& key) {
  std::vector<uint8_t> body, header;
  GetRawResource(env, key, &body, &header);
  if (header.size() > UINT8_MAX) Stop("a header too long for a record input", kErrInvalidParameter);
  std::vector<uint8_t> input{uint8_t(header.size())};
  input.insert(input.end(), header.begin(), header.end());
  input.insert(input.end(), body.begin(), body.end());
  return input;
}

std::vector<uint8_t> SampleResourceFile() {
  const std::string path = FuzzFolder() + "/sample.res";
  {
    CFileSpec spec;
    spec.Set(path.c_str());
    CResourceEnv env(spec, CFile::kModeReadWrite);
    if (!env.IsOpen()) Stop("the sample resource file could not be made", env.GetLastResult());
    auto store = [&env](const SSpoolKey& key, const std::vector<uint8_t>& bytes) {
      if (const int32_t err = StoreResource(env, key, bytes)) Stop("a sample resource could not be stored", err);
    };
    store(FuzzKey("ixtx", 128, "errors_"), CompileFuzzSource("ixtx", ProjectResourceSource("errors.ixtx")));
    store(FuzzKey("ixco", 1, "colours"), CompileFuzzSource("ixco", "sets 1\n0 0x11223344\n1 0x55667788\n"));
    StoreFuzzImage(env, FuzzKey(kImageType, 1, "picture"), 5, 3);
    store(FuzzKey("ixim", 1, "images"), CompileFuzzSource("ixim", "0 number 1\n1 name \"picture\"\n"));
    store(FuzzKey("eset", 1, "panel"), CompileFuzzSource("eset", "makes 7 place 3 20\nnothing 8\n"));
    StoreFuzzImage8(env, FuzzKey(kImage8Type, 1), 4, 3, SRect{0, 1, 3, 4}, 2, 2);
    CImVector64 ramp[CSpGradient::kEntries];
    MakeDefaultGradient(ramp);
    std::vector<uint8_t> gradient(CSpGradient::kEncodedBytes);
    gradient.resize(EncodeGradient(ramp, gradient.data()));
    store(FuzzKey(kGradientType, 1), gradient);
  }
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> CompileFuzzSource(const std::string& kind, const std::string& source) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!CompileSource(kind, source, &bytes, &error)) {
    std::fprintf(stderr, "quarn2-fuzz: %s\n", error.c_str());
    std::exit(1);
  }
  return bytes;
}

std::string ProjectResourceSource(const std::string& name) {
  std::ifstream in(std::string(QUARN2_SOURCE_DIR) + "/resources/system/" + name, std::ios::binary);
  if (!in) Stop("a resource source is missing", kErrFileNotFound);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
