#include "framework/image/image_record.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "framework/core/byte_order.h"
#include "framework/core/byte_reader.h"
#include "framework/core/cm_file.h"
#include "framework/core/four_cc.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "framework/image/image8.h"

namespace {

constexpr uint32_t kRecordTag = FourCC("imge");
constexpr uint32_t kKind32 = FourCC("iv32");
constexpr uint32_t kKind8 = FourCC("iv08");
constexpr uint32_t kPackedTag = FourCC("arle");
constexpr uint32_t kCellSize = 4;
constexpr uint32_t kHeaderWords = 12;
constexpr uint32_t kPlanes = 4;
constexpr uint8_t kLiteralFlag = 128;
constexpr uint32_t kLongestRun = 126;
constexpr uint32_t kLongestLiteral = 125;
constexpr uint32_t kShortestRun = 3;

enum EHeaderWord : uint32_t { kTag, kKind, kCell, kWidth, kRowBytes, kHeight, kOriginH, kOriginV, kTop, kLeft, kBottom, kRight };

bool Fail(CSpoolMem& object, int32_t error) {
  object.SetError(NonZeroError(error));
  return false;
}

bool InResourceEnvironment(const CImage& image) {
  const CSpoolSys* env = image.GetEnvironment();
  return env && env->GetKind() == kResourceKind;
}

// Where plane i (top byte, red, green, blue) lies within a pixel in memory.
constexpr uint32_t PlaneOffset(uint32_t plane) { return std::endian::native == std::endian::little ? 3 - plane : plane; }

bool IsUnpadded(const CImage& image) { return uint64_t(image.GetStride()) == uint64_t(image.GetWidth()) * kCellSize; }

uint64_t PlaneBytes(const CImage& image) { return uint64_t(image.GetWidth()) * image.GetHeight(); }

// The header's words, checked against the kind and cell size of the record being read: 2 for another
// tag or kind, 16 for another cell size, a width of 0 or rows shorter than the width.
int32_t ReadImageHeader(const CMemBlock& block, uint32_t kind, uint32_t cellSize, uint32_t (&words)[kHeaderWords]) {
  CByteReader in(block.GetData(), block.GetSize());
  for (uint32_t& word : words) {
    if (!in.ReadBE32(&word)) return kErrInvalidFormat;
  }
  if (words[kTag] != kRecordTag || words[kKind] != kind) return kErrInvalidFormat;
  const uint32_t width = words[kWidth];
  const uint32_t rowBytes = words[kRowBytes];
  // Rows that are not whole cells would leave every row after the first misaligned.
  if (words[kCell] != cellSize || width == 0 || (rowBytes && rowBytes < uint64_t(width) * cellSize) ||
      rowBytes % cellSize)
    return kErrInvalidParameter;
  return kNoErr;
}

// 2 when the stored body cannot fill the image the header describes, before anything is allocated
// for it: a raw body holds every byte, a packed one (32-bit images in a resource environment) at
// least one two-byte packet per 127 bytes of each plane. An image without bytes takes any body, and
// one too large to allocate is left to the allocation's own code.
int32_t CheckBodyHoldsImage(const CSpoolGrid& image, const uint32_t (&words)[kHeaderWords], uint32_t cellSize,
                            bool packable) {
  if (!image.IsBacked()) return kNoErr;
  const uint64_t rowBytes = words[kRowBytes] ? words[kRowBytes] : uint64_t(words[kWidth]) * cellSize;
  const uint64_t bytes = rowBytes * words[kHeight];
  const uint64_t stored = image.GetFile()->GetEntryField(uint32_t(image.GetDataEntry()));
  if (bytes == 0 || bytes > UINT32_MAX || stored >= bytes) return kNoErr;
  if (!packable || stored < kPackedPrefixBytes) return kErrInvalidFormat;
  constexpr uint64_t kLongestPacket = 127;
  const uint64_t planeBytes = uint64_t(words[kWidth]) * words[kHeight];
  const uint64_t fewestPackets = (planeBytes + kLongestPacket - 1) / kLongestPacket;
  return stored - kPackedPrefixBytes >= kPlanes * 2 * fewestPackets ? kNoErr : kErrInvalidFormat;
}

// "imge", the kind, the grid's sizes, then the origin and rectangle given, then zeros.
bool WriteImageHeader(CSpoolGrid& grid, CMemBlock& block, uint32_t kind, int32_t originH, int32_t originV,
                      const SRect& rect) {
  if (block.GetSize() < kImageHeaderBytes) return Fail(grid, kErrBufferSize);
  const uint32_t words[kHeaderWords] = {kRecordTag,
                                        kind,
                                        grid.GetCellSize(),
                                        grid.GetWidth(),
                                        grid.GetStride(),
                                        grid.GetHeight(),
                                        uint32_t(originH),
                                        uint32_t(originV),
                                        uint32_t(rect.top),
                                        uint32_t(rect.left),
                                        uint32_t(rect.bottom),
                                        uint32_t(rect.right)};
  uint8_t* out = block.GetData();
  std::memset(out, 0, kImageHeaderBytes);
  for (uint32_t i = 0; i < kHeaderWords; ++i) StoreBE32(out + 4 * i, words[i]);
  return true;
}

bool ReadHeader32(CImage& image, const CMemBlock& block) {
  uint32_t words[kHeaderWords];
  if (const int32_t err = ReadImageHeader(block, kKind32, kCellSize, words)) return Fail(image, err);
  if (const int32_t err = CheckBodyHoldsImage(image, words, kCellSize, InResourceEnvironment(image)))
    return Fail(image, err);
  // The stored clip rectangle does not survive: allocation makes the clip the whole grid.
  if (!image.Allocate(words[kWidth], words[kHeight], words[kRowBytes], false, true))
    return Fail(image, image.GetError());
  image.SetOrigin(int32_t(words[kOriginH]), int32_t(words[kOriginV]));
  return true;
}

bool WriteHeader32(CImage& image, CMemBlock& block) {
  return WriteImageHeader(image, block, kKind32, image.GetOriginH(), image.GetOriginV(), image.GetClip());
}

// The grid's clip becomes the whole grid; the stored origin and area are the 8-bit image's own.
bool ReadHeader8(CImage8& image, const CMemBlock& block) {
  uint32_t words[kHeaderWords];
  if (const int32_t err = ReadImageHeader(block, kKind8, sizeof(CImVector8), words)) return Fail(image, err);
  if (const int32_t err = CheckBodyHoldsImage(image, words, sizeof(CImVector8), false)) return Fail(image, err);
  if (!image.Allocate(words[kWidth], words[kHeight], words[kRowBytes], false, true))
    return Fail(image, image.GetError());
  image.SetAreaOrigin(int32_t(words[kOriginH]), int32_t(words[kOriginV]));
  image.SetArea(SRect{int32_t(words[kTop]), int32_t(words[kLeft]), int32_t(words[kBottom]), int32_t(words[kRight])});
  return true;
}

bool ReadBigEndian(CImage& image) {
  if (!ReadDataEntry(&image)) return false;
  SwapImagePixels(image);
  return true;
}

bool WriteBigEndian(CImage& image) {
  SwapImagePixels(image);
  const bool written = WriteDataEntry(&image);
  SwapImagePixels(image);
  return written;
}

bool LoadPacked(CImage& image, uint32_t stored) {
  if (stored == image.GetSpooledBytes()) return ReadBigEndian(image);
  if (stored < kPackedPrefixBytes) return Fail(image, kErrInvalidFormat);
  CMemBlock block(stored, GetDataPool());
  if (!block.IsOwned()) return Fail(image, kErrOutOfMemory);
  if (const int32_t err = image.GetFile()->ReadEntryToData(uint32_t(image.GetDataEntry()), block))
    return Fail(image, err);
  CByteReader in(block.GetData(), stored);
  uint32_t tag = 0;
  if (!in.ReadBE32(&tag) || tag != kPackedTag) return Fail(image, kErrInvalidFormat);
  const int32_t err = UnpackImage(image, block.GetData() + kPackedPrefixBytes, stored - kPackedPrefixBytes);
  return err ? Fail(image, err) : true;
}

// 0 with the packed body in block and its length; 9 or 2 when the image cannot be packed.
int32_t PackBody(CImage& image, CMemBlock& block, uint32_t* length) {
  const uint32_t capacity = PackedCapacity(image);
  if (capacity == 0 || !block.Init(capacity + kPackedPrefixBytes, GetDataPool())) return kErrOutOfMemory;
  StoreBE32(block.GetData(), kPackedTag);
  uint32_t packed = 0;
  if (const int32_t err = PackImage(image, block.GetData() + kPackedPrefixBytes, capacity, &packed)) return err;
  *length = kPackedPrefixBytes + packed;
  return kNoErr;
}

// A body that cannot be packed, or that packs to exactly the pixels' size, is stored big-endian.
bool SavePacked(CImage& image) {
  CMemBlock block;
  uint32_t length = 0;
  const int32_t err = PackBody(image, block, &length);
  if (err == kErrOutOfMemory || err == kErrInvalidFormat || (!err && length == image.GetSpooledBytes()))
    return WriteBigEndian(image);
  if (err) return Fail(image, err);
  CCmFile* file = image.GetFile();
  const uint32_t entry = uint32_t(image.GetDataEntry());
  int32_t written = file->SetEntrySize(entry, length);
  if (!written) written = file->WriteEntry(entry, block);
  return written ? Fail(image, written) : true;
}

bool ReadBody(CImage& image) {
  if (!image.IsBacked()) return Fail(image, kErrUnexpectedStatus);
  const uint32_t stored = image.GetFile()->GetEntryField(uint32_t(image.GetDataEntry()));
  if (stored == 0) return true;
  return InResourceEnvironment(image) ? LoadPacked(image, stored) : ReadDataEntry(&image);
}

bool WriteBody(CImage& image) {
  if (!image.IsBacked()) return Fail(image, kErrUnexpectedStatus);
  if (InResourceEnvironment(image) && image.GetDataSize() > 0) return SavePacked(image);
  return WriteDataEntry(&image);
}

}  // namespace

