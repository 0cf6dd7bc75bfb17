// What the framework core calls of the user-interface framework. framework/ui defines these; the two
// libraries link as a group, and the cycle between them stays this narrow.
#pragma once

#include <cstdint>

#include "framework/core/rect.h"
#include "platform/system.h"
#include "platform/window.h"

// CCanvas::RegisterClass: the window class "CCanvas" with the shared window procedure, for the
// canvas windows that owner will own.
bool RegisterCanvasClass(platform::ModuleHandle instance, platform::WindowHandle owner);
void UnregisterCanvasClass();

// The element classes, in the order they register with the element registry at start-up.
struct SElementClass {
  const char* className;  // names the class in the fatal stop's reason
  bool (*registerType)();
  bool (*unregisterType)();
};
const SElementClass* GetElementClasses(uint32_t* count);

// The element operations the element registry and the element system table call (CElement's).
class CElement;
class CExSystem;
struct SDynTableLayout;
// An element that has an owner belongs to a table already.
bool ElementHasOwner(const CElement* element);
int32_t AttachElement(CElement* element, CExSystem* owner);
int32_t DetachElement(CElement* element, CExSystem* owner);
// True when the element already has its place, and its parent's add-child is not wanted.
bool IsElementPlaced(const CElement* element);
// Adds child to parent with the three row words; the parent makes its children's table from
// container, an empty table of element rows, when it has none yet.
int32_t AddChildElement(CElement* parent, CElement* child, uint32_t classData, int32_t orderKey, uint32_t extra,
                        const SDynTableLayout& container);
void DeleteElement(CElement* element);
// The element's name (GetName), which the element system table looks rows up by.
const char* GetElementName(const CElement* element);

// The desktop console (CConsole): a strip of text at the top of the screen, an offscreen canvas.
class CDesktopConsole {
 public:
  virtual ~CDesktopConsole() = default;
  // Its window, its offscreen context and its ring of lines were all made.
  virtual bool IsReady() const = 0;
  // Appends one line, cut to the line width; redrawn at once when asked.
  virtual void Print(const char* text, bool redraw) = 0;
  virtual const char* GetCurrentLine() const = 0;
  virtual bool IsConsoleVisible() const = 0;
  virtual void ShowConsole() = 0;  // and activate it
  virtual void HideConsole() = 0;
};
// A hidden console of lineCount lines of lineWidth bytes over frame, with the window style, text and
// background colours (0x00RRGGBB; null: white text, the application's background) and the receiver
// priority of its canvas; null when out of memory.
CDesktopConsole* NewDesktopConsole(uint32_t lineWidth, uint32_t lineCount, const SRect& frame, uint32_t style,
                                   const uint32_t* textColor, const uint32_t* color, int32_t priority);
