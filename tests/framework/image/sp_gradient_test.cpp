#include "framework/image/sp_gradient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/core/cm_file.h"
#include "framework/core/cm_function.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "image_fixture.h"
#include "tests/framework/core/resource_fixture.h"

namespace {

using Table = std::array<CImVector64, CSpGradient::kEntries>;
using ByteList = std::vector<uint8_t>;

struct SChannels {
  uint32_t top, red, green, blue;
  bool operator==(const SChannels&) const = default;
};

SChannels Of(const CImVector64& e) {
  return {e.Channel(CImVector64::kTop), e.Channel(CImVector64::kRed), e.Channel(CImVector64::kGreen),
          e.Channel(CImVector64::kBlue)};
}

std::ostream& operator<<(std::ostream& out, const SChannels& c) {
  return out << "{" << c.top << ", " << c.red << ", " << c.green << ", " << c.blue << "}";
}

class GradientTest : public ResourceTest {
 protected:
  std::unique_ptr<CSpGradient> NewGradient() {
    STableLayout layout;
    SSpoolTableSpec spec;
    MakeGradientSpec(layout, spec, DataEnv());
    auto gradient = std::make_unique<CSpGradient>(layout, spec);
    EXPECT_TRUE(gradient->IsValid()) << gradient->GetError();
    return gradient;
  }
  static Table Entries(CSpGradient& gradient) {
    Table table{};
    CHolder holder(&gradient, false, false);
    EXPECT_TRUE(holder.IsLocked()) << gradient.GetError();
    if (holder.IsLocked()) std::copy_n(gradient.GetRecords(), table.size(), table.begin());
    return table;
  }
  static void Put(CSpGradient& gradient, const Table& table) {
    CHolder holder(&gradient, true, false);
    ASSERT_TRUE(holder.IsLocked());
    std::copy(table.begin(), table.end(), gradient.GetRecords());
  }
  static Table Default() {
    Table table;
    MakeDefaultGradient(table.data());
    return table;
  }
  static ByteList Encoded(const Table& table) {
    uint8_t out[CSpGradient::kEncodedBytes];
    return ByteList(out, out + EncodeGradient(table.data(), out));
  }
};

TEST_F(GradientTest, TheDefaultRampAndItsColourTable) {
  Table table{};
  ASSERT_EQ(DecodeGradient(nullptr, 0, table.data()), kNoErr);
  EXPECT_EQ(Of(table[512]), (SChannels{65535, 65024, 65024, 65024}));
  EXPECT_EQ(Of(table[1]), (SChannels{65535, 127, 127, 127}));
  auto gradient = NewGradient();
  Put(*gradient, table);
  CImVector colors[256];
  ASSERT_TRUE(gradient->ToColorTable(colors));
  EXPECT_EQ(colors[255].value, 0xFFFDFDFDu);
  EXPECT_EQ(colors[0].value, 0xFF000000u);

  auto image = SolidImage(4, 2, 0);
  ASSERT_TRUE(gradient->DrawIntoImage(image.get()));
  const std::vector<uint32_t> row = {0xFF000000, 0xFF3F3F3F, 0xFF7F7F7F, 0xFFBEBEBE};
  std::vector<uint32_t> both = row;
  both.insert(both.end(), row.begin(), row.end());
  EXPECT_EQ(Pixels(*image), both);
}

TEST_F(GradientTest, FillFromColorRampsFromBlackThroughTheColourToWhite) {
  auto gradient = NewGradient();
  ASSERT_TRUE(gradient->FillFromColor(0x00FF0000));
  const Table table = Entries(*gradient);
  EXPECT_EQ(Of(table[0]), (SChannels{0, 0, 0, 0}));
  EXPECT_EQ(Of(table[1]), (SChannels{65535, 0, 0, 0}));
  EXPECT_EQ(Of(table[256]), (SChannels{65535, 65025, 0, 0}));
  EXPECT_EQ(Of(table[257]), (SChannels{65535, 65280, 0, 0}));
  EXPECT_EQ(Of(table[512]), (SChannels{65535, 65280, 65025, 65025}));
}

TEST_F(GradientTest, SetColorAtRampsToBothEndsOfTheRangeAndSnapsNearTheEnds) {
  auto gradient = NewGradient();
  ASSERT_TRUE(gradient->SetColorAt(0x00FF0000, 100));
  Table table = Entries(*gradient);
  // Steps of 65280 / 100 = 652 up, then (0 − 65200) / 412 = −158 down.
  EXPECT_EQ(table[50].Channel(CImVector64::kRed), 32600);
  EXPECT_EQ(table[100].Channel(CImVector64::kRed), 65200);
  EXPECT_EQ(table[512].Channel(CImVector64::kRed), 104);
  EXPECT_EQ(table[100].Channel(CImVector64::kGreen), 0);

  struct SCase {
    int32_t position;
    int32_t placed;
  } cases[] = {{3, 0}, {509, 512}, {5, 5}, {507, 507}};
  // From zero ends the colour's entry is the peak, short of the colour by the truncated steps.
  for (const SCase& c : cases) {
    Put(*gradient, Table{});
    ASSERT_TRUE(gradient->SetColorAt(0xFF204060, c.position));
    table = Entries(*gradient);
    const auto peak = std::max_element(table.begin(), table.end(), [](const CImVector64& a, const CImVector64& b) {
      return a.Channel(CImVector64::kBlue) < b.Channel(CImVector64::kBlue);
    });
    EXPECT_EQ(peak - table.begin(), c.placed) << c.position;
    auto reached = [&](uint32_t level) { return c.placed ? (level << 8) / uint32_t(c.placed) * uint32_t(c.placed) : level << 8; };
    EXPECT_EQ(Of(table[size_t(c.placed)]), (SChannels{reached(0xFF), reached(0x20), reached(0x40), reached(0x60)}))
        << c.position;
  }

  // Within a range only the range changes; outside it nothing, and still true.
  Put(*gradient, Table{});
  ASSERT_TRUE(gradient->SetRange(100, 200));
  ASSERT_TRUE(gradient->SetColorAt(0x00FFFFFF, 150));
  ASSERT_TRUE(gradient->SetColorAt(0x00FFFFFF, 300));
  table = Entries(*gradient);
  EXPECT_EQ(table[150].Channel(CImVector64::kBlue), 0xFF00 / 50 * 50);
  EXPECT_EQ(table[99].Channel(CImVector64::kBlue), 0);
  EXPECT_EQ(table[201].Channel(CImVector64::kBlue), 0);
  EXPECT_EQ(table[300].Channel(CImVector64::kBlue), 0);
  // Ranges outside the table, or upside down, are refused and the range stays.
  EXPECT_FALSE(gradient->SetRange(-1, 10));
  EXPECT_FALSE(gradient->SetRange(0, 513));
  EXPECT_FALSE(gradient->SetRange(20, 10));
  EXPECT_EQ(gradient->GetFirst(), 100);
  EXPECT_EQ(gradient->GetLast(), 200);
}

TEST_F(GradientTest, AGradientMapsPixelsByTheirGreenAndKeepsTheTopByte) {
  auto gradient = NewGradient();
  ASSERT_TRUE(gradient->FillFromColor(0x00FF0000));
  auto image = SolidImage(2, 1, 0x12345678);
  ASSERT_TRUE(image->ApplyGradientMap(gradient.get()));
  EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0x12AA0000, 0x12AA0000}));

  auto tinted = SolidImage(2, 1, 0x12345678);
  CCmFunction* subscribers = DataEnv()->GetSubscriberTable();
  const uint32_t before = subscribers->GetCount();
  ASSERT_TRUE(tinted->SetClip(SRect{0, 1, 1, 2}));
  ASSERT_TRUE(tinted->TintWithColor(0x00FF0000));
  EXPECT_EQ(Pixels(*tinted), (std::vector<uint32_t>{0x12345678, 0x12AA0000}));
  EXPECT_EQ(subscribers->GetCount(), before);
}

