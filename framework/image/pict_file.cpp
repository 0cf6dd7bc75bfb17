#include "framework/image/pict_file.h"

#include <algorithm>

#include "framework/core/byte_reader.h"
#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/rl_compression.h"

namespace {

enum EOpcode : uint16_t {
  kOpClipRegion = 0x0001,
  kOpVersion = 0x0011,
  kOpPackedBits = 0x0098,
  kOpDirectBits = 0x009A,
  kOpLongComment = 0x00A1,
  kOpEnd = 0x00FF,
  kOpHeader = 0x0C00,
};
constexpr uint16_t kVersion2 = 0x02FF;
enum EHeaderField : size_t { kVersionOpcodeField = 10, kOpcodesStart = 40 };
constexpr uint16_t kPixMapFlag = 0x8000;
constexpr size_t kBaseAddressBytes = 4;
constexpr size_t kPackSizeAndResolutions = 12;
constexpr size_t kPlaneBytesTableAndReserved = 12;
constexpr size_t kColorSeedAndFlags = 6;
constexpr size_t kColorEntryBytes = 8;     // value, red, green, blue
constexpr size_t kRectanglesAndMode = 18;  // source and destination rectangles, transfer mode
constexpr uint16_t kLongestNarrowRow = 250;  // rows up to this long count their packed bytes in one byte
constexpr uint16_t kDirectPixelType = 16;
enum EPackType : uint16_t { kPackDefault = 0, kPackComponents = 4 };
constexpr uint32_t kOpaque = 0xFF000000;
// Pictures larger than this each way are refused before anything is made for them: a few packed
// bytes per row could otherwise ask for gigabytes. Smaller pictures are bounded by the data pool.
constexpr int32_t kLargestSide = 16384;

// How a data length is given after an opcode.
enum class ELength {
  kFixed,        // `bytes` bytes
  kSizeWord,     // a 16-bit size that counts itself (regions, polygons)
  kLengthWord,   // a 16-bit length, then that many bytes
  kLengthLong,   // a 32-bit length, then that many bytes
  kText,         // `bytes` bytes, then a count byte and that many characters
  kComment,      // a 16-bit kind, a 16-bit length, then that many bytes
  kUnknown,
};
struct SDataLength {
  ELength kind;
  uint32_t bytes = 0;
};

// Data lengths of the version 2 opcodes before a pixel map, as published.
SDataLength OpcodeDataLength(uint16_t op) {
  using enum ELength;
  if (op >= 0x8100) return {kLengthLong};
  if (op >= 0x8000) return {kFixed, 0};
  if (op >= 0x0100) return {kFixed, uint32_t(op >> 8) * 2u};
  if (op >= 0x00D0) return {kLengthLong};
  if (op >= 0x00B0) return {kFixed, 0};
  if (op >= 0x00A2) return {kLengthWord};
  if (op >= 0x0030 && op <= 0x008F) {
    static constexpr SDataLength kShapes[] = {{kFixed, 8}, {kFixed, 0}, {kFixed, 8}, {kFixed, 0}, {kFixed, 8},
                                              {kFixed, 0}, {kFixed, 12}, {kFixed, 4}, {kSizeWord}, {kFixed, 0},
                                              {kSizeWord}, {kFixed, 0}};
    return kShapes[(op - 0x0030) / 8];
  }
  switch (op) {
    case 0x0000: case 0x0017: case 0x0018: case 0x0019: case 0x001C: case 0x001E: return {kFixed, 0};
    case 0x0004: return {kFixed, 1};
    case 0x0003: case 0x0005: case 0x0008: case 0x000D: case 0x0015: case 0x0016: case 0x0023: case 0x00A0:
      return {kFixed, 2};
    case 0x0006: case 0x0007: case 0x000B: case 0x000C: case 0x000E: case 0x000F: case 0x0021: return {kFixed, 4};
    case 0x001A: case 0x001B: case 0x001D: case 0x001F: case 0x0022: return {kFixed, 6};
    case 0x0002: case 0x0009: case 0x000A: case 0x0010: case 0x0020: return {kFixed, 8};
    case kOpClipRegion: return {kSizeWord};
    case 0x0024: case 0x0025: case 0x0026: case 0x0027: case 0x002C: case 0x002D: case 0x002E: case 0x002F:
    case 0x0092: case 0x0093: case 0x0094: case 0x0095: case 0x0096: case 0x0097:
    case 0x009C: case 0x009D: case 0x009E: case 0x009F:
      return {kLengthWord};
    case 0x0028: return {kText, 4};
    case 0x0029: case 0x002A: return {kText, 1};
    case 0x002B: return {kText, 2};
    case kOpLongComment: return {kComment};
    default: return {kUnknown};
  }
}

bool SkipOpcodeData(uint16_t op, CByteReader& in) {
  const SDataLength length = OpcodeDataLength(op);
  uint16_t word = 0;
  uint32_t longWord = 0;
  uint8_t count = 0;
  switch (length.kind) {
    case ELength::kFixed: return in.Skip(length.bytes);
    case ELength::kSizeWord: return in.ReadBE16(&word) && word >= 2 && in.Skip(word - 2u);
    case ELength::kLengthWord: return in.ReadBE16(&word) && in.Skip(word);
    case ELength::kLengthLong: return in.ReadBE32(&longWord) && in.Skip(longWord);
    case ELength::kText: return in.Skip(length.bytes) && in.ReadU8(&count) && in.Skip(count);
    case ELength::kComment: return in.Skip(2) && in.ReadBE16(&word) && in.Skip(word);
    case ELength::kUnknown: return false;
  }
  return false;
}

bool ReadSigned(CByteReader& in, int16_t* value) {
  uint16_t word = 0;
  if (!in.ReadBE16(&word)) return false;
  *value = int16_t(word);
  return true;
}

}  // namespace

