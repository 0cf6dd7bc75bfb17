// The sky & fog palette.
//
// Placeholder: built from its layout, it shows empty; its operations do nothing and answer 0, UpdateAndRedraw
// only counts its calls. Exactly one exists; its constructor makes it the program's current one.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDocWindow;

class CSkyFogPalette : public CLayoutHostCanvas {
 public:
  CSkyFogPalette(CUICmFunction* owner, CResourceEnv* environment);
  ~CSkyFogPalette() override;

  // Takes the current document window.
  void SetOwner(CDocWindow* window);

  // Takes the sky and fog of the current document window: 0. Counts its calls and keeps the flag
  // word the document's sky had at the last one.
  int32_t Update();
  uint32_t GetUpdateCount() const { return fUpdateCount; }
  uint32_t GetUpdateSkyFlags() const { return fUpdateSkyFlags; }

  // Hands its settings to the current document window: 0.
  int32_t CommitChange();

  // After a document was read: the readouts and colours from the scene's sky and sun (readouts,
  // colours), an undoable sky action (record), and the document window redrawn. Does nothing: 0.
  int32_t ApplySky(bool readouts, bool colours, bool record);

  // Applies the edit state to the scene and shows it; commit records an undo step. Counts its calls
  // and does nothing else.
  void UpdateAndRedraw(bool commit);
  uint32_t GetUpdateAndRedrawCount() const { return fUpdateAndRedrawCount; }

 private:
  uint32_t fUpdateAndRedrawCount = 0;
  uint32_t fUpdateCount = 0;
  uint32_t fUpdateSkyFlags = 0;
};

// The program's sky & fog palette, none before the interface is built and after it is gone.
CSkyFogPalette* GetCurrentSkyFogPalette();
