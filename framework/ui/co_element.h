// The composite element, tag "coel": an element that paints a flat fill of its rect and the soft
// drop shadow of that rect into its outsets, each with the element's opacity and in a draw pass of its
// own. The shadow is kept as a packed alpha mask, built at the first draw of its pass and dropped when
// the shadow, the element's size or its outsets change; a move only moves it. Settings come from an
// optional "coel" record of the same number or name as the element's "elem" record.
//
// While the tree draws, the port is in the element's own local coordinates: its rect there is
// GetLocalRect and its extent (rect and outsets) GetLocalBounds.
#pragma once

#include <cstdint>

#include "framework/image/image.h"
#include "framework/ui/element.h"
#include "framework/ui/layout_record.h"
#include "framework/ui/soft_shadow.h"

class CIxColor;

// The record handler of "coel" records: after reading and around writing it checks the size, turns
// the numbers around and checks the tag and version (2 and false on any mismatch).
uint32_t CoelRecordHandler(CSpoolMem* record, uint32_t message, void* argument);

// Opacity as the elements keep it: negative values (and -0 below them, NaN) read 0, values above 1
// read 1. The drawing factor is trunc(opacity × 256 + 0.5), 0 to 256.
float LimitOpacity(float opacity);
int32_t OpacityFactor(float opacity);

class CCoElement : public CElement {
 public:
  static constexpr const char* kTag = "coel";

  // The stored "coel" record: big-endian, at least kRecordBytes long.
  static constexpr uint32_t kRecordBytes = 100;
  enum ERecordOffset : uint32_t {
    kRecordFillColor = 24,
    kRecordListNumber = 28,
    kRecordListName = 32,
    kRecordListEntry = 64,
    kRecordFillLayer = 68,
    kRecordShadow = 72,  // dx, dy, radius (words), opacity (float)
    kRecordShadowLayer = 88,
    kRecordOpacity = 92,
    kRecordFlags = 96,
  };
  enum ERecordFlag : uint32_t {
    kFillOn = 0x1,
    kShadowOn = 0x2,
    kShadowOutsets = 0x4,  // the outsets are set to hold the shadow
    kTakeList = 0x8,
    kListByName = 0x10,
    kListOwnKey = 0x20,   // the list has the element record's own name or number
    kListColor = 0x40,    // the fill colour comes from the list
  };

  static bool RegisterType();
  static bool UnregisterType();
  static int32_t CreateFromResource(void* registryData, void* request, void* data);
  // A new element from its records: 0, 9 (memory), 13 (not usable) or the reading's code, and then no
  // element.
  static int32_t CreateByNumber(CCoElement** element, CResourceEnv* environment, uint32_t number);
  static int32_t CreateByName(CCoElement** element, CResourceEnv* environment, const char* name);

  explicit CCoElement(const SElementDesc& desc);
  // A valid element is hidden with redraw first.
  ~CCoElement() override;

  bool IsValid() const;

  // The "elem" record, then the "coel" record by the name when one is given, else by the number. A
  // missing "coel" record leaves the defaults. The settings are applied to the hidden element, which
  // is shown again afterwards when it was shown.
  int32_t ReadRecord(CResourceEnv* environment, uint32_t number, const char* name);

  int32_t SetFillColor(CImVector color, bool redraw);
  // 9 when the list cannot be made, its own code when it does not load (and then nothing changes);
  // the old list is freed when freeOld asks for it, else it is the caller's from then on.
  int32_t SetColorListByNumber(CResourceEnv* environment, uint32_t number, uint32_t entry, bool freeOld);
  int32_t SetColorListByName(CResourceEnv* environment, const char* name, uint32_t entry, bool freeOld);
  // Takes dx, dy, radius and opacity from shadow; a change drops the mask.
  int32_t SetShadow(const SSoftShadow& shadow, bool redraw);
  int32_t DropShadow();
  // Outsets that hold the rect moved by the shadow's displacement and grown by twice its radius;
  // none while the shadow is off.
  int32_t UpdateShadowOutsets(bool redraw);
  int32_t RebuildShadow();
  int32_t DrawOwn(uint32_t pass, CImage* target);

  CImVector GetFillColor() const { return fFillColor; }
  uint32_t GetFillLayer() const { return fFillLayer; }
  CIxColor* GetColorList() const { return fColorList; }
  CImage* GetShadowMask() const { return fShadowMask; }
  const SSoftShadow& GetShadow() const { return fShadow; }
  uint32_t GetShadowLayer() const { return fShadowLayer; }
  float GetOpacity() const { return fOpacity; }
  bool IsFillOn() const { return fFillOn != 0; }
  bool IsShadowOn() const { return fShadowOn != 0; }

  // ---- CElement
  int32_t WillChangeRect(const SRect& newRect) override;
  int32_t WillChangeOutsets(SPointHV topLeft, SPointHV bottomRight) override;
  int32_t Draw(uint32_t pass, CImage* port, bool withChildren) override;
  // Nothing is opaque (true, empty) while hidden, unfilled or translucent; an element without
  // outsets is opaque over its whole extent (false); otherwise its rect is (true).
  bool GetCoverRect(SRect* out) override;

 protected:
  // Reads the tag's record of that number or name into an R (R::Read) and hands it to apply while the
  // element is hidden, showing it again (with redraw) when it was shown; a missing record is no error.
  // The record's, the lock's or apply's code.
  template <typename R, typename F>
  int32_t ApplyOptionalRecord(CResourceEnv* environment, const char* tag, uint32_t number, const char* name,
                              SpoolTypeHandler handler, uint32_t minBytes, F apply) {
    R record;
    const int32_t err = ReadLayoutRecord(environment, tag, number, name, handler, minBytes,
                                         [&record](const uint8_t* data, const SSpoolKey&) {
                                           record.Read(data);
                                           return kNoErr;
                                         });
    if (err == kErrObjectNotFound) return kNoErr;
    if (err) return err;
    const bool wasShown = IsShown();
    Hide(true);
    const int32_t applied = apply(record);
    if (wasShown) Show(true);
    return applied;
  }

 private:
  struct SRecord;
  void FreeShadowMask();
  // 9 for no list, the list's code (and the list freed) when it did not load.
  int32_t TakeColorList(CIxColor* list, bool freeOld);
  int32_t ApplyRecord(CResourceEnv* environment, const SRecord& record);
  // keepUnder of a mask built for the present state.
  uint8_t WantedKeepUnder() const { return fFillOn && fOpacity >= 1.0f ? 0 : 1; }

  CImVector fFillColor;
  uint32_t fFillLayer = 1;
  CIxColor* fColorList = nullptr;
  CImage* fShadowMask = nullptr;
  SSoftShadow fShadow;
  uint32_t fShadowLayer = 1;
  float fOpacity = 1.0f;
  uint8_t fFillOn = 0;
  uint8_t fShadowOn = 0;
};
