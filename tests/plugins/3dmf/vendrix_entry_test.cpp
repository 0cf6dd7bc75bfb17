// Vendrix's entry: the queries of the host, the probe of a file, and the library going away when freed.
#include <dlfcn.h>

#include <cstring>

#include "tests/plugins/3dmf/vendrix_fixture.h"

namespace vendrix_test {
namespace {

QNPluginParams Zeroed() {
  QNPluginParams params;
  std::memset(&params, 0, sizeof params);
  return params;
}

using VendrixEntryTest = CVendrixTest;

TEST_F(VendrixEntryTest, QueriesDescribeTwoFormats) {
  QNPluginParams params = Zeroed();
  EXPECT_EQ(fHost.Call(QN_SELECTOR_COUNT_FORMATS, &params), 0);
  EXPECT_EQ(params.formatIndex, 2u);

  const struct {
    uint32_t index;
    const char* filter;
    const char* description;
    const char* extension;
  } formats[] = {
      {0, "3DMF (ASCII) Files (*.t3d)", "QuickDraw 3D (ASCII) File", ".t3d"},
      {1, "3DMF (Binary) Files (*.b3d)", "QuickDraw 3D (Binary) File", ".b3d"},
  };
  for (const auto& format : formats) {
    params = Zeroed();
    params.formatIndex = format.index;
    EXPECT_EQ(fHost.Call(QN_SELECTOR_DESCRIBE_FORMAT, &params), 0);
    EXPECT_STREQ(params.text, format.filter);
    EXPECT_STREQ(params.description, format.description);
    EXPECT_STREQ(params.extension, format.extension);
  }

  params = Zeroed();
  params.formatIndex = 2;
  QNPluginParams before = params;
  EXPECT_EQ(fHost.Call(QN_SELECTOR_DESCRIBE_FORMAT, &params), 0);
  EXPECT_EQ(std::memcmp(&params, &before, sizeof params), 0) << "a format the plug-in does not have";

  params = Zeroed();
  EXPECT_EQ(fHost.Call(QN_SELECTOR_NAME, &params), 0);
  EXPECT_STREQ(params.text, "3DMF  Import");

  for (uint32_t selector : {0u, 1u, 6u, 8u, 99u}) {
    params = before = Zeroed();
    EXPECT_EQ(fHost.Call(selector, &params), 0) << selector;
    EXPECT_EQ(std::memcmp(&params, &before, sizeof params), 0) << selector;
  }
  EXPECT_TRUE(fHost.Calls().empty());
}

TEST_F(VendrixEntryTest, ProbeGoesByTheFirstBytesAlone) {
  std::ifstream text(Fixture("box", kText), std::ios::binary), big(Fixture("box", kBigEndian), std::ios::binary),
      little(Fixture("box", kLittleEndian), std::ios::binary);
  const auto bytes = [](std::ifstream& in) { return std::string(std::istreambuf_iterator<char>(in), {}); };
  const struct {
    const char* name;
    std::string path;
    int32_t answer;
    uint32_t index;  // 7 when the probe leaves it as it was
  } cases[] = {
      {"text as .b3d", Write(bytes(text), "text.b3d"), 1, 0},
      {"3DMF as .t3d", Write(bytes(big), "binary.t3d"), 1, 1},
      {"FMD3", Write(bytes(little), "little.b3d"), 0, 7},
      {"9 bytes", Write("3DMetafil", "short.t3d"), 0, 7},
      {"a missing file", (fFolder / "missing.t3d").string(), 0, 7},
  };
  for (const auto& c : cases) {
    QNPluginParams params = Zeroed();
    std::strncpy(params.text, c.path.c_str(), sizeof params.text - 1);
    params.formatIndex = 7;
    EXPECT_EQ(fHost.Call(QN_SELECTOR_PROBE, &params), c.answer) << c.name;
    EXPECT_EQ(params.formatIndex, c.index) << c.name;
  }
}

// A C++ library stays mapped after it is freed when it exports unique symbols; Vendrix exports only
// its entry, so that freeing it unloads it.
TEST_F(VendrixEntryTest, TheLibraryIsGoneOnceFreed) {
  ASSERT_EQ(Import(Fixture("scene")), 0);
  fHost.Unload();
  void* handle = dlopen(VendrixPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_EQ(handle, nullptr) << "Vendrix.qno is still loaded";
  if (handle) dlclose(handle);
}

}  // namespace
}  // namespace vendrix_test
