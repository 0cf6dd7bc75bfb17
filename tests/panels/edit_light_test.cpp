// The light editor over a stand-in document window: the light values it reads and writes, its
// sliders, its commit as one undoable step with the lights' own materials or the gel, its options
// menus, its gel dialogs and its preview, which renders from the heartbeat while the editor is the
// top dialog.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editing/light_action.h"
#include "framework/core/cm_function.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "panels/color_picker.h"
#include "panels/edit_light.h"
#include "panels/gel_pictures.h"
#include "platform/menu.h"
#include "presets/obj_mat_presets.h"
#include "render/preview_scene.h"
#include "scene/cone_light.h"
#include "scene/cube_light.h"
#include "scene/cylinder_light.h"
#include "scene/pyramid_light.h"
#include "scene/sphere_light.h"
#include "scene/sun_light.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "edit light";

// The picture textures dialog as the editor reaches it: each call noted.
class CGelPicturesLog : public CGelPictures {
 public:
  int32_t BuildGelPictures() override {
    calls.push_back("build");
    return 0;
  }
  void SetGelContext(const char* replyName, C3dMaterial* gel, uint8_t* changedFlag) override {
    calls.push_back(std::string("context ") + replyName);
    this->gel = gel;
    flag = changedFlag;
  }
  int32_t ShowGelPictures(CPictTexture* current) override {
    calls.push_back(current ? "show picture" : "show none");
    return 0;
  }
  void OpenGelPictures() override { calls.push_back("open"); }

  std::vector<std::string> calls;
  C3dMaterial* gel = nullptr;
  uint8_t* flag = nullptr;
};

double Diffusion(C3dMaterial* material) {
  CHolder held(material, false, false);
  return material->GetRecord().sample.diffusion;
}

vector3<float> DiffuseColour(C3dMaterial* material) {
  CHolder held(material, false, false);
  return material->GetRecord().sample.diffuseColour;
}

class EditLight : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    presets = std::make_unique<CObjMatPresets>(owner, DataFile("objmatpresets.dat"), nullptr, nullptr, nullptr);
    editor = Dialog<CEditLight>("editlight.dat", static_cast<CGelPictures*>(&pictures), presets.get());
  }
  void TearDown() override {
    picker.reset();
    editor.reset();
    presets.reset();
    DialogsTest::TearDown();
  }
  int32_t Open() {
    CUIMessage open = Named("doc window", kCanvas);
    return editor->HandleEvent(&open);
  }
  int32_t Send(const char* element, uint32_t kind = 0, int32_t value = 0) {
    CUIMessage message = Named(kCanvas, element, kind);
    message.SetPayloadWord(0, value);
    return editor->HandleEvent(&message);
  }
  template <typename T>
  T* SelectedLight() {
    T* light = MakeShape<T>(table);
    if (light) Selection().Add(light, 0, 1);
    return light;
  }
  // Renders the preview through the heartbeat until it is done.
  void RenderPreview() {
    for (int i = 0; i < 50 && editor->GetPreview()->IsRenderPending(); ++i) Beat(&CEditLight::OnHeartbeat, editor.get());
  }
  double PreviewBrightness() {
    CImage* image = editor->GetPreview()->GetImage();
    CImNavigator pixels(image, nullptr, false, false);
    double sum = 0;
    for (uint32_t y = 0; y < pixels.GetRows(); ++y) {
      const CImVector* row = pixels.Cells(y);
      for (uint32_t x = 0; x < pixels.GetColumns(); ++x) sum += row[x].Red() + row[x].Green() + row[x].Blue();
    }
    return sum / (pixels.GetRows() * pixels.GetColumns());
  }
  CLightAction* Recorded() { return dynamic_cast<CLightAction*>(document->GetUndoHistory().GetCurrentAction()); }

  CGelPicturesLog pictures;
  std::unique_ptr<CObjMatPresets> presets;
  std::unique_ptr<CEditLight> editor;
  std::unique_ptr<CColorPicker> picker;
};

