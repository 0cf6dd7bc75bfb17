#include "framework/image/image_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/mem_pool.h"
#include "framework/core/spool_sys.h"
#include "image_fixture.h"
#include "tests/framework/core/resource_fixture.h"

namespace {

using ByteList = std::vector<uint8_t>;

ByteList BE(std::initializer_list<uint32_t> words) {
  ByteList bytes;
  for (uint32_t w : words) bytes.insert(bytes.end(), {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w)});
  return bytes;
}

ByteList Concat(std::initializer_list<ByteList> parts) {
  ByteList all;
  for (const ByteList& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class ImageRecordTest : public ResourceTest {
 protected:
  void SetUp() override {
    ResourceTest::SetUp();
    env = Open("doc.res");
  }
  void TearDown() override {
    env.reset();
    ResourceTest::TearDown();
  }
  static SSpoolKey ImageKey(uint32_t number) { return Key(kImageType, number); }

  // The stored data and header entries of a resource.
  ByteList Entry(uint32_t number, bool header, const char* type = kImageType) {
    CResEntry entry{};
    EXPECT_TRUE(env->GetResourceInfo(Key(type, number), &entry));
    const uint32_t index = header ? entry.second : entry.first;
    CCmFile* file = env->GetCmFile();
    CMemBlock block(file->GetEntryField(index), GetDefaultPool());
    EXPECT_EQ(file->ReadEntryToData(index, block), kNoErr);
    return ByteList(block.GetData(), block.GetData() + block.GetSize());
  }
  void Rewrite(uint32_t number, bool header, const ByteList& bytes, const char* type = kImageType) {
    CResEntry entry{};
    ASSERT_TRUE(env->GetResourceInfo(Key(type, number), &entry));
    const uint32_t index = header ? entry.second : entry.first;
    CCmFile* file = env->GetCmFile();
    CMemBlock block(uint32_t(bytes.size()), GetDefaultPool());
    std::copy(bytes.begin(), bytes.end(), block.GetData());
    ASSERT_EQ(file->SetEntrySize(index, uint32_t(bytes.size())), kNoErr);
    ASSERT_EQ(file->WriteEntryFromData(index, block), kNoErr);
  }
  // The stored image, subscribed anew; its subscription's result in *subscribed.
  std::unique_ptr<CImage> Reload(uint32_t number, bool* subscribed) {
    SGridLayout grid;
    MakeImageGridSpec(grid, env.get(), 0, 0);
    auto image = std::make_unique<CImage>(grid);
    SSpoolTableSpec spec;
    const SSpoolKey key = ImageKey(number);
    spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
    *subscribed = image->Subscribe(spec);
    return image;
  }
  // The error of locking the stored image, 0 when it reads.
  int32_t ReadError(uint32_t number) {
    bool subscribed = false;
    auto image = Reload(number, &subscribed);
    if (!subscribed) return NonZeroError(image->GetError());
    CHolder holder(image.get(), false, false);
    return holder.IsLocked() ? kNoErr : NonZeroError(image->GetError());
  }

  // The stored 8-bit image, subscribed anew; its subscription's result in *subscribed.
  std::unique_ptr<CImage8> Reload8(uint32_t number, bool* subscribed) {
    SImage8Layout layout;
    MakeImage8GridSpec(layout, env.get(), 0, 0);
    auto image = std::make_unique<CImage8>(layout);
    SSpoolTableSpec spec;
    const SSpoolKey key = Key(kImage8Type, number);
    spec.SetDefaults(true, &key, &Image8RecordTypeHandler);
    *subscribed = image->Subscribe(spec);
    return image;
  }

  std::unique_ptr<CResourceEnv> env;
};

TEST_F(ImageRecordTest, AStoredImageHasItsHeaderAndAPackedBodyAndReadsBack) {
  ASSERT_EQ(StoreImage(*env, ImageKey(1), 16, 16, [](uint32_t, uint32_t) { return 0x00FF0000u; }), kNoErr);
  ByteList header = BE({FourCC("imge"), FourCC("iv32"), 4, 16, 64, 16, 0, 0, 0, 0, 16, 16});
  header.resize(80, 0);
  EXPECT_EQ(Entry(1, true), header);
  const ByteList plane0 = {0x7E, 0x00, 0x7E, 0x00, 0x04, 0x00};
  const ByteList planeFF = {0x7E, 0xFF, 0x7E, 0xFF, 0x04, 0xFF};
  const ByteList body = Concat({BE({FourCC("arle")}), ByteList(60, 0), plane0, planeFF, plane0, plane0});
  ASSERT_EQ(body.size(), 88u);
  EXPECT_EQ(Entry(1, false), body);

  bool subscribed = false;
  auto image = Reload(1, &subscribed);
  ASSERT_TRUE(subscribed) << image->GetError();
  EXPECT_EQ(image->GetWidth(), 16u);
  EXPECT_EQ(image->GetClip(), (SRect{0, 0, 16, 16}));
  EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(256, 0x00FF0000));
  // Only reading it does not make it modified.
  EXPECT_FALSE(image->IsModified());
}

TEST_F(ImageRecordTest, OriginAndClipAreStoredAndOnlyTheOriginSurvivesReading) {
  {
    SGridLayout grid;
    MakeImageGridSpec(grid, env.get(), 5, 4);
    int32_t error = 0;
    auto image = NewResourceImage(*env, ImageKey(2), grid, &error);
    ASSERT_NE(image, nullptr) << error;
    image->SetOrigin(7, -3);
    ASSERT_TRUE(image->SetClip(SRect{1, 2, 3, 4}));
    ASSERT_TRUE(image->Fill(0x01020304));
    ASSERT_TRUE(image->Unsubscribe()) << image->GetError();
  }
  ByteList header = BE({FourCC("imge"), FourCC("iv32"), 4, 5, 20, 4, 7, uint32_t(-3), 1, 2, 3, 4});
  header.resize(80, 0);
  EXPECT_EQ(Entry(2, true), header);
  bool subscribed = false;
  auto image = Reload(2, &subscribed);
  ASSERT_TRUE(subscribed);
  EXPECT_EQ(image->GetOriginH(), 7);
  EXPECT_EQ(image->GetOriginV(), -3);
  EXPECT_EQ(image->GetClip(), (SRect{0, 0, 4, 5}));
  const std::vector<uint32_t> pixels = Pixels(*image);
  EXPECT_EQ(pixels[1 * 5 + 2], 0x01020304u);
  EXPECT_EQ(pixels[0], 0u);
}

TEST_F(ImageRecordTest, ABodyThatWouldPackToItsOwnSizeIsStoredRawBigEndian) {
  // 18 pixels of one colour pack to 4 runs of 2 bytes: 64 + 8 = 72 = 18 × 4.
  ASSERT_EQ(StoreImage(*env, ImageKey(3), 18, 1, [](uint32_t, uint32_t) { return 0x11223344u; }), kNoErr);
  ByteList raw;
  for (int i = 0; i < 18; ++i) raw.insert(raw.end(), {0x11, 0x22, 0x33, 0x44});
  EXPECT_EQ(Entry(3, false), raw);
  // Rows padded beyond the width cannot be packed: stored raw too.
  {
    SGridLayout grid;
    CSpoolGrid::InitDescriptor(grid, env.get(), 4, 3, 2, 16);
    int32_t error = 0;
    auto image = NewResourceImage(*env, ImageKey(4), grid, &error);
    ASSERT_NE(image, nullptr) << error;
    ASSERT_TRUE(image->Fill(0xA1B2C3D4));
    ASSERT_TRUE(image->Unsubscribe()) << image->GetError();
  }
  EXPECT_EQ(Entry(4, false).size(), 32u);
  for (uint32_t number : {3u, 4u}) {
    bool subscribed = false;
    auto image = Reload(number, &subscribed);
    ASSERT_TRUE(subscribed);
    const std::vector<uint32_t> pixels = Pixels(*image);
    EXPECT_EQ(pixels.front(), number == 3 ? 0x11223344u : 0xA1B2C3D4u);
    EXPECT_EQ(pixels.back(), pixels.front());
  }
  EXPECT_EQ(ReadError(4), kNoErr);
}

TEST_F(ImageRecordTest, InASwapEnvironmentTheImagePagesOutAndInAsItsRawBytes) {
  auto image = SolidImage(16, 16, 0x00FF0000);
  ASSERT_TRUE(image->PageOut());
  CCmFile* file = DataEnv()->GetFile();
  const uint32_t entry = uint32_t(image->GetDataEntry());
  ASSERT_EQ(file->GetEntryField(entry), 1024u);
  CMemBlock block(1024, GetDefaultPool());
  ASSERT_EQ(file->ReadEntryToData(entry, block), kNoErr);
  for (uint32_t i = 0; i < 1024; i += 4) ASSERT_EQ(ByteList(block.GetData() + i, block.GetData() + i + 4), (ByteList{0, 0, 0xFF, 0}));
  EXPECT_FALSE(image->IsResident());
  EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(256, 0x00FF0000));
}

