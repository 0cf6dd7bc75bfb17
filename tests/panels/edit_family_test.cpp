// The family table's names: from the list "family names" of the families dialog's layout, whose
// entry 1 is a format of the file's that is used only when it takes exactly one integer.
#include <memory>
#include <string>

#include "framework/core/c_string.h"
#include "framework/core/result_codes.h"
#include "panels/edit_family.h"
#include "tests/panels/panels_fixture.h"
#include "tools/res_compiler.h"
#include "tools/res_store.h"

namespace {

class FamilyNamesTest : public PanelsTest {
 protected:
  void TearDown() override {
    CEditFamily::InitFamilyTable(nullptr);
    PanelsTest::TearDown();
  }
  // A layout file holding only the list "family names" with these entries.
  CResourceEnv* WithNames(const std::string& first, const std::string& second) {
    const std::string path = folder + "/names" + std::to_string(++made) + ".dat";
    CFileSpec spec;
    spec.Set(path.c_str());
    auto env = std::make_unique<CResourceEnv>(spec, CFile::kModeReadWrite);
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(CompileSource("ixtx", "0 \"" + first + "\"\n1 \"" + second + "\"\n", &bytes, &error)) << error;
    SSpoolKey key;
    key.Set("ixtx", 1000, false);
    CopyCString(key.name, "family names", sizeof key.name);
    EXPECT_EQ(StoreResource(*env, key, bytes), kNoErr);
    files.push_back(std::move(env));
    return files.back().get();
  }
  static std::string Name(uint32_t family) { return CEditFamily::GetFamily(family).name; }

  uint32_t made = 0;
};

TEST_F(FamilyNamesTest, WithoutTheListTheBuiltInNamesStand) {
  CEditFamily::InitFamilyTable(DataFile("createpalette.dat"));
  EXPECT_EQ(Name(0), "Default family");
  EXPECT_EQ(Name(1), "Family 1");
  EXPECT_EQ(Name(24), "Family 24");
  EXPECT_EQ(Name(99), "Default family") << "outside 0..24: family 0";
  CEditFamily::InitFamilyTable(DataFile("editfamily.dat"));
  EXPECT_EQ(Name(7), "Family 7");
}

TEST_F(FamilyNamesTest, TheListNamesTheFamiliesAndOnlyAnIntegerFormatIsUsed) {
  struct SCase {
    const char* second;
    const char* seventh;
  } cases[] = {
      {"Group %ld", "Group 7"},  {"No.%3d", "No.  7"},  {"%i%% %u", "Family 7"}, {"100%% %u", "100% 7"},
      {"%s", "Family 7"},        {"%ld %ld", "Family 7"}, {"%n", "Family 7"},   {"%05d", "Family 7"},
      {"%-3d", "Family 7"},      {"%.2d", "Family 7"},  {"%lld", "Family 7"},   {"no number", "Family 7"},
      {"ends in %", "Family 7"}, {"%x", "Family 7"},
  };
  for (const SCase& c : cases) {
    CEditFamily::InitFamilyTable(WithNames("Standard", c.second));
    EXPECT_EQ(Name(0), "Standard") << c.second;
    EXPECT_EQ(Name(7), c.seventh) << c.second;
  }
}

// However long the texts, every name ends within its 64 bytes.
TEST_F(FamilyNamesTest, LongNamesAreCutToSixtyThreeCharacters) {
  CEditFamily::InitFamilyTable(WithNames(std::string(90, 'a'), "Group %80ld"));
  for (uint32_t family : {0u, 7u, 24u}) {
    const SFamilyRecord& record = CEditFamily::GetFamily(family);
    EXPECT_EQ(std::string(record.name).size(), SFamilyRecord::kNameBytes - 1) << family;
  }
  EXPECT_EQ(Name(0), std::string(63, 'a'));
  EXPECT_EQ(Name(24), "Group " + std::string(57, ' ')) << "the number cut off with the rest";
}

}  // namespace
