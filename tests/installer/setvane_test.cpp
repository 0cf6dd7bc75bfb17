// Setvane's steps driven in-process on the headless back end: the script answers its dialogs and
// message boxes, and the file layer's test hooks make the disk fail.
#include "installer/setvane.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "installer/extract.h"
#include "installer/setup_dialogs.h"
#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/headless.h"
#include "platform/process.h"
#include "platform/program_manager.h"

namespace {

using platform::headless::SShownBox;
using platform::headless::SShownDialog;

const char* const kNames[] = {"cvn32.exe", "cvu32.exe", "carvane.hlp"};
constexpr const char* kFailedWrite =
    "Carvane was unable to finish writing a file to disk. Your hard drive is probably full. Check your available "
    "disk space, make additional space available, and run the setup program again.";
constexpr const char* kFailedCreate =
    "Carvane was not able to create one of its component files. Either the disk is full, or you do not have write "
    "access to the directory in which you are attempting to install Carvane. Check your available disk space and "
    "run the setup program again.";

std::string Read(const std::string& path) {
  std::string bytes;
  return platform::ReadWholeFile(path, &bytes) ? bytes : "<none>";
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Source(const std::string& name) { return Read(std::string(QUARN2_PAYLOAD_DIR) + "/payload/" + name); }

uint32_t ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  platform::ListFolder(folder, "", &names);
  return names;
}

template <typename T>
std::vector<T> Since(const std::vector<T>& all, size_t from) {
  return std::vector<T>(all.begin() + std::ptrdiff_t(std::min(from, all.size())), all.end());
}

// A payload of three small files, each in one chunk, that a test may damage.
class TestPayload {
 public:
  explicit TestPayload(std::vector<std::string> names) : fNames(std::move(names)) {
    for (const std::string& name : fNames) {
      const std::string text = "the file " + name + "\n";
      std::string packed(compressBound(uLong(text.size())), '\0');
      uLongf size = uLongf(packed.size());
      compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
                uLong(text.size()), 9);
      packed.resize(size);
      fTexts.push_back(text);
      fPacked.push_back(std::vector<uint8_t>(packed.begin(), packed.end()));
    }
    for (size_t i = 0; i < fNames.size(); ++i) {
      fChunkOf.push_back(fPacked[i].data());
      fSizeOf.push_back(int32_t(fPacked[i].size()));
    }
    for (size_t i = 0; i < fNames.size(); ++i) {
      fChunkLists.push_back(&fChunkOf[i]);
      fSizeLists.push_back(&fSizeOf[i]);
      fNamePointers.push_back(fNames[i].c_str());
      fCounts.push_back(1);
    }
    fChunkLists.push_back(nullptr);
    fSizeLists.push_back(nullptr);
    fNamePointers.push_back(nullptr);
    fTable = {int32_t(fNames.size()), fChunkLists.data(), fSizeLists.data(), fNamePointers.data(), fCounts.data()};
  }
  // The zlib stream's check sum no longer fits its data.
  void Damage(size_t file) { fPacked[file].back() ^= 0xFF; }
  const SPayloadTable& Table() const { return fTable; }
  const std::string& Text(size_t file) const { return fTexts[file]; }

 private:
  std::vector<std::string> fNames, fTexts;
  std::vector<std::vector<uint8_t>> fPacked;
  std::vector<const uint8_t*> fChunkOf;
  std::vector<int32_t> fSizeOf;
  std::vector<const uint8_t* const*> fChunkLists;
  std::vector<const int32_t*> fSizeLists;
  std::vector<const char*> fNamePointers;
  std::vector<int32_t> fCounts;
  SPayloadTable fTable;
};

struct SRun {
  int status = -1;
  std::vector<SShownBox> boxes;
  std::vector<SShownDialog> dialogs;
  std::vector<std::string> commands;
  std::vector<platform::headless::SStartedProgram> started;
};

class SetvaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/setvane-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    fHome = folder;
    ::setenv("HOME", fHome.c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
  }
  void TearDown() override {
    platform::ResetFileTestHooks();
    EXPECT_EQ(platform::headless::PendingInputs(), 0u);
    std::system(("chmod -R u+w " + fHome + " && rm -rf " + fHome).c_str());
  }

  SRun Run(const std::string& script, const SPayloadTable& payload = BuiltInPayload()) {
    const size_t boxes = platform::headless::ShownBoxes().size();
    const size_t dialogs = platform::headless::ShownDialogs().size();
    const size_t commands = platform::headless::ProgramManagerCommands().size();
    const size_t started = platform::headless::StartedPrograms().size();
    std::string error;
    EXPECT_TRUE(platform::headless::AddScript(script, &error)) << error;
    SRun run;
    run.status = RunSetvane(payload);
    run.boxes = Since(platform::headless::ShownBoxes(), boxes);
    run.dialogs = Since(platform::headless::ShownDialogs(), dialogs);
    run.commands = Since(platform::headless::ProgramManagerCommands(), commands);
    run.started = Since(platform::headless::StartedPrograms(), started);
    return run;
  }

  // The script of a run into folder that declines the group and the start.
  static std::string Into(const std::string& folder) { return "dialog 1 \"1001=" + folder + "\"\nbox 7\nbox 7\n"; }

  std::string fHome;
};

std::vector<std::string> Captions(const SRun& run) {
  std::vector<std::string> captions;
  for (const SShownBox& box : run.boxes) captions.push_back(box.caption);
  return captions;
}

std::string FieldOf(const SShownDialog& dialog) {
  for (const auto& [id, text] : dialog.items) {
    if (id == kFolderField) return text;
  }
  return "<no field>";
}

TEST(BuiltInPayload, HoldsTheThreeFilesInChunksThatInflateToTheirSources) {
  const SPayloadTable& p = BuiltInPayload();
  ASSERT_EQ(p.fileCount, 3);
  EXPECT_EQ(p.chunks[3], nullptr);
  EXPECT_EQ(p.chunkSizes[3], nullptr);
  EXPECT_EQ(p.names[3], nullptr);
  const int32_t counts[] = {10, 2, 1};
  for (int32_t f = 0; f < 3; ++f) {
    EXPECT_STREQ(p.names[f], kNames[f]);
    EXPECT_EQ(p.chunkCounts[f], counts[f]);
    std::string whole;
    for (int32_t c = 0; c < p.chunkCounts[f]; ++c) {
      std::string chunk(kChunkBytes + 1, '\0');
      uLongf size = uLongf(chunk.size());
      ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(chunk.data()), &size, p.chunks[f][c], uLong(p.chunkSizes[f][c])),
                Z_OK);
      EXPECT_LE(size, kChunkBytes);
      whole += chunk.substr(0, size);
    }
    EXPECT_TRUE(whole == Source(kNames[f])) << kNames[f];
  }
  EXPECT_EQ(Source("cvn32.exe").size(), 300000u);
  EXPECT_EQ(Source("cvu32.exe").size(), 40000u);
  EXPECT_EQ(Source("carvane.hlp").size(), 5000u);
}

TEST_F(SetvaneTest, AnsweredOkOnANewFolderItWritesTheThreeFilesWhole) {
  const std::string folder = fHome + "/new";
  const SRun run = Run(Into(folder));
  EXPECT_EQ(run.status, kInstalled);
  for (const char* name : kNames) EXPECT_TRUE(Read(folder + "/" + name) == Source(name)) << name;
  EXPECT_EQ(Listing(folder), (std::vector<std::string>{"carvane.hlp", "cvn32.exe", "cvu32.exe"}));
  EXPECT_EQ(ModeOf(folder + "/cvn32.exe"), 0755u);
  EXPECT_EQ(ModeOf(folder + "/cvu32.exe"), 0755u);
  EXPECT_EQ(ModeOf(folder + "/carvane.hlp"), 0644u);
  ASSERT_EQ(run.dialogs.size(), 1u);
  EXPECT_EQ(run.dialogs[0].title, "Carvane Installation");
  EXPECT_EQ(Captions(run), (std::vector<std::string>{"Add Program Group", "Installation Successful"}));
  EXPECT_EQ(run.boxes[0].style, platform::kMbYesNo);
  EXPECT_EQ(run.boxes[1].style, platform::kMbYesNo);
  EXPECT_TRUE(run.commands.empty());
  EXPECT_TRUE(run.started.empty());
}

