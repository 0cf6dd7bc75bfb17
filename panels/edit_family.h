// The object families dialog, and the program's one table of the 25 object families: a name and a
// colour each, family 0 the default family. Every new or converted object copies its family's colour
// from the table.
//
// The dialog is a placeholder until the families dialog's issue: built from its layout, it shows empty
// and closes with its buttons; its operations do nothing and answer 0. The family table is filled
// with its defaults when the dialog is made.
#pragma once

#include <cstdint>

#include "framework/image/image.h"
#include "framework/ui/layout_host_canvas.h"

class CDocWindow;

struct SFamilyRecord {
  static constexpr uint32_t kNameBytes = 64;
  char name[kNameBytes];  // zero-terminated, 63 characters at most
  CImVector colour;       // 0x00RRGGBB
};
static_assert(sizeof(SFamilyRecord) == 68);

class CEditFamily : public CLayoutHostCanvas {
 public:
  static constexpr uint32_t kFamilyCount = 25;

  // Fills the family table.
  CEditFamily(CUICmFunction* owner, CResourceEnv* environment);

  // Takes the current document window.
  void SetOwner(CDocWindow* window);

  // Every record back to its default name and colour, and the table made the one new objects take
  // their colours from. The names come from the layout's list "family names": record 0 is entry 0,
  // record i entry 1 with the number i, a format that holds one integer conversion and no other
  // (else the built-in "Family %ld"); without the list "Default family" and "Family 1" to "Family 24".
  static void InitFamilyTable(CResourceEnv* environment);
  // Record `family`; an index outside 0..24 is family 0.
  static SFamilyRecord& GetFamily(uint32_t family);
};
