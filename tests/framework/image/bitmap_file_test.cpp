#include "framework/image/bitmap_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "image_fixture.h"
#include "platform/file.h"
#include "tests/framework/core/resource_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

using ByteList = std::vector<uint8_t>;

void PutLE(ByteList& bytes, size_t at, uint32_t value, int n) {
  for (int i = 0; i < n; ++i) bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

struct SBmp {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t infoSize = 40;
  ByteList between;  // masks or colour table
  ByteList rows;
};

// A BMP file of the given fields; the pixels start right after `between`.
ByteList Bmp(const SBmp& b) {
  ByteList bytes(14 + 40, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  const uint32_t offset = uint32_t(54 + b.between.size());
  PutLE(bytes, 2, uint32_t(offset + b.rows.size()), 4);
  PutLE(bytes, 10, offset, 4);
  PutLE(bytes, 14, b.infoSize, 4);
  PutLE(bytes, 18, uint32_t(b.width), 4);
  PutLE(bytes, 22, uint32_t(b.height), 4);
  PutLE(bytes, 26, 1, 2);
  PutLE(bytes, 28, b.bits, 2);
  PutLE(bytes, 30, b.compression, 4);
  bytes.insert(bytes.end(), b.between.begin(), b.between.end());
  bytes.insert(bytes.end(), b.rows.begin(), b.rows.end());
  return bytes;
}

ByteList LE32s(std::initializer_list<uint32_t> words) {
  ByteList bytes;
  for (uint32_t w : words)
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(w >> (8 * i)));
  return bytes;
}

class BitmapFileTest : public ResourceTest {
 protected:
  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }
  void Write(const std::string& name, const ByteList& bytes) const {
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  // Reads the named file into a new image: the result, and the pixels when it read.
  int32_t Load(const std::string& name, std::vector<uint32_t>* pixels = nullptr, uint32_t* width = nullptr) {
    CImage* image = nullptr;
    const int32_t err = CImBitmapFile::LoadImage(Spec(name), &image);
    std::unique_ptr<CImage> owned(image);
    EXPECT_EQ(err != kNoErr, image == nullptr) << name;
    if (image && pixels) *pixels = Pixels(*image);
    if (image && width) *width = image->GetWidth();
    return err;
  }
  int32_t LoadBytes(const ByteList& bytes, std::vector<uint32_t>* pixels = nullptr) {
    Write("built.bmp", bytes);
    return Load("built.bmp", pixels);
  }
  // The pixels ImageMagick decodes, opaque.
  std::vector<uint32_t> Truth(const std::string& name) const {
    const SRun run = RunCommand("convert '" + Path(name) + "' -depth 8 rgb:-");
    EXPECT_EQ(run.status, 0);
    std::vector<uint32_t> pixels;
    for (size_t i = 0; i + 2 < run.out.size(); i += 3)
      pixels.push_back(0xFF000000u | uint32_t(uint8_t(run.out[i])) << 16 | uint32_t(uint8_t(run.out[i + 1])) << 8 |
                       uint8_t(run.out[i + 2]));
    return pixels;
  }
  size_t FilesIn() const {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) n += entry.is_regular_file();
    return n;
  }
};

