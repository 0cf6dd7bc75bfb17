// The colour picker, and the press callbacks of every colour swatch of the program.
//
// A swatch is an image element that shows a colour. A plain press on it is an eyedropper over the
// whole screen, with a pop-up chart of colours beside the swatch to pick from; a press with Alt held
// opens the picker on the swatch. The colour (0x00RRGGBB) comes back to the swatch's dialog as UI
// messages from the swatch with the colour in payload word 0: kind 1 when a live pick begins, kind 2
// for each new colour, kind 3 when the pick ends or the picker's "ok" chose it.
//
// The picker shows the starting and the new colour side by side in "color box" and edits the colour
// in one of four models (RGB, HSV, HLS, CMY), each with three bars and three numeric fields of 0 to
// 255. There is one picker; its constructor registers it for the swatch callbacks.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/ui/element_callbacks.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"

class CImage;
class CImCanvas;
class CImElement;
class CSpGradient;

class CColorPicker : public CLayoutHostCanvas {
 public:
  enum EModel : int32_t { kRGB, kHSV, kHLS, kCMY, kModelCount };
  static constexpr int32_t kBarCount = 3;
  // The indicator drawn over each bar at its component.
  static constexpr uint32_t kIndicatorWidth = 10;
  static constexpr uint32_t kIndicatorHeight = 19;

  CColorPicker(CUICmFunction* owner, CResourceEnv* environment);
  ~CColorPicker() override;
  // The registered picker, or none.
  static CColorPicker* GetCurrent();

  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;
  // Brought to the front, the current field takes the keyboard.
  bool Activate() override;

  // Starts a choice for the caller's swatch from the colour: the box's left half keeps it, the
  // components follow it in the current model, "bar text 0" takes the focus. The press point goes
  // back with the result. 0; the caller then brings the picker up (Refresh).
  int32_t OpenFor(uint32_t colour, CElement* caller, SPointHV pressPoint);

  // The components from the colour in the model; with redraw the bars and fields show them.
  void SetModel(int32_t model, bool redraw);
  // The colour from the components in the model; with redraw the box's right half shows it.
  void ApplyComponents(int32_t model, bool redraw);
  // The bars and fields of the mask's bits (bit i for bar i).
  void DrawBars(uint32_t mask);
  void DrawIndicators();
  void ShowComponents(uint32_t mask);

  uint32_t GetColour() const;
  int32_t GetComponent(int32_t index) const { return fComponents[index]; }
  int32_t GetModel() const { return fModel; }
  uint32_t GetStartingColour() const { return fStartingColour; }
  CElement* GetCaller() const { return fCaller; }
  CImage* GetBoxImage() const { return fBoxImage.get(); }
  CImage* GetBarImage(int32_t bar) const { return fBarImages[bar].get(); }
  CTextEdit* GetField(int32_t index) const;
  static SNumericFields& Fields();

  // The components of a colour (0x00RRGGBB) in a model.
  static void ComponentsOf(int32_t model, uint32_t colour, int32_t out[kBarCount]);
  // The colour of a model's components.
  static uint32_t ColourOf(int32_t model, const int32_t components[kBarCount]);
  // The spectrum of the hue bars: red at 0, yellow at 85, green at 170, cyan at 256, blue at 341,
  // magenta at 426 and red again at 512. False when it cannot be locked.
  static bool PaintHueGradient(CSpGradient* gradient);

 private:
  static int32_t OnBarPress(CElement* bar, CElement** handled, SPointHV point, SWinEvent* event);
  int32_t MakeElementImage(CImElement** element, std::unique_ptr<CImage>& image, const char* name,
                           ElPressCallback press);
  int32_t LoadPickerImage();
  int32_t BuildIndicatorImage();
  bool PaintBarGradient(CSpGradient* gradient, int32_t bar);
  void FreeBuilt();
  void OnFieldValue(int32_t index, int32_t value);
  void ReturnColour();

  int32_t fColour[3] = {};
  int32_t fComponents[kBarCount] = {};
  int32_t fModel = kRGB;
  std::unique_ptr<CImage> fBarImages[kBarCount];
  CImElement* fBars[kBarCount] = {};
  CElement* fFieldElements[kBarCount] = {};
  CTextEditTable fFields{SRange{0, 32}};
  CElement* fCaller = nullptr;
  CImElement* fBarInfo = nullptr;
  CImElement* fBox = nullptr;
  std::unique_ptr<CImage> fBoxImage;
  std::unique_ptr<CImage> fIndicator;
  uint32_t fStartingColour = 0;
  SPointHV fPressPoint;
};

// The swatch's press callbacks. The live one reports every colour the pointer passes (kind 2, the
// pointer's screen point as first point) between kind 1 at the press and kind 3 at the release; the
// self-drawing one paints the colours into the swatch's picture (its right half while the button is
// held, the whole at the release) and reports the one picked (kind 2). With Alt held either opens
// the picker instead.
int32_t ColorSwatchEyedropper(CElement* swatch, CElement** handled, SPointHV point, SWinEvent* event);
int32_t ColorSwatchEyedropperEx(CElement* swatch, CElement** handled, SPointHV point, SWinEvent* event);
// Opens the picker on the swatch's colour (its user word 0 when that is not 0, else the screen's
// under the press point); nothing while the picker is shown. 0, or the picker's build code.
int32_t OpenColorPickerForSwatch(CElement* swatch, SPointHV point);
// The screen's colour at a screen point (0 when the screen cannot be read).
uint32_t ScreenColourAt(SPointHV point);
// Where the eyedropper's pop-up picture of that size goes beside the swatch (screen rectangles):
// below it, else above it, and within the screen's right edge.
SRect PopUpPlace(const SRect& swatch, SPointHV size, const SRect& screen);
// Fills the picture from the column on (0: the whole picture) with the colour, opaque.
void FillSwatchImage(CImage* picture, uint32_t colour, int32_t fromColumn);
