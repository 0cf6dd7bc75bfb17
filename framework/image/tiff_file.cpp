#include "framework/image/tiff_file.h"

#include <algorithm>

#include "framework/core/byte_reader.h"
#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"

namespace {

enum ETag : uint16_t {
  kTagWidth = 256,
  kTagHeight = 257,
  kTagBitsPerSample = 258,
  kTagCompression = 259,
  kTagPhotometric = 262,
  kTagStripOffsets = 273,
  kTagSamplesPerPixel = 277,
  kTagRowsPerStrip = 278,
  kTagStripByteCounts = 279,
  kTagPlanarConfiguration = 284,
  kTagPredictor = 317,
  kTagColorMap = 320,
};
enum EFieldType : uint16_t { kTypeShort = 3, kTypeLong = 4 };
enum EPredictor : uint16_t { kNoPredictor = 1, kHorizontalDifferencing = 2 };

constexpr uint16_t kMagic = 42;
constexpr uint8_t kLittleEndianMark = 'I';
constexpr uint8_t kBigEndianMark = 'M';
constexpr uint32_t kEntryBytes = 12;
constexpr uint32_t kBitsPerSample = 8;
constexpr uint32_t kColorMapValues = 3 * 256;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint16_t kChunky = 1;

uint32_t TypeSize(uint16_t type) {
  switch (type) {
    case kTypeShort: return 2;
    case kTypeLong: return 4;
    default: return 0;
  }
}

}  // namespace

struct CImTiffFile::SEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  size_t valueField = 0;  // where the entry's value or the offset of its values lies
};

CImTiffFile::CImTiffFile(const CFileSpec& spec, int32_t* result, bool readNow) : CFile(spec) {
  *result = readNow ? ReadFile() : kNoErr;
}

CImTiffFile::~CImTiffFile() {
  if (fOwnsImage) delete fImage;
  Close();
}

int32_t CImTiffFile::ReadFile() {
  const int32_t err = fContents.Load(*this);
  return err == kErrOutOfMemory ? kErrTiffOutOfMemory : err;
}

// Values that fit in the entry's four bytes are held there; longer ones lie at the offset it holds.
bool CImTiffFile::EntryValue(const SEntry& entry, uint32_t index, uint32_t* value) const {
  const uint32_t size = TypeSize(entry.type);
  if (size == 0 || index >= entry.count) return false;
  CByteReader in(fContents.GetData(), fContents.GetLength());
  uint64_t at = entry.valueField;
  if (uint64_t(entry.count) * size > 4) {
    uint32_t offset = 0;
    if (!in.Seek(entry.valueField) || !in.Read32(&offset, fBigEndian)) return false;
    at = offset;
  }
  at += uint64_t(index) * size;
  if (at > fContents.GetLength() || !in.Seek(size_t(at))) return false;
  if (size == 4) return in.Read32(value, fBigEndian);
  uint16_t half = 0;
  if (!in.Read16(&half, fBigEndian)) return false;
  *value = half;
  return true;
}

int32_t CImTiffFile::ReadDirectory() {
  if (!IsLoaded()) return kErrCorruptedMemory;
  CByteReader in(fContents.GetData(), fContents.GetLength());
  uint8_t mark[2] = {};
  uint16_t magic = 0, entries = 0;
  uint32_t directory = 0;
  if (!in.ReadBytes(mark, 2) || mark[0] != mark[1] || (mark[0] != kLittleEndianMark && mark[0] != kBigEndianMark))
    return kErrInvalidFormat;
  fBigEndian = mark[0] == kBigEndianMark;
  if (!in.Read16(&magic, fBigEndian) || magic != kMagic || !in.Read32(&directory, fBigEndian)) return kErrInvalidFormat;
  if (!in.Seek(directory) || !in.Read16(&entries, fBigEndian)) return kErrInvalidFormat;
  if (entries > kMostEntries) return kErrInvalidTag;
  if (!in.Has(size_t(entries) * kEntryBytes)) return kErrInvalidFormat;
  for (uint32_t i = 0; i < entries; ++i) {
    SEntry entry;
    in.Read16(&entry.tag, fBigEndian);
    in.Read16(&entry.type, fBigEndian);
    in.Read32(&entry.count, fBigEndian);
    entry.valueField = in.GetPosition();
    in.Skip(4);
    if (const int32_t err = ReadEntry(entry)) return err;
  }
  return CheckDirectory();
}

