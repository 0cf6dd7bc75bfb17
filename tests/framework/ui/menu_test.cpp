// Menus: item texts and accelerators, ticks and greying, the platform menu and its pop-up mirror,
// and "menu" resources as resbuild writes them.
#include "framework/ui/menu.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/core/byte_reader.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/cm_file.h"
#include "framework/core/mem_pool.h"
#include "platform/menu.h"
#include "tests/framework/core/resource_fixture.h"
#include "tools/res_compiler.h"

namespace {

CMenuItem Row(const char* text, uint16_t flags, uint32_t command, uint8_t key = 0, uint8_t alternate = 0) {
  CMenuItem row{};
  std::strncpy(row.text, text, sizeof row.text - 1);
  row.flags = flags;
  row.command = command;
  row.key = key;
  row.alternateKey = alternate;
  return row;
}

class MenuTest : public ResourceTest {
 protected:
  // An empty menu in the data environment, flags set, filled with the rows and built.
  std::unique_ptr<CMenu> Menu(uint32_t flags, std::initializer_list<CMenuItem> rows) {
    SDynTableLayout layout;
    CMenu::MakeLayout(layout, DataEnv(), 0, 4);
    auto menu = std::make_unique<CMenu>(layout);
    EXPECT_TRUE(menu->IsUsable());
    menu->SetMenuFlags(flags);
    for (const CMenuItem& row : rows) EXPECT_TRUE(menu->Append(&row));
    EXPECT_EQ(menu->BuildPopupMenu(), 0);
    return menu;
  }
  static uint32_t PlatformState(const CMenu& menu, uint32_t identifier) {
    return platform::GetMenuState(menu.GetPlatformMenu(), identifier, platform::kMfByCommand);
  }
  static std::string PlatformText(const CMenu& menu, uint32_t position) {
    return platform::GetMenuString(menu.GetPlatformMenu(), position, platform::kMfByPosition);
  }
  static bool ScrollingCheck(CMenu& menu, uint32_t identifier) {
    bool checked = false;
    EXPECT_TRUE(menu.GetScrollingMenu()->CheckState(CScrollingMenu::kReadCheck, identifier, &checked));
    return checked;
  }
};

TEST(MenuItemText, ModifiersKeysAndCharacterSet) {
  struct SCase {
    const char* text;
    uint16_t flags;
    uint8_t key;
    const char* shown;
  } cases[] = {
      {"Open", 0x0010 | 0x0020 | 0x0100, 'o', "Open \tCtrl+Shift+O"},
      {"Open", 0x0010 | 0x0040 | 0x0080, 'o', "Open \tAlt+Alt+O"},
      {"Open", 0x0020, 'o', "Open"},  // modifiers count only with an accelerator
      {"Quit", 0x0010 | 0x0020, 'Q', "Quit \tCtrl+Q"},
      {"\x8E A", 0, 0, "\xE9 A"},
  };
  for (const SCase& c : cases) EXPECT_EQ(FormatMenuItemText(Row(c.text, c.flags, 0, c.key)), c.shown) << c.shown;
  // A text that fills its field to the last byte is read no further.
  CMenuItem full = Row("", 0, 0);
  std::memset(full.text, 'x', sizeof full.text);
  EXPECT_EQ(FormatMenuItemText(full), std::string(32, 'x'));
}

TEST_F(MenuTest, AcceleratorsNeedTheirExactModifiers) {
  auto menu = Menu(0, {Row("Open", 0x0010 | 0x0020 | 0x0100, 1, 'o'), Row("Save", 0x0010 | 0x0020, 2, 'O'),
                       Row("Other", 0x0010 | 0x0020, 3, 'O', 'o'), Row("Grey", 0x0010 | 0x0020 | 0x0002, 4, 'g'),
                       Row("Plain", 0x0020, 5, 'p'), Row("Fourth", 0x0010 | 0x0020 | 0x0080, 6, 'f'),
                       Row("Alt", 0x0010 | 0x0040, 7, 'a')});
  struct SCase {
    uint32_t key;
    bool alt, shift, ctrl;
    uint32_t command;  // 0: none found
  } cases[] = {
      {'O', false, true, true, 1},   // the row's key in upper case
      {'o', false, true, true, 1},
      {'o', false, false, true, 3},  // not Save's 'O', but Other's alternate
      {'O', false, false, true, 2},
      {'o', false, false, false, 0},  // no modifier, no accelerator
      {'g', false, false, true, 0},   // disabled
      {'p', false, false, true, 0},   // no accelerator bit
      {'f', false, false, true, 0},   // the fourth modifier bit never matches
      {'a', true, false, false, 7},
      {'a', true, false, true, 0},
      {0x16F, false, true, true, 0},
  };
  for (const SCase& c : cases) {
    uint32_t command = 0;
    EXPECT_EQ(menu->FindByAccelerator(c.key, &command, 0, c.alt, c.shift, c.ctrl), c.command != 0) << c.key;
    EXPECT_EQ(command, c.command) << c.key;
  }
}

TEST_F(MenuTest, CheckingARowClearsTheOthersUnlessChecksAreIndependent) {
  for (uint32_t flags : {0u, uint32_t(CMenu::kMenuIndependentChecks)}) {
    auto menu = Menu(flags | CMenu::kMenuPopUp, {Row("a", 4, 10), Row("b", 4, 20), Row("c", 4, 30), Row("d", 0, 40)});
    for (uint32_t id : {1u, 2u, 4u}) platform::CheckMenuItem(menu->GetPlatformMenu(), id, platform::kMfChecked);
    uint32_t command = 0;
    EXPECT_TRUE(menu->CheckItem(3, true, &command, true));
    EXPECT_EQ(command, 30u);
    EXPECT_EQ(PlatformState(*menu, 3), uint32_t(platform::kMfChecked));
    EXPECT_TRUE(ScrollingCheck(*menu, 3));
    const uint32_t kept = flags ? uint32_t(platform::kMfChecked) : 0u;
    for (uint32_t id : {1u, 2u, 4u}) EXPECT_EQ(PlatformState(*menu, id), kept) << flags << " " << id;
    // A row that cannot be ticked gives its command and keeps its tick as it is.
    EXPECT_TRUE(menu->CheckItem(4, false, &command, false));
    EXPECT_EQ(command, 40u);
    EXPECT_EQ(PlatformState(*menu, 4), kept);
  }
}

TEST_F(MenuTest, EnablingActsOnEveryRowOfTheCommandAndOnThePopUpMirror) {
  auto menu = Menu(CMenu::kMenuPopUp, {Row("a", 0, FourCC("copy")), Row("b", 0, FourCC("cut ")), Row("c", 0, FourCC("copy"))});
  menu->EnableItem(FourCC("copy"), false);
  EXPECT_EQ(PlatformState(*menu, 1), uint32_t(platform::kMfGrayed));
  EXPECT_EQ(PlatformState(*menu, 2), 0u);
  EXPECT_EQ(PlatformState(*menu, 3), uint32_t(platform::kMfGrayed));
  {
    CHolder holder(menu.get(), false, false);
    EXPECT_TRUE((*menu)[0].flags & CMenu::kItemDisabled);
    EXPECT_TRUE((*menu)[2].flags & CMenu::kItemDisabled);
  }
  menu->EnableItem(FourCC("copy"), true);
  EXPECT_EQ(PlatformState(*menu, 3), 0u);
}

TEST_F(MenuTest, QueriesAnswerTheirEmptyValueOutsideTheTable) {
  auto menu = Menu(0, {Row("New", 0, FourCC("new ")), Row("Open", 0, FourCC("open"))});
  EXPECT_EQ(menu->GetItemCommand(1), uint32_t(FourCC("open")));
  EXPECT_EQ(menu->GetItemCommand(2), 0u);
  uint32_t command = 7;
  EXPECT_TRUE(menu->GetItemData(&command, 1));
  EXPECT_EQ(command, uint32_t(FourCC("new ")));
  EXPECT_FALSE(menu->GetItemData(&command, 0));
  EXPECT_FALSE(menu->GetItemData(&command, 3));
  EXPECT_EQ(menu->FindItemIndex(FourCC("open")), 2u);
  EXPECT_EQ(menu->FindItemIndex(FourCC("none")), 0u);
  EXPECT_EQ(menu->FindCommandByText("Open"), uint32_t(FourCC("open")));
  EXPECT_EQ(menu->FindCommandByText("open"), 0u);
  EXPECT_EQ(menu->FindCommandByText(nullptr), 0u);
  EXPECT_TRUE(menu->SetCurrentByCommand(FourCC("open")));
  EXPECT_EQ(menu->GetCurrentItem(), 2u);
}

TEST_F(MenuTest, APopUpMenuMirrorsItsRowsOnceHoweverOftenItIsBuilt) {
  auto menu = Menu(CMenu::kMenuPopUp, {Row("Cut", 0, 1), Row("", CMenu::kItemSeparator, 0), Row("Paste", 0, 2)});
  ASSERT_EQ(menu->BuildPopupMenu(), 0);
  EXPECT_EQ(menu->GetScrollingMenu()->GetCount(), 3u);
  // The separator is a text item of the platform menu, and a separator line of the pop-up.
  EXPECT_EQ(platform::GetMenuItemCount(menu->GetPlatformMenu()), 3);
  EXPECT_EQ(PlatformState(*menu, 2) & platform::kMfSeparator, 0u);
  EXPECT_TRUE(menu->AppendItem(Row("Copy", 0, 3)));
  EXPECT_EQ(menu->GetScrollingMenu()->GetCount(), 4u);
  EXPECT_EQ(PlatformText(*menu, 3), "Copy");
  menu->ClearItems();
  EXPECT_EQ(menu->GetCount(), 0u);
  EXPECT_EQ(menu->GetScrollingMenu()->GetCount(), 0u);
  // A pop-up menu never goes into a menu bar.
  const platform::MenuHandle bar = platform::GetMenu(app->GetMainWindow());
  const int32_t entries = platform::GetMenuItemCount(bar);
  menu->AttachToMenuBar(app->GetMainWindow());
  EXPECT_EQ(platform::GetMenuItemCount(bar), entries);
  // A menu bar's separator is the platform's.
  auto bar2 = Menu(0, {Row("Cut", 0, 1), Row("", CMenu::kItemSeparator, 0)});
  EXPECT_EQ(platform::GetMenuState(bar2->GetPlatformMenu(), 1, platform::kMfByPosition), uint32_t(platform::kMfSeparator));
  EXPECT_EQ(bar2->GetScrollingMenu()->GetCount(), 0u);
}

// ---- resources

class MenuResourceTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    env = Open("menus.dat");
    ASSERT_TRUE(env->IsOpen());
  }
  void TearDown() override {
    env.reset();
    MenuTest::TearDown();
  }
  void StoreMenu(uint32_t number, const std::string& source) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(CompileSource("menu", source, &bytes, &error)) << error;
    ASSERT_EQ(StoreCompiled(*env, Key("menu", number), "menu", bytes), kNoErr);
  }
  // Writes a word of a stored menu's header, as a damaged file would hold it.
  void PatchHeader(uint32_t number, uint32_t offset, uint32_t value) {
    CResEntry entry{};
    ASSERT_TRUE(env->GetResourceInfo(Key("menu", number), &entry));
    CCmFile* file = env->GetCmFile();
    CMemBlock header(file->GetEntryField(entry.second), GetDefaultPool());
    ASSERT_EQ(file->ReadEntry(entry.second, header), 0);
    StoreBE32(header.GetData() + offset, value);
    ASSERT_EQ(file->WriteEntry(entry.second, header), 0);
  }

  std::unique_ptr<CResourceEnv> env;
};

