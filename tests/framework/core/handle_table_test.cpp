#include "framework/core/handle_table.h"

#include <gtest/gtest.h>

#include "framework/core/four_cc.h"

namespace {

constexpr uint32_t kMaterial = FourCC("mtrl");
constexpr uint32_t kTexture = FourCC("txtr");

TEST(HandleTable, RegisterLookUpAndRelease) {
  int a = 0, b = 0;
  const Handle32 ha = RegisterHandle(&a, kMaterial);
  EXPECT_NE(ha, kNoHandle);
  EXPECT_EQ(RegisterHandle(&a, kMaterial), ha);
  EXPECT_EQ(LookupHandle(ha, kMaterial), &a);
  EXPECT_EQ(LookupHandle(ha, kTexture), nullptr);
  EXPECT_EQ(LookupHandle(kNoHandle, kMaterial), nullptr);
  EXPECT_EQ(RegisterHandle(nullptr, kMaterial), kNoHandle);

  const Handle32 hb = RegisterHandle(&b, kTexture);
  EXPECT_NE(hb, ha);
  ReleaseHandle(ha);
  EXPECT_EQ(LookupHandle(ha, kMaterial), nullptr);
  const Handle32 again = RegisterHandle(&a, kMaterial);
  EXPECT_NE(again, ha);  // never reissued
  EXPECT_NE(again, hb);
  EXPECT_EQ(LookupHandleAs<int>(again, kMaterial), &a);
  EXPECT_EQ(LookupHandle(again + 1, kMaterial), nullptr);  // not issued yet
  ReleaseHandle(again);
  ReleaseHandle(hb);
}

// Rising addresses go in at the end of the index without a search; the others are searched for.
TEST(HandleTable, EveryOrderOfAddressesKeepsItsHandles) {
  int things[6] = {};
  const int order[] = {1, 3, 5, 4, 0, 2};
  Handle32 handles[6] = {};
  for (const int i : order) {
    handles[i] = RegisterHandle(&things[i], kMaterial);
    EXPECT_NE(handles[i], kNoHandle) << i;
  }
  for (const int i : order) {
    EXPECT_EQ(RegisterHandle(&things[i], kMaterial), handles[i]) << i;
    EXPECT_EQ(LookupHandle(handles[i], kMaterial), &things[i]) << i;
    // The same address under another tag is another handle, whichever side of it the tag sorts.
    const Handle32 other = RegisterHandle(&things[i], kTexture);
    EXPECT_NE(other, handles[i]) << i;
    EXPECT_EQ(LookupHandle(other, kTexture), &things[i]) << i;
    ReleaseHandle(other);
  }
  for (const Handle32 handle : handles) ReleaseHandle(handle);
}

TEST(FourCC, PacksTheFirstLetterHigh) {
  EXPECT_EQ(FourCC("3dob"), 0x33646F62u);
  EXPECT_EQ(FourCCText(FourCC("lght")), "lght");
}

}  // namespace
