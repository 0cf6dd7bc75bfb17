// A palette built headless from the build's data/ beside a stand-in document window: a scene table
// with a document on it, whose window records what the palettes ask of it. The application reads the
// build's system.dat, runs in a folder of the test's own (for "Quarn2 Prefs") with its main window
// maximised, and every broadcast UI message is kept.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editing/document.h"
#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/four_cc.h"
#include "framework/core/resource_env.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/im_element.h"
#include "framework/image/ix_image.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "render/view.h"
#include "tests/editing/editing_fixture.h"

// The document window as the palettes reach it: every call is logged; the scene table and object list
// are those of the document's own host; the mode word and the edit space are the window's own; the
// answer of the alignment is the test's.
class CPaletteHost : public CTestHost {
 public:
  C3dBaseSys* GetSceneTable() override { return documentHost->GetSceneTable(); }
  C3dBaseSpoolTable* GetObjectList() override { return documentHost->GetObjectList(); }
  C3dDocument* GetHostDocument() override { return document; }
  void NotifyDragStep(uint32_t code) override { calls.push_back("drag step " + std::to_string(code)); }
  int32_t AlignSelection(uint32_t code) override {
    calls.push_back("align " + std::to_string(code));
    return alignResult;
  }
  int32_t SelectKind(uint32_t kind) override { return Log("kind", kind); }
  int32_t SelectLightClass(uint32_t classTag) override { return Log("light", classTag); }
  int32_t SelectFamily(uint32_t family) override {
    calls.push_back("family " + std::to_string(family));
    return 0;
  }
  int32_t SelectAll() override { return Log("select all"); }
  int32_t InvertSelection() override { return Log("invert"); }
  int32_t SelectImportedMeshes() override { return Log("meshes"); }
  int32_t SoloSelection() override { return Log("solo"); }
  int32_t EndSolo() override { return Log("end solo"); }
  uint32_t GetMode() const override { return mode; }
  void SetRenderedBackdrop(bool on) override { mode = on ? mode | kRenderedBackdrop : mode & ~kRenderedBackdrop; }
  int32_t ToggleRenderedImage() override {
    calls.push_back("toggle");
    mode ^= kWireframeShown | kRenderedShown;
    return 26;
  }
  int32_t GetEditSpace() const override { return editSpace; }
  // The display palette's: a view of its own, the flags as plain members, the rest logged.
  CView* GetHostView() override { return &view; }
  int32_t RedrawNow() override {
    calls.push_back("redraw");
    if (onRedraw) onRedraw();
    return 0;
  }
  void SetDragState(bool on) override { calls.push_back(on ? "dragging" : "not dragging"); }
  bool IsLivePreviewOn() const override { return livePreview; }
  void SetLivePreviewOn(bool on) override { livePreview = on; }
  void MarkBackgroundChanged() override { backgroundChanged = true; }
  bool IsHidingUnderground() const override { return hideUnderground; }
  void SetHidingUnderground(bool hide) override { hideUnderground = hide; }
  int32_t LoadBackdrop(uint32_t picture) override {
    calls.push_back("backdrop " + std::to_string(picture));
    return backdropResult;
  }
  int32_t TrackCameraDrag(SPointHV at) override {
    calls.push_back("pan " + std::to_string(at.h) + "," + std::to_string(at.v));
    return 0;
  }
  void ShowPlopRender() override { calls.push_back("show plop"); }
  void RepaintWindow() override { calls.push_back("repaint"); }

  CDocumentHost* documentHost = nullptr;
  C3dDocument* document = nullptr;
  uint32_t mode = kWireframeShown;
  int32_t editSpace = 0;
  int32_t alignResult = 0;
  CView view;
  bool livePreview = false;
  bool backgroundChanged = false;
  bool hideUnderground = false;
  int32_t backdropResult = 0;
  std::function<void()> onRedraw;

 private:
  int32_t Log(const std::string& what, uint32_t tag = 0) {
    calls.push_back(tag ? what + " " + FourCCText(tag) : what);
    return 0;
  }
  static std::string FourCCText(uint32_t tag) {
    return {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag)};
  }
};

// A broadcast UI message as it was dispatched.
struct SSentMessage {
  uint32_t kind;
  uint32_t flags;
  std::string element, window, canvas;
  int32_t word0;
  bool operator==(const SSentMessage&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const SSentMessage& m) {
  return out << "{" << m.kind << ", " << m.flags << ", \"" << m.element << "\", \"" << m.window << "\", \"" << m.canvas
             << "\", " << m.word0 << "}";
}

class PanelsTest : public EditingTest {
 protected:
  static constexpr uint32_t kTipKind = 4;
  // The headless pop-up menu: its frame and the height of a row.
  static constexpr int32_t kMenuFrame = 3;
  static constexpr int32_t kMenuRow = 19;

