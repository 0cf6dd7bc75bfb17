// The colour picker and the swatch callbacks on the headless screen: the four colour models against
// Python's colorsys, the fields, bars and colour box, what "ok" and "cancel" hand back, the
// eyedroppers' messages and pop-up, and the Alt press that opens the picker.
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/sp_gradient.h"
#include "framework/ui/im_element.h"
#include "panels/color_picker.h"
#include "panels/layout_needs.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "color picker";
constexpr uint32_t kDesktop = 0x336699;

// A dialog that keeps every message that reaches it, for a swatch of its own.
class CRecordingDialog : public CLayoutHostCanvas {
 public:
  CRecordingDialog(CUICmFunction* owner, CResourceEnv* environment)
      : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kColorPicker) {}
  int32_t HandleEvent(CUIMessage* message) override {
    if (message->kind != 0) heard.push_back({message->kind, message->flags, message->elementName, "", "",
                                              message->GetPayloadWord(0)});
    if (message->kind != 0) points.push_back(message->firstPoint);
    return 0;
  }
  std::vector<SSentMessage> heard;
  std::vector<SPointHV> points;
};

class ColorPicker : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    // The screen shows the desktop where no dialog stands.
    platform::ShowWindow(app->GetMainWindow(), platform::kSwHide);
    platform::headless::SetDesktopColor(kDesktop);
    picker = Dialog<CColorPicker>("colorpicker.dat");
    picker->MoveTo({400, 100});
  }
  void TearDown() override {
    platform::headless::SetDesktopColor(0);
    platform::headless::SetScreenPicture(0, 0, {});
    recorder.reset();
    picker.reset();
    DialogsTest::TearDown();
  }
  // A dialog whose "color box" is a swatch with the callback, at (100, 300) on the screen.
  CImElement* Swatch(ElPressCallback press) {
    recorder = Dialog<CRecordingDialog>("colorpicker.dat");
    recorder->MoveTo({100, 300});
    recorder->Show();
    CImElement* swatch = FindImage(*recorder, "color box");
    const SRect& rect = swatch->GetRect();
    int32_t err = 0;
    swatchImage = NewDataImage(uint32_t(RectWidth(rect)), uint32_t(RectHeight(rect)), &err);
    swatchImage->Fill(0xFFFFFFFF);
    swatch->SetImage(swatchImage, false, true, true, false);
    swatch->SetPressCallback(press);
    recorder->Redraw(nullptr);
    Settle();
    return swatch;
  }
  void Open(uint32_t colour, CElement* caller = nullptr) {
    ASSERT_EQ(picker->OpenFor(colour, caller, {7, 9}), 0);
    picker->Refresh(false);
  }
  int32_t Send(const char* element, uint32_t kind = 0, int32_t value = 0) {
    CUIMessage message = Named(kCanvas, element, kind);
    message.SetPayloadWord(0, value);
    return picker->HandleEvent(&message);
  }
  static uint32_t Pixel(CImage* image, int32_t x, int32_t y) {
    CImNavigator cells(image, nullptr, false, false);
    return cells.IsUsable() ? cells.Cells(uint32_t(y))[x].value & 0xFFFFFF : 0xDEAD;
  }
  // colorsys's components of the colour in a model (1 HSV, 2 HLS), scaled by 255 and truncated.
  static std::vector<int> Colorsys(int32_t model, uint32_t colour) {
    const double r = (colour >> 16 & 0xFF) / 255.0, g = (colour >> 8 & 0xFF) / 255.0, b = (colour & 0xFF) / 255.0;
    char command[256];
    std::snprintf(command, sizeof command,
                  "python3 -c 'import colorsys; h, a, c = colorsys.%s(%.17g, %.17g, %.17g); "
                  "print(int(h * 255), int(%s * 255), int(%s * 255))'",
                  model == CColorPicker::kHSV ? "rgb_to_hsv" : "rgb_to_hls", r, g, b, model == CColorPicker::kHSV ? "c" : "a",
                  model == CColorPicker::kHSV ? "a" : "c");
    FILE* pipe = popen(command, "r");
    std::vector<int> out(3, -1);
    if (!pipe) return out;
    if (std::fscanf(pipe, "%d %d %d", &out[0], &out[1], &out[2]) != 3) out.assign(3, -1);
    pclose(pipe);
    return out;
  }

  std::unique_ptr<CColorPicker> picker;
  std::unique_ptr<CRecordingDialog> recorder;
  // The swatch's picture, which its element owns.
  CImage* swatchImage = nullptr;
};

