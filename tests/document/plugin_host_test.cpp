#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

#include "document/plugin.h"
#include "framework/core/document_services.h"
#include "plugin_fixture.h"
#include "platform/folder.h"
#include "platform/headless.h"

namespace {

using Host = CQNPlugin;

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

TEST_F(PluginTest, FormatsKeepDescriptionOrderUntilTheFilterTextSortsThemByFilter) {
  Install(kImport);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  ASSERT_EQ(Host::GetFormatCount(), 2u);
  const Host::SIOFormatItem* first = Host::GetFormat(0);
  EXPECT_STREQ(first->fDescription, "Alpha");
  EXPECT_STREQ(first->fFilter, "B Files (*.bbb)");
  EXPECT_STREQ(first->fExtension, ".bbb");
  EXPECT_EQ(first->fFormatIndex, 0u);
  EXPECT_EQ(Host::GetFormat(1)->fFormatIndex, 1u);
  uint32_t index = 99;
  ASSERT_EQ(Host::FindFormat(".AAA", &index), 0);
  EXPECT_EQ(index, 1u);
  char description[16];
  ASSERT_EQ(Host::GetFormatDescription(description, sizeof description, 1), 0);
  EXPECT_STREQ(description, "Zeta");

  static const char kExpected[] = "All formats\0*.aaa;*.bbb\0A Files (*.aaa)\0*.aaa\0B Files (*.bbb)\0*.bbb\0\0";
  char text[128];
  std::memset(text, 'x', sizeof text);
  ASSERT_EQ(Host::BuildFilterText(text, sizeof text, true), 0);
  EXPECT_EQ(Bytes(text, sizeof kExpected - 1), Bytes(kExpected, sizeof kExpected - 1));
  EXPECT_EQ(text[sizeof kExpected - 1], 'x');
  ASSERT_EQ(Host::FindFormat(".AAA", &index), 0);
  EXPECT_EQ(index, 0u);
  char extension[8];
  ASSERT_EQ(Host::GetFormatExtension(extension, sizeof extension, 1), 0);
  EXPECT_STREQ(extension, ".bbb");

  static const char kWithout[] = "A Files (*.aaa)\0*.aaa\0B Files (*.bbb)\0*.bbb\0\0";
  ASSERT_EQ(Host::BuildFilterText(text, sizeof text, false), 0);
  EXPECT_EQ(Bytes(text, sizeof kWithout - 1), Bytes(kWithout, sizeof kWithout - 1));
}

TEST_F(PluginTest, FilterTextNeverWritesPastItsCapacity) {
  Install(kImport);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  static const char kWithout[] = "A Files (*.aaa)\0*.aaa\0B Files (*.bbb)\0*.bbb\0\0";
  const size_t exact = sizeof kWithout - 1;
  char text[64];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(Host::BuildFilterText(text, exact - 1, false), 21);
  EXPECT_EQ(text[0], 'x');
  EXPECT_EQ(Host::BuildFilterText(text, exact, false), 0);
  EXPECT_EQ(Bytes(text, exact), Bytes(kWithout, exact));
  char small[4];
  EXPECT_EQ(Host::GetFormatDescription(small, sizeof small, 0), 21);
  EXPECT_STREQ(small, "");
}

// A plug-in that fills its text fields to the end without terminators.
TEST_F(PluginTest, FormatTextsAreCutToTheirFieldsAndTerminated) {
  Install(kImport);
  setenv("QUARN2_TEST_PLUGIN_LONG", "1", 1);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  ASSERT_EQ(Host::GetFormatCount(), 2u);
  const Host::SIOFormatItem* item = Host::GetFormat(0);  // "DDD..." sorts before "Zeta"
  EXPECT_EQ(std::string(item->fFilter), std::string(127, 'F'));
  EXPECT_EQ(std::string(item->fDescription), std::string(127, 'D'));
  EXPECT_EQ(std::string(item->fExtension), "." + std::string(6, 'E'));
}

// What the host answers when it is missing, empty or asked past its rows.
TEST_F(PluginTest, HostErrors) {
  Install(kImport);
  const std::string empty = dir_ + "/Empty";
  std::filesystem::create_directory(empty);
  const std::string missing = dir_ + "/Missing";
  char text[64];
  uint32_t index = 0;
  uint8_t block[QN_PARAMS_BYTES] = {};
  struct SCase {
    const char* name;
    std::function<void()> setUp;
    std::function<int32_t()> call;
    int32_t expected;
  };
  const auto none = [] {};
  const auto emptyHost = [] { ASSERT_EQ(Host::CreateTables(SRange().Set(0, 8)), 0); };
  const auto loaded = [&] { ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0); };
  const SCase cases[] = {
      {"find without tables", none, [&] { return Host::FindFormat(".aaa", &index); }, 15},
      {"description without tables", none, [&] { return Host::GetFormatDescription(text, sizeof text, 0); }, 15},
      {"filter text without tables", none, [&] { return Host::BuildFilterText(text, sizeof text, true); }, 15},
      {"call without tables", none, [&] { return Host::EnsureLoaded(QN_SELECTOR_IMPORT, block, 0); }, 15},
      {"query without tables", none, [] { return Host::QueryFormats(false); }, 15},
      {"unload without tables", none, [] { return Host::UnloadLibraries(); }, 15},
      {"progress slot without tables", none, [] { return Host::SetHostCallback(nullptr); }, 15},
      {"find on an empty table", emptyHost, [&] { return Host::FindFormat(".aaa", &index); }, 20},
      {"filter text on an empty table", emptyHost, [&] { return Host::BuildFilterText(text, sizeof text, true); }, 20},
      {"second host", emptyHost, [] { return Host::CreateTables(SRange().Set(0, 8)); }, 15},
      {"unknown extension", loaded, [&] { return Host::FindFormat(".ccc", &index); }, 6},
      {"extension at the count", loaded, [&] { return Host::GetFormatExtension(text, sizeof text, 2); }, 16},
      {"call at the count", loaded, [&] { return Host::EnsureLoaded(QN_SELECTOR_IMPORT, block, 2); }, 16},
      {"query over an empty folder", none, [&] { return FindPlugins(empty.c_str(), ".qno"); }, 5},
      {"query over a missing folder", none, [&] { return FindPlugins(missing.c_str(), ".qno"); }, 5},
      {"query of another kind", none, [&] { return FindPlugins(folder_.c_str(), ".qni"); }, 5},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.name);
    c.setUp();
    EXPECT_EQ(c.call(), c.expected);
    EXPECT_EQ(ReleasePlugins(), 0);
    EXPECT_EQ(Host::GetPluginCount(), 0u);
    EXPECT_EQ(Host::GetHostCallbacks(), nullptr);
  }
}