TEST_F(BitmapFileTest, FilesOfNetpbmAndImageMagickReadAsTheyDecodeThem) {
  const std::string shapes = " -fill blue -draw 'point 1,0' -fill '#00FF80' -draw 'point 6,4' -fill white "
                             "-draw 'line 0,2 6,2'";
  struct SPicture {
    const char* name;
    std::string drawing;
  } pictures[] = {
      {"two", "-size 10x3 xc:red -fill blue -draw 'point 1,0'"},  // 1 bit, 10 wide
      {"few", "-size 7x5 xc:red" + shapes},                       // odd width
      {"ramp", "-size 13x7 gradient:red-blue -fill '#123456' -draw 'point 12,6'"},
      {"thin", "-size 1x4 gradient:white-black"},  // rows of 4 bytes at 24 bits
  };
  for (const SPicture& p : pictures)
    ASSERT_EQ(RunCommand("convert " + p.drawing + " -depth 8 '" + Path(std::string(p.name) + ".ppm") + "'").status, 0)
        << p.name;
  struct SCase {
    const char* picture;
    std::string command;  // with IN and OUT
  } cases[] = {
      {"two", "ppmtobmp -bpp=1 IN > OUT"},      {"few", "ppmtobmp -bpp=4 IN > OUT"},
      {"few", "ppmtobmp -bpp=8 IN > OUT"},      {"ramp", "ppmtobmp -bpp=8 IN > OUT"},
      {"ramp", "ppmtobmp -bpp=24 IN > OUT"},    {"thin", "ppmtobmp -bpp=24 IN > OUT"},
      {"ramp", "convert IN -type truecolor BMP3:OUT"}, {"two", "convert IN -type truecolor BMP3:OUT"},
  };
  int n = 0;
  for (const SCase& c : cases) {
    const std::string in = Path(std::string(c.picture) + ".ppm");
    const std::string out = "case" + std::to_string(n++) + ".bmp";
    std::string command = c.command;
    command.replace(command.find("IN"), 2, "'" + in + "'");
    command.replace(command.find("OUT"), 3, "'" + Path(out) + "'");
    ASSERT_EQ(RunCommand(command + " 2>/dev/null").status, 0) << command;
    std::vector<uint32_t> pixels;
    ASSERT_EQ(Load(out, &pixels), kNoErr) << command;
    EXPECT_EQ(pixels, Truth(std::string(c.picture) + ".ppm")) << command;
  }
  // OS/2 bitmaps have a 12-byte information header.
  ASSERT_EQ(RunCommand("ppmtobmp -os2 '" + Path("few.ppm") + "' > '" + Path("os2.bmp") + "' 2>/dev/null").status, 0);
  EXPECT_EQ(Load("os2.bmp"), kErrInvalidFormat);
}

TEST_F(BitmapFileTest, PixelsOfEachDepthBuiltByHand) {
  // Colour table entries are blue, green, red and a spare byte.
  const ByteList palette = {0x30, 0x20, 0x10, 0, 0x33, 0x22, 0x11, 0};
  struct SCase {
    const char* name;
    SBmp bmp;
    std::vector<uint32_t> pixels;
  } cases[] = {
      {"1 bit, 10 wide", {10, 1, 1, 0, 40, palette, {0xA5, 0x80, 0, 0}},
       {0xFF112233, 0xFF102030, 0xFF112233, 0xFF102030, 0xFF102030, 0xFF112233, 0xFF102030, 0xFF112233, 0xFF112233,
        0xFF102030}},
      {"4 bits, odd width: the last pixel is a high nibble", {3, 1, 4, 0, 40, palette, {0x01, 0x10, 0, 0}},
       {0xFF102030, 0xFF112233, 0xFF112233}},
      {"8 bits, an index past the table is opaque black", {2, 1, 8, 0, 40, palette, {1, 2, 0, 0}},
       {0xFF112233, 0xFF000000}},
      {"16 bits, 5-5-5", {2, 1, 16, 0, 40, {}, {0xFF, 0x7F, 0x21, 0x04}}, {0xFFF8F8F8, 0xFF080808}},
      {"16 bits, 5-6-5 fields", {2, 1, 16, 3, 40, LE32s({0xF800, 0x07E0, 0x001F}), {0x00, 0xF8, 0xE0, 0x07}},
       {0xFFF80000, 0xFF00FC00}},
      {"24 bits, 1 wide: rows of 4 bytes, bottom row first", {1, 2, 24, 0, 40, {}, {1, 2, 3, 0, 4, 5, 6, 0}},
       {0xFF060504, 0xFF030201}},
      {"32 bits, the fourth byte ignored", {1, 1, 32, 0, 40, {}, {1, 2, 3, 4}}, {0xFF030201}},
      {"32 bits, fields", {1, 1, 32, 3, 40, LE32s({0xFF000000, 0x00FF0000, 0x0000FF00}), {9, 1, 2, 3}},
       {0xFF030201}},
      {"64000 wide passes", {64000, 1, 1, 0, 40, palette, ByteList(8000, 0)}, std::vector<uint32_t>(64000, 0xFF102030)},
  };
  for (const SCase& c : cases) {
    std::vector<uint32_t> pixels;
    ASSERT_EQ(LoadBytes(Bmp(c.bmp), &pixels), kNoErr) << c.name;
    EXPECT_EQ(pixels, c.pixels) << c.name;
  }
}

