#include "framework/core/matrix34.h"

#include <algorithm>
#include <cmath>

namespace {

// Below this a row has no direction left to normalise.
constexpr double kShortestRow = 1e-300;
// cos(asin(±1)) is about 6e-17 in doubles, never 0.
constexpr double kGimbalCosine = 1e-12;

// Makes the row unit length and answers its old length; a row too short to have a direction
// becomes the unit axis of its index and answers 0.
double Normalise(vector3<double>& row, int axis) {
  const double length = std::hypot(row.x, row.y, row.z);  // no overflow for rows near 1e300
  if (length < kShortestRow) {
    row.Set(axis == 0, axis == 1, axis == 2);
    return 0;
  }
  row *= 1 / length;
  return length;
}

// Divides a shear by the scale of the row it was measured against; a lost axis has none.
double Unscaled(double shear, double scale) { return scale == 0 ? 0 : shear / scale; }

}  // namespace

void C34Matrix::SetRow(int i, const vector3<double>& v) {
  m[3 * i] = v.x;
  m[3 * i + 1] = v.y;
  m[3 * i + 2] = v.z;
}

void C34Matrix::Multiply(C34Matrix& result, const C34Matrix& a, const C34Matrix& b) {
  C34Matrix r;
  for (int i = 0; i < 3; ++i) r.SetRow(i, b.TransformVector(a.Row(i)));
  r.SetRow(3, b.TransformPoint(a.Row(3)));
  result = r;
}

bool C34Matrix::Invert(C34Matrix& out) const {
  const double d =
      (m[7] * m[3] - m[6] * m[4]) * m[2] + (m[5] * m[6] - m[3] * m[8]) * m[1] + (m[8] * m[4] - m[7] * m[5]) * m[0];
  if (d == 0 || !std::isfinite(1 / d)) {
    out.SetIdentity();
    return false;
  }
  const double k = 1 / d;
  C34Matrix r;
  r.m[0] = (m[4] * m[8] - m[5] * m[7]) * k;
  r.m[1] = (m[2] * m[7] - m[1] * m[8]) * k;
  r.m[2] = (m[1] * m[5] - m[2] * m[4]) * k;
  r.m[3] = (m[5] * m[6] - m[3] * m[8]) * k;
  r.m[4] = (m[0] * m[8] - m[2] * m[6]) * k;
  r.m[5] = (m[2] * m[3] - m[0] * m[5]) * k;
  r.m[6] = (m[3] * m[7] - m[4] * m[6]) * k;
  r.m[7] = (m[1] * m[6] - m[0] * m[7]) * k;
  r.m[8] = (m[0] * m[4] - m[1] * m[3]) * k;
  r.SetRow(3, -r.TransformVector(Row(3)));
  out = r;
  return true;
}

void C34Matrix::Translate(double dx, double dy, double dz) {
  m[9] += dx;
  m[10] += dy;
  m[11] += dz;
}

void C34Matrix::RotateX(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (int i = 0; i < 12; i += 3) {
    const double y = m[i + 1], z = m[i + 2];
    m[i + 1] = y * c + z * s;
    m[i + 2] = z * c - y * s;
  }
}

void C34Matrix::RotateY(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  for (int i = 0; i < 12; i += 3) {
    const double x = m[i], z = m[i + 2];
    m[i] = x * c + z * s;
    m[i + 2] = z * c - x * s;
  }
}

