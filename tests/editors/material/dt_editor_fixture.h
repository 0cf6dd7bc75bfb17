// The 3D texture editor built headless from the build's DTEditors.dat, with the save-new and replace
// dialogs of edit3dtexture.dat and the sub-editor, over the texture library textures.dat and a
// document (a scene table reached as the current document host, with a material for new objects).
// Presses and drags go through the headless input script; UI messages are built here.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/texture_selection.h"
#include "editors/material/dt_editor.h"
#include "editors/material/dt_sub_editor.h"
#include "editors/material/layout_needs.h"
#include "editors/material/replace_texture.h"
#include "editors/material/save_new_texture.h"
#include "framework/core/holder.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/scrolling_menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "platform/headless.h"
#include "scene/factory.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"
#include "tests/panels/panels_fixture.h"

// The document as the editor reaches it: the scene table and a material for new objects.
class CTextureDocumentHost : public CTestHost {
 public:
  C3dMaterial* GetDefaultMaterial() const override { return material; }
  C3dMaterial* material = nullptr;
};

class DTEditorTest : public PanelsTest {
 protected:
  static constexpr SPointHV kEditorAt{100, 100};
  static constexpr const char* kEditor = "DTEditor";
  static constexpr const char* kPanelNames[3] = {"compA", "compB", "compC"};
  // The library's textures: Stratus and Cumulus.
  static constexpr uint32_t kStratus = 1;
  static constexpr uint32_t kCumulus = 2;

