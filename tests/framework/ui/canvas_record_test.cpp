// Canvases placed from their "canv" layout records, which the resource compiler writes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/ui/canvas.h"
#include "platform/headless.h"
#include "tests/framework/core/resource_fixture.h"
#include "tools/res_compiler.h"

namespace {

constexpr const char kRed[] = R"(# red, centred, shown
frame 0 0 101 201
flags 0x0C00
colour 0x00FF0000
options 3
)";

class CanvasRecordTest : public ResourceTest {
 protected:
  void SetUp() override {
    ResourceTest::SetUp();
    platform::headless::SetScreenSize(1024, 768);
    env = Open("layout.dat");
  }
  void TearDown() override {
    env.reset();
    ResourceTest::TearDown();
  }
  void StoreCanvas(uint32_t number, const char* name, const std::string& source) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(CompileSource("canv", source, &bytes, &error)) << error;
    ASSERT_EQ(StoreCompiled(*env, Key("canv", number, name), "canv", bytes), kNoErr);
  }
  // The stored bytes of a record, as the file holds them.
  std::vector<uint8_t> Stored(uint32_t number) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(LoadResource(*env, Key("canv", number), &bytes), kNoErr);
    return bytes;
  }
  static std::vector<uint8_t> BigEndian(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes;
    for (uint32_t w : words) {
      bytes.insert(bytes.end(), {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w)});
    }
    return bytes;
  }

  std::unique_ptr<CResourceEnv> env;
};

TEST_F(CanvasRecordTest, ARecordPlacesColoursAndShowsTheCanvasByNameAndById) {
  StoreCanvas(7, "red", kRed);
  for (const char* name : {"red", static_cast<const char*>(nullptr)}) {
    CCanvas canvas({0, 0, 10, 10}, false, 0x80000000, nullptr, 10);
    ASSERT_EQ(canvas.LoadFromResource(env.get(), 7, name), kNoErr);
    EXPECT_EQ(canvas.GetFrame(), (SRect{334, 412, 435, 613}));
    EXPECT_EQ(canvas.GetColor().value, 0x00FF0000u);
    EXPECT_TRUE(canvas.IsShown());
    platform::SWinRect r;
    platform::GetWindowRect(canvas.GetWindow(), &r);
    EXPECT_EQ(r, (platform::SWinRect{412, 334, 613, 435}));
  }
}

TEST_F(CanvasRecordTest, WithoutOptionsTheCanvasIsPlacedAndLeftAlone) {
  StoreCanvas(8, "", "frame 0 0 101 201\nflags 0x0C00\ncolour 0x00FF0000\n");
  const CImVector grey{0x00808080};
  CCanvas canvas({0, 0, 10, 10}, false, 0x80000000, &grey, 10);
  ASSERT_EQ(canvas.LoadFromResource(env.get(), 8, nullptr), kNoErr);
  EXPECT_EQ(canvas.GetFrame(), (SRect{334, 412, 435, 613}));
  EXPECT_EQ(canvas.GetColor().value, 0x00808080u);
  EXPECT_FALSE(canvas.IsShown());
}

TEST_F(CanvasRecordTest, TheStoredRecordIsBigEndian) {
  StoreCanvas(9, "", "frame -1 2 101 201\nflags 0x0C00\nposition 0.5 0.25\nsize 1 2\ncolour 0x00FF0000\noptions 3\n");
  const std::vector<uint8_t> bytes = Stored(9);
  ASSERT_EQ(bytes.size(), 68u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "canv0100");
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.begin() + 24), std::vector<uint8_t>(16, 0));
  // frame, flags, position 0.5 and 0.25, size 1 and 2, colour, options
  const std::vector<uint8_t> words = BigEndian({0xFFFFFFFF, 2, 101, 201, 0x0C00, 0x3F000000, 0x3E800000, 0x3F800000,
                                                0x40000000, 0x00FF0000, 3});
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 24, bytes.end()), words);
}

TEST_F(CanvasRecordTest, ABadOrMissingRecordChangesNothing) {
  StoreCanvas(7, "", kRed);
  std::vector<uint8_t> shortRecord = Stored(7);
  shortRecord.pop_back();
  Store(*env, Key("canv", 10), shortRecord);
  std::vector<uint8_t> otherVersion = Stored(7);
  otherVersion[7] = '1';
  Store(*env, Key("canv", 11), otherVersion);
  Store(*env, Key("canv", 12), {});
  struct SCase {
    uint32_t number;
    int32_t code;
  } cases[] = {{10, kErrInvalidFormat}, {11, kErrInvalidFormat}, {12, kErrInvalidFormat}, {13, kErrObjectNotFound}};
  for (const SCase& c : cases) {
    const CImVector grey{0x00808080};
    CCanvas canvas({5, 6, 50, 70}, true, 0x80000000, &grey, 10);
    EXPECT_EQ(canvas.LoadFromResource(env.get(), c.number, nullptr), c.code) << c.number;
    EXPECT_EQ(canvas.GetFrame(), (SRect{5, 6, 50, 70})) << c.number;
    EXPECT_EQ(canvas.GetColor().value, 0x00808080u) << c.number;
    EXPECT_TRUE(canvas.IsShown()) << c.number;
  }
}

TEST(CanvasSource, RefusesWhatIsNotARecord) {
  struct SCase {
    const char* source;
    const char* error;
  } cases[] = {
      {"flags 1\n", "a canvas record needs its frame"},
      {"frame 0 0 1\n", "1: frame takes 4 values, once"},
      {"frame 0 0 1 1\nframe 0 0 1 1\n", "2: frame takes 4 values, once"},
      {"frame 0 0 1 1\nposition 0.5 x\n", "2: expected a number, found x"},
      {"frame 0 0 1 1\ncolor 5\n", "2: unexpected color"},
  };
  for (const SCase& c : cases) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(CompileSource("canv", c.source, &bytes, &error)) << c.source;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
