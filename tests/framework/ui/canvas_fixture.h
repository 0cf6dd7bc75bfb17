// Canvases on the headless screen under a framework application whose desktop colour is not black,
// and a canvas that logs the event operations it is offered.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/ordax.h"
#include "framework/ui/canvas.h"
#include "platform/headless.h"
#include "tests/framework/core/app_fixture.h"

// Logs every event operation with the event's point, answering what the base class answers unless
// told to answer something else; counts the moves and resizes that placing asks for.
class LoggingCanvas : public CCanvas {
 public:
  struct SCall {
    std::string operation;
    SPointHV point;
  };

  using CCanvas::CCanvas;

  std::vector<SCall> calls;
  std::vector<intptr_t> eraseResults;
  int32_t characterAnswer = 0;
  uint32_t moves = 0;
  uint32_t resizes = 0;

  std::vector<std::string> Operations() const {
    std::vector<std::string> names;
    for (const SCall& c : calls) names.push_back(c.operation);
    return names;
  }
  size_t Count(const std::string& operation) const {
    size_t n = 0;
    for (const SCall& c : calls) n += c.operation == operation;
    return n;
  }

  int32_t OnPointerPress(SWinEvent& e) override { return Log("OnPointerPress", e, CCanvas::OnPointerPress(e)); }
  int32_t OnCharacter(SWinEvent& e) override {
    CCanvas::OnCharacter(e);
    return Log("OnCharacter", e, characterAnswer);
  }
  int32_t OnPaint(SWinEvent& e) override { return Log("OnPaint", e, CCanvas::OnPaint(e)); }
  int32_t OnAppDeactivate(SWinEvent& e) override { return Log("OnAppDeactivate", e, CCanvas::OnAppDeactivate(e)); }
  int32_t OnAppActivate(SWinEvent& e) override { return Log("OnAppActivate", e, CCanvas::OnAppActivate(e)); }
  int32_t OnCommand(SWinEvent& e) override { return Log("OnCommand", e, CCanvas::OnCommand(e)); }
  int32_t OnNcPaint(SWinEvent& e) override { return Log("OnNcPaint", e, CCanvas::OnNcPaint(e)); }
  int32_t OnNcActivate(SWinEvent& e) override { return Log("OnNcActivate", e, CCanvas::OnNcActivate(e)); }
  int32_t OnCreate(SWinEvent& e) override { return Log("OnCreate", e, CCanvas::OnCreate(e)); }
  int32_t OnDestroy(SWinEvent& e) override { return Log("OnDestroy", e, CCanvas::OnDestroy(e)); }
  int32_t OnMove(SWinEvent& e) override { return Log("OnMove", e, CCanvas::OnMove(e)); }
  int32_t OnSize(SWinEvent& e) override { return Log("OnSize", e, CCanvas::OnSize(e)); }
  int32_t OnActivate(SWinEvent& e) override { return Log("OnActivate", e, CCanvas::OnActivate(e)); }
  int32_t OnClose(SWinEvent& e) override { return Log("OnClose", e, CCanvas::OnClose(e)); }
  int32_t OnQuit(SWinEvent& e) override { return Log("OnQuit", e, CCanvas::OnQuit(e)); }
  int32_t OnEraseBackground(SWinEvent& e) override {
    const int32_t answer = CCanvas::OnEraseBackground(e);
    eraseResults.push_back(e.result);
    return Log("OnEraseBackground", e, answer);
  }
  int32_t OnGetMinMaxInfo(SWinEvent& e) override { return Log("OnGetMinMaxInfo", e, CCanvas::OnGetMinMaxInfo(e)); }
  int32_t OnSysCommand(SWinEvent& e) override { return Log("OnSysCommand", e, CCanvas::OnSysCommand(e)); }
  int32_t OnMenuSelect(SWinEvent& e) override { return Log("OnMenuSelect", e, CCanvas::OnMenuSelect(e)); }
  int32_t OnOtherMessage(SWinEvent& e) override { return Log("OnOtherMessage", e, CCanvas::OnOtherMessage(e)); }

  bool MoveTo(SPointHV topLeft) override {
    ++moves;
    return CCanvas::MoveTo(topLeft);
  }
  bool Resize(SPointHV size, bool repaint) override {
    ++resizes;
    return CCanvas::Resize(size, repaint);
  }

 private:
  int32_t Log(const char* operation, const SWinEvent& e, int32_t answer) {
    calls.push_back({operation, {e.x, e.y}});
    return answer;
  }
};

class CanvasTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kDesktopColor = 0x00224466;
  static constexpr uint32_t kPopup = 0x80000000;

  void SetUp() override {
    ASSERT_EQ(InitOrdax(), 0);
    SApplDesc desc = ProgramDesc();
    desc.desktopColor = kDesktopColor;
    app = new TestApp(desc);
    ASSERT_TRUE(CAppl::IsInitialised());
    platform::headless::SetScreenSize(1024, 768);
  }
  void TearDown() override {
    delete app;
    TermOrdax();
  }

  // Pumps until the script is taken in and nothing is left to do.
  void Run(const std::string& script = "") {
    if (!script.empty()) {
      ASSERT_TRUE(platform::headless::AddScript(script));
    }
    for (int i = 0; i < 10000 && platform::headless::PendingInputs() > 0; ++i) app->Pump();
    app->Pump();
  }
  static SRect Frame(const platform::WindowHandle window) {
    platform::SWinRect r;
    platform::GetWindowRect(window, &r);
    return {r.top, r.left, r.bottom, r.right};
  }
  static platform::Surface& Pixels(const CCanvas& canvas) { return *platform::GetWindowSurface(canvas.GetWindow()); }

  TestApp* app = nullptr;
};
