// The 3D texture editor's handler: the panels and previews every message updates, ok and cancel, the
// save-new and replace dialogs with saving and replacing by name, telling the owner, and the
// sub-editor.
#include "framework/core/char_set.h"
#include "tests/editors/material/dt_editor_fixture.h"

namespace {

using namespace need;

constexpr const char* kComposer = "materials composer";
constexpr const char* kSaveCanvas = "save new texture DTE";
constexpr const char* kReplaceCanvas = "replace texture DTE";

class DTEditorCommands : public DTEditorTest {
 protected:
  // Opened by the composer for its component 2.
  void OpenForComposer() {
    ASSERT_EQ(editor->SetTarget(kComposer, nullptr, 2), 0);
    Open();
    sent.clear();
    owned.clear();
    onSent = [this](const CUIMessage& m) {
      if (std::string(m.elementName) == kComposer) owned.push_back({m.GetPayloadWord(0), m.GetPayloadWord(1)});
    };
  }
  // "ok", then the name typed in the save-new dialog and "save ok".
  int32_t SaveAs(const char* name) {
    EXPECT_EQ(Send(0, "ok", kEditor), kHandled);
    saveNew->SetName(name);
    return Send(0, "save ok", kSaveCanvas);
  }
  std::vector<CElement*> PanelElements(int panel) {
    std::vector<CElement*> out;
    for (uint32_t c = 0; c < kDTPanelChildCount; ++c) out.push_back(Child(panel, c));
    for (uint32_t m = 0; m < kDTMenuMarkerCount; ++m) out.push_back(editor->GetMenuMarker(panel, m));
    return out;
  }
  static uint32_t Hidden(const std::vector<CElement*>& elements) {
    uint32_t hidden = 0;
    for (CElement* element : elements) hidden += !element->IsShown();
    return hidden;
  }
  std::vector<uint8_t> Record(C3dBase* thing) {
    CHolder held(thing, false, false);
    return std::vector<uint8_t>(thing->GetData(), thing->GetData() + C3dTexture::kRecordSize);
  }

  // The owner's messages: payload words 0 and 1.
  std::vector<std::pair<int32_t, int32_t>> owned;
};

TEST_F(DTEditorCommands, EveryMessageShowsThePanelsOfTheComponentCount) {
  Open();
  Edit([](STextureData& data) { data.count = 1; });
  EXPECT_EQ(editor->GetComponentCount(), 1);
  EXPECT_EQ(Send(0, "anything", "compA"), 0);
  std::vector<CElement*> b = PanelElements(1);
  b.push_back(Global(kDTBOperationMenuButton));
  EXPECT_EQ(Hidden(b), 39u);
  EXPECT_EQ(Hidden(PanelElements(2)), 37u);
  EXPECT_TRUE(Child(2, kDTOperation)->IsShown());

  Edit([](STextureData& data) { data.count = 3; });
  EXPECT_EQ(Send(0, "anything", "compA"), 0);
  EXPECT_EQ(Hidden(b), 0u);
  EXPECT_EQ(Hidden(PanelElements(2)), 0u);
}

TEST_F(DTEditorCommands, AMessageRestartsTheFinalPreviewAndThatOfItsPanel) {
  Open();
  Edit([](STextureData& data) { data.count = 3; });
  const std::pair<uint32_t, uint32_t> restarted{4, 0}, complete{0, 0};
  CompleteAll();
  Send(0, "copy", "compB");
  EXPECT_EQ(Progress(0), complete);
  EXPECT_EQ(Progress(1), restarted);
  EXPECT_EQ(Progress(2), complete);
  EXPECT_EQ(Progress(3), restarted);
  CompleteAll();
  // The preview kind's menu pops up; Escape leaves it.
  ASSERT_TRUE(platform::headless::AddScript("wait 20\nkey 0x1B\nwait 20\nkeyup 0x1B\n"));
  Send(0, "previewType", kEditor);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Progress(i), restarted) << i;
}

