// Inside the platform: what a device context holds, the drawing objects it selects, and where a
// drawing call lands. device_context.cpp, gdi.cpp and text_drawing.cpp (platform_text) share them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/device_context.h"
#include "platform/gdi.h"
#include "platform/rect_set.h"
#include "platform/window_backend.h"

namespace platform {

struct SGdiObject {
  enum class Kind { kPen, kBrush, kFont, kBitmap };
  Kind kind = Kind::kPen;
  bool stock = false;
  uint32_t selections = 0;  // contexts it is selected into; such an object is not deleted
  // Pens and brushes; a null pen or brush draws nothing.
  uint32_t color = 0;
  bool null = false;
  bool dotted = false;
  int32_t width = 1;  // pens
  // Fonts: the face they stand for and the pixel height of their characters.
  std::string face;
  int32_t pixelHeight = 0;
  int32_t weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  // Bitmaps.
  Surface pixels;
};

struct SPrintJob;

struct DeviceContext {
  WindowHandle window = nullptr;  // a window's client area, looked up again at every call
  Surface* surface = nullptr;     // or a surface of the caller's, or the selected bitmap's
  bool own = false;               // a window's own context
  bool memory = false;            // a memory context: it draws into its selected bitmap
  bool screen = false;            // the screen's context, in screen coordinates
  uint32_t bkColor = 0xFFFFFF;
  uint32_t textColor = 0x000000;
  int32_t bkMode = kOpaque;
  uint32_t textAlign = 0;
  int32_t rop2 = kR2CopyPen;
  SPoint position;  // where LineTo starts
  SGdiObject* pen = nullptr;
  SGdiObject* brush = nullptr;
  SGdiObject* font = nullptr;
  SGdiObject* bitmap = nullptr;
  bool clipped = false;
  RectSet clip;  // context coordinates
  // The clip outside the paint that BeginPaint narrowed it for.
  bool paintSavedClipped = false;
  RectSet paintSavedClip;
  // A printer's context draws onto the job's page (platform/print.h); deleted with DeleteDC.
  SPrintJob* printer = nullptr;
  int32_t stretchMode = 1;  // kBlackOnWhite
};

// Where a call draws: the surface, the offset of the context's (0, 0) in it, and the area it may
// change, in surface coordinates.
struct STarget {
  Surface* surface = nullptr;
  SWindow* window = nullptr;
  int32_t originX = 0;
  int32_t originY = 0;
  SWinRect area;    // what the context covers, before its clip
  SWinRect clip;    // the drawing area's bounding rectangle
  RectSet clipSet;  // the drawing area itself
};

bool Resolve(DeviceContext* dc, STarget* target);
// The surface area a call changed reaches the back end, which shows it.
void Changed(const STarget& target, const SWinRect& area);
// A context's rectangle in surface coordinates.
SWinRect ToSurface(const STarget& target, const SWinRect& rect);
// The stock objects every context starts with: black pen, white brush, the system font.
void SelectDefaultObjects(DeviceContext* dc);
// Lets go of the objects a context holds selected, when it goes.
void DeselectObjects(DeviceContext* dc);
// Characters at (x, y) by the context's text alignment, cut to clip when one is given (context
// coordinates).
bool DrawTextAt(DeviceContext* dc, int32_t x, int32_t y, const char* text, uint32_t count, const SWinRect* clip);
// The text calls of gdi.h and DrawTextAt as the platform_text library implements them: registered by
// EnableTextDrawing, so that only the programs that show text link Pango, Cairo and what they load.
struct STextDrawing {
  bool (*drawAt)(DeviceContext* dc, int32_t x, int32_t y, const char* text, uint32_t count, const SWinRect* clip);
  bool (*metrics)(DeviceContext* dc, STextMetrics* metrics);
  bool (*extent)(DeviceContext* dc, const char* text, int32_t count, SSize* size);
  int32_t (*draw)(DeviceContext* dc, const char* text, int32_t count, SWinRect* rect, uint32_t format);
};
void SetTextDrawing(const STextDrawing* drawing);

}  // namespace platform
