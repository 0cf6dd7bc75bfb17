// Every name the shell and its dialogs look up, as declared in their layout_needs.cpp, is in the
// compiled files of data/ and of the kind the code relies on.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/layout_needs.h"
#include "document/layout_needs.h"
#include "editing/layout_needs.h"
#include "editors/material/layout_needs.h"
#include "editors/terrain/layout_needs.h"
#include "framework/core/file.h"
#include "framework/core/ix_text.h"
#include "framework/core/resource_env.h"
#include "framework/core/spool_key.h"
#include "framework/image/ix_image.h"
#include "framework/ui/co_element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "presets/layout_needs.h"
#include "tests/app/doc_window_fixture.h"

namespace {

// A canvas built from the layout of its name, as the program builds its palettes and dialogs.
class CProbeCanvas : public CUIHostCanvas {
 public:
  CProbeCanvas(CUICmFunction* owner, CResourceEnv* environment, const char* name)
      : CUIHostCanvas(owner, environment, kDialogStyle), fName(name) {}
  int32_t BuildControls(CResourceEnv* environment) override { return Create(environment, fName); }

 private:
  const char* fName;
};

CElement* FindInTree(CElement* parent, const std::string& name) {
  CElSystem* children = parent ? parent->GetChildren() : nullptr;
  CElement* child = nullptr;
  for (uint32_t i = 0; children && CElSystem::GetElementAt(children, i, &child) == 0 && child; ++i) {
    if (child->GetName() && name == child->GetName()) return child;
    if (CElement* found = FindInTree(child, name)) return found;
  }
  return nullptr;
}

bool IsOfKind(CElement* element, SLayoutNeed::EElementKind kind) {
  switch (kind) {
    case SLayoutNeed::kAnyElement: return true;
    case SLayoutNeed::kCompositeElement: return dynamic_cast<CCoElement*>(element) != nullptr;
    case SLayoutNeed::kImageElement: return dynamic_cast<CImElement*>(element) != nullptr;
    case SLayoutNeed::kTextElement: return dynamic_cast<CTxElement*>(element) != nullptr;
  }
  return false;
}

// Empty when the need is there, else what is wrong.
std::string Missing(const SLayoutNeed& need, CUICmFunction* owner) {
  const std::string file = std::string(QUARN2_DATA_DIR) + "/" + need.file;
  CFileSpec spec;
  if (spec.Set(file.c_str())) return file + ": no such path";
  CResourceEnv env(spec, CFile::kModeRead);
  if (!env.IsOpen()) return file + ": not a resource file";
  switch (need.what) {
    case SLayoutNeed::kFile: return "";
    case SLayoutNeed::kTextList: {
      const std::string name = need.name ? need.name : std::to_string(need.number);
      CIxText list(&env, need.number, need.name, CIxText::kNone);
      CIxTxHolder held(&list, true);
      if (list.GetResult() || !held.IsHeld()) return file + ": no text list \"" + name + "\"";
      if (list.Count() < need.entries) return file + ": list \"" + name + "\" is short";
      return "";
    }
    case SLayoutNeed::kImageList: {
      CIxImage list(&env, need.name, CIxImage::kNone);
      if (list.GetResult()) return file + ": no image list \"" + need.name + "\"";
      if (list.Count() < need.entries) return file + ": image list \"" + need.name + "\" is short";
      for (uint32_t i = 0; i < need.entries; ++i) {
        if (!list.ImageAt(i)) return file + ": image list \"" + need.name + "\" lacks picture " + std::to_string(i);
      }
      return "";
    }
    case SLayoutNeed::kPicture:
    case SLayoutNeed::kMenu: {
      SSpoolKey key;
      if (need.what == SLayoutNeed::kMenu) key.Set("menu", need.number, false);
      else key.SetByName("ImageIV32ARGB", need.name, false);
      CResEntry entry;
      if (!env.GetResourceInfo(key, &entry)) return file + ": no " + key.typeName + " " + std::to_string(need.number);
      return "";
    }
    case SLayoutNeed::kCanvas:
    case SLayoutNeed::kElement: {
      const char* canvas = need.what == SLayoutNeed::kCanvas ? need.name : need.canvas;
      auto probe = std::make_unique<CProbeCanvas>(owner, &env, canvas);
      if (const int32_t err = probe->BuildOnce()) return file + ": canvas \"" + canvas + "\" (code " + std::to_string(err) + ")";
      if (need.what == SLayoutNeed::kCanvas) return "";
      CElement* element = FindInTree(probe->GetRoot(), need.name);
      if (!element) return file + ": no element \"" + need.name + "\" in \"" + canvas + "\"";
      if (!IsOfKind(element, need.kind)) return file + ": \"" + need.name + "\" is of another kind";
      return "";
    }
  }
  return "unknown need";
}

using LayoutNames = SystemDataTest;

TEST_F(LayoutNames, EveryDeclaredNeedIsInTheCompiledFiles) {
  uint32_t checked = 0;
  for (SLayoutNeedTable table : {AppLayoutNeeds(), PanelsLayoutNeeds(), PresetsLayoutNeeds(), TerrainLayoutNeeds(),
                                 MaterialLayoutNeeds(), DocumentLayoutNeeds(), EditingLayoutNeeds()}) {
    for (uint32_t i = 0; i < table.count; ++i) {
      const SLayoutNeed& need = *table.needs[i];
      EXPECT_EQ(Missing(need, owner), "") << need.file << " " << (need.name ? need.name : "") << " " << need.number;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100u);
}

// The document lists say what the code says without them, so a run without data/ behaves alike.
TEST_F(LayoutNames, TheDocumentListsHoldTheBuiltInTexts) {
  struct SCase {
    const SLayoutNeed& list;
    uint32_t index;
    const char* text;
  } cases[] = {
      {need::kGetFileFilter, 0, "Quarn files(*.qnc)"}, {need::kGetFileFilter, 1, "*.qnc"},
      {need::kGetFileFilter, 2, "All Files (*.*)"},    {need::kGetFileFilter, 3, "*.*"},
      {need::kPutFileFilter, 0, "Quarn files(*.qnc)"}, {need::kPutFileFilter, 1, "*.qnc"},
      {need::kProgressResetLoad, 0, "14Preparing Objects"}, {need::kProgressReplicate, 0, "14Replicating Objects"},
      {need::kPluginText, 0, "All formats"},           {need::kPluginText, 5, "Rendering image as "},
      {need::kPluginText, 6, "Render to Disk"},        {need::kPluginText, 7, "%ld%% complete (row:%ld, col:%ld)"},
      {need::kPluginText, 8, "Importing from "},       {need::kPluginText, 9, "Import object"},
  };
  for (const SCase& c : cases) {
    CIxTextRef text;
    text.Attach("(built in)", c.index, c.list.name);
    EXPECT_STREQ(text.Text(), c.text) << c.list.name << " " << c.index;
  }
}

// The check bites: a name, a kind, a list length and a menu that the files do not hold.
TEST_F(LayoutNames, ANeedThatIsMissingOrOfAnotherKindIsFound) {
  const SLayoutNeed needs[] = {
      {SLayoutNeed::kFile, "nosuch.dat", "nosuch.dat"},
      {SLayoutNeed::kCanvas, "docwindow.dat", "no such canvas"},
      {SLayoutNeed::kElement, "docwindow.dat", "no such element", 0, "doc window"},
      {SLayoutNeed::kElement, "docwindow.dat", "doc image", 0, "doc window", SLayoutNeed::kTextElement},
      {SLayoutNeed::kTextList, "docwindow.dat", "doc text", 0, nullptr, SLayoutNeed::kAnyElement, 5},
      {SLayoutNeed::kMenu, "menus.dat", nullptr, 6},
      {SLayoutNeed::kPicture, "splashscreen.dat", "no such picture"},
      {SLayoutNeed::kTextList, "docwindow.dat", nullptr, 99, nullptr, SLayoutNeed::kAnyElement, 1},
      {SLayoutNeed::kImageList, "docwindow.dat", "patch render", 0, nullptr, SLayoutNeed::kAnyElement, 4},
      {SLayoutNeed::kImageList, "docwindow.dat", "no such list"},
  };
  for (const SLayoutNeed& need : needs) EXPECT_NE(Missing(need, owner), "") << need.name;
}

}  // namespace
