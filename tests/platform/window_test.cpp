#include "platform/window.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window_backend.h"

namespace {

using namespace platform;

std::vector<uint32_t> gSeen;

intptr_t Recorder(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  gSeen.push_back(message);
  return DefWindowProc(window, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSeen.clear();
    SWindowClass windowClass;
    windowClass.name = "Test";
    windowClass.procedure = &Recorder;
    ASSERT_TRUE(RegisterWindowClass(windowClass));
    window = CreateWindow(0, "Test", "title", kWsPopup | kWsCaption, 10, 20, 200, 100, nullptr, nullptr, nullptr,
                          nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, kSwShow);
  }
  void TearDown() override {
    DestroyWindow(window);
    EXPECT_TRUE(UnregisterWindowClass("Test", nullptr));
  }
  // The characters that the strokes of the script make, as TranslateMessage gives them.
  std::vector<uint32_t> Characters(const std::string& script) {
    EXPECT_TRUE(headless::AddScript(script));
    std::vector<uint32_t> characters;
    SMessage m;
    for (int i = 0; i < 1000; ++i) {
      while (PeekMessage(&m, nullptr, 0, 0, true)) {
        if (m.message == kWmChar) characters.push_back(uint32_t(m.wParam));
        else if (!TranslateMessage(m)) DispatchMessage(m);
      }
    }
    return characters;
  }

  WindowHandle window = nullptr;
};

TEST_F(WindowTest, CreationMessagesAndClientArea) {
  ASSERT_GE(gSeen.size(), 2u);
  EXPECT_EQ(gSeen[0], kWmNcCreate);
  SWinRect client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.Width(), 200);
  EXPECT_EQ(client.Height(), 100 - GetSystemMetrics(kSmCyCaption));
  const SPoint origin = ClientToScreen(window, {0, 0});
  EXPECT_EQ(origin.x, 10);
  EXPECT_EQ(origin.y, 20 + GetSystemMetrics(kSmCyCaption));
  EXPECT_EQ(DefWindowProc(window, kWmNcHitTest, 0, MakeLParam(15, 22)), kHitCaption);
  EXPECT_EQ(DefWindowProc(window, kWmNcHitTest, 0, MakeLParam(15, 80)), kHitClient);
  EXPECT_EQ(DefWindowProc(window, kWmNcHitTest, 0, MakeLParam(5, 80)), kHitNowhere);
}

TEST_F(WindowTest, USLayoutCharacters) {
  struct SCase {
    const char* script;
    std::vector<uint32_t> characters;
  } cases[] = {
      {"key A\nkeyup A\n", {'a'}},
      {"key 16\nkey A\nkeyup A\nkeyup 16\n", {'A'}},
      {"key 20\nkeyup 20\nkey A\nkeyup A\nkey 20\nkeyup 20\n", {'A'}},
      {"key 16\nkey 1\nkeyup 1\nkeyup 16\n", {'!'}},
      {"key 17\nkey Z\nkeyup Z\nkeyup 17\n", {0x1A}},
      {"key 17\nkey 32\nkeyup 32\nkeyup 17\n", {}},
      {"key 0xBD\nkey 13\nkey 27\n", {'-', 0x0D, 0x1B}},
      {"key 0x70\n", {}},
      // X key names and xdotool's chords; the keypad's operators type theirs.
      {"stroke shift+8 slash shift+equal minus Tab\n", {'*', '/', '+', '-', '\t'}},
      {"stroke KP_Multiply KP_Divide KP_Add KP_Subtract ctrl+KP_Add\n", {'*', '/', '+', '-'}},
      {"stroke KP_1 shift+KP_0 KP_Decimal KP_End\n", {'1', '0', '.'}},
      {"key Control_L\nkey i\nkeyup i\nkeyup Control_L\n", {0x09}},
  };
  for (const SCase& c : cases) EXPECT_EQ(Characters(c.script), c.characters) << c.script;
}

TEST_F(WindowTest, PaintComesLastAndOnlyWhileInvalid) {
  SMessage m;
  PostMessage(window, 0x400, 0, 0);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, true));
  EXPECT_EQ(m.message, 0x400u);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, true));
  EXPECT_EQ(m.message, kWmPaint);
  DispatchMessage(m);  // the default procedure paints and validates
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, true));
  SWinRect area{0, 0, 10, 10};
  FillClientRect(window, area, 0x123456);
  const SPoint origin = ClientOrigin(window);
  EXPECT_EQ(GetWindowSurface(window)->Pixel(origin.x + 5, origin.y + 5), 0x123456u);
  EXPECT_EQ(GetWindowSurface(window)->Pixel(origin.x + 15, origin.y + 5), 0u);
}

TEST_F(WindowTest, DestroyingAWindowDropsItsMessages) {
  WindowHandle other = CreateWindow(0, "Test", "other", kWsPopup, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  PostMessage(other, 0x400, 0, 0);
  DestroyWindow(other);
  EXPECT_FALSE(IsWindow(other));
  SMessage m;
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0x400, 0x400, false));
  EXPECT_FALSE(PostMessage(other, 0x400, 0, 0));
}

