// The 3D texture editor's build from its layout, its menus, and its opening on a texture: which
// texture becomes the working copy, under which name and reference.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>

#include "framework/core/cm_function.h"
#include "framework/core/random.h"
#include "tests/editors/material/dt_editor_fixture.h"

namespace {

using namespace need;

class DTEditorOpen : public DTEditorTest {
 protected:
  // The rows of the texture menu: text and command.
  std::vector<std::pair<std::string, uint32_t>> Rows() {
    std::vector<std::pair<std::string, uint32_t>> rows;
    CMenu* menu = editor->GetTextureMenu();
    CHolder held(menu, false, false);
    for (uint32_t i = 0; held.IsLocked() && i < menu->GetCount(); ++i) {
      EXPECT_EQ((*menu)[i].flags, CMenu::kItemCheckable) << (*menu)[i].text;
      rows.emplace_back((*menu)[i].text, (*menu)[i].command);
    }
    return rows;
  }
  uint32_t HeartbeatRows() {
    CCmFunction* beats = app->GetHeartbeat();
    uint32_t rows = 0;
    for (uint32_t i = 0; beats && i < beats->GetCount(); ++i) rows += (*beats)[i].owner == editor.get();
    return rows;
  }
  // A copy of the editor's layout with the edit made, compiled with the sources' pictures and menus.
  CResourceEnv* LayoutCopy(const std::function<std::string(const std::string&)>& edit) {
    const std::string sources = QUARN2_LAYOUT_SOURCES;
    std::ifstream in(sources + "/DTEditors.layout");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text = std::regex_replace(text, std::regex(" pictures/"), " " + sources + "/pictures/");
    std::ofstream(folder + "/copy.layout") << edit(text);
    std::ofstream manifest(folder + "/copy.manifest");
    manifest << "layout " << folder << "/copy.layout\n";
    for (const char* menu : {"0 dt-preview", "2 dt-output", "3 dt-operation", "4 dt-filter", "5 dt-colormap"}) {
      const std::string line = menu;
      manifest << "menu " << line.substr(0, 1) << " - " << sources << "/" << line.substr(2) << ".menu\n";
    }
    manifest.close();
    const std::string dat = folder + "/copy.dat";
    const std::string command = std::string(RESBUILD_PATH) + " " + folder + "/copy.manifest " + dat + " > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    CFileSpec spec;
    spec.Set(dat.c_str());
    files.push_back(std::make_unique<CResourceEnv>(spec, CFile::kModeRead));
    EXPECT_TRUE(files.back()->IsOpen());
    return files.back().get();
  }
};

TEST_F(DTEditorOpen, TheBuildFindsEveryElementOfItsClassAndLoadsTheMenus) {
  ASSERT_EQ(editor->BuildOnce(), 0);
  for (int p = 0; p < 3; ++p) {
    ASSERT_NE(editor->GetPanel(p), nullptr) << p;
    for (uint32_t c = 0; c < kDTPanelChildCount; ++c) {
      CImElement* child = Child(p, c);
      ASSERT_NE(child, nullptr) << kDTPanelChildren[c].name;
      EXPECT_EQ(dynamic_cast<CTxElement*>(child) != nullptr, kDTPanelChildren[c].kind == SLayoutNeed::kTextElement)
          << kDTPanelChildren[c].name;
    }
    for (uint32_t m = 0; m < kDTMenuMarkerCount; ++m)
      EXPECT_EQ(editor->GetMenuMarker(p, m) != nullptr, p > 0) << p << " " << m;
  }
  for (uint32_t g = 0; g < kDTGlobalCount; ++g) EXPECT_NE(Global(g), nullptr) << kDTGlobals[g].name;
  // Panels B and C show their filter label from their own picture sets.
  EXPECT_EQ(Set(Child(0, kDTFilterText)), 0u);
  EXPECT_EQ(Set(Child(1, kDTFilterText)), 1u);
  EXPECT_EQ(Set(Child(2, kDTFilterText)), 2u);

  CMenu* textures = editor->GetTextureMenu();
  ASSERT_NE(textures, nullptr);
  EXPECT_EQ(textures->GetMenuId(), 500u);
  EXPECT_TRUE(textures->GetMenuFlags() & CMenu::kMenuPopUp);
  const uint32_t rows[CDTEditor::kChoiceCount] = {3, 8, 19, 14, 17};
  for (int kind = 0; kind < CDTEditor::kChoiceCount; ++kind) {
    CMenu* menu = editor->GetChoiceMenu(kind);
    ASSERT_NE(menu, nullptr) << kind;
    EXPECT_EQ(menu->GetCount(), rows[kind]) << kind;
    EXPECT_TRUE(menu->GetMenuFlags() & CMenu::kMenuPopUp) << kind;
  }
}

// An element missing from the layout, or of the other class, fails the build with the look-up's code
// and leaves the editor unbuilt; the opener gives up.
TEST_F(DTEditorOpen, AMissingOrMistypedElementFailsTheBuild) {
  struct SCase {
    const char* from;  // a pattern of the layout's text
    const char* to;
    int32_t code;
  } cases[] = {
      {"imel compGFilterType \\{", "imel compGFilterKind {", 6},
      // A value field that is a plain picture, and a button that is a text element.
      {"txel cVal \\{\\s+(rect [0-9 ]+)[^}]*\\}", "imel cVal {\n$1\nshown\n}", 14},
      {"imel copy \\{", "txel copy {", 14},
  };
  for (const SCase& c : cases) {
    CResourceEnv* copy = LayoutCopy([&](const std::string& text) {
      return std::regex_replace(text, std::regex(c.from), c.to, std::regex_constants::format_first_only);
    });
    CDTEditor broken(owner, copy);
    EXPECT_EQ(broken.BuildOnce(), c.code) << c.to;
    EXPECT_FALSE(broken.IsBuilt()) << c.to;
    EXPECT_EQ(broken.GetTextureMenu(), nullptr) << c.to;
  }
}

TEST_F(DTEditorOpen, ATextElementIsNoPictureElementForTheLookUps) {
  ASSERT_EQ(editor->BuildOnce(), 0);
  CImElement* image = reinterpret_cast<CImElement*>(1);
  EXPECT_EQ(CDTEditor::FindImElement(editor->GetPanel(1), "aVal", &image), 14);
  EXPECT_EQ(image, nullptr);
  CTxElement* text = reinterpret_cast<CTxElement*>(1);
  EXPECT_EQ(CDTEditor::FindTxElement(editor->GetPanel(1), "copy", &text), 14);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(CDTEditor::FindTxElement(editor->GetPanel(1), "aVal", &text), 0);
  EXPECT_EQ(text, Field(1, kDTAVal));
  EXPECT_EQ(CDTEditor::FindImElement(editor->GetPanel(1), "no such", &image), 6);
}

TEST_F(DTEditorOpen, TheTextureMenuListsTheLibraryThenTheDocumentButItsClouds) {
  C3dTexture* pond = AddDocumentTexture("Pond");
  AddDocumentTexture("low cloud texture");
  AddDocumentTexture("high cloud texture");
  Open();
  const auto rows = Rows();
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::pair<std::string, uint32_t>{"Stratus", 1}));
  EXPECT_EQ(rows[1], (std::pair<std::string, uint32_t>{"Cumulus", 2}));
  EXPECT_EQ(rows.back(), (std::pair<std::string, uint32_t>{"Pond", DocumentTextureSelection(pond->GetId())}));
  for (size_t r = 2; r + 1 < rows.size(); ++r) EXPECT_EQ(rows[r].second, r + 1) << rows[r].first;
}

