// The image element, tag "imel": a composite element that also shows a picture with its own soft
// shadow and opacity. The picture comes from an image record (read directly, shared through the
// environment's image cache, or copied into the working environment), from an entry of the element's
// indexed image list, or is a blank picture the size of the element. Buttons and indicators show
// their states by selecting another entry of the list and by changing the opacity. Settings come from
// an optional "imel" record of the same number or name as the element's "elem" and "coel" records.
//
// The image cache of a resource environment is its shared table: one picture per stored record, with
// the count of its users. A picture taken from the element's list stays the list's: the element never
// releases or frees it. A picture the element loaded or made itself goes with the element whatever
// its "owns picture" flag says, which decides for pictures that callers hand in.
#pragma once

#include <cstdint>

#include "framework/ui/co_element.h"

class CIxImage;
struct SGridLayout;
struct SSpoolTableSpec;

uint32_t ImelRecordHandler(CSpoolMem* record, uint32_t message, void* argument);

// The picture of the "ImageIV32ARGB" record that `spec` keys in the grid's environment: shared through
// the environment's image cache, a private copy in the working environment, or read directly (16 when
// the environment is not an open and ready one, 14 when it is no resource environment, 9, 13, or the
// environment's code).
int32_t LoadImageRecord(CImage** picture, const SGridLayout& grid, const SSpoolTableSpec& spec, bool shared,
                        bool copied);

class CImElement : public CCoElement {
 public:
  static constexpr const char* kTag = "imel";

  // The stored "imel" record: big-endian, at least kRecordBytes long.
  static constexpr uint32_t kRecordBytes = 140;
  enum ERecordOffset : uint32_t {
    kRecordImageNumber = 24,
    kRecordImageName = 28,
    kRecordListNumber = 60,
    kRecordListName = 64,
    kRecordListEntry = 96,
    kRecordPosition = 100,  // h, v
    kRecordImageLayer = 108,
    kRecordShadow = 112,    // dx, dy, radius (words), opacity (float)
    kRecordShadowLayer = 128,
    kRecordOpacity = 132,
    kRecordFlags = 136,
  };
  enum ERecordFlag : uint32_t {
    kLoadImage = 0x1,
    kImageByName = 0x2,
    kImageShared = 0x4,
    kImageCopied = 0x8,
    kImageOwnKey = 0x10,  // the picture's record has the element record's own name or number
    kOwnsImage = 0x20,
    kShadowOn = 0x40,
    kShadowInOutsets = 0x80,
    kTranslucent = 0x100,
    kFitToImage = 0x200,
    kFitShadowOutsets = 0x400,
    kTakeList = 0x800,
    kListByName = 0x1000,
    kListOwnKey = 0x2000,
    kShowListEntry = 0x4000,
    kBlankImage = 0x8000,  // when no picture was set
  };
  // GetUpdateArea's limits.
  enum EAreaLimit : uint32_t { kUnlimited = 0, kToShadowPlace = 1, kToRect = 2, kToExtent = 3 };

  static bool RegisterType();
  static bool UnregisterType();
  static int32_t CreateFromResource(void* registryData, void* request, void* data);
  static int32_t CreateByNumber(CImElement** element, CResourceEnv* environment, uint32_t number);
  static int32_t CreateByName(CImElement** element, CResourceEnv* environment, const char* name);

  // ---- the image cache. Records are looked up in the grid's environment under the key in `spec`.
  // The one picture of the record, its use count raised: 16 when the environment is not an open and
  // ready one, 14 when it is no resource environment, 9 or 13 when a new picture cannot be made or
  // read, 12 when the cache cannot grow, 6 when the record is missing here and in the application's
  // resource environment, where a missing record is looked for.
  static int32_t LoadSharedImage(CImage** picture, const SGridLayout& grid, const SSpoolTableSpec& spec);
  // One use fewer, the picture freed with the last; the slot is cleared in every case, a picture that
  // cannot be given back being left to its environment: 17 while the picture is locked, 16 when its
  // environment is not an open and ready one, 14 when it is no resource environment, 6 when the cache
  // does not hold it, or the cache's lock error.
  static int32_t ReleaseSharedImage(CImage** picture);
  // A private copy of the record in the application's working environment: 15 when the environment
  // is not an open and ready one, 16 without a working environment, 14 when it is no resource
  // environment, 9 or 13 when the picture cannot be made or read, or the move's code.
  static int32_t LoadImageCopy(CImage** picture, const SGridLayout& grid, const SSpoolTableSpec& spec);

  explicit CImElement(const SElementDesc& desc);
  // Hidden with redraw when valid; a picture it owns (or took itself) goes, shared ones back to the
  // cache; then the mask and the list.
  ~CImElement() override;

  bool IsValid() const;

  // "elem", "coel" and then the optional "imel" record. A step that fails ends the reading with its
  // code, leaving what was applied before it; the element is shown as before either way.
  int32_t ReadRecord(CResourceEnv* environment, uint32_t number, const char* name);

