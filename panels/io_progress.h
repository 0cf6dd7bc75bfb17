// The input/output progress dialog: a description, a status line, a bar that shows the left part of
// the picture "IO Progress slider" in proportion to the percentage, and a cancel button, which hides
// the dialog; the progress display's message pump takes a hidden dialog as the user's cancel. It is
// the canvas "ioprogress" of the application's own resource file, made at start-up through the
// factory the palettes register, and driven only by the progress display.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/four_cc.h"
#include "framework/core/panel_services.h"
#include "framework/ui/layout_host_canvas.h"

class CImage;
class CImElement;
class CTxElement;

class CIOProgress : public CLayoutHostCanvas, public CIOProgressDialog {
 public:
  static constexpr uint32_t kSliderTag = FourCC("slid");
  static constexpr uint32_t kPercentWord = 0;
  static constexpr uint32_t kSliderWord = 1;

  // owner: the broadcaster whose modal level the dialog raises while it shows; environment: the
  // application's resource file, which holds the canvas and the slider picture.
  CIOProgress(CUICmFunction* owner, CResourceEnv* environment);
  ~CIOProgress() override;

  int32_t BuildControls(CResourceEnv* environment) override;
  // "ioprogress" from another canvas brings the dialog up; the rest goes down the tree.
  int32_t HandleEvent(CUIMessage* message) override;
  // A press on the cancel button, its border included, hides the dialog (26); any other does nothing.
  int32_t OnPointerPress(SWinEvent& event) override;

  // ---- CIOProgressDialog
  // Whether the slider picture was read: without it there is no dialog.
  bool IsReady() const override { return fSlider != nullptr; }
  platform::WindowHandle GetWindow() const override { return CLayoutHostCanvas::GetWindow(); }
  // Running while shown: the cancel button hides it.
  bool IsRunning() const override { return IsShown(); }
  // The status " " and 0 %.
  void Reset() override;
  void ActivateDialog() override { Activate(); }
  void ShowDialog() override { Show(); }
  void UpdateDialog() override { UpdateNow(); }
  void HideDialog() override { Hide(); }
  void RaiseNesting() override { TakeModalLevel(); }
  void LowerNesting() override;
  void SetDescription(const char* text) override;
  void SetStatus(const char* text) override;
  // Clamped to 0..100, kept in the bar's word 0 and the bar repainted.
  void SetPercent(int32_t percent) override;
  void NoOp(const char*) override {}

  const char* GetDescription() const;
  const char* GetStatus() const;
  int32_t GetPercent() const;
  CImage* GetSlider() const { return fSlider.get(); }
  CImElement* GetBar() const { return fBar; }
  CElement* GetCancel() const { return fCancel; }

  // The bar's draw callback: the slider's left columns, as many as the percentage of its width, over
  // what the bar shows.
  static int32_t DrawBar(CElement* element, uint32_t pass, CImage* port);

 private:
  void ReleaseElements();
  void SetLine(CTxElement* element, const char* text);

  std::unique_ptr<CImage> fSlider;
  CTxElement* fDescription = nullptr;
  CTxElement* fStatus = nullptr;
  CImElement* fBar = nullptr;
  CElement* fCancel = nullptr;
};

// The broadcaster that the dialogs NewIOProgress makes join: the program's, set before the progress
// display is set up.
void SetIOProgressOwner(CUICmFunction* owner);
// The factory the palettes register for the progress display.
CIOProgressDialog* NewIOProgress(CResourceEnv* environment);
