#include "framework/ui/menu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/byte_order.h"
#include "framework/core/byte_reader.h"
#include "framework/core/c_string.h"
#include "framework/core/char_set.h"
#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "platform/menu.h"

namespace {

constexpr size_t kFormattedBytes = 256;

uint8_t UpperAscii(uint8_t c) { return c >= 'a' && c <= 'z' ? uint8_t(c - 'a' + 'A') : c; }

// A stored text within its field.
std::string FieldText(const char* field, size_t room) { return std::string(field, strnlen(field, room)); }

// Turns every stored row's flags and command around (the same both ways).
void SwapRows(CMenu& menu) {
  auto* rows = reinterpret_cast<CMenuItem*>(menu.GetData());
  const uint32_t n = rows ? menu.GetDataSize() / sizeof(CMenuItem) : 0;
  for (uint32_t i = 0; i < n; ++i) {
    rows[i].flags = uint16_t((rows[i].flags >> 8) | (rows[i].flags << 8));
    rows[i].command = SwapLong(rows[i].command);
  }
}

// A text of 31 characters fills its field; a stored one that does not stop there is cut.
void TerminateTexts(CMenu& menu) {
  auto* rows = reinterpret_cast<CMenuItem*>(menu.GetData());
  const uint32_t n = rows ? menu.GetDataSize() / sizeof(CMenuItem) : 0;
  for (uint32_t i = 0; i < n; ++i) rows[i].text[CMenuItem::kTextBytes - 1] = 0;
}

int32_t FailureOf(const CSpoolMem& object) { return NonZeroError(object.GetError()); }

int32_t LockAndRelease(CMenu* menu, bool changed) {
  CHolder holder(menu, changed, false);
  return holder.IsLocked() ? kNoErr : FailureOf(*menu);
}

}  // namespace

std::string FormatMenuItemText(const CMenuItem& row) {
  const std::string text = FieldText(row.text, sizeof row.text);
  char formatted[kFormattedBytes] = {};
  if (row.flags & CMenu::kItemHasKey) {
    std::string modifiers;
    if (row.flags & CMenu::kItemCtrl) modifiers += "Ctrl+";
    if (row.flags & CMenu::kItemAlt) modifiers += "Alt+";
    if (row.flags & CMenu::kItemAlt2) modifiers += "Alt+";
    if (row.flags & CMenu::kItemShift) modifiers += "Shift+";
    std::snprintf(formatted, sizeof formatted, "%s %c%s%c", text.c_str(), 9, modifiers.c_str(), UpperAscii(row.key));
  } else {
    std::snprintf(formatted, sizeof formatted, "%s", text.c_str());
  }
  MacRomanToAnsi(formatted, formatted);
  return formatted;
}

// ---- life and storage

CMenu::CMenu(const SDynTableLayout& layout) : CSpoolDynTable<CMenuItem>(layout) {}

CMenu::~CMenu() {
  if (fPlatformMenu) platform::DestroyMenu(fPlatformMenu);
  fPlatformMenu = nullptr;
}

void CMenu::MakeLayout(SDynTableLayout& layout, CSpoolSys* environment, uint32_t capacity, uint32_t growth) {
  layout.SetSized(environment, sizeof(CMenuItem), capacity);
  layout.range = SRange{int32_t(std::min<uint32_t>(capacity, INT32_MAX)), int32_t(std::min<uint32_t>(growth, INT32_MAX))};
}

void CMenu::SetTitle(const char* title) {
  std::memset(fTitle, 0, sizeof fTitle);
  CopyCString(fTitle, title, sizeof fTitle);
}