uint32_t ImageRecordTypeHandler(CSpoolMem* object, uint32_t message, void* argument) {
  auto* image = static_cast<CImage*>(object);
  switch (message) {
    case kSpoolReadData: return ReadBody(*image);
    case kSpoolWriteData: return WriteBody(*image);
    case kSpoolAfterRead:
    case kSpoolBeforeWrite:
    case kSpoolAfterWrite: return 0;
    case kSpoolApplyHeader: return ReadHeader32(*image, *static_cast<CMemBlock*>(argument));
    case kSpoolFillHeader: return WriteHeader32(*image, *static_cast<CMemBlock*>(argument));
    case kSpoolHeaderSize: *static_cast<uint32_t*>(argument) = kImageHeaderBytes; return 1;
    default: return SpoolDefaultTypeHandler(object, message, argument);
  }
}

// 8-bit bodies are the grid's bytes as they lie, in every environment: never packed, never swapped.
uint32_t Image8RecordTypeHandler(CSpoolMem* object, uint32_t message, void* argument) {
  auto* image = static_cast<CImage8*>(object);
  switch (message) {
    case kSpoolReadData: return image->IsBacked() ? ReadDataEntry(image) : Fail(*image, kErrUnexpectedStatus);
    case kSpoolWriteData: return image->IsBacked() ? WriteDataEntry(image) : Fail(*image, kErrUnexpectedStatus);
    case kSpoolAfterRead:
    case kSpoolBeforeWrite:
    case kSpoolAfterWrite: return 0;
    case kSpoolApplyHeader: return ReadHeader8(*image, *static_cast<CMemBlock*>(argument));
    case kSpoolFillHeader:
      return WriteImageHeader(*image, *static_cast<CMemBlock*>(argument), kKind8, image->GetAreaOriginX(),
                              image->GetAreaOriginY(), image->GetArea());
    case kSpoolHeaderSize: *static_cast<uint32_t*>(argument) = kImageHeaderBytes; return 1;
    default: return SpoolDefaultTypeHandler(object, message, argument);
  }
}