// One table of what the editor writes into each class of light and reads back.
TEST_F(EditLight, TheLightValuesGoIntoEachClassAndComeBack) {
  C3dConeLight* cone = MakeShape<C3dConeLight>(table);
  C3dCylinderLight* cylinder = MakeShape<C3dCylinderLight>(table);
  C3dCubeLight* cube = MakeShape<C3dCubeLight>(table);
  C3dPyramidLight* pyramid = MakeShape<C3dPyramidLight>(table);
  C3dSphereLight* radial = MakeShape<C3dSphereLight>(table);
  C3dSunLight* sun = MakeObject<C3dSunLight>(table);
  CEditLight::SLightValues values;
  values.intensity = 100;
  values.softness = 100;
  values.colour = 0x336699;
  values.noShadows = true;
  for (C3dLight* light : std::vector<C3dLight*>{cone, cylinder, cube, pyramid, radial, sun}) {
    CEditLight::WriteLight(*light, values);
    EXPECT_EQ(light->GetIntensity(), 20.0);
    CEditLight::SLightValues read;
    read.softness = 42;
    CEditLight::ReadLight(*light, &read);
    EXPECT_EQ(read.intensity, 100);
    EXPECT_EQ(read.colour, 0x336699u);
    EXPECT_TRUE(read.noShadows);
    EXPECT_FALSE(read.visible);
    // The radial light and the sun have no softness: the value read before stays.
    EXPECT_EQ(read.softness, light == radial || light == sun ? 42 : 100) << light->TypeName();
  }
  EXPECT_EQ(cone->GetExponent(), 5.0);
  EXPECT_EQ(cylinder->GetExponent(), 5.0);
  EXPECT_EQ(cube->GetExponentX(), 5.0f);
  EXPECT_EQ(cube->GetExponentZ(), 5.0f);
  EXPECT_EQ(pyramid->GetExponentZ(), 5.0f);
  values.softness = 99;
  CEditLight::WriteLight(*cone, values);
  CEditLight::SLightValues read;
  CEditLight::ReadLight(*cone, &read);
  EXPECT_EQ(read.softness, 99);
  cone->SetIntensity(19.99);
  CEditLight::ReadLight(*cone, &read);
  EXPECT_EQ(read.intensity, 99);

  struct SFrame {
    int32_t value;
    uint32_t frame;
  } frames[] = {{0, 0}, {1, 1}, {50, 5}, {100, 9}, {-3, 0}};
  for (const SFrame& f : frames) EXPECT_EQ(CEditLight::SliderFrame(10, f.value), f.frame) << f.value;
  EXPECT_EQ(CEditLight::SliderFrame(11, 100), 10u);
}

TEST_F(EditLight, TheSliderStepsAPercentPerTwoPixelsWithinZeroToAHundred) {
  SelectedLight<C3dConeLight>();
  ASSERT_EQ(Open(), kHandled);
  CElement* slider = Find(*editor, "light intensity");
  const int32_t start = editor->GetValues().intensity;
  struct SCase {
    int32_t dx;
    int32_t expected;
  } cases[] = {{1, start}, {2, start + 1}, {-400, 0}, {400, 100}};
  for (const SCase& c : cases) {
    RenderPreview();
    ASSERT_FALSE(editor->GetPreview()->IsRenderPending());
    const SPointHV at = OnScreen(slider, {60, 5});
    Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\nwait 30\nrmove " +
           std::to_string(c.dx) + " 0\nwait 30\nup left\n");
    EXPECT_EQ(editor->GetValues().intensity, c.expected) << c.dx;
    EXPECT_EQ(int32_t(slider->GetUserWord(0)), c.expected) << c.dx;
    // Even a drag that moved nothing sent its values: the preview starts again.
    EXPECT_TRUE(editor->GetPreview()->IsRenderPending()) << c.dx;
    EXPECT_FALSE(editor->GetPreview()->GetRenderer().IsInProgress()) << c.dx;
  }
  CIxImage* frames = FindImage(*editor, "light intensity")->GetImageList();
  EXPECT_EQ(frames->Selected(), frames->Count() - 1);
  // The readout shows while dragging and goes at the release.
  EXPECT_FALSE(Find(*editor, "status text")->IsShown());
}