// The idle wait: at once with messages waiting; script input that waits for its moment is reached on
// the virtual clock at once; with nothing to come, the time passes for real.
TEST_F(WindowTest, TheIdleWaitSleepsOnlyWhenNothingIsToCome) {
  using Clock = std::chrono::steady_clock;
  SMessage m;
  for (int i = 0; i < 100 && (headless::PendingInputs() || PeekMessage(&m, nullptr, 0, 0, false)); ++i) {
    while (PeekMessage(&m, nullptr, 0, 0, true)) DispatchMessage(m);
  }
  ASSERT_EQ(headless::PendingInputs(), 0u);

  PostMessage(window, 0x400, 0, 0);
  Clock::time_point real = Clock::now();
  int64_t virtualStart = NowMs();
  WaitMessage(100000);
  EXPECT_LT(NowMs() - virtualStart, 100);
  EXPECT_LT(Clock::now() - real, std::chrono::seconds(10));
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0x400, 0x400, true));

  ASSERT_TRUE(headless::AddScript("wait 60000\nmove 50 60\n"));
  real = Clock::now();
  virtualStart = NowMs();
  WaitMessage(100000);
  EXPECT_GE(NowMs() - virtualStart, 59990);
  EXPECT_LT(NowMs() - virtualStart, 60100);
  EXPECT_LT(Clock::now() - real, std::chrono::seconds(10));
  EXPECT_TRUE(PeekMessage(&m, nullptr, kWmMouseMove, kWmMouseMove, true));

  real = Clock::now();
  virtualStart = NowMs();
  WaitMessage(50);
  EXPECT_GE(Clock::now() - real, std::chrono::milliseconds(50));
  EXPECT_GE(NowMs() - virtualStart, 50);
}

int gReadyPipe = -1;
int gReadyCalls = 0;
void OnPipeReady() {
  char byte;
  if (::read(gReadyPipe, &byte, 1) == 1) ++gReadyCalls;
}

// A program that has taken nothing and drawn nothing for a while sleeps a quarter second at a time,
// which a watched descriptor ends at once; anything shown makes it wake often again.
TEST_F(WindowTest, AQuietProgramSleepsLongerUntilADescriptorOrAChangeWakesIt) {
  using Clock = std::chrono::steady_clock;
  using std::chrono::milliseconds;
  SMessage m;
  while (PeekMessage(&m, nullptr, 0, 0, true)) DispatchMessage(m);
  std::this_thread::sleep_for(milliseconds(kQuietAfterMs + 50));
  Clock::time_point real = Clock::now();
  int64_t virtualStart = NowMs();
  WaitMessage(10);
  EXPECT_GE(Clock::now() - real, milliseconds(kQuietWaitMs));
  EXPECT_GE(NowMs() - virtualStart, kQuietWaitMs);

  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  gReadyPipe = fds[0];
  gReadyCalls = 0;
  ASSERT_TRUE(Backend().WatchDescriptor(fds[0], &OnPipeReady));
  EXPECT_FALSE(Backend().WatchDescriptor(fds[0], &OnPipeReady));
  std::this_thread::sleep_for(milliseconds(kQuietAfterMs + 50));
  std::thread writer([&] {
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(::write(fds[1], "x", 1), 1);
  });
  real = Clock::now();
  WaitMessage(10);
  const auto waited = Clock::now() - real;
  writer.join();
  EXPECT_EQ(gReadyCalls, 1);
  EXPECT_LT(waited, milliseconds(kQuietWaitMs));
  Backend().UnwatchDescriptor(fds[0]);
  ::close(fds[0]);
  ::close(fds[1]);

  SetWindowText(window, "another title");
  real = Clock::now();
  WaitMessage(10);
  EXPECT_LT(Clock::now() - real, milliseconds(kQuietWaitMs));
}

// The longer the quiet, the longer an idle wait may last; a longer wait asked for stays as it is.
TEST(QuietWait, StretchesWithTheQuiet) {
  struct SCase {
    int64_t ms, quietMs, expected;
  } const cases[] = {{10, 0, 10},    {10, kQuietAfterMs, 10},  {10, kQuietAfterMs + 1, kQuietWaitMs},
                     {10, kLongQuietAfterMs + 1, kLongQuietWaitMs}, {5000, kLongQuietAfterMs + 1, 5000}};
  for (const SCase& c : cases) EXPECT_EQ(QuietWaitMs(c.ms, c.quietMs), c.expected) << c.ms << " " << c.quietMs;
}

