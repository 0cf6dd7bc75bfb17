// A UI host canvas built from the canvas of its own name in its layout file. It counts its builds and,
// when it is a dialog with "ok" and "cancel" elements, binds them as push buttons that Return and
// Escape press; either closes the dialog: the owner's modal level that showing it raised is lowered
// and it hides. Palettes and dialogs start from it and bind what else their layouts hold.
#pragma once

#include <cstdint>

#include "framework/ui/layout_need.h"
#include "framework/ui/ui_host_canvas.h"

class CLayoutHostCanvas : public CUIHostCanvas {
 public:
  // canvas: the canvas need; ok and cancel: the dialog's buttons, or none.
  CLayoutHostCanvas(CUICmFunction* owner, CResourceEnv* environment, uint32_t style, const SLayoutNeed& canvas,
                    const SLayoutNeed* ok = nullptr, const SLayoutNeed* cancel = nullptr);
  CLayoutHostCanvas(CUICmFunction* owner, CResourceEnv* environment, uint32_t style, const SDialogNeeds& dialog)
      : CLayoutHostCanvas(owner, environment, style, dialog.canvas, dialog.Ok(), dialog.Cancel()) {}

  const char* GetLayoutName() const { return fCanvas.name; }
  uint32_t GetBuildCount() const { return fBuildCount; }

  // Create from the layout name, then the buttons; the layout's code.
  int32_t BuildControls(CResourceEnv* environment) override;
  // "ok" or "cancel" of this canvas while it shows closes it (26); the rest goes down the tree.
  int32_t HandleEvent(CUIMessage* message) override;
  // Lowers the modal level its showing raised, when it is the top one, and hides.
  void Close();
  // A dialog already shown brought forward again: shown, activated and painted. The modal level
  // stays, since only a real opening (Refresh) raises it and closing lowers it once.
  void BringForward();
  // The request to open a dialog: a kind-0 message from another canvas whose element names this one.
  bool IsOpenRequest(const CUIMessage& message) const;
  // Built when it is not, then opened: a hidden dialog as the top modal level (Refresh), one already
  // shown brought forward. 0, or the build's code.
  int32_t OpenModal();
  // The canvas name that the "ok" and "cancel" elements' messages carry: a dialog that answers
  // several callers names the one it answers. Another name than its own leaves their messages to the
  // caller. Nothing before the build.
  void SetButtonCanvasName(const char* name);

 private:
  bool IsOwnButton(const CUIMessage& message) const;

  const SLayoutNeed& fCanvas;
  const SLayoutNeed* fOk = nullptr;
  const SLayoutNeed* fCancel = nullptr;
  uint32_t fBuildCount = 0;
};
