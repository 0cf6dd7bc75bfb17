#include "framework/core/fast_math.h"

#include <array>
#include <bit>
#include <cmath>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr uint64_t kMantissaMask = (uint64_t(1) << 52) - 1;
constexpr int kTableShift = 46;  // the top 6 of the 52 mantissa bits index the tables
constexpr uint64_t kTableBits = uint64_t(63) << kTableShift;

// 2^(k/64).
constexpr double kPow2Table[64] = {
    1.0, 1.0108892860517005, 1.0218971486541166, 1.0330248790212284,
    1.0442737824274138, 1.0556451783605572, 1.0671404006768237, 1.0787607977571199,
    1.0905077326652577, 1.102382583307841, 1.1143867425958924, 1.1265216186082418,
    1.1387886347566916, 1.1511892299529827, 1.1637248587775775, 1.1763969916502812,
    1.189207115002721, 1.202156731452703, 1.215247359980469, 1.22848053610687,
    1.241857812073484, 1.255380757024691, 1.2690509571917332, 1.2828700160787783,
    1.2968395546510096, 1.3109612115247644, 1.3252366431597413, 1.339667524053303,
    1.3542555469368927, 1.3690024229745905, 1.383909881963832, 1.3989796725383112,
    1.4142135623730951, 1.42961333839197, 1.4451808069770467, 1.460917794180647,
    1.4768261459394993, 1.4929077282912648, 1.5091644275934228, 1.5255981507445384,
    1.5422108254079407, 1.559004400237837, 1.5759808451078865, 1.593142151342267,
    1.6104903319492543, 1.6280274218573478, 1.645755478153965, 1.6636765803267364,
    1.681792830507429, 1.7001063537185235, 1.718619298122478, 1.7373338352737062,
    1.7562521603732995, 1.7753764925265212, 1.7947090750031072, 1.8142521755003989,
    1.8340080864093424, 1.8539791250833855, 1.8741676341103, 1.8945759815869656,
    1.9152065613971474, 1.9360617934922943, 1.9571441241754002, 1.978456026387951,
};

// log2(1 + k/64).
constexpr double kLog2Table[64] = {
    0.0, 0.02236781302845451, 0.044394119358453436, 0.06608919045777244,
    0.0874628412503394, 0.10852445677816905, 0.12928301694496647, 0.14974711950468206,
    0.16992500144231237, 0.18982455888001723, 0.20945336562894978, 0.22881869049588088,
    0.2479275134435855, 0.2667865406949014, 0.28540221886224837, 0.30378074817710293,
    0.32192809488736235, 0.33985000288462475, 0.3575520046180837, 0.37503943134692475,
    0.3923174227787603, 0.4093909361377018, 0.42626475470209796, 0.4429434958487283,
    0.45943161863729726, 0.47573343096639775, 0.4918530963296747, 0.5077946401986962,
    0.5235619560570128, 0.5391588111080314, 0.5545888516776374, 0.5698556083309478,
    0.5849625007211562, 0.5999128421871277, 0.6147098441152082, 0.6293566200796096,
    0.6438561897747247, 0.6582114827517948, 0.6724253419714956, 0.6865005271832184,
    0.7004397181410922, 0.7142455176661227, 0.7279204545631992, 0.7414669864011469,
    0.7548875021634686, 0.7681843247769263, 0.7813597135246596, 0.794415866350106,
    0.8073549220576041, 0.8201789624151877, 0.8328900141647416, 0.8454900509443752,
    0.8579809951275721, 0.8703647195834046, 0.8826430493618412, 0.8948177633079435,
    0.9068905956085185, 0.9188632372745945, 0.9307373375628862, 0.9425145053392399,
    0.9541963103868752, 0.965784284662087, 0.9772799234999164, 0.9886846867721658,
};

// 64/(64 + k): brings a mantissa in [1 + k/64, 1 + (k+1)/64) down to [1, 1 + 1/64).
constexpr std::array<double, 64> kLogScaleTable = [] {
  std::array<double, 64> table{};
  for (int k = 0; k < 64; ++k) table[k] = 64.0 / (64 + k);
  return table;
}();

}  // namespace

