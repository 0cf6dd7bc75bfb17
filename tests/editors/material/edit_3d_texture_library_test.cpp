// The quick 3D texture dialog's named textures: the menu of the library's and the document's
// textures, the choice of the texture to edit, closing with its reply, and saving and replacing in the
// document through the save-new and replace dialogs.
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>

#include "framework/core/random.h"
#include "platform/window.h"
#include "tests/editors/material/edit_3d_texture_fixture.h"

namespace {

using namespace need;

class QuickLibrary : public Edit3dTextureTest {
 protected:
  // The library's rows as the menu lists them.
  std::vector<SRow> LibraryRows() {
    std::vector<SRow> rows;
    CResTypeTable* table = nullptr;
    EXPECT_TRUE(library->FindType(C3dTexture::kTypeName, &table, nullptr));
    CHolder held(table, false, false);
    for (uint32_t i = 0; held.IsLocked() && i < table->GetCount(); ++i)
      rows.push_back({std::string((*table)[i].name, strnlen((*table)[i].name, 32)), (*table)[i].number, 4});
    return rows;
  }
  uint32_t Level() { return owner->GetModalLevel(); }
  static bool AllSelected(CTextEdit* field) {
    uint32_t start = 1, end = 0;
    platform::SendMessage(field->GetWindow(), platform::kEmGetSel, reinterpret_cast<uintptr_t>(&start),
                          reinterpret_cast<intptr_t>(&end));
    return start == 0 && end == field->GetTextLength();
  }
  // A press on the texture name through its own press callback (which gives the dialog the screen
  // point), with the pop-up menu answered where it opens, at the press: row `row` chosen (0: left
  // with Escape).
  void ChooseNameRow(uint32_t row) {
    CElement* name = quick->GetNameElement();
    const SPointHV local{30, 10};
    ASSERT_TRUE(platform::headless::AddScript(MenuAnswer(Screen(name, local), row)));
    EXPECT_EQ(RunPress(name, local), 26);
    Settle();
  }
  std::vector<C3dTexture*> Named(const std::string& name) {
    std::vector<C3dTexture*> out;
    for (C3dTexture* texture : DocumentTextures()) {
      if (NameOf(texture) == name) out.push_back(texture);
    }
    return out;
  }
  // "ok" after an edit, then the name typed into the save-new dialog and "save ok".
  void SaveAs(const char* name) {
    ASSERT_EQ(SendQuick(0, "turbulence +"), 26);
    ASSERT_EQ(SendQuick(0, "ok"), 26);
    ASSERT_TRUE(saveNew->IsShown());
    saveNew->SetName(name);
    EXPECT_EQ(SendQuick(0, "save ok", "save new texture"), 26);
  }
};

TEST_F(QuickLibrary, TheMenuListsTheLibraryThenTheDocumentsTexturesButTheClouds) {
  C3dTexture* pond = AddDocumentTexture("Pond");
  C3dTexture* marble = AddDocumentTexture("Marble");
  AddDocumentTexture("low cloud texture");
  AddDocumentTexture("high cloud texture");
  OpenQuick(kMarble);
  quick->Randomize();
  ASSERT_TRUE(quick->IsModified());
  ASSERT_EQ(quick->LoadTextureLibrary(library, 0), 0);
  EXPECT_FALSE(quick->IsModified());
  std::vector<SRow> expected = LibraryRows();
  ASSERT_GE(expected.size(), kLibraryCount);
  expected[kMarble - 1].command = DocumentTextureSelection(marble->GetId());
  expected.push_back({"Pond", DocumentTextureSelection(pond->GetId()), 4});
  EXPECT_EQ(Rows(), expected);
  EXPECT_EQ(DocumentTextureSelection(pond->GetId()), 0x80000000u | pond->GetId());

  // A library without 3D textures lists the document's.
  ASSERT_EQ(quick->LoadTextureLibrary(dialogs, 0), 0);
  EXPECT_EQ(Rows(), (std::vector<SRow>{{"Pond", DocumentTextureSelection(pond->GetId()), 4},
                                       {"Marble", DocumentTextureSelection(marble->GetId()), 4}}));
}

TEST_F(QuickLibrary, TheTextureNamePopsTheMenuOnTheCurrentRowAndARowChosenIsEdited) {
  OpenQuick(kMarble);
  ASSERT_EQ(SendQuick(0, "complexity +"), 26);
  ChooseNameRow(0);
  EXPECT_EQ(Ticked(quick->GetMenu()), (std::vector<uint32_t>{kMarble}));
  EXPECT_TRUE(quick->IsModified()) << "nothing chosen";
  ChooseNameRow(4);
  EXPECT_EQ(QuickName(), "Granite");
  EXPECT_EQ(ShownName(), "Granite");
  EXPECT_EQ(quick->GetResultHandle(), 4u);
  EXPECT_FALSE(quick->IsModified());
  EXPECT_EQ(Record(quick->GetTexture()), LibraryRecord(4));
}

TEST_F(QuickLibrary, TheCloudHandlesEditCopiesOfStratusAndCumulus) {
  ASSERT_EQ(quick->BuildOnce(), 0);
  for (uint32_t id : {1u, 2u}) {
    ASSERT_EQ(quick->LoadTextureLibrary(library, int32_t(id)), 0);
    EXPECT_EQ(QuickName(), id == 1 ? "Stratus" : "Cumulus");
    EXPECT_EQ(quick->GetResultHandle(), id);
    EXPECT_EQ(Record(quick->GetTexture()), LibraryRecord(id));
    EXPECT_STREQ(quick->GetCurrentName(), id == 1 ? "Stratus" : "Cumulus");
  }
}

// Handle 0 with nothing edited picks row trunc((N - 1) u) of the menu counted from 0: of three rows
// the first and the second, never the third; of one row that row; of none, nothing (6).
TEST_F(QuickLibrary, WithNothingEditedARandomRowButTheLastIsPicked) {
  const char* names[] = {"One", "Two", "Three"};
  for (const char* name : names) AddDocumentTexture(name);
  std::set<std::string> picked;
  for (uint32_t seed = 1; seed <= 24; ++seed) {
    GetRandomState() = SRandomState{seed * 7919u, seed % 64, (seed * 5) % 64};
    SRandomState probe = GetRandomState();
    const uint32_t row = uint32_t(2 * NextRandomUnit(probe));
    CEdit3dTexture fresh(owner, dialogs);
    ASSERT_EQ(fresh.BuildOnce(), 0);
    ASSERT_EQ(fresh.LoadTextureLibrary(dialogs, 0), 0);
    ASSERT_NE(fresh.GetTexture(), nullptr);
    EXPECT_EQ(NameOf(fresh.GetTexture()), names[row]) << seed;
    picked.insert(NameOf(fresh.GetTexture()));
  }
  EXPECT_EQ(picked, (std::set<std::string>{"One", "Two"}));

  // One row.
  table->RemoveObject(Named("Two")[0], true, false);
  table->RemoveObject(Named("Three")[0], true, false);
  for (uint32_t seed = 1; seed <= 4; ++seed) {
    GetRandomState() = SRandomState{seed * 104729u, 0, 0};
    CEdit3dTexture fresh(owner, dialogs);
    ASSERT_EQ(fresh.BuildOnce(), 0);
    ASSERT_EQ(fresh.LoadTextureLibrary(dialogs, 0), 0);
    EXPECT_EQ(NameOf(fresh.GetTexture()), "One");
  }
  // None.
  table->RemoveObject(Named("One")[0], true, false);
  ASSERT_EQ(quick->BuildOnce(), 0);
  EXPECT_EQ(quick->LoadTextureLibrary(dialogs, 0), 6);
  EXPECT_EQ(quick->GetTexture(), nullptr);
  EXPECT_EQ(quick->GetResultHandle(), 0u);
}

TEST_F(QuickLibrary, WithATextureEditedHandleZeroTakesTheMaterialsTextureAndAGoneHandleKeepsIt) {
  OpenQuick(kMarble);
  C3dTexture* rust = AddDocumentTexture("Rust", 9);
  GiveDefaultMaterial(rust, 2);
  ASSERT_EQ(quick->SelectTexture(0), 0);
  EXPECT_EQ(QuickName(), "Rust");
  EXPECT_NE(quick->GetTexture(), rust);
  EXPECT_EQ(quick->GetResultHandle(), DocumentTextureSelection(rust->GetId()));

  GiveDefaultMaterial(nullptr, 2);
  C3dTexture* before = quick->GetTexture();
  ASSERT_EQ(quick->SelectTexture(0), 0);
  EXPECT_EQ(quick->GetTexture(), before);
  EXPECT_EQ(quick->GetResultHandle(), 0u);

  const uint32_t gone = DocumentTextureSelection(rust->GetId());
  ASSERT_EQ(table->RemoveObject(rust, true, false), 0);
  ASSERT_EQ(quick->SelectTexture(gone), 0);
  EXPECT_EQ(quick->GetTexture(), before);
  EXPECT_EQ(QuickName(), "Rust");
}

// The dialog edits copies only: the library's and the document's textures keep every byte.
TEST_F(QuickLibrary, EditsNeverReachTheLibraryOrTheDocument) {
  C3dTexture* pond = AddDocumentTexture("Pond", 11);
  const std::vector<uint8_t> document = Record(pond);
  const std::vector<uint8_t> stored = LibraryRecord(11);
  OpenQuick(DocumentTextureSelection(pond->GetId()));
  EXPECT_EQ(QuickName(), "Pond");
  for (const char* edit : {"turbulence +", "complexity +", "randomize", "complexity -", "turbulence -"})
    ASSERT_EQ(SendQuick(0, edit), 26);
  ASSERT_EQ(SendQuick(3, "component a0", kDialog, 0x102030), 0);
  FinishPreview();
  ASSERT_EQ(quick->LoadTextureLibrary(library, 11), 0);
  ASSERT_EQ(SendQuick(0, "randomize"), 26);
  FinishPreview();
  EXPECT_EQ(Record(pond), document);
  EXPECT_EQ(LibraryRecord(11), stored);
}

// ---- closing

TEST_F(QuickLibrary, CancelRepliesWithNothingOnceAndTheLevelIsBack) {
  const uint32_t level = Level();
  OpenQuick(kMarble, 3);
  EXPECT_EQ(Level(), level + 1);
  replies.clear();
  EXPECT_EQ(SendQuick(0, "cancel"), 26);
  EXPECT_EQ(replies, (std::vector<SReply>{{0, 1, kComposer, kDialog, 0, 0}}));
  EXPECT_EQ(quick->GetReplyName(), nullptr);
  EXPECT_FALSE(quick->IsShown());
  EXPECT_EQ(Level(), level);
}

TEST_F(QuickLibrary, OkRightAfterChoosingRepliesWithTheHandleAndSlot) {
  const uint32_t level = Level();
  OpenQuick(kMarble, 3);
  ChooseNameRow(5);
  replies.clear();
  EXPECT_EQ(SendQuick(0, "ok"), 26);
  EXPECT_EQ(replies, (std::vector<SReply>{{0, 1, kComposer, kDialog, 5, 3}}));
  EXPECT_FALSE(saveNew->IsShown());
  EXPECT_EQ(Level(), level);
}

TEST_F(QuickLibrary, OkAfterAnEditAsksForANameAndSaveCancelComesBackWithTheEdit) {
  const uint32_t level = Level();
  OpenQuick(kMarble);
  ASSERT_EQ(SendQuick(0, "complexity +"), 26);
  const std::vector<uint8_t> edited = Record(quick->GetTexture());
  replies.clear();
  EXPECT_EQ(SendQuick(0, "ok"), 26);
  EXPECT_FALSE(quick->IsShown());
  ASSERT_TRUE(saveNew->IsShown());
  EXPECT_EQ(saveNew->GetVariant(), 0);
  EXPECT_EQ(saveNew->GetName(), "Marble");
  EXPECT_TRUE(AllSelected(saveNew->GetNameField()));
  EXPECT_EQ(Level(), level + 1);
  EXPECT_TRUE(replies.empty());
  EXPECT_EQ(SendQuick(0, "save cancel", "save new texture"), 26);
  EXPECT_FALSE(saveNew->IsShown());
  EXPECT_TRUE(quick->IsShown());
  EXPECT_TRUE(quick->IsModified());
  EXPECT_EQ(Record(quick->GetTexture()), edited);
  EXPECT_EQ(Level(), level + 1);
  EXPECT_EQ(SendQuick(0, "cancel"), 26);
  EXPECT_EQ(Level(), level);
}

TEST_F(QuickLibrary, SaveOkWithANewNameAddsADocumentTextureAndRepliesWithIt) {
  const uint32_t level = Level();
  OpenQuick(kMarble, 1);
  replies.clear();
  SaveAs("Veined");
  const std::vector<C3dTexture*> saved = Named("Veined");
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0]->GetFamily(), CBaseTexture::kFamily);
  EXPECT_EQ(saved[0]->GetClass(), C3dTexture::kClassTag);
  EXPECT_EQ(replies,
            (std::vector<SReply>{{0, 1, kComposer, kDialog, int32_t(DocumentTextureSelection(saved[0]->GetId())), 1}}));
  EXPECT_FALSE(saveNew->IsShown());
  EXPECT_FALSE(replace->IsShown());
  EXPECT_EQ(Level(), level);
}