// While hidden it answers nothing but still refreshes and restarts; cancel closes it telling nobody.
TEST_F(DTEditorCommands, AHiddenEditorTakesNothingAndCancelClosesItSilently) {
  OpenForComposer();
  editor->Hide();
  CompleteAll();
  EXPECT_EQ(Send(0, "ok", kEditor), 0);
  EXPECT_FALSE(saveNew->IsShown());
  EXPECT_EQ(Progress(3), (std::pair<uint32_t, uint32_t>{4, 0}));

  editor->Refresh(false);
  EXPECT_EQ(Send(0, "cancel", kEditor), 0);
  EXPECT_FALSE(editor->IsShown());
  EXPECT_FALSE(editor->AreControlsBound());
  EXPECT_STREQ(editor->GetOwnerName(), kComposer);
  EXPECT_TRUE(owned.empty());
}

TEST_F(DTEditorCommands, OkProposesTheNameAndANewNameAddsADocumentTextureTheOwnerIsToldOf) {
  OpenForComposer();
  EXPECT_EQ(Send(0, "ok", kEditor), kHandled);
  EXPECT_FALSE(editor->IsShown());
  EXPECT_TRUE(saveNew->IsShown());
  EXPECT_EQ(saveNew->GetVariant(), 1);
  EXPECT_EQ(saveNew->GetName(), "Stratus");
  saveNew->SetName("Fresh");
  EXPECT_EQ(Send(0, "save ok", kSaveCanvas), kHandled);
  EXPECT_FALSE(saveNew->IsShown());
  const std::vector<C3dTexture*> textures = DocumentTextures();
  ASSERT_EQ(textures.size(), 1u);
  EXPECT_EQ(NameOf(textures[0]), "Fresh");
  EXPECT_EQ(documentHost.calls, std::vector<std::string>{"find parts"});
  const int32_t handle = int32_t(DocumentTextureSelection(textures[0]->GetId()));
  EXPECT_EQ(owned, (std::vector<std::pair<int32_t, int32_t>>{{handle, 2}}));
  EXPECT_EQ(Sent(0).back(), (SSentMessage{0, 1, kComposer, "", kEditor, handle}));
  EXPECT_EQ(editor->GetOwnerName(), nullptr);
  EXPECT_EQ(editor->GetTargetMaterial(), nullptr);

  // Saved again, nobody waits; a name that differs from a row only in case is a new name.
  editor->Refresh(false);
  EXPECT_EQ(SaveAs("stratus"), kHandled);
  EXPECT_EQ(DocumentTextures().size(), 2u);
  EXPECT_EQ(owned.size(), 1u);
  EXPECT_FALSE(replace->IsShown());
}

TEST_F(DTEditorCommands, SaveCancelBringsTheEditorBackAndReplaceCancelTheSaveDialog) {
  OpenForComposer();
  EXPECT_EQ(Send(0, "ok", kEditor), kHandled);
  EXPECT_EQ(Send(0, "save cancel", kSaveCanvas), kHandled);
  EXPECT_TRUE(editor->IsShown());
  EXPECT_FALSE(saveNew->IsShown());

  EXPECT_EQ(SaveAs("Cumulus"), kHandled);
  EXPECT_TRUE(replace->IsShown());
  EXPECT_EQ(replace->GetVariant(), 1);
  EXPECT_EQ(Send(0, "replace cancel", kReplaceCanvas), kHandled);
  EXPECT_FALSE(replace->IsShown());
  EXPECT_TRUE(saveNew->IsShown());
  EXPECT_TRUE(DocumentTextures().empty());
  EXPECT_TRUE(owned.empty());
  // A dialog that does not show takes no message.
  EXPECT_EQ(Send(0, "replace ok", kReplaceCanvas), 0);
  EXPECT_TRUE(DocumentTextures().empty());
}

// Every document texture of the name takes the edited record and stays the same object; the owner
// is told the first of them.
TEST_F(DTEditorCommands, ReplacingOverwritesEveryDocumentTextureOfTheName) {
  C3dTexture* first = AddDocumentTexture("Marble", kCumulus);
  C3dTexture* other = AddDocumentTexture("Wood", kCumulus);
  C3dTexture* second = AddDocumentTexture("Marble", kCumulus);
  OpenForComposer();
  Edit([](STextureData& data) { data.component[0].frequency[0] = 321; });
  EXPECT_EQ(SaveAs("Marble"), kHandled);
  ASSERT_TRUE(replace->IsShown());
  EXPECT_EQ(Send(0, "replace ok", kReplaceCanvas), kHandled);
  EXPECT_EQ(DocumentTextures(), (std::vector<C3dTexture*>{first, other, second}));
  const std::vector<uint8_t> edited = Record(editor->GetWorkingTexture());
  EXPECT_EQ(Record(first), edited);
  EXPECT_EQ(Record(second), edited);
  EXPECT_NE(Record(other), edited);
  EXPECT_EQ(NameOf(first), "Marble");
  EXPECT_EQ(owned, (std::vector<std::pair<int32_t, int32_t>>{{int32_t(DocumentTextureSelection(first->GetId())), 2}}));
  EXPECT_EQ(documentHost.calls, std::vector<std::string>{"find parts"});
}