constexpr const char* kFileMenu =
    "title \"File\"\nid 2\nwords 7 9\ngrowth 3\n"
    "item \"New\" key n ctrl command 'new '\n"
    "item \"Open\" key o ctrl shift command 'open'\n"
    "separator\n"
    "item \"Caf\xC3\xA9\" disabled checkable command 42\n";

TEST_F(MenuResourceTest, LoadGivesTheStoredRowsAndPutsTheMenuIntoTheBar) {
  StoreMenu(2, kFileMenu);
  const platform::MenuHandle bar = platform::GetMenu(app->GetMainWindow());
  ASSERT_NE(bar, nullptr);
  CMenu* loaded = nullptr;
  ASSERT_EQ(CMenu::Load(env.get(), 2, &loaded, app->GetMainWindow()), kNoErr);
  std::unique_ptr<CMenu> menu(loaded);
  EXPECT_STREQ(menu->GetTitle(), "File");
  EXPECT_EQ(menu->GetMenuId(), 2u);
  EXPECT_EQ(menu->GetMenuFlags(), 0u);
  EXPECT_EQ(menu->GetWordA(), 7u);
  EXPECT_EQ(menu->GetWordB(), 9u);
  EXPECT_EQ(menu->GetStep(), 3u);
  ASSERT_EQ(menu->GetCount(), 4u);
  EXPECT_EQ(menu->GetEnvironment(), DataEnv());  // moved into the working environment
  {
    CHolder holder(menu.get(), false, false);
    ASSERT_TRUE(holder.IsLocked());
    EXPECT_EQ((*menu)[1].flags, 0x0130);
    EXPECT_EQ((*menu)[1].command, uint32_t(FourCC("open")));
    EXPECT_EQ((*menu)[1].key, 'o');
    EXPECT_EQ((*menu)[2].flags, CMenu::kItemSeparator);
    EXPECT_STREQ((*menu)[3].text, "Caf\x8E");
  }
  EXPECT_EQ(PlatformText(*menu, 1), "Open \tCtrl+Shift+O");
  EXPECT_EQ(PlatformText(*menu, 3), "Caf\xE9");
  EXPECT_EQ(PlatformState(*menu, 4), uint32_t(platform::kMfGrayed));
  const int32_t last = platform::GetMenuItemCount(bar) - 1;
  EXPECT_EQ(platform::GetSubMenu(bar, last), menu->GetPlatformMenu());
  EXPECT_EQ(platform::GetMenuString(bar, uint32_t(last), platform::kMfByPosition), "File");
}

