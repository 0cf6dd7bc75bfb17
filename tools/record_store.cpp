#include "tools/record_store.h"

#include <cstring>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "framework/ui/outline_font.h"
#include "tools/res_store.h"

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
