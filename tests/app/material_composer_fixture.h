// The material composer built headless from the build's materialcomposer.dat beside a document window,
// with the stand-ins of the dialogs it opens (which note their calls) and the numeric pop-up; driven
// through the headless input script and UI messages built here.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editors/material/dt_editor.h"
#include "editors/material/edit_3d_texture.h"
#include "editors/material/layout_needs.h"
#include "editors/material/material_composer.h"
#include "editors/material/pict_textures.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/image/image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/text_edit_popup.h"
#include "platform/headless.h"
#include "presets/obj_mat_presets.h"
#include "render/preview_scene.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/app/press_script.h"

class MaterialComposerTest : public DocCommandsTest {
 protected:
  static constexpr SPointHV kComposerAt{200, 40};
  static constexpr uint32_t kShift = 16;
  static constexpr uint32_t kControl = 17;
  static constexpr uint32_t kAlt = 18;

  void SetUp() override {
    DocCommandsTest::SetUp();
    if (HasFatalFailure()) return;
    platform::headless::SetScreenSize(1280, 1024);
    Made();
    Show();
    composerLayout = OpenDataFile("materialcomposer.dat");
    pictLayout = OpenDataFile("picttextures.dat");
    quickLayout = OpenDataFile("edit3dtexture.dat");
    presetsLayout = OpenDataFile("objmatpresets.dat");
    dtLayout = OpenDataFile("DTEditors.dat");
    pict = std::make_unique<CPictTextures>(owner, pictLayout.get(), nullptr);
    quick = std::make_unique<CEdit3dTexture>(owner, quickLayout.get());
    presets = std::make_unique<CObjMatPresets>(owner, presetsLayout.get(), nullptr, nullptr, nullptr);
    dt = std::make_unique<CDTEditor>(owner, dtLayout.get());
    popup = std::make_unique<CTextEditPopup>(owner, composerLayout.get());
  }
  void TearDown() override {
    platform::headless::AddScript("keyup 16\nkeyup 17\nkeyup 18\n");
    Settle();
    composer.reset();
    popup.reset();
    dt.reset();
    presets.reset();
    quick.reset();
    pict.reset();
    library.reset();
    composerLayout.reset();
    pictLayout.reset();
    quickLayout.reset();
    presetsLayout.reset();
    dtLayout.reset();
    DocCommandsTest::TearDown();
  }

  // The composer over the texture library (the build's textures.dat when none is given).
  template <typename T = CMaterialComposer>
  T& MakeComposer(CResourceEnv* layout = nullptr, CResourceEnv* textureLibrary = nullptr) {
    auto* made = new T(owner, layout ? layout : composerLayout.get(), textureLibrary ? textureLibrary : textures.get(),
                       pict.get(), quick.get(), presets.get(), dt.get());
    composer.reset(made);
    return *made;
  }
  // Built, bound to the window and shown, as 'emat' opens it.
  CMaterialComposer& Open(CResourceEnv* textureLibrary = nullptr) {
    if (!composer) MakeComposer(nullptr, textureLibrary);
    EXPECT_EQ(composer->BuildOnce(), 0);
    EXPECT_EQ(composer->AttachDocument(window), 0);
    composer->MoveTo(kComposerAt);
    composer->Refresh(false);
    composer->UpdateNow();
    return *composer;
  }

  // A library of stored 3D textures of these names (ids from 128), written by resbuild from the build's
  // own texture sources.
  std::unique_ptr<CResourceEnv> MakeLibrary(const std::vector<std::string>& names) {
    const std::string manifest = Path("library.manifest");
    {
      std::ofstream out(manifest);
      uint32_t id = 128;
      for (const std::string& name : names)
        out << "C3dTexture " << id++ << " \"" << name << "\" " << QUARN2_LAYOUT_SOURCES << "/textures/stratus.qntx\n";
      if (names.empty()) out << "ixtx 1000 none " << Path("empty.ixtx") << "\n";
    }
    if (names.empty()) std::ofstream(Path("empty.ixtx")) << "0 \"none\"\n";
    const std::string dat = Path("library.dat");
    const std::string command = std::string(RESBUILD_PATH) + " " + manifest + " " + dat + " > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    CFileSpec spec;
    spec.Set(dat.c_str());
    auto env = std::make_unique<CResourceEnv>(spec, CFile::kModeRead);
    EXPECT_TRUE(env->IsOpen());
    return env;
  }

