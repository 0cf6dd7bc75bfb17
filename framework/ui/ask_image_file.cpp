#include "framework/ui/ask_image_file.h"

#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/image/image_io.h"
#include "framework/ui/ui_message.h"

int32_t AskAndReadImage(CUICmFunction* owner, CImage** image, CFileSpec* chosen) {
  *image = nullptr;
  CFileSpec spec;
  int32_t type = CImageIO::kTypeNone;
  bool cancelled = false;
  if (owner) owner->RaiseModalLevel();
  const int32_t asked = CImageIO().AskImageFile(&spec, &type, &cancelled);
  if (owner) owner->LowerModalLevel();
  if (cancelled) return kSilentCode24;
  if (asked) return asked;
  if (const int32_t err = RefuseNonPlainFile(spec.GetPath())) return err;
  if (chosen) *chosen = spec;
  CBusyCursor busy;
  return CImageIO::ReadByType(spec, type, image);
}
