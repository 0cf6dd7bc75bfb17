// One render of a scene document with no window, as quarn2-render makes it: the document read with
// the program's own reader and its camera, sky, render options and size chosen once, then either
// rendered whole through the render driver into a new image, or rendered row by row into a file that
// an image plug-in writes.
#pragma once

#include <cstdint>
#include <string>

#include "document/doc_settings.h"
#include "render/render_context.h"
#include "render/render_driver.h"
#include "scene/base_sys.h"

class C3dCamera;
class C3dSky;
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
  // The tree, for documents whose options ask for one of the render's own: the document window's
  // choices 0 never split, 1 limits (5, 5), as a new window has it, 2 limits (50, 10); or 3, the
  // default, limits that follow the number of things (kCountedTree).
  static constexpr uint32_t kLargestOptimizerChoice = kCountedTree;
  uint32_t optimizerChoice = kCountedTree;
  // The render option word to use instead of the document's; 0 keeps the document's.
  uint32_t options = 0;
  SRenderObserver observer;
  // Where the render's statistics go, when given.
  CRenderStats* stats = nullptr;
};

// A document read for a render, in the application's objects environment (a file that is no
// composite file as a document of the earlier version), with what every output renders: the camera named "perspective" (else the first camera in table order), the first sky, the
// document's render options word (959 when 0 or absent) and the job's size, else the document's.
class CRenderDocument {
 public:
  CRenderDocument();
  CRenderDocument(const CRenderDocument&) = delete;
  CRenderDocument& operator=(const CRenderDocument&) = delete;

  // 0, or the first failing step's code (6 for a document without a camera).
  int32_t Read(const SRenderJob& job);

  C3dBaseSys& Scene() { return fTable; }
  C3dCamera* Camera() const { return fCamera; }
  C3dSky* Sky() const { return fSky; }
  uint32_t Options() const { return fOptions; }
  uint32_t OptimizerChoice() const { return fOptimizerChoice; }
  uint32_t Width() const { return fWidth; }
  uint32_t Height() const { return fHeight; }

 private:
  C3dBaseSys fTable;
  CDocSettings fSettings;
  C3dCamera* fCamera = nullptr;
  C3dSky* fSky = nullptr;
  uint32_t fOptions = 0;
  uint32_t fOptimizerChoice = kCountedTree;
  uint32_t fWidth = 0;
  uint32_t fHeight = 0;
};

// Reads the document and renders it into a new image in the application's data environment that the
// caller deletes. 0, or the first failing step's code with *image null.
int32_t RenderDocument(const SRenderJob& job, CImage** image);
// The same with the caller's document, which the caller may keep past the picture (a tool ending its
// process leaves it to the system).
int32_t RenderDocument(const SRenderJob& job, CRenderDocument& document, CImage** image);

struct SDiskJob {
  static constexpr int32_t kLeastResolution = 1;
  static constexpr int32_t kLargestResolution = 9600;

  // Its extension chooses the image plug-in's format.
  std::string output;
  // The file receives the picture turned a quarter turn.
  bool rotate = false;
  // Dots per inch, for the plug-in.
  int32_t resolution = 72;
  // Where the image plug-ins are: a folder name is taken in the program's folder.
  std::string pluginFolder = "Plugins";
};

// Renders the document into disk.output through the image plug-in of its extension, one row at a time,
// as the program's render to disk does with antialias choice 0 (each pixel's centre) and the job's
// optimizer choice, telling the observer how far the render is. 0 only when the file was written; 5 when
// the folder holds no image plug-in (or is missing); 6 when none offers the output's extension, with
// *offered naming the extensions that are (".pam, .ppm") and nothing rendered; else the first failing
// step's code, an existing file left as it was.
int32_t RenderDocumentToDisk(CRenderDocument& document, const SRenderObserver& observer, const SDiskJob& disk,
                             std::string* offered, CRenderStats* stats = nullptr);
