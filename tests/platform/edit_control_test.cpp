// The headless edit control: its model, its messages and its answers, driven by the input script.
#include "platform/edit_control.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/clipboard.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace {

using namespace platform;

intptr_t Plain(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

class EditControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SWindowClass windowClass;
    windowClass.name = "Parent";
    windowClass.procedure = &Plain;
    ASSERT_TRUE(RegisterWindowClass(windowClass));
    parent = CreateWindow(0, "Parent", "", kWsPopup | kWsVisible, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    edit = CreateWindow(0, kEditClass, "", kWsChild | kWsVisible | kEsAutoHScroll, 10, 10, 80, 20, parent, nullptr,
                        nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
  }
  void TearDown() override {
    DestroyWindow(parent);
    UnregisterWindowClass("Parent", nullptr);
  }

  std::string Text() const {
    char buffer[64] = {};
    SendMessage(edit, kWmGetText, sizeof buffer, reinterpret_cast<intptr_t>(buffer));
    return buffer;
  }
  std::pair<uint32_t, uint32_t> Selection() const {
    uint32_t start = 0, end = 0;
    SendMessage(edit, kEmGetSel, reinterpret_cast<uintptr_t>(&start), reinterpret_cast<intptr_t>(&end));
    return {start, end};
  }
  // Keys as the program's loop takes them: a key-down its window does not take makes its character.
  void Type(const std::string& script) {
    ASSERT_TRUE(headless::AddScript(script));
    SMessage m;
    for (int i = 0; i < 200; ++i) {
      while (PeekMessage(&m, nullptr, 0, 0, true)) {
        if (DispatchMessage(m) == 0) TranslateMessage(m);
      }
    }
  }
  void Set(const char* text) { SendMessage(edit, kWmSetText, 0, reinterpret_cast<intptr_t>(text)); }

  WindowHandle parent = nullptr;
  WindowHandle edit = nullptr;
};

TEST_F(EditControlTest, TypingEditsOverTheSelection) {
  Type("key 1\nkeyup 1\nkey 2\nkeyup 2\nkey 3\nkeyup 3\nkey 0x25\nkeyup 0x25\nkey 0x08\nkeyup 0x08\nkey X\nkeyup X\n");
  EXPECT_EQ(Text(), "1x3");
  EXPECT_EQ(Selection(), std::make_pair(2u, 2u));
  Type("key 0x10\nkey 0x24\nkeyup 0x24\nkeyup 0x10\n");  // Shift+Home selects back to the start
  EXPECT_EQ(Selection(), std::make_pair(0u, 2u));
  Type("key 0x2E\nkeyup 0x2E\n");
  EXPECT_EQ(Text(), "3");
  Type("key 0x23\nkeyup 0x23\nkey 0x2E\nkeyup 0x2E\n");  // Delete at the end does nothing
  EXPECT_EQ(Text(), "3");
}

TEST_F(EditControlTest, KeysAnswerWhetherTheControlActed) {
  Set("ab");
  EXPECT_EQ(SendMessage(edit, kWmChar, 'c', 1), 1);
  EXPECT_EQ(SendMessage(edit, kWmChar, 9, 1), 0);    // a tab is not text
  EXPECT_EQ(SendMessage(edit, kWmKeyDown, 'Q', 1), 0);  // the character comes as its own message
  EXPECT_EQ(SendMessage(edit, kWmKeyDown, kVkLeft, 1), 1);
  SendMessage(edit, kWmKeyDown, kVkHome, 1);
  EXPECT_EQ(SendMessage(edit, kWmKeyDown, kVkHome, 1), 0);  // already there
  EXPECT_EQ(SendMessage(edit, kWmChar, 8, 1), 0);            // nothing before the caret
  EXPECT_EQ(Text(), "cab");
}

TEST_F(EditControlTest, TheLimitHoldsForTypingAndPastingAndSetTextIgnoresIt) {
  SendMessage(edit, kEmLimitText, 4, 0);
  Set("abcdef");  // the program's own text is not cut
  EXPECT_EQ(Text(), "abcdef");
  Set("ab");
  SendMessage(edit, kEmSetSel, 2, 2);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(kCfText, "xyz", 4);
  CloseClipboard();
  EXPECT_EQ(SendMessage(edit, kWmChar, 0x16, 1), 1);  // Ctrl+V
  EXPECT_EQ(Text(), "abxy");
  EXPECT_EQ(SendMessage(edit, kWmChar, 'q', 1), 0);
  SendMessage(edit, kEmSetSel, 0, 1);
  EXPECT_EQ(SendMessage(edit, kWmChar, 'q', 1), 1);  // over the selection it fits
  EXPECT_EQ(Text(), "qbxy");
  SendMessage(edit, kEmSetSel, 1, -1);
  EXPECT_EQ(SendMessage(edit, kWmChar, 0x18, 1), 1);  // Ctrl+X
  EXPECT_EQ(Text(), "q");
  std::vector<uint8_t> cut;
  ASSERT_TRUE(OpenClipboard(nullptr));
  GetClipboardData(kCfText, &cut);
  CloseClipboard();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(cut.data())), "bxy");
}

TEST_F(EditControlTest, TextAndSelectionMessages) {
  Set("hello");
  EXPECT_EQ(SendMessage(edit, kWmGetTextLength, 0, 0), 5);
  char small[4] = {};
  EXPECT_EQ(SendMessage(edit, kWmGetText, sizeof small, reinterpret_cast<intptr_t>(small)), 3);
  EXPECT_STREQ(small, "hel");
  SendMessage(edit, kEmSetSel, 1, 3);
  EXPECT_EQ(SendMessage(edit, kEmGetSel, 0, 0), intptr_t(1 | (3 << 16)));
  SendMessage(edit, kEmSetSel, 9, 12);  // kept within the text
  EXPECT_EQ(Selection(), std::make_pair(5u, 5u));
  SendMessage(edit, kEmSetSel, 0, -1);
  EXPECT_EQ(Selection(), std::make_pair(0u, 5u));
  SendMessage(edit, kEmSetSel, uintptr_t(-1), 0);
  EXPECT_EQ(Selection(), std::make_pair(5u, 5u));
  EXPECT_EQ(SendMessage(edit, kWmGetDlgCode, 0, 0) & kDlgcWantChars, kDlgcWantChars);
}

TEST_F(EditControlTest, ADisabledParentKeepsKeysFromTheControl) {
  EnableWindow(parent, false);
  Type("key A\nkeyup A\n");
  EXPECT_EQ(Text(), "");
  EnableWindow(parent, true);
  SetFocus(edit);
  Type("key A\nkeyup A\n");
  EXPECT_EQ(Text(), "a");
}

}  // namespace
