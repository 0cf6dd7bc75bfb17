// Host canvases for the tests: a UI host canvas that builds itself from a layout name and logs the
// messages it is handed and the redraws it is asked for, the application's error reports caught,
// scripted input pumped through the application, and helpers for events and screen points.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/cm_function.h"
#include "framework/core/notification.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ho_canvas.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/ui_message.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "tests/framework/ui/picture_fixture.h"

// A dialog whose controls are its layout's canvas of that name (none: nothing to build), which logs
// the messages it is handed (element names) and answers what it is told to.
class TestDialog : public CUIHostCanvas {
 public:
  TestDialog(CUICmFunction* owner, CResourceEnv* environment, std::string layout = "")
      : CUIHostCanvas(owner, environment, kDialogStyle), layout(std::move(layout)) {}

  int32_t BuildControls(CResourceEnv* environment) override {
    ++builds;
    if (buildAnswer) return buildAnswer;
    return layout.empty() ? kNoErr : Create(environment, layout.c_str());
  }
  int32_t HandleEvent(CUIMessage* message) override {
    received.push_back(message->elementName);
    messages.push_back({message->kind, message->flags, message->elementName, message->windowName,
                        message->canvasName, message->firstPoint, message->secondPoint});
    CUIHostCanvas::HandleEvent(message);
    return answer;
  }
  bool Redraw(const SRect* rect) override {
    if (onRedraw) onRedraw();
    return CUIHostCanvas::Redraw(rect);
  }

  std::string layout;
  int32_t buildAnswer = 0;
  uint32_t builds = 0;
  int32_t answer = 0;
  std::vector<std::string> received;
  // What each message held; the names are copied, since a message's empty names lie in itself.
  struct SReceived {
    uint32_t kind;
    uint32_t flags;
    std::string elementName, windowName, canvasName;
    SPointHV firstPoint, secondPoint;
  };
  std::vector<SReceived> messages;
  std::function<void()> onRedraw;
};

class HostTest : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    platform::headless::SetScreenSize(1024, 768);
    ASSERT_TRUE(app->GetNotification()->Subscribe(this, &HostTest::NoteError, 0));
  }
  void TearDown() override {
    app->GetNotification()->Unsubscribe(this);
    FreeShadowImages();
    PictureTest::TearDown();
  }

  // Takes the whole script in, pumping as the loop would.
  void Run(const std::string& script) {
    ASSERT_TRUE(platform::headless::AddScript(script));
    for (int i = 0; i < 100000 && platform::headless::PendingInputs() > 0; ++i) app->Pump();
    app->Pump();
  }
  // A press event at a point of the screen.
  static SWinEvent PressAt(int32_t x, int32_t y) {
    SWinEvent event;
    event.x = x;
    event.y = y;
    return event;
  }
  static SWinEvent Character(uint32_t c) {
    SWinEvent event;
    event.key = c;
    return event;
  }
  static platform::Surface& Window(const CCanvas& canvas) { return *platform::GetWindowSurface(canvas.GetWindow()); }
  static uint32_t WindowAt(const CCanvas& canvas, int32_t x, int32_t y) { return Window(canvas).Pixel(x, y) & 0xFFFFFF; }

  std::vector<int32_t> errors;  // what went to the application's error report

 private:
  static int32_t NoteError(void* self, void* record, void*) {
    static_cast<HostTest*>(self)->errors.push_back(static_cast<SNotifyRecord*>(record)->code);
    return 1;
  }
};
