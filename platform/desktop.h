// What the desktop tells the program besides input: files dropped on a window, the screen's work area
// (the screen without the desktop's own panels), a change of the display and the end of the session.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

// Message numbers.
enum : uint32_t {
  kWmQueryEndSession = 0x0011,  // the session is ending: answer true to let it
  kWmDisplayChange = 0x007E,    // wParam bits per pixel, lParam the screen's width and height
  kWmDropFiles = 0x0233,        // wParam the drop
};

struct SDrop;
using DropHandle = SDrop*;

// Only a window that accepts dropped files gets kWmDropFiles; the drop lives until DragFinish.
void DragAcceptFiles(WindowHandle window, bool accept);
bool AcceptsDroppedFiles(WindowHandle window);
uint32_t DragQueryFileCount(DropHandle drop);
// The path of file index, empty past the last.
std::string DragQueryFile(DropHandle drop, uint32_t index);
SPoint DragQueryPoint(DropHandle drop);  // client coordinates of the window
void DragFinish(DropHandle drop);
uint32_t LiveDropCount();

// Screen coordinates.
SWinRect GetWorkArea();

// ---- for the back ends
// Files dropped at a screen point on window (or the window it lies in) that accepts them: posts
// kWmDropFiles; false when no such window takes them.
bool DeliverDroppedFiles(WindowHandle window, SPoint screen, const std::vector<std::string>& paths);
// The screen changed: kWmDisplayChange to every top-level window.
void NotifyDisplayChange();
// The desktop asks whether the session may end: kWmQueryEndSession to every top-level window.
void NotifyQueryEndSession();

}  // namespace platform
