// The quick 3D texture dialog built headless from the build's edit3dtexture.dat, with the save-new and
// replace dialogs, over the texture library textures.dat and the document of the 3D texture editor's
// fixture (whose helpers make document textures and a material for new objects). Every reply the
// dialog broadcasts is kept whole.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editors/material/edit_3d_texture.h"
#include "tests/editors/material/dt_editor_fixture.h"

// A broadcast message with both payload words.
struct SReply {
  uint32_t kind;
  uint32_t flags;
  std::string element, canvas;
  int32_t word0, word1;
  bool operator==(const SReply&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const SReply& r) {
  return out << "{" << r.kind << ", " << r.flags << ", \"" << r.element << "\", \"" << r.canvas << "\", " << r.word0
             << ", " << r.word1 << "}";
}

// A menu row as {text, command, flags}.
struct SRow {
  std::string text;
  uint32_t command;
  uint16_t flags;
  bool operator==(const SRow&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const SRow& r) {
  return out << "{\"" << r.text << "\", " << r.command << ", " << r.flags << "}";
}

class Edit3dTextureTest : public DTEditorTest {
 protected:
  static constexpr const char* kDialog = "edit 3dtexture";
  static constexpr const char* kComposer = "materials composer";
  static constexpr SPointHV kDialogAt{120, 120};
  // The library's textures for objects.
  static constexpr uint32_t kMarble = 3;
  static constexpr uint32_t kLibraryCount = 14;

  void SetUp() override {
    DTEditorTest::SetUp();
    if (HasFatalFailure()) return;
    quick = std::make_unique<CEdit3dTexture>(owner, dialogs);
    quick->SetDialogs(saveNew.get(), replace.get());
    onSent = [this](const CUIMessage& m) {
      if (m.flags == CUIMessage::kBroadcast && m.canvasName && std::string(m.canvasName) == kDialog)
        replies.push_back({m.kind, m.flags, m.elementName ? m.elementName : "", m.canvasName, m.GetPayloadWord(0),
                           m.GetPayloadWord(1)});
    };
  }
  void TearDown() override {
    onSent = nullptr;
    platform::headless::AddScript("up left\nkeyup 18\n");
    Settle();
    quick.reset();
    DTEditorTest::TearDown();
  }

  // Built, aimed at the composer's slot, loaded with the library and the handle, and shown.
  void OpenQuick(uint32_t handle = kMarble, int32_t slot = 2) {
    ASSERT_EQ(quick->BuildOnce(), 0);
    quick->SetTarget(kComposer, nullptr, slot);
    ASSERT_EQ(quick->LoadTextureLibrary(library, int32_t(handle)), 0);
    quick->MoveTo(kDialogAt);
    quick->Refresh(false);
    Settle();
  }

  int32_t SendQuick(uint32_t kind, const char* element, const char* canvas = kDialog, uint32_t word0 = 0) {
    CUIMessage message;
    message.Init(kind, element, nullptr, canvas, 0);
    message.SetPayloadWord(0, int32_t(word0));
    return quick->HandleEvent(&message);
  }

  // The edited texture's data.
  STextureData QuickData() {
    C3dTexture* texture = quick->GetTexture();
    EXPECT_NE(texture, nullptr);
    if (!texture) return {};
    CHolder held(texture, false, false);
    return held.IsLocked() ? texture->GetTextureData() : STextureData{};
  }
  std::string QuickName() { return quick->GetTexture() ? NameOf(quick->GetTexture()) : std::string(); }
  std::string ShownName() { return Text(quick->GetNameElement()); }

  // The whole record of a texture, as bytes.
  static std::vector<uint8_t> Record(C3dBase* thing) {
    CHolder held(thing, false, false);
    if (!held.IsLocked()) return {};
    return std::vector<uint8_t>(thing->GetData(), thing->GetData() + C3dTexture::kRecordSize);
  }
  std::vector<uint8_t> LibraryRecord(uint32_t id) {
    CBaseTexture* stored = nullptr;
    if (ResolveTextureSelection(id, library, nullptr, &stored) || !stored) return {};
    std::vector<uint8_t> bytes = Record(stored);
    CBaseTexture::ReleaseUse(stored);
    return bytes;
  }

  std::vector<SRow> Rows() {
    std::vector<SRow> rows;
    CMenu* menu = quick->GetMenu();
    CHolder held(menu, false, false);
    for (uint32_t r = 0; held.IsLocked() && r < menu->GetCount(); ++r)
      rows.push_back({(*menu)[r].text, (*menu)[r].command, (*menu)[r].flags});
    return rows;
  }

  // Heartbeats of the dialog's preview until it is complete (or the limit).
  void FinishPreview(int beats = 400) {
    for (int i = 0; i < beats && quick->GetPreview()->GetUserWord(CEdit3dTexture::kStepWord) != 0; ++i)
      Beat(&CEdit3dTexture::PreviewHeartbeat, quick.get());
  }

  std::unique_ptr<CEdit3dTexture> quick;
  std::vector<SReply> replies;
};
