// Menus as data: pop-up menus of items by position (a text, an identifier, greyed and checked states,
// separators, sub-menus) and a window's menu bar of pop-up entries. Texts are Windows-1252; the part
// after a tab is the item's accelerator text. The GTK back end shows a window's bar as a GTK menu bar;
// headless, the input script's "menu TITLE ITEM" line chooses an item.
//
// Choosing an item sends kWmMenuSelect (wParam: the identifier in the low word, lParam: the handle of
// the pop-up menu holding the item) and then posts kWmCommand (wParam: the identifier, lParam 0) to
// the window whose menu bar holds the pop-up menu.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window.h"

namespace platform {

enum : uint32_t {
  kMfString = 0x0000,
  kMfEnabled = 0x0000,
  kMfUnchecked = 0x0000,
  kMfByCommand = 0x0000,
  kMfGrayed = 0x0001,
  kMfDisabled = 0x0002,
  kMfChecked = 0x0008,
  kMfPopup = 0x0010,
  kMfHilite = 0x0080,
  kMfByPosition = 0x0400,
  kMfSeparator = 0x0800,
};
// What EnableMenuItem, CheckMenuItem and GetMenuState answer for an item that is not there.
inline constexpr uint32_t kNoMenuItem = 0xFFFFFFFF;

MenuHandle CreatePopupMenu();
bool IsMenu(MenuHandle menu);
// A kMfPopup item carries the sub-menu in idOrSubMenu; a separator has no text.
bool AppendMenu(MenuHandle menu, uint32_t flags, uintptr_t idOrSubMenu, const std::string& text);
// item is a position with kMfByPosition, else an identifier (the first item that has it, sub-menus
// searched too). The answers are the item's previous state.
uint32_t EnableMenuItem(MenuHandle menu, uint32_t item, uint32_t flags);
uint32_t CheckMenuItem(MenuHandle menu, uint32_t item, uint32_t flags);
uint32_t GetMenuState(MenuHandle menu, uint32_t item, uint32_t flags);
std::string GetMenuString(MenuHandle menu, uint32_t item, uint32_t flags);
int32_t GetMenuItemCount(MenuHandle menu);  // -1 for no menu
uint32_t GetMenuItemID(MenuHandle menu, int32_t position);
MenuHandle GetSubMenu(MenuHandle menu, int32_t position);

// The window's menu bar, which the window lays out below its caption.
MenuHandle GetMenu(WindowHandle window);
bool SetMenu(WindowHandle window, MenuHandle menu);
bool DrawMenuBar(WindowHandle window);

}  // namespace platform