uint32_t PackedCapacity(const CImage& image) {
  // A literal of 125 bytes costs 126, so 65/64 of the four planes' bytes always suffice.
  const uint64_t capacity = ((PlaneBytes(image) * 65) >> 4) + 16;
  return capacity + kPackedPrefixBytes > UINT32_MAX ? 0 : uint32_t(capacity);
}

int32_t PackImage(const CImage& image, uint8_t* out, uint32_t capacity, uint32_t* length) {
  *length = 0;
  if (!IsUnpadded(image)) return kErrInvalidFormat;
  const uint64_t n = PlaneBytes(image);
  uint64_t used = 0;
  auto room = [&](uint64_t bytes) { return used + bytes <= capacity; };
  for (uint32_t plane = 0; plane < kPlanes; ++plane) {
    const uint8_t* base = image.GetData() + PlaneOffset(plane);
    auto at = [base](uint64_t i) { return base[i * kCellSize]; };
    auto runAt = [&](uint64_t i) { return at(i) == at(i + 1) && at(i + 1) == at(i + 2); };
    for (uint64_t k = 0; k < n;) {
      const uint64_t left = n - k;
      if (left < kShortestRun || !runAt(k)) {
        // A literal stops where a run begins and keeps two bytes back, which end the plane as one.
        const uint64_t limit = left < kShortestRun ? left : std::min<uint64_t>(left - 2, kLongestLiteral);
        uint64_t count = 1;
        while (count < limit && !(left >= kShortestRun && runAt(k + count))) ++count;
        if (!room(1 + count)) return kErrBufferSize;
        out[used++] = uint8_t(kLiteralFlag + count);
        for (uint64_t i = 0; i < count; ++i) out[used++] = at(k + i);
        k += count;
      } else {
        const uint64_t limit = std::min<uint64_t>(left, kLongestRun);
        uint64_t count = kShortestRun;
        while (count < limit && at(k + count) == at(k)) ++count;
        if (!room(2)) return kErrBufferSize;
        out[used++] = uint8_t(count);
        out[used++] = at(k);
        k += count;
      }
    }
  }
  *length = uint32_t(used);
  return kNoErr;
}

