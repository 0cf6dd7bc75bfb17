#include "framework/image/image.h"

#include <algorithm>

#include "framework/core/cm_file.h"
#include "framework/core/random.h"

namespace {

// The bitmap header fields the images read (little-endian, as the platform stores them).
enum EDibOffset : size_t { kHeaderSize = 0, kWidth = 4, kHeight = 8, kBitCount = 14, kCompression = 16,
                           kImageSize = 20, kColoursUsed = 32 };
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kUncompressed = 0;
constexpr int kAlphaSamples = 1000;

struct SDib {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bits = 0;
  uint64_t rowBytes = 0;
  uint64_t rowsStart = 0;
  uint64_t rowsEnd = 0;  // the last row in memory ends here
};

uint32_t LE32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Every size and offset is checked against length before a pixel is read.
bool ParseDib(const void* data, uint32_t length, SDib* dib) {
  const auto* p = static_cast<const uint8_t*>(data);
  if (!p || length < kInfoHeaderBytes) return false;
  const uint32_t headerSize = LE32(p + kHeaderSize);
  const int32_t width = int32_t(LE32(p + kWidth));
  const int32_t height = int32_t(LE32(p + kHeight));
  const uint32_t bits = uint32_t(p[kBitCount]) | uint32_t(p[kBitCount + 1]) << 8;
  if (headerSize < kInfoHeaderBytes || (bits != 24 && bits != 32) || LE32(p + kCompression) != kUncompressed ||
      width < 1 || height < 1)
    return false;
  dib->width = uint32_t(width);
  dib->height = uint32_t(height);
  dib->bits = bits;
  dib->rowBytes = (uint64_t(dib->width) * bits + 31) / 32 * 4;
  dib->rowsStart = uint64_t(headerSize) + 4 * uint64_t(LE32(p + kColoursUsed));
  const uint32_t imageSize = LE32(p + kImageSize);
  dib->rowsEnd = dib->rowsStart + (imageSize ? imageSize : dib->rowBytes * dib->height);
  return dib->rowsEnd <= length && dib->rowsEnd >= dib->rowsStart + dib->rowBytes * dib->height;
}

}  // namespace

CImage::CImage(const SGridLayout& grid) : CSpoolGridT<CImVector>(grid) {}

CImage::CImage(const SGridLayout& grid, const SSpoolTableSpec& spec) : CSpoolGridT<CImVector>(grid, spec) {}

// Leaves its environment while still an image: writing it back runs the image record's handler.
CImage::~CImage() {
  if (IsSubscribed()) Unsubscribe();
}

bool CImage::Allocate(uint32_t width, uint32_t height, uint32_t rowBytes, bool keep, bool defer) {
  return CSpoolGrid::Allocate(sizeof(CImVector), width, height, rowBytes, keep, defer);
}

CImage* CImage::CreateFromDib(const SGridLayout& grid, const SSpoolTableSpec* spec, const void* dib, uint32_t length,
                              bool makeOpaque) {
  SDib info;
  if (!ParseDib(dib, length, &info)) return nullptr;
  SGridLayout sized = grid;
  sized.cellSize = sizeof(CImVector);
  sized.width = info.width;
  sized.height = info.height;
  sized.stride = 0;
  if (!sized.UpdateByteSize()) return nullptr;
  auto* image = spec ? new CImage(sized, *spec) : new CImage(sized);
  if (!image) return nullptr;
  const bool ready = image->IsValid() && (!image->IsBacked() || image->GetFile()->IsOpen());
  if (!ready || !image->FromDib(dib, length, makeOpaque)) {
    delete image;
    return nullptr;
  }
  return image;
}

bool CImage::FromDib(const void* data, uint32_t length, bool makeOpaque) {
  SDib dib;
  if (!ParseDib(data, length, &dib)) return false;
  const SRect& clip = GetClip();
  SRect area = clip;
  area.bottom = int32_t(std::min<int64_t>(clip.bottom, int64_t(clip.top) + dib.height));
  area.right = int32_t(std::min<int64_t>(clip.right, int64_t(clip.left) + dib.width));
  if (area.bottom <= area.top || area.right <= area.left) return true;
  {
    CImNavigator nav(this, &area, true, false);
    if (!nav.IsUsable()) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const uint32_t step = dib.bits / 8;
    for (uint32_t r = 0; r < nav.GetRows(); ++r) {
      const uint8_t* in = bytes + dib.rowsEnd - (uint64_t(r) + 1) * dib.rowBytes;
      CImVector* out = nav.Cells(r);
      for (uint32_t c = 0; c < nav.GetColumns(); ++c, in += step) {
        if (dib.bits == 32) out[c].value = LE32(in);
        else out[c].Set(0, in[2], in[1], in[0]);
      }
    }
  }
  return !makeOpaque || EnsureAlpha();
}

bool CImage::SetAlpha(uint8_t alpha) {
  CImNavigator nav(this, nullptr, true, false);
  if (!nav.IsUsable()) return false;
  for (uint32_t r = 0; r < nav.GetRows(); ++r) {
    CImVector* row = nav.Cells(r);
    for (uint32_t c = 0; c < nav.GetColumns(); ++c) row[c].value = (row[c].value & 0xFFFFFF) | uint32_t(alpha) << 24;
  }
  return true;
}

bool CImage::EnsureAlpha() {
  {
    CImNavigator nav(this, nullptr, false, false);
    if (!nav.IsUsable()) return false;
    if (nav.GetRows() == 0 || nav.GetColumns() == 0) return true;
    SRandomState& random = GetRandomState();
    for (int i = 0; i < kAlphaSamples; ++i) {
      const uint32_t column = NextRandom(random) % nav.GetColumns();
      const uint32_t row = NextRandom(random) % nav.GetRows();
      if (nav.Cells(row)[column].Alpha()) return true;
    }
  }
  return SetAlpha(255);
}

uint32_t ImageRecordTypeHandler(CSpoolMem* object, uint32_t message, void* argument) {
  return SpoolDefaultTypeHandler(object, message, argument);
}
