// An offscreen canvas: draws its content into a bitmap of its own size first and copies the drawn
// area to the window in one step. What it draws is a derived class's Draw; when the bitmap cannot be
// used, the canvas draws directly onto the window instead.
#pragma once

#include <cstdint>

#include "framework/ui/canvas.h"
#include "platform/gdi.h"

class COfCanvas : public CCanvas {
 public:
  enum EDrawMode : uint32_t { kDrawContent = 0, kDrawBackground = 1 };

  COfCanvas(const SRect& frame, bool visible, uint32_t style, const CImVector* color, int32_t priority);
  ~COfCanvas() override;

  // Buffered, or directly when that fails: true only when the buffered drawing succeeded. Redraw draws
  // the content, FillRect the background; an empty area answers true without drawing.
  bool Redraw(const SRect* rect) override;
  bool FillRect(const SRect* rect) override;

  // Draws the area (canvas coordinates) onto GetDeviceContext() in the mode.
  virtual void Draw(uint32_t mode, const SRect& area) = 0;
  virtual platform::DeviceContext* GetMemoryDC() const { return fMemoryDC; }
  // Whether the bitmap exists and can be selected into the memory context.
  virtual bool HasBitmap();
  // Draw into the bitmap only, the content or the background.
  virtual bool RenderOffscreen(const SRect* rect);
  virtual bool EraseOffscreen(const SRect* rect);
  // Copies the area from the bitmap to the window.
  virtual bool BlitOffscreen(const SRect* rect);

  // Registered, with its memory context made.
  bool IsOffscreenReady() const { return fReady != 0; }

 protected:
  // Drawing offscreen, then the copy to the window.
  bool DrawBuffered(uint32_t mode, const SRect* rect);

 private:
  enum class EBitmap { kReady, kMade, kFailed };
  // The bitmap of the canvas's size: kReady to use, kMade (a new one, used from the next drawing on)
  // or kFailed.
  EBitmap PrepareBitmap();
  // Draws offscreen in the mode; with copy, the area goes to the window as well.
  bool DrawOffscreen(uint32_t mode, const SRect* rect, bool copy);
  bool DrawDirectly(uint32_t mode, const SRect* rect);

  platform::DeviceContext* fMemoryDC = nullptr;
  platform::GdiObject fBitmap = nullptr;
  uint8_t fReady = 0;
};
