// What the floating palettes share: when their pointer watch acts and where the pointer is, the tip
// texts they broadcast for the control under the pointer, and the feedback of their buttons (the
// glowing hot button, the highlighted tab, the press that waits for the release).
#pragma once

#include <cstdint>
#include <functional>

#include "framework/core/cm_function.h"
#include "framework/ui/element_callbacks.h"
#include "framework/ui/geometry.h"
#include "framework/ui/layout_need.h"
#include "platform/window.h"

class CElement;
class CGlowTracker;
class CImElement;
class CMenu;
class CUIHostCanvas;

// The pointer watches show this cursor while Space is held, which drags a palette.
inline constexpr uint32_t kPaletteSpaceKey = 0x20;
inline constexpr uint32_t kPaletteSpaceCursor = 108;
// The UI message kind of the tip texts.
inline constexpr uint32_t kTipMessageKind = 4;
// The highlight of a hovered or pressed tab, drawn once over its own opacity.
inline constexpr float kTabHighlightOpacity = 0.5f;
// A press leaves the hot button glowing down from here.
inline constexpr int32_t kPressedGlowLevel = 255;
inline constexpr int32_t kFallingGlowStep = -20;

// ---- the pointer watch
// The palette's rows of the heartbeat table (its hover poll among them) give way to its watch: false
// when the watch cannot be registered.
bool RegisterPaletteWatch(CUIHostCanvas& palette, CFCallback watch);
// The watch acts on this beat: the main loop's beat (second word 0), the palette up to date with its
// owner's modal level, the application active, the root taking hover events and shown, and at least
// `interval` ticks since *last, which then becomes now.
bool IsPaletteWatchDue(CUIHostCanvas& palette, const void* record, int64_t* last, int64_t interval);
// The pointer lies in the palette's frame and the palette's window is the one under it.
bool IsPointerOverPalette(const CUIHostCanvas& palette, platform::SPoint cursor);
// The root's hover handling at the screen point; its error goes to the application's report.
void HoverPaletteAt(CUIHostCanvas& palette, platform::SPoint cursor);
// Broadcasts the tip of a control to the palette's owner (kind 4, flags 1, no canvas name): entries
// `first` and `second` of the palette's text list named `list` as element and window name (an entry
// beyond the list is empty), nothing when the list cannot be read; no list clears the tip with three
// empty names. The dispatch's answer.
int32_t PostPaletteTip(CUIHostCanvas& palette, const char* list, uint32_t first = 0, uint32_t second = 1);

// One beat of the pointer watch of a palette whose hot button a glow tracker keeps, once the watch is
// due. Over the palette: with Space held the drag cursor shows (the hot button goes dark first with
// dropOnSpace); else, with no hot button the arrow comes back, the root's hover runs at the pointer,
// and the tip follows the hot button: a newly hot one's entries 0 and 1 (0 and state + 1 where
// tipByState says so), the same one's in another state 0 and state + 1, an empty tip when none is
// hot any more. Away from the palette a hot button is handed to `leaving`, dropped and its tip
// cleared, and the arrow comes back.
struct SButtonWatch {
  bool dropOnSpace = false;
  std::function<bool(const CElement*)> tipByState;
  std::function<void(CElement*)> leaving;
};
void WatchPaletteButtons(CUIHostCanvas& palette, CGlowTracker& tracker, const SButtonWatch& how);

// ---- the fade of a palette's tools while the pointer is away: the level runs from 0 (tools shown)
// to kPaletteFadeLevels (faded), from more than two seconds after the pointer left, a step at most
// every third tick.
inline constexpr int32_t kPaletteFadeLevels = 256;
inline constexpr int64_t kPaletteFadeDelayTicks = 121;
inline constexpr int64_t kPaletteFadeStepTicks = 3;
// The level after this one: 12 more, and past 180 the end.
int32_t NextFadeLevel(int32_t level);
// The palette at the level: its bare picture shown over it at level / 256, hidden at 0 (redrawn).
// 0, 1 without the picture, or the picture's drawing code.
int32_t ShowFadeLevel(CImElement* background, int32_t level);

// ---- the buttons
// A palette's buttons are image elements whose opacity is their highlight: the element as one (none
// for another kind), its opacity (1 for another kind), and a new one (nothing for another kind).
CImElement* AsImage(CElement* element);
float OpacityOf(CElement* element);
void SetOpacityOf(CElement* element, float opacity, bool redraw = true);
// The element of that name below the palette's root with the press and hover callbacks (none clears
// one); none when the layout lacks it.
CElement* BindControl(CUIHostCanvas& palette, const SLayoutNeed& need, ElPressCallback press, ElHoverCallback hover);
// Every child of the parent, from the last to the first, takes the press and hover callbacks and is
// then handed to `also` when one is given: 0, or the error of looking a child up.
int32_t BindChildren(CElement* parent, ElPressCallback press, ElHoverCallback hover,
                     const std::function<void(CElement*)>& also = nullptr);
// Whether a point in the element's coordinates lies on it (0 <= x < width, 0 <= y < height).
bool IsInsideElement(const CElement* element, SPointHV point);
// The element's own message (kind 0, broadcast) up its tree; the handler's answer.
int32_t SendElementMessage(CElement* element);
// Waits until the mouse button is up.
void WaitForMouseUp();
// A glowing button's hover: inside, a newly hot button starts its glow at 160 and steps it once,
// towards entry `glowEntry`; later steps come when a pulse is due. Outside, a hot button drops its
// glow. 26 inside, else 0.
int32_t HoverGlowButton(CGlowTracker& tracker, CElement* element, SPointHV point, uint32_t glowEntry);
// A tab's hover: inside, a newly hot tab is drawn once at the tab highlight over its own opacity, the
// glow left at 255 going down. Outside, a hot tab is dropped. Whether the point is inside.
bool HoverTab(CGlowTracker& tracker, CElement* element, SPointHV point);
// A plop-up's press: drawn at the tab highlight while its message goes, then its own opacity back
// without a redraw. The message's answer.
int32_t PressHighlighted(CElement* element, CElement** handled);
// A button's press: lit while the mouse button is held (2 ticks at least), then its own opacity back
// and its message wherever the button is let go. The message's answer.
int32_t PressLit(CElement* element, CElement** handled);
// A tab's press: its message once the mouse button is up. The message's answer.
int32_t PressOnRelease(CElement* element, CElement** handled);

// ---- the pop-up menus
struct SMenuChoice {
  uint32_t row = 0;  // 1-based; 0 when nothing was chosen
  uint32_t command = 0;
};
// Shows the menu as the program's pop-up at a point of the palette's canvas: the row chosen.
SMenuChoice ChooseFromMenu(CUIHostCanvas& palette, CMenu& menu, SPointHV canvasPoint);
// Pop-up menu `number` of the palette's layout file, its rows ticked by `prepare`, shown at the canvas
// point and deleted again: 0 with the choice, or the menu's loading code.
int32_t PopUpPaletteMenu(CUIHostCanvas& palette, uint32_t number, SPointHV canvasPoint,
                         const std::function<void(CMenu&)>& prepare, SMenuChoice* choice);
