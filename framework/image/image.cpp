#include "framework/image/image.h"

#include <algorithm>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/cm_file.h"
#include "framework/core/random.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image_record.h"
#include "framework/image/pixel_mix.h"
#include "framework/image/sp_gradient.h"

namespace {

// The bitmap header fields the images read (little-endian, as the platform stores them).
enum EDibOffset : size_t { kHeaderSize = 0, kWidth = 4, kHeight = 8, kBitCount = 14, kCompression = 16,
                           kImageSize = 20, kColoursUsed = 32 };
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kUncompressed = 0;
// Bitmaps from other programs larger than this each way are refused, as the picture readers refuse
// theirs; smaller ones are bounded by their own bytes and by the data pool.
constexpr int32_t kLargestSide = 16384;
constexpr int kAlphaSamples = 1000;
constexpr uint32_t kAlphaBits = 0xFF000000;
constexpr uint32_t kColourBits = 0x00FFFFFF;

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
      width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
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

bool IsEmpty(const SRect& r) { return r.bottom <= r.top || r.right <= r.left; }

int32_t ClampFactor(int32_t factor) { return std::clamp(factor, 0, 256); }

// f(cells, columns) for every row of the image's clip rectangle.
template <typename F>
bool EachRow(CImage* image, bool changed, F f) {
  if (IsEmpty(image->GetClip())) return true;
  CImNavigator nav(image, nullptr, changed, false);
  if (!nav.IsUsable()) return false;
  for (uint32_t r = 0; r < nav.GetRows(); ++r) f(nav.Cells(r), nav.GetColumns());
  return true;
}

// pixel(destination, source) → the new destination, over the overlap of the two images.
template <typename F>
bool EachPixelFrom(CImage* image, CImage* source, F pixel) {
  SRect mine, theirs;
  if (!image->CommonArea(*source, &mine, &theirs)) return true;
  CImNavigator out(image, &mine, true, false);
  CImNavigator in(source, &theirs, false, false);
  if (!out.IsUsable() || !in.IsUsable()) return false;
  for (uint32_t r = 0; r < out.GetRows(); ++r) {
    CImVector* d = out.Cells(r);
    const CImVector* s = in.Cells(r);
    for (uint32_t c = 0; c < out.GetColumns(); ++c) d[c].value = pixel(d[c].value, s[c].value);
  }
  return true;
}

template <typename F>
bool EachPixel(CImage* image, F pixel) {
  return EachRow(image, true, [&](CImVector* cells, uint32_t columns) {
    for (uint32_t c = 0; c < columns; ++c) cells[c].value = pixel(cells[c].value);
  });
}

uint32_t Composite(uint32_t d, uint32_t s, uint32_t weight) { return weight ? MixPixel(d, s, weight) : d; }

// The mask's placed rectangle is width × 4 pixels wide: four mask bytes to a cell.
struct SMaskArea {
  SRect inImage;
  SRect inMask;  // in mask pixels
};

bool MaskOverlap(const CImage& image, const CImage& mask, SMaskArea* area) {
  const SRect& clip = image.GetClip();
  const int64_t ih = image.GetOriginH(), iv = image.GetOriginV();
  const int64_t mh = mask.GetOriginH(), mv = mask.GetOriginV();
  const int64_t top = std::max<int64_t>(clip.top + iv, mv);
  const int64_t left = std::max<int64_t>(clip.left + ih, mh);
  const int64_t bottom = std::min<int64_t>(clip.bottom + iv, mv + mask.GetHeight());
  const int64_t right = std::min<int64_t>(clip.right + ih, mh + 4 * int64_t(mask.GetWidth()));
  if (bottom <= top || right <= left) return false;
  area->inImage = SRect{int32_t(top - iv), int32_t(left - ih), int32_t(bottom - iv), int32_t(right - ih)};
  area->inMask = SRect{int32_t(top - mv), int32_t(left - mh), int32_t(bottom - mv), int32_t(right - mh)};
  return true;
}

// k(m) gives the scale of a pixel whose mask byte is m.
template <typename K>
bool DarkenBy(CImage* image, CImage* mask, K k) {
  SMaskArea area;
  if (!MaskOverlap(*image, *mask, &area)) return true;
  const int32_t firstCell = area.inMask.left / 4;
  const SRect cells{area.inMask.top, firstCell, area.inMask.bottom, (area.inMask.right + 3) / 4};
  CImNavigator out(image, &area.inImage, true, false);
  CImNavigator in(mask, &cells, false, false);
  if (!out.IsUsable() || !in.IsUsable()) return false;
  for (uint32_t r = 0; r < out.GetRows(); ++r) {
    CImVector* d = out.Cells(r);
    const CImVector* m = in.Cells(r);
    for (uint32_t c = 0; c < out.GetColumns(); ++c) {
      const uint32_t x = uint32_t(area.inMask.left) + c;
      const uint32_t cell = m[x / 4 - uint32_t(firstCell)].value;
      if (cell == 0) continue;
      d[c].value = ScalePixel(d[c].value, k(uint8_t(cell >> (24 - 8 * (x % 4)))));
    }
  }
  return true;
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

bool CImage::IsReady() const { return IsValid() && (!IsBacked() || GetFile()->IsOpen()); }

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
  if (!image->IsReady() || !image->FromDib(dib, length, makeOpaque)) {
    delete image;
    return nullptr;
  }
  return image;
}

bool CImage::SetAlpha(uint8_t alpha) {
  const uint32_t top = uint32_t(alpha) << 24;
  return EachPixel(this, [top](uint32_t d) { return (d & kColourBits) | top; });
}

bool CImage::Fill(uint32_t value) {
  const SRect& clip = GetClip();
  if (IsEmpty(clip)) return true;
  if (clip == GetBounds()) return value ? FillLong(value) : Clear();
  return EachRow(this, true, [value](CImVector* cells, uint32_t columns) {
    for (uint32_t c = 0; c < columns; ++c) cells[c].value = value;
  });
}

bool CImage::SetColorKeepAlpha(uint32_t color) {
  return EachPixel(this, [color](uint32_t d) { return (d & kAlphaBits) | (color & kColourBits); });
}

bool CImage::InvertAlpha() {
  return EachPixel(this, [](uint32_t d) { return d ^ kAlphaBits; });
}

bool CImage::InvertColor() {
  return EachPixel(this, [](uint32_t d) { return d ^ kColourBits; });
}

bool CImage::ToGrey() {
  return EachPixel(this, [](uint32_t d) { return (d & kAlphaBits) | GreyLevel(d) * 0x010101u; });
}

bool CImage::CopyFrom(CImage* source) {
  SRect mine, theirs;
  if (!CommonArea(*source, &mine, &theirs)) return true;
  const bool wholeGrids = mine == GetBounds() && theirs == source->GetBounds() && GetWidth() == source->GetWidth() &&
                          GetHeight() == source->GetHeight() && GetStride() == source->GetStride();
  if (wholeGrids) return CSpoolMem::CopyFrom(*source, nullptr);
  CImNavigator out(this, &mine, true, false);
  CImNavigator in(source, &theirs, false, false);
  if (!out.IsUsable() || !in.IsUsable()) return false;
  const size_t rowBytes = size_t(out.GetColumns()) * sizeof(CImVector);
  for (uint32_t r = 0; r < out.GetRows(); ++r) std::memmove(out.Row(r), in.Row(r), rowBytes);
  return true;
}

bool CImage::CopyColorFrom(CImage* source) {
  return EachPixelFrom(this, source, [](uint32_t d, uint32_t s) { return (d & kAlphaBits) | (s & kColourBits); });
}

bool CImage::CopyAlphaFrom(CImage* source) {
  return EachPixelFrom(this, source, [](uint32_t d, uint32_t s) { return (d & kColourBits) | (s & kAlphaBits); });
}

bool CImage::CopyGreyFrom(CImage* source) {
  return EachPixelFrom(this, source, [](uint32_t, uint32_t s) { return (s & kAlphaBits) | GreyLevel(s) * 0x010101u; });
}

bool CImage::BlendColor(int32_t factor, uint32_t color) {
  factor = ClampFactor(factor);
  if (factor == 0) return true;
  if (factor == 256) return Fill(color);
  return EachPixel(this, [&](uint32_t d) { return BlendPixel(d, color, uint32_t(factor)); });
}

bool CImage::CompositeFrom(CImage* source) {
  return EachPixelFrom(this, source, [](uint32_t d, uint32_t s) {
    const uint32_t a = s >> 24;
    if (a == 255) return s;
    return Composite(d, s, a + (a >> 7));
  });
}

bool CImage::BlendFrom(int32_t factor, CImage* source) {
  factor = ClampFactor(factor);
  if (factor == 0) return true;
  if (factor == 256) return CopyFrom(source);
  return EachPixelFrom(this, source, [&](uint32_t d, uint32_t s) { return BlendPixel(d, s, uint32_t(factor)); });
}

bool CImage::BlendColorFrom(int32_t factor, CImage* source) {
  factor = ClampFactor(factor);
  if (factor == 0) return true;
  if (factor == 256) return CopyColorFrom(source);
  return EachPixelFrom(this, source,
                       [&](uint32_t d, uint32_t s) { return BlendPixelKeepAlpha(d, s, uint32_t(factor)); });
}

bool CImage::CompositeScaledFrom(int32_t factor, CImage* source) {
  const uint32_t f = uint32_t(ClampFactor(factor));
  if (f == 0) return true;
  return EachPixelFrom(this, source, [f](uint32_t d, uint32_t s) { return Composite(d, s, ((s >> 24) * f) >> 8); });
}

bool CImage::MixFrom(int32_t factor, CImage* a, CImage* b) {
  factor = ClampFactor(factor);
  if (factor == 0) return CopyFrom(a);
  if (factor == 256) return CopyFrom(b);
  SRect mine, inA, inB;
  if (!CommonArea3(*a, *b, &mine, &inA, &inB)) return true;
  CImNavigator out(this, &mine, true, false);
  CImNavigator first(a, &inA, false, false);
  CImNavigator second(b, &inB, false, false);
  if (!out.IsUsable() || !first.IsUsable() || !second.IsUsable()) return false;
  for (uint32_t r = 0; r < out.GetRows(); ++r) {
    CImVector* d = out.Cells(r);
    const CImVector* p = first.Cells(r);
    const CImVector* q = second.Cells(r);
    for (uint32_t c = 0; c < out.GetColumns(); ++c) d[c].value = BlendPixel(p[c].value, q[c].value, uint32_t(factor));
  }
  return true;
}

bool CImage::DarkenByMask(CImage* mask) {
  return DarkenBy(this, mask, [](uint8_t m) { return 255u - m; });
}

bool CImage::DarkenByMaskScaled(int32_t factor, CImage* mask) {
  const uint32_t f = uint32_t(ClampFactor(factor));
  if (f == 0) return true;
  if (f == 256) return DarkenByMask(mask);
  return DarkenBy(this, mask, [f](uint8_t m) { return 255u - ((m * f) >> 8); });
}

bool CImage::FromDib(const void* data, uint32_t length, bool makeOpaque) {
  SDib dib;
  if (!ParseDib(data, length, &dib)) return false;
  const SRect& clip = GetClip();
  SRect area = clip;
  area.bottom = int32_t(std::min<int64_t>(clip.bottom, int64_t(clip.top) + dib.height));
  area.right = int32_t(std::min<int64_t>(clip.right, int64_t(clip.left) + dib.width));
  if (IsEmpty(area)) return true;
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

bool CImage::EnsureAlpha() {
  if (IsEmpty(GetClip())) return true;
  {
    CImNavigator nav(this, nullptr, false, false);
    if (!nav.IsUsable()) return false;
    if (nav.GetColumns() == 0 || nav.GetRows() == 0) return true;
    SRandomState& random = GetRandomState();
    for (int i = 0; i < kAlphaSamples; ++i) {
      const uint32_t column = NextRandom(random) % nav.GetColumns();
      const uint32_t row = NextRandom(random) % nav.GetRows();
      if (nav.Cells(row)[column].Alpha()) return true;
    }
  }
  return SetAlpha(255);
}

bool CImage::ApplyGradientMap(CSpGradient* gradient) {
  if (IsEmpty(GetClip())) return true;
  CImVector colors[CSpGradient::kTableColours];
  if (!gradient->ToColorTable(colors)) return false;
  return EachPixel(this, [&](uint32_t d) { return (d & kAlphaBits) | (colors[(d >> 8) & 0xFF].value & kColourBits); });
}

bool CImage::TintWithColor(uint32_t color) {
  CAppl* app = GetApplication();
  if (!app || !app->GetDataEnv()) return false;
  STableLayout layout;
  SSpoolTableSpec spec;
  MakeGradientSpec(layout, spec, app->GetDataEnv());
  CSpGradient* gradient = new CSpGradient(layout, spec);
  if (!gradient) return false;
  const bool done = gradient->IsValid() && gradient->FillFromColor(color) && ApplyGradientMap(gradient);
  delete gradient;
  return done;
}

CImage* NewDataImage(uint32_t width, uint32_t height, int32_t* error) {
  CAppl* app = GetApplication();
  return NewImageIn(app ? app->GetDataEnv() : nullptr, width, height, error);
}

CImage* NewImageIn(CSpoolSys* env, uint32_t width, uint32_t height, int32_t* error) {
  if (!env) {
    *error = kErrUnexpectedStatus;
    return nullptr;
  }
  SGridLayout grid;
  MakeImageGridSpec(grid, env, width, height);
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, &ImageRecordTypeHandler);
  auto* image = new CImage(grid, spec);
  if (!image) {
    *error = kErrOutOfMemory;
    return nullptr;
  }
  if (!image->IsReady()) {
    *error = NonZeroError(image->GetError());
    delete image;
    return nullptr;
  }
  *error = kNoErr;
  return image;
}