TEST_F(SetvaneTest, TheProgressDialogCountsTheFilesDone) {
  platform::WindowHandle dialog = CreateProgressDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(platform::IsWindowVisible(dialog));
  EXPECT_EQ(platform::GetWindowText(dialog), "Carvane Setup Progress");
  static std::vector<std::string> fields;
  fields = {platform::GetItemText(dialog, kPercentField)};
  const auto recording = [](platform::WindowHandle window, const char* name, int32_t percent) {
    ReportProgress(window, name, percent);
    fields.push_back(platform::GetItemText(window, kPercentField));
  };
  EXPECT_EQ(ExtractPayload(BuiltInPayload(), fHome, dialog, recording), kExtracted);
  EXPECT_EQ(fields, (std::vector<std::string>{"Percent Complete:   0%", "Percent Complete: 0%", "Percent Complete: 33%",
                                              "Percent Complete: 66%", "Percent Complete: 100%"}));
  platform::DestroyWindow(dialog);
}

// Where the dialog looks first: under $XDG_DATA_HOME (or ~/.local/share) when that folder exists.
TEST_F(SetvaneTest, TheSuggestionIsTheDataFolderWhenItExistsElseTheHomeFolder) {
  struct SCase {
    const char* xdg;  // relative to home; null: unset
    bool make;
    const char* expected;
  };
  const SCase cases[] = {
      {"data", true, "/data/Carvane"},
      {"data", false, "/Carvane"},
      {nullptr, false, "/Carvane"},
      {nullptr, true, "/.local/share/Carvane"},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.xdg ? c.xdg : "unset");
    const std::string data = fHome + "/" + (c.xdg ? c.xdg : ".local/share");
    if (c.xdg) ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    else ::unsetenv("XDG_DATA_HOME");
    std::system(("rm -rf " + fHome + "/data " + fHome + "/.local").c_str());
    if (c.make) std::system(("mkdir -p " + data).c_str());
    const SRun run = Run("dialog 2\n");
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(FieldOf(run.dialogs[0]), fHome + c.expected);
    EXPECT_EQ(SuggestedFolder(), fHome + c.expected);
  }
}

TEST_F(SetvaneTest, CancelTellsItWillNotBeInstalledAndWritesNothing) {
  const SRun run = Run("dialog 2\n");
  EXPECT_EQ(run.status, kNotInstalled);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].caption, "Carvane Not Installed");
  EXPECT_EQ(run.boxes[0].text,
            "Carvane will not be installed at this time.If you decide to install Carvane later, just launch this "
            "program again to complete the installation process.");
  EXPECT_EQ(run.boxes[0].style, 0x30u);
  EXPECT_TRUE(Listing(fHome).empty());
  // A script that has run out answers the dialog as Cancel would.
  EXPECT_EQ(Run("").status, kNotInstalled);
}

TEST_F(SetvaneTest, AFolderThatCannotBeUsedIsAskedForAgain) {
  Write(fHome + "/file", "a file");
  struct SCase {
    std::string typed;
    const char* caption;
    std::string text;
  };
  const SCase cases[] = {
      {fHome + "/file", "Not A Directory",
       "The path you have entered refers to a file, not to a directory. Please enter the path of a new or existing "
       "directory where you would like Carvane to be installed. We suggest this location: " + fHome + "/Carvane"},
      {fHome + "/missing/inner", "Can't Create Directory",
       "Carvane was not able to create a directory by that name. Please enter a name for the new directory where "
       "Carvane will be installed. " + fHome + "/Carvane is recommended."},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.caption);
    const SRun run = Run("dialog 1 \"1001=" + c.typed + "\"\ndialog 2\n");
    EXPECT_EQ(run.status, kNotInstalled);
    EXPECT_EQ(Captions(run), (std::vector<std::string>{c.caption, "Carvane Not Installed"}));
    EXPECT_EQ(run.boxes[0].text, c.text);
    ASSERT_EQ(run.dialogs.size(), 2u);
    EXPECT_EQ(FieldOf(run.dialogs[1]), c.typed);  // shown again as typed
  }
  EXPECT_EQ(Listing(fHome), std::vector<std::string>{"file"});
}

