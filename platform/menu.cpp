#include "platform/menu.h"

#include <algorithm>
#include <memory>

#include "platform/window_backend.h"

namespace platform {
namespace {

std::vector<std::unique_ptr<SMenu>> gMenus;

SMenu* Live(MenuHandle menu) {
  const auto it = std::find_if(gMenus.begin(), gMenus.end(), [menu](const auto& m) { return m.get() == menu; });
  return it == gMenus.end() ? nullptr : it->get();
}

MenuHandle NewMenu() {
  gMenus.push_back(std::make_unique<SMenu>());
  return gMenus.back().get();
}

// The item at a position, or the first with the identifier, sub-menus searched depth first.
SMenuItem* Find(SMenu* menu, uint32_t item, uint32_t flags, uint32_t depth = 0) {
  if (!menu || depth > 16) return nullptr;
  if (flags & kMfByPosition) return item < menu->items.size() ? &menu->items[item] : nullptr;
  for (SMenuItem& i : menu->items) {
    if (!i.subMenu && !i.separator && i.id == item) return &i;
    if (SMenuItem* found = i.subMenu ? Find(Live(i.subMenu), item, flags, depth + 1) : nullptr) return found;
  }
  return nullptr;
}

uint32_t StateOf(const SMenuItem& i) {
  return (i.grayed ? kMfGrayed : 0u) | (i.checked ? kMfChecked : 0u) | (i.separator ? kMfSeparator : 0u) |
         (i.subMenu ? kMfPopup : 0u);
}

// The window whose bar holds the menu, directly or as a sub-menu of one of its entries.
bool Holds(MenuHandle bar, MenuHandle menu, uint32_t depth = 0) {
  SMenu* m = Live(bar);
  if (!m || depth > 16) return false;
  if (bar == menu) return true;
  return std::any_of(m->items.begin(), m->items.end(),
                     [&](const SMenuItem& i) { return i.subMenu && Holds(i.subMenu, menu, depth + 1); });
}

SWindow* OwnerOf(MenuHandle menu) {
  for (SWindow* w : AllWindows()) {
    if (w->menu && Holds(w->menu, menu)) return w;
  }
  return nullptr;
}

std::string Label(const std::string& text) {
  std::string label = text.substr(0, text.find('\t'));
  while (!label.empty() && label.back() == ' ') label.pop_back();
  return label;
}

}  // namespace

MenuHandle CreateMenu() { return NewMenu(); }

MenuHandle CreatePopupMenu() { return NewMenu(); }

bool IsMenu(MenuHandle menu) { return Live(menu) != nullptr; }

// Nothing keeps a menu that is gone: windows lose it as their bar, menus lose their items that lead
// to it. Its own sub-menus belong to their owners, who destroy them.
void DestroyMenu(MenuHandle menu) {
  if (!Live(menu)) return;
  for (SWindow* w : AllWindows()) {
    if (w->menu == menu) w->menu = nullptr;
  }
  for (const auto& m : gMenus) {
    auto& items = m->items;
    items.erase(std::remove_if(items.begin(), items.end(), [menu](const SMenuItem& i) { return i.subMenu == menu; }),
                items.end());
  }
  gMenus.erase(std::remove_if(gMenus.begin(), gMenus.end(), [menu](const auto& m) { return m.get() == menu; }),
               gMenus.end());
  Backend().MenusChanged();
}

bool AppendMenu(MenuHandle menu, uint32_t flags, uintptr_t idOrSubMenu, const std::string& text) {
  SMenu* m = Live(menu);
  if (!m) return false;
  SMenuItem item;
  item.separator = (flags & kMfSeparator) != 0;
  item.grayed = (flags & (kMfGrayed | kMfDisabled)) != 0;
  item.checked = (flags & kMfChecked) != 0;
  if (flags & kMfPopup) {
    item.subMenu = reinterpret_cast<MenuHandle>(idOrSubMenu);
    if (!Live(item.subMenu) || item.subMenu == menu) return false;
  } else {
    item.id = uint32_t(idOrSubMenu);
  }
  if (!item.separator) item.text = text;
  m->items.push_back(item);
  Backend().MenusChanged();
  return true;
}

uint32_t EnableMenuItem(MenuHandle menu, uint32_t item, uint32_t flags) {
  SMenuItem* i = Find(Live(menu), item, flags);
  if (!i) return kNoMenuItem;
  const uint32_t previous = i->grayed ? kMfGrayed : kMfEnabled;
  i->grayed = (flags & (kMfGrayed | kMfDisabled)) != 0;
  Backend().MenusChanged();
  return previous;
}

uint32_t CheckMenuItem(MenuHandle menu, uint32_t item, uint32_t flags) {
  SMenuItem* i = Find(Live(menu), item, flags);
  if (!i) return kNoMenuItem;
  const uint32_t previous = i->checked ? kMfChecked : kMfUnchecked;
  i->checked = (flags & kMfChecked) != 0;
  Backend().MenusChanged();
  return previous;
}

uint32_t GetMenuState(MenuHandle menu, uint32_t item, uint32_t flags) {
  const SMenuItem* i = Find(Live(menu), item, flags);
  return i ? StateOf(*i) : kNoMenuItem;
}

std::string GetMenuString(MenuHandle menu, uint32_t item, uint32_t flags) {
  const SMenuItem* i = Find(Live(menu), item, flags);
  return i ? i->text : std::string();
}

int32_t GetMenuItemCount(MenuHandle menu) {
  const SMenu* m = Live(menu);
  return m ? int32_t(m->items.size()) : -1;
}

uint32_t GetMenuItemID(MenuHandle menu, int32_t position) {
  const SMenuItem* i = position < 0 ? nullptr : Find(Live(menu), uint32_t(position), kMfByPosition);
  return i && !i->subMenu ? i->id : kNoMenuItem;
}

MenuHandle GetSubMenu(MenuHandle menu, int32_t position) {
  const SMenuItem* i = position < 0 ? nullptr : Find(Live(menu), uint32_t(position), kMfByPosition);
  return i ? i->subMenu : nullptr;
}

MenuHandle GetMenu(WindowHandle window) {
  SWindow* w = FindLiveWindow(window);
  return w ? w->menu : nullptr;
}

bool SetMenu(WindowHandle window, MenuHandle menu) {
  SWindow* w = FindLiveWindow(window);
  if (!w || (menu && !Live(menu))) return false;
  w->menu = menu;
  Backend().MenusChanged();
  SetWindowPos(w, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize | kSwpNoZOrder | kSwpNoActivate | kSwpFrameChanged);
  return true;
}

bool DrawMenuBar(WindowHandle window) {
  if (!FindLiveWindow(window)) return false;
  Backend().MenusChanged();
  return true;
}

bool ChooseMenuItem(MenuHandle menu, uint32_t position) {
  SMenu* m = Live(menu);
  SWindow* w = OwnerOf(menu);
  if (!m || !w || position >= m->items.size()) return false;
  const SMenuItem item = m->items[position];
  if (item.separator || item.grayed || item.subMenu) return false;
  SendMessage(w, kWmMenuSelect, (item.id & 0xFFFF) | (uintptr_t(kMfHilite) << 16), reinterpret_cast<intptr_t>(menu));
  return PostMessage(w, kWmCommand, item.id & 0xFFFF, 0);
}

bool FindMenuBarItem(const std::string& title, const std::string& text, MenuHandle* menu, uint32_t* position) {
  for (SWindow* w : AllWindows()) {
    SMenu* bar = Live(w->menu);
    if (!bar) continue;
    for (const SMenuItem& entry : bar->items) {
      SMenu* popup = Live(entry.subMenu);
      if (!popup || entry.text != title) continue;
      for (size_t i = 0; i < popup->items.size(); ++i) {
        const std::string& itemText = popup->items[i].text;
        if (popup->items[i].separator || (itemText != text && Label(itemText) != text)) continue;
        *menu = entry.subMenu;
        *position = uint32_t(i);
        return true;
      }
    }
  }
  return false;
}

}  // namespace platform
