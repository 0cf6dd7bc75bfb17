// The control palette's build, its settings in the preferences file, its UI messages, the view
// control's state and the option menus.
#include "app/control_palette.h"
#include "app/control_palette_shared.h"

#include <cstring>
#include <memory>

#include "app/doc_window.h"
#include "app/layout_needs.h"
#include "app/palette_manager.h"
#include "app/quarn_app.h"
#include "document/prefs_file.h"
#include "framework/core/appl.h"
#include "framework/core/handle_table.h"
#include "framework/core/progress.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "render/preview_renderer.h"
#include "render/render_context.h"
#include "render/view.h"
#include "scene/camera.h"
#include "scene/factory.h"

namespace {

CControlPalette* gCurrent = nullptr;

using control_palette::AsImage;
using control_palette::kEditCameraMessage;
using control_palette::kNamedKind;
using control_palette::kViewDotMessage;

// UI message kinds.
constexpr uint32_t kValueKind = 2;
constexpr uint32_t kReadoutKind = 4;

constexpr const char* kObjInfoChanged = "objinfochanged";

// The preview's render context: antialias mode 1, grid 1, parameter 10, and its optimizer.
constexpr uint32_t kPreviewAntialiasMode = 1;
constexpr uint32_t kPreviewAntialiasGrid = 1;
constexpr uint32_t kPreviewParameter = 10;
constexpr uint32_t kPreviewOptimizer = FourCC("bspT");

constexpr uint32_t kReportCode = FourCC("rprt");
constexpr int32_t kPrefsWriteFailed = 1;

// Menu codes the option menus tell apart by.
constexpr uint32_t kAutoCode = FourCC("auto");
constexpr uint32_t kResetViewsCode = FourCC("rset");
constexpr uint32_t kEditCameraCode = FourCC("edit");
constexpr uint32_t kFirstOptimizerCode = FourCC("spop");
constexpr uint32_t kFirstProjectionCode = FourCC("pers");
constexpr uint32_t kFirstSizeCode = FourCC("res0");
enum EOptionMenu : uint32_t { kPreviewMenu, kViewMenu, kCameraMenu, kTrackballMenu, kRenderMenu };

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// The menus' layout file, which the palette manager keeps open while the interface lives.
CResourceEnv* MenuFile() {
  auto* app = dynamic_cast<CQuarnApp*>(GetApplication());
  CPaletteManager* manager = app ? app->GetPaletteManager() : nullptr;
  const SCanvasTable* canvases = manager ? manager->GetCanvases() : nullptr;
  return canvases ? canvases->files[kMenusFile] : nullptr;
}

// Every element under parent gets the default press and the glow hover, the later ones first.
void InstallDefaultCallbacks(CElement* parent) {
  CElSystem* children = parent ? parent->GetChildren() : nullptr;
  CElement* child = nullptr;
  uint32_t count = 0;
  while (children && CElSystem::GetElementAt(children, count, &child) == kNoErr && child) ++count;
  for (uint32_t i = count; i-- > 0;) {
    if (CElSystem::GetElementAt(children, i, &child) != kNoErr || !child) continue;
    InstallDefaultCallbacks(child);
    child->SetPressCallback(&CControlPalette::OnButtonPress);
    child->SetHoverCallback(&CControlPalette::OnGlowHover);
  }
}

}  // namespace

CControlPalette* GetCurrentControlPalette() { return gCurrent; }

CControlPalette::CControlPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kControlPalette),
      fContext(new CRenderContext(kPreviewAntialiasMode, kPreviewAntialiasGrid, kPreviewParameter, kPreviewOptimizer)),
      fRenderer(new CPreviewRenderer) {
  fRenderer->SetScene(fContext);
  gCurrent = this;
}

CControlPalette::~CControlPalette() {
  ExchangePrefs(false);
  if (fProgressSubscribed) ProgressUnsubscribe(this);
  if (CAppl* app = GetApplication()) {
    while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  }
  // The glow's scratch picture leaves the element that shows it before it goes.
  fGlow.DropHot();
  FreePreviewObjects();
  delete fContext;
  delete fRenderer;
  if (gCurrent == this) gCurrent = nullptr;
}

// ---- the build

