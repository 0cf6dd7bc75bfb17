// A menu of the program: a pageable table of 40-byte rows, the platform pop-up menu built from them
// (identifiers are row positions plus one), and a scrolling menu that mirrors them when the menu is a
// pop-up menu shown as the program's own pop-up. Menus are read from "menu" resources or filled row
// by row; their owners decide what the command words mean.
//
// The stored "menu" resource: an 80-byte big-endian header {record size 40, capacity, growth step,
// count, 16 reserved bytes, title (32 bytes), menu id, menu flags, word A, word B} and the rows, each
// with its item flags and command big-endian. Texts are Mac OS Roman, converted to Windows-1252 where
// they meet the platform.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/spool_table.h"
#include "framework/ui/geometry.h"
#include "framework/ui/scrolling_menu.h"
#include "platform/window.h"

class CResourceEnv;

struct CMenuItem {
  static constexpr uint32_t kTextBytes = 32;

  char text[kTextBytes];  // at most 31 characters, Mac OS Roman
  uint8_t alternateKey;
  uint8_t key;
  uint16_t flags;
  uint32_t command;
};
static_assert(sizeof(CMenuItem) == 40);

class CMenu : public CSpoolDynTable<CMenuItem> {
 public:
  static constexpr const char* kResourceType = "menu";
  static constexpr uint32_t kHeaderBytes = 80;
  static constexpr uint32_t kTitleBytes = 32;
  enum EHeaderOffset : uint32_t {
    kHeaderRecordSize = 0,
    kHeaderCapacity = 4,
    kHeaderGrowth = 8,
    kHeaderCount = 12,
    kHeaderReserved = 16,
    kHeaderTitle = 32,
    kHeaderMenuId = 64,
    kHeaderFlags = 68,
    kHeaderWordA = 72,
    kHeaderWordB = 76,
  };
  // Item flags.
  enum : uint16_t {
    kItemSeparator = 0x0001,
    kItemDisabled = 0x0002,
    kItemCheckable = 0x0004,
    kItemHasKey = 0x0010,
    kItemCtrl = 0x0020,
    kItemAlt = 0x0040,
    kItemAlt2 = 0x0080,
    kItemShift = 0x0100,
    kItemModifiers = 0x01E0,
  };
  // Menu flags.
  enum : uint32_t { kMenuPopUp = 0x1, kMenuIndependentChecks = 0x4 };
  // SelectItemAt's pop-up.
  static constexpr int32_t kPopUpWidth = 200;

  // An empty menu with the layout's growth step. A scrolling menu that could not prepare itself makes
  // the table unusable.
  explicit CMenu(const SDynTableLayout& layout);
  ~CMenu() override;

  // The layout of a table of 40-byte rows in the environment, with its capacity and growth step.
  static void MakeLayout(SDynTableLayout& layout, CSpoolSys* environment, uint32_t capacity, uint32_t growth);
  // The record handler: rows converted around paging, the 80-byte header read and written.
  static uint32_t HandleSpoolMessage(CSpoolMem* menu, uint32_t message, void* data);
  // A menu read from the resource that `spec` keys, then moved into the application's working
  // environment: 15 for an environment that is not open, 14 for one that is no resource environment,
  // 16 for one that pages in another pool than the application's, 9, 13, or the failing step's code.
  // On failure *menu is none.
  static int32_t Create(CMenu** menu, const SDynTableLayout& layout, const SSpoolTableSpec& spec);
  // Creates the menu of that number, builds its platform menu and, unless it is a pop-up menu, adds
  // it to the window's menu bar under its title: 0, or the failing step's code with *menu none.
  static int32_t Load(CResourceEnv* environment, uint32_t number, CMenu** menu, platform::WindowHandle window);