// A name that only the library has adds a document texture, and the owner still hears of it.
TEST_F(DTEditorCommands, ReplacingALibraryNameAddsADocumentTexture) {
  OpenForComposer();
  EXPECT_EQ(SaveAs("Cumulus"), kHandled);
  EXPECT_EQ(Send(0, "replace ok", kReplaceCanvas), kHandled);
  const std::vector<C3dTexture*> textures = DocumentTextures();
  ASSERT_EQ(textures.size(), 1u);
  EXPECT_EQ(NameOf(textures[0]), "Cumulus");
  EXPECT_EQ(owned, (std::vector<std::pair<int32_t, int32_t>>{{int32_t(DocumentTextureSelection(textures[0]->GetId())), 2}}));
}

// Names are compared as stored, in full: a 40-character name with é (Mac OS Roman 0x8E) typed in the
// dialog's character set (0xE9) is found and replaced.
TEST_F(DTEditorCommands, ALongNonAsciiNameIsReplacedNotDuplicated) {
  const std::string typed = "Weathered granite with caf\xE9 au lait vein";
  ASSERT_EQ(typed.size(), 40u);
  const std::string stored = AnsiToMacRoman(typed);
  ASSERT_NE(stored.find('\x8E'), std::string::npos);
  C3dTexture* granite = AddDocumentTexture(stored.c_str());
  OpenForComposer();
  EXPECT_EQ(SaveAs(typed.c_str()), kHandled);
  ASSERT_TRUE(replace->IsShown());
  EXPECT_EQ(Send(0, "replace ok", kReplaceCanvas), kHandled);
  EXPECT_EQ(DocumentTextures(), std::vector<C3dTexture*>{granite});
  EXPECT_EQ(NameOf(granite), stored);
}

TEST_F(DTEditorCommands, SavingWantsAWorkingTextureAndAName) {
  ASSERT_EQ(editor->BuildOnce(), 0);
  EXPECT_EQ(editor->SaveAsNewTexture("Fresh"), 1);
  EXPECT_EQ(editor->ReplaceTextureByName("Fresh"), 1);
  Open();
  EXPECT_EQ(editor->SaveAsNewTexture(nullptr), 1);
  EXPECT_EQ(editor->ReplaceTextureByName(nullptr), 1);
  EXPECT_TRUE(DocumentTextures().empty());
}

TEST_F(DTEditorCommands, ThePhaseAndNoiseButtonsOpenTheSubEditorOnTheirTarget) {
  Open();
  EXPECT_EQ(Send(0, "noiseTypeMenu", "compB"), kHandled);
  EXPECT_TRUE(sub->IsBuilt());
  EXPECT_TRUE(sub->IsShown());
  EXPECT_STREQ(sub->GetTargetGroup(), "compB");
  EXPECT_STREQ(sub->GetTargetElement(), "noiseTypeMenu");
  EXPECT_EQ(sub->GetTexture(), editor->GetWorkingTexture());
  sub->Close();
  EXPECT_EQ(Send(0, "compGPhaseType", kEditor), kHandled);
  EXPECT_STREQ(sub->GetTargetGroup(), kEditor);
  EXPECT_STREQ(sub->GetTargetElement(), "compGPhaseType");
  EXPECT_EQ(sub->GetBuildCount(), 1u);
}

// Another dialog that names the editor brings it back.
TEST_F(DTEditorCommands, AnotherDialogNamingTheEditorBringsItBack) {
  Open();
  saveNew->BuildOnce();
  saveNew->Refresh(false);
  EXPECT_EQ(Send(0, kEditor, "DTSubEditor"), kHandled);
  EXPECT_TRUE(editor->IsShown());
  EXPECT_FALSE(editor->IsStale());
}

}  // namespace