int32_t CControlPalette::BuildControls(CResourceEnv* environment) {
  // A build replaces every element: nothing of an earlier tree is kept.
  fGlow.DropHot();
  FreePreviewObjects();
  ForgetElements();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindControls();
  if (const int32_t err = BuildPreview()) return err;
  CAppl* app = GetApplication();
  if (!app) return kErrFailedCreation;
  while (app->IsHeartbeatSubscriber(this)) app->UnsubscribeHeartbeat(this);
  if (!app->SubscribeHeartbeat(this, &CControlPalette::Heartbeat)) return kErrFailedCreation;
  if (CDocWindow* window = GetCurrentDocWindow()) SendRenderOption(*window, kReportCode, fRenderReport);
  ExchangePrefs(true);
  DrawNanoWireframe(false);
  return kNoErr;
}

void CControlPalette::ForgetElements() {
  fViewControl = nullptr;
  fFlyThrough = nullptr;
  fTopText = fBottomText = nullptr;
  fNanoPreview = nullptr;
  fTexturesButton = fPreviewModeButton = nullptr;
  for (CImElement*& dot : fViewDots) dot = nullptr;
  for (CImElement*& control : fCameraControls) control = nullptr;
  for (CImElement*& button : fRenderButtons) button = nullptr;
  fGlow.ForgetHot();
  fCurrentDot = nullptr;
  fDisabledControls = 0;
}

// The palette's element arrays are bound from the layout's tables of names.
static_assert(CControlPalette::kViewDotCount == need::kViewDotCount);
static_assert(CControlPalette::kCameraControlCount == need::kCameraControlCount);
static_assert(CControlPalette::kRenderButtonCount == need::kRenderButtonCount);

void CControlPalette::BindControls() {
  InstallDefaultCallbacks(GetRoot());
  CElement* found = nullptr;
  BindElementRef(need::kControlBackground.name, &found, nullptr, nullptr, nullptr);
  if (found) found->SetDrawCallback(nullptr);

  BindElementRef(need::kNanoPreview.name, &found, &OnNanoPreviewPress, &OnHover, nullptr);
  fNanoPreview = AsImage(found);
  if (fNanoPreview) fNanoPreview->SetDrawCallback(&DrawNanoPreview);

  BindElementRef(need::kViewControl.name, &found, &OnViewControlPress, &OnHover, nullptr);
  fViewControl = AsImage(found);
  if (fViewControl) fViewControl->SetUserWord(kCursorWord, kCursorHorizontal);
  BindElementData(fViewControl, need::kFlyThroughControl.name, &fFlyThrough, &OnButtonPress, &OnHover, nullptr);

  struct SCameraBinding {
    ElHoverCallback hover;
    uint32_t cursor;
  };
  const SCameraBinding cameraBindings[kCameraControlCount] = {
      {&OnGlowHover, kCursorTrackball}, {&OnZoneHover, 0}, {&OnZoneHover, 0}, {&OnZoneHover, 0},
      {&OnGlowHover, kCursorHorizontal}, {&OnGlowHover, kCursorHorizontal},
  };
  for (uint32_t i = 0; i < kCameraControlCount; ++i) {
    BindElementRef(need::kCameraControls[i].name, &found, &OnCameraControlPress, cameraBindings[i].hover, nullptr);
    fCameraControls[i] = AsImage(found);
    if (found && cameraBindings[i].cursor) found->SetUserWord(kCursorWord, cameraBindings[i].cursor);
  }
  for (uint32_t i = 0; i < kRenderButtonCount; ++i) {
    BindElementRef(need::kRenderButtons[i].name, &found, &OnRenderButtonPress, &OnGlowHover, nullptr);
    fRenderButtons[i] = AsImage(found);
  }
  for (const SLayoutNeed& menu : need::kOptionMenuButtons) {
    BindElement(menu.name, &OnMenuButtonPress, &OnGlowHover, nullptr);
  }
  BindElementRef(need::kTexturesButton.name, &found, &OnTogglePress, &OnHover, nullptr);
  fTexturesButton = AsImage(found);
  BindElementRef(need::kPreviewModeButton.name, &found, &OnTogglePress, &OnHover, nullptr);
  fPreviewModeButton = AsImage(found);

  CElement* container = nullptr;
  BindElementRef(need::kMultiplexContainer.name, &container, nullptr, nullptr, nullptr);
  BindElementData(container, need::kTopMultiplexText.name, &found, nullptr, nullptr, nullptr);
  fTopText = dynamic_cast<CTxElement*>(found);
  BindElementData(container, need::kBottomMultiplexText.name, &found, nullptr, nullptr, nullptr);
  fBottomText = dynamic_cast<CTxElement*>(found);

  for (uint32_t dot = kViewDotCount; dot-- > 0;) {
    BindElementRef(need::kViewDots[dot].name, &found, &OnViewDotPress, &OnHover, nullptr);
    fViewDots[dot] = AsImage(found);
    if (found) found->SetUserWord(kDotNumberWord, dot);
  }
}

