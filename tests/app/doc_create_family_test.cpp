// The family table that the families dialog fills, and the colours new objects copy from it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "panels/edit_family.h"
#include "scene/object_family.h"
#include "tests/app/doc_create_fixture.h"

namespace {

using DocCreateFamilies = DocCreateTest;

TEST_F(DocCreateFamilies, TheDialogFillsTheTableThatNewObjectsTakeTheirColoursFrom) {
  Made();
  std::unique_ptr<CResourceEnv> layout = OpenDataFile("editfamily.dat");
  auto dialog = std::make_unique<CEditFamily>(owner, layout.get());
  const uint32_t colours[CEditFamily::kFamilyCount] = {
      0x555555, 0x1ffdf4, 0xd91fff, 0xfcef07, 0xfcfcfc, 0xdca2d0, 0xa7aade, 0x9cdacf, 0xcad084,
      0xd5bb90, 0xa63da1, 0x4647b5, 0x3ea795, 0x5fb94a, 0xa7733e, 0xfe1779, 0x000bf4, 0x004f86,
      0x4cff27, 0xfc8807, 0x7e0039, 0x000866, 0x006653, 0x361500, 0x361500,
  };
  for (uint32_t i = 0; i < CEditFamily::kFamilyCount; ++i) {
    const SFamilyRecord& record = CEditFamily::GetFamily(i);
    EXPECT_STREQ(record.name, i == 0 ? "Default family" : ("Family " + std::to_string(i)).c_str());
    EXPECT_EQ(record.colour.value, colours[i]) << i;
  }
  EXPECT_EQ(&CEditFamily::GetFamily(25), &CEditFamily::GetFamily(0));

  // A colour changed in the table is the one the next water plane gets.
  CEditFamily::GetFamily(2).colour.value = 0x123456;
  ASSERT_EQ(Create("water plane"), kHandled);
  EXPECT_EQ(Selected()->GetCreationWord(1), 0x123456u);
  CEditFamily::InitFamilyTable(layout.get());
  EXPECT_EQ(FamilyColour(2), 0xd91fffu);
  dialog.reset();
}

}  // namespace
