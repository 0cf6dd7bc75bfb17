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
  // Component by axis number 0, 1, 2.
  T operator[](int axis) const { return axis == 0 ? x : axis == 1 ? y : z; }

  vector3 operator+(const vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  vector3 operator-(const vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  vector3 operator-() const { return {-x, -y, -z}; }
  vector3 operator*(T k) const { return {x * k, y * k, z * k}; }
  vector3& operator+=(const vector3& o) { return *this = *this + o; }
  vector3& operator-=(const vector3& o) { return *this = *this - o; }
  vector3& operator*=(T k) { return *this = *this * k; }
};

template <typename T>
T Dot(const vector3<T>& a, const vector3<T>& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

template <typename T>
vector3<T> Cross(const vector3<T>& a, const vector3<T>& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
