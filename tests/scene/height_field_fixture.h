// Height fields made through their factory and filled in code: a flat field of grey 128 at n = 16
// (heights 32767, at y = 7 in object units), and fields from any height function.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/image/image8.h"
#include "scene/height_field.h"
#include "scene_fixture.h"

using Point = vector3<double>;

class HeightFieldTest : public SceneTest {
 protected:
  // Pictures and tile tables of the larger fields need room.
  uint32_t DataBudget() const override { return 2 * 1024 * 1024; }

  C3dHeightField* NewField() {
    C3dHeightField* field = MakeShape<C3dHeightField>(table);
    EXPECT_NE(field, nullptr);
    return field;
  }
  // A field of n × n samples, sample (x, z) = height(x, z), with its box, pivot and tiles.
  template <typename F>
  C3dHeightField* FieldOf(uint32_t n, F height, bool symmetric = false) {
    C3dHeightField* field = NewField();
    EXPECT_EQ(field->SetResolution(n), 0);
    field->SetSymmetric(symmetric);
    {
      CHolder holder(field, true, false);
      for (uint32_t z = 0; z < n; ++z)
        for (uint32_t x = 0; x < n; ++x) field->GetGrid()[z * n + x] = CHFUnit(height(x, z));
    }
    field->SetBoxAndPivot();
    EXPECT_EQ(field->BuildTiles(), 0);
    return field;
  }
  C3dHeightField* Grey128() {
    return FieldOf(16, [](uint32_t, uint32_t) { return 32767; });
  }
  static std::vector<CHFUnit> Heights(C3dHeightField* field) {
    CHolder holder(field, false, false);
    const size_t count = size_t(field->GetSide()) * field->GetSide();
    return std::vector<CHFUnit>(field->GetGrid(), field->GetGrid() + count);
  }
  static CHFUnit At(C3dHeightField* field, uint32_t x, uint32_t z) {
    CHolder holder(field, false, false);
    return field->GetGrid()[z * field->GetSide() + x];
  }
  static uint32_t RecordSize(C3dBase* thing) {
    CHolder holder(thing, false, false);
    return thing->GetDataSize();
  }
  // An object-space point in world space, the field placed where its factory put it.
  static Point ToWorld(C3dHeightField* field, const Point& p) { return field->GetObjectToWorld().TransformPoint(p); }

  // An 8-bit picture of the data environment.
  std::unique_ptr<CImage8> NewGreyImage(uint32_t width, uint32_t height) {
    SImage8Layout layout;
    MakeImage8GridSpec(layout, DataEnv(), width, height);
    auto image = std::make_unique<CImage8>(layout, SSpoolTableSpec{});
    EXPECT_TRUE(image->IsValid());
    return image;
  }
  static std::vector<uint8_t> Pixels(CImage8* image) {
    CIm8Navigator nav(image, nullptr, false, false);
    std::vector<uint8_t> pixels;
    for (uint32_t y = 0; y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) pixels.push_back(nav.Cells(y)[x].value);
    return pixels;
  }
};
