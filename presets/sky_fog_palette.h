// The sky & fog palette: it writes the program's sky and fog edit state into the current document's
// sky and sun light with one undo step per change, and fills the edit state from the scene when the
// document changes.
//
// Built from its layout, it shows no controls yet: the picture strips, swatches, drawn controls, sky
// dots and menus come later; ShowEditState has nothing to draw until then. Exactly one exists; its
// constructor makes it the program's current one.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDocumentHost;
class CSkyAction;

class CSkyFogPalette : public CLayoutHostCanvas {
 public:
  CSkyFogPalette(CUICmFunction* owner, CResourceEnv* environment);
  ~CSkyFogPalette() override;

  // Takes the current document window, or none.
  void SetOwner(CDocumentHost* host);
  CDocumentHost* GetHost() const { return fHost; }

  // The edit state from the scene's sky and sun, shown: 0. Counts its calls and keeps the flag word
  // the document's sky had at the last one.
  int32_t Update();
  uint32_t GetUpdateCount() const { return fUpdateCount; }
  uint32_t GetUpdateSkyFlags() const { return fUpdateSkyFlags; }

  // 'rese': the edit state written into the scene without an undo step, so that the user's last
  // step stays in the one-step history: 0.
  int32_t CommitChange();

  // The edit state from the scene (fromScene) or into it. redraw shows the state read from the
  // scene; commit, writing to the scene, pushes the pending sky action as the change's undo step and
  // marks the document changed. Without a sky, a light table holding a sun light, or their locks,
  // nothing changes. Afterwards a pending action holds the state as it now is; with auto-render on
  // the window clears and renders.
  int32_t ApplySky(bool fromScene, bool redraw, bool commit);

  // Applies the edit state to the scene and shows it; commit records an undo step.
  void UpdateAndRedraw(bool commit);
  uint32_t GetUpdateAndRedrawCount() const { return fUpdateAndRedrawCount; }

  // Draws every control from the edit state.
  void ShowEditState();

  // The "randomize button": every setting of the edit state drawn from the program's generator,
  // then shown; the caller applies it.
  void Randomize();

  // The sky's defaults (stratus and cumulus off) and the sun's, then the edit state from them, as
  // one undo step. Nothing without a sun light.
  int32_t ResetSky();

  bool IsAutoRender() const { return fAutoRender; }
  void SetAutoRender(bool on) { fAutoRender = on; }
  bool IsSunLinkedToCamera() const { return fSunLinkedToCamera; }
  void SetSunLinkedToCamera(bool on) { fSunLinkedToCamera = on; }
  // The action holding the state before the next change, or none.
  CSkyAction* GetPendingAction() const { return fPending; }

 private:
  void SettlePending(bool push);

  CDocumentHost* fHost = nullptr;
  CSkyAction* fPending = nullptr;
  bool fAutoRender = false;
  bool fSunLinkedToCamera = false;
  uint32_t fUpdateAndRedrawCount = 0;
  uint32_t fUpdateCount = 0;
  uint32_t fUpdateSkyFlags = 0;
};

// The program's sky & fog palette, none before the interface is built and after it is gone.
CSkyFogPalette* GetCurrentSkyFogPalette();
