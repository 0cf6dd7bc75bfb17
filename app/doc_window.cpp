#include "app/doc_window.h"

#include <cstring>

#include "app/layout_needs.h"
#include "framework/core/c_string.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/ui_message.h"

namespace {

constexpr const char* kUntitled = "Untitled";
// Messages whose work is the document window's own and not built yet.
constexpr const char* kUnbuiltMessages[] = {"clear & render button", "resume render button", "size document"};

CDocWindow* gCurrent = nullptr;

}  // namespace

CDocWindow* GetCurrentDocWindow() { return gCurrent; }
void SetCurrentDocWindow(CDocWindow* window) { gCurrent = window; }

CDocWindow::CDocWindow(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kChildStyle, need::kDocWindow) {
  fFile.Set(nullptr);
  CopyCString(fTitle, kUntitled, sizeof fTitle);
}

CDocWindow::~CDocWindow() {
  if (gCurrent == this) gCurrent = nullptr;
}

int32_t CDocWindow::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  return CElSystem::FindElement(GetRoot()->GetChildren(), need::kDocImage.name, &fDocImage, false);
}

int32_t CDocWindow::Init(CResourceEnv* textures, SPointHV imageSize, SPointHV renderSize) {
  fTextures = textures;
  fImageSize = imageSize;
  fRenderSize = renderSize;
  fDirty = 0xFFFFFFFF;
  CIxTextLocal titles(GetResourceEnvironment(), need::kDocText.name, CIxText::kNone);
  if (titles.GetResult() == kNoErr && titles.Count() >= need::kDocText.entries)
    CopyCString(fTitle, titles.TextAt(0), sizeof fTitle);
  ClearFlags(kUnsavedChanges);
  fViewRect = {0, 0, imageSize.v, imageSize.h};
  return kNoErr;
}

void CDocWindow::SetViewRect(const SRect& rect) { fViewRect = rect; }

void CDocWindow::LayoutView() {
  if (fDocImage) fDocImage->SetRect(fViewRect, false);
  Redraw(nullptr);
}

void CDocWindow::Invalidate(bool viewChanged) {
  fDirty |= kDirtyRedraw | kDirtyLayer | kDirtyScreen | (viewChanged ? kDirtyView : 0u);
}

int32_t CDocWindow::AskToSaveChanges(uint32_t) { return kNoErr; }

int32_t CDocWindow::OpenDocument(uint8_t, const CFileSpec*, bool) { return kErrNotImplemented; }
int32_t CDocWindow::RevertDocument(CFileSpec) { return kErrNotImplemented; }
int32_t CDocWindow::SaveDocument(int32_t) { return kErrNotImplemented; }
int32_t CDocWindow::ImportObject() { return kErrNotImplemented; }
int32_t CDocWindow::OpenPicture() { return kErrNotImplemented; }
int32_t CDocWindow::PrintDocument() { return kErrNotImplemented; }
int32_t CDocWindow::PageSetup() { return kErrNotImplemented; }
int32_t CDocWindow::RenderToDisk() { return kErrNotImplemented; }
int32_t CDocWindow::EditCommand(uint32_t) { return kErrNotImplemented; }
int32_t CDocWindow::DuplicateSelection() { return kErrNotImplemented; }
int32_t CDocWindow::ReplicateSelection() { return kErrNotImplemented; }
int32_t CDocWindow::GroupSelection() { return kErrNotImplemented; }
int32_t CDocWindow::UngroupSelection() { return kErrNotImplemented; }
int32_t CDocWindow::EditSelection() { return kErrNotImplemented; }
int32_t CDocWindow::ShowSelectionAsBox(bool) { return kErrNotImplemented; }
int32_t CDocWindow::FlyAround() { return kErrNotImplemented; }
int32_t CDocWindow::ShowHelp() { return kErrNotImplemented; }
bool CDocWindow::IsCameraFirstSelected() { return false; }
void CDocWindow::ClearSelection() {}
int32_t CDocWindow::HandleControlMessage(CUIMessage*) { return kErrNotImplemented; }
int32_t CDocWindow::CopyViewDotStates(CDocWindow*) { return kNoErr; }
int32_t CDocWindow::CopyCopiedMaterial(CDocWindow*) { return kNoErr; }

int32_t CDocWindow::HandleEvent(CUIMessage* message) {
  if (message && message->kind == 0 && std::strcmp(message->canvasName, need::kDocWindow.name) == 0) {
    for (const char* name : kUnbuiltMessages) {
      if (std::strcmp(message->elementName, name) == 0) return kErrNotImplemented;
    }
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

void CDocWindow::SetCompanions(CTerrainEditor* terrain, CEditPoly* meshes, CEditTori* tori, CReportRender* report) {
  fTerrainEditor = terrain;
  fMeshPanel = meshes;
  fTorusEditor = tori;
  fReportRender = report;
}
