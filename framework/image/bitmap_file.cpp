#include "framework/image/bitmap_file.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "framework/core/byte_reader.h"
#include "framework/core/four_cc.h"
#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
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

int32_t WriteBmp(const CFileSpec& spec, CImage* image, uint64_t rowBytes) {
  const uint32_t width = image->GetWidth(), height = image->GetHeight();
  uint8_t header[kHeaderBytes];
  bmp::FillWrittenHeader(header, width, height, kPixelsPerMetre);

  CFile file(spec);
  if (const int32_t err = file.Create(FourCC("8BIM"), FourCC("PICT"))) return err;
  if (const int32_t err = file.Open(CFile::kModeWrite)) return err;
  uint32_t count = kHeaderBytes;
  if (const int32_t err = file.Write(&count, header)) return err;
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, false, false);
  // Rows go out a megabyte at a time: a write per row costs more than packing it, and the picture is
  // written while every render thread waits for the program to end.
  constexpr uint64_t kWriteBytes = 1 << 20;
  const uint32_t rowsPerWrite = uint32_t(std::clamp<uint64_t>(kWriteBytes / std::max<uint64_t>(rowBytes, 1), 1,
                                                              std::max(height, 1u)));
  CMemBlock rows(uint32_t(std::max<uint64_t>(rowBytes, 1) * rowsPerWrite), GetDataPool());
  if (!nav.IsUsable() || !rows.IsOwned()) return kErrOutOfMemory;
  // The last image row is the file's first; the bytes past 3 × width stay 0 as padding.
  std::memset(rows.GetData(), 0, rows.GetSize());
  for (uint32_t r = height; r > 0;) {
    const uint32_t packed = std::min(r, rowsPerWrite);
    for (uint32_t k = 0; k < packed; ++k)
      bmp::PackWrittenRow(&nav.Cells(--r)->value, width, rows.GetData() + size_t(k) * rowBytes);
    count = uint32_t(rowBytes * packed);
    if (const int32_t err = file.Write(&count, rows.GetData())) return err;
  }
  return file.Flush();
}

}  // namespace

int32_t SaveImageAsBmp(const CFileSpec& spec, CImage* image, bool replace) {
  if (!image) return kErrInvalidParameter;
  const uint64_t rowBytes = RowBytes(image->GetWidth(), bmp::kWrittenBits);
  if (bmp::WrittenFileBytes(image->GetWidth(), image->GetHeight()) > UINT32_MAX) return kErrInvalidSize;
  if (!replace && platform::PathExists(spec.GetPath())) return kErrObjectInUse;
  CFileSpec temporary;
  if (const int32_t err = CFileSpec::MakeTempBeside(spec, temporary)) return err;
  int32_t err = WriteBmp(temporary, image, rowBytes);
  if (!err) {
    // Without replace the rename refuses a file that appeared meanwhile.
    const bool moved = replace ? platform::ReplaceFile(temporary.GetPath(), spec.GetPath())
                               : platform::RenameFile(temporary.GetPath(), spec.GetPath());
    if (!moved) err = NonZeroError(MapLastError());
  }
  if (err) platform::DeleteFile(temporary.GetPath());
  return err;
}
