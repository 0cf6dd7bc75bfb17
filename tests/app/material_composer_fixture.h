// The material composer built headless from the build's materialcomposer.dat beside a document window,
// with the stand-ins of the dialogs it opens (which note their calls) and the numeric pop-up; driven
// through the headless input script and UI messages built here.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <regex>
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
#include "framework/core/ix_text.h"
#include "framework/core/random.h"
#include "framework/image/ix_image.h"
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
    layoutCopy.reset();
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

  // A library of stored 3D textures of these ids and names, written by resbuild from the build's own
  // texture sources.
  std::unique_ptr<CResourceEnv> MakeLibrary(const std::vector<std::pair<uint32_t, std::string>>& textures) {
    const std::string manifest = Path("library.manifest");
    {
      std::ofstream out(manifest);
      for (const auto& [id, name] : textures)
        out << "C3dTexture " << id << " \"" << name << "\" " << QUARN2_LAYOUT_SOURCES << "/textures/stratus.qntx\n";
      if (textures.empty()) out << "ixtx 1000 none " << Path("empty.ixtx") << "\n";
    }
    if (textures.empty()) std::ofstream(Path("empty.ixtx")) << "0 \"none\"\n";
    return Compile(manifest, "library");
  }
  // Names with the ids 128 on.
  std::unique_ptr<CResourceEnv> MakeLibrary(const std::vector<std::string>& names) {
    std::vector<std::pair<uint32_t, std::string>> textures;
    for (const std::string& name : names) textures.emplace_back(128 + uint32_t(textures.size()), name);
    return MakeLibrary(textures);
  }

  // A copy of the composer's layout changed by edit, compiled with the sources' pictures and menus and
  // the manifest lines given.
  std::unique_ptr<CResourceEnv> LayoutCopy(const std::function<std::string(const std::string&)>& edit,
                                           const std::string& extraManifest = "") {
    const std::string sources = QUARN2_LAYOUT_SOURCES;
    std::ifstream in(sources + "/materialcomposer.layout");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text = std::regex_replace(text, std::regex(" pictures/"), " " + sources + "/pictures/");
    std::ofstream(Path("copy.layout")) << edit(text);
    std::ofstream manifest(Path("copy.manifest"));
    manifest << "layout " << Path("copy.layout") << "\n";
    for (const char* menu : {"100 composer-types", "101 composer-mapping", "102 composer-shading", "200 composer-preview"}) {
      const std::string line = menu;
      manifest << "menu " << line.substr(0, 3) << " - " << sources << "/" << line.substr(4) << ".menu\n";
    }
    manifest << extraManifest;
    manifest.close();
    return Compile(Path("copy.manifest"), "copy");
  }
  // The manifest compiled by resbuild into a file of its own, opened.
  std::unique_ptr<CResourceEnv> Compile(const std::string& manifest, const std::string& name) {
    const std::string dat = Path(name + "-" + std::to_string(++copies_) + ".dat");
    const std::string command = std::string(RESBUILD_PATH) + " " + manifest + " " + dat + " > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    CFileSpec spec;
    spec.Set(dat.c_str());
    auto env = std::make_unique<CResourceEnv>(spec, CFile::kModeRead);
    EXPECT_TRUE(env->IsOpen());
    return env;
  }
  // The layout with the components' swatches size × size.
  static std::string SwatchesOfSize(const std::string& text, int32_t size) {
    std::string out;
    std::smatch m;
    const std::regex swatch(R"re((imel "component [a-d] (color|alpha|bump)" \{\s+rect )(\d+) (\d+) \d+ \d+)re");
    std::string rest = text;
    while (std::regex_search(rest, m, swatch)) {
      const int32_t top = std::stoi(m[3]), left = std::stoi(m[4]);
      out += m.prefix().str() + m[1].str() + std::to_string(top) + " " + std::to_string(left) + " " +
             std::to_string(top + size) + " " + std::to_string(left + size);
      rest = m.suffix().str();
    }
    return out + rest;
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
    Settle();
    SWinEvent event;
    event.Init();
    event.key = character;
    const int32_t answer = composer->OnCharacter(event);
    for (uint32_t key : keys) platform::headless::AddScript("keyup " + std::to_string(key) + "\n");
    Settle();
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
  static int32_t Word(const CElement* element, uint32_t index = 0) { return int32_t(element->GetUserWord(index)); }
  // The level a slider shows for a fraction, as the refresh reads it.
  static int32_t Level(double fraction, double scale = 255) { return int32_t(std::trunc(fraction * scale + 1e-4)); }
  static void SeedRandom(uint32_t x, uint32_t i, uint32_t j) { GetRandomState() = SRandomState{x, i, j}; }

  std::unique_ptr<CResourceEnv> composerLayout, pictLayout, quickLayout, presetsLayout, dtLayout, library, layoutCopy;
  std::unique_ptr<CPictTextures> pict;
  std::unique_ptr<CEdit3dTexture> quick;
  std::unique_ptr<CObjMatPresets> presets;
  std::unique_ptr<CDTEditor> dt;
  std::unique_ptr<CTextEditPopup> popup;
  std::unique_ptr<CMaterialComposer> composer;

 private:
  int copies_ = 0;
};
