#include "framework/image/ix_image.h"

#include <gtest/gtest.h>

#include "framework/core/ix_loader.h"
#include "framework/image/image.h"
#include "image_fixture.h"
#include "tests/framework/core/resource_fixture.h"

namespace {

class IxImageTest : public ResourceTest {
 protected:
  void SetUp() override {
    ResourceTest::SetUp();
    env = Open("doc.res");
    // Image n is 2 × 2 pixels of the value n.
    for (uint32_t n : {1u, 2u, 3u}) {
      const SSpoolKey key = Key(kImageType, n, ("picture" + std::to_string(n)).c_str());
      ASSERT_EQ(StoreImage(*env, key, 2, 2, [n](uint32_t, uint32_t) { return n; }), kNoErr);
    }
  }
  void TearDown() override {
    env.reset();
    ResourceTest::TearDown();
  }
  std::unique_ptr<CResourceEnv> env;
};

TEST_F(IxImageTest, EachRecordGivesAnImageOfTheListsEnvironment) {
  Store(*env, Key("ixim", 1), Compiled("ixim", "0 number 1\n1 name \"picture3\"\n2 number 2\n"));
  CIxImage list(env.get(), 1, 1);
  ASSERT_EQ(list.GetResult(), kNoErr);
  EXPECT_EQ(list.Count(), 3u);
  CImage* image = list.CurrentImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetKey().id, 3u);
  EXPECT_EQ(image->GetEnvironment(), env.get());
  // Read through the image record.
  EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(4, 3));
  EXPECT_NE(list.ImageAt(0), list.ImageAt(2));
  EXPECT_EQ(list.ImageAt(3), nullptr);
  EXPECT_EQ(list.ImageAt(CIxImage::kNone), nullptr);
  bool fromFile = true, fromResource = true;
  list.CurrentFlags(&fromFile, &fromResource);
  EXPECT_FALSE(fromFile || fromResource);
  EXPECT_EQ(list.Select(3), kErrObjectNotFound);
  EXPECT_EQ(list.Select(CIxImage::kNone), kNoErr);
  EXPECT_EQ(list.CurrentImage(), nullptr);
  // The list's own resource went back once the images were read.
  EXPECT_EQ(env->GetSharedTable()->GetCount(), 0u);
}

TEST_F(IxImageTest, WithAFurtherSetTheSecondSetIsRead) {
  Store(*env, Key("ixim", 1), Compiled("ixim", "sets 1\n0 number 9\n1 number 2\n"));
  CIxImage list(env.get(), 1, 0);
  ASSERT_EQ(list.GetResult(), kNoErr);
  EXPECT_EQ(list.Count(), 1u);
  ASSERT_NE(list.CurrentImage(), nullptr);
  EXPECT_EQ(list.CurrentImage()->GetKey().id, 2u);
}

TEST_F(IxImageTest, RefusalsAndImagesThatCannotBeRead) {
  const std::vector<uint8_t> two = Compiled("ixim", "0 number 1\n1 number 2\n");
  std::vector<uint8_t> cut(two.begin(), two.begin() + 24 + 39);
  std::vector<uint8_t> shortest(two.begin(), two.begin() + 25);
  std::vector<uint8_t> longer(two.begin(), two.begin() + 24 + 41);
  std::vector<uint8_t> threeSets = two;
  threeSets[23] = 2;
  Store(*env, Key("ixim", 10), Compiled("ixim", ""));
  Store(*env, Key("ixim", 11), cut);
  Store(*env, Key("ixim", 12), longer);
  Store(*env, Key("ixim", 18), shortest);
  Store(*env, Key("ixim", 13), threeSets);
  Store(*env, Key("ixim", 14), Compiled("ixim", "0 number 1\n1 number 7\n2 number 2\n"));
  Store(*env, Key("ixim", 15), Compiled("ixim", "0 name \"logo\" file\n"));
  Store(*env, Key("ixim", 16), Compiled("ixim", "0 number 1 resource\n"));
  // Pictures from the file or the resources are the image element's, which the interface framework
  // registers (ImElementTest reads them): without it those lists answer 27.
  struct SCase {
    uint32_t number;
    int32_t result;
  } cases[] = {
      {10, kNoErr}, {11, kErrInvalidFormat}, {12, kErrInvalidFormat}, {13, kErrTooFewEntries},
      {14, kErrObjectNotFound}, {15, kErrNotImplemented}, {16, kErrNotImplemented}, {17, kErrObjectNotFound},
      {18, kErrInvalidFormat},
  };
  for (const SCase& c : cases) {
    CIxImage list(env.get(), c.number, CIxImage::kNone);
    EXPECT_EQ(list.GetResult(), c.result) << c.number;
  }
  // The images read before the one that failed stay with the list until it goes.
  CIxImage partial(env.get(), 14, CIxImage::kNone);
  EXPECT_NE(partial.ImageAt(0), nullptr);
  EXPECT_EQ(partial.ImageAt(1), nullptr);
  CIxImage empty(env.get(), 10, 0);
  EXPECT_EQ(empty.GetResult(), kErrObjectNotFound);
  EXPECT_EQ(empty.Count(), 0u);
}

}  // namespace