// Build steps 3 to 9: the preview image, its attachments, view and camera, the scene it renders, and
// the camera's start.
int32_t CControlPalette::BuildPreview() {
  if (!fNanoPreview) return kErrFailedCreation;
  const SRect& place = fNanoPreview->GetRect();
  int32_t error = kNoErr;
  fPreviewImage = NewDataImage(uint32_t(RectWidth(place)), uint32_t(RectHeight(place)), &error);
  if (!fPreviewImage) return error ? error : kErrOutOfMemory;
  if (!fPreviewImage->IsReady()) return NonZeroError(fPreviewImage->GetError());
  fNanoPreview->SetUserWord(kPreviewImageWord, RegisterHandle(fPreviewImage, kPreviewImageTag));
  fNanoPreview->SetUserWord(kPreviewRendererWord, RegisterHandle(fRenderer, kPreviewRendererTag));
  {
    CImNavigator pixels(fPreviewImage, nullptr, false, false);
    if (!pixels.IsUsable()) return kErrOutOfMemory;
  }
  fPreviewView3d = new CView(nullptr);
  CAppl* app = GetApplication();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dCamera>(app ? app->GetObjectsEnv() : nullptr, key, spec);
  if (const int32_t err = NewObject(&fPreviewCamera, nullptr, key, spec)) return err;
  CDocWindow* window = GetCurrentDocWindow();
  if (const int32_t err = ChoosePreviewScene(window)) return err;
  if (window && fContext->PrepareOptimizer(false)) RestartPreview();
  return InitPreviewCamera();
}

void CControlPalette::FreePreviewObjects() {
  if (fNanoPreview) {
    ReleaseHandle(fNanoPreview->SetUserWord(kPreviewImageWord, kNoHandle));
    ReleaseHandle(fNanoPreview->SetUserWord(kPreviewRendererWord, kNoHandle));
  }
  delete fPreviewCamera;
  fPreviewCamera = nullptr;
  FreePreviewScene();
  delete fPreviewImage;
  fPreviewImage = nullptr;
  delete fPreviewView3d;
  fPreviewView3d = nullptr;
}

// ---- the settings

int32_t CControlPalette::ExchangePrefs(bool load) {
  CPrefsFile prefs;
  return ExchangePrefs(load, prefs);
}

int32_t CControlPalette::ExchangePrefs(bool load, CPrefsFile& prefs) {
  if (!prefs.IsRead()) return kNoErr;
  if (load && prefs.GetWord(kPrefsPreviousState) == 1) {
    LoadSettings(prefs);
    return ApplySettings();
  }
  StoreSettings(prefs);
  return prefs.Write() ? kNoErr : kPrefsWriteFailed;
}

void CControlPalette::LoadSettings(const CPrefsFile& prefs) {
  auto take = [&](uint32_t offset, uint32_t& setting) {
    if (const uint32_t code = uint32_t(prefs.GetWord(offset))) setting = code;
  };
  take(kPrefsPreviewMode, fPreviewMode);
  take(kPrefsPreviewView, fPreviewView);
  take(kPrefsTrackball, fTrackballOption);
  for (uint32_t i = 0; i < 3; ++i) take(kPrefsRenderOptions + 4 * i, fRenderOptions[i]);
  const uint8_t* block = prefs.GetBlock();
  fAutoPreview = block[kPrefsAutoPreview] ? 1 : 0;
  fRenderReport = block[kPrefsRenderReport] ? 1 : 0;
  ShowState(fTexturesButton, block[kPrefsTexturesButton] ? 2 : 0);
  ShowState(fPreviewModeButton, block[kPrefsPreviewModeButton] ? 2 : 0);
}