TEST_F(ColorPicker, TheModelsMatchColorsysWithinOneUnit) {
  int32_t c[3];
  const struct {
    int32_t model;
    int32_t expected[3];
  } red[] = {{CColorPicker::kRGB, {255, 0, 0}}, {CColorPicker::kHSV, {0, 255, 255}},
             {CColorPicker::kHLS, {0, 127, 255}}, {CColorPicker::kCMY, {0, 255, 255}}};
  for (const auto& r : red) {
    CColorPicker::ComponentsOf(r.model, 0xFF0000, c);
    EXPECT_EQ(std::vector<int>(c, c + 3), std::vector<int>(r.expected, r.expected + 3)) << r.model;
  }
  for (uint32_t colour : {0x000000u, 0xFFFFFFu, 0x808080u, 0x336699u, 0xFF8000u, 0x12FE7Au, 0xC0C0FFu, 0x7F007Fu,
                          0xFF00FEu, 0x01020Fu}) {
    for (int32_t model : {CColorPicker::kHSV, CColorPicker::kHLS}) {
      const std::vector<int> expected = Colorsys(model, colour);
      ASSERT_NE(expected[0], -1) << "python3's colorsys";
      CColorPicker::ComponentsOf(model, colour, c);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(c[i], expected[i], 1) << std::hex << colour << " model " << model << " " << i;
    }
  }
}

TEST_F(ColorPicker, SwitchingModelsKeepsTheColourAndFieldsClampWhatIsTyped) {
  Open(0x336699);
  for (const char* button : {"hsv button", "hls button", "cmy button", "rgb button"}) {
    EXPECT_EQ(Send(button), kHandled) << button;
    EXPECT_EQ(picker->GetColour(), 0x336699u) << button;
  }
  EXPECT_EQ(picker->GetComponent(2), 0x99);
  EXPECT_STREQ(picker->GetField(2)->GetText(), "153");
  Type(picker->GetField(1), "300");
  EXPECT_EQ(picker->GetComponent(1), 255);
  EXPECT_STREQ(picker->GetField(1)->GetText(), "255");
  EXPECT_EQ(picker->GetColour(), 0x33FF99u);
  // The box's right half shows the new colour, its left half the starting one.
  CImage* box = picker->GetBoxImage();
  EXPECT_EQ(Pixel(box, int32_t(box->GetWidth()) - 1, 5), 0x33FF99u);
  EXPECT_EQ(Pixel(box, 0, 5), 0x336699u);
}

TEST_F(ColorPicker, ABarDraggedPastEitherEndGivesItsBound) {
  Open(0x336699);
  CElement* bar = Find(*picker, "bar image 0");
  const SPointHV at = OnScreen(bar, {50, 5});
  const std::string x = std::to_string(at.h), y = std::to_string(at.v);
  Script("move " + x + " " + y + "\ndown left\nwait 30\nmove " + std::to_string(at.h - 400) + " " + y +
         "\nwait 30\nup left\n");
  EXPECT_EQ(picker->GetComponent(0), 0);
  Script("move " + x + " " + y + "\ndown left\nwait 30\nmove " + std::to_string(at.h + 400) + " " + y +
         "\nwait 30\nup left\n");
  EXPECT_EQ(picker->GetComponent(0), 255);
  EXPECT_EQ(picker->GetColour(), 0xFF6699u);
  EXPECT_STREQ(picker->GetField(0)->GetText(), "255");
}