CImPictFile::CImPictFile(const void* data, size_t size) : fData(static_cast<const uint8_t*>(data)), fSize(data ? size : 0) {}

CImPictFile::~CImPictFile() {
  if (fOwnsImage) delete fImage;
}

int32_t CImPictFile::ReadPicture(int32_t* width, int32_t* height) {
  *width = *height = 0;
  if (!fData) return kErrNoData;
  CByteReader in(fData, fSize);
  uint16_t versionOpcode = 0, version = 0, headerOpcode = 0;
  if (!in.Seek(kVersionOpcodeField) || !in.ReadBE16(&versionOpcode) || versionOpcode != kOpVersion)
    return kErrNoVersionOpcode;
  if (!in.ReadBE16(&version) || version != kVersion2 || !in.ReadBE16(&headerOpcode) || headerOpcode != kOpHeader)
    return kErrBadHeader;
  if (!in.Seek(kOpcodesStart)) return kErrNoPixMap;
  // Every opcode starts at an even offset; each pass consumes at least the opcode's two bytes.
  for (;;) {
    if (in.GetPosition() % 2 && !in.Skip(1)) return kErrNoPixMap;
    uint16_t op = 0;
    if (!in.ReadBE16(&op) || op == kOpEnd) return kErrNoPixMap;
    if (op == kOpPackedBits || op == kOpDirectBits) {
      fKind = op == kOpPackedBits ? kKindPacked : kKindDirect;
      if (!ReadPixMap(in)) return kErrNoPixMap;
      break;
    }
    if (!SkipOpcodeData(op, in)) return kErrNoPixMap;
  }
  fHeaderRead = true;
  *width = int32_t(fPixMap.right) - fPixMap.left;
  *height = int32_t(fPixMap.bottom) - fPixMap.top;
  return kNoErr;
}

// The pixel map record after its opcode, and for packed maps the colour table that follows it.
bool CImPictFile::ReadPixMap(CByteReader& in) {
  SPixMap map;
  uint16_t version = 0, colorCount = 0;
  const bool direct = fKind == kKindDirect;
  const bool read = (!direct || in.Skip(kBaseAddressBytes)) && in.ReadBE16(&map.rowBytes) &&
                    ReadSigned(in, &map.top) && ReadSigned(in, &map.left) && ReadSigned(in, &map.bottom) &&
                    ReadSigned(in, &map.right) && in.ReadBE16(&version) && in.ReadBE16(&map.packType) &&
                    in.Skip(kPackSizeAndResolutions) && in.ReadBE16(&map.pixelType) &&
                    in.ReadBE16(&map.pixelSize) && in.ReadBE16(&map.componentCount) &&
                    in.ReadBE16(&map.componentSize) && in.Skip(kPlaneBytesTableAndReserved);
  if (!read) return false;
  map.isPixMap = map.rowBytes & kPixMapFlag;
  map.rowBytes &= uint16_t(~kPixMapFlag);
  if (!direct) {
    // The table's size is its number of entries less one.
    if (!in.Skip(kColorSeedAndFlags) || !in.ReadBE16(&colorCount)) return false;
    map.colorTable = in.GetPosition();
    map.colors = uint32_t(colorCount) + 1;
    if (!in.Skip(map.colors * kColorEntryBytes)) return false;
  }
  if (!in.Skip(kRectanglesAndMode)) return false;
  map.rows = in.GetPosition();
  fPixMap = map;
  return true;
}

int32_t CImPictFile::CheckFormat() const {
  const SPixMap& m = fPixMap;
  if (!m.isPixMap || m.right <= m.left || m.bottom <= m.top || m.componentSize != 8 ||
      m.right - m.left > kLargestSide || m.bottom - m.top > kLargestSide)
    return kErrInvalidFormat;
  if (fKind == kKindPacked) {
    const bool indexed8 = m.pixelSize == 8 && m.pixelType == 0 && m.componentCount == 1 && m.packType == kPackDefault;
    return indexed8 && (IsPacked() || m.rowBytes >= m.right - m.left) ? kNoErr : kErrInvalidFormat;
  }
  const bool direct32 = m.pixelType == kDirectPixelType && m.pixelSize == 32 &&
                        (m.componentCount == 3 || m.componentCount == 4) &&
                        (m.packType == kPackDefault || m.packType == kPackComponents);
  return direct32 && (IsPacked() || m.rowBytes >= 4 * (m.right - m.left)) ? kNoErr : kErrInvalidFormat;
}

