// Open, merge and revert: a document is read whole into a table of its own, with its settings record
// and the picture beside it, before anything of the window changes; only then does the table take
// the scene table's place (or join it, for a merge), and the scene is prepared.
#include <algorithm>
#include <memory>
#include <string>

#include "app/doc_window.h"
#include "document/doc_settings.h"
#include "document/file_names.h"
#include "document/layout_needs.h"
#include "document/old_quarn_file.h"
#include "document/prefs_file.h"
#include "editing/document.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/c_string.h"
#include "framework/core/file.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "framework/ui/ui_message.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/sky.h"
#include "scene/sun_light.h"

namespace {

// The reader's modes: the whole document, or all but its cameras.
constexpr uint32_t kReadAll = 0;
constexpr uint32_t kReadAllButCameras = 1;
constexpr const char kGetFilterBuiltIn[] = "Quarn files(*.qnc)\0*.qnc\0All Files (*.*)\0*.*\0";
constexpr const char* kPictureExtension = ".bmp";
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

CSpoolSys* DataEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetDataEnv() : nullptr;
}

bool FitsDocument(uint32_t width, uint32_t height) {
  return width >= 1 && width <= CDocWindow::kMaxDocumentWidth && height >= 1 &&
         height <= CDocWindow::kMaxDocumentHeight;
}

// Settings whose sizes the document set-up could not have given are not a document's.
bool HasDocumentSizes(const CDocSettings& settings) {
  return FitsDocument(settings.GetWord(CDocSettings::kImageWidth), settings.GetWord(CDocSettings::kImageHeight)) &&
         FitsDocument(settings.GetWord(CDocSettings::kRenderWidth), settings.GetWord(CDocSettings::kRenderHeight));
}

// A document keeps the picture of its last render beside it unless the preferences say otherwise.
bool KeepsPicture() {
  CPrefsFile prefs;
  return prefs.GetWord(CPrefsFile::kPictureWithDocumentOffset) != 0;
}

struct SImageDeleter {
  void operator()(CImage* image) const { delete image; }
};
using ImagePtr = std::unique_ptr<CImage, SImageDeleter>;

// An image at the settings' render size, or null.
ImagePtr NewRenderedImage(const CDocSettings& settings) {
  int32_t error = kNoErr;
  ImagePtr image(NewDataImage(settings.GetWord(CDocSettings::kRenderWidth),
                              settings.GetWord(CDocSettings::kRenderHeight), &error));
  if (!image || !image->IsReady()) return nullptr;
  return image;
}

}  // namespace

std::string CDocWindow::DialogFilter(const char* listName, const char* builtIn, size_t builtInBytes) {
  CAppl* app = GetApplication();
  CIxText list(app ? app->GetResourceEnv() : nullptr, listName, CIxText::kNone);
  if (list.GetResult() != kNoErr) return std::string(builtIn, builtInBytes);
  CIxTxHolder held(&list, true);
  std::string filter;
  for (uint32_t i = 0; held.IsHeld() && i < list.Count(); ++i) filter.append(list.TextAt(i)).push_back('\0');
  return filter;
}

struct CDocWindow::SReadDocument {
  CFileSpec spec;
  EReadKind kind = EReadKind::kOpen;
  std::unique_ptr<C3dBaseSys> table;
  // The window's settings, with what the document brought in place of them.
  std::unique_ptr<CDocSettings> settings;
  ImagePtr renderedImage;
  bool pictureRead = false;
  bool earlierVersion = false;

  bool IsMerge() const { return kind == EReadKind::kMerge; }
};

// ---- the commands

int32_t CDocWindow::OpenDocument(uint8_t merge, const CFileSpec* file, bool withSkyAndSun) {
  CFileSpec chosen;
  if (file) {
    chosen = *file;
  } else {
    const std::string filter = DialogFilter(need::kGetFileFilter.name, kGetFilterBuiltIn, sizeof kGetFilterBuiltIn);
    if (const int32_t err = AskForFileToOpen(&chosen, filter.c_str())) return err;
  }
  return LoadDocument(chosen, merge ? EReadKind::kMerge : EReadKind::kOpen, withSkyAndSun);
}

