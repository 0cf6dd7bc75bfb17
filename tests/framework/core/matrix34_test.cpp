#include "framework/core/matrix34.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using Block = C34Matrix::S34Decomp;
using V = vector3<double>;
constexpr double kPi = std::numbers::pi;

Block MakeBlock(V scale, V shear, V angles, V position) { return {scale, shear, angles, position}; }

C34Matrix FromBlock(const Block& block) {
  C34Matrix m;
  m.SetFromAttributes(block);
  return m;
}

void ExpectNear(const V& actual, const V& expected, double tolerance = 1e-12) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectNear(const C34Matrix& actual, const C34Matrix& expected, double tolerance = 1e-12) {
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "m" << i;
}

void ExpectNear(const Block& actual, const Block& expected) {
  ExpectNear(actual.scale, expected.scale);
  ExpectNear(actual.shear, expected.shear);
  ExpectNear(actual.angles, expected.angles);
  ExpectNear(actual.position, expected.position);
}

bool AllFinite(const Block& b) {
  for (const V& v : {b.scale, b.shear, b.angles, b.position})
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return false;
  return true;
}

const C34Matrix kSample = FromBlock(MakeBlock({2, 3, 4}, {0.1, 0.2, 0.3}, {0.3, -0.2, 1.1}, {5, 6, 7}));
const C34Matrix kOther = FromBlock(MakeBlock({0.5, -1, 2}, {0, 0.4, 0}, {-1.2, 0.7, 2.5}, {-3, 1, 0.25}));

TEST(C34Matrix, MultiplyByTheIdentityIsExact) {
  const C34Matrix identity;
  C34Matrix r;
  C34Matrix::Multiply(r, kSample, identity);
  EXPECT_EQ(r, kSample);
  C34Matrix::Multiply(r, identity, kSample);
  EXPECT_EQ(r, kSample);
}

TEST(C34Matrix, ProductAppliesTheFirstMatrixFirst) {
  C34Matrix ab;
  C34Matrix::Multiply(ab, kSample, kOther);
  const V p{0.7, -1.3, 2.9};
  ExpectNear(ab.TransformPoint(p), kOther.TransformPoint(kSample.TransformPoint(p)));

  C34Matrix translate, rotate, tr, rt;
  translate.Translate(1, 0, 0);
  rotate.RotateY(kPi / 2);
  C34Matrix::Multiply(tr, translate, rotate);
  C34Matrix::Multiply(rt, rotate, translate);
  ExpectNear(tr.TransformPoint({0, 0, 0}), {0, 0, -1});
  ExpectNear(rt.TransformPoint({0, 0, 0}), {1, 0, 0});
}

TEST(C34Matrix, MultiplyMayWriteIntoEitherInput) {
  C34Matrix expected;
  C34Matrix::Multiply(expected, kSample, kOther);
  C34Matrix a = kSample, b = kOther;
  C34Matrix::Multiply(a, a, kOther);
  C34Matrix::Multiply(b, kSample, b);
  EXPECT_EQ(a, expected);
  EXPECT_EQ(b, expected);
  C34Matrix square;
  C34Matrix::Multiply(square, kSample, kSample);
  a = kSample;
  C34Matrix::Multiply(a, a, a);
  EXPECT_EQ(a, square);
}

TEST(C34Matrix, PostRotationsAndTranslation) {
  C34Matrix m;
  m.Translate(1, 0, 0);
  m.RotateY(kPi / 2);
  ExpectNear(m.TransformPoint({0, 0, 0}), {0, 0, -1});

  C34Matrix y;
  y.RotateY(kPi / 2);
  ExpectNear(y.TransformPoint({1, 0, 0}), {0, 0, -1});
  ExpectNear(y.TransformPoint({0, 0, 1}), {1, 0, 0});

  C34Matrix x;
  x.RotateX(kPi / 2);
  ExpectNear(x.TransformPoint({0, 1, 0}), {0, 0, -1});
  ExpectNear(x.TransformPoint({0, 0, 1}), {0, 1, 0});

  ExpectNear(FromBlock(MakeBlock({1, 1, 1}, {}, {0, 0, kPi / 2}, {})).TransformPoint({1, 0, 0}), {0, 1, 0});
}

