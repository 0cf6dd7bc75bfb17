#include "app/menu_bar.h"

#include "framework/core/result_codes.h"
#include "framework/ui/menu.h"

CMenuBar::CMenuBar() = default;

CMenuBar::~CMenuBar() { DeleteAllMenus(); }

int32_t CMenuBar::AddMenu(CResourceEnv* environment, uint32_t number, platform::WindowHandle window) {
  CMenu* menu = nullptr;
  if (const int32_t err = CMenu::Load(environment, number, &menu, window)) return err;
  if (!fMenus.Append(menu)) {
    delete menu;
    return kErrOutOfMemory;
  }
  return kNoErr;
}

void CMenuBar::DeleteAllMenus() {
  while (const uint32_t count = fMenus.GetCount()) {
    CMenu* menu = fMenus[count - 1];
    fMenus.RemoveAt(count - 1);
    delete menu;
  }
}

bool CMenuBar::GetItemData(uint32_t* code, platform::MenuHandle menu, uint32_t item) {
  for (uint32_t i = 0; i < fMenus.GetCount(); ++i) {
    if (fMenus[i]->GetPlatformMenu() != menu) continue;
    uint32_t data = 0;
    if (!fMenus[i]->GetItemData(&data, item) || data == 0) return false;
    if (code) *code = data;
    return true;
  }
  return false;
}

bool CMenuBar::FindByAccelerator(uint32_t key, uint32_t* code, bool control, bool alt, bool shift, bool command) {
  for (uint32_t i = 0; i < fMenus.GetCount(); ++i) {
    if (fMenus[i]->FindByAccelerator(key, code, 0, alt, shift, control || command)) return true;
  }
  return false;
}

void CMenuBar::EnableItem(uint32_t code, bool enabled) {
  for (uint32_t i = 0; i < fMenus.GetCount(); ++i) fMenus[i]->EnableItem(code, enabled);
}
