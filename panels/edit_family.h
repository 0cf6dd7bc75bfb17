// The object families dialog, and the program's one table of the 25 object families: a name and a
// colour each, family 0 the default family. Every new or converted object copies its family's colour
// from the table.
//
// The dialog names and colours the families and gives one to the selection of the current document:
// a chiclet per family, the selected family's colour box and name field. It opens from the document
// window's family chiclet near the pointer; with the button still held, the release over a chiclet
// gives that family to the selection. "cancel" puts back the names and colours the dialog opened
// with.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/image/image.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/text_edit.h"

class C3dObject;
class CDocumentHost;
class CImElement;
struct STextFields;

struct SFamilyRecord {
  static constexpr uint32_t kNameBytes = 64;
  char name[kNameBytes];  // zero-terminated, 63 characters at most
  CImVector colour;       // 0x00RRGGBB
};
static_assert(sizeof(SFamilyRecord) == 68);

class CEditFamily : public CLayoutHostCanvas {
 public:
  static constexpr uint32_t kFamilyCount = 25;
  // A chiclet's user words.
  enum EChicletWord : uint32_t { kIndexWord, kColourWord, kSelectedWord };
  static constexpr uint32_t kSelectedFrame = 0xFF0000;
  static constexpr uint32_t kFrame = 0x000000;
  static constexpr uint32_t kEmptyBox = 0xC0C0C0;
  static constexpr uint32_t kNameCharacters = SFamilyRecord::kNameBytes - 1;

  // Fills the family table.
  CEditFamily(CUICmFunction* owner, CResourceEnv* environment);
  ~CEditFamily() override;

  // The document window whose selection the dialog assigns.
  void SetOwner(CDocumentHost* owner);

  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;

  // Opens near the pointer on the first selected object's family; with the button still held after
  // 10 ticks, the drag over the chiclets: 26, the drag's answer, or the build's code.
  int32_t Open();
  // The selected family given to every selected object and every ready member of a selected group,
  // then the owner's selection handles redrawn: 0 or the code that stopped it.
  int32_t AssignSelection();

  CElement* GetChiclet(uint32_t family) const { return family < kFamilyCount ? fChiclets[family] : nullptr; }
  // The selected chiclet's family, or -1.
  int32_t GetSelectedFamily() const;
  CTextEdit* GetNameField() const;
  CImage* GetBoxImage() const { return fBoxImage.get(); }
  static STextFields& Fields();

  // Every record back to its default name and colour, and the table made the one new objects take
  // their colours from. The names come from the layout's list "family names": record 0 is entry 0,
  // record i entry 1 with the number i, a format that holds one integer conversion and no other
  // (else the built-in "Family %ld"); without the list "Default family" and "Family 1" to "Family 24".
  static void InitFamilyTable(CResourceEnv* environment);
  // Record `family`; an index outside 0..24 is family 0.
  static SFamilyRecord& GetFamily(uint32_t family);

 private:
  void ReleaseBuilt();
  void PlaceNearPointer();
  // The chiclet of the family selected, all 25 repainted.
  void SelectChiclet(uint32_t family);
  // The colour box and the name field show the selected family.
  void ShowSelectedFamily();
  void ShowChicletColours();
  int32_t TrackChiclets();
  int32_t AssignObject(C3dObject* object, uint32_t family);
  void RedrawOwner();

  static int32_t OnChicletPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t DrawChiclet(CElement* element, uint32_t pass, CImage* port);

  CDocumentHost* fOwner = nullptr;
  CElement* fChiclets[kFamilyCount] = {};
  CImElement* fColourBox = nullptr;
  std::unique_ptr<CImage> fBoxImage;
  CElement* fNameElement = nullptr;
  CTextEditTable fFields{SRange{0, 4}};
  SFamilyRecord fOpened[kFamilyCount] = {};
};
