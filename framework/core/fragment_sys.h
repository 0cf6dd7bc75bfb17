// Code fragments: libraries loaded at run time that supply named entries, named "fragment|symbol".
// The fragment system keeps the fragments loaded so far in a symbol table, finds a fragment's
// library in the folders of a search-path list (an 'ixtx' list, "fragments_" for the application),
// runs its "fentry_" once when it is loaded and its "fexit_" when it is released. A fragment fills
// its own symbol table from "fentry_" through OrdaxFragmentAddSymbol (fragment_api.h), which the
// program's executable exports (see fragment_exports.list).
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/four_cc.h"
#include "framework/core/fragment_api.h"
#include "framework/core/symbol_table.h"
#include "platform/library.h"

class CFragment;
class CIxText;
struct CFileSpec;
class CResourceEnv;

class CFragment : public CBaseObject {
 public:
  static constexpr uint32_t kNameChars = 31;

  // *result is 13 until the library is loaded and its "fentry_" has succeeded.
  CFragment(int32_t* result, const char* name, CIxText* searchPath);
  // "fexit_" runs only for a fragment whose "fentry_" succeeded.
  ~CFragment() override;
  CFragment(const CFragment&) = delete;
  CFragment& operator=(const CFragment&) = delete;

  // A symbol of the fragment's own table.
  int32_t Lookup(void** object, const char* name, uint32_t type);
  CSymbolTable& GetSymbols() { return fSymbols; }
  uint8_t* GetUserData() { return fUserData; }
  const char* GetName() const { return fName; }
  bool IsLoaded() const { return fLoaded; }
  bool IsValid() const { return fValid; }

 private:
  int32_t Load(CIxText* searchPath);
  // The library's file in the first folder of the list that has it.
  int32_t FindLibrary(CIxText* searchPath, CFileSpec* spec);
  int32_t Call(const char* routine);

  platform::LibraryHandle fLibrary = nullptr;
  char fName[kNameChars + 1] = {};
  uint8_t fUserData[16] = {};
  CSymbolTable fSymbols{SRange{0, 32}};
  bool fLoaded = false;
  bool fValid = false;
};

class CFragmentSys : public CSymbolTable {
 public:
  static constexpr uint32_t kFragmentType = FourCC("frag");

  CFragmentSys();
  ~CFragmentSys() override;

  // The search-path list by name; a list that fails to load leaves the old one in place.
  int32_t SetTextList(CResourceEnv* environment, const char* listName);
  // "fragment|symbol": 3 to 63 characters, each part 1 to 31; 2 when malformed, 6 for an empty
  // part, 19 for a part too long. The outputs take 32 bytes each.
  static int32_t SplitName(const char* name, char* fragment, char* symbol);
  // Loads the fragment on first use, then looks the symbol up in the fragment's own table. The
  // linking failures show their message at once.
  int32_t Resolve(void** entry, const char* fragment, const char* symbol, uint32_t type);
  // Releases every fragment, last first, and empties the table; 14 when a row was not a fragment.
  int32_t UnloadAll();

  CIxText* GetTextList() const { return fList; }

 private:
  CIxText* fList = nullptr;
};
