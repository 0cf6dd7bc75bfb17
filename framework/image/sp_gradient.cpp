#include "framework/image/sp_gradient.h"

#include <algorithm>
#include <cstring>

#include "framework/core/byte_reader.h"
#include "framework/core/cm_file.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/core/st_scanner.h"

namespace {

constexpr int32_t kSnap = 5;              // positions this close to an end of the range go to it
constexpr int32_t kTolerance = 512;       // an encoded entry's distance from its segment's line
constexpr uint32_t kLongestSegment = 256;  // stored as count 0
constexpr uint32_t kLevelScale = 257;     // level b stands for b · 257
constexpr uint32_t kDefaultStep = 127;

// The channels of the two groups of segments.
constexpr uint32_t kColourChannels[] = {CImVector64::kRed, CImVector64::kGreen, CImVector64::kBlue};
constexpr uint32_t kTopChannels[] = {CImVector64::kTop};

uint8_t Level(uint32_t value) { return uint8_t(value >> 8); }

// The locked gradient's 513 entries; null when it cannot be locked or is not 513 entries long.
class CEntryAccess {
 public:
  CEntryAccess(CSpGradient* gradient, bool changed) : fScanner(gradient, nullptr, changed, false) {}
  CImVector64* Get() const {
    if (!fScanner.IsUsable() || fScanner.GetCount() != CSpGradient::kEntries) return nullptr;
    return fScanner.Record();
  }

