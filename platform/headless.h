// The headless back end as tests and scripted runs drive it.
//
// Input script, one event a line ('#' starts a comment):
//   wait MS            the next input comes MS virtual milliseconds after the previous one
//   move X Y           pointer to screen point (X, Y)
//   rmove DX DY        pointer by (DX, DY) from where it is then (drags put it back after each step)
//   down left|right    button press; up left|right: release
//   key VK             key press; keyup VK: release (VK in decimal, 0x-hex, a letter or digit, or the
//                      key's X name as xdotool takes it: Control_L, Shift_L, Alt_L, Tab, Escape, Delete,
//                      Left, Prior, F1, minus, equal, slash, KP_Add, ...)
//   stroke CHORD...    each chord typed as xdotool's key command types it: "stroke ctrl+shift+s Tab"
//                      presses Ctrl, Shift and S, lets go of Shift, Ctrl and S, then presses and lets go
//                      of Tab (ctrl, shift and alt stand for Control_L, Shift_L and Alt_L)
//   char C             a character message (C one character, or a number)
//   menu TITLE ITEM    chooses the item of that text (or of that text before its tab) in the menu-bar
//                      entry of that title, as a click would; a text with blanks is written in quotes
//   drop X Y PATH...   the files dropped at screen point (X, Y), on the window there that takes them
//                      or the one it lies in; a path with blanks is written in quotes
//   display W H        the screen takes that size and the top-level windows hear of the change
//   logout             the desktop asks the top-level windows whether the session may end
//   box N              answer of the next message box (1 OK, 2 cancel, ...)
//   open PATH          answer of the next file dialog, with the first filter whose pattern matches the
//                      path's extension (else the dialog's own); save PATH likewise; cancel: the user
//                      cancels
//   compression full|cancel  answer of the next choice of a movie's compressor (full when none)
//   print DPI_X DPI_Y PAGE_W PAGE_H COPIES  answer of the next print dialog: a printer of that
//                      resolution and page size in pixels, with the copies chosen (platform/print.h);
//                      print cancel: the user cancels (as when no answer is left)
//   dialog BUTTON [ID=VALUE]...  answer of the next modal dialog with items (platform/dialog.h): each
//                      item ID takes the text VALUE (in quotes where it holds blanks), then the push
//                      button BUTTON is pressed
// Every input query takes at most one due input and moves the virtual clock on by 1 ms.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform::headless {

// Appends script lines; false with the line number and reason in *error when a line is not understood
// (nothing of the text is added then).
bool AddScript(const std::string& text, std::string* error = nullptr);
bool LoadScriptFile(const std::string& path, std::string* error = nullptr);
// Scripted runs of a program: loads the script that QUARN2_SCRIPT names when the back end is the
// headless one (on GTK, or without the variable, nothing is loaded). False when it cannot be loaded,
// the file and the reason then printed on stderr.
bool LoadScriptFromEnvironment();
size_t PendingInputs();
// The answer of the next file dialog, with the 1-based filter index the user picked; 0 picks as the
// script's answers do.
void AnswerFileDialog(const std::string& path, uint32_t filterIndex);

void SetScreenSize(int32_t width, int32_t height);
// The screen behind the windows: its colour (0x00RRGGBB, black at first), and a pixel of the screen
// as it was last composed, with what was drawn onto it since.
void SetDesktopColor(uint32_t color);
uint32_t ScreenPixel(int32_t x, int32_t y);
// A picture the screen shows over its colour from its top left corner, in rows of 0x00RRGGBB from the
// top (width × height of them), as a desktop's wallpaper would; a picture of no pixels takes it away.
void SetScreenPicture(int32_t width, int32_t height, const std::vector<uint32_t>& pixels);
// 500 ms at first.
void SetDoubleClickTime(uint32_t ms);

struct SShownBox {
  std::string text;
  std::string caption;
  uint32_t style = 0;
  int32_t answer = 0;
};
const std::vector<SShownBox>& ShownBoxes();

struct SAskedDialog {
  bool save = false;
  SFileDialog request;
};
const std::vector<SAskedDialog>& AskedDialogs();

// The cursor calls: how many times SetCursor ran, and what a cursor is ("arrow", "wait", "ibeam",
// "shape N" for a numbered shape, "picture NAME hot X,Y" for a picture's cursor).
uint32_t CursorSetCount();
std::string CursorDescription(CursorHandle cursor);

// Metrics a test may set: kSmCyCaption, kSmCyMenu, kSmCxBorder, kSmCyBorder, kSmCxDlgFrame,
// kSmCyDlgFrame.
void SetMetric(int32_t index, int32_t value);
// The screen without the desktop's panels (GetWorkArea); an empty rectangle: the whole screen.
void SetWorkArea(const SWinRect& area);
// The machine's physical memory as PhysicalMemoryBytes answers it (platform/system.h); 0 answers the
// machine's own again.
void SetPhysicalMemory(uint64_t bytes);

// How many windows of the class exist.
uint32_t WindowCount(const std::string& className);

uint32_t FrameRecomputations(WindowHandle window);
bool IsMenuBarShown(WindowHandle window);

}  // namespace platform::headless