double FastLog2(double x) {
  if (!(x > 1e-307)) return -kInfinity;
  if (x == kInfinity) return x;
  const uint64_t bits = std::bit_cast<uint64_t>(x);
  const int exponent = int(bits >> 52) - 1023;
  const uint64_t mantissa = bits & kMantissaMask;
  const int k = int(mantissa >> kTableShift);
  const double m = std::bit_cast<double>(mantissa | uint64_t(1023) << 52);
  const double u = m * kLogScaleTable[k] - 1;
  const double u2 = u * u;
  const double p = 1.442695040888937 - 0.7213475204127876 * u + (0.48089833404997356 - 0.36067132973951144 * u) * u2 +
                   (0.2883070248990067 - 0.22949900023246153 * u) * u2 * u2;
  return exponent + kLog2Table[k] + u * p;
}

double FastExp2(double x) {
  // The conversion to a 32-bit integer below must only see values it can hold.
  if (std::isnan(x) || x < -1075) return 0;
  if (x >= 1024) return kInfinity;
  const double y = x + 1023;
  const int32_t n = int32_t(y) - 1;
  if (uint32_t(n) > 2047) return n > 0 ? kInfinity : 0.0;
  const uint64_t fBits = std::bit_cast<uint64_t>(y - n);  // in [1, 2)
  const int k = int((fBits & kTableBits) >> kTableShift);
  const double f = std::bit_cast<double>(fBits & ~kTableBits);
  const double f2 = f * f;
  const double q = 0.9997052445684839 + 0.6948749415195616 * f + (0.23603244393034895 + 0.06087614283854009 * f) * f2 +
                   (0.005830032491308937 + 0.0026811946517564956 * f) * f2 * f2;
  return q * kPow2Table[k] * std::bit_cast<double>(uint64_t(n) << 52);
}

float FastSqrtFloat(float x) {
  if (std::bit_cast<int32_t>(x) <= 0x219392EF) return 0;
  return std::isnan(x) ? 0 : std::sqrt(x);
}

namespace {

// The last root and the squares around it, wide enough not to wrap for roots near 65535.
struct SIntSqrtCache {
  uint32_t root;
  uint64_t below;  // (root − 1)²
  uint64_t low;    // root²
  uint64_t high;   // (root + 1)²
  uint64_t above;  // (root + 2)²
};

SIntSqrtCache CacheAround(uint32_t root) {
  const auto square = [](int64_t v) { return uint64_t(v * v); };
  const int64_t r = root;
  return {root, square(r - 1), square(r), square(r + 1), square(r + 2)};
}

SIntSqrtCache gIntSqrtCache = CacheAround(0);

// Two bits of x per step, from the top pair that holds a set bit.
uint32_t RestoringSqrt(uint32_t x) {
  if (x == 0) return 0;
  const int shift = std::countl_zero(x) & ~1;
  uint32_t bits = x << shift;
  uint64_t remainder = 0;
  uint32_t root = 0;
  for (int step = 0; step < 16 - shift / 2; ++step) {
    remainder = remainder << 2 | bits >> 30;
    bits <<= 2;
    root <<= 1;
    const uint64_t trial = uint64_t(root) << 1 | 1;
    if (remainder >= trial) {
      remainder -= trial;
      root |= 1;
    }
  }
  return root;
}

}  // namespace

uint32_t IntSqrt(uint32_t x, bool useCache) {
  SIntSqrtCache& cache = gIntSqrtCache;
  if (useCache && cache.below <= x && x < cache.above) {
    if (x >= cache.high)
      cache = CacheAround(cache.root + 1);
    else if (x < cache.low)
      cache = CacheAround(cache.root - 1);
    return cache.root;
  }
  const uint32_t root = RestoringSqrt(x);
  if (useCache) cache = CacheAround(root);
  return root;
}