TEST_F(GradientTest, AStraightGreyRampEncodesAsTwoFullSegmentsPerGroup) {
  Table table;
  for (uint32_t i = 0; i < table.size(); ++i) {
    const uint32_t grey = i * 65535 / 512;
    table[i].Set(65535, grey, grey, grey);
  }
  const ByteList bytes = Encoded(table);
  EXPECT_EQ(bytes, (ByteList{0x00, 0x00, 0x00, 0x00, 0x7F, 0x7F, 0x7F, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00,
                             0xFF}));
  Table decoded{};
  ASSERT_EQ(DecodeGradient(bytes.data(), uint32_t(bytes.size()), decoded.data()), kNoErr);
  EXPECT_EQ(decoded[256].Channel(CImVector64::kRed), 32639);
  EXPECT_EQ(decoded[512].Channel(CImVector64::kBlue), 65535);
  EXPECT_TRUE(std::all_of(decoded.begin(), decoded.end(),
                          [](const CImVector64& e) { return e.Channel(CImVector64::kTop) == 65535; }));
}

// Ramps through random keys, and noise.
TEST_F(GradientTest, RandomGradientsComeBackWithinTheToleranceFromAtMost3076Bytes) {
  uint32_t seed = 12345;
  auto random = [&](uint32_t n) {
    seed = seed * 1103515245 + 12345;
    return (seed >> 8) % n;
  };
  for (int round = 0; round < 40; ++round) {
    Table table;
    if (round % 4 == 3) {
      for (CImVector64& e : table) e.Set(random(65536), random(65536), random(65536), random(65536));
    } else {
      std::array<uint32_t, 4> from{}, to{};
      for (uint32_t& c : from) c = random(65536);
      int32_t start = 0;
      while (start < 512) {
        const int32_t end = std::min<int32_t>(512, start + 1 + int32_t(random(round % 4 == 0 ? 300 : 40)));
        for (uint32_t& c : to) c = random(65536);
        for (int32_t i = start; i <= end; ++i) {
          uint32_t c[4];
          for (int k = 0; k < 4; ++k) c[k] = uint32_t(from[k] + (int64_t(to[k]) - from[k]) * (i - start) / (end - start));
          table[size_t(i)].Set(c[0], c[1], c[2], c[3]);
        }
        from = to;
        start = end;
      }
    }
    const ByteList bytes = Encoded(table);
    ASSERT_LE(bytes.size(), 3076u);
    Table decoded{};
    ASSERT_EQ(DecodeGradient(bytes.data(), uint32_t(bytes.size()), decoded.data()), kNoErr);
    for (uint32_t i = 0; i < table.size(); ++i) {
      for (uint32_t c = CImVector64::kTop; c <= CImVector64::kBlue; ++c)
        ASSERT_LE(std::abs(int32_t(decoded[i].Channel(c)) - int32_t(table[i].Channel(c))), 1280)
            << "round " << round << " entry " << i << " channel " << c;
    }
  }
  // Black and white in turn take a segment for every entry, and every entry is a key.
  Table alternating;
  for (uint32_t i = 0; i < alternating.size(); ++i) {
    const uint32_t v = i % 2 ? 65535 : 0;
    alternating[i].Set(v, v, v, v);
  }
  const ByteList bytes = Encoded(alternating);
  EXPECT_EQ(bytes.size(), 3076u);
  Table decoded{};
  ASSERT_EQ(DecodeGradient(bytes.data(), uint32_t(bytes.size()), decoded.data()), kNoErr);
  for (uint32_t i = 0; i < decoded.size(); ++i) ASSERT_EQ(Of(decoded[i]), Of(alternating[i])) << i;
}

