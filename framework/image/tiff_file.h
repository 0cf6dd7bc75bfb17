// TIFF files: baseline pictures of 8 bits per sample (grey, RGB, RGB with alpha, palette), each
// sample of a pixel next to the others, uncompressed or LZW with or without horizontal
// differencing, in either byte order and any number of strips, read into 32-bit images.
//
// The whole file is loaded, then its first directory is read and checked: sizes, strips, samples and
// the colour map must fit one another and lie within the file before an image is made. Pixels
// without alpha are opaque; the fourth sample of RGB pixels is kept as alpha.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/file.h"
#include "framework/image/image_io.h"
#include "framework/image/lzw.h"

class CImage;
class CImNavigator;

class CImTiffFile : public CFile {
 public:
  enum ECompression : uint16_t { kCompressionUnknown = 0, kCompressionNone = 1, kCompressionLzw = 5 };
  enum EPhotometric : uint16_t { kPhotometricUnknown = 0, kGrey = 1, kRgb = 2, kPalette = 3 };
  static constexpr uint32_t kLargestSide = 16383;
  static constexpr uint32_t kMostEntries = 50;
  static constexpr uint32_t kMostStrips = 4096;

  // With readNow the whole file is loaded at once; *result tells how that went (100003 when there
  // is no memory for it).
  CImTiffFile(const CFileSpec& spec, int32_t* result, bool readNow);
  ~CImTiffFile() override;

  int32_t ReadFile();
  // The first directory: 10 when the file is not loaded, 4 for more than 50 entries, 2 for anything
  // else that this reader cannot take.
  int32_t ReadDirectory();
  // A new image of the picture, deleted with this object when ownsImage is set. 2 for a compression
  // other than none and LZW, and for strips that do not hold their rows.
  int32_t ReadImage(CImage** image, bool ownsImage);

  bool IsLoaded() const { return fContents.IsLoaded(); }
  uint32_t GetWidth() const { return fWidth; }
  uint32_t GetHeight() const { return fHeight; }
  // Why ReadDirectory refused a well-formed file of a kind this reader does not take; empty
  // otherwise.
  const std::string& GetRefusal() const { return fRefusal; }

 private:
  struct SEntry;

  int32_t ReadEntry(const SEntry& entry);
  int32_t ReadStripTable(const SEntry& entry, uint32_t* table, uint32_t* count);
  int32_t ReadColorMap(const SEntry& entry);
  int32_t CheckDirectory();
  bool EntryValue(const SEntry& entry, uint32_t index, uint32_t* value) const;
  uint32_t RowBytes() const { return fWidth * fBytesPerPixel; }
  uint32_t RowsInStrip(uint32_t strip) const;
  // The bytes from a strip's start to its end: its byte count when the file gives them, else the
  // end of the file.
  uint32_t StripBytes(uint32_t strip) const;
  int32_t ReadStrips(CImage* image);
  void ConvertRows(const uint8_t* rows, uint32_t firstRow, uint32_t rowCount, const CImNavigator& nav) const;

  CFileBytes fContents;
  CImage* fImage = nullptr;
  std::string fRefusal;
  bool fOwnsImage = false;
  bool fBigEndian = false;
  uint16_t fCompression = kCompressionUnknown;
  uint16_t fPhotometric = kPhotometricUnknown;
  uint16_t fPredictor = 1;
  uint16_t fBytesPerPixel = 0;
  uint16_t fSamplesPerPixel = 1;
  uint16_t fPlanarConfiguration = 1;
  uint32_t fWidth = 0;
  uint32_t fHeight = 0;
  uint32_t fRowsPerStrip = 0;
  uint32_t fStripCount = 0;
  uint32_t fStripByteCountCount = 0;
  bool fHasColorMap = false;
  uint32_t fPalette[256] = {};
  uint32_t fStripOffsets[kMostStrips] = {};
  uint32_t fStripByteCounts[kMostStrips] = {};
};

// The TIFF reader of the dispatch: it loads the file and reads its directory when it is made.
class CTiffIO : public CImageIO {
 public:
  explicit CTiffIO(const CFileSpec& spec);
  ~CTiffIO() override;
  // The new image, which the caller owns; when loading or the directory failed, that failure's code
  // and no image.
  int32_t ReadImage(CImage** image);

 private:
  CImTiffFile* fFile = nullptr;
  int32_t fError = 0;
};

// Horizontal differencing undone: each byte of a pixel adds the same byte of the pixel on its left,
// modulo 256, across each of `rows` rows of width × bytesPerPixel bytes.
void TiffUndoPredictor(uint8_t* rows, uint32_t width, uint32_t rowCount, uint32_t bytesPerPixel);