TEST_F(SetvaneTest, ANewFolderIsMadeAnExistingOneUsedAndTildeIsHome) {
  std::system(("mkdir " + fHome + "/there").c_str());
  struct SCase {
    std::string typed;
    std::string folder;
  };
  const SCase cases[] = {
      {fHome + "/made", fHome + "/made"},
      {fHome + "/there", fHome + "/there"},
      {"~/x", fHome + "/x"},
      {fHome + "/trailing/", fHome + "/trailing"},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.typed);
    const SRun run = Run("dialog 1 \"1001=" + c.typed + "\"\nbox 6\nbox 7\n");
    EXPECT_EQ(run.status, kInstalled);
    EXPECT_TRUE(Read(c.folder + "/cvn32.exe") == Source("cvn32.exe"));
    ASSERT_EQ(run.commands.size(), 4u);
    EXPECT_EQ(run.commands[3], "[AddItem(\"" + c.folder + "/cvn32.exe\",Carvane,,,,,\"" + c.folder + "\")]");
  }
}

// Each failure leaves the folder as it was: an earlier installation whole, no file of this run.
TEST_F(SetvaneTest, AFailedInstallationLeavesTheFolderAsItWas) {
  TestPayload damaged({"cvn32.exe", "cvu32.exe", "carvane.hlp"});
  damaged.Damage(1);
  const std::string folder = fHome + "/inst";
  struct SCase {
    const char* what;
    bool earlier;  // an earlier installation lies in the folder
    std::function<void()> fail;
    const SPayloadTable* payload;
    const char* text;
  };
  // The fourth write takes cvn32.exe's bytes 96,000 to 128,000: the disk fills at byte 100,000.
  const auto fullDisk = [] { platform::SetTestFailingWrite(4); };
  const auto refused = [&] { platform::SetTestDeniedFolder(folder); };
  const SCase cases[] = {
      {"full disk", false, fullDisk, &BuiltInPayload(), kFailedWrite},
      {"full disk", true, fullDisk, &BuiltInPayload(), kFailedWrite},
      {"damaged chunk", false, [] {}, &damaged.Table(), kFailedWrite},
      {"damaged chunk", true, [] {}, &damaged.Table(), kFailedWrite},
      {"refused file", false, refused, &BuiltInPayload(), kFailedCreate},
      {"refused file", true, refused, &BuiltInPayload(), kFailedCreate},
      {"second move refused", false, [] { platform::SetTestFailingRename(2); }, &BuiltInPayload(), kFailedCreate},
      {"exchange refused midway", true,
       [] {
         platform::SetTestRefuseAtomicExchange(true);
         platform::SetTestFailingRename(5);
       },
       &BuiltInPayload(), kFailedCreate},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(std::string(c.what) + (c.earlier ? " over an earlier installation" : ""));
    std::system(("rm -rf " + folder + " && mkdir " + folder).c_str());
    if (c.earlier) {
      for (const char* name : kNames) Write(folder + "/" + name, std::string("earlier ") + name);
    }
    const std::vector<std::string> before = Listing(folder);
    c.fail();
    const SRun run = Run("dialog 1 \"1001=" + folder + "\"\n", *c.payload);
    platform::ResetFileTestHooks();
    EXPECT_EQ(run.status, kNotInstalled);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "Carvane Installation Failed");
    EXPECT_EQ(run.boxes[0].text, c.text);
    EXPECT_EQ(run.boxes[0].style, 0x30u);
    EXPECT_EQ(Listing(folder), before);
    if (c.earlier) {
      for (const char* name : kNames) EXPECT_EQ(Read(folder + "/" + name), std::string("earlier ") + name);
    }
  }
}