TEST_F(QuickLibrary, ALibraryNameAsksToReplaceAndReplacingAddsADocumentTexture) {
  const uint32_t level = Level();
  OpenQuick(kMarble);
  replies.clear();
  SaveAs("Granite");
  ASSERT_TRUE(replace->IsShown());
  EXPECT_EQ(replace->GetVariant(), 0);
  EXPECT_TRUE(replies.empty());
  // "replace cancel" brings the save dialog back with the name typed.
  EXPECT_EQ(SendQuick(0, "replace cancel", "replace texture"), 26);
  ASSERT_TRUE(saveNew->IsShown());
  EXPECT_EQ(saveNew->GetName(), "Granite");
  EXPECT_EQ(SendQuick(0, "save ok", "save new texture"), 26);
  ASSERT_TRUE(replace->IsShown());
  EXPECT_EQ(SendQuick(0, "replace ok", "replace texture"), 26);
  const std::vector<C3dTexture*> saved = Named("Granite");
  ASSERT_EQ(saved.size(), 1u);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(uint32_t(replies[0].word0), DocumentTextureSelection(saved[0]->GetId()));
  EXPECT_EQ(Level(), level);
}

TEST_F(QuickLibrary, ReplaceOverwritesEveryDocumentTextureOfTheNameAndRepliesWithTheFirst) {
  C3dTexture* first = AddDocumentTexture("Pond", 11);
  C3dTexture* second = AddDocumentTexture("Pond", 12);
  C3dTexture* other = AddDocumentTexture("Lake", 12);
  const std::vector<uint8_t> untouched = Record(other);
  OpenQuick(kMarble);
  replies.clear();
  SaveAs("Pond");
  ASSERT_TRUE(replace->IsShown());
  EXPECT_EQ(SendQuick(0, "replace ok", "replace texture"), 26);
  const std::vector<uint8_t> edited = Record(quick->GetTexture());
  EXPECT_EQ(Record(first), edited);
  EXPECT_EQ(Record(second), edited);
  EXPECT_EQ(Record(other), untouched);
  EXPECT_EQ(DocumentTextures().size(), 3u);
  EXPECT_EQ(quick->GetResultHandle(), DocumentTextureSelection(first->GetId()));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(uint32_t(replies[0].word0), DocumentTextureSelection(first->GetId()));
}