TEST_F(EditLight, OkWritesEveryLightWithTheirOwnMaterialsAsOneUndoableStep) {
  C3dConeLight* cone = SelectedLight<C3dConeLight>();
  C3dSphereLight* radial = SelectedLight<C3dSphereLight>();
  cone->SetExponent(2.5);
  radial->SetStateFlags(C3dLight::kUnboundedBeam);
  C3dMaterial* coneMaterial = MaterialOf(cone);
  C3dMaterial* radialMaterial = MaterialOf(radial);
  const vector3<float> radialColour = radial->GetColour();
  ASSERT_EQ(Open(), kHandled);
  EXPECT_EQ(editor->GetValues().softness, 50);
  Send("light intensity", 2, 50);
  Send("light color", 2, 0xFF8000);
  ASSERT_TRUE(editor->GetOption(CEditLight::kVisible) == false);
  CUIMessage options = Named(kCanvas, "light options");
  options.firstPoint = {250, 200};
  ChooseRow(*editor, options, 2);  // "No Shadows"
  EXPECT_TRUE(editor->GetOption(CEditLight::kNoShadows));
  window.calls.clear();
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_FALSE(editor->IsShown());
  const vector3<float> colour{1.0f, 0.50196081f, 0.0f};
  for (C3dLight* light : std::vector<C3dLight*>{cone, radial}) {
    EXPECT_EQ(light->GetIntensity(), 10.0);
    EXPECT_EQ(light->GetColour(), colour);
    const uint32_t state = light->GetStateFlags();
    EXPECT_EQ(state & (C3dLight::kCastsNoShadow | CEditLight::kEdited), C3dLight::kCastsNoShadow | CEditLight::kEdited);
    EXPECT_EQ(state & (C3dLight::kVisible | C3dLight::kUnboundedBeam), 0u);
    EXPECT_EQ(DiffuseColour(MaterialOf(light)), colour);
  }
  EXPECT_EQ(cone->GetExponent(), 50 * 0.05);
  EXPECT_EQ(MaterialOf(cone), coneMaterial);
  EXPECT_EQ(MaterialOf(radial), radialMaterial);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"invalidate", "objinfochanged 4", "find parts"}));
  ASSERT_NE(Recorded(), nullptr);
  ASSERT_EQ(document->GetUndoHistory().Undo(), 0);
  EXPECT_EQ(radial->GetColour(), radialColour);
  EXPECT_EQ(cone->GetExponent(), 2.5);
  EXPECT_TRUE(radial->GetStateFlags() & C3dLight::kUnboundedBeam);
  EXPECT_FALSE(cone->GetStateFlags() & C3dLight::kCastsNoShadow);
}

// A gel chosen in the presets panel (which sets the editor's changed flag and hands back with "edit
// light") goes to every light as a copy.
TEST_F(EditLight, AChosenGelGoesToEveryLight) {
  C3dConeLight* cone = SelectedLight<C3dConeLight>();
  C3dSphereLight* radial = SelectedLight<C3dSphereLight>();
  ASSERT_EQ(Open(), kHandled);
  EXPECT_EQ(Send("texture gels"), kHandled);
  EXPECT_EQ(presets->GetEditorMaterial(), editor->GetGel());
  EXPECT_STREQ(presets->GetReplyName(), kCanvas);
  ASSERT_NE(presets->GetChangedFlag(), nullptr);
  {
    CHolder held(editor->GetGel(), true, false);
    editor->GetGel()->GetRecord().sample.diffusion = 0.625;
  }
  *presets->GetChangedFlag() = 1;
  presets->Close();
  EXPECT_EQ(Open(), 0);  // the hand-back: the editor is up already
  EXPECT_TRUE(editor->IsGelEdited());
  EXPECT_EQ(Send("ok"), kHandled);
  for (C3dLight* light : std::vector<C3dLight*>{cone, radial}) {
    C3dMaterial* material = MaterialOf(light);
    ASSERT_NE(material, editor->GetGel());
    EXPECT_EQ(Diffusion(material), 0.625);
  }
  // The picture gels go through the picture textures dialog's side.
  ASSERT_EQ(Open(), kHandled);
  EXPECT_EQ(Send("picttextures"), kHandled);
  EXPECT_EQ(pictures.calls, (std::vector<std::string>{"build", "context edit light", "show none", "open"}));
  EXPECT_EQ(pictures.gel, editor->GetGel());
}

TEST_F(EditLight, CancelAfterMovingBothSlidersChangesNoLight) {
  C3dConeLight* cone = SelectedLight<C3dConeLight>();
  cone->SetIntensity(3);
  ASSERT_EQ(Open(), kHandled);
  Send("light intensity", 2, 90);
  Send("light softness", 2, 10);
  window.calls.clear();
  EXPECT_EQ(Send("cancel"), kHandled);
  EXPECT_EQ(cone->GetIntensity(), 3);
  EXPECT_EQ(Recorded(), nullptr);
  EXPECT_TRUE(window.calls.empty());
  EXPECT_EQ(owner->GetModalLevel(), 0u);
}

