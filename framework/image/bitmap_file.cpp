#include "framework/image/bitmap_file.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "framework/core/byte_reader.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "framework/image/bmp_layout.h"
#include "framework/image/image.h"
#include "platform/file.h"

namespace {

using bmp::kHeaderBytes;
using bmp::kInfoHeaderBytes;
using bmp::kMagic;
using bmp::kMaskFields;
using bmp::kPixelOffsetField;
using bmp::RowBytes;
// Later information headers, which put colour spaces and more after the 40 bytes.
constexpr uint32_t kVersion4HeaderBytes = 108;
constexpr uint32_t kVersion5HeaderBytes = 124;
constexpr uint32_t kMaskBytes = 12;
constexpr uint32_t kLargestSide = 64000;
enum ECompression : uint32_t { kUncompressed = 0, kBitFields = 3 };
constexpr uint32_t kOpaque = 0xFF000000;
// What the writer stores.
constexpr uint32_t kPixelsPerMetre = 2808;

bool IsReadableDepth(uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

uint32_t LE16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t LE32(const uint8_t* p) { return LE16(p) | LE16(p + 2) << 16; }

uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) { return red << 16 | green << 8 | blue; }

}  // namespace

CImBitmapFile::CImBitmapFile(const CFileSpec& spec, int32_t* result, bool readNow) : CFile(spec), fValid(true) {
  *result = kNoErr;
  if (!readNow) return;
  *result = ReadFile();
  if (*result) fValid = false;
}

CImBitmapFile::~CImBitmapFile() {
  if (fOwnsImage) delete fImage;
  Close();
}

int32_t CImBitmapFile::ReadFile() { return fContents.Load(*this); }

int32_t CImBitmapFile::ReadHeader() {
  if (!IsLoaded()) return kErrOutOfMemory;
  CByteReader in(fContents.GetData(), fContents.GetLength());
  uint16_t magic = 0, planes = 0, bits = 0;
  uint32_t pixelOffset = 0, infoSize = 0, width = 0, height = 0, compression = 0;
  const bool read = in.ReadLE16(&magic) && in.Seek(kPixelOffsetField) && in.ReadLE32(&pixelOffset) &&
                    in.ReadLE32(&infoSize) && in.ReadLE32(&width) && in.ReadLE32(&height) && in.ReadLE16(&planes) &&
                    in.ReadLE16(&bits) && in.ReadLE32(&compression);
  if (!read || magic != kMagic) return kErrInvalidFormat;
  // Heights above 64000 include the negative ones of top-down files.
  if (width == 0 || width > kLargestSide || height == 0 || height > kLargestSide) return kErrInvalidFormat;
  // Smaller headers place their fields elsewhere; larger ones are not read.
  if (infoSize != kInfoHeaderBytes) {
    if (infoSize == kVersion4HeaderBytes || infoSize == kVersion5HeaderBytes)
      fRefusal = "a BMP file with a version " + std::to_string(infoSize == kVersion4HeaderBytes ? 4 : 5) + " header (" +
                 std::to_string(infoSize) + " bytes) is not read, only the 40-byte header";
    return kErrInvalidFormat;
  }
  if (!IsReadableDepth(bits)) return kErrInvalidFormat;
  fBitFields = compression == kBitFields && (bits == 16 || bits == 32);
  if (compression != kUncompressed && !fBitFields) return kErrInvalidFormat;
  uint32_t paletteOffset = kHeaderBytes;
  if (fBitFields) {
    in.Seek(kMaskFields);
    for (SChannel& channel : fChannels) {
      if (!in.ReadLE32(&channel.mask)) return kErrInvalidFormat;
      channel.shift = channel.mask ? uint32_t(std::countr_zero(channel.mask)) : 0;
      channel.bits = uint32_t(std::popcount(channel.mask));
    }
    paletteOffset += kMaskBytes;
  }
  const uint64_t rowBytes = RowBytes(width, bits);
  if (pixelOffset < paletteOffset || pixelOffset + rowBytes * height > fContents.GetLength()) return kErrInvalidFormat;
  fWidth = width;
  fHeight = height;
  fBitsPerPixel = bits;
  fRowBytes = rowBytes;
  fPixelOffset = pixelOffset;
  fPaletteOffset = paletteOffset;
  // The colour table is what lies between the headers and the pixels, at most one entry per index.
  fPaletteColors = bits <= 8 ? std::min((pixelOffset - paletteOffset) / 4, 1u << bits) : 0;
  return kNoErr;
}

