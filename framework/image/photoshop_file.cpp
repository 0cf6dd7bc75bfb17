#include "framework/image/photoshop_file.h"

#include <algorithm>

#include "framework/core/byte_reader.h"
#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/rl_compression.h"

namespace {

constexpr uint32_t kBandRows = 32;
constexpr uint16_t kDepth = 8;
constexpr uint32_t kMostBandChannels = 4;  // red, green, blue and alpha
constexpr uint64_t kColorModeLengthField = 26;
constexpr uint32_t kLengthBytes = 4;
constexpr uint32_t kCompressionBytes = 2;
constexpr uint32_t kByteCountBytes = 2;
// Pictures larger than this each way are refused before anything is made for them: a few packed
// bytes per row could otherwise ask for gigabytes. Smaller pictures are bounded by the data pool.
constexpr uint32_t kLargestSide = 16384;

}  // namespace

CPhShopFile::CPhShopFile(const CFileSpec& spec) : CFile(spec) {}

CPhShopFile::~CPhShopFile() {
  delete fRowStarts;
  delete fReadBuffer;
  Close();
}

int32_t CPhShopFile::ReadHeader() {
  if (fHeaderRead) return kNoErr;
  if (const int32_t err = Seek(platform::kSeekStart, 0)) return err;
  uint32_t count = kHeaderBytes;
  if (const int32_t err = Read(&count, fHeader, false)) return err;
  fHeaderLength = count;
  fHeaderRead = true;
  return kNoErr;
}

template <typename T>
int32_t CPhShopFile::GetField(EField field, T* value) {
  if (const int32_t err = ReadHeader()) return err;
  CByteReader in(fHeader, fHeaderLength);
  bool read = in.Seek(field);
  if constexpr (sizeof(T) == 2) read = read && in.ReadBE16(value);
  else read = read && in.ReadBE32(value);
  return read ? kNoErr : kErrEndOfFile;
}

int32_t CPhShopFile::GetSignature(uint32_t* signature) { return GetField(kFieldSignature, signature); }
int32_t CPhShopFile::GetVersion(uint16_t* version) { return GetField(kFieldVersion, version); }
int32_t CPhShopFile::GetChannels(uint16_t* channels) { return GetField(kFieldChannels, channels); }
int32_t CPhShopFile::GetRows(uint32_t* rows) { return GetField(kFieldRows, rows); }
int32_t CPhShopFile::GetColumns(uint32_t* columns) { return GetField(kFieldColumns, columns); }
int32_t CPhShopFile::GetDepth(uint16_t* depth) { return GetField(kFieldDepth, depth); }
int32_t CPhShopFile::GetMode(uint16_t* mode) { return GetField(kFieldMode, mode); }

int32_t CPhShopFile::ReadLength(uint64_t offset, uint32_t* length) {
  if (offset + kLengthBytes > fFileLength) return kErrInvalidFormat;
  uint8_t bytes[kLengthBytes] = {};
  if (const int32_t err = ReadAt(uint32_t(offset), bytes, kLengthBytes)) return err;
  CByteReader(bytes, kLengthBytes).ReadBE32(length);
  return kNoErr;
}

// Colour mode data, image resources, layer and mask information: each a 32-bit length and its
// bytes; the compression word follows.
int32_t CPhShopFile::ReadSections() {
  if (fSectionsRead) return kNoErr;
  if (const int32_t err = GetSize(&fFileLength)) return err;
  if (GetChannels(&fChannels) || GetRows(&fRows) || GetColumns(&fColumns)) return kErrInvalidFormat;
  uint64_t at = kColorModeLengthField;
  for (int section = 0; section < 3; ++section) {
    uint32_t length = 0;
    if (const int32_t err = ReadLength(at, &length)) return err;
    if (section == 0) fColorModeLength = length;
    at += kLengthBytes + uint64_t(length);
  }
  if (at + kCompressionBytes > fFileLength) return kErrInvalidFormat;
  uint8_t word[kCompressionBytes] = {};
  if (const int32_t err = ReadAt(uint32_t(at), word, kCompressionBytes)) return err;
  CByteReader(word, kCompressionBytes).ReadBE16(&fCompression);
  if (fCompression != kCompressionRaw && fCompression != kCompressionPackBits) return kErrInvalidFormat;
  fImageData = at + kCompressionBytes;
  fFirstPackedRow = fImageData + RowIndex(0, fChannels) * kByteCountBytes;
  fSectionsRead = true;
  return kNoErr;
}

int32_t CPhShopFile::ReadColorTable(uint8_t* table) {
  if (const int32_t err = ReadSections()) return err;
  if (fColorModeLength != kColorTableBytes) return kErrInvalidFormat;
  return ReadAt(uint32_t(kColorModeLengthField + kLengthBytes), table, kColorTableBytes);
}