bool CMenu::ReadHeader(const uint8_t* header, uint32_t size) {
  CByteReader in(header, size);
  uint32_t count = 0;
  in.Seek(kHeaderCount);
  // Rows the header counts must be stored; the room it asks for is kept only as far as rows are.
  const uint32_t stored = GetFile() ? GetFile()->GetEntryField(uint32_t(GetDataEntry())) : UINT32_MAX;
  if (size < kHeaderBytes || !in.ReadBE32(&count) || uint64_t(count) * sizeof(CMenuItem) > stored) {
    SetError(kErrInvalidParameter);
    return false;
  }
  const uint32_t storedRows = stored / uint32_t(sizeof(CMenuItem));
  if (GetCapacity() > storedRows && !SetSize(sizeof(CMenuItem), storedRows, false, true)) return false;
  char title[kTitleBytes] = {};
  in.Seek(kHeaderTitle);
  in.ReadBytes(title, kTitleBytes);
  title[kTitleBytes - 1] = 0;
  SetTitle(title);
  in.ReadBE32(&fMenuId);
  in.ReadBE32(&fMenuFlags);
  in.ReadBE32(&fWordA);
  in.ReadBE32(&fWordB);
  return true;
}

uint32_t CMenu::HandleSpoolMessage(CSpoolMem* object, uint32_t message, void* data) {
  auto* menu = static_cast<CMenu*>(object);
  switch (message) {
    case kSpoolAfterRead:
      SwapRows(*menu);
      TerminateTexts(*menu);
      return true;
    case kSpoolBeforeWrite:
    case kSpoolAfterWrite: SwapRows(*menu); return true;
    case kSpoolApplyHeader: {
      // The first four words are the growable table's own header; a bad one answers 16.
      const auto* block = static_cast<const CMemBlock*>(data);
      if (!(CSpoolDynTable<CMenuItem>::HandleMessage(object, message, data) & 0xFF)) return false;
      return menu->ReadHeader(block->GetData(), block->GetSize());
    }
    case kSpoolFillHeader: {
      auto* block = static_cast<CMemBlock*>(data);
      if (block->GetSize() < kHeaderBytes) {
        menu->SetError(kErrInvalidParameter);
        return false;
      }
      if (!(CSpoolDynTable<CMenuItem>::HandleMessage(object, message, data) & 0xFF)) return false;
      uint8_t* out = block->GetData();
      std::memcpy(out + kHeaderTitle, menu->fTitle, kTitleBytes);
      StoreBE32(out + kHeaderMenuId, menu->fMenuId);
      StoreBE32(out + kHeaderFlags, menu->fMenuFlags);
      StoreBE32(out + kHeaderWordA, menu->fWordA);
      StoreBE32(out + kHeaderWordB, menu->fWordB);
      return true;
    }
    case kSpoolHeaderSize: *static_cast<uint32_t*>(data) = kHeaderBytes; return true;
    default: return CSpoolDynTable<CMenuItem>::HandleMessage(object, message, data);
  }
}

int32_t CMenu::Create(CMenu** menu, const SDynTableLayout& layout, const SSpoolTableSpec& spec) {
  *menu = nullptr;
  auto* environment = layout.environment;
  if (!environment || !environment->IsReady()) return kErrUnexpectedStatus;
  if (environment->GetKind() != kResourceKind) return kErrUnexpectedType;
  if (environment->GetPool() != GetDataPool()) return kErrInvalidParameter;
  CAppl* app = GetApplication();
  CSpoolSys* working = app ? app->GetDataEnv() : nullptr;
  auto* made = new CMenu(layout);
  if (!made) return kErrOutOfMemory;
  int32_t err = made->IsUsable() ? kNoErr : kErrFailedCreation;
  if (!err && !made->Subscribe(spec)) err = FailureOf(*made);
  if (!err) err = LockAndRelease(made, false);
  if (!err && !made->SetEnvironment(working)) err = working ? FailureOf(*made) : kErrUnexpectedStatus;
  if (!err) {
    SSpoolKey key;
    key.Set(kResourceType, 0, false);
    SSpoolTableSpec workingSpec;
    workingSpec.SetDefaults(false, &key, &CMenu::HandleSpoolMessage);
    if (!made->Subscribe(workingSpec)) err = FailureOf(*made);
  }
  if (!err) err = LockAndRelease(made, true);
  if (err) {
    delete made;
    return err;
  }
  *menu = made;
  return kNoErr;
}

