// Real picture files made by ImageMagick, netpbm and libtiff-tools, read as ImageMagick reads them;
// and damaged copies of small ones, which must be read or refused without harm.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image_io.h"
#include "framework/image/pict_file.h"
#include "image_fixture.h"
#include "tests/framework/core/resource_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

using ByteList = std::vector<uint8_t>;

constexpr size_t kPictPreamble = 512;

class PictureFilesTest : public ResourceTest {
 protected:
  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }

  void MakePictures(const char* set) {
    const SRun run = RunCommand(std::string(PICTURE_SCRIPT) + " '" + folder + "' " + set + " 2>&1");
    ASSERT_EQ(run.status, 0) << run.out;
  }
  ByteList FileBytes(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // ImageMagick's reading of the file, as alpha, red, green, blue.
  std::vector<uint32_t> Truth(const std::string& name) const {
    const ByteList rgba = FileBytes(name + ".rgba");
    std::vector<uint32_t> pixels;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
      pixels.push_back(uint32_t(rgba[i + 3]) << 24 | uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 | rgba[i + 2]);
    return pixels;
  }
  // PICT bytes in memory through CImPictFile, anything else as a file of that extension through the
  // dispatch. An image comes exactly when the answer is 0.
  int32_t Read(const ByteList& bytes, const std::string& extension, std::vector<uint32_t>* pixels = nullptr) {
    if (extension == ".pct") {
      CImPictFile pict(bytes.data(), bytes.size());
      int32_t width = 0, height = 0;
      int32_t err = pict.ReadPicture(&width, &height);
      if (!err) err = pict.ReadPixels(false);
      std::unique_ptr<CImage> image(pict.GetImage());
      EXPECT_EQ(err == kNoErr, image != nullptr) << err;
      if (image && pixels) *pixels = Pixels(*image);
      return err;
    }
    return ReadBytesAsFile(Path("read" + extension), bytes, pixels);
  }
  // The file's bytes as its reader takes them: PICT without its preamble.
  ByteList ReaderBytes(const std::string& name) const {
    ByteList bytes = FileBytes(name);
    if (Extension(name) == ".pct") bytes.erase(bytes.begin(), bytes.begin() + std::min(bytes.size(), kPictPreamble));
    return bytes;
  }
  static std::string Extension(const std::string& name) { return name.substr(name.rfind('.')); }
};

// Where the file holds alpha, it must match everywhere and the colour wherever alpha is 255.
void ExpectSamePixels(const std::vector<uint32_t>& read, const std::vector<uint32_t>& truth, bool alpha,
                      const std::string& name) {
  ASSERT_EQ(read.size(), truth.size()) << name;
  size_t differences = 0, opaque = 0;
  for (size_t i = 0; i < read.size(); ++i) {
    const bool colourCounts = !alpha || truth[i] >> 24 == 0xFF;
    opaque += truth[i] >> 24 == 0xFF;
    const uint32_t mask = colourCounts ? 0xFFFFFFFF : 0xFF000000;
    differences += (read[i] & mask) != (truth[i] & mask);
  }
  EXPECT_EQ(differences, 0u) << name;
  if (alpha) {
    EXPECT_LT(opaque, read.size()) << name << " holds no alpha to compare";
  }
}

TEST_F(PictureFilesTest, RealFilesReadAsImageMagickReadsThem) {
  MakePictures("readers");
  std::istringstream list(std::string(reinterpret_cast<const char*>(FileBytes("readers.txt").data()),
                                      FileBytes("readers.txt").size()));
  std::string name;
  int alpha = 0;
  size_t files = 0;
  while (list >> name >> alpha) {
    std::vector<uint32_t> pixels;
    ASSERT_EQ(Read(ReaderBytes(name), Extension(name), &pixels), kNoErr) << name;
    ExpectSamePixels(pixels, Truth(name), alpha == 1, name);
    ++files;
  }
  // 72 TIFF, 8 Photoshop and 2 PICT files.
  EXPECT_EQ(files, 82u);
}

TEST_F(PictureFilesTest, DamagedFilesAreReadOrRefusedWithoutHarm) {
  MakePictures("small");
  std::mt19937 random(18);
  for (const char* name : {"small.tif", "small.psd", "small.pct"}) {
    const ByteList bytes = ReaderBytes(name);
    const std::string extension = Extension(name);
    std::vector<uint32_t> pixels;
    ASSERT_EQ(Read(bytes, extension, &pixels), kNoErr) << name;
    ExpectSamePixels(pixels, Truth(name), false, name);
    // A file cut short reads only when what it lost was not needed: then it reads right.
    size_t refused = 0;
    for (size_t length = 0; length < bytes.size(); ++length) {
      std::vector<uint32_t> cut;
      if (Read(ByteList(bytes.begin(), bytes.begin() + ptrdiff_t(length)), extension, &cut)) ++refused;
      else EXPECT_EQ(cut, pixels) << name << " cut to " << length;
    }
    EXPECT_GT(refused, bytes.size() / 2) << name;
    for (int copy = 0; copy < 1000; ++copy) {
      ByteList damaged = bytes;
      damaged[random() % damaged.size()] ^= uint8_t(1 + random() % 255);
      Read(damaged, extension);
    }
  }
}

}  // namespace
