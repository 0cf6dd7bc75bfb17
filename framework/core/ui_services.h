// What the framework core needs of the user-interface framework, which comes after it in the library
// order: the canvas window class, the element classes and the operations on elements that the element
// tables make, and the desktop console. framework/ui fills the table at start-up
// (RegisterUiServices); the functions below pass each call on. Without a registration an application
// has no canvases, element classes or console, and an operation on an element answers
// kErrNotImplemented.
#pragma once

#include <cstdint>

#include "framework/core/rect.h"
#include "platform/system.h"
#include "platform/window.h"

// The element classes, in the order they register with the element registry at start-up.
struct SElementClass {
  const char* className;  // names the class in the fatal stop's reason
  bool (*registerType)();
  bool (*unregisterType)();
};

class CElement;
class CExSystem;
struct SDynTableLayout;

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

// The work of each call below, of the same type.
struct SUiServices {
  bool (*registerCanvasClass)(platform::ModuleHandle instance, platform::WindowHandle owner);
  void (*unregisterCanvasClass)();
  const SElementClass* (*getElementClasses)(uint32_t* count);
  bool (*elementHasOwner)(const CElement* element);
  int32_t (*attachElement)(CElement* element, CExSystem* owner);
  int32_t (*detachElement)(CElement* element, CExSystem* owner);
  bool (*isElementPlaced)(const CElement* element);
  int32_t (*addChildElement)(CElement* parent, CElement* child, uint32_t classData, int32_t orderKey, uint32_t extra,
                             const SDynTableLayout& container);
  void (*deleteElement)(CElement* element);
  const char* (*getElementName)(const CElement* element);
  CDesktopConsole* (*newDesktopConsole)(uint32_t lineWidth, uint32_t lineCount, const SRect& frame, uint32_t style,
                                        const uint32_t* textColor, const uint32_t* color, int32_t priority);
};

// The registration stays until replaced; null takes it back. The table is the caller's and must
// outlive the registration.
void SetUiServices(const SUiServices* services);
const SUiServices* GetUiServices();

// CCanvas::RegisterClass: the window class "CCanvas" with the shared window procedure, for the
// canvas windows that owner will own. True without a registration: there are no canvases to host.
bool RegisterCanvasClass(platform::ModuleHandle instance, platform::WindowHandle owner);
void UnregisterCanvasClass();

// The element classes; none without a registration.
const SElementClass* GetElementClasses(uint32_t* count);

// The element operations the element registry and the element system table call (CElement's).
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
// The element's name (GetName), which the element system table looks rows up by; "" without a
// registration.
const char* GetElementName(const CElement* element);

// A hidden console of lineCount lines of lineWidth bytes over frame, with the window style, text and
// background colours (0x00RRGGBB; null: white text, the application's background) and the receiver
// priority of its canvas; null when out of memory or without a registration.
CDesktopConsole* NewDesktopConsole(uint32_t lineWidth, uint32_t lineCount, const SRect& frame, uint32_t style,
                                   const uint32_t* textColor, const uint32_t* color, int32_t priority);
