// Save, the settings record, and the save question that stands before unsaved changes are dropped,
// with the replies of the save and revert questions.
#include <cstring>
#include <string>

#include "app/doc_window.h"
#include "document/doc_settings.h"
#include "document/file_names.h"
#include "document/layout_needs.h"
#include "document/prefs_file.h"
#include "document/scene_file.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/c_string.h"
#include "framework/core/result_codes.h"
#include "framework/image/bitmap_file.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/revert_changes.h"
#include "panels/save_changes.h"

namespace {

constexpr const char kPutFilterBuiltIn[] = "Quarn files(*.qnc)\0*.qnc\0";
constexpr const char* kDocumentExtension = ".qnc";
constexpr const char* kDefaultExtension = "qnc";
constexpr const char* kPictureExtension = ".bmp";
// What a reply to the save question may still have to do.
constexpr uint32_t kAfterQuestion =
    CDocWindow::kQuitAfterQuestion | CDocWindow::kOpenAfterQuestion | CDocWindow::kMergeAfterQuestion |
    CDocWindow::kAltAfterQuestion;
constexpr uint32_t kOpenBits = CDocWindow::kOpenAfterQuestion | CDocWindow::kMergeAfterQuestion |
                               CDocWindow::kAltAfterQuestion;

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

// ---- save

int32_t CDocWindow::SaveDocument(int32_t asNew) {
  std::string chosen = fFile.GetPath();
  const bool ask = asNew || chosen.empty();
  if (ask) {
    const std::string filter = DialogFilter(need::kPutFileFilter.name, kPutFilterBuiltIn, sizeof kPutFilterBuiltIn);
    const std::string name = std::string(fTitle) + kDocumentExtension;
    CFileSpec answer;
    if (const int32_t err = AskForFileToSave(&answer, filter.c_str(), name.c_str())) return err;
    chosen = answer.GetPath();
  }
  const std::string path = WithExtension(chosen, kDocumentExtension);
  // The dialog asked about the name it showed, and the document's own file is its to replace; any other
  // file (an earlier-version document's ".qnc" twin) is asked about here.
  if (path != chosen && !MayReplaceFile(path)) return kSilentCode24;
  CFileSpec target;
  if (target.Set(path.c_str())) return kErrInvalidPath;
  SaveDocumentSettings(nullptr);
  {
    CBusyCursor busy;
    if (const int32_t err = WriteSceneFile(target, fScene.get(), fSettings.get())) return err;
  }
  fFile = target;
  CopyCString(fTitle, BareFileName(path).c_str(), sizeof fTitle);
  fRender.fTitle = fTitle;
  ClearFlags(kUnsavedChanges);
  SetFlags(kHasFile);
  // The picture is a convenience beside the document: the save stands without it. A rendered image
  // never rendered is no picture; a white one read back would hide the scene.
  if (CPrefsFile().GetWord(CPrefsFile::kPictureWithDocumentOffset) != 0 && fRenderedImage && fHoldsPicture) {
    CFileSpec picture;
    int32_t err = picture.Set(WithExtension(path, kPictureExtension).c_str());
    if (!err) err = SaveImageAsBmp(picture, fRenderedImage, true);
    if (CAppl* app = GetApplication(); app && err) app->TellError(err);
  }
  return kNoErr;
}

int32_t CDocWindow::AskForFileToSave(CFileSpec* spec, const char* filter, const char* name) {
  CAppl* app = GetApplication();
  if (!app) return kErrUnexpectedStatus;
  CUICmFunction* owner = GetOwner();
  if (owner) owner->RaiseModalLevel();
  bool replacing = false;
  const int32_t err = app->ChooseFileToSave(spec, &replacing, filter, nullptr, name, kDefaultExtension);
  if (owner) owner->LowerModalLevel();
  app->DispatchPaintMessages();
  return err;
}

int32_t CDocWindow::SaveDocumentSettings(CResourceEnv* document) {
  fSettings->TakeProgressive(fRender.fContext.GetProgressive());
  fSettings->SetWord(CDocSettings::kRenderOptions, fRender.fSettings.fFlags);
  return document ? fSettings->Store(*document) : kNoErr;
}

// ---- the save question

int32_t CDocWindow::AskToSaveChanges(uint32_t after) {
  if (!(fFlags & kUnsavedChanges)) return kNoErr;
  if (fAskingToSave) return kHandled;
  SetFlags(after);
  fAskingToSave = true;
  CUIMessage request;
  request.Init(0, need::kSaveChanges.name, nullptr, nullptr, 0);
  const int32_t answer = GetOwner() ? GetOwner()->Dispatch(&request) : kNoErr;
  if (answer == kHandled) return kHandled;
  // No dialog asked: the changes must not be dropped as if there were none.
  ClearFlags(after);
  fAskingToSave = false;
  return answer ? answer : kErrFailedCreation;
}

// A save that fails keeps the document and drops what the question would have gone on with.
int32_t CDocWindow::HandleSaveReply(const CUIMessage& message) {
  const char* reply = message.elementName;
  const bool save = Is(reply, CSaveChanges::kSave);
  if (!save && !Is(reply, CSaveChanges::kDontSave) && !Is(reply, CSaveChanges::kSaveCancel)) return kNoErr;
  fAskingToSave = false;
  if (Is(reply, CSaveChanges::kSaveCancel)) {
    ClearFlags(kAfterQuestion);
    return kNoErr;
  }
  CAppl* app = GetApplication();
  if (save) {
    if (const int32_t err = SaveDocument(0)) {
      ClearFlags(kAfterQuestion);
      return err;
    }
    if (fFlags & kQuitAfterQuestion) {
      ClearFlags(kQuitAfterQuestion);
      if (app) app->Quit();
      return kHandled;
    }
  } else if (fFlags & kQuitAfterQuestion) {
    // The flag stays: the program is on its way out and asks nothing more.
    if (app) app->Quit();
    return kNoErr;
  }
  if (!(fFlags & kOpenBits)) {
    // A new document starts with the document set-up.
    CUIMessage setup;
    const char* name = need::kDocSetup.canvas.name;
    setup.Init(0, name, nullptr, name, CUIMessage::kBroadcast);
    return GetOwner() ? GetOwner()->Dispatch(&setup) : kNoErr;
  }
  const uint32_t pending = fFlags;
  ClearFlags(kOpenBits);
  const int32_t err = OpenDocument((pending & kMergeAfterQuestion) ? 1 : 0, nullptr, pending & kAltAfterQuestion);
  if (!err) {
    SetFlags(kHasFile);
    ClearFlags(kUnsavedChanges);
  }
  return err;
}

int32_t CDocWindow::HandleRevertReply(const CUIMessage& message) {
  if (!Is(message.elementName, CRevertChanges::kRevertDone)) return kNoErr;
  const int32_t err = RevertDocument(fFile);
  if (!err) ClearFlags(kUnsavedChanges);
  return err;
}