// Beside the plug-in: a copy named in capitals, a library without the entry and one that refuses to
// count its formats.
TEST_F(PluginTest, PluginsThatFailAreLeftOutAndEveryLibraryIsFreed) {
  Install(kImport);
  Install(kImport, "TestUpper.QNO");
  Install(kNoEntry);
  Install(kBadCount);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  ASSERT_EQ(Host::GetPluginCount(), 4u);
  const char* const order[] = {"BadCount.qno", "NoEntry.qno", "TestImport.qno", "TestUpper.QNO"};
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(Host::GetPlugin(i)->GetPath(), InFolder(order[i]));
  ASSERT_EQ(Host::GetFormatCount(), 2u);
  for (uint32_t i = 0; i < 2; ++i) EXPECT_STREQ(Host::GetFormat(i)->fPlugin->GetPath(), InFolder(kImport).c_str());

  EXPECT_EQ(Host::UnloadLibraries(), 0);
  EXPECT_EQ(Host::GetFormatCount(), 0u);
  const int32_t loads[] = {0, 13, 0, 13};
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(Host::GetPlugin(i)->Load(), loads[i]) << order[i];

  EXPECT_EQ(Host::DeleteAll(), 0);
  for (const char* name : order) EXPECT_FALSE(StillLoaded(InFolder(name))) << name;
  EXPECT_EQ(Selectors("NoEntry.qno"), "");
  EXPECT_EQ(Selectors("TestUpper.QNO"), "");
  EXPECT_EQ(Selectors("BadCount.qno"), "0 2 1 0 1");
  EXPECT_EQ(Selectors("TestImport.qno"), "0 2 3 3 1 0 1");
}