TEST_F(SetvaneTest, AReinstallationReplacesTheEarlierFiles) {
  const std::string folder = fHome + "/inst";
  std::system(("mkdir " + folder).c_str());
  for (const char* name : kNames) Write(folder + "/" + name, "earlier");
  EXPECT_EQ(Run(Into(folder)).status, kInstalled);
  for (const char* name : kNames) EXPECT_TRUE(Read(folder + "/" + name) == Source(name)) << name;
  EXPECT_EQ(Listing(folder).size(), 3u);
  EXPECT_EQ(ModeOf(folder + "/cvn32.exe"), 0755u);
}

// In the chosen folder a link is replaced by the file it stands for as a name, and never followed: the
// file it leads to keeps its bytes and mode, and nothing is written beside that file. A folder in a
// file's place is not moved away: the installation fails and leaves the folder as it was.
TEST_F(SetvaneTest, ALinkInTheFolderIsReplacedAndWhatItLeadsToIsLeftAlone) {
  const std::string folder = fHome + "/inst", outside = fHome + "/outside";
  std::system(("mkdir " + folder + " " + outside + " " + outside + "/sub").c_str());
  Write(outside + "/victim", "victim");
  ::chmod((outside + "/victim").c_str(), 0644);
  ASSERT_EQ(::symlink((outside + "/victim").c_str(), (folder + "/cvn32.exe").c_str()), 0);
  ASSERT_EQ(::symlink((outside + "/nothing").c_str(), (folder + "/cvu32.exe").c_str()), 0);
  ASSERT_EQ(::symlink((outside + "/sub").c_str(), (folder + "/carvane.hlp").c_str()), 0);
  EXPECT_EQ(Run(Into(folder)).status, kInstalled);
  EXPECT_EQ(Read(outside + "/victim"), "victim");
  EXPECT_EQ(ModeOf(outside + "/victim"), 0644u);
  EXPECT_EQ(Listing(outside), std::vector<std::string>{"victim"});
  EXPECT_TRUE(Listing(outside + "/sub").empty());
  for (const char* name : kNames) {
    EXPECT_EQ(platform::EntryKindOf(folder + "/" + name), platform::EntryKind::kFile) << name;
    EXPECT_TRUE(Read(folder + "/" + name) == Source(name)) << name;
  }
  EXPECT_EQ(Listing(folder).size(), 3u);
  EXPECT_EQ(ModeOf(folder + "/cvn32.exe"), 0755u);

  const std::string other = fHome + "/other";
  std::system(("mkdir -p " + other + "/cvu32.exe").c_str());
  const SRun run = Run("dialog 1 \"1001=" + other + "\"\n");
  EXPECT_EQ(run.status, kNotInstalled);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text, kFailedCreate);
  EXPECT_EQ(Listing(other), std::vector<std::string>{});
  EXPECT_EQ(platform::EntryKindOf(other + "/cvu32.exe"), platform::EntryKind::kFolder);
}

// Whatever the folder's name holds, the program group's entry starts that very program in that very
// folder: the commands quote both paths with their quotes doubled, and carried out they give an entry
// whose Exec and Path GLib reads back as the paths.
TEST_F(SetvaneTest, AnyFolderNameReachesTheProgramGroupWhole) {
  ::setenv("XDG_DATA_HOME", (fHome + "/data").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (fHome + "/config").c_str(), 1);
  for (const std::string name : {"plain", "a\"b", "c\",d", "e\"\"f", "g)]h", "i,,,j"}) {
    SCOPED_TRACE(name);
    const std::string folder = fHome + "/" + name;
    ASSERT_TRUE(platform::headless::AddScript("box 6\n"));
    const size_t before = platform::headless::ProgramManagerCommands().size();
    EXPECT_TRUE(OfferProgramGroup(folder));
    const std::vector<std::string> sent = Since(platform::headless::ProgramManagerCommands(), before);
    ASSERT_EQ(sent.size(), 4u);
    for (const std::string& command : sent) EXPECT_TRUE(platform::RunProgramManagerCommand(command)) << command;
    const std::string entry = fHome + "/data/applications/Carvane.desktop";
    EXPECT_EQ(std::system(("desktop-file-validate '" + entry + "' >&2").c_str()), 0);
    const std::string command =
        "/usr/bin/python3 -c 'import sys; from gi.repository import GLib; k = GLib.KeyFile(); "
        "k.load_from_file(sys.argv[1], GLib.KeyFileFlags.NONE); "
        "print(GLib.shell_parse_argv(k.get_string(\"Desktop Entry\", \"Exec\"))[1][0]); "
        "print(k.get_string(\"Desktop Entry\", \"Path\"))' '" + entry + "'";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[512];
      for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
      ::pclose(pipe);
    }
    EXPECT_EQ(out, folder + "/cvn32.exe\n" + folder + "\n");
  }
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("XDG_CONFIG_HOME");
}