TEST_F(BitmapFileTest, FilesItCannotReadAreRefusedWithInvalidFormat) {
  const ByteList row = {0, 0, 0, 0};
  ByteList notBm = Bmp({1, 1, 24, 0, 40, {}, row});
  notBm[1] = 'A';
  ByteList offsetInHeader = Bmp({1, 1, 24, 0, 40, {}, row});
  offsetInHeader[10] = 50;
  const ByteList cut(offsetInHeader.begin(), offsetInHeader.begin() + 30);
  struct SCase {
    const char* name;
    ByteList bytes;
  } cases[] = {
      {"2 bits", Bmp({1, 1, 2, 0, 40, ByteList(16, 0), row})},
      {"RLE8", Bmp({1, 1, 8, 1, 40, ByteList(8, 0), row})},
      {"RLE4", Bmp({1, 1, 4, 2, 40, ByteList(8, 0), row})},
      {"bit fields at 24 bits", Bmp({1, 1, 24, 3, 40, ByteList(12, 0), row})},
      {"12-byte header", Bmp({1, 1, 24, 0, 12, {}, row})},
      {"124-byte header", Bmp({1, 1, 24, 0, 124, ByteList(84, 0), row})},
      {"shorter than its rows", Bmp({2, 2, 24, 0, 40, {}, ByteList(15, 0)})},
      {"64001 wide", Bmp({64001, 1, 1, 0, 40, {}, ByteList(8004, 0)})},
      {"no height", Bmp({1, 0, 24, 0, 40, {}, row})},
      {"top-down", Bmp({1, -1, 24, 0, 40, {}, row})},
      {"64000 × 64000 in a small file", Bmp({64000, 64000, 24, 0, 40, {}, row})},
      {"not BM", notBm},
      {"pixels inside the headers", offsetInHeader},
      {"headers cut short", cut},
      {"empty", {}},
  };
  for (const SCase& c : cases) EXPECT_EQ(LoadBytes(c.bytes), kErrInvalidFormat) << c.name;
  EXPECT_EQ(Load("missing.bmp"), kErrFileNotFound);
}

TEST_F(BitmapFileTest, ReadingIntoTheCallersImage) {
  Write("one.bmp", Bmp({2, 1, 24, 0, 40, {}, {1, 2, 3, 4, 5, 6, 0, 0}}));
  auto image = SolidImage(2, 1, 0x12345678);
  CImage* target = image.get();
  ASSERT_EQ(CImBitmapFile::LoadImage(Spec("one.bmp"), &target), kNoErr);
  EXPECT_EQ(target, image.get());
  EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0xFF030201, 0xFF060504}));
  auto other = SolidImage(3, 1, 0x12345678);
  target = other.get();
  EXPECT_EQ(CImBitmapFile::LoadImage(Spec("one.bmp"), &target), kErrInvalidFormat);
  EXPECT_EQ(target, other.get());
  EXPECT_TRUE(other->IsValid());
  EXPECT_EQ(Pixels(*other), std::vector<uint32_t>(3, 0x12345678));
}

