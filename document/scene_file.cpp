#include "document/scene_file.h"

#include "document/doc_settings.h"
#include "framework/core/file.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "platform/file.h"
#include "scene/base_sys.h"

namespace {

// Creator and type codes of scene documents; this platform's files do not keep them.
constexpr const char* kCreator = "Quar";
constexpr const char* kFileType = "QDoc";

int32_t WriteInto(const CFileSpec& spec, C3dBaseSys* table, CDocSettings* settings) {
  CResourceEnv document(spec, CFile::kModeReadWrite, kResourceFileType, kCreator, kFileType);
  if (!document.IsOpen()) return NonZeroError(document.GetLastResult());
  int32_t result = table->WriteDocument(&document);
  if (!result && settings) result = settings->Store(document);
  const int32_t closed = document.Close();
  return result ? result : closed;
}

}  // namespace

int32_t ReadSceneFile(const CFileSpec& spec, C3dBaseSys* table, CDocSettings* settings) {
  if (!table) return kErrInvalidParameter;
  // Opened for reading, a missing file would answer the permission error.
  if (const int32_t error = CFile(spec).Probe()) return error;
  CResourceEnv document(spec, CFile::kModeRead);
  if (!document.IsOpen()) return NonZeroError(document.GetLastResult());
  if (const int32_t error = table->ReadDocument(&document, 0)) return error;
  if (!settings) return kNoErr;
  const int32_t fetched = settings->Fetch(document);
  return fetched == kErrObjectNotFound ? kNoErr : fetched;
}

int32_t WriteSceneFile(const CFileSpec& spec, C3dBaseSys* table, CDocSettings* settings) {
  if (!table) return kErrInvalidParameter;
  CFileSpec temporary;
  if (const int32_t error = CFileSpec::MakeTempBeside(spec, temporary)) return error;
  int32_t result = WriteInto(temporary, table, settings);
  if (!result && !platform::ReplaceFile(temporary.GetPath(), spec.GetPath())) result = NonZeroError(MapLastError());
  if (result) platform::DeleteFile(temporary.GetPath());
  return result;
}