// The planes of one packed image, each as PackImage wrote it.
ByteList Packed(CImage& image) {
  CHolder holder(&image, false, false);
  EXPECT_TRUE(holder.IsLocked());
  ByteList out(PackedCapacity(image));
  uint32_t length = 0;
  EXPECT_EQ(PackImage(image, out.data(), uint32_t(out.size()), &length), kNoErr);
  out.resize(length);
  return out;
}

TEST_F(ImageRecordTest, PlanesPackIntoRunsAndLiteralsAndUnpackBack) {
  ByteList alternating;
  for (int i = 0; i < 300; ++i) alternating.push_back(uint8_t(i & 1));
  auto literalsOf = [&](uint8_t scale) {
    ByteList plane;
    auto literal = [&](int from, int count) {
      plane.push_back(uint8_t(128 + count));
      for (int i = from; i < from + count; ++i) plane.push_back(uint8_t(alternating[size_t(i)] * scale));
    };
    literal(0, 125);
    literal(125, 125);
    literal(250, 48);
    literal(298, 2);
    return plane;
  };
  struct SCase {
    const char* name;
    uint32_t width;
    std::function<uint32_t(uint32_t)> pixel;
    ByteList packed;
  } cases[] = {
      {"300 equal bytes", 300, [](uint32_t) { return 0x11223344u; },
       {0x7E, 0x11, 0x7E, 0x11, 0x30, 0x11, 0x7E, 0x22, 0x7E, 0x22, 0x30, 0x22,
        0x7E, 0x33, 0x7E, 0x33, 0x30, 0x33, 0x7E, 0x44, 0x7E, 0x44, 0x30, 0x44}},
      {"300 bytes without three equal", 300, [](uint32_t x) { return (x & 1) * 0x01020304u; },
       Concat({literalsOf(1), literalsOf(2), literalsOf(3), literalsOf(4)})},
      {"one pixel", 1, [](uint32_t) { return 0xA1B2C3D4u; }, {0x81, 0xA1, 0x81, 0xB2, 0x81, 0xC3, 0x81, 0xD4}},
      // A literal stops where a run begins: 1 2 5 5 5 5 9.
      {"literal then run", 7, [](uint32_t x) { return uint32_t(x == 0 ? 1 : x == 1 ? 2 : x == 6 ? 9 : 5); },
       Concat({ByteList{0x07, 0x00}, ByteList{0x07, 0x00}, ByteList{0x07, 0x00}, ByteList{0x82, 1, 2, 0x04, 5, 0x81, 9}})},
  };
  for (const SCase& c : cases) {
    auto image = MakeImage(c.width, 1, [&](uint32_t x, uint32_t) { return c.pixel(x); });
    const ByteList packed = Packed(*image);
    EXPECT_EQ(packed, c.packed) << c.name;
    auto back = SolidImage(c.width, 1, 0);
    CHolder holder(back.get(), true, false);
    ASSERT_EQ(UnpackImage(*back, packed.data(), uint32_t(packed.size())), kNoErr) << c.name;
    holder.Release();
    EXPECT_EQ(Pixels(*back), Pixels(*image)) << c.name;
  }
}