int32_t CMenu::Load(CResourceEnv* environment, uint32_t number, CMenu** menu, platform::WindowHandle window) {
  *menu = nullptr;
  SSpoolKey key;
  key.Set(kResourceType, number, false);
  SSpoolTableSpec spec;
  spec.Set(true, &key, SRange{-1, -1}, &CMenu::HandleSpoolMessage, nullptr, SSpoolTableSpec::kDefaultPriority);
  SDynTableLayout layout;
  MakeLayout(layout, environment, 0, 1);
  CMenu* made = nullptr;
  int32_t err = Create(&made, layout, spec);
  if (!err) err = made->BuildPopupMenu();
  if (err) {
    delete made;
    return err;
  }
  made->AttachToMenuBar(window);
  *menu = made;
  return kNoErr;
}

// ---- the platform menu

int32_t CMenu::BuildPopupMenu() {
  CHolder holder(this, false, false);
  if (!holder.IsLocked()) return FailureOf(*this);
  if (fPlatformMenu) platform::DestroyMenu(fPlatformMenu);
  fPlatformMenu = platform::CreatePopupMenu();
  if (!fPlatformMenu) return kErrOutOfMemory;
  // The mirror follows the table exactly, however often it is built.
  if (IsPopUp()) fScrollingMenu.ClearItems();
  for (uint32_t i = 0; i < GetCount(); ++i) {
    if (const int32_t err = InsertPlatformItem((*this)[i], i)) return err;
  }
  return kNoErr;
}

int32_t CMenu::InsertPlatformItem(const CMenuItem& row, uint32_t index) {
  const uint32_t identifier = index + 1;
  if ((row.flags & kItemSeparator) && !IsPopUp()) {
    platform::AppendMenu(fPlatformMenu, platform::kMfSeparator, 0, "");
    return kNoErr;
  }
  const std::string text = FormatMenuItemText(row);
  const bool disabled = (row.flags & kItemDisabled) != 0;
  platform::AppendMenu(fPlatformMenu, disabled ? platform::kMfGrayed : platform::kMfString, identifier, text);
  if (!IsPopUp()) return kNoErr;
  const bool separator = (row.flags & kItemSeparator) != 0;
  return fScrollingMenu.AddItem(identifier, separator ? nullptr : text.c_str(), false, disabled, nullptr) ? kNoErr : 1;
}

int32_t CMenu::AttachToMenuBar(platform::WindowHandle window) {
  if (IsPopUp()) return kNoErr;
  char title[kTitleBytes] = {};
  std::memcpy(title, fTitle, kTitleBytes - 1);
  MacRomanToAnsi(title, title);
  platform::AppendMenu(platform::GetMenu(window), platform::kMfPopup, reinterpret_cast<uintptr_t>(fPlatformMenu),
                       title);
  platform::DrawMenuBar(window);
  return kNoErr;
}

bool CMenu::AppendItem(const CMenuItem& row) {
  CMenuItem copy = row;
  copy.text[CMenuItem::kTextBytes - 1] = 0;
  if (!Append(&copy)) return false;
  return InsertPlatformItem(copy, GetCount() - 1) == kNoErr;
}

void CMenu::ClearItems() {
  if (fScrollingMenu.IsPrepared()) fScrollingMenu.ClearItems();
  if (GetCount()) RemoveAt(0, GetCount());
}

// ---- queries

uint32_t CMenu::FindItemIndex(uint32_t command) {
  CHolder holder(this, false, false);
  for (uint32_t i = 0; holder.IsLocked() && i < GetCount(); ++i) {
    if ((*this)[i].command == command) return i + 1;
  }
  return 0;
}

uint32_t CMenu::GetItemCommand(uint32_t index) {
  CHolder holder(this, false, false);
  return holder.IsLocked() && index < GetCount() ? (*this)[index].command : 0;
}

bool CMenu::GetItemData(uint32_t* command, uint32_t index) {
  CHolder holder(this, false, false);
  if (!holder.IsLocked() || index < 1 || index > GetCount()) return false;
  if (command) *command = (*this)[index - 1].command;
  return true;
}