// The composer's opening: a document texture is edited as a copy of its own, under its name and its
// handle; a library texture is found by its stored name.
TEST_F(DTEditorOpen, OpeningOnATextureEditsACopyUnderItsNameAndHandle) {
  C3dTexture* rust = AddDocumentTexture("Rust", kCumulus);
  ASSERT_EQ(editor->BuildOnce(), 0);
  ASSERT_EQ(editor->SetTarget("materials composer", nullptr, 2), 0);
  ASSERT_EQ(editor->SetTextureSource(library, 0), 0);
  ASSERT_EQ(editor->OpenTexture(rust), 0);
  C3dTexture* working = editor->GetWorkingTexture();
  ASSERT_NE(working, nullptr);
  EXPECT_NE(working, rust);
  {
    CHolder a(working, false, false), b(rust, false, false);
    EXPECT_EQ(std::memcmp(working->GetData(), rust->GetData(), C3dTexture::kRecordSize), 0);
  }
  EXPECT_STREQ(editor->GetTextureName(), "Rust");
  EXPECT_EQ(editor->GetCurrentTextureRef(), 0x80000000u | rust->GetId());

  CBaseTexture* cumulus = nullptr;
  ASSERT_EQ(ResolveTextureSelection(kCumulus, library, nullptr, &cumulus), 0);
  ASSERT_EQ(editor->OpenTexture(static_cast<C3dTexture*>(cumulus)), 0);
  CBaseTexture::ReleaseUse(cumulus);
  EXPECT_EQ(editor->GetCurrentTextureRef(), kCumulus);
  EXPECT_STREQ(editor->GetTextureName(), "Cumulus");
  // No texture leaves the working one.
  ASSERT_EQ(editor->OpenTexture(nullptr), 0);
  EXPECT_STREQ(editor->GetTextureName(), "Cumulus");
}