void C34Matrix::SetFromAttributes(const S34Decomp& block) {
  const double s1 = std::sin(block.angles.x), c1 = std::cos(block.angles.x);
  const double s2 = std::sin(block.angles.y), c2 = std::cos(block.angles.y);
  const double s3 = std::sin(block.angles.z), c3 = std::cos(block.angles.z);
  vector3<double> row0{c3 * c2, c2 * s3, -s2};
  vector3<double> row1{c3 * s2 * s1 - c1 * s3, s3 * s2 * s1 + c3 * c1, c2 * s1};
  vector3<double> row2{s3 * s1 + c3 * c1 * s2, s2 * c1 * s3 - c3 * s1, c1 * c2};

  row2 += row1 * block.shear.y;
  row2 += row0 * block.shear.z;
  row1 += row0 * block.shear.x;

  SetRow(0, row0 * block.scale.x);
  SetRow(1, row1 * block.scale.y);
  SetRow(2, row2 * block.scale.z);
  SetRow(3, block.position);
}

void C34Matrix::Decompose(S34Decomp& block) const {
  vector3<double> row0 = Row(0), row1 = Row(1), row2 = Row(2);
  vector3<double> scale, shear;

  scale.x = Normalise(row0, 0);

  shear.x = Dot(row0, row1);
  row1 -= row0 * shear.x;
  scale.y = Normalise(row1, 1);
  shear.x = Unscaled(shear.x, scale.y);

  shear.z = Dot(row0, row2);
  row2 -= row0 * shear.z;
  shear.y = Dot(row1, row2);
  row2 -= row1 * shear.y;
  scale.z = Normalise(row2, 2);
  shear.z = Unscaled(shear.z, scale.z);
  shear.y = Unscaled(shear.y, scale.z);

  if (Dot(row0, Cross(row1, row2)) < 0) {
    row0 = -row0;
    row1 = -row1;
    row2 = -row2;
    scale = -scale;
  }

  vector3<double> angles;
  angles.y = std::asin(std::clamp(-row0.z, -1.0, 1.0));
  if (std::fabs(std::cos(angles.y)) < kGimbalCosine) {
    // Only ax − az (ay = π/2) or ax + az (ay = −π/2) is left; all of it goes to ax.
    angles.x = angles.y > 0 ? std::atan2(row1.x, row1.y) : std::atan2(-row1.x, row1.y);
    angles.z = 0;
  } else {
    angles.x = std::atan2(row1.z, row2.z);
    angles.z = std::atan2(row0.y, row0.x);
  }

  block.scale = scale;
  block.shear = shear;
  block.angles = angles;
  block.position = Row(3);
}

void C34Matrix::SetAxisRotation(const vector3<double>& axis, double angle) {
  const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  const double x = axis.x, y = axis.y, z = axis.z;
  *this = C34Matrix();
  m[0] = x * x * t + c;
  m[1] = z * s + x * y * t;
  m[2] = x * z * t - y * s;
  m[3] = x * y * t - z * s;
  m[4] = y * y * t + c;
  m[5] = x * s + y * z * t;
  m[6] = y * s + x * z * t;
  m[7] = y * z * t - x * s;
  m[8] = z * z * t + c;
}

void C34Matrix::SetFromQuaternion(double w, double x, double y, double z) {
  const double norm = w * w + x * x + y * y + z * z;
  *this = C34Matrix();
  if (norm == 0 || !std::isfinite(2 / norm)) return;
  const double f = 2 / norm;
  m[0] = 1 - f * (z * z + y * y);
  m[1] = f * (x * y + w * z);
  m[2] = f * (x * z - w * y);
  m[3] = f * (x * y - w * z);
  m[4] = 1 - f * (z * z + x * x);
  m[5] = f * (y * z + w * x);
  m[6] = f * (w * y + x * z);
  m[7] = f * (y * z - w * x);
  m[8] = 1 - f * (x * x + y * y);
}

void C34Matrix::SetAxisScale(const vector3<double>& n, double factor) {
  OuterProduct(n, n * (factor - 1));
  m[0] += 1;
  m[4] += 1;
  m[8] += 1;
}

void C34Matrix::OuterProduct(const vector3<double>& u, const vector3<double>& v) {
  *this = C34Matrix();
  SetRow(0, v * u.x);
  SetRow(1, v * u.y);
  SetRow(2, v * u.z);
}