  // Layout pictures and the palettes' scratch pictures want the program's data pool.
  uint32_t DataBudget() const override { return 0x1000000; }
  uint32_t ObjectsBudget() const override { return 0x500000; }

  void SetUp() override {
    EditingTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_NE(getcwd(oldFolder, sizeof oldFolder), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    CFileSpec system;
    system.Set(QUARN2_DATA_DIR "/system.dat");
    app->CAppl::OpenResourceEnvironment(&system);
    ASSERT_NE(app->GetResourceEnv(), nullptr);
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    owner = new CUICmFunction(SRange{0, 16});
    owner->Register(this, &Keep);
    window.documentHost = &host;
    window.document = document.get();
  }
  void TearDown() override {
    platform::headless::AddScript("keyup 32\nkeyup 121\n");
    Settle();
    delete owner;
    files.clear();
    app->CAppl::CloseResourceEnvironment();
    EXPECT_EQ(chdir(oldFolder), 0);
    EditingTest::TearDown();
  }

  // A palette of class T built from its layout file, placed at the screen point and shown.
  template <typename T>
  std::unique_ptr<T> Built(const std::string& file, SPointHV at) {
    auto palette = std::make_unique<T>(owner, DataFile(file));
    EXPECT_EQ(palette->BuildOnce(), 0) << file;
    palette->MoveTo(at);
    palette->Show();
    return palette;
  }

  CResourceEnv* DataFile(const std::string& name) {
    CFileSpec spec;
    spec.Set((std::string(QUARN2_DATA_DIR) + "/" + name).c_str());
    files.push_back(std::make_unique<CResourceEnv>(spec, CFile::kModeRead));
    EXPECT_TRUE(files.back()->IsOpen()) << name;
    return files.back().get();
  }

  // The broadcaster's first row keeps every message and lets it go on.
  static int32_t Keep(void* test, void* message, void*) {
    const auto* m = static_cast<const CUIMessage*>(message);
    auto* self = static_cast<PanelsTest*>(test);
    self->sent.push_back({m->kind, m->flags, m->elementName, m->windowName, m->canvasName, m->GetPayloadWord(0)});
    if (self->onSent) self->onSent(*m);
    return 0;
  }
  std::vector<SSentMessage> Sent(uint32_t kind) const {
    std::vector<SSentMessage> out;
    for (const SSentMessage& m : sent) {
      if (m.kind == kind) out.push_back(m);
    }
    return out;
  }

  // Plays the script input still waiting, then one more loop step.
  void Settle() {
    for (int i = 0; i < 400 && platform::headless::PendingInputs() > 0; ++i) app->PumpMessages();
    app->PumpMessages();
  }
  void Script(const std::string& text) {
    ASSERT_TRUE(platform::headless::AddScript(text));
    Settle();
  }
  static SPointHV OnScreen(CElement* element, SPointHV local) {
    SPointHV screen;
    element->LocalToRootPoint(&screen, local);
    return screen;
  }
  // The element of that path below the palette's root ("parent|child" for a nested one).
  static CElement* Find(CUIHostCanvas& palette, const std::string& path) {
    CElement* found = nullptr;
    CElSystem::FindByName(palette.GetRoot(), path.c_str(), &found);
    EXPECT_NE(found, nullptr) << path;
    return found;
  }
  static CImElement* FindImage(CUIHostCanvas& palette, const std::string& name) {
    return dynamic_cast<CImElement*>(Find(palette, name));
  }
  // The palette's handling of a message that pops up a menu at its first point, with row `row` of the
  // menu chosen (0: a click beside it): the messages broadcast meanwhile.
  std::vector<SSentMessage> ChooseRow(CUIHostCanvas& palette, CUIMessage& message, uint32_t row) {
    const SPointHV menu = palette.CanvasToScreen(message.firstPoint);
    const SPointHV at = row ? SPointHV{menu.h + kMenuFrame + 30, menu.v + kMenuFrame + int32_t(row - 1) * kMenuRow + kMenuRow / 2}
                            : SPointHV{menu.h - 20, menu.v - 20};
    EXPECT_TRUE(platform::headless::AddScript("wait 20\nmove " + std::to_string(at.h) + " " + std::to_string(at.v) +
                                              "\nwait 20\ndown left\nwait 20\nup left\n"));
    sent.clear();
    EXPECT_EQ(palette.HandleEvent(&message), 26) << message.elementName;
    Settle();
    return sent;
  }

  // One heartbeat of the main loop to a watch.
  static void Beat(CFCallback watch, void* palette) {
    SHeartbeatRecord record;
    watch(palette, &record, nullptr);
  }
  static std::string Cursor() { return platform::headless::CursorDescription(platform::GetCursor()); }
  // Beats of a watch with the pointer away, 17 ms apart, until the palette has faded: its levels run
  // 12, 24, ..., 180 and 256, the first more than 120 ticks after the first beat and each at least 3
  // after the one before, the background drawn at level / 256 each time.
  static void ExpectFade(const std::function<void()>& beatAway, const std::function<int32_t()>& level,
                         CImElement* background) {
    const int64_t start = platform::NowTicks();
    std::vector<int32_t> levels;
    std::vector<int64_t> at;
    for (int beat = 0; beat < 200 && level() < 256; ++beat) {
      beatAway();
      if (level() != (levels.empty() ? 0 : levels.back())) {
        levels.push_back(level());
        at.push_back(platform::NowTicks() - start);
        EXPECT_FLOAT_EQ(background->GetOpacity(), float(levels.back()) / 256) << levels.back();
      }
      platform::AdvanceVirtualClock(17);
    }
    std::vector<int32_t> expected;
    for (int32_t step = 12; step <= 180; step += 12) expected.push_back(step);
    expected.push_back(256);
    EXPECT_EQ(levels, expected);
    ASSERT_FALSE(at.empty());
    EXPECT_GT(at.front(), 120);
    for (size_t i = 1; i < at.size(); ++i) EXPECT_GE(at[i] - at[i - 1], 3) << i;
  }

  // The palettes' document window; `host` is the document's.
  CPaletteHost window;
  CUICmFunction* owner = nullptr;
  std::vector<SSentMessage> sent;
  // Called with each message as it is dispatched.
  std::function<void(const CUIMessage&)> onSent;
  std::vector<std::unique_ptr<CResourceEnv>> files;
  char oldFolder[4096] = {};
};

// A hidden window whose timer calls `tick` at every loop step that waits, also inside modal loops (a
// pop-up menu's, the marker pen's): where a test looks at what a modal loop shows while it runs. Its
// timer is always due: it goes before the test settles the loop.
class CTimerWatch {
 public:
  explicit CTimerWatch(std::function<void()> tick) : fTick(std::move(tick)) {
    platform::SWindowClass windowClass;
    windowClass.name = kClass;
    windowClass.procedure = &Procedure;
    platform::RegisterWindowClass(windowClass);
    fWindow = platform::CreateWindow(0, kClass, "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    platform::SetWindowUserData(fWindow, reinterpret_cast<intptr_t>(this));
    platform::SetTimer(fWindow, 1, 1);
  }
  ~CTimerWatch() {
    platform::KillTimer(fWindow, 1);
    platform::DestroyWindow(fWindow);
    platform::UnregisterWindowClass(kClass, nullptr);
  }
  CTimerWatch(const CTimerWatch&) = delete;
  CTimerWatch& operator=(const CTimerWatch&) = delete;

 private:
  static constexpr const char* kClass = "Timer watch";
  static intptr_t Procedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto* self = reinterpret_cast<CTimerWatch*>(platform::GetWindowUserData(window));
    if (message == platform::kWmTimer && self && self->fTick) {
      self->fTick();
      return 0;
    }
    return platform::DefWindowProc(window, message, wParam, lParam);
  }
  std::function<void()> fTick;
  platform::WindowHandle fWindow = nullptr;
};

// What an image element showed each time it was drawn, a value taken by `what`, each change once.
class CDrawRecorder {
 public:
  using What = std::function<int64_t(CImElement&)>;
  CDrawRecorder(CElement* element, What what) : fElement(element), fWhat(std::move(what)) {
    fCurrent = this;
    element->SetDrawCallback(&Record);
  }
  ~CDrawRecorder() {
    fElement->SetDrawCallback(nullptr);
    fCurrent = nullptr;
  }
  const std::vector<int64_t>& Values() const { return fValues; }

  // The entry of its image list, and its opacity in hundredths.
  static int64_t Entry(CImElement& element) {
    CIxImage* list = element.GetImageList();
    return list ? int64_t(list->Selected()) : -1;
  }
  static int64_t Opacity(CImElement& element) { return int64_t(element.GetOpacity() * 100 + 0.5f); }

 private:
  static int32_t Record(CElement* element, uint32_t, CImage*) {
    auto* image = dynamic_cast<CImElement*>(element);
    if (!fCurrent || !image) return 0;
    const int64_t value = fCurrent->fWhat(*image);
    if (fCurrent->fValues.empty() || fCurrent->fValues.back() != value) fCurrent->fValues.push_back(value);
    return 0;
  }
  static inline CDrawRecorder* fCurrent = nullptr;
  CElement* fElement;
  What fWhat;
  std::vector<int64_t> fValues;
};
