// PICT version 2 pictures held in memory, as documents of the earlier version carry them (no
// 512-byte file preamble): the header is checked, the opcodes before the first pixel map are passed
// over by their published data lengths, and that pixel map, direct 32-bit or 8-bit indexed and at
// most 16384 pixels each way, is read into a 32-bit image. The picture's bytes are only read, never
// changed, and nothing past its given length is touched.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/file.h"

class CByteReader;
class CImage;
class CImNavigator;

class CImPictFile : public CFile {
 public:
  enum EKind : uint32_t { kKindNone = 0, kKindPacked = 1, kKindDirect = 2 };
  enum : int32_t { kErrNoData = 4, kErrNoVersionOpcode = 5, kErrBadHeader = 6, kErrNoPixMap = 6 };

  // The picture's bytes stay the caller's and must outlive this object.
  CImPictFile(const void* data, size_t size);
  ~CImPictFile() override;

  // Finds the pixel map and gives its size. 4 without picture bytes, 5 when the version opcode is not
  // 0x0011, 6 when the version is not 0x02FF or the header opcode not 0x0C00, and 6 as well when the
  // picture ends (opcode 0x00FF or its last byte) or holds an opcode of unknown length before a pixel
  // map.
  int32_t ReadPicture(int32_t* width, int32_t* height);
  // Reads the pixel map found into a new image, deleted with this object when ownsImage is set. 2 for
  // a pixel map this reader does not take or rows that do not fill it, 16 when an image of another
  // size is already held, 3 when the image or its buffers cannot be had.
  int32_t ReadPixels(bool ownsImage);

  CImage* GetImage() const { return fImage; }
  EKind GetKind() const { return fKind; }

 private:
  struct SPixMap {
    bool isPixMap = false;  // the top bit of row bytes; a plain bit map without it
    uint16_t rowBytes = 0;
    int16_t top = 0, left = 0, bottom = 0, right = 0;
    uint16_t packType = 0, pixelType = 0, pixelSize = 0, componentCount = 0, componentSize = 0;
    size_t colorTable = 0;  // the first entry, for packed indexed maps
    uint32_t colors = 0;
    size_t rows = 0;  // the first row's bytes
  };

  bool ReadPixMap(CByteReader& in);
  int32_t CheckFormat() const;
  // The bytes an unpacked row holds.
  uint32_t UnpackedRowBytes() const;
  bool IsPacked() const { return fPixMap.rowBytes >= 8; }
  bool ReadRowCount(CByteReader& in, uint32_t* count) const;
  int32_t CheckRows() const;
  void ReadPalette(uint32_t* palette) const;
  int32_t ReadInto(CImage* image) const;
  int32_t ConvertRows(const CImNavigator& nav, uint8_t* row) const;

  const uint8_t* fData = nullptr;
  size_t fSize = 0;
  CImage* fImage = nullptr;
  EKind fKind = kKindNone;
  SPixMap fPixMap;
  bool fOwnsImage = true;
  bool fHeaderRead = false;
};