TEST_F(EditLight, TheOptionsMenuIsTickedFromTheOptionsAndAltAddsTheGel) {
  C3dConeLight* cone = SelectedLight<C3dConeLight>();
  cone->SetStateFlags(C3dLight::kVisible | C3dLight::kUnboundedBeam);
  ASSERT_EQ(Open(), kHandled);
  for (bool alt : {false, true}) {
    if (alt) Script("key Alt_L\n");
    int32_t error = 0;
    std::unique_ptr<CMenu> menu = editor->LoadOptionsMenu(&error);
    if (alt) Script("keyup Alt_L\n");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->FindItemIndex(FourCC("rgel")) != 0, alt);
    const auto ticked = [&menu](uint32_t code) {
      const uint32_t index = menu->FindItemIndex(code);
      return (platform::GetMenuState(menu->GetPlatformMenu(), index, platform::kMfByCommand) & platform::kMfChecked) != 0;
    };
    EXPECT_TRUE(ticked(FourCC("visi")));
    EXPECT_FALSE(ticked(FourCC("disa")));
    EXPECT_TRUE(ticked(FourCC("infi")));
    EXPECT_FALSE(ticked(FourCC("rscn")));
    EXPECT_TRUE(ticked(FourCC("rntr")));
  }
  // "Preview in Scene" (row 5 after the separator) switches the preview to the document's sky.
  CUIMessage options = Named(kCanvas, "light options");
  options.firstPoint = {250, 200};
  ChooseRow(*editor, options, 5);
  EXPECT_TRUE(editor->GetOption(CEditLight::kScenePreview));
}

TEST_F(EditLight, ThePreviewRendersFromTheHeartbeatWhileTheEditorIsOnTop) {
  SelectedLight<C3dSphereLight>();
  ASSERT_EQ(Open(), kHandled);
  const SRect& rect = Find(*editor, "light preview")->GetRect();
  CPreviewScene* preview = editor->GetPreview();
  EXPECT_EQ(preview->GetImage()->GetWidth(), uint32_t(RectWidth(rect)));
  EXPECT_EQ(preview->GetImage()->GetHeight(), uint32_t(RectHeight(rect)));
  ASSERT_EQ(preview->GetShapeCode(), CPreviewScene::kLight);
  ExpectNear(preview->GetCopy()->GetTransformVector3(), {0, 2, 0}, 0, "the preview's light");
  EXPECT_EQ(preview->GetCopy()->GetMaterial(), editor->GetGel()->GetHandle());

  // The colour picker above the editor holds the preview back.
  picker = Dialog<CColorPicker>("colorpicker.dat");
  Script("key Alt_L\n");
  CElement* handled = nullptr;
  Find(*editor, "light color")->RunPressCallback(&handled, {3, 3}, nullptr);
  Script("keyup Alt_L\n");
  ASSERT_TRUE(picker->IsShown());
  EXPECT_TRUE(editor->IsStale());
  Beat(&CEditLight::OnHeartbeat, editor.get());
  EXPECT_TRUE(preview->IsRenderPending());
  // The picker's choice comes back as kind 3 and paints the swatch.
  CUIMessage ok = Named("color picker", "ok");
  picker->OpenFor(0x123456, Find(*editor, "light color"), {3, 3});
  EXPECT_EQ(picker->HandleEvent(&ok), kHandled);
  EXPECT_EQ(editor->GetValues().colour, 0x123456u);
  CImNavigator swatch(editor->GetSwatchImage(), nullptr, false, false);
  EXPECT_EQ(swatch.Cells(0)[0].value & 0xFFFFFF, 0x123456u);

  double brightness[2] = {};
  const int32_t intensities[2] = {10, 100};
  for (int i = 0; i < 2; ++i) {
    Send("light intensity", 2, intensities[i]);
    RenderPreview();
    EXPECT_FALSE(preview->IsRenderPending());
    brightness[i] = PreviewBrightness();
  }
  EXPECT_GT(brightness[1], brightness[0]);
}

}  // namespace