void CControlPalette::StoreSettings(CPrefsFile& prefs) const {
  prefs.SetWord(kPrefsPreviewMode, int32_t(fPreviewMode));
  prefs.SetWord(kPrefsPreviewView, int32_t(fPreviewView));
  prefs.SetWord(kPrefsTrackball, int32_t(fTrackballOption));
  for (uint32_t i = 0; i < 3; ++i) prefs.SetWord(kPrefsRenderOptions + 4 * i, int32_t(fRenderOptions[i]));
  uint8_t* block = prefs.GetBlock();
  block[kPrefsAutoPreview] = fAutoPreview;
  block[kPrefsRenderReport] = fRenderReport;
  block[kPrefsTexturesButton] = CurrentState(fTexturesButton) != 0 ? 1 : 0;
  block[kPrefsPreviewModeButton] = CurrentState(fPreviewModeButton) != 0 ? 1 : 0;
}

int32_t CControlPalette::ApplySettings() {
  fRenderButtonsLit = 0;
  CDocWindow* window = GetCurrentDocWindow();
  if (window) {
    if (fPreviewMode == kModeWire) window->SetFlags(CDocWindow::kNotifyDrags);
    else window->ClearFlags(CDocWindow::kNotifyDrags);
    window->SetTrackballMode(fTrackballOption);
    SendRenderOption(*window, fRenderOptions[1], 0);
    SendRenderOption(*window, fRenderOptions[2], 0);
    SendRenderOption(*window, kReportCode, fRenderReport);
    SendRenderOption(*window, fRenderOptions[0], 0);
  }
  if (!fAutoPreview) CancelPreview();
  if (window) {
    window->SetPreviewMode(int32_t(CurrentState(fPreviewModeButton)));
    window->SetTexturesShown(int32_t(CurrentState(fTexturesButton)));
  }
  return kNoErr;
}

void CControlPalette::SendRenderOption(CDocWindow& window, uint32_t code, uint32_t data) {
  CUIMessage message;
  message.Init(kNamedKind, need::kOptionMenuButtons[kRenderMenu].name, nullptr, need::kDocWindow.name,
               CUIMessage::kBroadcast);
  message.SetPayloadWord(0, int32_t(code));
  message.SetDataWord(data);
  window.HandleRenderOption(&message);
}

// ---- views and dots

void CControlPalette::ShowState(CImElement* element, uint32_t state, bool redraw) {
  // The list keeps its pictures: the element is never asked to release the one it showed.
  if (element && element->GetImageList()) element->SelectEntry(state, false, false, redraw);
}

uint32_t CControlPalette::CurrentState(const CImElement* element) {
  CIxImage* list = element ? element->GetImageList() : nullptr;
  if (!list || list->Selected() == CIxImage::kNone) return 0;
  return list->Selected();
}

void CControlPalette::ShowView(uint32_t view) {
  fCurrentView = view;
  ShowState(fViewControl, view);
  DimCameraControls(view != 0);
}

int32_t CControlPalette::SelectView(uint32_t index) {
  if (index >= kViewCount) return kErrInvalidParameter;
  if (!fViewControl) {
    fCurrentView = index;
    return kNoErr;
  }
  ShowState(fViewControl, index);
  SyncViewControl();
  return kNoErr;
}

void CControlPalette::SyncViewControl() {
  const uint32_t view = CurrentState(fViewControl);
  ShowView(view < kViewCount ? view : 0);
}

int32_t CControlPalette::ResetViewState(bool reselect, bool force) {
  SelectView(0);
  CImElement* first = fViewDots[0];
  if (reselect && first && CurrentState(first) != 0) {
    if (fCurrentDot && fCurrentDot != first) ShowState(fCurrentDot, 1);
    ShowState(first, 2);
    fCurrentDot = first;
  }
  if (!fAutoPreview && !force) return kNoErr;
  return RenewPreview();
}

void CControlPalette::SetButtonState(uint32_t button, uint32_t state) {
  if (button >= kViewDotCount || state >= kButtonStates) return;
  CImElement* dot = fViewDots[button];
  ShowState(dot, state);
  // A dot that no longer shows the current view is not the current dot.
  if (dot && dot == fCurrentDot && state != 2) fCurrentDot = nullptr;
}

uint32_t CControlPalette::GetButtonState(uint32_t button) const {
  return button < kViewDotCount ? CurrentState(fViewDots[button]) : 0;
}