// The header entry: record size, capacity, growth step, count, 16 bytes left alone, the title and
// the four words, all big-endian.
TEST_F(MenuResourceTest, TheStoredHeader) {
  StoreMenu(2, kFileMenu);
  CResEntry entry{};
  ASSERT_TRUE(env->GetResourceInfo(Key("menu", 2), &entry));
  CCmFile* file = env->GetCmFile();
  ASSERT_EQ(file->GetEntryField(entry.second), CMenu::kHeaderBytes);
  EXPECT_EQ(file->GetEntryField(entry.first), 4u * 40);
  CMemBlock header(CMenu::kHeaderBytes, GetDefaultPool());
  ASSERT_EQ(file->ReadEntry(entry.second, header), 0);
  const uint8_t* h = header.GetData();
  const std::vector<uint8_t> words(h, h + 16);
  EXPECT_EQ(words, (std::vector<uint8_t>{0, 0, 0, 40, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0, 4}));
  EXPECT_EQ(std::vector<uint8_t>(h + 16, h + 32), std::vector<uint8_t>(16, 0));
  EXPECT_STREQ(reinterpret_cast<const char*>(h + 32), "File");
  EXPECT_EQ(std::vector<uint8_t>(h + 64, h + 80),
            (std::vector<uint8_t>{0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0, 9}));
}