int32_t CImTiffFile::ReadEntry(const SEntry& entry) {
  const bool isShort = entry.type == kTypeShort;
  const bool isNumber = isShort || entry.type == kTypeLong;
  uint32_t value = 0;
  // Entries of one value: a SHORT, or where allowed a LONG.
  auto single = [&](bool longAllowed) {
    return entry.count == 1 && (isShort || (longAllowed && isNumber)) && EntryValue(entry, 0, &value);
  };
  switch (entry.tag) {
    case kTagWidth:
    case kTagHeight:
      if (!single(true) || value == 0 || value > kLargestSide) return kErrInvalidFormat;
      (entry.tag == kTagWidth ? fWidth : fHeight) = value;
      return kNoErr;
    case kTagBitsPerSample:
      if (!isShort || (entry.count != 1 && entry.count != 3 && entry.count != 4)) return kErrInvalidFormat;
      for (uint32_t i = 0; i < entry.count; ++i) {
        if (!EntryValue(entry, i, &value)) return kErrInvalidFormat;
        if (value != kBitsPerSample) {
          fRefusal = "a TIFF file of " + std::to_string(value) + " bits per sample is not read, only 8";
          return kErrInvalidFormat;
        }
      }
      fBytesPerPixel = uint16_t(entry.count);
      return kNoErr;
    case kTagCompression:
      if (!single(false)) return kErrInvalidFormat;
      if (value == kCompressionNone || value == kCompressionLzw) fCompression = uint16_t(value);
      return kNoErr;
    case kTagPhotometric:
      if (!single(false) || (value != kGrey && value != kRgb && value != kPalette)) return kErrInvalidFormat;
      fPhotometric = uint16_t(value);
      return kNoErr;
    case kTagStripOffsets: return ReadStripTable(entry, fStripOffsets, &fStripCount);
    case kTagStripByteCounts: return ReadStripTable(entry, fStripByteCounts, &fStripByteCountCount);
    case kTagSamplesPerPixel:
    case kTagPlanarConfiguration:
      if (!single(false)) return kErrInvalidFormat;
      (entry.tag == kTagSamplesPerPixel ? fSamplesPerPixel : fPlanarConfiguration) = uint16_t(value);
      return kNoErr;
    case kTagRowsPerStrip:
      if (!single(true)) return kErrInvalidFormat;
      fRowsPerStrip = value;
      return kNoErr;
    case kTagPredictor:
      if (!single(false) || (value != kNoPredictor && value != kHorizontalDifferencing)) return kErrInvalidFormat;
      fPredictor = uint16_t(value);
      return kNoErr;
    case kTagColorMap: return ReadColorMap(entry);
    default: return kNoErr;
  }
}

int32_t CImTiffFile::ReadStripTable(const SEntry& entry, uint32_t* table, uint32_t* count) {
  if (TypeSize(entry.type) == 0 || entry.count == 0 || entry.count > kMostStrips) return kErrInvalidFormat;
  for (uint32_t i = 0; i < entry.count; ++i) {
    if (!EntryValue(entry, i, &table[i])) return kErrInvalidFormat;
  }
  *count = entry.count;
  return kNoErr;
}

// Three tables of 16-bit values, red, then green, then blue; the high byte of each is the colour.
int32_t CImTiffFile::ReadColorMap(const SEntry& entry) {
  if (entry.type != kTypeShort || entry.count < kColorMapValues) return kErrInvalidFormat;
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t red = 0, green = 0, blue = 0;
    if (!EntryValue(entry, i, &red) || !EntryValue(entry, 256 + i, &green) || !EntryValue(entry, 512 + i, &blue))
      return kErrInvalidFormat;
    fPalette[i] = kOpaque | (red >> 8) << 16 | (green >> 8) << 8 | blue >> 8;
  }
  fHasColorMap = true;
  return kNoErr;
}

int32_t CImTiffFile::CheckDirectory() {
  if (fWidth == 0 || fHeight == 0 || fStripCount == 0) return kErrInvalidFormat;
  const bool oneByte = fPhotometric == kGrey || fPhotometric == kPalette;
  const bool rgbBytes = fPhotometric == kRgb && (fBytesPerPixel == 3 || fBytesPerPixel == 4);
  if (!(oneByte && fBytesPerPixel == 1) && !rgbBytes) return kErrInvalidFormat;
  if (fSamplesPerPixel != fBytesPerPixel || fPlanarConfiguration != kChunky) return kErrInvalidFormat;
  if (fPhotometric == kPalette && !fHasColorMap) return kErrInvalidFormat;
  // No value, 0 and the common 2^32 − 1 all mean one strip of every row.
  if (fRowsPerStrip == 0 || fRowsPerStrip > fHeight) fRowsPerStrip = fHeight;
  const uint32_t stripsNeeded = (fHeight + fRowsPerStrip - 1) / fRowsPerStrip;
  if (stripsNeeded > fStripCount) return kErrInvalidFormat;
  if (fStripByteCountCount && fStripByteCountCount != fStripCount) return kErrInvalidFormat;
  for (uint32_t i = 0; i < stripsNeeded; ++i) {
    const uint64_t end = uint64_t(fStripOffsets[i]) + (fStripByteCountCount ? fStripByteCounts[i] : 0);
    if (fStripOffsets[i] >= fContents.GetLength() || end > fContents.GetLength()) return kErrInvalidFormat;
  }
  return kNoErr;
}