int32_t CControlPalette::SetViewFromMessage(int32_t view) {
  if (view < 0 || view >= int32_t(kViewCount)) return kNoErr;
  ShowView(uint32_t(view));
  SendToDocWindow(need::kViewControl.name, view);
  if (fAutoPreview) return UpdatePreview(kAllChanges);
  return kHandled;
}

int32_t CControlPalette::ViewDotStep(const CUIMessage& message) {
  const int32_t dot = message.GetPayloadWord(0), before = message.GetPayloadWord(1);
  if (dot != 0 && before != 1 && before != 2) return kNoErr;
  SelectView(0);
  if (fAutoPreview) RenewPreview();
  return kNoErr;
}

// ---- messages

int32_t CControlPalette::SendUp(CUIMessage& message) {
  CElement* root = GetRoot();
  return root ? root->SendMessageUp(&message, root) : kNoErr;
}

int32_t CControlPalette::SendToDocWindow(const char* element, int32_t value) {
  CUIMessage message;
  message.Init(kNamedKind, element, nullptr, need::kDocWindow.name, CUIMessage::kBroadcast);
  message.SetPayloadWord(0, value);
  return SendUp(message);
}

int32_t CControlPalette::SendPreviewMessage() {
  CUIMessage message;
  message.Init(kValueKind, need::kNanoPreview.name, nullptr, need::kControlPalette.name, 0);
  return SendUp(message);
}

int32_t CControlPalette::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* element = message->elementName;
  if (message->kind == kNamedKind && Is(element, need::kControlPalette.name)) {
    Activate();
    Show();
    UpdateNow();
    return kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind == kNamedKind && Is(message->canvasName, need::kControlPalette.name)) {
    for (uint32_t menu = 0; menu < need::kOptionMenuCount; ++menu) {
      if (Is(element, need::kOptionMenuButtons[menu].name)) return RunOptionMenu(menu, message->secondPoint);
    }
    if (Is(element, kViewDotMessage)) return ViewDotStep(*message);
  }
  if (message->kind == kValueKind) {
    if (Is(element, need::kViewControl.name)) return SetViewFromMessage(message->GetPayloadWord(0));
    if (Is(element, need::kNanoPreview.name)) return UpdatePreview(kAllChanges);
    if (Is(element, kObjInfoChanged)) return UpdatePreview(message->GetDataWord());
  }
  if (message->kind == kReadoutKind) return ShowReadout(message);
  return CLayoutHostCanvas::HandleEvent(message);
}

int32_t CControlPalette::OnCharacter(SWinEvent& event) {
  CAppl* app = GetApplication();
  const uint32_t c = event.key & 0xFF;
  if (IsStale() || !app || app->IsControlDown() || app->IsAltDown()) return kNoErr;
  if (c >= '1' && c <= '4') {
    SetViewFromMessage(int32_t(c - '1'));
    return kHandled;
  }
  if (c >= '5' && c <= '9') {
    const uint32_t dot = c - '4';
    if (CurrentState(fViewDots[dot]) != 0) PressViewDot(dot);
    return kHandled;
  }
  return CLayoutHostCanvas::OnCharacter(event);
}

bool CControlPalette::Show() {
  if (!IsShown() && !fProgressSubscribed) fProgressSubscribed = ProgressSubscribe(this, &OnProgress) ? 1 : 0;
  return CLayoutHostCanvas::Show();
}

bool CControlPalette::Hide() {
  if (IsShown() && fProgressSubscribed) {
    ProgressUnsubscribe(this);
    fProgressSubscribed = 0;
  }
  return CLayoutHostCanvas::Hide();
}

// ---- the option menus

