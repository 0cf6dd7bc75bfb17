// Height fields: resolution and resampling, new fractal terrains, terrains from pictures and back,
// and the editing operations of the terrain editor and the undo history.
#include "scene/height_field.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "height_field_fixture.h"
#include "platform/alloc.h"
#include "scene/surface/material.h"
#include "tests/framework/image/image_fixture.h"

namespace {

using HeightField = HeightFieldTest;

uint32_t Grey(uint32_t g) { return 0xFF000000u | g << 16 | g << 8 | g; }

TEST(ResampleGridBilinear, BlendsTheFourSamplesAroundEachPosition) {
  const CHFUnit source[4] = {0, 100, 200, 300};
  CHFUnit target[9] = {};
  ResampleGridBilinear(source, target, 2, 3);
  EXPECT_EQ(std::vector<CHFUnit>(target, target + 9), (std::vector<CHFUnit>{0, 50, 100, 100, 150, 200, 200, 250, 300}));
  CHFUnit one = 0;
  ResampleGridBilinear(source + 3, &one, 1, 1);
  EXPECT_EQ(one, 300);
  // Shrinking keeps the corners; a side of 1 takes the first sample.
  const CHFUnit ramp[9] = {0, 10, 20, 30, 40, 50, 60, 70, 80};
  CHFUnit corners[4] = {};
  ResampleGridBilinear(ramp, corners, 3, 2);
  EXPECT_EQ(std::vector<CHFUnit>(corners, corners + 4), (std::vector<CHFUnit>{0, 20, 60, 80}));
  ResampleGridBilinear(ramp + 4, &one, 3, 1);
  EXPECT_EQ(one, 40);
}

TEST_F(HeightField, ANewTerrainIsAFractalOf128Samples) {
  GetRandomState() = {12345, 1, 1};
  C3dHeightField* field = NewField();
  ASSERT_EQ(field->Rebuild(), 0);
  EXPECT_EQ(field->GetSide(), 128u);
  EXPECT_EQ(RecordSize(field), 33616u);
  EXPECT_EQ(field->FacetCount(), 32768u);
  const std::vector<CHFUnit> heights = Heights(field);
  for (uint32_t i = 0; i < 128; ++i) {
    EXPECT_EQ(heights[i], 0);
    EXPECT_EQ(heights[127 * 128 + i], 0);
    EXPECT_EQ(heights[i * 128], 0);
    EXPECT_EQ(heights[i * 128 + 127], 0);
  }
  // Normalised: the highest sample is near the top of the range.
  EXPECT_GT(*std::max_element(heights.begin(), heights.end()), 65000);
  ExpectNear(field->LocalBox().fMin, {-0.01, -0.01, -0.01});
  ExpectNear(field->LocalBox().fMax, {128.01, 128.01, 128.01});
  EXPECT_EQ(field->GetReference().fPosition, (Point{64, 64, 64}));
  EXPECT_TRUE(field->GetTiles()->IsBuilt());

  GetRandomState() = {12345, 1, 1};
  C3dHeightField* again = NewField();
  ASSERT_EQ(again->Rebuild(), 0);
  EXPECT_EQ(Heights(again), heights);
}

TEST_F(HeightField, ResamplingGoesToMultiplesOfSixteen) {
  C3dHeightField* field = FieldOf(128, [](uint32_t x, uint32_t z) { return x * 500 + z; });
  const struct {
    uint32_t requested, side;
  } steps[] = {{40, 32}, {32, 32}, {10, 16}, {16, 16}};
  uint32_t side = 128;
  for (const auto& step : steps) {
    ASSERT_EQ(field->ResampleGrid(&side, step.requested), 0) << step.requested;
    EXPECT_EQ(side, step.side) << step.requested;
    EXPECT_EQ(field->GetSide(), step.side) << step.requested;
    EXPECT_EQ(RecordSize(field), 848u + 2 * step.side * step.side) << step.requested;
    // The ramp's corners stay where they were.
    EXPECT_EQ(At(field, 0, 0), 0) << step.requested;
    EXPECT_EQ(At(field, side - 1, side - 1), 127u * 500 + 127) << step.requested;
  }
  EXPECT_EQ(field->ResampleGrid(&side, 400000), 9);
  EXPECT_EQ(side, 16u);
}

TEST_F(HeightField, GenerationStepsKeepTheirRanges) {
  std::vector<CHFUnit> flat(16 * 16, 1234);
  C3dHeightField::NormaliseGrid(flat.data(), 16);
  EXPECT_EQ(flat, std::vector<CHFUnit>(16 * 16, 1234));

  std::vector<CHFUnit> ramp(16 * 16);
  for (uint32_t i = 0; i < ramp.size(); ++i) ramp[i] = CHFUnit(1000 + i);
  C3dHeightField::NormaliseGrid(ramp.data(), 16);
  EXPECT_EQ(ramp.front(), 0);
  EXPECT_EQ(ramp.back(), 65278);  // (255 − 1) × 65535 / 255

  std::vector<CHFUnit> full(16 * 16, 65535);
  C3dHeightField::ApplyBell(full.data(), 16);
  EXPECT_GE(full[8 * 16 + 8], 65534);
  EXPECT_LT(full[0], full[4 * 16 + 4]);
  SRandomState random{1, 2, 3};
  C3dHeightField::PerturbGrid(full.data(), 16, 32767, random);
  C3dHeightField::ClearBorder(full.data(), 16);
  EXPECT_EQ(full[15 * 16 + 3], 0);
  EXPECT_EQ(full[3 * 16 + 15], 0);
}

TEST_F(HeightField, APictureGivesTheGridFromItsBottomRow) {
  const auto grey = MakeImage(16, 16, [](uint32_t, uint32_t) { return Grey(128); });
  C3dHeightField* field = NewField();
  ASSERT_EQ(field->SetFromImage(grey.get()), 0);
  EXPECT_EQ(Heights(field), std::vector<CHFUnit>(256, 32767));
  EXPECT_TRUE(field->GetTiles()->IsBuilt());

  const auto rows = MakeImage(64, 64, [](uint32_t x, uint32_t y) { return Grey((y * 4 + x) & 255); });
  ASSERT_EQ(field->SetFromImage(rows.get()), 0);
  EXPECT_EQ(field->GetSide(), 64u);
  EXPECT_EQ(At(field, 0, 0), CHFUnit(252 * 0.00390625 * 65535));  // picture row 63
  EXPECT_EQ(At(field, 5, 63), CHFUnit(5 * 0.00390625 * 65535));   // picture row 0
  ExpectNear(field->LocalBox().fMax, {64.01, 64.01, 64.01});
}

// A picture taller than wide fills the n × n grid from its bottom rows and nothing past it; a shorter
// one leaves the rows above it at 0.
TEST_F(HeightField, APictureOfOtherProportionsFillsTheSquareGrid) {
  const auto tall = MakeImage(32, 48, [](uint32_t, uint32_t y) { return Grey(y); });
  C3dHeightField* field = NewField();
  ASSERT_EQ(field->SetFromImage(tall.get()), 0);
  EXPECT_EQ(field->GetSide(), 32u);
  EXPECT_EQ(RecordSize(field), 848u + 2 * 32 * 32);
  EXPECT_EQ(At(field, 0, 0), CHFUnit(47 * 0.00390625 * 65535));
  EXPECT_EQ(At(field, 31, 31), CHFUnit(16 * 0.00390625 * 65535));

  const auto wide = MakeImage(32, 8, [](uint32_t, uint32_t) { return Grey(200); });
  ASSERT_EQ(field->SetFromImage(wide.get()), 0);
  EXPECT_EQ(At(field, 3, 7), CHFUnit(200 * 0.00390625 * 65535));
  EXPECT_EQ(At(field, 3, 8), 0);
  EXPECT_EQ(field->SetFromImage(nullptr), 16);
}

TEST_F(HeightField, GreyPicturesOfTheGrid) {
  for (const auto& [height, grey] : {std::pair<CHFUnit, uint8_t>{65535, 255}, {0, 0}, {32767, 127}}) {
    C3dHeightField* field = FieldOf(16, [h = height](uint32_t, uint32_t) { return h; });
    const auto image = NewGreyImage(16, 16);
    ASSERT_TRUE(field->MakeGrayImage(image.get()));
    EXPECT_EQ(Pixels(image.get()), std::vector<uint8_t>(256, grey)) << height;
  }
  // Picture to grid to picture: every grey g ≥ 1 comes back as g − 1, 0 as 0.
  const auto picture = MakeImage(64, 64, [](uint32_t x, uint32_t y) { return Grey((x * 64 + y) & 255); });
  C3dHeightField* field = NewField();
  ASSERT_EQ(field->SetFromImage(picture.get()), 0);
  const auto back = NewGreyImage(64, 64);
  ASSERT_TRUE(field->MakeGrayImage(back.get()));
  const std::vector<uint8_t> pixels = Pixels(back.get());
  for (uint32_t y = 0; y < 64; ++y) {
    for (uint32_t x = 0; x < 64; ++x) {
      const uint32_t g = (x * 64 + y) & 255;
      ASSERT_EQ(pixels[y * 64 + x], g ? g - 1 : 0) << x << ", " << y;
    }
  }
}

TEST_F(HeightField, GreyPicturesOfOtherSizes) {
  // Grid row n − 1 at the top; a larger picture blends between samples.
  C3dHeightField* field = FieldOf(16, [](uint32_t x, uint32_t z) { return z == 15 ? 65535 : x == 15 ? 32768 : 0; });
  const auto large = NewGreyImage(31, 31);
  ASSERT_TRUE(field->MakeGrayImage(large.get()));
  const std::vector<uint8_t> pixels = Pixels(large.get());
  EXPECT_EQ(pixels[0], 255);            // top row: grid row 15
  EXPECT_EQ(pixels[30 * 31 + 0], 0);    // bottom left: sample (0, 0)
  EXPECT_EQ(pixels[30 * 31 + 30], 128);  // bottom right: sample (15, 0)
  EXPECT_EQ(pixels[30 * 31 + 29], 64);   // halfway between (14, 0) and (15, 0)
  for (const auto& [w, h] : {std::pair<uint32_t, uint32_t>{1, 8}, {8, 1}, {1, 1}}) {
    const auto thin = NewGreyImage(w, h);
    EXPECT_TRUE(field->MakeGrayImage(thin.get())) << w << "x" << h;
    EXPECT_TRUE(field->FillImageFromGrid(thin.get())) << w << "x" << h;
  }
  const auto filled = NewGreyImage(32, 32);
  ASSERT_TRUE(field->FillImageFromGrid(filled.get()));
  EXPECT_EQ(Pixels(filled.get())[31 * 32], 255);  // 65535 × 0.0038910506, row 31 from sample row 15
  EXPECT_EQ(Pixels(filled.get())[31], 127);       // sample (15, 0)
}

TEST_F(HeightField, TheEarlierFormatsHeightsConvert) {
  const auto block = [](uint16_t n, std::vector<int16_t> header, std::vector<int16_t> samples) {
    std::vector<uint8_t> bytes;
    const auto put = [&](int16_t v) {
      bytes.push_back(uint8_t(uint16_t(v) >> 8));
      bytes.push_back(uint8_t(v));
    };
    put(int16_t(n));
    for (int16_t v : header) put(v);
    for (int16_t v : samples) put(v);
    return bytes;
  };
  const std::vector<int16_t> samples = {1023, -1024, -2000, 1024, 0, 512, -5, 100, 1023, 0, 0, 0, 0, 0, 0, 0};
  C3dHeightField* field = NewField();
  const std::vector<uint8_t> good = block(4, {-1024, 0, 1023}, samples);
  ASSERT_EQ(field->ImportOldGrid(good.data(), uint32_t(good.size())), 0);
  EXPECT_EQ(field->GetSide(), 4u);
  EXPECT_NEAR(field->GetLowerClip(), -0.0001, 1e-12);
  EXPECT_NEAR(field->GetUpperClip(), 0.99961171875, 1e-12);
  const std::vector<CHFUnit> heights = Heights(field);
  EXPECT_EQ(std::vector<CHFUnit>(heights.begin(), heights.begin() + 8),
            (std::vector<CHFUnit>{65504, 0, 0, 65535, 32768, 49152, 32608, 35968}));
  EXPECT_TRUE(field->GetTiles()->IsBuilt());

  C3dHeightField* mirrored = NewField();
  mirrored->SetSymmetric(true);
  ASSERT_EQ(mirrored->ImportOldGrid(good.data(), uint32_t(good.size())), 0);
  const std::vector<CHFUnit> reflected = Heights(mirrored);
  EXPECT_EQ(std::vector<CHFUnit>(reflected.begin(), reflected.begin() + 8),
            (std::vector<CHFUnit>{65472, 0, 0, 65535, 0, 32768, 0, 6400}));

  // Too short for its n, or no grid at all: refused, the field as it was.
  for (const std::vector<uint8_t>& bad :
       {std::vector<uint8_t>(good.begin(), good.end() - 1), block(0, {0, 0, 0}, {}), std::vector<uint8_t>{0, 4}}) {
    EXPECT_EQ(field->ImportOldGrid(bad.data(), uint32_t(bad.size())), 2);
    EXPECT_EQ(Heights(field), heights);
  }
}

TEST_F(HeightField, AChangeOfResolutionResamplesAndKeepsTheSettings) {
  C3dHeightField* field = FieldOf(16, [](uint32_t x, uint32_t z) { return x * 1000 + z * 3000; }, true);
  field->SetClip(-0.25, 0.75);
  const std::vector<CHFUnit> before = Heights(field);
  std::vector<CHFUnit> expected(32 * 32);
  ResampleGridBilinear(before.data(), expected.data(), 16, 32);

  ASSERT_TRUE(field->ChangeResolution(32));
  EXPECT_EQ(field->GetSide(), 32u);
  EXPECT_EQ(Heights(field), expected);
  EXPECT_TRUE(field->IsSymmetric());
  EXPECT_EQ(field->GetLowerClip(), -0.25);
  EXPECT_EQ(field->GetUpperClip(), 0.75);
  ExpectNear(field->LocalBox().fMax, {32.01, 32.01, 32.01});
  EXPECT_NEAR(field->LocalBox().fMin.y, 2 * 32 * -0.25 - 32 - 0.01, 1e-9);
  EXPECT_EQ(field->GetTiles()->GetSide(), 32u);
  EXPECT_TRUE(field->ChangeResolution(32));

  // A side whose record cannot be made: false, the field as it was.
  EXPECT_FALSE(field->ChangeResolution(50000));
  EXPECT_EQ(field->GetSide(), 32u);
  EXPECT_EQ(Heights(field), expected);
  EXPECT_EQ(RecordSize(field), 848u + 2 * 32 * 32);
}

TEST_F(HeightField, CopiesOfRegions) {
  C3dHeightField* source = FieldOf(16, [](uint32_t x, uint32_t z) { return x * 100 + z * 1600; });
  C3dHeightField* target = FieldOf(16, [](uint32_t, uint32_t) { return 7; });
  ASSERT_TRUE(target->CopyFrom(*source, nullptr));
  EXPECT_EQ(Heights(target), Heights(source));

  // A 4 × 4 region (top 4, left 2, bottom 8, right 6) shrunk to a 2 × 2 grid: its corners.
  C3dHeightField* small = FieldOf(2, [](uint32_t, uint32_t) { return 0; });
  const SRect square{4, 2, 8, 6};
  ASSERT_TRUE(small->CopyFrom(*source, &square));
  EXPECT_EQ(Heights(small), (std::vector<CHFUnit>{2 * 100 + 4 * 1600, 5 * 100 + 4 * 1600, 2 * 100 + 7 * 1600,
                                                  5 * 100 + 7 * 1600}));
  // A 2 × 2 region stretched over 16 samples in 8-bit fixed point: steps of 17/256 of a sample.
  const SRect corner{4, 2, 6, 4};
  ASSERT_TRUE(target->CopyFrom(*source, &corner));
  EXPECT_EQ(At(target, 0, 0), 2 * 100 + 4 * 1600);
  EXPECT_EQ(At(target, 15, 0), (6600 * 1 + 6700 * 255) >> 8);
  EXPECT_EQ(At(target, 15, 15), ((6600 + 6700 * 255) * 1 + (8200 + 8300 * 255) * 255) >> 16);

  // A region reaching past the source is cut to it; one wholly outside copies nothing.
  const SRect beyond{-8, -8, 8, 8};
  ASSERT_TRUE(target->CopyFrom(*source, &beyond));
  EXPECT_EQ(At(target, 0, 0), 0);
  // A target of one sample takes the region's first.
  C3dHeightField* single = FieldOf(1, [](uint32_t, uint32_t) { return 5; });
  ASSERT_TRUE(single->CopyFrom(*source, &square));
  EXPECT_EQ(Heights(single), (std::vector<CHFUnit>{2 * 100 + 4 * 1600}));
  const SRect outside{20, 20, 30, 30};
  EXPECT_FALSE(target->CopyFrom(*source, &outside));
  EXPECT_FALSE(target->CopyFrom(*target, nullptr));
}

TEST_F(HeightField, SnapshotsAndExchanges) {
  C3dHeightField* field = FieldOf(16, [](uint32_t x, uint32_t z) { return x + z; }, true);
  field->SetClip(-0.5, 0.5);
  C3dHeightField* snapshot = nullptr;
  ASSERT_EQ(field->MakeTemporary(&snapshot, 8), 0);
  EXPECT_EQ(snapshot->GetSide(), 8u);
  EXPECT_EQ(snapshot->GetOwningTable(), nullptr);
  ASSERT_EQ(snapshot->CopyGrid(*field, true), 0);
  EXPECT_EQ(RecordSize(snapshot), RecordSize(field));
  EXPECT_EQ(snapshot->GetSide(), 16u);
  EXPECT_EQ(Heights(snapshot), Heights(field));
  EXPECT_EQ(snapshot->LocalBox(), field->LocalBox());
  EXPECT_TRUE(snapshot->IsSymmetric());
  EXPECT_EQ(snapshot->GetLowerClip(), -0.5);
  EXPECT_TRUE(snapshot->GetTiles()->IsBuilt());

  // An edit, then the exchange that undoes it: each keeps its own name.
  C3dHeightField* edited = FieldOf(32, [](uint32_t, uint32_t) { return 999; });
  {
    CHolder holder(edited, true, false);
    std::strcpy(reinterpret_cast<char*>(edited->GetData()), "edited");
  }
  ASSERT_EQ(edited->SwapData(*snapshot, true, true), 0);
  EXPECT_EQ(edited->GetSide(), 16u);
  EXPECT_EQ(Heights(edited), Heights(field));
  EXPECT_TRUE(edited->IsSymmetric());
  EXPECT_EQ(snapshot->GetSide(), 32u);
  EXPECT_EQ(Heights(snapshot), std::vector<CHFUnit>(32 * 32, 999));
  {
    CHolder holder(edited, false, false);
    EXPECT_STREQ(reinterpret_cast<const char*>(edited->GetData()), "edited");
  }
  EXPECT_TRUE(edited->GetTiles()->IsBuilt());
  EXPECT_EQ(edited->SwapData(*edited, false, false), 16);
  delete snapshot;
}

// Fractions beyond the clip range and negative offsets still read inside the table.
TEST_F(HeightField, ColoursByHeight) {
  C3dHeightField* field = Grey128();
  EXPECT_EQ(field->ColourAtHeight(0.5).value, 0u);
  EXPECT_EQ(field->SetColourTable(nullptr, 0), 16);
  std::vector<CImVector> colours(256);
  for (uint32_t i = 0; i < 256; ++i) colours[i].value = i << 16 | (255 - i);
  ASSERT_EQ(field->SetColourTable(colours.data(), 0), 0);
  const struct {
    int32_t offset;
    double fraction;
    uint32_t expected;
  } cases[] = {
      {0, 1.0, 255u << 16},                // entry 255 alone
      {0, 0.0, 255},                       // entry 0
      {0, 127.5 / 255, 128u << 16 | 128},  // halfway between 127 and 128
      {0, 1.5, 255u << 16},                // above the range: the top entry
      {0, -0.5, 255},                      // below: the bottom entry
      {1, 1.0, 255},                       // wraps to entry 0, whose next is 1
      {-1, 0.0, 255u << 16},               // entry 255
      {-257, 0.0, 255u << 16},
      {512, 0.0, 255},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(field->SetColourTable(colours.data(), c.offset), 0);
    EXPECT_EQ(field->ColourAtHeight(c.fraction).value, c.expected) << c.offset << " at " << c.fraction;
  }
}

// The table reads back as stored, and once deleted the field has none to give or colour with.
TEST_F(HeightField, TheColourTableReadsBackUntilDeleted) {
  C3dHeightField* field = Grey128();
  std::vector<CImVector> colours(256), read(256);
  int32_t offset = 99;
  EXPECT_FALSE(field->GetColourTable(read.data(), &offset));
  EXPECT_EQ(offset, 99);
  for (uint32_t i = 0; i < 256; ++i) colours[i].value = i * 0x010203u;
  ASSERT_EQ(field->SetColourTable(colours.data(), -7), 0);
  ASSERT_TRUE(field->GetColourTable(read.data(), &offset));
  EXPECT_EQ(offset, -7);
  for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(read[i].value, colours[i].value) << i;
  field->DeleteColourTable();
  EXPECT_FALSE(field->HasColourTable());
  EXPECT_FALSE(field->GetColourTable(read.data(), &offset));
  EXPECT_EQ(field->ColourAtHeight(0.5).value, 0u);
  // A table that cannot be made whole leaves none behind.
  uint32_t failures = 0;
  for (uint32_t served = 0; served < 20 && !field->HasColourTable(); ++served) {
    platform::FailAllocationsAfter(served, 2);
    const int32_t err = field->SetColourTable(colours.data(), 0);
    platform::FailNextAllocations(0);
    if (err == 0) break;
    ++failures;
    EXPECT_FALSE(field->HasColourTable()) << served;
  }
  EXPECT_GT(failures, 0u);
  EXPECT_TRUE(field->HasColourTable());
}

TEST_F(HeightField, TheWireframeDrawsLinesEverySoManySamples) {
  C3dHeightField* field = Grey128();
  CLineRecorder view;
  C34Matrix identity;
  ASSERT_TRUE(field->DrawWireframe(&view, identity, 4, false));
  // Lines at 0, 4, 8, 12 and 15 each way, four segments each, at world height 7 − 8.
  ASSERT_EQ(view.GetRecordedSegments().size(), 40u);
  for (const auto& s : view.GetRecordedSegments()) {
    EXPECT_EQ(s.a.y, -1);
    EXPECT_EQ(s.b.y, -1);
  }
  // The reflection doubles every segment below the lower clip height.
  C3dHeightField* mirrored = FieldOf(16, [](uint32_t, uint32_t) { return 32767; }, true);
  CLineRecorder both;
  ASSERT_TRUE(mirrored->DrawWireframe(&both, identity, 4, false));
  ASSERT_EQ(both.GetRecordedSegments().size(), 80u);
  EXPECT_NEAR(both.GetRecordedSegments()[1].a.y, 2 * 16 * -1e-05 - 7, 1e-9);
  // Heights above the upper clip height are cut to it.
  field->SetClip(-1e-05, 5.0 / 16);
  CLineRecorder clipped;
  ASSERT_TRUE(field->DrawWireframe(&clipped, identity, 4, false));
  EXPECT_TRUE(clipped.GetRecordedSegments().empty());
  field->SetFlags(C3dObject::kHidden);
  EXPECT_FALSE(field->DrawWireframe(&clipped, identity, 4, false));
}

TEST_F(HeightField, ADuplicateHoldsTheSameTerrain) {
  C3dHeightField* field = FieldOf(16, [](uint32_t x, uint32_t z) { return x * 4000 + z; });
  field->SetClip(-0.1, 0.9);
  auto* copy = static_cast<C3dHeightField*>(field->Duplicate(table));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Heights(copy), Heights(field));
  EXPECT_EQ(copy->LocalBox(), field->LocalBox());
  EXPECT_EQ(copy->GetUpperClip(), 0.9);
  EXPECT_TRUE(copy->GetTiles()->IsBuilt());
  EXPECT_NE(copy->GetMaterial(), kNoHandle);
  EXPECT_NE(copy->GetMaterial(), field->GetMaterial());
}

}  // namespace