TEST_F(ColorPicker, TheHueSpectrumAndAGreyThatStaysGrey) {
  STableLayout layout;
  SSpoolTableSpec spec;
  MakeGradientSpec(layout, spec, app->GetDataEnv());
  CSpGradient gradient(layout, spec);
  ASSERT_TRUE(CColorPicker::PaintHueGradient(&gradient));
  CHolder held(&gradient, false, false);
  const struct {
    int32_t at;
    uint32_t colour;
  } keys[] = {{0, 0xFF0000}, {85, 0xFFFF00}, {170, 0x00FF00}, {256, 0x00FFFF},
              {341, 0x0000FF}, {426, 0xFF00FF}, {512, 0xFF0000}};
  for (const auto& k : keys) EXPECT_EQ(gradient[uint32_t(k.at)].ToColor() & 0xFFFFFF, k.colour) << k.at;
  held.Release();

  Open(0x808080);
  EXPECT_EQ(Send("hsv button"), kHandled);
  for (int32_t hue : {40, 128, 250}) {
    Send("bar image 0", 2, hue);
    const uint32_t colour = picker->GetColour();
    EXPECT_EQ(colour >> 16, colour & 0xFF) << hue;
    EXPECT_EQ(colour >> 8 & 0xFF, colour & 0xFF) << hue;
  }
}

TEST_F(ColorPicker, OkHandsTheColourBackToTheSwatchAndCancelNothing) {
  CImElement* swatch = Swatch(&ColorSwatchEyedropperEx);
  for (const char* button : {"cancel", "ok"}) {
    recorder->heard.clear();
    Open(0x102030, swatch);
    const uint32_t level = owner->GetModalLevel();
    Type(picker->GetField(0), "255");
    EXPECT_EQ(Send(button), kHandled);
    EXPECT_FALSE(picker->IsShown());
    EXPECT_EQ(owner->GetModalLevel(), level - 1);
    if (std::string(button) == "cancel") {
      EXPECT_TRUE(recorder->heard.empty());
      continue;
    }
    ASSERT_EQ(recorder->heard.size(), 1u);
    EXPECT_EQ(recorder->heard[0], (SSentMessage{3, 0, "color box", "", "", 0xFF2030}));
    EXPECT_EQ(recorder->points[0], (SPointHV{7, 9}));
  }
}

TEST_F(ColorPicker, APickOnTheColourBoxKeepsTheStartingColourInItsLeftHalf) {
  Open(0x102030);
  CElement* box = Find(*picker, "color box");
  // A press beside the dialog, over the desktop, released where it was.
  const SPointHV local{-30, -30};
  const SPointHV screen = OnScreen(box, local);
  Script("move " + std::to_string(screen.h) + " " + std::to_string(screen.v) + "\n");
  CElement* handled = nullptr;
  EXPECT_EQ(box->RunPressCallback(&handled, local, nullptr), 0);
  Settle();
  EXPECT_EQ(picker->GetColour(), kDesktop);
  CImage* image = picker->GetBoxImage();
  EXPECT_EQ(Pixel(image, 0, 3), 0x102030u);
  EXPECT_EQ(Pixel(image, int32_t(image->GetWidth()) - 1, 3), kDesktop);
}

// The self-drawing eyedropper paints what it picked into the swatch and reports it once.
TEST_F(ColorPicker, TheSelfDrawingEyedropperPaintsThePickedColour) {
  CImElement* swatch = Swatch(&ColorSwatchEyedropperEx);
  const SPointHV local{-40, -40};
  const SPointHV screen = OnScreen(swatch, local);
  Script("move " + std::to_string(screen.h) + " " + std::to_string(screen.v) + "\n");
  sent.clear();
  CElement* handled = nullptr;
  EXPECT_EQ(swatch->RunPressCallback(&handled, local, nullptr), 0);
  EXPECT_EQ(Pixel(swatchImage, 0, 0), kDesktop);
  EXPECT_EQ(Pixel(swatchImage, int32_t(swatchImage->GetWidth()) - 1, 3), kDesktop);
  ASSERT_EQ(Sent(2).size(), 1u);
  EXPECT_EQ(Sent(2)[0], (SSentMessage{2, 1, "color box", "", "color picker", int32_t(kDesktop)}));
  EXPECT_EQ(Cursor(), "arrow");
}