// In the full editor's variant the buttons name its canvases, which the quick dialog leaves alone.
TEST_F(QuickLibrary, TheEditorsVariantIsNotTheQuickDialogs) {
  OpenQuick(kMarble);
  ASSERT_EQ(SendQuick(0, "turbulence +"), 26);
  ASSERT_EQ(SendQuick(0, "ok"), 26);
  ASSERT_TRUE(saveNew->IsShown());
  saveNew->Show(1);
  EXPECT_STREQ(Find(*saveNew, "save ok")->GetCanvasName(), "save new texture DTE");
  EXPECT_STREQ(Find(*saveNew, "save cancel")->GetCanvasName(), "save new texture DTE");
  EXPECT_EQ(SendQuick(0, "save ok", "save new texture DTE"), 0);
  EXPECT_EQ(SendQuick(0, "save cancel", "save new texture DTE"), 0);
  EXPECT_TRUE(saveNew->IsShown());
  ASSERT_EQ(replace->BuildOnce(), 0);
  replace->Show(1);
  EXPECT_STREQ(Find(*replace, "replace ok")->GetCanvasName(), "replace texture DTE");
  replace->Refresh(false);
  EXPECT_EQ(SendQuick(0, "replace ok", "replace texture DTE"), 0);
  EXPECT_TRUE(replace->IsShown());
  replace->Close();
  saveNew->Close();
}