TEST(C34Matrix, DirectionsIgnoreTheTranslation) {
  const V v{1, 2, 3};
  ExpectNear(kSample.TransformPoint(v), kSample.TransformVector(v) + kSample.Row(3));
  EXPECT_EQ(kSample.Transform(v, true), kSample.TransformPoint(v));
  EXPECT_EQ(kSample.Transform(v, false), kSample.TransformVector(v));
}

TEST(C34Matrix, BuildAppliesScaleShearRotationThenPosition) {
  const Block block = MakeBlock({2, 3, 4}, {0.1, 0.2, 0.3}, {0.3, -0.2, 1.1}, {5, 6, 7});
  C34Matrix expected;
  expected.m[0] = 2;  // scale
  expected.m[4] = 3;
  expected.m[8] = 4;
  C34Matrix shear;  // row 1 += kxy·row 0; row 2 += kyz·row 1 + kxz·row 0
  shear.m[3] = 0.1;
  shear.m[7] = 0.2;
  shear.m[6] = 0.3;
  C34Matrix::Multiply(expected, expected, shear);
  expected.RotateX(-0.3);  // RotateX turns y towards −z, the opposite of a right-handed turn
  C34Matrix::Multiply(expected, expected, FromBlock(MakeBlock({1, 1, 1}, {}, {0, -0.2, 0}, {})));
  C34Matrix::Multiply(expected, expected, FromBlock(MakeBlock({1, 1, 1}, {}, {0, 0, 1.1}, {})));
  expected.Translate(5, 6, 7);
  ExpectNear(FromBlock(block), expected);
}

TEST(C34Matrix, DecomposeInvertsTheBuild) {
  const Block blocks[] = {
      MakeBlock({2, 3, 4}, {0, 0, 0}, {0.3, -0.2, 1.1}, {5, 6, 7}),
      MakeBlock({2, 3, 4}, {0.1, 0.2, 0.3}, {0.3, -0.2, 1.1}, {5, 6, 7}),
      MakeBlock({1, 1, 1}, {}, {}, {}),
      MakeBlock({0.01, 250, 1}, {-0.5, 0.25, 0.75}, {-2.9, 1.2, -3.0}, {-1e3, 0, 1e-3}),
  };
  for (const Block& block : blocks) {
    Block out;
    FromBlock(block).Decompose(out);
    ExpectNear(out, block);
  }
}

TEST(C34Matrix, AReflectionDecomposesIntoThreeNegativeScales) {
  const C34Matrix m = FromBlock(MakeBlock({1, -3, 1}, {}, {}, {}));
  Block out;
  m.Decompose(out);
  EXPECT_LT(out.scale.x, 0);
  EXPECT_LT(out.scale.y, 0);
  EXPECT_LT(out.scale.z, 0);
  ExpectNear(FromBlock(out), m);
}

TEST(C34Matrix, GimbalLockPutsTheWholeTurnIntoX) {
  for (double ay : {kPi / 2, -kPi / 2}) {
    const C34Matrix m = FromBlock(MakeBlock({1, 2, 3}, {0.1, 0, 0.2}, {0.3, ay, 1.1}, {1, 2, 3}));
    Block out;
    m.Decompose(out);
    ASSERT_TRUE(AllFinite(out)) << ay;
    EXPECT_EQ(out.angles.z, 0) << ay;
    EXPECT_NEAR(out.angles.y, ay, 1e-12);
    ExpectNear(FromBlock(out), m);
  }
}