int32_t CImBitmapFile::ReadNewImage(CImage** image, bool ownsImage) {
  *image = nullptr;
  if (!IsLoaded()) return kErrOutOfMemory;
  if (!IsReadableDepth(fBitsPerPixel)) return kErrInvalidFormat;
  fOwnsImage = ownsImage;
  int32_t err = kNoErr;
  CImage* created = NewDataImage(fWidth, fHeight, &err);
  if (!created) return err;
  if ((err = Convert(created, true))) return err;
  fImage = created;
  *image = created;
  return kNoErr;
}

int32_t CImBitmapFile::ReadIntoImage(CImage* image) {
  if (!IsLoaded()) return kErrOutOfMemory;
  if (!IsReadableDepth(fBitsPerPixel)) return kErrInvalidFormat;
  return Convert(image, false);
}

uint32_t CImBitmapFile::PaletteColor(uint32_t index) const {
  if (index >= fPaletteColors) return 0;
  const uint8_t* entry = fContents.GetData() + fPaletteOffset + 4 * index;
  return Rgb(entry[2], entry[1], entry[0]);
}

// Each channel's bits moved down to bit 0, then widened or narrowed to 8 bits.
uint32_t CImBitmapFile::FieldColor(uint32_t value) const {
  uint32_t channels[3] = {};
  for (int i = 0; i < 3; ++i) {
    const SChannel& c = fChannels[i];
    const uint32_t v = (value & c.mask) >> c.shift;
    channels[i] = c.bits < 8 ? v << (8 - c.bits) : v >> (c.bits - 8);
  }
  return Rgb(channels[0], channels[1], channels[2]);
}

// File rows run from the bottom of the picture up; pixel(row, x) gives a pixel's colour.
template <typename Pixel>
void CImBitmapFile::ConvertRows(const CImNavigator& nav, Pixel pixel) const {
  for (uint32_t y = 0; y < fHeight; ++y) {
    const uint8_t* row = fContents.GetData() + fPixelOffset + uint64_t(y) * fRowBytes;
    CImVector* out = nav.Cells(fHeight - 1 - y);
    for (uint32_t x = 0; x < fWidth; ++x) out[x].value = kOpaque | pixel(row, x);
  }
}

int32_t CImBitmapFile::Convert(CImage* image, bool created) {
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, true, false);
  if (!nav.IsUsable() || nav.GetColumns() != fWidth || nav.GetRows() != fHeight) {
    if (created) delete image;
    return kErrOutOfMemory;
  }
  switch (fBitsPerPixel) {
    case 1: ConvertRows(nav, [&](const uint8_t* r, uint32_t x) { return PaletteColor(r[x / 8] >> (7 - x % 8) & 1); }); break;
    case 4: ConvertRows(nav, [&](const uint8_t* r, uint32_t x) { return PaletteColor(x % 2 ? r[x / 2] & 15 : r[x / 2] >> 4); }); break;
    case 8: ConvertRows(nav, [&](const uint8_t* r, uint32_t x) { return PaletteColor(r[x]); }); break;
    case 16:
      ConvertRows(nav, [&](const uint8_t* r, uint32_t x) {
        const uint32_t v = LE16(r + 2 * x);
        return fBitFields ? FieldColor(v) : Rgb(((v >> 10) & 31) << 3, ((v >> 5) & 31) << 3, (v & 31) << 3);
      });
      break;
    case 24: ConvertRows(nav, [](const uint8_t* r, uint32_t x) { return Rgb(r[3 * x + 2], r[3 * x + 1], r[3 * x]); }); break;
    default:
      ConvertRows(nav, [&](const uint8_t* r, uint32_t x) {
        const uint8_t* p = r + 4 * x;
        return fBitFields ? FieldColor(LE32(p)) : Rgb(p[2], p[1], p[0]);
      });
      break;
  }
  return kNoErr;
}

int32_t CImBitmapFile::LoadImage(const CFileSpec& spec, CImage** image, std::string* refusal) {
  int32_t result = kNoErr;
  CImBitmapFile file(spec, &result, true);
  if (result) return result;
  if (const int32_t err = file.ReadHeader()) {
    if (refusal) *refusal = file.GetRefusal();
    return err;
  }
  if (!*image) return file.ReadNewImage(image, false);
  if ((*image)->GetWidth() != file.GetWidth() || (*image)->GetHeight() != file.GetHeight()) return kErrInvalidFormat;
  return file.ReadIntoImage(*image);
}

// ---- writing

namespace {

// Rows go out about a quarter of a megabyte at a time: a write per row costs more than packing it,
// and a batch is soon on its way to the disk while the picture's later rows are made.
constexpr uint64_t kBatchBytes = 1 << 18;

}  // namespace

CImBitmapWriter::CImBitmapWriter(const CFileSpec& spec, bool replace) : fTarget(spec), fReplace(replace) {}

CImBitmapWriter::~CImBitmapWriter() { Discard(); }