TEST_F(DTEditorOpen, TheSelectionOpensALibraryTextureOrTheMaterialsFirstTexture) {
  Open(kCumulus);
  EXPECT_STREQ(editor->GetTextureName(), "Cumulus");
  EXPECT_EQ(editor->GetCurrentTextureRef(), kCumulus);
  const STextureData cumulus = Data();

  // Selection 0 with a working texture: the first procedural texture of the material for new objects.
  C3dTexture* rust = AddDocumentTexture("Rust", kStratus);
  GiveDefaultMaterial(rust, 2);
  ASSERT_EQ(editor->SetTextureSource(library, 0), 0);
  EXPECT_STREQ(editor->GetTextureName(), "Rust");
  EXPECT_NE(editor->GetWorkingTexture(), rust);
  const STextureData rustCopy = Data();
  EXPECT_NE(std::memcmp(&cumulus, &rustCopy, sizeof cumulus), 0);

  // With no texture there the working texture stays.
  GiveDefaultMaterial(nullptr, 2);
  C3dTexture* before = editor->GetWorkingTexture();
  ASSERT_EQ(editor->SetTextureSource(library, 0), 0);
  EXPECT_EQ(editor->GetWorkingTexture(), before);
  // A texture that is gone keeps it too, and restarts the previews.
  editor->GetPreview(3)->SetUserWord(CDTEditor::kBlockWord, 0);
  ASSERT_EQ(editor->SelectTexture(DocumentTextureSelection(9999)), 0);
  EXPECT_EQ(editor->GetWorkingTexture(), before);
  EXPECT_EQ(Progress(3), (std::pair<uint32_t, uint32_t>{4, 0}));
}

// Without a working texture a random row is chosen, the first row too; an empty menu chooses nothing.
TEST_F(DTEditorOpen, TheRandomChoiceLiesInTheMenuAndAnEmptyMenuChoosesNothing) {
  ASSERT_EQ(editor->BuildOnce(), 0);
  ASSERT_EQ(editor->SetTextureSource(dialogs, 0), 0);
  EXPECT_EQ(editor->GetWorkingTexture(), nullptr);
  EXPECT_EQ(editor->GetCurrentTextureRef(), 0u);

  // A generator state whose next draw falls in the first sixteenth picks the first row of the library's
  // and the document's.
  AddDocumentTexture("Pond");
  for (uint32_t seed = 1;; ++seed) {
    ASSERT_LT(seed, 1000u);
    GetRandomState() = SRandomState{seed * 7919u, seed % 64, (seed * 5) % 64};
    SRandomState probe = GetRandomState();
    if (NextRandomUnit(probe) < 1.0 / 16) break;
  }
  ASSERT_EQ(editor->SetTextureSource(library, 0), 0);
  EXPECT_EQ(editor->GetCurrentTextureRef(), kStratus);
  EXPECT_STREQ(editor->GetTextureName(), "Stratus");
}

TEST_F(DTEditorOpen, OpeningAgainKeepsOneHeartbeatRow) {
  for (int i = 0; i < 3; ++i) Open();
  EXPECT_EQ(HeartbeatRows(), 1u);
  EXPECT_TRUE(editor->AreControlsBound());
}

}  // namespace