int32_t CDocWindow::RevertDocument(CFileSpec file) { return LoadDocument(file, EReadKind::kRevert, false); }

int32_t CDocWindow::AskForFileToOpen(CFileSpec* spec, const char* filter) {
  CAppl* app = GetApplication();
  if (!app) return kErrUnexpectedStatus;
  CUICmFunction* owner = GetOwner();
  if (owner) owner->RaiseModalLevel();
  const int32_t err = app->ChooseFileToOpen(spec, filter, nullptr, nullptr);
  if (owner) owner->LowerModalLevel();
  app->DispatchPaintMessages();
  return err;
}

int32_t CDocWindow::LoadDocument(const CFileSpec& spec, EReadKind kind, bool withSkyAndSun) {
  if (const int32_t err = RefuseNonPlainFile(spec.GetPath())) return err;
  SReadDocument read;
  read.spec = spec;
  read.kind = kind;
  read.table = NewSceneTable();
  read.settings = std::make_unique<CDocSettings>(SSpoolLayout{DataEnvironment(), 0, 0});
  if (!read.table || !read.settings->IsValid()) return kErrOutOfMemory;
  read.settings->CopyRecord(*fSettings);
  if (const int32_t err = ReadDocumentFile(read)) return err;
  if (kind != EReadKind::kRevert) ShowRenderedImage(false);
  if (read.IsMerge()) return MergeScene(read, withSkyAndSun);
  return ReplaceScene(read);
}

// ---- reading

int32_t CDocWindow::ReadDocumentFile(SReadDocument& read) {
  // Opened for reading, a missing file would answer the permission error.
  if (const int32_t err = CFile(read.spec).Probe()) return err;
  CResourceEnv document(read.spec, CFile::kModeRead);
  if (!document.IsOpen()) {
    const int32_t err = document.GetLastResult();
    return err == kErrCompositeExpected ? ReadEarlierDocument(read) : NonZeroError(err);
  }
  {
    CBusyCursor busy;
    if (const int32_t err = read.table->ReadDocument(&document, read.IsMerge() ? kReadAllButCameras : kReadAll))
      return err;
  }
  if (read.IsMerge()) return kNoErr;
  ReadSettingsRecord(document, read);
  ReadPicture(read);
  return kNoErr;
}

// A record that is missing, unreadable or of sizes no document has leaves the window's settings.
void CDocWindow::ReadSettingsRecord(CResourceEnv& document, SReadDocument& read) {
  CDocSettings stored(SSpoolLayout{DataEnvironment(), 0, 0});
  if (!stored.IsValid() || stored.Fetch(document) != kNoErr || !HasDocumentSizes(stored)) return;
  read.settings->CopyRecord(stored);
}

// The rendered image at the settings' render size, with the picture beside the document in it. On
// open a picture that does not load leaves the image white and the progressive render to start
// over; a revert keeps the image as it came and the stored progressive state.
void CDocWindow::ReadPicture(SReadDocument& read) {
  const std::string path = read.spec.GetPath();
  if (!KeepsPicture() || ExtensionStart(path) == std::string::npos) return;
  CFileSpec picture;
  if (picture.Set(WithExtension(path, kPictureExtension).c_str())) return;
  read.renderedImage = NewRenderedImage(*read.settings);
  CImage* image = read.renderedImage.get();
  if (!image) return;
  read.pictureRead = CImBitmapFile::LoadImage(picture, &image) == kNoErr;
  if (read.pictureRead || read.kind == EReadKind::kRevert) return;
  image->Fill(kOpaqueWhite);
  for (uint32_t word = CDocSettings::kBlockSize; word < CDocSettings::kRenderOptions; ++word)
    read.settings->SetWord(word, 0);
}