  // Makes the picture current; with releaseOld the old one is given back (shared) or freed (private),
  // unless the list holds it; dropShadow frees the mask. The same picture again answers 0.
  int32_t SetImage(CImage* picture, bool shared, bool releaseOld, bool dropShadow, bool redraw);
  // Loads the picture of an "ImageIV32ARGB" record shared, as a private copy, or read directly, and
  // makes it current; the element releases it when it goes.
  int32_t LoadImageByNumber(CResourceEnv* environment, uint32_t number, bool shared, bool copied, bool releaseOld,
                            bool dropShadow, bool redraw);
  int32_t LoadImageByName(CResourceEnv* environment, const char* name, bool shared, bool copied, bool releaseOld,
                          bool dropShadow, bool redraw);
  // Shows entry index of the image list: 15 without a list, the list's code for an entry it lacks.
  int32_t SelectEntry(uint32_t index, bool releaseOld, bool dropShadow, bool redraw);
  // A list whose picture is current takes it along when it is freed.
  int32_t SetImageList(CIxImage* list, bool freeOld);
  // 9 when the list cannot be made, its own code when it does not load (and then nothing changes).
  int32_t SetImageListByNumber(CResourceEnv* environment, uint32_t number, uint32_t entry, bool freeOld);
  int32_t SetImageListByName(CResourceEnv* environment, const char* name, uint32_t entry, bool freeOld);

  int32_t SetImagePosition(SPointHV point, bool redraw);
  int32_t SetImageLayer(uint32_t layer, bool redraw);
  // Takes dx, dy, radius and opacity of the picture's shadow; a change drops its mask.
  int32_t SetShadow(const SSoftShadow& shadow, bool redraw);
  int32_t SetTranslucent(bool translucent, bool redraw);
  int32_t SetOpacity(float opacity, bool redraw);
  // Invalidates the picture's area (limited to the rect, or to the extent where the shadow lies).
  using CElement::Redraw;
  int32_t Redraw(bool withShadow);
  // Where the picture (and with withShadow its shadow, built when needed) lies in local coordinates,
  // limited by limit; empty without a picture.
  int32_t GetUpdateArea(SRect* out, bool withShadow, uint32_t limit);
  // Sizes the element to the picture's area (with its shadow unless that lies in the outsets), united
  // with the rect when asked and grown by the margins, keeping the picture where it is; with
  // withShadowOutsets the outsets then hold the shadow.
  int32_t FitToImage(bool withShadowOutsets, bool unite, bool redraw, SPointHV marginTopLeft,
                     SPointHV marginBottomRight);
  int32_t RebuildShadow();
  int32_t DrawOwn(uint32_t pass, CImage* target);

  CImage* GetImage() const { return fPicture; }
  bool IsImageShared() const { return fSharedPicture != 0; }
  bool OwnsImage() const { return fOwnsPicture != 0; }
  CIxImage* GetImageList() const { return fImageList; }
  SPointHV GetImagePosition() const { return fPicturePosition; }
  uint32_t GetImageLayer() const { return fPictureLayer; }
  CImage* GetShadowMask() const { return fPictureShadowMask; }
  const SSoftShadow& GetShadow() const { return fPictureShadow; }
  uint32_t GetShadowLayer() const { return fPictureShadowLayer; }
  float GetOpacity() const { return fPictureOpacity; }
  bool IsShadowOn() const { return fPictureShadowOn != 0; }
  bool IsShadowInOutsets() const { return fShadowInOutsets != 0; }
  bool IsTranslucent() const { return fTranslucent != 0; }

  // ---- CElement
  int32_t Draw(uint32_t pass, CImage* port, bool withChildren) override;
  bool GetCoverRect(SRect* out) override;

 protected:
  // Invalidates both areas, or the one holding both when they overlap.
  int32_t RedrawAreas(const SRect& before, const SRect& after);
  // Sizes the element to area (local coordinates), united with the rect when asked and grown by the
  // margins; the rect and the hot spot move together, so what the area holds stays where it is.
  int32_t FitRectToArea(SRect area, bool unite, bool redraw, SPointHV marginTopLeft, SPointHV marginBottomRight);
  // Outsets that reach just as far as `shadowed` (local coordinates) does beyond the rect.
  int32_t SetOutsetsToHold(const SRect& shadowed, bool redraw);
  // The grid and spec of images made at run time, which live in the working environment.
  static void WorkingImageSpec(SGridLayout* grid, SSpoolTableSpec* spec, const SSpoolKey* key);

 private:
  struct SRecord;
  int32_t ApplyRecord(CResourceEnv* environment, const SRecord& record);
  int32_t LoadImage(CResourceEnv* environment, const SSpoolKey& key, bool shared, bool copied, bool releaseOld,
                    bool dropShadow, bool redraw);
  int32_t MakeBlankImage();
  // 9 for no list, the list's code (and the list freed) when it did not load.
  int32_t TakeImageList(CIxImage* list, bool freeOld);
  void FreeShadowMask();
  // Gives back or frees the picture, unless it is the list's, and forgets it.
  void LetGoOfImage();
  void ForgetImage();
  bool ListHolds(const CImage* picture) const;
  uint8_t WantedKeepUnder() const { return fPicture && !fTranslucent && fPictureOpacity >= 1.0f ? 0 : 1; }
  // change() between the area before and after it, which is redrawn when asked and shown.
  template <typename F>
  int32_t RedrawAround(bool redraw, bool withShadow, F change);

  CImage* fPicture = nullptr;
  SPointHV fPicturePosition;
  uint32_t fPictureLayer = 1;
  CIxImage* fImageList = nullptr;
  CImage* fPictureShadowMask = nullptr;
  SSoftShadow fPictureShadow;
  uint32_t fPictureShadowLayer = 1;
  float fPictureOpacity = 1.0f;
  uint8_t fPictureShadowOn = 0;
  uint8_t fShadowInOutsets = 0;
  uint8_t fTranslucent = 0;
  uint8_t fSharedPicture = 0;
  uint8_t fOwnsPicture = 1;
  // The element loaded or made the picture itself.
  uint8_t fTookPicture = 0;
  // The picture was the image list's when it was set: the list keeps it, even after it left.
  uint8_t fListPicture = 0;
};