// Each row's start, counted from the first packed row, from the table of 16-bit byte counts; one
// more entry holds the end of the last row.
int32_t CPhShopFile::ReadByteCounts() {
  if (fRowStarts) return kNoErr;
  if (const int32_t err = ReadSections()) return err;
  const uint64_t rows = RowIndex(0, fChannels);
  if (fFirstPackedRow > fFileLength || (rows + 1) * sizeof(uint64_t) > UINT32_MAX) return kErrInvalidFormat;
  CMemBlock counts(uint32_t(std::max<uint64_t>(rows * kByteCountBytes, 1)), GetDataPool());
  auto* starts = new CMemBlockT<uint64_t>(uint32_t((rows + 1) * sizeof(uint64_t)), GetDataPool());
  if (!counts.IsOwned() || !starts || !starts->IsOwned()) {
    delete starts;
    return kErrOutOfMemory;
  }
  if (const int32_t err = ReadAt(uint32_t(fImageData), counts.GetData(), uint32_t(rows * kByteCountBytes))) {
    delete starts;
    return err;
  }
  CByteReader in(counts.GetData(), counts.GetSize());
  uint64_t* start = starts->GetTyped();
  start[0] = 0;
  for (uint64_t k = 0; k < rows; ++k) {
    uint16_t count = 0;
    in.ReadBE16(&count);
    start[k + 1] = start[k] + count;
  }
  fRowStarts = starts;
  return kNoErr;
}

int32_t CPhShopFile::CheckImageData(uint16_t channels) {
  if (const int32_t err = ReadSections()) return err;
  if (channels > fChannels) return kErrInvalidFormat;
  const uint64_t rows = RowIndex(0, channels);
  if (fCompression == kCompressionRaw)
    return fImageData + rows * fColumns <= fFileLength ? kNoErr : kErrInvalidFormat;
  if (const int32_t err = ReadByteCounts()) return err;
  const uint64_t* start = fRowStarts->GetTyped();
  if (fFirstPackedRow + start[rows] > fFileLength) return kErrInvalidFormat;
  const uint64_t smallest = CRLCompression::SmallestPacked(fColumns);
  for (uint64_t k = 0; k < rows; ++k) {
    if (start[k + 1] - start[k] < smallest) return kErrInvalidFormat;
  }
  return kNoErr;
}

int32_t CPhShopFile::ReadChannelRows(uint32_t firstRow, uint16_t channel, uint32_t count, uint8_t* destination) {
  if (const int32_t err = ReadSections()) return err;
  if (channel >= fChannels || firstRow > fRows || count > fRows - firstRow) return kErrInvalidParameter;
  return fCompression == kCompressionRaw ? ReadRawRows(firstRow, channel, count, destination)
                                         : ReadPackedRows(firstRow, channel, count, destination);
}

int32_t CPhShopFile::ReadRawRows(uint32_t firstRow, uint16_t channel, uint32_t count, uint8_t* destination) {
  const uint64_t offset = fImageData + RowIndex(firstRow, channel) * fColumns;
  const uint64_t bytes = uint64_t(count) * fColumns;
  if (offset + bytes > fFileLength) return kErrInvalidFormat;
  return ReadAt(uint32_t(offset), destination, uint32_t(bytes));
}

int32_t CPhShopFile::ReadPackedRows(uint32_t firstRow, uint16_t channel, uint32_t count, uint8_t* destination) {
  if (const int32_t err = ReadByteCounts()) return err;
  const uint64_t* start = fRowStarts->GetTyped();
  const uint64_t first = RowIndex(firstRow, channel);
  const uint64_t begin = start[first], end = start[first + count];
  if (fFirstPackedRow + end > fFileLength) return kErrInvalidFormat;
  const uint32_t bytes = uint32_t(end - begin);
  if (!fReadBuffer || fReadBuffer->GetSize() < bytes) {
    delete fReadBuffer;
    fReadBuffer = new CMemBlock(std::max<uint32_t>(bytes, 1), GetDataPool());
    if (!fReadBuffer || !fReadBuffer->IsOwned()) {
      delete fReadBuffer;
      fReadBuffer = nullptr;
      return kErrOutOfMemory;
    }
  }
  if (const int32_t err = ReadAt(uint32_t(fFirstPackedRow + begin), fReadBuffer->GetData(), bytes)) return err;
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t k = first + i;
    CByteReader packed(fReadBuffer->GetData() + (start[k] - begin), size_t(start[k + 1] - start[k]));
    if (const int32_t err = CRLCompression::Decode(destination + uint64_t(i) * fColumns, fColumns, packed)) return err;
  }
  return kNoErr;
}

