// The program's interface with its control palette, a document window that records the messages the
// palette's controls send it, and the means to press, drag and hover over the palette's elements
// through the headless input script.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "app/control_palette.h"
#include "app/layout_needs.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "platform/window.h"
#include "tests/app/shell_fixture.h"
#include "tests/app/press_script.h"

// Records, in one log with its heartbeats once asked to, what reaches the window's handlers.
class CControlLogWindow : public CDocWindowDouble {
 public:
  static inline std::vector<std::string> gLog;
  static inline bool gLogHeartbeats = false;
  using CDocWindowDouble::CDocWindowDouble;
  static CDocWindow* Make(CUICmFunction* owner, CResourceEnv* environment) {
    return new CControlLogWindow(owner, environment);
  }
  // The named messages meant for the palette manager pass the window first.
  int32_t HandleEvent(CUIMessage* m) override {
    for (const char* name : {"edit camera", "fly through control", "doc setup"}) {
      if (m && m->kind == 0 && std::strcmp(m->elementName, name) == 0)
        gLog.push_back(std::string("named ") + m->elementName + " " + m->canvasName);
    }
    return CDocWindowDouble::HandleEvent(m);
  }
  int32_t HandleCameraControl(CUIMessage* m) override {
    gLog.push_back("camera " + std::to_string(m->kind) + " " + m->elementName + " " +
                   std::to_string(m->GetPayloadWord(6)) + "," + std::to_string(m->GetPayloadWord(7)) + " " +
                   std::to_string(m->GetPayloadWord(0)));
    return CDocWindowDouble::HandleCameraControl(m);
  }
  int32_t HandleCameraMessage(CUIMessage* m) override {
    gLog.push_back(std::string("message ") + m->elementName + " " + std::to_string(m->GetPayloadWord(0)));
    return CDocWindowDouble::HandleCameraMessage(m);
  }
  int32_t HandleRenderButton(CUIMessage* m) override {
    gLog.push_back(std::string("render ") + m->elementName);
    return CDocWindowDouble::HandleRenderButton(m);
  }
  int32_t HandleRenderOption(CUIMessage* m) override {
    gLog.push_back("option " + FourCCText(uint32_t(m->GetPayloadWord(0))) + " " + std::to_string(m->GetDataWord()));
    return CDocWindowDouble::HandleRenderOption(m);
  }
  int32_t FlyAround() override {
    gLog.push_back("fly");
    return CDocWindowDouble::FlyAround();
  }
  // The first step of every heartbeat that acts, with the cursor's shape at the time.
  int32_t UpdateMenuStates() override {
    if (gLogHeartbeats) gLog.push_back("heartbeat " + platform::headless::CursorDescription(platform::GetCursor()));
    return CDocWindowDouble::UpdateMenuStates();
  }
};

class ControlPaletteTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    CControlLogWindow::gLog.clear();
    CControlLogWindow::gLogHeartbeats = false;
  }
  // The program runs with the logging window; the body's palette is shown and its window current.
  void RunPalette(const std::function<void()>& body, const std::function<void()>& beforeRun = nullptr) {
    Run(
        [&] {
          palette = pm->GetCanvases()->controlPalette;
          ASSERT_NE(palette, nullptr);
          palette->Show();
          body();
        },
        [&] {
          pm->SetDocWindowFactory(&CControlLogWindow::Make);
          if (beforeRun) beforeRun();
        });
    palette = nullptr;
  }
  // The window's heartbeats log "heartbeat" and the cursor's shape each time they act.
  static void SpyOnHeartbeat() { CControlLogWindow::gLogHeartbeats = true; }
  // The screen point of a point in the element's own coordinates.
  // (A host canvas's root lies at the window's place on the screen.)
  static platform::SPoint ScreenOf(CElement* element, SPointHV local) {
    SPointHV screen;
    element->LocalToRootPoint(&screen, local);
    return {screen.h, screen.v};
  }
  static std::string Move(platform::SPoint p) {
    return "move " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n";
  }
  // A press at the screen point with the lines of `during` while the button is down (PressScript).
  void PressAt(platform::SPoint at, const std::string& during = "", const std::vector<uint32_t>& keys = {}) {
    Play(PressScript(at.x, at.y, during, keys));
  }
  void Press(CElement* element, SPointHV local, const std::string& during = "",
             const std::vector<uint32_t>& keys = {}) {
    PressAt(ScreenOf(element, local), during, keys);
  }
  // The hover of the palette's root at the element's point, as the heartbeat delivers it.
  int32_t HoverAt(CElement* element, SPointHV local) {
    SPointHV inRoot;
    element->LocalToAncestorPoint(&inRoot, local, palette->GetRoot());
    return palette->GetRoot()->HandleHover(inRoot);
  }
  static uint32_t State(const CImElement* element) {
    CIxImage* list = element ? element->GetImageList() : nullptr;
    return list ? list->Selected() : CIxImage::kNone;
  }
  static std::string CursorName() { return platform::headless::CursorDescription(platform::GetCursor()); }
  static std::string Shape(uint32_t number) {
    return platform::headless::CursorDescription(platform::ShapeCursor(number));
  }
  // Cursor 112, the sideways arrow, is a picture of the program's resource file.
  static constexpr const char* kSideArrowCursor = "picture cursor 112 hot 15,15";
  CImElement* Camera(uint32_t control) const { return palette->GetCameraControl(control); }
  static std::vector<std::string>& Log() { return CControlLogWindow::gLog; }

  CControlPalette* palette = nullptr;
};
