// Opening the material composer: 'emat' builds it once and binds it to the document window with a
// working copy of the material to edit; its preview renderer's settings; the build's failures, which
// leave it unbuilt for a later try; and its keys.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "app/palette_manager.h"
#include "framework/core/timer.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "scene/camera.h"
#include "scene/cube.h"
#include "scene/group.h"
#include "scene/sphere.h"
#include "tests/app/material_composer_fixture.h"
#include "tests/app/shell_fixture.h"

namespace {

// ---- through the program's command

class MaterialComposerCommand : public ShellTest {
 protected:
  template <typename T>
  T* Add(const vector3<double>& at) {
    C3dBaseSys* table = window->GetSceneTable();
    T* made = nullptr;
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<T>(app->GetObjectsEnv(), key, spec);
    EXPECT_EQ(NewShape(&made, table, key, spec, window->GetDefaultMaterial()->GetHandle()), 0);
    CHolder lock(made, true, false);
    made->SetTransformVector3(at);
    return made;
  }
  static void Tint(C3dObject* object, double diffusion) {
    C3dMaterial* material = LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
    CHolder held(material, true, false);
    material->GetRecord().sample.diffusion = diffusion;
  }
  static std::string Part(C3dMaterial* material) {
    CHolder held(material, false, false);
    const uint8_t* data = material->GetData() + C3dMaterial::kPartOffset;
    return std::string(reinterpret_cast<const char*>(data), C3dMaterial::kPartSize);
  }
  CSelection& Selection() { return window->GetDocument()->GetSelection(); }
  CMaterialComposer* Composer() { return pm->GetCanvases()->materialComposer; }
};

TEST_F(MaterialComposerCommand, EmatBindsTheComposerToTheMaterialToEdit) {
  Run([&] {
    C3dSphere* sphere = Add<C3dSphere>({0, 1, 0});
    C3dCube* left = Add<C3dCube>({-2, 1, 0});
    C3dCube* right = Add<C3dCube>({2, 1, 0});
    for (auto [object, diffusion] : {std::pair<C3dObject*, double>{sphere, 0.25}, {left, 0.5}, {right, 0.75}})
      Tint(object, diffusion);
    C3dGroup* pair = nullptr;
    {
      SObjectKey key;
      SSpoolTableSpec spec;
      MakeCreationKey<C3dGroup>(app->GetObjectsEnv(), key, spec);
      ASSERT_EQ(C3dGroup::New(&pair, window->GetSceneTable(), key, spec), 0);
      CHolder lock(pair, true, false);
      ASSERT_EQ(pair->AddChild(left), 0);
      ASSERT_EQ(pair->AddChild(right), 0);
    }
    ASSERT_EQ(window->FindSceneParts(true), 0);
    EXPECT_EQ(GetCurrentDocumentHost(), static_cast<CDocumentHost*>(window));
    CMaterialComposer* composer = Composer();
    ASSERT_NE(composer, nullptr);
    const auto material = [&](C3dObject* object) {
      return LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
    };
    struct SCase {
      const char* what;
      std::vector<C3dObject*> selected;
      C3dMaterial* expected;
    } cases[] = {
        {"a sphere", {sphere}, material(sphere)},
        {"nothing", {}, window->GetDefaultMaterial()},
        {"a group, by its first member", {pair}, material(left)},
    };
    for (const SCase& c : cases) {
      Selection().DeselectAll(1);
      for (C3dObject* object : c.selected) Selection().Add(object, 0, 0);
      EXPECT_EQ(pm->DoCommand(FourCC("emat")), kHandled) << c.what;
      EXPECT_EQ(composer->GetBuildCount(), 1u) << c.what;
      EXPECT_EQ(platform::GetWindowText(composer->GetWindow()), "materials composer");
      EXPECT_EQ(composer->GetDocumentHost(), static_cast<CDocumentHost*>(window)) << c.what;
      EXPECT_TRUE(composer->IsShown()) << c.what;
      EXPECT_EQ(Part(composer->GetMaterial()), Part(c.expected)) << c.what;
      composer->Close();
    }
    // The camera first in the selection: the command does nothing.
    Selection().DeselectAll(1);
    Selection().Add(window->GetCurrentCamera(), 0, 0);
    ASSERT_TRUE(window->IsCameraFirstSelected());
    EXPECT_EQ(pm->DoCommand(FourCC("emat")), kHandled);
    EXPECT_FALSE(composer->IsShown());
  });
}

// ---- on a document window of its own

using MaterialComposerOpen = MaterialComposerTest;

// A composer whose idle task's row is refused once.
class CRefusingComposer : public CMaterialComposer {
 public:
  using CMaterialComposer::CMaterialComposer;
  bool refuse = true;