TEST_F(GradientTest, ABodyCutShortIsDamagedAndChangesNothing) {
  Table ramp;
  for (uint32_t i = 0; i < ramp.size(); ++i) ramp[i].Set(65535, i * 100, 0, 65535 - i * 100);
  const ByteList bytes = Encoded(ramp);
  for (size_t length : {size_t(1), size_t(3), size_t(6), bytes.size() - 1}) {
    Table table = Default();
    EXPECT_EQ(DecodeGradient(bytes.data(), uint32_t(length), table.data()), kErrDamagedData) << length;
    EXPECT_EQ(table[300].Channel(CImVector64::kRed), Default()[300].Channel(CImVector64::kRed)) << length;
  }
}

class StoredGradientTest : public GradientTest {
 protected:
  void SetUp() override {
    GradientTest::SetUp();
    env = Open("doc.res");
  }
  void TearDown() override {
    env.reset();
    GradientTest::TearDown();
  }
  // A new resource gradient holding the table, written when it leaves the environment.
  void Store(uint32_t number, const Table* table) {
    ASSERT_TRUE(env->PutResource(Key(kGradientType, number)));
    STableLayout layout;
    SSpoolTableSpec spec;
    MakeGradientSpec(layout, spec, env.get());
    CSpGradient gradient(layout);
    SSpoolKey key = Key(kGradientType, number);
    key.isNew = 1;
    spec.SetDefaults(true, &key, &CSpGradient::HandleMessage);
    ASSERT_TRUE(gradient.Subscribe(spec)) << gradient.GetError();
    if (table) Put(gradient, *table);
    ASSERT_TRUE(gradient.Unsubscribe()) << gradient.GetError();
  }
  // The stored gradient subscribed anew with no records of its own; its lock's error in *error.
  std::unique_ptr<CSpGradient> Reload(uint32_t number, int32_t* error) {
    STableLayout layout;
    layout.SetSized(env.get(), sizeof(CImVector64), 0);
    auto gradient = std::make_unique<CSpGradient>(layout);
    SSpoolTableSpec spec;
    const SSpoolKey key = Key(kGradientType, number);
    spec.SetDefaults(true, &key, &CSpGradient::HandleMessage);
    *error = kNoErr;
    if (!gradient->Subscribe(spec)) {
      *error = NonZeroError(gradient->GetError());
      return gradient;
    }
    CHolder holder(gradient.get(), false, false);
    if (!holder.IsLocked()) *error = NonZeroError(gradient->GetError());
    return gradient;
  }
  ByteList Body(uint32_t number) {
    CResEntry entry{};
    EXPECT_TRUE(env->GetResourceInfo(Key(kGradientType, number), &entry));
    CCmFile* file = env->GetCmFile();
    CMemBlock block(std::max<uint32_t>(file->GetEntryField(entry.first), 1), GetDefaultPool());
    EXPECT_EQ(file->ReadEntryToData(entry.first, block), kNoErr);
    return ByteList(block.GetData(), block.GetData() + file->GetEntryField(entry.first));
  }
  void Rewrite(uint32_t number, const ByteList& bytes) {
    CResEntry entry{};
    ASSERT_TRUE(env->GetResourceInfo(Key(kGradientType, number), &entry));
    CCmFile* file = env->GetCmFile();
    CMemBlock block(uint32_t(bytes.size()), GetDefaultPool());
    std::copy(bytes.begin(), bytes.end(), block.GetData());
    ASSERT_EQ(file->SetEntrySize(entry.first, uint32_t(bytes.size())), kNoErr);
    ASSERT_EQ(file->WriteEntryFromData(entry.first, block), kNoErr);
  }