TEST(C34Matrix, DecomposeNeverAnswersNaN) {
  C34Matrix zero;
  for (double& v : zero.m) v = 0;
  C34Matrix flat;  // row 1 lost; row 2 parallel to row 0
  flat.SetRow(0, {2, 0, 0});
  flat.SetRow(1, {0, 0, 0});
  flat.SetRow(2, {4, 0, 0});
  C34Matrix almostFlat = kSample;
  almostFlat.SetRow(1, {0, 0, 0});
  almostFlat.SetRow(2, almostFlat.Row(0) * 2);
  C34Matrix nearGimbal = FromBlock(MakeBlock({1, 1, 1}, {}, {0.3, kPi / 2 - 1e-15, 1.1}, {}));
  C34Matrix huge = FromBlock(MakeBlock({1e300, 1e-300, 1}, {}, {1, 2, 3}, {}));
  for (const C34Matrix& m : {zero, flat, almostFlat, nearGimbal, huge}) {
    Block out;
    m.Decompose(out);
    EXPECT_TRUE(AllFinite(out));
  }
  Block out;
  flat.Decompose(out);
  EXPECT_EQ(out.scale, (V{2, 0, 0}));
  EXPECT_EQ(out.shear, (V{0, 0, 0}));
  zero.Decompose(out);
  EXPECT_EQ(out.scale, (V{0, 0, 0}));
}

TEST(C34Matrix, AxisRotationAndQuaternionMatchRotateY) {
  for (double theta : {-2.5, -kPi / 2, -0.1, 0.0, 0.4, 1.0, kPi / 2, 3.0}) {
    C34Matrix expected;
    expected.RotateY(theta);
    C34Matrix axis;
    axis.SetAxisRotation({0, 1, 0}, theta);
    ExpectNear(axis, expected);
    C34Matrix quaternion;
    quaternion.SetFromQuaternion(2 * std::cos(theta / 2), 0, 2 * std::sin(theta / 2), 0);
    ExpectNear(quaternion, expected);
  }
}

TEST(C34Matrix, AxisRotationIsRightHandedAndKeepsItsAxis) {
  C34Matrix m;
  m.Translate(4, 5, 6);
  m.SetAxisRotation({0, 0, 1}, kPi / 2);
  ExpectNear(m.TransformPoint({1, 0, 0}), {0, 1, 0});
  const V axis = V{1, 2, 2} * (1.0 / 3);
  m.SetAxisRotation(axis, 0.8);
  ExpectNear(m.TransformPoint(axis), axis);
  ExpectNear(m.Row(3), {0, 0, 0});
}

TEST(C34Matrix, ZeroQuaternionGivesTheIdentity) {
  C34Matrix m = kSample;
  m.SetFromQuaternion(0, 0, 0, 0);
  EXPECT_EQ(m, C34Matrix());
}

TEST(C34Matrix, AxisScaleAndOuterProduct) {
  C34Matrix scale = kSample;
  scale.SetAxisScale({1, 0, 0}, 2);
  C34Matrix expected;
  expected.m[0] = 2;
  EXPECT_EQ(scale, expected);

  const V n = V{0, 3, 4} * 0.2;
  scale.SetAxisScale(n, 0.5);
  ExpectNear(scale.TransformVector(n), n * 0.5);
  ExpectNear(scale.TransformVector({1, 0, 0}), {1, 0, 0});

  C34Matrix outer = kSample;
  const V u{1, 2, 3}, v{-4, 5, 0.5};
  outer.OuterProduct(u, v);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(outer.m[3 * i + j], u[i] * v[j]) << i << "," << j;
  EXPECT_EQ(outer.Row(3), (V{0, 0, 0}));
}

TEST(C34Matrix, InverseUndoesTheTransform) {
  for (const C34Matrix& m : {kSample, kOther}) {
    C34Matrix inverse, product;
    ASSERT_TRUE(m.Invert(inverse));
    C34Matrix::Multiply(product, inverse, m);
    ExpectNear(product, C34Matrix());
    C34Matrix::Multiply(product, m, inverse);
    ExpectNear(product, C34Matrix());

    C34Matrix inPlace = m;
    ASSERT_TRUE(inPlace.Invert(inPlace));
    EXPECT_EQ(inPlace, inverse);
  }
}

TEST(C34Matrix, SingularMatrixInvertsToTheIdentityAndSaysSo) {
  C34Matrix flat = kSample;
  flat.SetRow(2, {0, 0, 0});
  C34Matrix tiny = FromBlock(MakeBlock({1e-110, 1e-110, 1e-110}, {}, {}, {}));  // 1/det overflows
  for (const C34Matrix& m : {flat, tiny}) {
    C34Matrix out = kSample;
    EXPECT_FALSE(m.Invert(out));
    EXPECT_EQ(out, C34Matrix());
  }
}

}  // namespace