TEST_F(ImageRecordTest, HeadersItCannotReadAreRefusedWithTheirCode) {
  struct SCase {
    const char* name;
    ByteList header;
    int32_t error;
  } cases[] = {
      {"8-bit kind", BE({FourCC("imge"), FourCC("iv08"), 4, 16, 0, 16}), kErrInvalidFormat},
      {"another tag", BE({FourCC("imgx"), FourCC("iv32"), 4, 16, 0, 16}), kErrInvalidFormat},
      {"cell size 8", BE({FourCC("imge"), FourCC("iv32"), 8, 16, 0, 16}), kErrInvalidParameter},
      {"no width", BE({FourCC("imge"), FourCC("iv32"), 4, 0, 0, 16}), kErrInvalidParameter},
      {"rows too short", BE({FourCC("imge"), FourCC("iv32"), 4, 16, 63, 16}), kErrInvalidParameter},
      {"rows not whole cells", BE({FourCC("imge"), FourCC("iv32"), 4, 16, 66, 16}), kErrInvalidParameter},
      {"beyond 32 bits", BE({FourCC("imge"), FourCC("iv32"), 4, 0x10000, 0, 0x10000}), kErrInvalidSize},
  };
  for (const SCase& c : cases) {
    auto image = SolidImage(1, 1, 0);
    ByteList header = c.header;
    header.resize(80, 0);
    CMemBlock block(80, GetDefaultPool());
    std::copy(header.begin(), header.end(), block.GetData());
    EXPECT_EQ(ImageRecordTypeHandler(image.get(), kSpoolApplyHeader, &block), 0u) << c.name;
    EXPECT_EQ(image->GetError(), c.error) << c.name;
  }
  uint32_t size = 0;
  auto image = SolidImage(1, 1, 0);
  EXPECT_EQ(ImageRecordTypeHandler(image.get(), kSpoolHeaderSize, &size), 1u);
  EXPECT_EQ(size, 80u);
  for (uint32_t message : {kSpoolAfterRead, kSpoolBeforeWrite, kSpoolAfterWrite})
    EXPECT_EQ(ImageRecordTypeHandler(image.get(), message, nullptr), 0u);
}

