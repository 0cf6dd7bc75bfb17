// What the previews read of the document window: its render settings word, the style of its view,
// the current document's sky and sun, and its scene for a copy of the selection. The document window
// registers itself at start-up; without one the previews use their own defaults.
#pragma once

#include <cstdint>

#include "render/view.h"

class C3dBaseSys;
class C3dSky;
class C3dSunLight;

class CPreviewDocument {
 public:
  virtual ~CPreviewDocument() = default;

  virtual uint32_t GetRenderSettings() const = 0;
  virtual SViewStyle GetViewStyle() const = 0;
  // None when there is no current document (or it has none).
  virtual C3dSky* GetSky() const = 0;
  virtual C3dSunLight* GetSun() const = 0;
  virtual C3dBaseSys* GetScene() const = 0;
};

// Null withdraws the registered one.
void RegisterPreviewDocument(CPreviewDocument* document);
CPreviewDocument* GetPreviewDocument();
