// One render of a scene document with no window, as quarn2-render makes it before any picture is
// written: the document read with the program's own reader, then rendered whole through the render
// driver into a new image. Every kind of output the tool writes starts from this image.
#pragma once

#include <cstdint>

#include "render/render_context.h"

class CImage;

struct SRenderJob {
  static constexpr uint32_t kLargestSide = 8192;
  static constexpr uint32_t kLargestMode = 7;

  const char* document = nullptr;
  // 0 keeps the document's render size.
  uint32_t width = 0;
  uint32_t height = 0;
  // A render context antialias mode, 0 to 7; without one, mode 1 (the pixel centre).
  bool hasAntialias = false;
  uint32_t antialiasMode = 1;
  SRenderObserver observer;
};

// Reads the document and renders it with the camera named "perspective" (else the first camera in
// table order), the first sky and the document's render option word, into a new image in the
// application's data environment that the caller deletes. 0, or the first failing step's code
// (6 for a document without a camera) with *image null.
int32_t RenderDocument(const SRenderJob& job, CImage** image);