TEST_F(ImageRecordTest, BodiesItCannotReadAreRefusedWithInvalidFormat) {
  ASSERT_EQ(StoreImage(*env, ImageKey(5), 2, 2, [](uint32_t x, uint32_t y) { return x + y; }), kNoErr);
  const ByteList prefix = Concat({BE({FourCC("arle")}), ByteList(60, 0)});
  const ByteList fine = {0x04, 0, 0x04, 0, 0x04, 0, 0x84, 0, 1, 1, 2};
  struct SCase {
    const char* name;
    ByteList body;
    int32_t error;
  } cases[] = {
      {"well formed", Concat({prefix, fine}), kNoErr},
      {"a run past its plane", Concat({prefix, ByteList{0x05, 0}}), kErrInvalidFormat},
      {"a literal past its plane", Concat({prefix, ByteList{0x04, 0, 0x04, 0, 0x04, 0, 0x85, 0, 1, 1, 2, 3}}),
       kErrInvalidFormat},
      {"ends inside a literal", Concat({prefix, ByteList{0x04, 0, 0x04, 0, 0x04, 0, 0x84, 0, 1}}), kErrInvalidFormat},
      {"ends inside a run", Concat({prefix, ByteList{0x04, 0, 0x04, 0, 0x04}}), kErrInvalidFormat},
      {"ends between planes", Concat({prefix, ByteList{0x04, 0, 0x04, 0}}), kErrInvalidFormat},
      {"no arle", Concat({BE({FourCC("arlf")}), ByteList(60, 0), fine}), kErrInvalidFormat},
      {"shorter than its prefix", ByteList(63, 0), kErrInvalidFormat},
  };
  for (const SCase& c : cases) {
    Rewrite(5, false, c.body);
    EXPECT_EQ(ReadError(5), c.error) << c.name;
  }
}