TEST_F(BitmapFileTest, WritesA24BitFileThatReadsBack) {
  auto image = MakeImage(1, 2, [](uint32_t, uint32_t y) { return y == 0 ? 0xFF112233u : 0x00445566u; });
  ASSERT_EQ(SaveImageAsBmp(Spec("out.bmp"), image.get(), false), kNoErr);
  ByteList expected = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
  expected.resize(38, 0);
  for (int i = 0; i < 2; ++i) expected.insert(expected.end(), {0xF8, 0x0A, 0, 0});
  expected.resize(54, 0);
  expected.insert(expected.end(), {0x66, 0x55, 0x44, 0x00, 0x33, 0x22, 0x11, 0x00});
  EXPECT_EQ(FileBytes("out.bmp"), expected);
  std::vector<uint32_t> pixels;
  ASSERT_EQ(Load("out.bmp", &pixels), kNoErr);
  EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF112233, 0xFF445566}));

  // Other programs read it as the picture it came from, a small one and one whose padded rows take
  // more than one write.
  for (const char* size : {"13x7", "1023x400"}) {
    ASSERT_EQ(RunCommand(std::string("convert -size ") + size + " gradient:red-blue -depth 8 '" + Path("src.ppm") + "'")
                  .status,
              0);
    ASSERT_EQ(RunCommand("ppmtobmp -bpp=24 '" + Path("src.ppm") + "' > '" + Path("src.bmp") + "' 2>/dev/null").status,
              0);
    CImage* read = nullptr;
    ASSERT_EQ(CImBitmapFile::LoadImage(Spec("src.bmp"), &read), kNoErr);
    std::unique_ptr<CImage> picture(read);
    ASSERT_EQ(SaveImageAsBmp(Spec("copy.bmp"), picture.get(), true), kNoErr);
    const std::string copy = "'" + Path("copy.bmp") + "'";
    EXPECT_EQ(RunCommand("identify -format '%wx%h %m %z' " + copy).out, std::string(size) + " BMP3 8");
    EXPECT_EQ(RunCommand("compare -metric AE '" + Path("src.ppm") + "' " + copy + " null: 2>&1").out, "0") << size;
    const SRun netpbm = RunCommand("bmptopnm -quiet " + copy + " 2>&1 >/dev/null");
    EXPECT_EQ(netpbm.status, 0);
    EXPECT_EQ(netpbm.out, "");
  }
}

TEST_F(BitmapFileTest, AnExistingFileIsReplacedOnlyWhenAskedAndNeverLostOnFailure) {
  auto image = SolidImage(2, 2, 0x00FF0000);
  Write("old.bmp", {'o', 'l', 'd'});
  EXPECT_EQ(SaveImageAsBmp(Spec("old.bmp"), image.get(), false), kErrObjectInUse);
  EXPECT_EQ(FileBytes("old.bmp"), (ByteList{'o', 'l', 'd'}));
  EXPECT_EQ(BuiltInMessageFor(kErrObjectInUse), "An unexpected error has occurred (object in use).");
  const size_t files = FilesIn();
  // A move that fails at the end leaves the old file and no temporary one.
  platform::SetTestFailingRename(1);
  EXPECT_NE(SaveImageAsBmp(Spec("old.bmp"), image.get(), true), kNoErr);
  platform::ResetFileTestHooks();
  EXPECT_EQ(FileBytes("old.bmp"), (ByteList{'o', 'l', 'd'}));
  EXPECT_EQ(FilesIn(), files);
  // A folder that refuses new files: nothing is written anywhere.
  platform::SetTestDeniedFolder(folder);
  EXPECT_NE(SaveImageAsBmp(Spec("new.bmp"), image.get(), true), kNoErr);
  platform::ResetFileTestHooks();
  EXPECT_EQ(FilesIn(), files);
  ASSERT_EQ(SaveImageAsBmp(Spec("old.bmp"), image.get(), true), kNoErr);
  EXPECT_EQ(FileBytes("old.bmp").size(), 54u + 2 * 8);
  EXPECT_EQ(FilesIn(), files);
}

