#include "tools/res_store.h"

#include <cstring>

#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/core/subscriber.h"

SSpoolTableSpec KeyedSpec(const SSpoolKey& key, SpoolTypeHandler handler) {
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, handler);
  return spec;
}

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