int32_t CControlPalette::RunOptionMenu(uint32_t which, SPointHV screenPoint) {
  CMenu* loaded = nullptr;
  if (const int32_t err = CMenu::Load(MenuFile(), need::kOptionMenus[which].number, &loaded, GetWindow())) return err;
  std::unique_ptr<CMenu> menu(loaded);
  auto check = [&](uint32_t code) {
    if (const uint32_t index = menu->FindItemIndex(code)) menu->CheckItem(index, true, nullptr, true);
  };
  switch (which) {
    case kPreviewMenu:
      check(fPreviewMode);
      check(fPreviewView);
      if (fAutoPreview) check(kAutoCode);
      break;
    case kViewMenu: menu->CheckItem(fCurrentView + 1, true, nullptr, true); break;
    case kTrackballMenu: check(fTrackballOption); break;
    case kRenderMenu:
      for (uint32_t option : fRenderOptions) check(option);
      if (fRenderReport) check(kReportCode);
      break;
    default: break;
  }
  uintptr_t result = 0;
  uint32_t index = 0;
  if (!menu->SelectItemAt(screenPoint, GetWindow(), &result, &index)) return kHandled;
  uint32_t code = 0;
  menu->GetItemData(&code, index);
  switch (which) {
    case kPreviewMenu: return ChoosePreviewOption(*menu, code, index);
    case kViewMenu: return ChooseViewOption(code, index);
    case kCameraMenu: return ChooseCameraOption(code);
    case kTrackballMenu: return ChooseTrackballOption(code);
    default: return ChooseRenderOption(*menu, code, index);
  }
}

int32_t CControlPalette::ChoosePreviewOption(CMenu& menu, uint32_t code, uint32_t index) {
  const uint32_t wire = menu.FindItemIndex(kModeWire);
  const uint32_t autoItem = menu.FindItemIndex(kAutoCode);
  CDocWindow* window = GetCurrentDocWindow();
  if (index <= wire) {
    fPreviewMode = code;
    if (code == kModeWire) {
      if (fAutoPreview) DrawNanoWireframe(true);
      if (window) window->SetFlags(CDocWindow::kNotifyDrags);
    } else if (window) {
      window->ClearFlags(CDocWindow::kNotifyDrags);
    }
  } else if (code == kAutoCode) {
    fAutoPreview = fAutoPreview ? 0 : 1;
  } else if (index > autoItem) {
    if (code == fPreviewView) return kHandled;
    fPreviewView = code;
  }
  if (fAutoPreview) SendPreviewMessage();
  else CancelPreview();
  return kHandled;
}

int32_t CControlPalette::ChooseViewOption(uint32_t code, uint32_t index) {
  const bool reset = code == kResetViewsCode;
  if (!reset && index == fCurrentView + 1) return kHandled;
  const uint32_t view = reset ? 0 : index - 1;
  if (view >= kViewCount) return kHandled;
  SendToDocWindow(need::kViewControl.name, int32_t(reset ? kResetAllViews : view));
  ShowView(view);
  SendPreviewMessage();
  return kHandled;
}

int32_t CControlPalette::ChooseCameraOption(uint32_t code) {
  if (code == kEditCameraCode) {
    CUIMessage message;
    message.Init(kNamedKind, kEditCameraMessage, nullptr, need::kControlPalette.name, CUIMessage::kBroadcast);
    SendUp(message);
    return kHandled;
  }
  SendToDocWindow(need::kOptionMenuButtons[kCameraMenu].name, int32_t(code));
  return kHandled;
}

int32_t CControlPalette::ChooseTrackballOption(uint32_t code) {
  fTrackballOption = code;
  SendToDocWindow(need::kOptionMenuButtons[kTrackballMenu].name, int32_t(code));
  return kHandled;
}

int32_t CControlPalette::ChooseRenderOption(CMenu& menu, uint32_t code, uint32_t index) {
  if (code == fRenderOptions[2]) return kHandled;
  CUIMessage message;
  message.Init(kNamedKind, need::kOptionMenuButtons[kRenderMenu].name, nullptr, need::kDocWindow.name,
               CUIMessage::kBroadcast);
  message.SetPayloadWord(0, int32_t(code));
  const uint32_t optimizers = menu.FindItemIndex(kFirstOptimizerCode);
  const uint32_t report = menu.FindItemIndex(kReportCode);
  const uint32_t projections = menu.FindItemIndex(kFirstProjectionCode);
  const uint32_t sizes = menu.FindItemIndex(kFirstSizeCode);
  if (code == kReportCode) {
    fRenderReport = fRenderReport ? 0 : 1;
    message.SetDataWord(fRenderReport);
  } else if (index < optimizers) {
    fRenderOptions[1] = code;
  } else if (index < report) {
    fRenderOptions[2] = code;
  } else if (index >= projections && index < sizes) {
    fRenderOptions[0] = code;
  }
  SendUp(message);
  return kHandled;
}
