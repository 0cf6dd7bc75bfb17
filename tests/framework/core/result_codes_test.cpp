#include "framework/core/result_codes.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/errors.h"

namespace {

TEST(ResultCodes, MapSystemError) {
  const std::pair<std::vector<int32_t>, int32_t> table[] = {
      {{0}, 0},
      {{2, 3}, -43},
      {{4}, 19},
      {{5, 19, 32, 33, 110}, -54},
      {{6, 7, 9, 12, 13}, 10},
      {{8, 14}, 9},
      {{15, 123, 161, 206, 267}, -120},
      {{29, 30, 1117, 1127}, -36},
      {{38}, -39},
      {{39, 112}, -34},
      {{80}, 17},
      {{87}, 16},
      {{170}, 18},
      {{183}, 7},
      {{111, -5, 31, 1}, 1},
  };
  for (const auto& [errors, code] : table) {
    for (int32_t e : errors) EXPECT_EQ(MapSystemError(e), code) << "error " << e;
  }
}

TEST(ResultCodes, MapLastErrorReadsTheThreadsLastError) {
  platform::SetLastError(80);
  EXPECT_EQ(MapLastError(), 17);
  platform::SetLastError(0);
  EXPECT_EQ(MapLastError(), 0);
}

TEST(ResultCodes, NonZeroError) {
  EXPECT_EQ(NonZeroError(0), 1);
  EXPECT_EQ(NonZeroError(-43), -43);
  EXPECT_EQ(NonZeroError(9), 9);
}

TEST(ResultCodes, EveryCodeHasItsIndexAndText) {
  struct Case {
    int32_t code;
    int32_t index;
    const char* text;
  } cases[] = {
      {1, 1, "An unexpected error has occurred (generic failure)."},
      {2, 9, "An unexpected error has occurred (invalid format)."},
      {3, 10, "An unexpected error has occurred (incorrect version)."},
      {4, 11, "An unexpected error has occurred (invalid tagcode)."},
      {5, 12, "An unexpected error has occurred (invalid keycode)."},
      {6, 13, "An unexpected error has occurred (object not found)."},
      {7, 14, "An unexpected error has occurred (object duplicated)."},
      {8, 15, "An unexpected error has occurred (damaged/invalid data)."},
      {9, 16, "An unexpected error has occurred (out of memory)."},
      {10, 17, "An unexpected error has occurred (corrupted memory)."},
      {11, 18, "An unexpected error has occurred (virtual memory)."},
      {12, 19, "An unexpected error has occurred (expansion error)."},
      {13, 20, "An unexpected error has occurred (failed creation)."},
      {14, 21, "An unexpected error has occurred (unexpected type)."},
      {15, 22, "An unexpected error has occurred (unexpected status)."},
      {16, 23, "An unexpected error has occurred (invalid parameter)."},
      {17, 24, "An unexpected error has occurred (object in use)."},
      {18, 25, "An unexpected error has occurred (object busy)."},
      {19, 26, "An unexpected error has occurred (too many entries)."},
      {20, 27, "An unexpected error has occurred (too few entries)."},
      {21, 28, "An unexpected error has occurred (buffer size error)."},
      {22, 29, "An unexpected error has occurred (invalid size)."},
      {23, 30, "An unexpected error has occurred (invalid nesting)."},
      {27, 31, "This feature has not yet been implemented."},
      {28, 32, "A file error has occurred (damaged composite file)."},
      {29, 33, "An unexpected error has occurred (impossible to expand)."},
      {100, 34, "A file error has occurred (composite file expected)."},
      {110, 35, "Unable to link ordax code fragments (no default system)."},
      {120, 36, "There was not enough memory to fully update the canvas."},
      {121, 37, "An unexpected error occurred while updating the canvas."},
      {-34, 6, "A disk error has occurred (disk full)."},
      {-36, 2, "A file error has occurred (i/o, bad media)."},
      {-39, 3, "A file error has occurred (unexpected end-of-file)."},
      {-43, 4, "A file error has occurred (file not found)."},
      {-54, 8, "An unexpected error has occurred (permission error)."},
      {-120, 7, "An error has occurred (invalid path/directory)."},
      {57, 0, "An unexpected error (code 57) has occurred."},
      {-1, 0, "An unexpected error (code -1) has occurred."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorTextIndex(c.code), c.index) << c.code;
    EXPECT_EQ(BuiltInMessageFor(c.code), c.text) << c.code;
  }
  EXPECT_STREQ(BuiltInErrorText(5), "An unexpected error (code %d) has occurred.");  // index 5 unused
}

TEST(ResultCodes, SilentCodesHaveNoText) {
  for (int32_t code : {0, 24, 25, 26}) {
    EXPECT_TRUE(IsSilentCode(code));
    EXPECT_EQ(ErrorTextIndex(code), -1);
    EXPECT_EQ(BuiltInMessageFor(code), "");
  }
  EXPECT_FALSE(IsSilentCode(27));
}

}  // namespace