// Packed rows unpack to the index bytes, or to one plane of width bytes per component; rows that
// were too short to pack are stored as the pixel map holds them.
uint32_t CImPictFile::UnpackedRowBytes() const {
  if (!IsPacked()) return fPixMap.rowBytes;
  const uint32_t width = uint32_t(fPixMap.right - fPixMap.left);
  return fKind == kKindPacked ? width : width * fPixMap.componentCount;
}

bool CImPictFile::ReadRowCount(CByteReader& in, uint32_t* count) const {
  const bool wideCount = fPixMap.rowBytes > kLongestNarrowRow;
  uint8_t narrow = 0;
  uint16_t wide = 0;
  const bool read = wideCount ? in.ReadBE16(&wide) : in.ReadU8(&narrow);
  *count = wideCount ? wide : narrow;
  return read;
}

// Each row's count and bytes lie within the picture and can fill the row, before an image is made.
int32_t CImPictFile::CheckRows() const {
  CByteReader in(fData, fSize);
  in.Seek(fPixMap.rows);
  const uint64_t smallest = CRLCompression::SmallestPacked(UnpackedRowBytes());
  for (int32_t y = fPixMap.top; y < fPixMap.bottom; ++y) {
    uint32_t count = fPixMap.rowBytes;
    if (IsPacked() && (!ReadRowCount(in, &count) || count < smallest)) return kErrInvalidFormat;
    if (!in.Skip(count)) return kErrInvalidFormat;
  }
  return kNoErr;
}

// Entries beyond the table read as opaque black; the high byte of each 16-bit component is the colour.
void CImPictFile::ReadPalette(uint32_t* palette) const {
  CByteReader in(fData, fSize);
  in.Seek(fPixMap.colorTable);
  for (uint32_t i = 0; i < 256; ++i) {
    uint16_t value = 0, red = 0, green = 0, blue = 0;
    palette[i] = kOpaque;
    if (i < fPixMap.colors && in.ReadBE16(&value) && in.ReadBE16(&red) && in.ReadBE16(&green) && in.ReadBE16(&blue))
      palette[i] = kOpaque | uint32_t(red >> 8) << 16 | uint32_t(green >> 8) << 8 | uint32_t(blue >> 8);
  }
}

int32_t CImPictFile::ConvertRows(const CImNavigator& nav, uint8_t* row) const {
  uint32_t palette[256] = {};
  if (fKind == kKindPacked) ReadPalette(palette);
  const uint32_t width = nav.GetColumns(), rowBytes = UnpackedRowBytes();
  const bool alpha = fPixMap.componentCount == 4;
  CByteReader in(fData, fSize);
  in.Seek(fPixMap.rows);
  for (uint32_t y = 0; y < nav.GetRows(); ++y) {
    if (IsPacked()) {
      uint32_t count = 0;
      if (!ReadRowCount(in, &count) || !in.Has(count)) return kErrInvalidFormat;
      CByteReader packed(fData + in.GetPosition(), count);
      in.Skip(count);
      if (const int32_t err = CRLCompression::Decode(row, rowBytes, packed)) return err;
    } else if (!in.ReadBytes(row, rowBytes)) {
      return kErrInvalidFormat;
    }
    CImVector* out = nav.Cells(y);
    for (uint32_t x = 0; x < width; ++x) {
      if (fKind == kKindPacked) {
        out[x].value = palette[row[x]];
      } else if (IsPacked()) {
        // Planes of width bytes: alpha first when there are four components, then red, green, blue.
        const uint8_t* c = row + (alpha ? width : 0) + x;
        out[x].Set(alpha ? row[x] : 0xFF, c[0], c[width], c[2 * width]);
      } else {
        // Unpacked direct pixels as they lie in memory: alpha or unused, red, green, blue.
        const uint8_t* p = row + 4 * x;
        out[x].Set(alpha ? p[0] : 0xFF, p[1], p[2], p[3]);
      }
    }
  }
  return kNoErr;
}

int32_t CImPictFile::ReadPixels(bool ownsImage) {
  if (!fHeaderRead) return kErrUnexpectedStatus;
  fOwnsImage = ownsImage;
  if (const int32_t err = CheckFormat()) return err;
  const uint32_t width = uint32_t(fPixMap.right - fPixMap.left), height = uint32_t(fPixMap.bottom - fPixMap.top);
  if (fImage && (fImage->GetWidth() != width || fImage->GetHeight() != height)) return kErrInvalidParameter;
  if (const int32_t err = CheckRows()) return err;
  int32_t err = kNoErr;
  CImage* image = fImage ? fImage : NewDataImage(width, height, &err);
  if (!image) return kErrOutOfMemory;
  if ((err = ReadInto(image))) {
    if (image != fImage) delete image;
    return err;
  }
  fImage = image;
  return kNoErr;
}

int32_t CImPictFile::ReadInto(CImage* image) const {
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, true, false);
  CMemBlock row(UnpackedRowBytes(), GetDataPool());
  if (!nav.IsUsable() || !row.IsOwned()) return kErrOutOfMemory;
  return ConvertRows(nav, row.GetData());
}
