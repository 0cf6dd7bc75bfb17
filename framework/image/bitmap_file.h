// BMP files: Windows device-independent bitmaps of 1, 4, 8, 16, 24 and 32 bits per pixel read into
// 32-bit images, and images written as uncompressed 24-bit files.
//
// A file is read whole, then checked: "BM", a 40-byte information header, a width and height of
// 1 to 64000, one of the six depths, no compression (or bit-field masks for 16 and 32 bits), and
// rows that lie within the file. Only then is an image made, so a file that lies about its size
// costs nothing. Every pixel read is opaque.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/file.h"

class CImage;
class CImNavigator;

class CImBitmapFile : public CFile {
 public:
  // With readNow the whole file is loaded at once; *result tells how that went, and a failure
  // leaves the object neither loaded nor valid.
  CImBitmapFile(const CFileSpec& spec, int32_t* result, bool readNow);
  ~CImBitmapFile() override;

  // The reading entry: a new image when *image is null, else into the caller's image, which must
  // have the file's size (2 otherwise). The caller owns the image either way.
  // *refusal, when given, receives the sentence saying which kind of file is not read, when that
  // was why.
  static int32_t LoadImage(const CFileSpec& spec, CImage** image, std::string* refusal = nullptr);

  uint32_t GetWidth() const { return fWidth; }
  uint32_t GetHeight() const { return fHeight; }
  bool IsLoaded() const { return fContents.IsLoaded(); }
  bool IsValid() const { return fValid; }
  bool OwnsImage() const { return fOwnsImage; }
  CImage* GetImage() const { return fValid ? fImage : nullptr; }
  // Why ReadHeader refused a well-formed file of a kind this reader does not take; empty otherwise.
  const std::string& GetRefusal() const { return fRefusal; }

  int32_t ReadFile();
  int32_t ReadHeader();
  // A new image of the file's size in the application's data environment; deleted with this object
  // when ownsImage is set.
  int32_t ReadNewImage(CImage** image, bool ownsImage);
  int32_t ReadIntoImage(CImage* image);

 private:
  // The bit-field masks of 16- and 32-bit files, as shifts and widths.
  struct SChannel {
    uint32_t mask = 0;
    uint32_t shift = 0;
    uint32_t bits = 0;
  };

  // 9 when the image cannot be locked; a created image is deleted then.
  int32_t Convert(CImage* image, bool created);
  template <typename Pixel>
  void ConvertRows(const CImNavigator& nav, Pixel pixel) const;
  uint32_t PaletteColor(uint32_t index) const;
  uint32_t FieldColor(uint32_t value) const;

  CFileBytes fContents;
  CImage* fImage = nullptr;
  std::string fRefusal;
  uint64_t fPixelOffset = 0;
  uint64_t fRowBytes = 0;
  uint32_t fPaletteOffset = 0;
  uint32_t fPaletteColors = 0;
  SChannel fChannels[3];  // red, green, blue
  bool fBitFields = false;
  uint32_t fWidth = 0;
  uint32_t fHeight = 0;
  uint16_t fBitsPerPixel = 0;
  bool fOwnsImage = false;
  bool fValid = false;
};

// Writes the image as an uncompressed 24-bit BMP file (alpha dropped): into a temporary file beside
// the target, moved over it once complete. Without replace an existing file answers 17 and stays
// untouched; on any failure the target is as it was and no temporary file is left.
int32_t SaveImageAsBmp(const CFileSpec& spec, CImage* image, bool replace);