void CImBitmapWriter::Discard() {
  if (fFile && fFile->IsOpen()) {
    // Nothing of a file about to go needs to reach the disk.
    fFile->SetScratch(true);
    fFile->Close();
  }
  if (fFile) platform::DeleteFile(fTemporary.GetPath());
  fFile.reset();
}

int32_t CImBitmapWriter::Fail(int32_t error) {
  Discard();
  return fError = error;
}

int32_t CImBitmapWriter::Begin(uint32_t width, uint32_t height) {
  if (bmp::WrittenFileBytes(width, height) > UINT32_MAX) return Fail(kErrInvalidSize);
  if (!fReplace && platform::PathExists(fTarget.GetPath())) return Fail(kErrObjectInUse);
  fWidth = width;
  fHeight = height;
  fRowBytes = RowBytes(width, bmp::kWrittenBits);
  fBatchRows = uint32_t(std::clamp<uint64_t>(kBatchBytes / std::max<uint64_t>(fRowBytes, 1), 1, std::max(height, 1u)));
  // The bytes past 3 × width stay 0 as padding.
  fBatch.reset(new (std::nothrow) uint8_t[fRowBytes * fBatchRows]());
  if (!fBatch) return Fail(kErrOutOfMemory);
  if (const int32_t err = CFileSpec::MakeTempBeside(fTarget, fTemporary)) return Fail(err);
  fFile = std::make_unique<CFile>(fTemporary);
  if (const int32_t err = fFile->Create(FourCC("8BIM"), FourCC("PICT"))) return Fail(err);
  if (const int32_t err = fFile->Open(CFile::kModeWrite)) return Fail(err);
  uint8_t header[kHeaderBytes];
  bmp::FillWrittenHeader(header, width, height, kPixelsPerMetre);
  if (const int32_t err = fFile->WriteAt(0, header, kHeaderBytes)) return Fail(err);
  return kNoErr;
}

int32_t CImBitmapWriter::WriteRows(CImNavigator& picture, uint32_t bottom) {
  while (fWritten < bottom) {
    const uint32_t rows = std::min(bottom - fWritten, fBatchRows);
    // The batch's last row comes first in the file.
    for (uint32_t k = 0; k < rows; ++k)
      bmp::PackWrittenRow(&picture.Cells(fWritten + rows - 1 - k)->value, fWidth, fBatch.get() + k * fRowBytes);
    const uint64_t offset = kHeaderBytes + (fHeight - fWritten - rows) * fRowBytes;
    const uint32_t bytes = uint32_t(rows * fRowBytes);
    if (const int32_t err = fFile->WriteAt(uint32_t(offset), fBatch.get(), bytes)) return Fail(err);
    platform::StartWriteback(fFile->GetHandle(), int64_t(offset), bytes);
    fWritten += rows;
  }
  return kNoErr;
}

int32_t CImBitmapWriter::TakeRows(CImNavigator& picture, uint32_t top, uint32_t bottom) {
  if (fError) return fError;
  if (!fFile) {
    if (const int32_t err = Begin(picture.GetColumns(), picture.GetRows())) return err;
  }
  if (top > fTaken || bottom <= fTaken) return kNoErr;
  fTaken = std::min(bottom, fHeight);
  return fTaken - fWritten >= fBatchRows ? WriteRows(picture, fTaken) : kNoErr;
}

int32_t CImBitmapWriter::Commit(CImage* picture) {
  if (fError) return fError;
  if (!picture) return Fail(kErrInvalidParameter);
  const SRect whole = picture->GetBounds();
  CImNavigator nav(picture, &whole, false, false);
  if (!nav.IsUsable()) return Fail(kErrOutOfMemory);
  if (!fFile) {
    if (const int32_t err = Begin(nav.GetColumns(), nav.GetRows())) return err;
  }
  if (nav.GetColumns() != fWidth || nav.GetRows() != fHeight) return Fail(kErrInvalidParameter);
  if (const int32_t err = WriteRows(nav, fHeight)) return err;
  if (const int32_t err = fFile->Flush()) return Fail(err);
  // Without replace the rename refuses a file that appeared meanwhile.
  const bool moved = fReplace ? platform::ReplaceFile(fTemporary.GetPath(), fTarget.GetPath())
                              : platform::RenameFile(fTemporary.GetPath(), fTarget.GetPath());
  if (!moved) return Fail(NonZeroError(MapLastError()));
  fFile.reset();
  return kNoErr;
}

int32_t SaveImageAsBmp(const CFileSpec& spec, CImage* image, bool replace) {
  if (!image) return kErrInvalidParameter;
  return CImBitmapWriter(spec, replace).Commit(image);
}
