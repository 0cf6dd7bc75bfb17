// One render of a scene into an image, as a document's render command carries it out without its
// window: the optimizer chosen and fed, the sky prepared, the camera's frame taken, the objects
// readied for rendering, then the progressive or adaptive render. Every owner of renders (the
// render tool, the document window) calls it with its own render context, which keeps where an
// interrupted render resumes.
#pragma once

#include <cstdint>

#include "framework/core/rect.h"
#include "render/render_context.h"

class C3dBaseSys;
class C3dCamera;
class C3dSky;
class CImage;
class CProgress;
struct SRenderSettings;

namespace platform {
struct DeviceContext;
}

struct SRenderRequest {
  C3dBaseSys* scene = nullptr;
  C3dCamera* camera = nullptr;
  // None renders missed rays black, without fog, and without shadow lightening.
  C3dSky* sky = nullptr;
  CImage* image = nullptr;
  // The part of the image to render: top, left, bottom, right; clipped to the image.
  SRect area;
  // The owner's record: its word chooses the features and the loop (bit 0x4000 adaptive, 0x2000 the
  // antialias pass, 0x80 a tree of the optimizer choice instead of the context's optimizer). The
  // render writes the sky and the sky's shadow lightness into it.
  SRenderSettings* settings = nullptr;
  uint32_t antialiasMode = 1;
  uint32_t grid = 1;
  // 0 a tree that is never split, 1 limits (5, 5), 2 limits (50, 10).
  uint32_t optimizerChoice = 1;
  // Finished bands are drawn into the port when one is given; viewFrom and viewTo place the image in
  // the window (both empty: each band at its own place).
  bool draw = false;
  platform::DeviceContext* port = nullptr;
  SRect viewFrom;
  SRect viewTo;
  CProgress* progress = nullptr;
  SRenderObserver observer;
};

// The antialias mode and grid of a document's antialias choice: 0 the pixel centre, 1 the pixel
// corner, 2 a jittered 4 × 4 grid. False for any other choice.
bool AntialiasForChoice(uint32_t choice, uint32_t& mode, uint32_t& grid);

// 0 when the render finished (the context's statistics then hold its pixels, rays and, when every
// pixel of the area was rendered in this call, the time it took), 24 when the user interrupted it (the
// next call resumes), 9 when the scene table cannot be locked or the optimizer or view cannot be
// set up (the image untouched), 16 for a missing scene, camera, image or settings record, an
// unknown optimizer choice or a grid the antialias mode refuses, or the sky's own code when it cannot
// be prepared.
int32_t RenderSceneImage(CRenderContext& context, const SRenderRequest& request);
