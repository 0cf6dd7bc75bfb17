// What a document keeps for rendering it: the scene with its camera and sky, the render size, the
// settings record with the render options word, the antialias and optimizer choices, the render
// context, the render camera cached for the render size, and the statistics and report of the last
// complete render. The document window owns one; a program without a window (the render tool) makes
// its own.
#pragma once

#include <cstdint>
#include <string>

#include "render/render_camera.h"
#include "render/render_context.h"
#include "render/render_settings.h"
#include "scene/render_stats.h"

class C3dBaseSys;
class C3dCamera;
class C3dSky;

// The render report shown after a complete render. The report dialog comes with the document
// window; until then this base is its placeholder: it shows nothing and accepts every report.
class CRenderReportHook {
 public:
  virtual ~CRenderReportHook() = default;
  // Whether the report can be shown: non-zero when its canvas cannot be had.
  virtual int32_t Open();
  // Keeps the statistics and fills the report with them: 1 without statistics, else 0.
  virtual int32_t Fill(const char* title, const CRenderStats* stats);
};

class CDocRenderState {
 public:
  // The context a document window makes: antialias mode 1, grid 1, parameter 10, no optimizer tag.
  CDocRenderState() : fContext(1, 1, 10, 0) {}
  CDocRenderState(const CDocRenderState&) = delete;
  CDocRenderState& operator=(const CDocRenderState&) = delete;

  // The render camera for the current render size from the scene camera, locked meanwhile: 0, 16
  // without a camera or for an empty size, 9 when the camera cannot be locked.
  int32_t CacheCameraState();
  // The report that a complete render fills: the one set, else the placeholder.
  CRenderReportHook& Report();

  C3dBaseSys* fScene = nullptr;
  C3dCamera* fCamera = nullptr;
  // None renders missed rays black.
  C3dSky* fSky = nullptr;
  std::string fTitle;
  int32_t fWidth = 0;
  int32_t fHeight = 0;
  // The render options word (0x3BF when made) and the sky; a render writes the sky's fields into it.
  SRenderSettings fSettings;
  // 0 the pixel centre, 1 its corner, 2 a jittered 4 × 4 grid.
  uint32_t fAntialiasChoice = 0;
  // With the word's 0x80: 0 a tree never split, 1 limits (5, 5), 2 limits (50, 10).
  uint32_t fOptimizerChoice = 1;
  CRenderContext fContext;
  CRenderCamera fRenderCamera;
  // A complete render beeps, keeps its statistics and fills the report.
  bool fReportWanted = false;
  CRenderStats fStats;
  CRenderReportHook* fReport = nullptr;
};