 private:
  CStScannerT<CImVector64> fScanner;
};

// Entries first to last step from entry first's value by (to − value) div (last − first), truncated,
// so that entry last can fall short of `to`.
void Ramp(CImVector64* e, int32_t first, int32_t last, const CImVector64& to) {
  for (uint32_t c = CImVector64::kTop; c <= CImVector64::kBlue; ++c) {
    const int32_t from = e[first].Channel(c);
    const int32_t step = (int32_t(to.Channel(c)) - from) / (last - first);
    for (int32_t k = 0; k <= last - first; ++k) e[first + k].SetChannel(c, uint32_t(from + k * step));
  }
}

// s < t compared as fractions with positive denominators.
struct SFraction {
  int64_t num;
  int64_t den;
  bool operator<(const SFraction& o) const { return num * o.den < o.num * den; }
};

// The last entry after s that keeps every channel's interval of slopes, [(Δ − 512)/k, (Δ + 512)/k]
// over the entries k = 1, 2, ... after s, non-empty; at most 256 entries on and never past 512.
template <size_t N>
uint32_t SegmentEnd(const CImVector64* e, uint32_t s, const uint32_t (&channels)[N]) {
  SFraction lo[N], hi[N];
  uint32_t end = s + 1;
  for (uint32_t k = 1; k <= kLongestSegment && s + k <= uint32_t(CSpGradient::kLastEntry); ++k) {
    bool kept = true;
    for (size_t i = 0; i < N; ++i) {
      const int64_t delta = int64_t(e[s + k].Channel(channels[i])) - e[s].Channel(channels[i]);
      const SFraction low{delta - kTolerance, k}, high{delta + kTolerance, k};
      if (k == 1 || lo[i] < low) lo[i] = low;
      if (k == 1 || high < hi[i]) hi[i] = high;
      kept = kept && !(hi[i] < lo[i]);
    }
    if (!kept) break;
    end = s + k;
  }
  return end;
}

template <size_t N>
uint32_t EncodeGroup(const CImVector64* e, const uint32_t (&channels)[N], uint8_t* out) {
  uint32_t length = 0;
  for (uint32_t c : channels) out[length++] = Level(e[0].Channel(c));
  for (uint32_t s = 0; s < uint32_t(CSpGradient::kLastEntry);) {
    const uint32_t end = SegmentEnd(e, s, channels);
    out[length++] = uint8_t(end - s == kLongestSegment ? 0 : end - s);
    for (uint32_t c : channels) out[length++] = Level(e[end].Channel(c));
    s = end;
  }
  return length;
}

// Keys at the segments' ends, the entries between them on the line: at fraction t (16 bits) of the
// way, ⌊p + (v − p) · t / 65536⌋. False when the bytes end before entry 512.
template <size_t N>
bool DecodeGroup(CByteReader& in, const uint32_t (&channels)[N], CImVector64* e) {
  uint8_t key[N];
  if (!in.ReadBytes(key, N)) return false;
  for (size_t i = 0; i < N; ++i) e[0].SetChannel(channels[i], key[i] * kLevelScale);
  for (uint32_t position = 0; position < uint32_t(CSpGradient::kLastEntry);) {
    uint8_t count = 0;
    if (!in.ReadU8(&count) || !in.ReadBytes(key, N)) return false;
    const uint32_t n = std::min<uint32_t>(count ? count : kLongestSegment, CSpGradient::kLastEntry - position);
    const uint32_t step = 0x1000000 / n;
    for (size_t i = 0; i < N; ++i) {
      const int64_t p = e[position].Channel(channels[i]);
      const int64_t v = key[i] * kLevelScale;
      for (uint32_t k = 1; k < n; ++k) {
        const int64_t t = (int64_t(k) * step) >> 8;
        e[position + k].SetChannel(channels[i], uint32_t(p + (((v - p) * t) >> 16)));
      }
      e[position + n].SetChannel(channels[i], uint32_t(v));
    }
    position += n;
  }
  return true;
}

bool InResourceEnvironment(const CSpoolMem& object) {
  const CSpoolSys* env = static_cast<const CSubscriber&>(object).GetEnvironment();
  return env && env->GetKind() == kResourceKind;
}

bool Fail(CSpoolMem* object, int32_t error) {
  object->SetError(error);
  return false;
}

// An empty stored item in a resource environment is a new gradient: the grey ramp.
bool ReadBody(CSpGradient* gradient) {
  if (!gradient->IsBacked()) return Fail(gradient, kErrUnexpectedStatus);
  if (!InResourceEnvironment(*gradient)) return ReadDataEntry(gradient);
  if (gradient->GetDataSize() != CSpGradient::kEntries * sizeof(CImVector64)) return Fail(gradient, kErrInvalidSize);
  CCmFile* file = gradient->GetFile();
  const uint32_t entry = uint32_t(gradient->GetDataEntry());
  const uint32_t stored = file->GetEntryField(entry);
  CMemBlock block(std::max<uint32_t>(stored, 1), GetDataPool());
  if (!block.IsOwned()) return Fail(gradient, kErrOutOfMemory);
  if (stored) {
    if (const int32_t err = file->ReadEntryToData(entry, block)) return Fail(gradient, err);
  }
  if (DecodeGradient(block.GetData(), stored, gradient->GetRecords())) return Fail(gradient, kErrDamagedData);
  return true;
}

bool WriteBody(CSpGradient* gradient) {
  if (!gradient->IsBacked()) return Fail(gradient, kErrUnexpectedStatus);
  if (!InResourceEnvironment(*gradient)) return WriteDataEntry(gradient);
  if (gradient->GetDataSize() != CSpGradient::kEntries * sizeof(CImVector64)) return Fail(gradient, kErrInvalidSize);
  CMemBlock block(CSpGradient::kEncodedBytes, GetDataPool());
  if (!block.IsOwned()) return Fail(gradient, kErrOutOfMemory);
  const uint32_t length = EncodeGradient(gradient->GetRecords(), block.GetData());
  CCmFile* file = gradient->GetFile();
  const uint32_t entry = uint32_t(gradient->GetDataEntry());
  int32_t err = file->SetEntrySize(entry, length);
  if (!err) err = file->WriteEntry(entry, block);
  return err ? Fail(gradient, err) : true;
}

// A stored gradient's header must have the size this handler reports (none): then the table takes
// its 513 entries, to be read with the body.
bool CheckHeader(CSpGradient* gradient) {
  if (!gradient->IsBacked()) return Fail(gradient, kErrUnexpectedStatus);
  uint32_t size = 0;
  gradient->Send(kSpoolHeaderSize, &size);
  if (gradient->GetFile()->GetEntryField(uint32_t(gradient->GetHeaderEntry())) != size)
    return Fail(gradient, kErrInvalidFormat);
  return gradient->SetSize(sizeof(CImVector64), CSpGradient::kEntries, false, true);
}

}  // namespace

// ---- entries

void CImVector64::SetChannel(uint32_t channel, uint32_t value) {
  uint32_t& word = channel < kGreen ? topRed : greenBlue;
  const uint32_t shift = channel % 2 ? 0 : 16;
  word = (word & ~(0xFFFFu << shift)) | (value & 0xFFFF) << shift;
}

void CImVector64::Set(uint32_t top, uint32_t red, uint32_t green, uint32_t blue) {
  topRed = (top & 0xFFFF) << 16 | (red & 0xFFFF);
  greenBlue = (green & 0xFFFF) << 16 | (blue & 0xFFFF);
}

uint32_t CImVector64::ToColor() const {
  return uint32_t(Level(Channel(kTop))) << 24 | uint32_t(Level(Channel(kRed))) << 16 |
         uint32_t(Level(Channel(kGreen))) << 8 | Level(Channel(kBlue));
}

// ---- the stored form

void MakeDefaultGradient(CImVector64* entries) {
  for (uint32_t i = 0; i < CSpGradient::kEntries; ++i) {
    const uint32_t grey = kDefaultStep * i;
    entries[i].Set(0xFFFF, grey, grey, grey);
  }
}

