// The nano editor: the small floating window into which the document window draws its view while a
// drag feeds the live preview (the document window's flags 0x80 and 0x100). It holds one picture
// element, "nano editor image", the size of the control palette's nano preview; the document window
// and the control palette decide when it shows, where, and what it holds.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CImElement;

class CNanoEditor : public CLayoutHostCanvas {
 public:
  CNanoEditor(CUICmFunction* owner, CResourceEnv* environment);

  // The tree of "nano editor", its picture element found and shown: 0 or the layout's code.
  int32_t BuildControls(CResourceEnv* environment) override;
  // The element whose picture the document window draws into; none before the build.
  CImElement* GetImageElement() const { return fImage; }
  // Moves the window to the middle of the screen.
  void CentreOnScreen();

 private:
  CImElement* fImage = nullptr;
};
