// The picture list file ("2DTexture.lst", type 'QLst'): a resource file holding picture textures in
// the record form of a scene document, one "CPictTexture" record and its "C3dCImage" picture per
// texture, written from the current document and merged into another.
#include <algorithm>
#include <string>
#include <unordered_set>

#include "document/class_table.h"
#include "document/document_reader.h"
#include "document/file_names.h"
#include "editing/document_host.h"
#include "editors/material/pict_textures.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/file.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "platform/file.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/surface/pict_texture.h"

namespace {

constexpr const char* kCreator = "Quar";
constexpr const char* kFileType = "QLst";
constexpr const char* kExtension = ".lst";
constexpr const char* kDefaultExtension = "lst";
constexpr const char* kPattern = "*.lst";
// The dialogs' texts when the layout's list lacks them.
constexpr const char* kBuiltInFilter = "2D Picture List(*.lst)";
constexpr const char* kBuiltInName = "2DTexture.lst";
constexpr const char* kBuiltInTitle = "Save List";
enum ETextEntry : uint32_t { kFilterEntry, kNameEntry, kUnusedEntry, kTitleEntry };

// The list's entries, or the built-in texts; false when the list cannot be locked.
struct SDialogTexts {
  std::string filter;  // the name and the pattern, each zero-terminated, and a zero
  std::string name;
  std::string title;
};

bool TakeTexts(CIxText* list, SDialogTexts* out) {
  std::string filter = kBuiltInFilter;
  out->name = kBuiltInName;
  out->title = kBuiltInTitle;
  if (list) {
    CIxTxHolder held(list, true);
    if (!held.IsHeld()) return false;
    const uint32_t count = list->Count();
    if (count > kFilterEntry) filter = list->TextAt(kFilterEntry);
    if (count > kNameEntry) out->name = list->TextAt(kNameEntry);
    if (count > kTitleEntry) out->title = list->TextAt(kTitleEntry);
  }
  out->filter = filter + '\0' + kPattern + '\0' + '\0';
  return true;
}

// A name whose file name has no extension gets ".lst"; a dot in a folder's name does not count.
std::string ListPath(const std::string& chosen) {
  return ExtensionStart(chosen) == std::string::npos ? chosen + kExtension : chosen;
}

// The earlier list's bytes into the fresh temporary file, so that its other resources stay as a
// list opened for writing keeps them.
int32_t CopyEarlierList(const std::string& target, const std::string& temporary) {
  if (!platform::PathExists(target)) return kNoErr;
  std::string bytes;
  if (!platform::ReadWholeFile(target, &bytes)) return NonZeroError(MapLastError());
  const platform::FileHandle out =
      platform::OpenFile(temporary, platform::kAccessWrite, 0, platform::FileCreate::kCreateAlways);
  if (out == platform::kNoFile) return NonZeroError(MapLastError());
  for (size_t done = 0; done < bytes.size();) {
    const uint32_t piece = uint32_t(std::min<size_t>(bytes.size() - done, 1u << 20));
    uint32_t written = 0;
    if (!platform::WriteFile(out, bytes.data() + done, piece, &written) || written != piece) {
      const int32_t error = NonZeroError(MapLastError());
      platform::CloseFile(out);
      return error;
    }
    done += piece;
  }
  return platform::CloseFile(out) ? kNoErr : NonZeroError(MapLastError());
}

// The picture textures of the table, in row order.
std::unordered_set<C3dBase*> PictureTextures(C3dBaseSys* scene) {
  std::unordered_set<C3dBase*> found;
  CHolder rows(scene, false, false);
  for (uint32_t row = 0; rows.IsLocked() && row < scene->GetCount(); ++row) {
    C3dBase* thing = (*scene)[row].object;
    if (thing && thing->GetFamily() == CBaseTexture::kFamily && thing->GetClass() == CPictTexture::kClassTag)
      found.insert(thing);
  }
  return found;
}

// What a read added goes again; the document is as it was.
void RemoveAdded(C3dBaseSys* scene, const std::unordered_set<C3dBase*>& before) {
  for (C3dBase* thing : PictureTextures(scene)) {
    if (!before.count(thing)) scene->RemoveObject(thing, true, false);
  }
}

}  // namespace

