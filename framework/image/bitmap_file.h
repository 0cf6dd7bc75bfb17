// BMP files: Windows device-independent bitmaps of 1, 4, 8, 16, 24 and 32 bits per pixel read into
// 32-bit images, and images written as uncompressed 24-bit files.
//
// A file is read whole, then checked: "BM", a 40-byte information header, a width and height of
// 1 to 64000, one of the six depths, no compression (or bit-field masks for 16 and 32 bits), and
// rows that lie within the file. Only then is an image made, so a file that lies about its size
// costs nothing. Every pixel read is opaque.
#pragma once

#include <cstdint>
#include <memory>
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

// The same file written while its picture is being made: rows the picture has final go into the
// temporary file as they come, at their places (the file's rows run bottom-up), and the system starts
// writing them to the disk at once, so that the picture's end leaves little to write and flush. The
// temporary file is made for the picture's size with the first rows or at the commit; a writer that
// ends without a commit deletes it.
class CImBitmapWriter {
 public:
  CImBitmapWriter(const CFileSpec& spec, bool replace);
  ~CImBitmapWriter();
  CImBitmapWriter(const CImBitmapWriter&) = delete;
  CImBitmapWriter& operator=(const CImBitmapWriter&) = delete;

  // Rows [top, bottom) of the picture hold their final pixels. Rows that follow those taken before,
  // from the first row on, are written in batches; others wait for the commit. 0, or the first
  // failure so far, after which nothing more is written.
  int32_t TakeRows(CImNavigator& picture, uint32_t top, uint32_t bottom);
  // Every row not written yet written from the picture (of the size of the rows taken), the file
  // flushed to the disk and moved over the target. 0, or the first failure: the target is then as
  // it was and the temporary file gone.
  int32_t Commit(CImage* picture);

 private:
  int32_t Begin(uint32_t width, uint32_t height);
  // Rows [fWritten, bottom) into the file.
  int32_t WriteRows(CImNavigator& picture, uint32_t bottom);
  int32_t Fail(int32_t error);
  void Discard();

  CFileSpec fTarget;
  bool fReplace;
  CFileSpec fTemporary;
  std::unique_ptr<CFile> fFile;
  std::unique_ptr<uint8_t[]> fBatch;
  uint32_t fBatchRows = 0;
  uint32_t fWidth = 0;
  uint32_t fHeight = 0;
  uint64_t fRowBytes = 0;
  // Rows from the top that are final, and of those the ones written.
  uint32_t fTaken = 0;
  uint32_t fWritten = 0;
  int32_t fError = 0;
};