TEST_F(QuickLibrary, TheNameFieldTakesSixtyFourCharactersAndNoNameChangesNothing) {
  ASSERT_EQ(saveNew->BuildOnce(), 0);
  CTextEdit* field = saveNew->GetNameField();
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->GetMaxLength(), 64u);
  saveNew->SetName("Kept");
  EXPECT_EQ(saveNew->SetName(nullptr), 0);
  EXPECT_EQ(saveNew->GetName(), "Kept");
}

// A save dialog whose name field cannot be made fails its build with 9, and builds again when next
// needed.
TEST_F(QuickLibrary, ASaveDialogWithoutItsFieldFailsItsBuild) {
  const std::string sources = QUARN2_LAYOUT_SOURCES;
  std::ifstream in(sources + "/edit3dtexture.layout");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  text = std::regex_replace(text, std::regex(" pictures/"), " " + sources + "/pictures/");
  text = std::regex_replace(text, std::regex("coel \"save text edit\""), "coel \"no field\"");
  std::ofstream(folder + "/copy.layout") << text;
  const std::string dat = folder + "/copy.dat";
  ASSERT_EQ(std::system((std::string(RESBUILD_PATH) + " " + folder + "/copy.layout " + dat + " > /dev/null").c_str()), 0);
  CFileSpec spec;
  spec.Set(dat.c_str());
  CResourceEnv copy(spec, CFile::kModeRead);
  ASSERT_TRUE(copy.IsOpen());
  CSaveNewTexture broken(owner, &copy);
  EXPECT_EQ(broken.BuildOnce(), 9);
  EXPECT_EQ(broken.GetNameField(), nullptr);
  EXPECT_EQ(broken.BuildOnce(), 9);
  EXPECT_EQ(broken.GetBuildCount(), 2u);
}

// Stored names are Mac OS Roman; the dialog and its save field show them in Windows-1252.
TEST_F(QuickLibrary, NamesMeetTheInterfaceInItsCharacterSet) {
  C3dTexture* cafe = AddDocumentTexture("Caf\x8E");
  OpenQuick(DocumentTextureSelection(cafe->GetId()));
  EXPECT_EQ(ShownName(), "Caf\xE9");
  EXPECT_STREQ(quick->GetCurrentName(), "Caf\x8E");
  ASSERT_EQ(SendQuick(0, "turbulence +"), 26);
  ASSERT_EQ(SendQuick(0, "ok"), 26);
  EXPECT_EQ(saveNew->GetName(), "Caf\xE9");
  EXPECT_EQ(SendQuick(0, "save ok", "save new texture"), 26);
  EXPECT_TRUE(replace->IsShown()) << "the typed name finds the stored one";
  EXPECT_EQ(SendQuick(0, "replace cancel", "replace texture"), 26);
  saveNew->SetName("Fa\xE7" "ade");
  EXPECT_EQ(SendQuick(0, "save ok", "save new texture"), 26);
  ASSERT_EQ(Named("Fa\x8D" "ade").size(), 1u);
}

}  // namespace
