#include "framework/core/fragment_sys.h"

#include <cstring>
#include <string>

#include "framework/core/appl.h"
#include "framework/core/c_string.h"
#include "framework/core/file.h"
#include "framework/core/format_text.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"

namespace {

// Entries of the "strings_" list and the wording used without it.
enum ELinkMessage : uint32_t { kLinkFailed = 1, kLibraryNotFound = 2, kNoSearchPath = 3 };
const char* const kLinkTexts[] = {
    "",
    "Error linking code fragment \"%s\", code %d.",
    "Error while linking the code fragment \"%s\" (library not found).",
    "Error while linking the code fragment \"%s\" (no search path available).",
};

constexpr size_t kMinName = 3;
constexpr size_t kMaxName = 63;
constexpr size_t kPartChars = 31;

void ShowLinkMessage(ELinkMessage which, const char* name, const int32_t* code) {
  CAppl* app = GetApplication();
  if (!app) return;
  CIxTextRef text;
  text.Attach(kLinkTexts[which], which);
  app->ShowMessage(FormatText(text.Text(), name, code).c_str());
}

// The library's stored name in folder: folder, '\', name and ".dll".
std::string LibraryPath(const char* folder, const char* name) {
  std::string path = folder;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path + name + ".dll";
}

}  // namespace

// ---- fragments

CFragment::CFragment(int32_t* result, const char* name, CIxText* searchPath) {
  *result = kErrFailedCreation;
  CopyCString(fName, name, sizeof fName);
  if (!fSymbols.IsValid()) return;
  *result = Load(searchPath);
  fValid = *result == kNoErr;
}

CFragment::~CFragment() {
  if (fLoaded) Call("fexit_");
  if (fLibrary) platform::FreeLibrary(fLibrary);
  fLibrary = nullptr;
  fLoaded = false;
  fSymbols.Clear(true);
}

int32_t CFragment::Lookup(void** object, const char* name, uint32_t type) {
  return fSymbols.LookupEx(object, nullptr, nullptr, name, type);
}

int32_t CFragment::Call(const char* routine) {
  auto entry = reinterpret_cast<FragmentRoutine>(platform::FindLibraryEntry(fLibrary, routine));
  if (!entry) return kNoErr;
  SFragmentRecord record{this, fUserData};
  return entry(&record);
}

int32_t CFragment::FindLibrary(CIxText* searchPath, CFileSpec* spec) {
  CAppl* app = GetApplication();
  if (!app) return kErrUnexpectedStatus;
  CIxTxHolder holder(searchPath, true);
  if (!holder.IsHeld()) return holder.GetError();
  for (uint32_t i = 0; i < searchPath->Count(); ++i) {
    const std::string stored = LibraryPath(searchPath->TextAt(i), fName);
    CFileSpec resolved;
    const int32_t err = app->SetModuleDirectory(stored.c_str(), &resolved);
    // A folder that makes no valid path is passed over.
    if (err == kErrInvalidPath || err == kErrInvalidParameter) continue;
    if (err) return err;
    CFileSpec file;
    if (file.Set(platform::LibraryFileName(resolved.GetPath()).c_str())) continue;
    const int32_t probed = CFile(file).Probe();
    if (probed == kErrFileNotFound) continue;
    if (probed == kNoErr) spec->Copy(file);
    return probed;
  }
  return kErrFileNotFound;
}

int32_t CFragment::Load(CIxText* searchPath) {
  if (fLoaded) return kErrUnexpectedStatus;
  if (!searchPath || searchPath->Count() == 0) return kErrObjectNotFound;
  CFileSpec spec;
  if (const int32_t err = FindLibrary(searchPath, &spec)) {
    if (err == kErrFileNotFound) ShowLinkMessage(kLibraryNotFound, fName, nullptr);
    return err;
  }
  fLibrary = platform::LoadLibrary(spec.GetPath());
  if (!fLibrary) {
    const int32_t code = NonZeroError(MapLastError());
    ShowLinkMessage(kLinkFailed, fName, &code);
    return code;
  }
  // Loaded only once "fentry_" has succeeded: a failed fragment gets no "fexit_".
  if (const int32_t err = Call("fentry_")) {
    platform::FreeLibrary(fLibrary);
    fLibrary = nullptr;
    return err;
  }
  fLoaded = true;
  return kNoErr;
}

extern "C" int32_t OrdaxFragmentAddSymbol(CFragment* fragment, const char* name, uint32_t kind, void* entry) {
  if (!fragment || !name || !entry) return kErrInvalidParameter;
  return fragment->GetSymbols().AddSymbol(entry, name, kind, 0, 0);
}

// ---- the fragment system

CFragmentSys::CFragmentSys() : CSymbolTable(SRange{32, 32}) {}

CFragmentSys::~CFragmentSys() {
  if (IsValid()) UnloadAll();
  delete fList;
}

int32_t CFragmentSys::SetTextList(CResourceEnv* environment, const char* listName) {
  auto* list = new CIxText(environment, listName, CIxText::kNone);
  if (!list) return kErrOutOfMemory;
  if (const int32_t err = list->GetResult()) {
    delete list;
    return err;
  }
  delete fList;
  fList = list;
  return kNoErr;
}

int32_t CFragmentSys::SplitName(const char* name, char* fragment, char* symbol) {
  fragment[0] = symbol[0] = 0;
  const size_t length = name ? std::strlen(name) : 0;
  if (length < kMinName || length > kMaxName) return kErrInvalidFormat;
  const size_t bar = std::strcspn(name, "|");
  if (bar == 0) return kErrObjectNotFound;
  if (bar > kPartChars) return kErrTooManyEntries;
  if (name[bar] != '|') return kErrInvalidFormat;
  const char* rest = name + bar + 1;
  const size_t part = std::strcspn(rest, "|");
  if (part == 0) return kErrObjectNotFound;
  if (part > kPartChars) return kErrTooManyEntries;
  std::memcpy(fragment, name, bar);
  fragment[bar] = 0;
  std::memcpy(symbol, rest, part);
  symbol[part] = 0;
  return kNoErr;
}

int32_t CFragmentSys::Resolve(void** entry, const char* fragment, const char* symbol, uint32_t type) {
  *entry = nullptr;
  void* found = nullptr;
  int32_t err = Lookup(&found, fragment, kFragmentType);
  if (err && err != kErrObjectNotFound) return err;
  if (!found) {
    if (!fList) {
      ShowLinkMessage(kNoSearchPath, fragment, nullptr);
      return kErrObjectNotFound;
    }
    auto* made = new CFragment(&err, fragment, fList);
    if (!made) return kErrOutOfMemory;
    if (!err) err = AddSymbol(made, fragment, kFragmentType, 0, 0);
    if (err) {
      delete made;
      return err;
    }
    found = made;
  }
  return static_cast<CFragment*>(found)->Lookup(entry, symbol, type);
}

int32_t CFragmentSys::UnloadAll() {
  bool skipped = false;
  {
    CHolder holder(this, false, false);
    if (!holder.IsLocked()) return NonZeroError(GetError());
    for (uint32_t i = GetCount(); i-- > 0;) {
      const CSymbolTableEntry& row = (*this)[i];
      if (row.type == kFragmentType) delete static_cast<CFragment*>(row.object);
      else skipped = true;
    }
  }
  const int32_t err = Clear(false);
  return skipped ? kErrUnexpectedType : err;
}
