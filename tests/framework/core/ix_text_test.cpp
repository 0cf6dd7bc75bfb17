#include "framework/core/ix_text.h"

#include <gtest/gtest.h>

#include "framework/core/ix_loader.h"
#include "framework/core/subscriber.h"
#include "platform/headless.h"
#include "resource_fixture.h"

namespace {

using IxTextTest = ResourceTest;

TEST_F(IxTextTest, EntriesByIndexAndTheLiteralForAFailedLookup) {
  auto env = Open("doc.res");
  Store(*env, Key("ixtx", 5, "names_"), Compiled("ixtx", "0 \"ab\"\n1 \"abc\"\n3 \"last\"\n"));
  CIxText list(env.get(), "names_", 1);
  ASSERT_EQ(list.GetResult(), kNoErr);
  CIxTxHolder holder(&list, true);
  ASSERT_TRUE(holder.IsHeld());
  EXPECT_EQ(list.GetLockCount(), 1u);
  EXPECT_EQ(list.Count(), 4u);
  EXPECT_STREQ(list.Text(), "abc");
  EXPECT_STREQ(list.TextAt(0), "ab");
  EXPECT_STREQ(list.TextAt(2), "");
  EXPECT_STREQ(list.TextAt(3), "last");
  EXPECT_STREQ(list.TextAt(4), CIxText::kInvalidText);
  EXPECT_STREQ(list.TextAt(CIxText::kNone), CIxText::kInvalidText);
  EXPECT_EQ(list.Select(9), kErrObjectNotFound);
  EXPECT_EQ(list.GetSelected(), 1u);
  EXPECT_EQ(list.Select(CIxText::kNone), kNoErr);
  EXPECT_STREQ(list.Text(), CIxText::kInvalidText);

  CIxText byNumber(env.get(), 5, 3);
  EXPECT_EQ(byNumber.GetResult(), kNoErr);
  EXPECT_EQ(byNumber.GetResource(), list.GetResource());
  CIxText missing(env.get(), "absent_", CIxText::kNone);
  EXPECT_EQ(missing.GetResult(), kErrObjectNotFound);
  EXPECT_STREQ(missing.TextAt(0), CIxText::kInvalidText);
}

// With further sets the entries come from the second set.
TEST_F(IxTextTest, AListWithAFurtherSetHandsOutItsSecondSet) {
  auto env = Open("doc.res");
  Store(*env, Key("ixtx", 1), Compiled("ixtx", "sets 1\n0 \"a\"\n1 \"b\"\n2 \"c\"\n3 \"d\"\n4 \"e\"\n5 \"f\"\n"));
  CIxText list(env.get(), 1, 0);
  ASSERT_EQ(list.GetResult(), kNoErr);
  EXPECT_EQ(list.Count(), 3u);
  CIxTxHolder holder(&list, true);
  EXPECT_STREQ(list.Text(), "d");
  EXPECT_STREQ(list.TextAt(2), "f");
  EXPECT_STREQ(list.TextAt(3), CIxText::kInvalidText);
}

TEST_F(IxTextTest, MalformedListsAreRefused) {
  const std::vector<uint8_t> good = Compiled("ixtx", "0 \"abc\"\n1 \"de\"\n");
  const std::vector<uint8_t> header(good.begin(), good.begin() + 24);
  auto with = [&](std::vector<uint8_t> bytes, size_t at, uint8_t value) {
    bytes.at(at) = value;
    return bytes;
  };
  auto plus = [&](size_t n) {
    std::vector<uint8_t> bytes = header;
    bytes.resize(24 + n, 0);
    return bytes;
  };
  struct SCase {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t result;
  } cases[] = {
      {"header only", header, kNoErr},
      {"25 bytes", plus(1), kErrInvalidFormat},
      {"26 bytes", plus(2), kErrInvalidFormat},
      {"a length past the end", with(good, 31, 9), kErrInvalidFormat},
      {"no NUL after the text", with(good, 29, 'x'), kErrInvalidFormat},
      {"another tag", with(good, 0, 'j'), kErrInvalidFormat},
      {"another version", with(good, 7, '1'), kErrInvalidFormat},
      {"two strings, three sets", with(good, 23, 2), kErrTooFewEntries},
      {"23 bytes", std::vector<uint8_t>(header.begin(), header.end() - 1), kErrInvalidFormat},
  };
  auto env = Open("doc.res");
  uint32_t number = 0;
  for (const SCase& c : cases) {
    Store(*env, Key("ixtx", ++number), c.bytes);
    CIxText list(env.get(), number, CIxText::kNone);
    EXPECT_EQ(list.GetResult(), c.result) << c.what;
    if (c.result == kNoErr) {
      EXPECT_EQ(list.Count(), 0u) << c.what;
      EXPECT_STREQ(list.TextAt(0), CIxText::kInvalidText) << c.what;
    }
  }
}

TEST_F(IxTextTest, TwoListsShareOneResource) {
  auto env = Open("doc.res");
  Store(*env, Key("ixtx", 1, "shared_"), Compiled("ixtx", "0 \"kept\"\n"));
  auto* first = new CIxText(env.get(), "shared_", 0);
  CIxTextLocal second(env.get(), "shared_", 0);
  ASSERT_EQ(first->GetResult(), kNoErr);
  ASSERT_EQ(second.GetResult(), kNoErr);
  EXPECT_EQ(first->GetResource(), second.GetResource());
  EXPECT_EQ(SharedUseCount(second.GetResource()), 2u);
  EXPECT_EQ(env->GetSharedTable()->GetCount(), 1u);
  const char* text = second.Text();
  delete first;
  EXPECT_EQ(SharedUseCount(second.GetResource()), 1u);
  EXPECT_STREQ(text, "kept");
  EXPECT_STREQ(second.Text(), "kept");
}

TEST_F(IxTextTest, AListTheDocumentLacksComesFromTheApplicationsFile) {
  OpenSystemFile({{Key("ixtx", 129, "strings_"), Compiled("ixtx", "0 \"\"\n1 \"from the system\"\n")}});
  auto document = Open("doc.res");
  Store(*document, Key("ixtx", 1, "own_"), Compiled("ixtx", "0 \"own\"\n"));
  CIxTextLocal list(document.get(), "strings_", 1);
  ASSERT_EQ(list.GetResult(), kNoErr);
  EXPECT_STREQ(list.Text(), "from the system");
  EXPECT_EQ(list.GetResource()->GetEnvironment(), app->GetResourceEnv());
  // A second list finds the first one's object in the application's shared table.
  CIxTextLocal again(document.get(), "strings_", 1);
  EXPECT_EQ(again.GetResource(), list.GetResource());
  CIxTextLocal own(document.get(), "own_", 0);
  EXPECT_STREQ(own.Text(), "own");
}

TEST_F(IxTextTest, BindingsFallBackToTheirOwnWording) {
  OpenSystemFile({{Key("ixtx", 129, "strings_"), Compiled("ixtx", "0 \"\"\n1 \"listed\"\n")}});
  CIxTextRef ref;
  ref.Attach("built in", 1);
  EXPECT_STREQ(ref.Text(), "listed");
  ref.Attach("built in", 2);
  EXPECT_STREQ(ref.Text(), "built in");
  ref.Attach("built in", CIxText::kNone);
  EXPECT_STREQ(ref.Text(), "built in");
  ref.Attach("built in", 1, "absent_");
  EXPECT_STREQ(ref.Text(), "built in");
  ref.Detach();
  EXPECT_STREQ(ref.Text(), "built in");
}

// The error box takes its texts from the "errors_" list of the application's resource file.
TEST_F(IxTextTest, ErrorTextsComeFromTheErrorsList) {
  OpenSystemFile({{Key("ixtx", 128, "errors_"),
                   Compiled("ixtx", "0 \"Code %d (not %s).\"\n4 \"The file is not there.\"\n")}});
  app->TellError(-43);
  EXPECT_EQ(platform::headless::ShownBoxes().back().text, "The file is not there.");
  app->TellError(57);
  EXPECT_EQ(platform::headless::ShownBoxes().back().text, "Code 57 (not %s).");
  app->TellError(-54);  // index 8, past the list
  EXPECT_EQ(platform::headless::ShownBoxes().back().text, BuiltInErrorText(8));
  app->CAppl::CloseResourceEnvironment();
  app->TellError(-43);
  EXPECT_EQ(platform::headless::ShownBoxes().back().text, "A file error has occurred (file not found).");
}

}  // namespace