uint32_t CImTiffFile::RowsInStrip(uint32_t strip) const {
  return std::min(fRowsPerStrip, fHeight - strip * fRowsPerStrip);
}

uint32_t CImTiffFile::StripBytes(uint32_t strip) const {
  return fStripByteCountCount ? fStripByteCounts[strip] : fContents.GetLength() - fStripOffsets[strip];
}

int32_t CImTiffFile::ReadImage(CImage** image, bool ownsImage) {
  *image = nullptr;
  if (!IsLoaded() || fWidth == 0) return kErrInvalidFormat;
  fOwnsImage = ownsImage;
  if (fCompression != kCompressionNone && fCompression != kCompressionLzw) return kErrInvalidFormat;
  if (fCompression == kCompressionNone) {
    for (uint32_t strip = 0; strip * fRowsPerStrip < fHeight; ++strip) {
      if (uint64_t(RowsInStrip(strip)) * RowBytes() > StripBytes(strip)) return kErrInvalidFormat;
    }
  }
  int32_t err = kNoErr;
  CImage* created = NewDataImage(fWidth, fHeight, &err);
  if (!created) return kErrTiffOutOfMemory;
  if ((err = ReadStrips(created))) {
    delete created;
    return err;
  }
  if (fOwnsImage) delete fImage;
  fImage = created;
  *image = created;
  return kNoErr;
}

int32_t CImTiffFile::ReadStrips(CImage* image) {
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, true, false);
  const bool lzw = fCompression == kCompressionLzw;
  CMemBlock buffer(lzw ? fRowsPerStrip * RowBytes() : 1, GetDataPool());
  if (!nav.IsUsable() || !buffer.IsOwned()) return kErrTiffOutOfMemory;
  for (uint32_t strip = 0; strip * fRowsPerStrip < fHeight; ++strip) {
    const uint32_t rows = RowsInStrip(strip);
    const uint8_t* data = fContents.GetData() + fStripOffsets[strip];
    if (lzw) {
      const size_t wanted = size_t(rows) * RowBytes();
      size_t decoded = 0;
      if (const int32_t err = TiffLzwDecode(data, StripBytes(strip), buffer.GetData(), wanted, &decoded)) return err;
      if (decoded < wanted) return kErrInvalidFormat;
      if (fPredictor == kHorizontalDifferencing) TiffUndoPredictor(buffer.GetData(), fWidth, rows, fBytesPerPixel);
      data = buffer.GetData();
    }
    ConvertRows(data, strip * fRowsPerStrip, rows, nav);
  }
  return kNoErr;
}

void CImTiffFile::ConvertRows(const uint8_t* rows, uint32_t firstRow, uint32_t rowCount, const CImNavigator& nav) const {
  for (uint32_t y = 0; y < rowCount; ++y) {
    const uint8_t* in = rows + size_t(y) * RowBytes();
    CImVector* out = nav.Cells(firstRow + y);
    for (uint32_t x = 0; x < fWidth; ++x, in += fBytesPerPixel) {
      if (fPhotometric == kPalette) {
        out[x].value = fPalette[in[0]];
      } else if (fPhotometric == kGrey) {
        out[x].Set(0xFF, in[0], in[0], in[0]);
      } else {
        out[x].Set(fBytesPerPixel == 4 ? in[3] : 0xFF, in[0], in[1], in[2]);
      }
    }
  }
}

void TiffUndoPredictor(uint8_t* rows, uint32_t width, uint32_t rowCount, uint32_t bytesPerPixel) {
  const size_t rowBytes = size_t(width) * bytesPerPixel;
  for (uint32_t y = 0; y < rowCount; ++y) {
    uint8_t* row = rows + y * rowBytes;
    for (size_t i = bytesPerPixel; i < rowBytes; ++i) row[i] = uint8_t(row[i] + row[i - bytesPerPixel]);
  }
}

CTiffIO::CTiffIO(const CFileSpec& spec) : CImageIO(spec) {
  int32_t result = kNoErr;
  fFile = new CImTiffFile(spec, &result, true);
  if (!fFile) result = kErrTiffOutOfMemory;
  else if (!result) result = fFile->ReadDirectory();
  if (!result) return;
  if (fFile) fRefusal = fFile->GetRefusal();
  delete fFile;
  fFile = nullptr;
  fOpen = false;
  fError = result;
}

CTiffIO::~CTiffIO() { delete fFile; }

int32_t CTiffIO::ReadImage(CImage** image) {
  *image = nullptr;
  if (!fOpen) return NonZeroError(fError);
  return fFile->ReadImage(image, false);
}