  // The platform menu made anew from the rows (the scrolling menu too, for a pop-up menu): 0, 9 when
  // the platform menu cannot be made, the table's code when it cannot be locked, or 1 when the
  // scrolling menu refused a row.
  int32_t BuildPopupMenu();
  int32_t InsertPlatformItem(const CMenuItem& row, uint32_t index);
  int32_t AttachToMenuBar(platform::WindowHandle window);
  // Appends a row and its platform item; true when both went in.
  bool AppendItem(const CMenuItem& row);
  // Empties the rows and the scrolling menu; the platform menu stays until the next build.
  void ClearItems();
  static const char* GetItemText(const CMenuItem& row) { return row.text; }

  // Queries; each answers 0 or false when the table cannot be locked or the index is outside it.
  uint32_t FindItemIndex(uint32_t command);                // 1-based
  uint32_t GetItemCommand(uint32_t index);                 // 0-based
  bool GetItemData(uint32_t* command, uint32_t index);     // 1-based
  uint32_t FindCommandByText(const char* text);
  // The command of the first enabled row with an accelerator whose key (or its upper case, or its
  // alternate key) is the key and whose modifier bits are exactly those held; never without one.
  bool FindByAccelerator(uint32_t key, uint32_t* command, uint32_t unused, bool alt, bool shift, bool ctrl);
  bool SetCurrentByCommand(uint32_t command);

  // Every row with the command; on a pop-up menu the scrolling menu's rows follow.
  void EnableItem(uint32_t command, bool enable);
  // Ticks row index (1-based) of a checkable row and, unless the checks are independent, clears the
  // other rows' ticks when checking; *command receives the row's command.
  bool CheckItem(uint32_t index, bool check, uint32_t* command, bool alsoScrolling);
  // Shows the menu as the program's pop-up at the screen point and reports the choice: the row
  // (1-based) in *index, made the current item; in *result the row's command with the ticks following
  // the choice, or, for a hierarchical menu, the CScrollingMenu* in which the row was chosen.
  bool SelectItemAt(SPointHV screenPoint, platform::WindowHandle window, uintptr_t* result, uint32_t* index);

  platform::MenuHandle GetPlatformMenu() const { return fPlatformMenu; }
  CScrollingMenu* GetScrollingMenu() { return &fScrollingMenu; }
  bool IsUsable() const { return IsValid() && fScrollingMenu.IsPrepared(); }
  bool IsHierarchical() const { return fHierarchical != 0; }
  void SetHierarchical(bool hierarchical) { fHierarchical = hierarchical ? 1 : 0; }
  const char* GetTitle() const { return fTitle; }
  void SetTitle(const char* title);
  uint32_t GetMenuId() const { return fMenuId; }
  void SetMenuId(uint32_t id) { fMenuId = id; }
  uint32_t GetMenuFlags() const { return fMenuFlags; }
  void SetMenuFlags(uint32_t flags) { fMenuFlags = flags; }
  uint32_t GetWordA() const { return fWordA; }
  uint32_t GetWordB() const { return fWordB; }
  void SetWords(uint32_t a, uint32_t b) {
    fWordA = a;
    fWordB = b;
  }
  uint32_t GetCurrentItem() const { return fCurrentItem; }

 private:
  bool IsPopUp() const { return (fMenuFlags & kMenuPopUp) != 0; }
  // Reads the stored header; false with error 16 for a record size other than 40, a count above the
  // capacity or rows past the stored data.
  bool ReadHeader(const uint8_t* header, uint32_t size);

  platform::MenuHandle fPlatformMenu = nullptr;
  CScrollingMenu fScrollingMenu;
  uint8_t fHierarchical = 0;
  char fTitle[kTitleBytes] = {};
  uint32_t fMenuId = 0;
  uint32_t fMenuFlags = 0;
  uint32_t fWordA = 0;
  uint32_t fWordB = 0xFFFFFFFF;
  uint32_t fCurrentItem = 0;
};

// The platform text of a row: the text, then with an accelerator a blank, a tab, the modifiers and the
// key in upper case; converted to Windows-1252.
std::string FormatMenuItemText(const CMenuItem& row);