TEST_F(MenuResourceTest, DamagedHeadersFailWithSixteenAndLeaveNoMenu) {
  struct SCase {
    uint32_t offset, value;
  } cases[] = {
      {CMenu::kHeaderRecordSize, 36},
      {CMenu::kHeaderCount, 5},      // above the capacity of 4
      {CMenu::kHeaderCapacity, 10},  // with the count: rows past the stored data
  };
  uint32_t number = 10;
  for (const SCase& c : cases) {
    StoreMenu(number, kFileMenu);
    PatchHeader(number, c.offset, c.value);
    if (c.offset == CMenu::kHeaderCapacity) PatchHeader(number, CMenu::kHeaderCount, c.value);
    CMenu* menu = reinterpret_cast<CMenu*>(1);
    EXPECT_EQ(CMenu::Load(env.get(), number, &menu, app->GetMainWindow()), kErrInvalidParameter) << c.offset;
    EXPECT_EQ(menu, nullptr);
    ++number;
  }
  CMenu* menu = nullptr;
  EXPECT_EQ(CMenu::Load(env.get(), 99, &menu, app->GetMainWindow()), kErrObjectNotFound);
}

// An environment whose objects page in a pool of their own.
class ForeignPoolEnv : public CResourceEnv {
 public:
  using CResourceEnv::CResourceEnv;
  CMemPool* GetPool() const override { return GetDefaultPool(); }
};

TEST_F(MenuResourceTest, CreateWantsAnOpenResourceEnvironmentOfTheApplicationsPool) {
  StoreMenu(2, kFileMenu);
  SSpoolKey key = Key("menu", 2);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &CMenu::HandleSpoolMessage);
  auto create = [&](CSpoolSys* environment) {
    SDynTableLayout layout;
    CMenu::MakeLayout(layout, environment, 0, 1);
    CMenu* menu = reinterpret_cast<CMenu*>(1);
    const int32_t err = CMenu::Create(&menu, layout, spec);
    EXPECT_EQ(menu == nullptr, err != kNoErr);
    delete menu;
    return err;
  };
  EXPECT_EQ(create(DataEnv()), kErrUnexpectedType);
  env->Close();
  EXPECT_EQ(create(env.get()), kErrUnexpectedStatus);
  ForeignPoolEnv foreign(Spec("menus.dat"), CFile::kModeRead);
  ASSERT_TRUE(foreign.IsOpen());
  EXPECT_EQ(create(&foreign), kErrInvalidParameter);
  CResourceEnv plain(Spec("menus.dat"), CFile::kModeRead);
  EXPECT_EQ(create(&plain), kNoErr);
}

TEST_F(MenuResourceTest, APopUpResourceStaysOutOfTheBar) {
  StoreMenu(3, "title \"Options\"\nflags pop-up independent-checks\nitem \"A\" command 1\nseparator\n");
  const platform::MenuHandle bar = platform::GetMenu(app->GetMainWindow());
  const int32_t entries = platform::GetMenuItemCount(bar);
  CMenu* loaded = nullptr;
  ASSERT_EQ(CMenu::Load(env.get(), 3, &loaded, app->GetMainWindow()), kNoErr);
  std::unique_ptr<CMenu> menu(loaded);
  EXPECT_EQ(menu->GetMenuFlags(), uint32_t(CMenu::kMenuPopUp | CMenu::kMenuIndependentChecks));
  EXPECT_EQ(platform::GetMenuItemCount(bar), entries);
  EXPECT_EQ(menu->GetScrollingMenu()->GetCount(), 2u);
}

}  // namespace