  // Presses, drags and keys at the elements.
  SPointHV OnScreen(CElement* element, SPointHV local) {
    SPointHV screen;
    element->LocalToRootPoint(&screen, local);
    return screen;
  }
  SPointHV Middle(CElement* element) {
    const SRect& r = element->GetRect();
    return OnScreen(element, {RectWidth(r) / 2, RectHeight(r) / 2});
  }
  void Play(const std::string& script) {
    ASSERT_TRUE(platform::headless::AddScript(script));
    Settle();
  }
  void Press(CElement* element, SPointHV local, const std::string& during = "", std::vector<uint32_t> keys = {}) {
    const SPointHV screen = OnScreen(element, local);
    Play(PressScript(screen.h, screen.v, during, keys, "wait 100\n"));
  }
  void Click(CElement* element, std::vector<uint32_t> keys = {}) {
    const SRect& r = element->GetRect();
    Press(element, {RectWidth(r) / 2, RectHeight(r) / 2}, "", keys);
  }
  // A character typed with the keys held.
  void Type(char character, std::vector<uint32_t> keys = {}) {
    std::string script;
    for (uint32_t key : keys) script += "key " + std::to_string(key) + "\n";
    const uint32_t vk = uint32_t(std::toupper(uint8_t(character)));
    script += "key " + std::to_string(vk) + "\nwait 20\nkeyup " + std::to_string(vk) + "\n";
    for (uint32_t key : keys) script += "keyup " + std::to_string(key) + "\n";
    Play(script);
  }
  // A character event straight to the composer, with the keys held.
  int32_t Key(uint32_t character, std::vector<uint32_t> keys = {}) {
    for (uint32_t key : keys) platform::headless::AddScript("key " + std::to_string(key) + "\n");
    for (int i = 0; i < 20 && platform::headless::PendingInputs() > 0; ++i) app->GetCursorPos();
    SWinEvent event;
    event.Init();
    event.key = character;
    const int32_t answer = composer->OnCharacter(event);
    for (uint32_t key : keys) platform::headless::AddScript("keyup " + std::to_string(key) + "\n");
    for (int i = 0; i < 20 && platform::headless::PendingInputs() > 0; ++i) app->GetCursorPos();
    return answer;
  }
  // A row of the pop-up menu that opens at the screen point (rows 19 pixels high from 3 below it).
  static std::string ChooseRow(SPointHV at, uint32_t row) {
    return "move " + std::to_string(at.h + 33) + " " + std::to_string(at.v + 3 + int32_t(row - 1) * 19 + 9) +
           "\ndown left\nwait 20\nup left\n";
  }
  static std::string EscapeMenu() { return "key 0x1B\nwait 30\nkeyup 0x1B\n"; }

  // A UI message as a dialog or element would send it.
  static CUIMessage Message(uint32_t kind, const char* element, const char* canvas, int32_t value = 0,
                            uint32_t colour = 0) {
    CUIMessage message;
    message.Init(kind, element, nullptr, canvas, 0);
    message.SetPayloadWord(0, int32_t(colour));
    message.firstPoint = {value, value};
    return message;
  }
  int32_t Send(uint32_t kind, const char* element, const char* canvas, int32_t value = 0, uint32_t colour = 0) {
    CUIMessage message = Message(kind, element, canvas, value, colour);
    return composer->HandleEvent(&message);
  }
  static constexpr const char* kComposer = "materials composer";

  // The working material's part, and an object's.
  static SMaterialRecord RecordOf(C3dMaterial* material) {
    CHolder held(material, false, false);
    EXPECT_TRUE(held.IsLocked());
    return held.IsLocked() ? material->GetRecord() : SMaterialRecord{};
  }
  static C3dMaterial* MaterialOf(C3dObject* object) {
    return LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
  }
  static bool SameRecord(const SMaterialRecord& a, const SMaterialRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
  SMaterialRecord Working() { return RecordOf(composer->GetMaterial()); }
  void EditWorking(const std::function<void(SMaterialRecord&)>& edit) {
    CHolder held(composer->GetMaterial(), true, false);
    ASSERT_TRUE(held.IsLocked());
    edit(composer->GetMaterial()->GetRecord());
  }
  CUndoableAction* Undone() { return composer->GetUndo().GetCurrentAction(); }
  static void SeedRandom(uint32_t x, uint32_t i, uint32_t j) { GetRandomState() = SRandomState{x, i, j}; }

  std::unique_ptr<CResourceEnv> composerLayout, pictLayout, quickLayout, presetsLayout, dtLayout, library;
  std::unique_ptr<CPictTextures> pict;
  std::unique_ptr<CEdit3dTexture> quick;
  std::unique_ptr<CObjMatPresets> presets;
  std::unique_ptr<CDTEditor> dt;
  std::unique_ptr<CTextEditPopup> popup;
  std::unique_ptr<CMaterialComposer> composer;
};