uint32_t EncodeGradient(const CImVector64* entries, uint8_t* out) {
  const uint32_t colours = EncodeGroup(entries, kColourChannels, out);
  return colours + EncodeGroup(entries, kTopChannels, out + colours);
}

int32_t DecodeGradient(const uint8_t* in, uint32_t length, CImVector64* entries) {
  CImVector64 decoded[CSpGradient::kEntries];
  if (length == 0) {
    MakeDefaultGradient(decoded);
  } else {
    CByteReader reader(in, length);
    if (!DecodeGroup(reader, kColourChannels, decoded) || !DecodeGroup(reader, kTopChannels, decoded))
      return kErrDamagedData;
  }
  std::memcpy(entries, decoded, sizeof decoded);
  return kNoErr;
}

void MakeGradientSpec(STableLayout& layout, SSpoolTableSpec& spec, CSpoolSys* env) {
  layout.SetSized(env, sizeof(CImVector64), CSpGradient::kEntries);
  SSpoolKey key;
  key.Set(kGradientType, 0, false);
  spec.SetDefaults(false, &key, &CSpGradient::HandleMessage);
}

// ---- the gradient

CSpGradient::CSpGradient(const STableLayout& layout) : CSpoolTableT<CImVector64>(layout) {}

CSpGradient::CSpGradient(const STableLayout& layout, const SSpoolTableSpec& spec)
    : CSpoolTableT<CImVector64>(layout, spec) {}

// Leaves its environment while still a gradient: writing it back runs the gradient's handler.
CSpGradient::~CSpGradient() {
  if (IsSubscribed()) Unsubscribe();
}

bool CSpGradient::SetRange(int32_t first, int32_t last) {
  if (first < 0 || last > kLastEntry || first > last) return false;
  fFirst = first;
  fLast = last;
  return true;
}

bool CSpGradient::SetColorAt(uint32_t color, int32_t position) {
  const int32_t f = fFirst, l = fLast;
  if (position < f || position > l) return true;
  if (position < f + kSnap) position = f;
  else if (position > l - kSnap) position = l;
  CEntryAccess access(this, true);
  CImVector64* e = access.Get();
  if (!e) return false;
  const CImVector c{color};
  CImVector64 wide;
  wide.Set(uint32_t(c.Alpha()) << 8, uint32_t(c.Red()) << 8, uint32_t(c.Green()) << 8, uint32_t(c.Blue()) << 8);
  if (position > f) Ramp(e, f, position, wide);
  else e[f] = wide;
  if (position < l) Ramp(e, position, l, e[l]);
  return true;
}

bool CSpGradient::FillFromColor(uint32_t color) {
  CEntryAccess access(this, true);
  CImVector64* e = access.Get();
  if (!e) return false;
  const CImVector c{color};
  const uint32_t r = c.Red(), g = c.Green(), b = c.Blue();
  e[0].Set(0, 0, 0, 0);
  for (uint32_t i = 1; i <= 256; ++i) e[i].Set(0xFFFF, (i - 1) * r, (i - 1) * g, (i - 1) * b);
  for (uint32_t k = 0; k < 256; ++k)
    e[257 + k].Set(0xFFFF, 256 * r + k * (255 - r), 256 * g + k * (255 - g), 256 * b + k * (255 - b));
  return true;
}

bool CSpGradient::ToColorTable(CImVector (&colors)[kTableColours]) {
  CEntryAccess access(this, false);
  const CImVector64* e = access.Get();
  if (!e) return false;
  for (uint32_t j = 0; j < kTableColours; ++j) colors[j].value = e[2 * j].ToColor();
  return true;
}

bool CSpGradient::DrawIntoImage(CImage* image) {
  const SRect& clip = image->GetClip();
  if (clip.bottom <= clip.top || clip.right <= clip.left) return true;
  CEntryAccess access(this, false);
  const CImVector64* e = access.Get();
  CImNavigator nav(image, nullptr, true, false);
  if (!e || !nav.IsUsable()) return false;
  const uint32_t width = nav.GetColumns();
  CImVector* first = nav.Cells(0);
  for (uint32_t x = 0; x < width; ++x) first[x].value = e[uint64_t(x) * kLastEntry / width].ToColor();
  for (uint32_t y = 1; y < nav.GetRows(); ++y) std::memcpy(nav.Cells(y), first, size_t(width) * sizeof(CImVector));
  return true;
}

uint32_t CSpGradient::HandleMessage(CSpoolMem* object, uint32_t message, void* argument) {
  auto* gradient = static_cast<CSpGradient*>(object);
  switch (message) {
    case kSpoolReadData: return ReadBody(gradient);
    case kSpoolWriteData: return WriteBody(gradient);
    case kSpoolReadHeader: return CheckHeader(gradient);
    default: return SpoolDefaultTypeHandler(object, message, argument);
  }
}