// A group that cannot be made (an entry holds no control character) is told as a failure, and the
// question of the start does not claim the group; the program is installed all the same.
TEST_F(SetvaneTest, AGroupThatCannotBeMadeIsToldAsAFailure) {
  const std::string folder = fHome + "/tab\there";
  const SRun run = Run("dialog 1 \"1001=" + folder + "\"\nbox 6\nbox 7\n");
  EXPECT_EQ(run.status, kInstalled);
  EXPECT_TRUE(Read(folder + "/cvn32.exe") == Source("cvn32.exe"));
  ASSERT_EQ(run.boxes.size(), 3u);
  EXPECT_EQ(run.boxes[1].caption, "Add Program Group");
  EXPECT_EQ(run.boxes[1].text,
            "The Carvane program group could not be added to your start menu. Carvane is installed all the same.");
  EXPECT_EQ(run.boxes[2].text, "Carvane has been successfully installed on your system. Would you like to start "
                               "Carvane now?");
}

TEST_F(SetvaneTest, YesToTheGroupSendsTheFourCommandsAndNoSendsNone) {
  const std::string folder = fHome + "/inst";
  const SRun yes = Run("dialog 1 \"1001=" + folder + "\"\nbox 6\nbox 7\n");
  EXPECT_EQ(yes.status, kInstalled);
  EXPECT_EQ(yes.commands, (std::vector<std::string>{
                              "[CreateGroup(Carvane)]", "[ShowGroup(Carvane,5)]", "[ReplaceItem(Carvane)]",
                              "[AddItem(\"" + folder + "/cvn32.exe\",Carvane,,,,,\"" + folder + "\")]"}));
  ASSERT_EQ(yes.boxes.size(), 2u);
  EXPECT_EQ(yes.boxes[0].text,
            "Carvane has been installed on your computer. To make it easier to find, this installation program can "
            "add a program group to your start menu (and/or program manager). Would you like Carvane to be added to "
            "your program groups?");
  EXPECT_TRUE(Run(Into(folder)).commands.empty());
}

TEST_F(SetvaneTest, YesToTheStartStartsTheProgramAndAFailedStartEndsWithTwo) {
  const std::string folder = fHome + "/inst";
  const SRun yes = Run("dialog 1 \"1001=" + folder + "\"\nbox 7\nbox 6\n");
  EXPECT_EQ(yes.status, kInstalled);
  ASSERT_EQ(yes.started.size(), 1u);
  EXPECT_EQ(yes.started[0].path, folder + "/cvn32.exe");
  EXPECT_EQ(yes.started[0].show, 5);
  ASSERT_EQ(yes.boxes.size(), 2u);
  EXPECT_EQ(yes.boxes[1].text,
            "Carvane has been successfully installed on your system.The software is now available in your Start "
            "Menu or Program Manager, in the Carvane group. Would you like to start Carvane now?");
  // A payload without the program: the start finds nothing to start.
  const TestPayload noProgram({"cvn32.txt", "cvu32.exe", "carvane.hlp"});
  const std::string other = fHome + "/other";
  const SRun failed = Run("dialog 1 \"1001=" + other + "\"\nbox 7\nbox 6\n", noProgram.Table());
  EXPECT_EQ(failed.status, kStartFailed);
  EXPECT_EQ(Read(other + "/cvn32.txt"), noProgram.Text(0));
  EXPECT_EQ(failed.started.size(), 1u);
}

}  // namespace