// Rows taken while a picture is made: the file is the one SaveImageAsBmp writes however the rows
// come (one by one, in batches, out of order, not at all); the target stays as it was and a
// temporary file waits beside it until the commit, and a writer ended without one leaves neither.
TEST_F(BitmapFileTest, RowsTakenWhileThePictureIsMadeGiveTheSameFile) {
  // Rows of 3072 bytes, so that a batch is 85 of them and 400 rows take several.
  const uint32_t width = 1023, height = 400;
  auto image = MakeImage(width, height, [](uint32_t x, uint32_t y) { return (x * 7919u + y * 104729u) * 2654435761u; });
  ASSERT_EQ(SaveImageAsBmp(Spec("whole.bmp"), image.get(), false), kNoErr);
  const ByteList whole = FileBytes("whole.bmp");
  const SRect bounds = image->GetBounds();
  CImNavigator nav(image.get(), &bounds, false, false);
  ASSERT_TRUE(nav.IsUsable());
  using Takes = std::vector<std::pair<uint32_t, uint32_t>>;
  Takes rowByRow;
  for (uint32_t r = 0; r < height; ++r) rowByRow.push_back({r, r + 1});
  const struct {
    const char* name;
    Takes takes;
  } cases[] = {
      {"row by row", rowByRow},
      {"in three pieces", {{0, 1}, {1, 200}, {200, 400}}},
      {"with a gap, the rest at the commit", {{0, 90}, {100, 300}, {300, 400}}},
      {"a repeated and a too long piece", {{0, 90}, {50, 120}, {120, 900}}},
      {"none", {}},
  };
  for (const auto& c : cases) {
    Write("out.bmp", {'o', 'l', 'd'});
    const size_t files = FilesIn();
    {
      CImBitmapWriter writer(Spec("out.bmp"), true);
      for (const auto& [top, bottom] : c.takes) ASSERT_EQ(writer.TakeRows(nav, top, bottom), kNoErr) << c.name;
      EXPECT_EQ(FileBytes("out.bmp"), (ByteList{'o', 'l', 'd'})) << c.name;
      ASSERT_EQ(writer.Commit(image.get()), kNoErr) << c.name;
    }
    EXPECT_TRUE(FileBytes("out.bmp") == whole) << c.name;
    EXPECT_EQ(FilesIn(), files) << c.name;
  }
  // Ended without a commit, after rows were written.
  Write("out.bmp", {'o', 'l', 'd'});
  const size_t files = FilesIn();
  {
    CImBitmapWriter writer(Spec("out.bmp"), true);
    ASSERT_EQ(writer.TakeRows(nav, 0, 300), kNoErr);
    EXPECT_EQ(FilesIn(), files + 1);
  }
  EXPECT_EQ(FileBytes("out.bmp"), (ByteList{'o', 'l', 'd'}));
  EXPECT_EQ(FilesIn(), files);
}

// A write that fails while rows are taken fails the commit with its code, and nothing more is
// written; the old file stays and the temporary one goes. A target that appears meanwhile is kept
// when the writer may not replace one.
TEST_F(BitmapFileTest, AWriterThatFailsLeavesTheOldFile) {
  auto image = MakeImage(1023, 400, [](uint32_t x, uint32_t y) { return x ^ y; });
  const SRect bounds = image->GetBounds();
  CImNavigator nav(image.get(), &bounds, false, false);
  Write("out.bmp", {'o', 'l', 'd'});
  const size_t files = FilesIn();
  {
    CImBitmapWriter writer(Spec("out.bmp"), true);
    // The header's write, then the first batch's.
    platform::SetTestFailingWrite(2);
    EXPECT_EQ(writer.TakeRows(nav, 0, 100), kErrDiskFull);
    platform::ResetFileTestHooks();
    EXPECT_EQ(writer.TakeRows(nav, 100, 400), kErrDiskFull);
    EXPECT_EQ(writer.Commit(image.get()), kErrDiskFull);
  }
  EXPECT_EQ(FileBytes("out.bmp"), (ByteList{'o', 'l', 'd'}));
  EXPECT_EQ(FilesIn(), files);

  {
    CImBitmapWriter writer(Spec("new.bmp"), false);
    ASSERT_EQ(writer.TakeRows(nav, 0, 100), kNoErr);
    Write("new.bmp", {'n', 'e', 'w'});
    EXPECT_NE(writer.Commit(image.get()), kNoErr);
  }
  EXPECT_EQ(FileBytes("new.bmp"), (ByteList{'n', 'e', 'w'}));
  EXPECT_EQ(FilesIn(), files + 1);
}

}  // namespace
