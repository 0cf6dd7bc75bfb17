#include "framework/image/cursor_picture.h"

#include <cstring>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/resource_env.h"
#include "framework/core/system_info.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "platform/window.h"

platform::CursorHandle LoadCursorPicture(const char* pictureName) {
  CAppl* app = GetApplication();
  CResourceEnv* env = app ? app->GetResourceEnv() : nullptr;
  // A longer name would be cut to the key's length and could find another picture.
  if (!env || !env->IsOpen() || !pictureName || std::strlen(pictureName) > SSpoolKey::kNameChars) return nullptr;
  SGridLayout grid;
  MakeImageGridSpec(grid, env, 0, 0);
  CImage image(grid);
  SSpoolKey key;
  key.SetByName(kImageType, pictureName, false);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  if (!image.Subscribe(spec) || !image.IsValid()) return nullptr;
  const SRect whole = image.GetBounds();
  CImNavigator nav(&image, &whole, false, false);
  if (!nav.IsUsable()) return nullptr;
  std::vector<uint32_t> pixels;
  bool anyAlpha = false;
  for (uint32_t y = 0; y < nav.GetRows(); ++y) {
    for (uint32_t x = 0; x < nav.GetColumns(); ++x) {
      pixels.push_back(nav.Cells(y)[x].value);
      anyAlpha = anyAlpha || (pixels.back() >> 24) != 0;
    }
  }
  // A picture drawn without coverage shows whole.
  if (!anyAlpha) {
    for (uint32_t& p : pixels) p |= 0xFF000000u;
  }
  return platform::CreatePictureCursor(pictureName, int32_t(nav.GetColumns()), int32_t(nav.GetRows()), pixels.data(),
                                       image.GetOriginH(), image.GetOriginV());
}

void InstallCursorPictureLoader() { CSystemInfo::Get().SetCursorPictureLoader(&LoadCursorPicture); }

void RemoveCursorPictureLoader() { CSystemInfo::Get().SetCursorPictureLoader(nullptr); }