// A plug-in loads with the caller's folder current and takes nothing from beside it: one that needs a
// library lying beside it does not load, and the command's one message names it with the loader's
// reason, as it names a library without the entry and one whose extension is not written as the
// protocol's.
TEST_F(PluginTest, LoadingLooksForNothingBesideThePluginAndNamesWhatFailed) {
  Install(kImport);
  Install(kImport, "TestUpper.QNO");
  Install(kNoEntry);
  std::filesystem::copy_file(QUARN2_FRAGMENTS_DIR "/testfrag.so", InFolder("Needs.qno"));
  std::filesystem::copy_file(QUARN2_FRAGMENTS_DIR "/libquarn2_fragment_dependency.so",
                             InFolder("libquarn2_fragment_dependency.so"));
  std::string before;
  ASSERT_TRUE(platform::GetCurrentFolder(&before));
  const size_t shown = platform::headless::ShownBoxes().size();
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  std::string after;
  ASSERT_TRUE(platform::GetCurrentFolder(&after));
  EXPECT_EQ(after, before);
  const std::vector<SPluginCall> calls = Calls(kImport);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].selector, "loaded");
  EXPECT_EQ(calls[0].text, before);
  EXPECT_EQ(calls[1].selector, "0");
  ASSERT_EQ(platform::headless::ShownBoxes().size(), shown + 1);
  EXPECT_EQ(platform::headless::ShownBoxes().back().text,
            "Plug-ins in \"" + folder_ + "\" were not loaded:\n"
            "TestUpper.QNO: its name does not end in \".qno\" or \".qni\" as written\n"
            "NoEntry.qno: it has no entry QNIOPLUGINENTRY\n"
            "Needs.qno: libquarn2_fragment_dependency.so: cannot open shared object file: No such file or directory");
  EXPECT_EQ(Host::GetFormatCount(), 2u);
}

// A plug-in that someone else could have put in place is never loaded, and the command's one message
// says which and why; a link to a file of the user's own loads. Giving a file to another user needs
// the administrator: those cases run only as root.
TEST_F(PluginTest, PluginsThatOthersCouldHavePlacedAreNotLoaded) {
  namespace fs = std::filesystem;
  Install(kImport);
  Install(kImport, "Open.qno");
  fs::permissions(InFolder("Open.qno"), fs::perms::others_write, fs::perm_options::add);
  Install(kImport, "../Mine.qno");
  fs::create_symlink(dir_ + "/Mine.qno", InFolder("Mine.qno"));
  std::string expected = "Plug-ins in \"" + folder_ + "\" were not loaded:\nOpen.qno: others may change it";
  const bool root = ::geteuid() == 0;
  if (root) {
    Install(kImport, "Theirs.qno");
    Install(kImport, "../Stranger.qno");
    fs::create_symlink(dir_ + "/Stranger.qno", InFolder("Stranger.qno"));
    ASSERT_EQ(::chown(InFolder("Theirs.qno").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown((dir_ + "/Stranger.qno").c_str(), 65534, 65534), 0);
    expected += "\nStranger.qno: it is a link to another user's file\nTheirs.qno: it belongs to another user";
  }
  const size_t shown = platform::headless::ShownBoxes().size();
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  ASSERT_EQ(platform::headless::ShownBoxes().size(), shown + 1);
  EXPECT_EQ(platform::headless::ShownBoxes().back().text, expected);
  EXPECT_EQ(Host::GetPluginCount(), 2u);
  EXPECT_EQ(Host::GetFormatCount(), 4u) << "the plug-in and the link to the user's own copy";
  for (const char* refused : {"Open.qno", "Theirs.qno", "Stranger.qno"}) EXPECT_TRUE(Calls(refused).empty()) << refused;
  ReleasePlugins();

  // A folder that others may fill is not looked into at all.
  fs::permissions(folder_, fs::perms::others_write, fs::perm_options::add);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 5);
  ASSERT_EQ(platform::headless::ShownBoxes().size(), shown + 2);
  EXPECT_EQ(platform::headless::ShownBoxes().back().text,
            "Plug-ins in \"" + folder_ + "\" were not loaded:\nthe folder itself: others may change it");
  EXPECT_EQ(Host::GetPluginCount(), 0u);
  // Nothing to say, nothing shown.
  ReleasePlugins();
  fs::permissions(folder_, fs::perms::others_write, fs::perm_options::remove);
  fs::remove(InFolder("Open.qno"));
  if (root) fs::remove(InFolder("Theirs.qno")), fs::remove(InFolder("Stranger.qno"));
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  EXPECT_EQ(platform::headless::ShownBoxes().size(), shown + 2);
}

TEST_F(PluginTest, TheProgressDisplayGetsTheRowsDescription) {
  Install(kImport);
  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  char description[256];
  EXPECT_EQ(GetPluginFormatDescription(description, sizeof description, 1), 0);
  EXPECT_STREQ(description, "Zeta");
  EXPECT_EQ(GetPluginFormatDescription(description, sizeof description, 2), 16);
  EXPECT_STREQ(description, "");
}

}  // namespace