// The header's size is checked against the body before anything is allocated: a small record
// cannot make the reader fill a large image with nothing.
TEST_F(ImageRecordTest, ABodyThatCannotFillItsImageIsRefusedWithInvalidFormat) {
  const ByteList prefix = Concat({BE({FourCC("arle")}), ByteList(60, 0)});
  const ByteList longestRuns = {0x7F, 0, 0x7F, 0, 0x7F, 0, 0x7F, 0};
  struct SCase {
    const char* name;
    uint32_t width, height;
    ByteList body;
    int32_t error;
  } cases[] = {
      {"no body", 64, 64, {}, kErrInvalidFormat},
      {"raw body a pixel short", 2, 2, ByteList(12, 0), kErrInvalidFormat},
      {"one packet per plane", 127, 1, Concat({prefix, longestRuns}), kNoErr},
      {"one packet per plane too few", 128, 1, Concat({prefix, longestRuns}), kErrInvalidFormat},
      {"prefix alone", 1, 1, prefix, kErrInvalidFormat},
  };
  ASSERT_EQ(StoreImage(*env, ImageKey(7), 2, 2, [](uint32_t x, uint32_t y) { return x + y; }), kNoErr);
  for (const SCase& c : cases) {
    ByteList header = BE({FourCC("imge"), FourCC("iv32"), 4, c.width, 0, c.height});
    header.resize(80, 0);
    Rewrite(7, true, header);
    Rewrite(7, false, c.body);
    EXPECT_EQ(ReadError(7), c.error) << c.name;
  }

  // 8-bit bodies are always raw.
  ASSERT_TRUE(env->PutResource(Key(kImage8Type, 7)));
  ByteList header8 = BE({FourCC("imge"), FourCC("iv08"), 1, 16, 0, 0x01000000});
  header8.resize(80, 0);
  Rewrite(7, true, header8, kImage8Type);
  for (const ByteList& body : {ByteList{}, ByteList(4096, 0)}) {
    Rewrite(7, false, body, kImage8Type);
    bool subscribed = false;
    auto image = Reload8(7, &subscribed);
    EXPECT_FALSE(subscribed);
    EXPECT_EQ(image->GetError(), kErrInvalidFormat);
  }
}

// An image may have no rows (an empty one stores an empty body); whatever body it comes with and
// wherever its area lies, reading it walks no pixels.
TEST_F(ImageRecordTest, ImagesWithoutRowsReadAsEmptyWhateverTheirBodyAndArea) {
  ASSERT_EQ(StoreImage(*env, ImageKey(6), 2, 2, [](uint32_t, uint32_t) { return 1u; }), kNoErr);
  ByteList header = BE({FourCC("imge"), FourCC("iv32"), 4, 13, 52, 0, 0, 0, 0, 0, 0, 0});
  header.resize(80, 0);
  Rewrite(6, true, header);
  Rewrite(6, false, Concat({BE({FourCC("arle")}), ByteList(60, 0), ByteList{0x08, 3, 0x0C, 3}}));
  EXPECT_EQ(ReadError(6), kNoErr);

  ASSERT_TRUE(env->PutResource(Key(kImage8Type, 6)));
  ByteList header8 = BE({FourCC("imge"), FourCC("iv08"), 1, 2, 0, 0, 0, 0, 0, 2, 2, 11});
  header8.resize(80, 0);
  Rewrite(6, true, header8, kImage8Type);
  Rewrite(6, false, ByteList{4}, kImage8Type);
  bool subscribed = false;
  auto image = Reload8(6, &subscribed);
  ASSERT_TRUE(subscribed) << image->GetError();
  CIm8Navigator nav(image.get(), nullptr, false, false);
  ASSERT_TRUE(nav.IsUsable());
  EXPECT_EQ(nav.GetRows(), 0u);
  EXPECT_EQ(nav.GetCursor(), nullptr);
}