int32_t UnpackImage(CImage& image, const uint8_t* in, uint32_t length) {
  if (!IsUnpadded(image)) return kErrInvalidFormat;
  const uint64_t n = PlaneBytes(image);
  // An image without rows has empty planes and no pixel storage to point into.
  if (n == 0) return kNoErr;
  CByteReader packets(in, length);
  for (uint32_t plane = 0; plane < kPlanes; ++plane) {
    uint8_t* base = image.GetData() + PlaneOffset(plane);
    for (uint64_t k = 0; k < n;) {
      uint8_t header = 0;
      if (!packets.ReadU8(&header)) return kErrInvalidFormat;
      const bool literal = header >= kLiteralFlag;
      const uint64_t count = literal ? header - kLiteralFlag : header;
      uint8_t value = 0;
      if (count > n - k || (!literal && !packets.ReadU8(&value)) || (literal && !packets.Has(count)))
        return kErrInvalidFormat;
      for (uint64_t i = 0; i < count; ++i, ++k) {
        if (literal) packets.ReadU8(&value);
        base[k * kCellSize] = value;
      }
    }
  }
  return kNoErr;
}

void SwapImagePixels(CImage& image) {
  uint8_t* data = image.GetData();
  for (uint64_t offset = 0; offset + 4 <= image.GetDataSize(); offset += 4) {
    uint32_t word = 0;
    std::memcpy(&word, data + offset, sizeof word);
    word = SwapLong(word);
    std::memcpy(data + offset, &word, sizeof word);
  }
}