  uint32_t ObjectsBudget() const override { return 0x1000000; }

  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    documentHost.scene = table;
    SetCurrentDocumentHost(&documentHost);
    layout = DataFile("DTEditors.dat");
    dialogs = DataFile("edit3dtexture.dat");
    library = DataFile("textures.dat");
    saveNew = std::make_unique<CSaveNewTexture>(owner, dialogs);
    replace = std::make_unique<CReplaceTexture>(owner, dialogs);
    sub = std::make_unique<CDTSubEditor>(owner, layout);
    editor = std::make_unique<CDTEditor>(owner, layout);
    editor->SetContext(saveNew.get(), replace.get(), sub.get());
    CDTEditor::ForgetClipboardAndSnapshot();
  }
  void TearDown() override {
    platform::headless::AddScript("up left\nkeyup 16\nkeyup 17\nkeyup 18\n");
    Settle();
    editor.reset();
    sub.reset();
    replace.reset();
    saveNew.reset();
    if (documentHost.material) {
      delete documentHost.material;
      documentHost.material = nullptr;
    }
    SetCurrentDocumentHost(nullptr);
    PanelsTest::TearDown();
  }

  // Built and opened as the application's commands open it: the library, the selection, the
  // refresh with a snapshot, the binding, shown.
  void Open(uint32_t selection = kStratus) {
    ASSERT_EQ(editor->BuildOnce(), 0);
    ASSERT_EQ(editor->SetTextureSource(library, int32_t(selection)), 0);
    editor->RefreshComponentControls(true);
    ASSERT_EQ(editor->BindControls(), 0);
    editor->MoveTo(kEditorAt);
    editor->Refresh(false);
    Settle();
  }

  // Opened, the texture given three components, and the panels shown by a message.
  void OpenWithThreeComponents() {
    Open();
    Edit([](STextureData& data) { data.count = 3; });
    Send(0, "anything", kEditor);
  }

  // ---- the working texture
  STextureData Data() {
    C3dTexture* texture = editor->GetWorkingTexture();
    EXPECT_NE(texture, nullptr);
    if (!texture) return {};
    CHolder held(texture, false, false);
    EXPECT_TRUE(held.IsLocked());
    return held.IsLocked() ? texture->GetTextureData() : STextureData{};
  }
  // Changed under its lock, prepared, and shown again in the controls.
  void Edit(const std::function<void(STextureData&)>& change) {
    C3dTexture* texture = editor->GetWorkingTexture();
    ASSERT_NE(texture, nullptr);
    {
      CHolder held(texture, true, false);
      ASSERT_TRUE(held.IsLocked());
      change(texture->GetTextureData());
      texture->PrepareEvaluation(true);
    }
    editor->RefreshComponentControls(false);
  }
  // The record's bytes from offset on.
  std::vector<uint8_t> Bytes(uint32_t offset, uint32_t length) {
    const STextureData data = Data();
    const auto* bytes = reinterpret_cast<const uint8_t*>(&data);
    return std::vector<uint8_t>(bytes + offset, bytes + offset + length);
  }
  template <typename T>
  T At(uint32_t offset) {
    T value{};
    const STextureData data = Data();
    std::memcpy(&value, reinterpret_cast<const uint8_t*>(&data) + offset, sizeof value);
    return value;
  }

  // ---- the document
  // A texture of the document with the library texture's recipe and that stored name.
  C3dTexture* AddDocumentTexture(const char* name, uint32_t recipe = kStratus) {
    C3dTexture* texture = nullptr;
    EXPECT_EQ(AppendNew(&texture, table, ObjectsEnv()), 0);
    if (!texture) return nullptr;
    CBaseTexture* stored = nullptr;
    EXPECT_EQ(ResolveTextureSelection(recipe, library, nullptr, &stored), 0);
    if (stored) {
      CHolder from(stored, false, false);
      CHolder to(texture, true, false);
      std::memcpy(texture->GetData(), stored->GetData(), C3dTexture::kRecordSize);
      texture->PrepareEvaluation(true);
      from.Release();
      CBaseTexture::ReleaseUse(stored);
    }
    SetStoredName(texture, name);
    return texture;
  }
  static void SetStoredName(C3dBase* thing, const char* name) {
    CHolder lock(thing, true, false);
    ASSERT_TRUE(lock.IsLocked());
    char* field = reinterpret_cast<char*>(thing->GetData());
    std::memset(field, 0, C3dBase::kNameBytes);
    std::strncpy(field, name, C3dBase::kNameBytes - 1);
  }
  static std::string NameOf(C3dBase* thing) {
    CHolder lock(thing, false, false);
    return lock.IsLocked() ? std::string(reinterpret_cast<const char*>(thing->GetData())) : std::string();
  }
  std::vector<C3dTexture*> DocumentTextures() {
    std::vector<C3dTexture*> out;
    CHolder rows(table, false, false);
    for (uint32_t i = 0; rows.IsLocked() && i < table->GetCount(); ++i) {
      C3dBase* thing = nullptr;
      if (table->GetObjectAt(i, &thing) == 0) {
        if (auto* texture = dynamic_cast<C3dTexture*>(thing)) out.push_back(texture);
      }
    }
    return out;
  }
  // A material for new objects whose component slot holds the texture.
  void GiveDefaultMaterial(C3dTexture* texture, int slot) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<C3dMaterial>(ObjectsEnv(), key, spec);
    if (!documentHost.material) {
      ASSERT_EQ(C3dMaterial::New(&documentHost.material, nullptr, key, spec), 0);
    }
    CHolder held(documentHost.material, true, false);
    ASSERT_TRUE(held.IsLocked());
    ASSERT_EQ(documentHost.material->SetChannelTexture(texture, slot), 0);
  }

  // ---- elements
  CImElement* Child(int panel, uint32_t child) { return editor->GetPanelElement(panel, child); }
  CImElement* Global(uint32_t global) { return editor->GetGlobalElement(global); }
  CTxElement* Field(int group, uint32_t child) { return editor->GetField(group, child); }
  static int32_t Word(const CElement* element, uint32_t index = 0) { return int32_t(element->GetUserWord(index)); }
  static std::string Text(CTxElement* element) { return element && element->GetText() ? element->GetText() : ""; }
  static uint32_t Set(CImElement* element) {
    return element->GetImageList() ? element->GetImageList()->Selected() : CIxImage::kNone;
  }
  static uint32_t Pixel(CImage* image, uint32_t x, uint32_t y) {
    CImNavigator pixels(image, nullptr, false, false);
    return pixels.IsUsable() ? pixels.Cells(y)[x].value : 0xDEADBEEF;
  }

  // ---- input
  SPointHV Screen(CElement* element, SPointHV local) { return OnScreen(element, local); }
  // A press at the local point, the script's steps while held (relative moves), then the release.
  void Press(CElement* element, SPointHV local, const std::string& during = "") {
    const SPointHV at = Screen(element, local);
    Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\nwait 30\n" + during +
           "wait 30\nup left\nwait 30\n");
  }
  void Click(CElement* element) {
    const SRect& r = element->GetRect();
    Press(element, {RectWidth(r) / 2, RectHeight(r) / 2});
  }
  // The script that answers a pop-up menu opened at the screen point: row `row` chosen (0: left with
  // Escape).
  static std::string MenuAnswer(SPointHV at, uint32_t row) {
    return row ? "wait 20\nmove " + std::to_string(at.h + kMenuFrame + 30) + " " +
                     std::to_string(at.v + kMenuFrame + int32_t(row - 1) * kMenuRow + kMenuRow / 2) +
                     "\nwait 20\ndown left\nwait 20\nup left\n"
               : "wait 20\nkey 0x1B\nwait 20\nkeyup 0x1B\n";
  }
  // The menu's ticked rows, counted from 1.
  static std::vector<uint32_t> Ticked(CMenu* menu) {
    std::vector<uint32_t> rows;
    for (uint32_t row = 1; row <= menu->GetCount(); ++row) {
      bool on = false;
      menu->GetScrollingMenu()->CheckState(CScrollingMenu::kReadCheck, row, &on);
      if (on) rows.push_back(row);
    }
    return rows;
  }
  // The element's press callback run directly with the pointer on the local point and no button held.
  int32_t RunPress(CElement* element, SPointHV local = {1, 1}) {
    const SPointHV at = Screen(element, local);
    SetCursorPosition(at.h, at.v);
    CElement* handled = nullptr;
    return element->RunPressCallback(&handled, local, nullptr);
  }
  int32_t Send(uint32_t kind, const char* element, const char* canvas, uint32_t word0 = 0) {
    CUIMessage message;
    message.Init(kind, element, nullptr, canvas, 0);
    message.SetPayloadWord(0, int32_t(word0));
    return editor->HandleEvent(&message);
  }
  // A heartbeat that a key pressed before it ends after its first band.
  void InterruptedBeat(const std::function<void()>& beat) {
    ASSERT_TRUE(platform::headless::AddScript("key 65\n"));
    beat();
    Script("keyup 65\n");
  }
  static std::vector<uint32_t> Line(CImage* image, uint32_t y) {
    std::vector<uint32_t> line;
    CImNavigator pixels(image, nullptr, false, false);
    for (uint32_t x = 0; pixels.IsUsable() && x < pixels.GetColumns(); ++x) line.push_back(pixels.Cells(y)[x].value);
    return line;
  }
  // The preview's render state: {block, next line}.
  std::pair<uint32_t, uint32_t> Progress(int index) {
    CImElement* preview = editor->GetPreview(index);
    return {preview->GetUserWord(CDTEditor::kBlockWord), preview->GetUserWord(CDTEditor::kLineWord)};
  }
  void RestartAll() {
    for (int i = 0; i < CDTEditor::kPreviewCount; ++i) editor->RestartPreview(i);
  }
  void CompleteAll() {
    for (int i = 0; i < CDTEditor::kPreviewCount; ++i) editor->GetPreview(i)->SetUserWord(CDTEditor::kBlockWord, 0);
  }

  CTextureDocumentHost documentHost;
  CResourceEnv* layout = nullptr;
  CResourceEnv* dialogs = nullptr;
  CResourceEnv* library = nullptr;
  std::unique_ptr<CSaveNewTexture> saveNew;
  std::unique_ptr<CReplaceTexture> replace;
  std::unique_ptr<CDTSubEditor> sub;
  std::unique_ptr<CDTEditor> editor;
};