  std::unique_ptr<CResourceEnv> env;
};

TEST_F(StoredGradientTest, InAResourceEnvironmentTheBodyIsTheSegmentForm) {
  Table ramp;
  for (uint32_t i = 0; i < ramp.size(); ++i) ramp[i].Set(65535 - i * 64, i * 100, 40000, 65535 - i * 100);
  Store(1, &ramp);
  EXPECT_EQ(Body(1), Encoded(ramp));
  int32_t error = 0;
  auto gradient = Reload(1, &error);
  ASSERT_EQ(error, kNoErr);
  EXPECT_EQ(gradient->GetRecordCount(), 513u);
  const Table back = Entries(*gradient);
  for (uint32_t i = 0; i < back.size(); ++i)
    for (uint32_t c = CImVector64::kTop; c <= CImVector64::kBlue; ++c)
      ASSERT_LE(std::abs(int32_t(back[i].Channel(c)) - int32_t(ramp[i].Channel(c))), 1280) << i << " " << c;
  // The top channel comes back as it was stored, not inverted, however often it is saved.
  EXPECT_EQ(back[0].Channel(CImVector64::kTop), 65535u);
  EXPECT_LT(back[512].Channel(CImVector64::kTop), 40000u);
}

TEST_F(StoredGradientTest, ANewGradientIsTheGreyRampAndADamagedBodyIsRefused) {
  Store(2, nullptr);
  int32_t error = 0;
  auto fresh = Reload(2, &error);
  ASSERT_EQ(error, kNoErr);
  const Table table = Entries(*fresh);
  EXPECT_EQ(Of(table[512]), Of(Default()[512]));
  fresh.reset();

  EXPECT_TRUE(Body(2).empty());

  Table ramp;
  for (uint32_t i = 0; i < ramp.size(); ++i) ramp[i].Set(65535, i * 100, 0, 0);
  const ByteList whole = Encoded(ramp);
  Rewrite(2, ByteList(whole.begin(), whole.end() - 1));
  Reload(2, &error);
  EXPECT_EQ(error, kErrDamagedData);
}

TEST_F(StoredGradientTest, OutsideResourceEnvironmentsTheBodyIsTheRawEntries) {
  auto gradient = NewGradient();
  ASSERT_TRUE(gradient->FillFromColor(0x00336699));
  const Table before = Entries(*gradient);
  ASSERT_TRUE(gradient->PageOut());
  EXPECT_EQ(DataEnv()->GetFile()->GetEntryField(uint32_t(gradient->GetDataEntry())), 513u * 8);
  const Table after = Entries(*gradient);
  for (uint32_t i = 0; i < before.size(); ++i) ASSERT_EQ(Of(after[i]), Of(before[i])) << i;
}

}  // namespace
