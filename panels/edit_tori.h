// The torus editor: a drag across "torus" changes the tube radius of the selected tori over a small
// spinning wireframe of the edit; "ok" gives every selected torus the new radii as one undoable step.
// Without Alt at the press the drag keeps the outer radius (the ring radius gives way) and the tube
// reaches at most half of it; with Alt it keeps the ring radius and the tube reaches at most that.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/ui/layout_host_canvas.h"

class C3dBaseSys;
class C3dTorus;
class CDocumentHost;
class CImage;
class CPreviewScene;

class CEditTori : public CLayoutHostCanvas {
 public:
  // The "torus" element's user words: the tube radius × 100, half the outer radius × 100, the ring
  // radius × 100.
  enum EItem : uint32_t { kTubeItem, kHalfOuterItem, kRingItem };
  static constexpr double kSpin = 0.087;
  // The drag's message kind.
  static constexpr uint32_t kDragKind = 2;

  CEditTori(CUICmFunction* owner, CResourceEnv* environment);
  ~CEditTori() override;

  void SetOwner(CDocumentHost* owner) { fOwner = owner; }
  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;
  int32_t OnCharacter(SWinEvent& event) override;

  // The scene table whose selected tori the editor edits; the edit taken from the first: 0.
  int32_t SetTorus(C3dBaseSys* table);
  C3dBaseSys* GetTable() const { return fTable; }
  // load: the radii of the first selected torus; otherwise they go to every selected torus as one
  // undoable step. 0, or the undo push's code.
  int32_t Exchange(bool load);
  // The press in the document window while the editor is the top dialog: the level its opening
  // raised lowered, hidden, its next opening capturing the background again.
  void CloseFromOutside();
  // The next step of the spinning preview drawn into the dialog: 0, or the preview's code.
  int32_t UpdatePreview();

  double GetTube() const { return fTube; }
  double GetRing() const { return fRing; }
  double GetOuter() const { return fOuter; }
  CElement* GetTorusElement() const { return fTorus; }
  C3dTorus* GetPreviewTorus() const;
  uint32_t GetPreviewCount() const { return fPreviews; }
  CImage* GetBackground() const { return fBackground.get(); }

  static int32_t OnIdle(void* editor, void* record, void*);

 private:
  void CloseDialog();
  void ShowRadii();
  int32_t BuildPreview();
  static int32_t OnTorusPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);

  CDocumentHost* fOwner = nullptr;
  C3dBaseSys* fTable = nullptr;
  CElement* fBackdrop = nullptr;
  CElement* fTorus = nullptr;
  double fRing = 3;
  double fTube = 1;
  double fOuter = 4;
  std::unique_ptr<CPreviewScene> fPreview;
  std::unique_ptr<CImage> fBackground;
  bool fCapture = true;
  uint32_t fPreviews = 0;
};