TEST_F(ImageRecordTest, An8BitImageIsStoredWithItsOwnOriginAndAreaAndARawBody) {
  {
    ASSERT_TRUE(env->PutResource(Key(kImage8Type, 1)));
    SImage8Layout layout;
    MakeImage8GridSpec(layout, env.get(), 5, 3);
    CImage8 image(layout);
    SSpoolKey key = Key(kImage8Type, 1);
    key.isNew = 1;
    SSpoolTableSpec spec;
    spec.SetDefaults(true, &key, &Image8RecordTypeHandler);
    ASSERT_TRUE(image.Subscribe(spec)) << image.GetError();
    image.SetAreaOrigin(2, 1);
    ASSERT_TRUE(image.SetClip(SRect{0, 0, 1, 1}));
    {
      CIm8Navigator nav(&image, nullptr, true, false);
      ASSERT_TRUE(nav.IsUsable());
      for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) nav.Cells(y)[x].value = uint8_t(0xF0 + 5 * y + x);
    }
    ASSERT_TRUE(image.Unsubscribe()) << image.GetError();
  }
  ByteList header = BE({FourCC("imge"), FourCC("iv08"), 1, 5, 5, 3, 2, 1, 0, 0, 3, 5});
  header.resize(80, 0);
  EXPECT_EQ(Entry(1, true, kImage8Type), header);
  ByteList body;
  for (uint8_t i = 0; i < 15; ++i) body.push_back(uint8_t(0xF0 + i));
  EXPECT_EQ(Entry(1, false, kImage8Type), body);

  bool subscribed = false;
  auto image = Reload8(1, &subscribed);
  ASSERT_TRUE(subscribed) << image->GetError();
  EXPECT_EQ(Indices(*image), body);
  EXPECT_EQ(image->GetAreaOriginX(), 2);
  EXPECT_EQ(image->GetAreaOriginY(), 1);
  EXPECT_EQ(image->GetArea(), (SRect{0, 0, 3, 5}));
  EXPECT_EQ(image->GetClip(), (SRect{0, 0, 3, 5}));
  EXPECT_EQ(image->GetStride(), 5u);
}

TEST_F(ImageRecordTest, An8BitHeaderItCannotReadIsRefusedWithItsCode) {
  struct SCase {
    const char* name;
    ByteList header;
    int32_t error;
  } cases[] = {
      {"32-bit kind", BE({FourCC("imge"), FourCC("iv32"), 1, 16, 0, 16}), kErrInvalidFormat},
      {"cell size 4", BE({FourCC("imge"), FourCC("iv08"), 4, 16, 0, 16}), kErrInvalidParameter},
      {"no width", BE({FourCC("imge"), FourCC("iv08"), 1, 0, 0, 16}), kErrInvalidParameter},
      {"rows too short", BE({FourCC("imge"), FourCC("iv08"), 1, 16, 15, 16}), kErrInvalidParameter},
  };
  for (const SCase& c : cases) {
    auto image = MakeImage8(DataEnv(), 2, 2, [](uint32_t, uint32_t) { return 7; });
    image->SetAreaOrigin(4, 4);
    ByteList header = c.header;
    header.resize(80, 0);
    CMemBlock block(80, GetDefaultPool());
    std::copy(header.begin(), header.end(), block.GetData());
    EXPECT_EQ(Image8RecordTypeHandler(image.get(), kSpoolApplyHeader, &block), 0u) << c.name;
    EXPECT_EQ(image->GetError(), c.error) << c.name;
    EXPECT_EQ(image->GetWidth(), 2u) << c.name;
    EXPECT_EQ(image->GetAreaOriginX(), 4) << c.name;
  }
  // A header cut short is refused before anything of it is taken.
  auto image = MakeImage8(DataEnv(), 1, 1, [](uint32_t, uint32_t) { return 0; });
  const ByteList partial = BE({FourCC("imge"), FourCC("iv08"), 1, 16});
  CMemBlock block(uint32_t(partial.size()), GetDefaultPool());
  std::copy(partial.begin(), partial.end(), block.GetData());
  EXPECT_EQ(Image8RecordTypeHandler(image.get(), kSpoolApplyHeader, &block), 0u);
  EXPECT_EQ(image->GetError(), kErrInvalidFormat);
  EXPECT_EQ(image->GetWidth(), 1u);
  uint32_t size = 0;
  EXPECT_EQ(Image8RecordTypeHandler(image.get(), kSpoolHeaderSize, &size), 1u);
  EXPECT_EQ(size, 80u);
  for (uint32_t message : {kSpoolAfterRead, kSpoolBeforeWrite, kSpoolAfterWrite})
    EXPECT_EQ(Image8RecordTypeHandler(image.get(), message, nullptr), 0u);
}

TEST_F(ImageRecordTest, An8BitImagePagesOutAndInAsItsRawBytes) {
  auto image = MakeImage8(DataEnv(), 3, 3, [](uint32_t x, uint32_t y) { return 3 * y + x; });
  ASSERT_TRUE(image->PageOut());
  EXPECT_FALSE(image->IsResident());
  EXPECT_EQ(DataEnv()->GetFile()->GetEntryField(uint32_t(image->GetDataEntry())), 9u);
  EXPECT_EQ(Indices(*image), (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

}  // namespace