TEST(HeadlessScript, BadLinesAreNamedAndNothingIsAdded) {
  std::string error;
  EXPECT_FALSE(headless::AddScript("wait 5\nmove 1\n", &error));
  EXPECT_EQ(error, "line 2: move needs X and Y");
  EXPECT_FALSE(headless::AddScript("key 300\n", &error));
  EXPECT_FALSE(headless::AddScript("down middle\n", &error));
  EXPECT_FALSE(headless::AddScript("key F25\n", &error));
  EXPECT_FALSE(headless::AddScript("stroke\n", &error));
  EXPECT_FALSE(headless::AddScript("stroke Tab ctrl+nokey\n", &error));
  EXPECT_EQ(error, "line 1: not a stroke of keys: ctrl+nokey");
  EXPECT_EQ(headless::PendingInputs(), 0u);
  EXPECT_TRUE(headless::AddScript("# comment\n\nkey q # trailing\nbox 2\n", &error));
  EXPECT_EQ(headless::PendingInputs(), 1u);
  EXPECT_EQ(MessageBox(nullptr, "text", "caption", 0), 2);
  EXPECT_EQ(MessageBox(nullptr, "text", "caption", 0), kIdOk);
}

// A relative move starts from where the pointer is when it is taken, also after the program moved it.
TEST(HeadlessScript, RelativeMovesStartFromThePointer) {
  ASSERT_TRUE(headless::AddScript("move 100 100\nrmove 5 -3\n"));
  while (headless::PendingInputs() > 0) GetCursorPos();
  EXPECT_EQ(GetCursorPos().x, 105);
  EXPECT_EQ(GetCursorPos().y, 97);
  SetCursorPos(40, 40);
  ASSERT_TRUE(headless::AddScript("rmove -10 20\n"));
  while (headless::PendingInputs() > 0) GetCursorPos();
  EXPECT_EQ(GetCursorPos().x, 30);
  EXPECT_EQ(GetCursorPos().y, 60);
  std::string error;
  EXPECT_FALSE(headless::AddScript("rmove 1\n", &error));
  EXPECT_EQ(error, "line 1: rmove needs DX and DY");
}

// A handler sees the keys as they were at its own message; a loop that polls without pumping sees
// the keyboard as it is.
TEST_F(WindowTest, KeysNowIgnoreTheStrokesStillQueued) {
  SetFocus(window);
  ASSERT_TRUE(headless::AddScript("key 16\n"));
  while (headless::PendingInputs() > 0) GetCursorPos();
  EXPECT_FALSE(IsKeyDownAsync(kVkShift));
  EXPECT_TRUE(IsKeyDownNow(kVkShift));
  SMessage m;
  while (PeekMessage(&m, nullptr, kWmKeyFirst, kWmKeyLast, true)) {
  }
  EXPECT_TRUE(IsKeyDownAsync(kVkShift));
  ASSERT_TRUE(headless::AddScript("keyup 16\n"));
  while (headless::PendingInputs() > 0) GetCursorPos();
  EXPECT_FALSE(IsKeyDownNow(kVkShift));
  while (PeekMessage(&m, nullptr, kWmKeyFirst, kWmKeyLast, true)) {
  }
}

// Strokes typed faster than the program takes them make the characters of their own moment: Shift and
// Caps Lock read as they were at each key.
TEST_F(WindowTest, StrokesTypedAheadMakeTheCharactersOfTheirMoment) {
  SetFocus(window);
  ASSERT_TRUE(headless::AddScript("stroke Caps_Lock a Caps_Lock a shift+b c\n"));
  while (headless::PendingInputs() > 0) GetCursorPos();
  std::vector<uint32_t> characters;
  SMessage m;
  while (PeekMessage(&m, nullptr, 0, 0, true)) {
    if (m.message == kWmChar) characters.push_back(uint32_t(m.wParam));
    else if (!TranslateMessage(m)) DispatchMessage(m);
  }
  EXPECT_EQ(characters, (std::vector<uint32_t>{'A', 'a', 'B', 'c'}));
  EXPECT_FALSE(IsKeyToggled(kVkCapital));
}

// A stroke presses its keys in order and lets go of Shift, Ctrl and Alt before the key, as xdotool does.
TEST_F(WindowTest, AScriptStrokeTypesAChordAsXdotoolDoes) {
  ASSERT_TRUE(headless::AddScript("stroke alt+ctrl+shift+Next\n"));
  std::vector<std::pair<uint32_t, uintptr_t>> strokes;
  SMessage m;
  while (headless::PendingInputs() > 0 || PeekMessage(&m, nullptr, kWmKeyFirst, kWmKeyLast, false)) {
    if (PeekMessage(&m, nullptr, kWmKeyFirst, kWmKeyLast, true)) strokes.push_back({m.message, m.wParam});
  }
  const std::vector<std::pair<uint32_t, uintptr_t>> expected{
      {kWmSysKeyDown, kVkMenu}, {kWmSysKeyDown, kVkControl}, {kWmSysKeyDown, kVkShift}, {kWmSysKeyDown, kVkNext},
      {kWmSysKeyUp, kVkShift},  {kWmSysKeyUp, kVkControl},   {kWmSysKeyUp, kVkMenu},    {kWmKeyUp, kVkNext}};
  EXPECT_EQ(strokes, expected);
}

TEST(AnsiText, ConvertsBothWays) {
  EXPECT_EQ(AnsiToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD"), "caf\xE9 \x80 ?");
}

}  // namespace
