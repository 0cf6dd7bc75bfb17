// Whether optimised code keeps a rounding to float between two steps in double: two colour channels
// moved towards another colour by a double factor, twice, as the renderer blends colours. Some
// compilers (GCC 12) vectorise the two channels, then fold the vector conversion to float and back
// into nothing, so the second blend starts from the unrounded doubles and a picture differs in the
// last bit from the unoptimised build's. Exit status 0 when the rounding is kept, 1 when it is lost.
#include <cstdio>

struct SPair {
  float x, y;
};

__attribute__((noinline)) SPair BlendTwice(const SPair& a, const SPair& b, const SPair& c, double s, double t) {
  const SPair m{float(a.x + (b.x - a.x) * s), float(a.y + (b.y - a.y) * s)};
  return {float(m.x + (c.x - m.x) * t), float(m.y + (c.y - m.y) * t)};
}

int main() {
  // Values of a sky pixel for which the lost rounding shows in the result.
  volatile double s = 0x1.f2d47cd49d05cp-5, t = 0x1.3cee822622207p-8;
  const SPair a{0x1.d54968p-6f, 0x1.744d8p-6f}, b{1, 1}, c{0x1.bf6e38p-1f, 0x1.84c4c6p-1f};
  const SPair got = BlendTwice(a, b, c, s, t);
  // The same one step at a time through memory, where no conversion can be folded away.
  volatile float mx = float(a.x + (b.x - a.x) * s), my = float(a.y + (b.y - a.y) * s);
  volatile float x = float(mx + (c.x - mx) * t), y = float(my + (c.y - my) * t);
  if (got.x == x && got.y == y) return 0;
  std::printf("rounding to float lost: got %a %a, expected %a %a\n", got.x, got.y, float(x), float(y));
  return 1;
}