// The settings block's rectangles give the sizes (when a document could have them) and the render
// region; on open the rendered image starts white at the render size.
int32_t CDocWindow::ReadEarlierDocument(SReadDocument& read) {
  SOldDocumentRects rects;
  {
    CBusyCursor busy;
    if (const int32_t err = ImportOldDocument(read.spec, read.table.get(), &rects)) return err;
  }
  read.earlierVersion = true;
  CDocSettings& settings = *read.settings;
  const auto width = [](const old_format::SRect& r) { return uint32_t(int32_t(r.right) - int32_t(r.left)); };
  const auto height = [](const old_format::SRect& r) { return uint32_t(int32_t(r.bottom) - int32_t(r.top)); };
  if (FitsDocument(width(rects.view), height(rects.view)) && FitsDocument(width(rects.second), height(rects.second)))
    settings.SetSizes(int32_t(width(rects.view)), int32_t(height(rects.view)), int32_t(width(rects.second)),
                      int32_t(height(rects.second)));
  if (read.kind == EReadKind::kRevert) return kNoErr;
  settings.SetWord(CDocSettings::kBlockSize, 0);
  ImagePtr image = NewRenderedImage(settings);
  if (image && image->Fill(kOpaqueWhite)) read.renderedImage = std::move(image);
  return kNoErr;
}

// ---- the scene replaced

// The working materials and the clipboard keep their textures, which move into the new table; when
// one cannot, the old scene stays whole. From here on the new table is the window's.
int32_t CDocWindow::ReplaceScene(SReadDocument& read) {
  if (const int32_t err =
          fDocument->MoveKeptTextures(fScene.get(), read.table.get(), fDefaultMaterial, fCopiedMaterial))
    return err;
  DetachScene();
  fScene.swap(read.table);
  // The old scene goes with the reading's table.
  read.table.reset();
  AttachScene();

  fFile = read.spec;
  SetFlags(kHasFile);
  CopyCString(fTitle, BareFileName(read.spec.GetPath()).c_str(), sizeof fTitle);
  fRender.fTitle = fTitle;
  fSettings->CopyRecord(*read.settings);
  if (fSettings->GetWord(CDocSettings::kRenderOptions))
    fRender.fSettings.fFlags = fSettings->GetWord(CDocSettings::kRenderOptions);
  TakeRenderedImage(read);
  const int32_t result = ResetScene(read.earlierVersion);
  fSettings->GiveProgressive(fRender.fContext.GetProgressive());
  return result;
}

void CDocWindow::TakeRenderedImage(SReadDocument& read) {
  if (!read.renderedImage) return;
  delete fRenderedImage;
  fRenderedImage = read.renderedImage.release();
  fHoldsPicture = read.pictureRead;
  const SPointHV size = GetRenderImageSize();
  fShownSize = size;
  fVisiblePart = {0, 0, size.v, size.h};
  if (read.pictureRead || read.kind == EReadKind::kRevert) ShowRenderedImage(true);
  if (read.pictureRead && read.kind == EReadKind::kOpen) fDirty |= kDirtyLayer;
}

// The merged things join the scene with fresh ids; the window's sky and sun stay unless the merged
// document's are to take their place. An earlier-version document's groups take their members by the
// numbers of its own objects, before those meet the scene's; its sizes become the window's, as an open
// would make them.
int32_t CDocWindow::MergeScene(SReadDocument& read, bool withSkyAndSun) {
  if (read.earlierVersion) {
    if (const int32_t err = C3dGroup::RelinkFromIds(read.table.get())) return err;
  }
  C3dBaseSys* from = withSkyAndSun ? fScene.get() : read.table.get();
  const struct {
    const char* name;
    uint32_t family;
    uint32_t classTag;
  } dropped[] = {{kSkyName, C3dSky::kFamily, C3dSky::kClassTag},
                 {kSunName, C3dSunLight::kFamily, C3dSunLight::kClassTag}};
  if (withSkyAndSun) DetachScene();
  for (const auto& thing : dropped) {
    C3dBase* found = nullptr;
    if (from->FindObject(thing.name, thing.family, thing.classTag, &found) == kNoErr && found)
      from->RemoveObject(found, true, false);
  }
  const int32_t moved = read.table->MoveAllTo(fScene.get(), true);
  if (withSkyAndSun) AttachScene();
  if (read.earlierVersion && !moved) {
    for (uint32_t word = CDocSettings::kImageWidth; word < CDocSettings::kBlockSize; ++word)
      fSettings->SetWord(word, read.settings->GetWord(word));
    TakeRenderedImage(read);
  }
  fRender.fContext.ResetProgressive();
  const int32_t result = ResetScene(false);
  SetFlags(kUnsavedChanges);
  return moved ? moved : result;
}
