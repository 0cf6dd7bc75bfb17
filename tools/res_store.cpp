#include "tools/res_store.h"

#include <cstring>

#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "framework/ui/outline_font.h"

namespace {

SSpoolTableSpec KeyedSpec(const SSpoolKey& key, SpoolTypeHandler handler = nullptr) {
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, handler);
  return spec;
}

}  // namespace

int32_t StoreResource(CResourceEnv& env, const SSpoolKey& key, const std::vector<uint8_t>& bytes,
                      SpoolTypeHandler handler) {
  if (!env.PutResource(key)) return NonZeroError(env.GetLastResult());
  CSubscriber object(SSpoolLayout{&env, 0, 0});
  SSpoolKey written = key;
  written.byName = 0;
  written.isNew = 1;
  if (!object.Subscribe(KeyedSpec(written, handler))) return NonZeroError(object.GetError());
  if (!object.Resize(uint32_t(bytes.size()), false, false)) return NonZeroError(object.GetError());
  CHolder holder(&object, true, true);
  if (!holder.IsLocked()) return NonZeroError(object.GetError());
  if (!bytes.empty()) std::memcpy(object.GetData(), bytes.data(), bytes.size());
  holder.Release();
  if (object.IsModified()) return NonZeroError(object.GetError());
  return object.Unsubscribe() ? kNoErr : NonZeroError(object.GetError());
}

int32_t LoadResource(CResourceEnv& env, const SSpoolKey& key, std::vector<uint8_t>* bytes) {
  bytes->clear();
  CSubscriber object(SSpoolLayout{&env, 0, 0});
  if (!object.Subscribe(KeyedSpec(key))) return NonZeroError(object.GetError());
  CHolder holder(&object, false, false);
  if (!holder.IsLocked()) return NonZeroError(object.GetError());
  bytes->assign(object.GetData(), object.GetData() + object.GetDataSize());
  return kNoErr;
}

int32_t LoadStoredEntry(CResourceEnv& env, const SSpoolKey& key, std::vector<uint8_t>* bytes) {
  bytes->clear();
  CResEntry entry{};
  if (!env.GetResourceInfo(key, &entry)) return NonZeroError(env.GetLastResult());
  CCmFile* file = env.GetCmFile();
  const uint32_t size = file->GetEntryField(entry.first);
  CMemBlock block(size, GetDefaultPool());
  if (size && !block.IsOwned()) return kErrOutOfMemory;
  if (size) {
    if (const int32_t err = file->ReadEntry(entry.first, block)) return err;
  }
  bytes->assign(block.GetData(), block.GetData() + size);
  return kNoErr;
}

int32_t StorePicture(CResourceEnv& env, const SSpoolKey& key, uint32_t width, uint32_t height,
                     const std::vector<uint32_t>& pixels, int32_t originH, int32_t originV) {
  if (pixels.size() != size_t(width) * height) return kErrInvalidParameter;
  if (!env.PutResource(key)) return NonZeroError(env.GetLastResult());
  SGridLayout grid;
  MakeImageGridSpec(grid, &env, width, height);
  CImage image(grid);
  SSpoolKey written = key;
  written.byName = 0;
  written.isNew = 1;
  if (!image.Subscribe(KeyedSpec(written, &ImageRecordTypeHandler))) return NonZeroError(image.GetError());
  {
    CImNavigator navigator(&image, nullptr, true, false);
    if (!navigator.IsUsable()) return NonZeroError(image.GetError());
    for (uint32_t y = 0; y < navigator.GetRows(); ++y) {
      CImVector* row = navigator.Cells(y);
      for (uint32_t x = 0; x < navigator.GetColumns(); ++x) row[x].value = pixels[size_t(y) * width + x];
    }
  }
  image.SetOrigin(originH, originV);
  return image.Unsubscribe() ? kNoErr : NonZeroError(image.GetError());
}

int32_t StoreOutlineFont(CResourceEnv& env, const SSpoolKey& key, const SOutlineFontSource& font) {
  if (font.data.size() > UINT32_MAX) return kErrInvalidParameter;
  if (!env.PutResource(key)) return NonZeroError(env.GetLastResult());
  COutlineFont written(&env);
  if (!written.IsValid()) return NonZeroError(written.GetError());
  written.SetRecord(font.points, font.glyphs, font.box, font.doubleByte);
  SSpoolKey newKey = key;
  newKey.byName = 0;
  newKey.isNew = 1;
  if (!written.Subscribe(KeyedSpec(newKey, &COutlineFont::HandleSpoolMessage))) return NonZeroError(written.GetError());
  if (!written.Resize(uint32_t(font.data.size()), false, false)) return NonZeroError(written.GetError());
  {
    CHolder holder(&written, true, true);
    if (!holder.IsLocked()) return NonZeroError(written.GetError());
    if (!font.data.empty()) std::memcpy(written.GetData(), font.data.data(), font.data.size());
  }
  if (written.IsModified()) return NonZeroError(written.GetError());
  return written.Unsubscribe() ? kNoErr : NonZeroError(written.GetError());
}
