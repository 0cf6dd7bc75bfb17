// The menu bar: the menus of the main window's bar, which turn menu picks and accelerator keys into
// command codes (each row's data word is its code).
#pragma once

#include <cstdint>

#include "framework/core/dyn_table.h"
#include "platform/window.h"

class CMenu;
class CResourceEnv;

class CMenuBar {
 public:
  static constexpr int32_t kGrowth = 32;

  CMenuBar();
  ~CMenuBar();
  CMenuBar(const CMenuBar&) = delete;
  CMenuBar& operator=(const CMenuBar&) = delete;

  // Loads menu number from the environment into the window's bar and appends it: 0, the loader's
  // code, or 9 when the table cannot grow (the menu is deleted again).
  int32_t AddMenu(CResourceEnv* environment, uint32_t number, platform::WindowHandle window);
  void DeleteAllMenus();

  uint32_t GetCount() const { return fMenus.GetCount(); }
  CMenu* GetMenu(uint32_t index) const { return index < fMenus.GetCount() ? fMenus[index] : nullptr; }
  // The data word of item (1-based) of the menu whose platform menu is menu: false when no menu has
  // that handle or the item has none.
  bool GetItemData(uint32_t* code, platform::MenuHandle menu, uint32_t item);
  // The first menu in order with an enabled row for the key and exactly these modifiers (the command
  // modifier is Control).
  bool FindByAccelerator(uint32_t key, uint32_t* code, bool control, bool alt, bool shift, bool command);
  // Every row with the code, in every menu.
  void EnableItem(uint32_t code, bool enabled);

 private:
  CDynTable<CMenu*> fMenus{SRange{0, kGrowth}};
};