namespace {

struct SPicture {
  uint16_t mode = 0;
  uint16_t channels = 0;  // the channels read: 1, or 3 or 4 for RGB
  uint32_t rows = 0;
  uint32_t columns = 0;
};

// The header's checks, in the order of its fields.
int32_t ReadPictureHeader(CPhShopFile& file, SPicture* picture) {
  uint32_t signature = 0;
  if (file.GetSignature(&signature)) return kErrIO;
  if (signature != CPhShopFile::kSignature) return kErrInvalidFormat;
  uint16_t version = 0;
  if (file.GetVersion(&version) || version != CPhShopFile::kVersion) return kErrIncorrectVersion;
  uint16_t channels = 0, depth = 0;
  if (file.GetMode(&picture->mode) || file.GetRows(&picture->rows) || file.GetColumns(&picture->columns) ||
      file.GetChannels(&channels) || file.GetDepth(&depth))
    return kErrInvalidFormat;
  const uint16_t mode = picture->mode;
  if (mode != CPhShopFile::kModeGrey && mode != CPhShopFile::kModeIndexed && mode != CPhShopFile::kModeRgb)
    return kErrInvalidFormat;
  if (channels == 0 || channels == 2 || (mode == CPhShopFile::kModeRgb && channels < 3)) return kErrInvalidFormat;
  if (depth != kDepth || picture->rows == 0 || picture->columns == 0 || picture->rows > kLargestSide ||
      picture->columns > kLargestSide)
    return kErrInvalidFormat;
  picture->channels = mode == CPhShopFile::kModeRgb ? std::min<uint16_t>(channels, kMostBandChannels) : 1;
  return kNoErr;
}

// Band rows of each channel read lie `stride` bytes apart.
void ConvertBand(const SPicture& picture, const uint8_t* band, uint64_t stride, const uint8_t* colorTable,
                 uint32_t firstRow, uint32_t rows, const CImNavigator& nav) {
  for (uint32_t y = 0; y < rows; ++y) {
    const uint8_t* c0 = band + size_t(y) * picture.columns;
    CImVector* out = nav.Cells(firstRow + y);
    for (uint32_t x = 0; x < picture.columns; ++x) {
      const uint8_t v = c0[x];
      if (picture.mode == CPhShopFile::kModeGrey) {
        out[x].Set(0xFF, v, v, v);
      } else if (picture.mode == CPhShopFile::kModeIndexed) {
        out[x].Set(0xFF, colorTable[v], colorTable[256 + v], colorTable[512 + v]);
      } else {
        const uint8_t alpha = picture.channels == 4 ? c0[x + 3 * stride] : 0xFF;
        out[x].Set(alpha, v, c0[x + stride], c0[x + 2 * stride]);
      }
    }
  }
}

int32_t ReadBands(CPhShopFile& file, const SPicture& picture, const uint8_t* colorTable, CImage* image) {
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, true, false);
  const uint64_t stride = uint64_t(kBandRows) * picture.columns;
  if (kMostBandChannels * stride > UINT32_MAX) return kErrOutOfMemory;
  CMemBlock bands(uint32_t(kMostBandChannels * stride), GetDataPool());
  if (!nav.IsUsable() || !bands.IsOwned()) return kErrOutOfMemory;
  for (uint32_t first = 0; first < picture.rows; first += kBandRows) {
    const uint32_t rows = std::min(kBandRows, picture.rows - first);
    for (uint16_t channel = 0; channel < picture.channels; ++channel) {
      if (file.ReadChannelRows(first, channel, rows, bands.GetData() + channel * stride)) return kErrInvalidFormat;
    }
    ConvertBand(picture, bands.GetData(), stride, colorTable, first, rows, nav);
  }
  return kNoErr;
}

}  // namespace

int32_t CPhShopIO::Read(CImage** image) {
  *image = nullptr;
  CPhShopFile file(fSpec);
  if (file.Open(CFile::kModeRead)) return kErrIO;
  SPicture picture;
  if (const int32_t err = ReadPictureHeader(file, &picture)) return err;
  uint8_t colorTable[CPhShopFile::kColorTableBytes] = {};
  if (picture.mode == CPhShopFile::kModeIndexed) {
    if (const int32_t err = file.ReadColorTable(colorTable)) return err;
  }
  if (const int32_t err = file.CheckImageData(picture.channels)) return err;
  int32_t err = kNoErr;
  CImage* created = NewDataImage(picture.columns, picture.rows, &err);
  if (!created) return kErrOutOfMemory;
  if ((err = ReadBands(file, picture, colorTable, created))) {
    delete created;
    return err;
  }
  *image = created;
  return kNoErr;
}
