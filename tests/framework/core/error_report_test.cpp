#include <gtest/gtest.h>

#include "app_fixture.h"
#include "framework/core/format_text.h"
#include "framework/core/notification.h"

namespace {

TEST_F(AppTest, ErrorTextsWithoutTheErrorsList) {
  struct SCase {
    int32_t code;
    const char* text;  // null: nothing shown
  } cases[] = {
      {-43, "A file error has occurred (file not found)."},
      {57, "An unexpected error (code 57) has occurred."},
      {-1, "An unexpected error (code -1) has occurred."},
      {0, nullptr},
      {24, nullptr},
      {25, nullptr},
      {26, nullptr},
  };
  for (const SCase& c : cases) {
    const size_t before = Boxes();
    app->TellError(c.code);
    if (c.text) {
      ASSERT_EQ(Boxes(), before + 1) << c.code;
      EXPECT_EQ(LastBox(), c.text);
    } else {
      EXPECT_EQ(Boxes(), before) << c.code;
    }
  }
}

TEST_F(AppTest, ASubscriberOfLowerPriorityTakesErrorsFirst) {
  ASSERT_TRUE(app->GetNotification()->Subscribe(this, [](void*, void*, void*) -> int32_t { return 1; }, 0));
  app->TellError(-43);
  app->TellError(57);
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(AppTest, NoticesOfOtherTablesShowNothing) {
  app->Notify("strings_", -43, 0);
  app->Notify(nullptr, -43, 0);
  EXPECT_EQ(Boxes(), 0u);
}

TEST(FormatText, OnlyTheFirstCodeDirectiveIsFilled) {
  struct SCase {
    const char* pattern;
    const char* expected;
  } cases[] = {
      {"Error %s (code %d) %n", "Error %s (code 57) %n"},
      {"%d and %d", "57 and %d"},
      {"100%% of %d", "100% of 57"},
      {"no directive", "no directive"},
      {"trailing %", "trailing %"},
  };
  for (const SCase& c : cases) EXPECT_EQ(FormatText(c.pattern, 57), c.expected) << c.pattern;
}

// The render report's abbreviations: one figure with two decimals, every other directive as it is.
TEST(FormatText, TheFigureFillsOnlyTheFirstTwoDecimalDirective) {
  struct SCase {
    const char* pattern;
    double figure;
    const char* expected;
  } cases[] = {
      {"%.2f M", 1.000001, "1.00 M"},
      {"%.2f and %.2f", 2.5, "2.50 and %.2f"},
      {"%.3f %f %.2 %s %d %.2f", -0.125, "%.3f %f %.2 %s %d -0.12"},
      {"100%% %.2f%%", 99.999, "100% 100.00%"},
      {"%.2", 1, "%.2"},
      {"%.2f", 1e300, nullptr},
  };
  for (const SCase& c : cases) {
    const std::string text = FormatText(c.pattern, c.figure);
    if (c.expected) EXPECT_EQ(text, c.expected) << c.pattern;
    else EXPECT_EQ(text.size(), 304u) << c.pattern;  // 301 digits, the point and two decimals
  }
  EXPECT_EQ(FormatText("%.2f %s %d", "t", nullptr, nullptr), "%.2f t %d");
}

// The linking messages expect a fragment name, some of them a code as well.
TEST(FormatText, TheNameFillsOnlyTheFirstTextDirective) {
  const int32_t code = -43;
  struct SCase {
    const char* pattern;
    bool withCode;
    const char* expected;
  } cases[] = {
      {"fragment \"%s\", code %d.", true, "fragment \"frag\", code -43."},
      {"fragment \"%s\" (%d%%)", false, "fragment \"frag\" (%d%)"},
      {"%d before %s and %s", true, "-43 before frag and %s"},
      {"%x %n %", true, "%x %n %"},
  };
  for (const SCase& c : cases)
    EXPECT_EQ(FormatText(c.pattern, "frag", c.withCode ? &code : nullptr), c.expected) << c.pattern;
}

TEST_F(AppTest, FatalReportsEndTheProcess) {
  EXPECT_EXIT(app->TellFatalError(-43), ::testing::ExitedWithCode(1),
              "file not found.*The program will be terminated now");
}

}  // namespace