uint32_t CMenu::FindCommandByText(const char* text) {
  if (!text) return 0;
  const std::string wanted = MacRomanToAnsi(std::string(text));
  CHolder holder(this, false, false);
  for (uint32_t i = 0; holder.IsLocked() && i < GetCount(); ++i) {
    if (FieldText((*this)[i].text, CMenuItem::kTextBytes) == wanted) return (*this)[i].command;
  }
  return 0;
}

bool CMenu::FindByAccelerator(uint32_t key, uint32_t* command, uint32_t, bool alt, bool shift, bool ctrl) {
  const uint16_t wanted = uint16_t((alt ? kItemAlt : 0) | (shift ? kItemShift : 0) | (ctrl ? kItemCtrl : 0));
  if (!wanted || key > 0xFF) return false;
  CHolder holder(this, false, false);
  for (uint32_t i = 0; holder.IsLocked() && i < GetCount(); ++i) {
    const CMenuItem& row = (*this)[i];
    if ((row.flags & kItemDisabled) || !(row.flags & kItemHasKey)) continue;
    const bool keyMatches = key == row.key || key == UpperAscii(row.key) || key == row.alternateKey;
    if (!keyMatches || (row.flags & kItemModifiers) != wanted) continue;
    if (command) *command = row.command;
    return true;
  }
  return false;
}

bool CMenu::SetCurrentByCommand(uint32_t command) {
  const uint32_t index = FindItemIndex(command);
  if (index) fCurrentItem = index;
  return index != 0;
}

// ---- state

void CMenu::EnableItem(uint32_t command, bool enable) {
  CHolder holder(this, true, false);
  for (uint32_t i = 0; holder.IsLocked() && i < GetCount(); ++i) {
    CMenuItem& row = (*this)[i];
    const bool disabled = (row.flags & kItemDisabled) != 0;
    if (row.command != command || disabled == !enable) continue;
    row.flags = uint16_t(enable ? row.flags & ~kItemDisabled : row.flags | kItemDisabled);
    platform::EnableMenuItem(fPlatformMenu, i + 1, platform::kMfByCommand | (enable ? 0u : uint32_t(platform::kMfGrayed)));
    if (IsPopUp()) fScrollingMenu.SetDisabled(i + 1, !enable);
  }
}

bool CMenu::CheckItem(uint32_t index, bool check, uint32_t* command, bool alsoScrolling) {
  CHolder holder(this, false, false);
  for (uint32_t i = 1; holder.IsLocked() && i <= GetCount(); ++i) {
    const CMenuItem& row = (*this)[i - 1];
    bool state = check;
    if (i == index) {
      if (command) *command = row.command;
      if (!(row.flags & kItemCheckable)) continue;
    } else if (!check || (fMenuFlags & kMenuIndependentChecks)) {
      continue;
    } else {
      state = false;
    }
    platform::CheckMenuItem(fPlatformMenu, i, platform::kMfByCommand | (state ? uint32_t(platform::kMfChecked) : 0u));
    if (alsoScrolling) fScrollingMenu.CheckState(CScrollingMenu::kWriteCheck, i, &state);
  }
  return true;
}

bool CMenu::SelectItemAt(SPointHV screenPoint, platform::WindowHandle window, uintptr_t* result, uint32_t* index) {
  if (!fPlatformMenu) return false;
  SPointHV client;
  ScreenToClientPoint(screenPoint, window, &client);
  uint32_t identifier = 0;
  CScrollingMenu* chosenIn = fScrollingMenu.Track(window, client.h, client.v, &identifier, kPopUpWidth, 0,
                                                  CScrollingMenu::kOpenRight, 0);
  if (!chosenIn || identifier == 0) return false;
  if (index) *index = identifier;
  fCurrentItem = identifier;
  if (fHierarchical) {
    if (result) *result = reinterpret_cast<uintptr_t>(chosenIn);
    return true;
  }
  uint32_t command = 0;
  CheckItem(identifier, true, &command, false);
  if (result) *result = command;
  return true;
}
