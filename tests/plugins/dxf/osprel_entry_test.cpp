// Osprel's entry: the queries of the host, the probe of a file, and the library going away when freed.
#include <dlfcn.h>

#include <cstring>

#include "tests/plugins/dxf/osprel_fixture.h"

namespace osprel_test {
namespace {

QNPluginParams Zeroed() {
  QNPluginParams params;
  std::memset(&params, 0, sizeof params);
  return params;
}

bool Untouched(const QNPluginParams& params) {
  const QNPluginParams zero = Zeroed();
  return std::memcmp(&params, &zero, sizeof params) == 0;
}

using OsprelEntryTest = COsprelTest;

TEST_F(OsprelEntryTest, QueriesDescribeOneFormat) {
  QNPluginParams params = Zeroed();
  EXPECT_EQ(fHost.Call(QN_SELECTOR_COUNT_FORMATS, &params), 0);
  EXPECT_EQ(params.formatIndex, 1u);

  params = Zeroed();
  EXPECT_EQ(fHost.Call(QN_SELECTOR_DESCRIBE_FORMAT, &params), 0);
  EXPECT_STREQ(params.text, "DXF Files (*.dxf)");
  EXPECT_STREQ(params.description, "DXF File");
  EXPECT_STREQ(params.extension, ".dxf");

  params = Zeroed();
  params.formatIndex = 1;
  EXPECT_EQ(fHost.Call(QN_SELECTOR_DESCRIBE_FORMAT, &params), 0);
  params.formatIndex = 0;
  EXPECT_TRUE(Untouched(params)) << "a format the plug-in does not have is not described";

  params = Zeroed();
  EXPECT_EQ(fHost.Call(QN_SELECTOR_NAME, &params), 0);
  EXPECT_STREQ(params.text, "DXF Import");
}

TEST_F(OsprelEntryTest, OtherSelectorsAnswerZeroAndWriteNothing) {
  for (uint32_t selector : {0u, 1u, 6u, 8u, 99u}) {
    QNPluginParams params = Zeroed();
    EXPECT_EQ(fHost.Call(selector, &params), 0) << selector;
    EXPECT_TRUE(Untouched(params)) << selector;
  }
  EXPECT_TRUE(fHost.Calls().empty());
}

TEST_F(OsprelEntryTest, ProbeFindsASectionAmongTheFirstTenPairs) {
  std::string comments9, comments10;
  for (int i = 0; i < 9; ++i) comments9 += "999\ncomment\n";
  comments10 = comments9 + "999\ncomment\n";
  const struct {
    const char* name;
    std::string text;
    int32_t answer;
  } cases[] = {
      {"a first section", "0\nSECTION\n2\nHEADER\n", 1},
      {"blanks around the code", "  0  \nSECTION\n", 1},
      {"nine comments first", comments9 + "0\nSECTION\n", 1},
      {"ten comments first", comments10 + "0\nSECTION\n", 0},
      {"empty lines inside a pair", "\n0\n\n\nSECTION\n", 1},
      {"no line end at the end", "0\nSECTION", 1},
      {"another first pair", "0\nLINE\n8\n0\n", 0},
      {"an empty file", "", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(fHost.Probe(Write(c.text)), c.answer) << c.name;
  EXPECT_EQ(fHost.Probe((fFolder / "missing.dxf").string()), 0) << "a missing file";
  EXPECT_EQ(fHost.Probe(Fixture("circle")), 1) << "an ezdxf drawing";
}

// A C++ library stays mapped after it is freed when it exports unique symbols; Osprel exports only
// its entry, so that freeing it unloads it.
TEST_F(OsprelEntryTest, TheLibraryIsGoneOnceFreed) {
  ASSERT_EQ(Import(Fixture("circle")), 0);
  fHost.Unload();
  void* handle = dlopen(OsprelPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_EQ(handle, nullptr) << "Osprel.qno is still loaded";
  if (handle) dlclose(handle);
}

}  // namespace
}  // namespace osprel_test
