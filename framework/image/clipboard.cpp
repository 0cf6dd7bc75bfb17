#include "framework/image/clipboard.h"

#include <cstring>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/byte_reader.h"
#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "framework/core/ordax.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "platform/clipboard.h"

namespace {

constexpr uint32_t kHeaderBytes = 40;
constexpr uint16_t kPlanes = 1;
constexpr uint16_t kBitCount = 24;
constexpr uint16_t kWholeBitCount = 32;

void PutLE32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (8 * i));
}

}  // namespace

CClipboard::CClipboard(platform::WindowHandle owner)
    : fInitialised(true), fOwner(owner ? owner : platform::GetForegroundWindow()) {}

CMemBlock* CClipboard::ImageToDIB(CImage* image, uint16_t bitCount) {
  if (!image || (bitCount != kBitCount && bitCount != kWholeBitCount)) return nullptr;
  const uint32_t width = image->GetWidth();
  const uint32_t height = image->GetHeight();
  const uint64_t stride = DibRowBytes(width, bitCount);
  const uint64_t size = kHeaderBytes + stride * height;
  if (size > UINT32_MAX) return nullptr;
  auto* block = new CMemBlock(uint32_t(size), GetDataPool());
  if (!block || !block->IsOwned()) {
    delete block;
    return nullptr;
  }
  uint8_t* out = block->GetData();
  std::memset(out, 0, size_t(size));
  PutLE32(out, kHeaderBytes);
  PutLE32(out + 4, width);
  PutLE32(out + 8, height);
  out[12] = kPlanes;
  out[14] = uint8_t(bitCount);
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, false, false);
  if (!nav.IsUsable()) {
    delete block;
    return nullptr;
  }
  const uint32_t pixelBytes = bitCount / 8;
  for (uint32_t r = 0; r < nav.GetRows(); ++r) {
    uint8_t* row = out + kHeaderBytes + (uint64_t(height) - 1 - r) * stride;
    const CImVector* in = nav.Cells(r);
    for (uint32_t c = 0; c < nav.GetColumns(); ++c, row += pixelBytes) {
      if (pixelBytes == 4) {
        PutLE32(row, in[c].value);
        continue;
      }
      row[0] = in[c].Blue();
      row[1] = in[c].Green();
      row[2] = in[c].Red();
    }
  }
  return block;
}

bool CClipboard::PutDIB(CImage* image) {
  CMemBlock* block = ImageToDIB(image);
  if (!block) return false;
  const bool put = PutDIBBytes(block->GetData(), block->GetSize());
  delete block;
  return put;
}

bool CClipboard::PutDIBBytes(const void* bitmap, uint32_t size) {
  if (!bitmap || !platform::OpenClipboard(fOwner)) return false;
  const bool put = platform::EmptyClipboard() && platform::SetClipboardData(platform::kCfDib, bitmap, size);
  platform::CloseClipboard();
  return put;
}

bool CClipboard::HasDIB() {
  if (!platform::OpenClipboard(fOwner)) return false;
  const bool has = platform::IsClipboardFormatAvailable(platform::kCfDib);
  platform::CloseClipboard();
  return has;
}

CImage* CClipboard::GetDIB() {
  if (!platform::OpenClipboard(fOwner)) return nullptr;
  std::vector<uint8_t> bitmap;
  const bool got = platform::IsClipboardFormatAvailable(platform::kCfDib) &&
                   platform::GetClipboardData(platform::kCfDib, &bitmap) && bitmap.size() <= UINT32_MAX;
  platform::CloseClipboard();
  CAppl* app = GetApplication();
  if (!got || !app || !app->GetDataEnv()) return nullptr;
  SGridLayout grid;
  MakeImageGridSpec(grid, app->GetDataEnv(), 0, 0);
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, &ImageRecordTypeHandler);
  // A picture from another program may come from anywhere: only its bytes bound the reading.
  return CImage::CreateFromDib(grid, &spec, bitmap.data(), uint32_t(bitmap.size()), true);
}

bool FlipImageRows(CImage* image) {
  if (!image) return false;
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, true, false);
  if (!nav.IsUsable()) return false;
  const uint32_t rows = nav.GetRows();
  if (rows < 2) return true;
  const uint32_t rowBytes = nav.GetColumns() * uint32_t(sizeof(CImVector));
  std::vector<uint8_t> buffer(rowBytes);
  for (uint32_t i = 0; i <= (rows - 1) / 2; ++i) {
    uint8_t* a = nav.Row(i);
    uint8_t* b = nav.Row(rows - 1 - i);
    std::memcpy(buffer.data(), a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, buffer.data(), rowBytes);
  }
  return true;
}