// ---- saving

int32_t CPictTextures::SaveList() {
  SDialogTexts texts;
  if (!TakeTexts(fTexts.get(), &texts)) return kErrOutOfMemory;
  CAppl* app = GetApplication();
  if (!app) return kErrUnexpectedStatus;
  CFileSpec chosen;
  bool existed = false;
  CUICmFunction* owner = GetOwner();
  if (owner) owner->RaiseModalLevel();
  const int32_t asked = app->ChooseFileToSave(&chosen, &existed, texts.filter.c_str(), nullptr, texts.name.c_str(),
                                              kDefaultExtension);
  if (owner) owner->LowerModalLevel();
  if (asked == kSilentCode24) return kNoErr;
  if (asked) return asked;
  CFileSpec target;
  if (const int32_t err = target.Set(ListPath(chosen.GetPath()).c_str())) return err;
  CFileSpec temporary;
  if (const int32_t err = CFileSpec::MakeTempBeside(target, temporary)) return err;
  int32_t result = CopyEarlierList(target.GetPath(), temporary.GetPath());
  if (!result) {
    CBusyCursor busy;
    CResourceEnv list(temporary, CFile::kModeReadWrite, kResourceFileType, kCreator, kFileType);
    result = list.IsOpen() ? WriteListEntries(&list) : NonZeroError(list.GetLastResult());
    const int32_t closed = list.IsOpen() ? list.Close() : kNoErr;
    if (!result) result = closed;
  }
  if (!result && !platform::ReplaceFile(temporary.GetPath(), target.GetPath())) result = NonZeroError(MapLastError());
  if (result) platform::DeleteFile(temporary.GetPath());
  return result;
}

// Each texture goes into the list and back into the environment it came from, also when it fails.
int32_t CPictTextures::WriteListEntries(CResourceEnv* environment) {
  CDocumentHost* host = GetCurrentDocumentHost();
  C3dBaseSys* scene = host ? host->GetSceneTable() : nullptr;
  C3dBaseSpoolTable* pictures = host ? host->GetPictureList() : nullptr;
  if (!scene || !pictures) return kNoErr;
  CHolder held(pictures, false, false);
  if (!held.IsLocked()) return NonZeroError(pictures->GetError());
  for (uint32_t i = 0; i < pictures->GetCount(); ++i) {
    if (const int32_t err = scene->WriteObject(pictures->At(i), environment)) return err;
  }
  return kNoErr;
}

// ---- opening

int32_t CPictTextures::OpenList() {
  SDialogTexts texts;
  if (!TakeTexts(fTexts.get(), &texts)) return kErrOutOfMemory;
  CAppl* app = GetApplication();
  CDocumentHost* host = GetCurrentDocumentHost();
  C3dBaseSys* scene = host ? host->GetSceneTable() : nullptr;
  if (!app || !scene) return kErrUnexpectedStatus;
  CFileSpec chosen;
  CUICmFunction* owner = GetOwner();
  if (owner) owner->RaiseModalLevel();
  const int32_t asked = app->ChooseFileToOpen(&chosen, texts.filter.c_str(), texts.title.c_str(), nullptr);
  if (owner) owner->LowerModalLevel();
  if (asked == kSilentCode24) return kNoErr;
  if (asked) return asked;
  // Opened for reading, a missing file would answer the permission error.
  if (const int32_t err = CFile(chosen).Probe()) return err;
  CResourceEnv list(chosen, CFile::kModeRead, kResourceFileType, kCreator, kFileType);
  if (!list.IsOpen()) return NonZeroError(list.GetLastResult());
  CBusyCursor busy;
  const std::unordered_set<C3dBase*> before = PictureTextures(scene);
  const SDocumentClass* pictures = FindDocumentClass(CBaseTexture::kFamily, CPictTexture::kClassTag);
  int32_t result = pictures ? kNoErr : kErrUnexpectedStatus;
  {
    CDocumentReader reader(scene, &list);
    if (!result) result = reader.ReadClass(*pictures);
    if (!result) result = reader.Link();
  }
  if (result) {
    RemoveAdded(scene, before);
    return result;
  }
  if (const int32_t err = host->FindSceneParts(false)) return err;
  return RefreshSlots(nullptr);
}