 protected:
  bool SubscribeIdleTask() override { return !std::exchange(refuse, false) && CMaterialComposer::SubscribeIdleTask(); }
};

TEST_F(MaterialComposerOpen, ThePreviewRendererTakesTheComposersSettingsAtConstruction) {
  CMaterialComposer& c = MakeComposer();
  ASSERT_TRUE(c.IsPreviewReady());
  CPreviewRenderer& renderer = c.GetPreview()->GetRenderer();
  EXPECT_TRUE(renderer.IsAntialias());
  EXPECT_TRUE(renderer.IsBandHighlight());
  EXPECT_EQ(renderer.GetBlockSize(), 1u);
  EXPECT_EQ(renderer.GetInitialBlockSize(), 4u);
  EXPECT_FALSE(c.IsBuilt());
}

// Each defect leaves the composer unbuilt with nothing kept; the next opening builds it again.
TEST_F(MaterialComposerOpen, AFailedBuildLeavesTheComposerUnbuiltForALaterTry) {
  const auto withoutAlpha = [](const std::string& text) {
    return std::regex_replace(text, std::regex("picture \"frequency slider alpha\"[^\n]*\n"), "");
  };
  std::ofstream(Path("junk.bin")) << "not a picture record";
  struct SCase {
    const char* defect;
    std::unique_ptr<CResourceEnv> layout;
    int32_t code;
  } cases[] = {
      {"no frequency slider alpha", LayoutCopy(withoutAlpha), kErrInvalidParameter},
      {"another kind of record",
       LayoutCopy(withoutAlpha, "ImageIV32ARGB 900 \"frequency slider alpha\" " + Path("junk.bin") + "\n"),
       kErrUnexpectedType},
      {"a refused heartbeat row", nullptr, kErrFailedCreation},
  };
  for (SCase& c : cases) {
    CMaterialComposer& composer = c.layout ? MakeComposer(c.layout.get()) : MakeComposer<CRefusingComposer>();
    EXPECT_EQ(composer.BuildOnce(), c.code) << c.defect;
    EXPECT_FALSE(composer.IsBuilt()) << c.defect;
    EXPECT_EQ(composer.GetMaterial(), nullptr) << c.defect;
    EXPECT_EQ(composer.GetTextureMenu(), nullptr) << c.defect;
    EXPECT_FALSE(app->IsHeartbeatSubscriber(&composer)) << c.defect;
    const int32_t again = composer.BuildOnce();
    EXPECT_EQ(composer.GetBuildCount(), 2u) << c.defect;
    if (c.layout) {
      EXPECT_EQ(again, c.code) << c.defect;
    } else {
      EXPECT_EQ(again, 0) << c.defect;
      EXPECT_TRUE(app->IsHeartbeatSubscriber(&composer));
      EXPECT_EQ(composer.AttachDocument(window), 0);
    }
    composer.Close();
    this->composer.reset();
  }
}

TEST_F(MaterialComposerOpen, ABuiltComposerIsBoundToItsElementsAndGoesWithoutLeaving) {
  BuildScene();
  CMaterialComposer& c = Open();
  for (int k = 0; k < CMaterialComposer::kComponentCount; ++k) {
    EXPECT_NE(c.GetFrequencySlider(k), nullptr);
    EXPECT_NE(c.GetComponentColor(k), nullptr);
    EXPECT_EQ(c.GetComponentColor(k)->GetImage(), c.GetSwatchImage(0));
    EXPECT_EQ(c.GetComponentBump(k)->GetImage(), c.GetSwatchImage(2));
  }
  for (int channel = 0; channel < CMaterialComposer::kChannelCount; ++channel)
    EXPECT_NE(c.GetFlatMarker(channel), nullptr) << channel;
  EXPECT_EQ(c.GetPreviewRect(), (SRect{34, 460, 184, 610}));
  EXPECT_EQ(c.GetPreview()->GetSample()->GetMaterial(), c.GetMaterial()->GetHandle());
  EXPECT_TRUE(app->IsHeartbeatSubscriber(&c));
  composer.reset();
  EXPECT_FALSE(app->IsHeartbeatSubscriber(composer.get()));
}

// ---- keys and presses

class MaterialComposerKeys : public MaterialComposerTest {
 protected:
  void SetUp() override {
    MaterialComposerTest::SetUp();
    if (HasFatalFailure()) return;
    BuildScene();
    Open();
  }
  void ChangeDiffusion(int32_t value) {
    composer->RecordUndoStep();
    composer->GetValueSlider(0)->SetUserWord(0, uint32_t(value));
    ASSERT_EQ(composer->StoreControls(), 0);
  }
  double Diffusion() { return Working().sample.diffusion; }
};

TEST_F(MaterialComposerKeys, TabPressesTheFirstFieldWithOrWithoutControl) {
  for (bool control : {false, true}) {
    EXPECT_EQ(Key(9, control ? std::vector<uint32_t>{kControl} : std::vector<uint32_t>{}), kHandled) << control;
    ASSERT_TRUE(popup->IsShown()) << control;
    EXPECT_EQ(popup->GetTarget(), composer->GetValueText(0)) << control;
    popup->Close(false);
  }
}

TEST_F(MaterialComposerKeys, ControlCCopiesIntoTheWindowsClipboardWithoutAnUndoStep) {
  EditWorking([](SMaterialRecord& r) { r.sample.diffusion = 0.125; });
  const int64_t before = platform::NowMs();
  EXPECT_EQ(Key('C', {kControl}), 0);
  EXPECT_GE(platform::MsToTicks(platform::NowMs() - before), 10);
  C3dMaterial* clipboard = window->GetCopiedMaterial();
  ASSERT_NE(clipboard, nullptr);
  EXPECT_TRUE(SameRecord(RecordOf(clipboard), Working()));
  EXPECT_EQ(Undone(), nullptr);
}

TEST_F(MaterialComposerKeys, ControlVRecordsOneStepAndPastesTheCurrentMaterialBeforeAnyCopy) {
  EditWorking([](SMaterialRecord& r) { r.sample.diffusion = 0.125; });
  EXPECT_EQ(Key('v', {kControl}), 0);
  EXPECT_TRUE(SameRecord(Working(), RecordOf(window->GetDefaultMaterial())));
  ASSERT_NE(Undone(), nullptr);
  // The step takes the paste back.
  EXPECT_EQ(Key('z', {kControl}), 0);
  EXPECT_DOUBLE_EQ(Diffusion(), 0.125);
}

TEST_F(MaterialComposerKeys, ControlZTogglesTheLastChangeAndWithoutOneGoesToTheCanvas) {
  EXPECT_EQ(Undone(), nullptr);
  SWinEvent event;
  event.Init();
  event.key = 'z';
  const int32_t own = composer->CLayoutHostCanvas::OnCharacter(event);
  EXPECT_EQ(Key('z', {kControl}), own);
  ChangeDiffusion(51);
  EXPECT_DOUBLE_EQ(Diffusion(), 51 / 255.0);
  EXPECT_EQ(Key('Z', {kControl}), 0);
  EXPECT_DOUBLE_EQ(Diffusion(), RecordOf(MaterialOf(Selection().GetObject(0))).sample.diffusion);
  EXPECT_EQ(Word(composer->GetValueSlider(0)), Level(Diffusion()));
  EXPECT_EQ(Key('z', {kControl}), 0);
  EXPECT_DOUBLE_EQ(Diffusion(), 51 / 255.0);
  EXPECT_EQ(Word(composer->GetValueSlider(0)), 51);
}

// A hidden or stale composer takes no key and no press.
TEST_F(MaterialComposerKeys, AHiddenOrStaleComposerAnswersNothing) {
  SWinEvent press;
  press.Init();
  const SPointHV at = Middle(composer->GetComponentType(0));
  press.x = at.h;
  press.y = at.v;
  owner->RaiseModalLevel();
  EXPECT_TRUE(composer->IsStale());
  for (uint32_t key : {9u, uint32_t('c'), uint32_t('v'), uint32_t('z')}) EXPECT_EQ(Key(key, {kControl}), 0) << key;
  EXPECT_EQ(composer->OnPointerPress(press), 0);
  owner->LowerModalLevel();
  composer->Hide();
  EXPECT_EQ(Key(9), 0);
  EXPECT_EQ(composer->OnPointerPress(press), 0);
  EXPECT_EQ(window->GetCopiedMaterial(), nullptr);
}

TEST_F(MaterialComposerKeys, APressWhileTheNumberPopupIsOpenClosesItWithItsValueFirst) {
  CElement* diffusion = composer->GetValueText(0);
  ASSERT_EQ(CTextEditPopup::NumericCallback(diffusion, nullptr, {}, nullptr), 0);
  ASSERT_TRUE(popup->IsShown());
  EXPECT_TRUE(composer->IsStale());
  Play("char 4\nchar 2\n");
  SWinEvent press;
  press.Init();
  const SPointHV at = Middle(composer->GetMaterialGrid());
  press.x = at.h;
  press.y = at.v;
  composer->OnPointerPress(press);
  EXPECT_FALSE(popup->IsShown());
  EXPECT_FALSE(composer->IsStale());
  EXPECT_EQ(Word(diffusion), 42);
  EXPECT_EQ(Word(composer->GetValueSlider(0)), 42);
}

}  // namespace
