// One render of a scene into an image, as a document's render command carries it out without its
// window: the optimizer chosen and fed, the sky prepared, the camera's frame taken, the objects
// readied for rendering, then the progressive or adaptive render. Every owner of renders (the
// render tool, the document window) calls it with its own render context, which keeps where an
// interrupted render resumes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "framework/core/holder.h"
#include "framework/core/rect.h"
#include "render/render_context.h"
#include "render/render_target.h"

class C3dBaseSys;
class C3dCamera;
class C3dSky;
class CImage;
class CBSPTreeOptimizer;
class CContextBinding;
class CProgress;
class CSkyHold;
class C3dObject;
struct CRenderCamera;
struct SRenderSettings;

namespace platform {
struct DeviceContext;
}

// The optimizer choice of a render that leaves the tree's limits open (the tools).
constexpr uint32_t kCountedTree = 3;

struct SRenderRequest {
  C3dBaseSys* scene = nullptr;
  C3dCamera* camera = nullptr;
  // None renders missed rays black, without fog, and without shadow lightening.
  C3dSky* sky = nullptr;
  // The image the render fills; a render that places its pixels itself may leave it out.
  CImage* image = nullptr;
  // The part of the image to render: top, left, bottom, right; clipped to the image.
  SRect area;
  // The owner's record: its word chooses the features and the loop (bit 0x4000 adaptive, 0x2000 the
  // antialias pass, 0x80 a tree of the optimizer choice instead of the context's optimizer). The
  // render writes the sky and the sky's shadow lightness into it.
  SRenderSettings* settings = nullptr;
  uint32_t antialiasMode = 1;
  uint32_t grid = 1;
  // The document window's choices, 0 a tree that is never split, 1 limits (5, 5), 2 limits (50, 10);
  // or kCountedTree, limits that follow the number of things (CBSPTreeOptimizer::SetFollowsCount).
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

// The sky step of every render: the sky prepared from the scene's first sun and set in the settings
// record with its shadow lightness ("value F" of its record; 1 leaves shadows as dark as they are
// cast). Without a sky, missed rays are black and shadows undarkened. 0, or the sky's code when it
// cannot be prepared or locked.
int32_t PrepareSky(C3dSky* sky, C3dBaseSys* scene, SRenderSettings& settings);

// The antialias mode and grid of a document's antialias choice: 0 the pixel centre, 1 the pixel
// corner, 2 a jittered 4 × 4 grid. False for any other choice.
bool AntialiasForChoice(uint32_t choice, uint32_t& mode, uint32_t& grid);

// Every object of the (locked) table readied for rendering for as long as it lives: begun, its own
// material locked with its textures held, and whether it stops shadows outright; its end undoes
// that. Render threads then lock nothing.
class CRenderReadiness {
 public:
  explicit CRenderReadiness(C3dBaseSys& scene);
  ~CRenderReadiness();
  CRenderReadiness(const CRenderReadiness&) = delete;
  CRenderReadiness& operator=(const CRenderReadiness&) = delete;

 private:
  void Each(void (*step)(C3dObject&));

  C3dBaseSys& fScene;
};

// The steps before a render's loop, the same for every owner: the antialias mode and grid, the sky
// prepared into the settings record, the render camera for a width × height picture, the optimizer
// chosen (a tree of the optimizer choice when the word has 0x80) and fed, the view set up with the
// camera's bounds, and every object readied for rendering. While the preparation lives the context is
// bound to the request's settings, scene, image, observer and the camera; its end ends every
// object's render and gives the context its bindings back, however the render left.
class CRenderPreparation {
 public:
  explicit CRenderPreparation(CRenderContext& context);
  ~CRenderPreparation();
  CRenderPreparation(const CRenderPreparation&) = delete;
  CRenderPreparation& operator=(const CRenderPreparation&) = delete;

  // Once. 0; 16 for a missing scene, camera or settings record, an unknown optimizer choice or a grid
  // the antialias mode refuses; 9 when the scene table cannot be locked or the optimizer or view
  // cannot be set up; or the sky's own code when it cannot be prepared. camera is the caller's and
  // must outlive the preparation.
  int32_t Prepare(const SRenderRequest& request, int32_t width, int32_t height, CRenderCamera& camera);

 private:
  CRenderContext& fContext;
  CRenderTarget fTarget{nullptr};
  std::optional<CHolder> fScene;
  // Members end in reverse: the objects' render, then the bindings, then the tree, then the lock.
  std::unique_ptr<CBSPTreeOptimizer> fTree;
  std::unique_ptr<CContextBinding> fBinding;
  std::unique_ptr<CRenderReadiness> fReadiness;
  std::unique_ptr<CSkyHold> fSkyHold;
};

// 0 when the render finished (the context's statistics then hold its pixels, rays and, when every
// pixel of the area was rendered in this call, the time it took), 24 when the user interrupted it (the
// next call resumes), 9 when the scene table cannot be locked or the optimizer or view cannot be
// set up (the image untouched), 16 for a missing scene, camera, image or settings record, an
// unknown optimizer choice or a grid the antialias mode refuses, or the sky's own code when it cannot
// be prepared.
int32_t RenderSceneImage(CRenderContext& context, const SRenderRequest& request);
