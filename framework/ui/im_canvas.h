// The image canvas: a canvas that shows one picture at an offset inside its window, over its
// background colour. Every host canvas is one, its picture the panel's backdrop. It draws onto its
// window (Redraw, only the area asked for, each pixel once: the picture where it lies, the colour
// around it) and into another image (DrawInto), over which the host canvas composes its elements.
// The picture comes from an "ImageIV32ARGB" record, read directly, shared through the environment's
// image cache, or copied into the working environment; the "canv" and "imca" records build it.
#pragma once

#include <cstdint>

#include "framework/ui/canvas.h"

class CImage;
class CResourceEnv;
class CSpoolMem;

// The smallest rectangle holding a and b.
inline SRect RectUnion(const SRect& a, const SRect& b) { return UniteRects(a, b); }

class CImCanvas : public CCanvas {
 public:
  // The stored "imca" record: big-endian, at least kRecordBytes long, of the same number or name as
  // the canvas's "canv" record.
  static constexpr const char* kImageRecordType = "imca";
  static constexpr uint32_t kImageRecordBytes = 72;
  enum EImageRecordOffset : uint32_t {
    kRecordImageId = 24,
    kRecordImageName = 28,
    kRecordOffset = 60,  // x, y
    kRecordImageFlags = 68,
  };
  enum EImageRecordFlag : uint32_t {
    kHasImage = 0x01,
    kImageByName = 0x02,
    kImageShared = 0x04,
    kImageCopied = 0x08,
    kOwnsImage = 0x10,
    kImageOwnKey = 0x20,  // the picture has the "imca" record's own name or id
  };

  // The "imca" record handler: after reading and around writing it turns the words at 24, 60, 64 and
  // 68 around and refuses (2) a short record or another tag or version.
  static uint32_t HandleImageRecord(CSpoolMem* object, uint32_t message, void* argument);

  CImCanvas(const SRect& frame, bool visible, uint32_t style, const CImVector* color, int32_t priority);
  // A picture the canvas owns is released as ReleaseImage(true) does; otherwise it is forgotten.
  ~CImCanvas() override;

  // The "canv" record, then the "imca" record of the same id or name; without one the canvas shows
  // its colour only. 16 when the record asks for the picture by the key it was found under and that
  // key lacks the name (or id) asked for.
  int32_t LoadFromResource(CResourceEnv* environment, uint32_t id, const char* name);
  // Replace the picture: shared through the cache, copied, or read directly. Errors (16 environment
  // not available, 14 not a resource environment, 9, 13, or the environment's code) leave the
  // canvas as it was. The picture the cache hands out again for the current one changes nothing.
  int32_t SetImageById(CResourceEnv* environment, uint32_t id, bool shared, bool copied, bool releaseOld,
                       bool redrawNow);
  int32_t SetImageByName(CResourceEnv* environment, const char* name, bool shared, bool copied, bool releaseOld,
                         bool redrawNow);
  // Moves the picture, redrawing (or invalidating) the old and new places, or their union when they
  // overlap: 0, or 1 when a drawing failed.
  int32_t SetImageOffset(SPointHV point, bool redraw);
  // What the canvas shows, into the target's clip area (placed by its origin, in canvas coordinates):
  // 0 or the target's code.
  int32_t DrawInto(CImage* target);
  // Lets go of the picture; with release one of its own is deleted and a shared one given back to
  // the cache (unless it is locked or its environment is no longer a ready resource environment, when
  // it is left to the environment).
  void ReleaseImage(bool release);

  CImage* GetImage() const { return fImage; }
  SPointHV GetImageOffset() const { return fOffset; }
  bool OwnsImage() const { return fOwnsImage != 0; }
  bool IsImageShared() const { return fSharedImage != 0; }

  // ---- CCanvas
  bool Redraw(const SRect* rect) override;

 private:
  int32_t SetImage(CResourceEnv* environment, const SSpoolKey& key, bool shared, bool copied, bool releaseOld,
                   bool redrawNow);
  // Where the picture lies in the canvas, its origin counted in.
  SRect PlacedImageRect(SPointHV offset) const;

  CImage* fImage = nullptr;
  SPointHV fOffset;
  uint8_t fOwnsImage = 1;
  uint8_t fSharedImage = 0;
};
