// Photoshop files ("8BPS", version 1): the merged image of greyscale, indexed and RGB pictures of
// 8 bits per channel and at most 16384 pixels each way, raw or PackBits, read into 32-bit images in
// bands of 32 rows.
//
// The header and the sections before the image data are read on demand; every offset is reckoned
// in 64 bits and checked against the file's length, and the rows that the picture needs must lie
// within the file before an image is made.
#pragma once

#include <cstdint>

#include "framework/core/file.h"
#include "framework/image/image_io.h"

class CMemBlock;
template <typename T>
class CMemBlockT;

class CPhShopFile : public CFile {
 public:
  enum EMode : uint16_t { kModeBitmap = 0, kModeGrey = 1, kModeIndexed = 2, kModeRgb = 3 };
  enum ECompression : uint16_t { kCompressionRaw = 0, kCompressionPackBits = 1 };
  static constexpr uint32_t kSignature = 0x38425053;  // "8BPS"
  static constexpr uint16_t kVersion = 1;
  static constexpr uint32_t kColorTableBytes = 768;

  explicit CPhShopFile(const CFileSpec& spec);
  ~CPhShopFile() override;

  // Reads the 26 header bytes once the file is open; a getter answers -39 when its field lies past
  // the end of a short file.
  int32_t ReadHeader();
  int32_t GetSignature(uint32_t* signature);
  int32_t GetVersion(uint16_t* version);
  int32_t GetChannels(uint16_t* channels);
  int32_t GetRows(uint32_t* rows);
  int32_t GetColumns(uint32_t* columns);
  int32_t GetDepth(uint16_t* depth);
  int32_t GetMode(uint16_t* mode);
  // The section lengths and the compression, once; 2 when they lead past the file's end or the
  // compression is neither raw nor PackBits.
  int32_t ReadSections();
  // 768 bytes: 256 reds, 256 greens, 256 blues. 2 unless the colour mode data are that long.
  int32_t ReadColorTable(uint8_t* table);
  // 2 unless rows × columns bytes of each channel below `channels` lie within the file, raw or
  // packed; packed rows must each hold at least the bytes that can fill a row.
  int32_t CheckImageData(uint16_t channels);
  // count rows of columns bytes of one channel from row firstRow on.
  int32_t ReadChannelRows(uint32_t firstRow, uint16_t channel, uint32_t count, uint8_t* destination);

 private:
  // Offsets and lengths of the header fields, as the file stores them.
  enum EField : uint32_t {
    kFieldSignature = 0,
    kFieldVersion = 4,
    kFieldChannels = 12,
    kFieldRows = 14,
    kFieldColumns = 18,
    kFieldDepth = 22,
    kFieldMode = 24,
    kHeaderBytes = 26,
  };

  template <typename T>
  int32_t GetField(EField field, T* value);
  int32_t ReadLength(uint64_t offset, uint32_t* length);
  int32_t ReadRawRows(uint32_t firstRow, uint16_t channel, uint32_t count, uint8_t* destination);
  int32_t ReadPackedRows(uint32_t firstRow, uint16_t channel, uint32_t count, uint8_t* destination);
  int32_t ReadByteCounts();
  uint64_t RowIndex(uint32_t row, uint16_t channel) const { return uint64_t(channel) * fRows + row; }

  bool fHeaderRead = false;
  bool fSectionsRead = false;
  uint8_t fHeader[kHeaderBytes] = {};
  uint32_t fHeaderLength = 0;
  uint32_t fRows = 0;
  uint32_t fColumns = 0;
  uint16_t fChannels = 0;
  uint32_t fFileLength = 0;
  uint32_t fColorModeLength = 0;
  uint16_t fCompression = kCompressionRaw;
  uint64_t fImageData = 0;  // after the compression word
  uint64_t fFirstPackedRow = 0;
  // Packed rows: each row's start counted from the first, one more entry for the end of the last.
  CMemBlockT<uint64_t>* fRowStarts = nullptr;
  CMemBlock* fReadBuffer = nullptr;
};

// The Photoshop reader of the dispatch.
class CPhShopIO : public CImageIO {
 public:
  using CImageIO::CImageIO;
  // A new image, which the caller owns; none on failure.
  int32_t Read(CImage** image);
};