// The live eyedropper reports the press, every new point and the release.
TEST_F(ColorPicker, TheLiveEyedropperReportsEveryColourItPasses) {
  CImElement* swatch = Swatch(&ColorSwatchEyedropper);
  // A wallpaper of two colours: red from x = 0 to 9, green from 10 on, over the first row.
  std::vector<uint32_t> wallpaper(20, 0xFF0000);
  for (int i = 10; i < 20; ++i) wallpaper[size_t(i)] = 0x00FF00;
  platform::headless::SetScreenPicture(20, 1, wallpaper);
  const SPointHV press = OnScreen(swatch, {3, 3});
  // The press reaches the swatch through its dialog's window.
  Script("move " + std::to_string(press.h) + " " + std::to_string(press.v) +
         "\ndown left\nwait 30\nmove 5 0\nwait 30\nmove 15 0\nwait 30\nup left\n");
  ASSERT_EQ(recorder->heard.size(), 4u);
  EXPECT_EQ(recorder->heard[0].kind, 1u);
  EXPECT_EQ(recorder->heard[1], (SSentMessage{2, 0, "color box", "", "", 0xFF0000}));
  EXPECT_EQ(recorder->points[1], (SPointHV{5, 0}));
  EXPECT_EQ(recorder->heard[2], (SSentMessage{2, 0, "color box", "", "", 0x00FF00}));
  EXPECT_EQ(recorder->heard[3], (SSentMessage{3, 1, "color box", "", "", 0x00FF00}));
  EXPECT_EQ(recorder->points[3], (SPointHV{15, 0}));
  // The live one leaves the swatch to its dialog.
  EXPECT_EQ(Pixel(swatchImage, 0, 0), 0xFFFFFFu);
}

TEST_F(ColorPicker, ThePopUpOpensAboveASwatchNearTheBottomAndWithinTheRightEdge) {
  const SRect screen{0, 0, 768, 1024};
  const SRect below = PopUpPlace({100, 200, 120, 220}, {256, 96}, screen);
  EXPECT_EQ(below, (SRect{122, 200, 218, 456}));
  const SRect corner = PopUpPlace({700, 1000, 720, 1020}, {256, 96}, screen);
  EXPECT_EQ(corner.bottom, 698);
  EXPECT_EQ(corner.right, 1024);
  EXPECT_EQ(corner.top, 698 - 96);
  // Off the screen nothing can be read: black.
  EXPECT_EQ(ScreenColourAt({5000, 5000}), 0u);
}

TEST_F(ColorPicker, AnAltPressOpensThePickerOnTheSwatchsColour) {
  CImElement* swatch = Swatch(&ColorSwatchEyedropperEx);
  struct SCase {
    uint32_t word;
    uint32_t expected;
  } cases[] = {{0x445566, 0x445566}, {0, 0xFFFFFF}};  // without a word, the white swatch on the screen
  for (const SCase& c : cases) {
    swatch->SetUserWord(0, c.word);
    Script("key Alt_L\n");
    CElement* handled = nullptr;
    EXPECT_EQ(swatch->RunPressCallback(&handled, {4, 4}, nullptr), 0);
    Script("keyup Alt_L\n");
    EXPECT_TRUE(picker->IsShown());
    EXPECT_EQ(picker->GetStartingColour(), c.expected);
    EXPECT_EQ(picker->GetCaller(), swatch);
    const uint32_t level = owner->GetModalLevel();
    // A second Alt press while the picker is up changes nothing.
    Script("key Alt_L\n");
    swatch->SetUserWord(0, 0x010101);
    EXPECT_EQ(swatch->RunPressCallback(&handled, {4, 4}, nullptr), 0);
    Script("keyup Alt_L\n");
    EXPECT_EQ(picker->GetStartingColour(), c.expected);
    EXPECT_EQ(owner->GetModalLevel(), level);
    picker->Close();
  }
}

}  // namespace
