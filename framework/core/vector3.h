// Three components: points, directions and colours.
#pragma once

template <typename T>
struct vector3 {
  T x{};
  T y{};
  T z{};

  vector3& Set(T a, T b, T c) {
    x = a;
    y = b;
    z = c;
    return *this;
  }
  vector3& Copy(const vector3& other) { return *this = other; }
  vector3& Fill(T value) { return Set(value, value, value); }
  bool operator==(const vector3&) const = default;
};
