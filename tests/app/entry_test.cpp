#include "app/entry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string>

#include "document/prefs_file.h"
#include "platform/single_instance.h"
#include "scene/triangle_mesh.h"
#include "tests/framework/core/app_fixture.h"
#include "tests/framework/core/private_tmpdir.h"
#include "tests/tools/run_tool.h"

namespace {

namespace fs = std::filesystem;

TEST(DataPoolBudget, FromPhysicalMemoryAndStoredPercentage) {
  struct SCase {
    uint64_t memory;
    bool read;
    int32_t percent;
    uint32_t budget;
  } cases[] = {
      {8ull << 20, false, 0, 8388608},          {64ull << 20, true, 50, 33554432},
      {16ull << 30, false, 0, 0xFFFFFFFFu},     {64ull << 20, true, 0, 8388608},
      {64ull << 20, true, -20, 8388608},        {1ull << 30, false, 0, 805306368},
      {16ull << 30, true, 200, 0xFFFFFFFFu},    {0, false, 0, 8388608},
  };
  for (const SCase& c : cases) EXPECT_EQ(DataPoolBudget(c.memory, c.read, c.percent), c.budget) << c.memory;
}

// The entry's budget comes from the preferences file: its percentage once the file was read, three
// quarters of memory without one.
TEST(DataPoolBudget, FromThePreferencesFile) {
  CPrivateTmpDir tmp("quarn2-entry");
  const std::string path = tmp.Path() + "/Quarn2 Prefs";
  EXPECT_EQ(DataPoolBudget(1ull << 30, CPrefsFile(path.c_str())), 805306368u);
  CPrefsFile prefs(path.c_str());
  prefs.SetWord(CPrefsFile::kMemoryPercentOffset, 25);
  ASSERT_TRUE(prefs.Write());
  EXPECT_EQ(DataPoolBudget(1ull << 30, CPrefsFile(path.c_str())), 268435456u);
}

TEST(CommandLine, QuotesWhatHasSpaces) {
  const char* argv[] = {"Quarn2", "a.qnc", "b c.qnc", "", "d \"e\\f\".qnc"};
  EXPECT_EQ(JoinCommandLine(5, argv), "a.qnc \"b c.qnc\" \"\" \"d \\\"e\\\\f\\\".qnc\"");
}

// A folder of its own with a copy of the program, as an installation would be.
class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(::testing::TempDir()) / ("quarn2-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy_file(QUARN2_PROGRAM, folder / "Quarn2");
    fs::permissions(folder / "Quarn2", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(folder); }

  int Run(const std::string& environment, const std::string& arguments = "") {
    const std::string command = "cd '" + folder.string() + "' && env QUARN2_HEADLESS=1 XDG_RUNTIME_DIR='" +
                                folder.string() + "' " + environment + " ./Quarn2 " + arguments + " 2> err.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The build's data/: the resource file and every layout file.
  void CopyData() {
    fs::create_directories(folder / "data");
    for (const auto& entry : fs::directory_iterator(QUARN2_DATA_DIR)) {
      if (entry.path().extension() == ".dat") fs::copy_file(entry.path(), folder / "data" / entry.path().filename());
    }
  }
  std::string Errors() const {
    std::ifstream in(folder / "err.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder;
};

TEST_F(ProgramRun, WithoutTheResourceFileTheStartFails) {
  EXPECT_EQ(Run(""), 1);
  EXPECT_EQ(Errors(), "Quarn2: The default application ordax resource environment could not be found.\n");
}

TEST_F(ProgramRun, AFailedStartLeavesNoSwapFiles) {
  fs::create_directories(folder / "tmp");
  EXPECT_EQ(Run("TMPDIR='" + (folder / "tmp").string() + "'"), 1);
  EXPECT_TRUE(fs::is_empty(folder / "tmp"));
}

TEST_F(ProgramRun, WithItsDataControlQEndsAnOrdinaryRun) {
  CopyData();
  std::ofstream(folder / "keys.txt") << "wait 500\nkey 17\nkey Q\nwait 50\nkeyup Q\nkeyup 17\n";
  EXPECT_EQ(Run("QUARN2_SCRIPT=keys.txt"), 0);
  EXPECT_EQ(Errors(), "");
}

// Keys typed into a headless run reach the program as they do on GTK: Ctrl+I imports through the
// DXF plug-in, Ctrl+Shift+S saves the document as a new file, which holds the mesh, and Ctrl+Q ends
// the run, each after the one before had a window come and go.
TEST_F(ProgramRun, KeysImportSaveAsAndQuitAsOnTheDesktop) {
  CopyData();
  fs::create_directories(folder / "Plugins");
  fs::copy_file(fs::path(QUARN2_PLUGINS_DIR) / "Osprel.qno", folder / "Plugins" / "Osprel.qno");
  std::ofstream(folder / "circle.dxf")
      << "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n8\nA\n62\n1\n10\n0\n20\n0\n30\n0\n40\n1\n0\nENDSEC\n0\nEOF\n";
  std::ofstream(folder / "keys.txt") << "wait 1500\nkey 17\nkey I\nkeyup I\nkeyup 17\nopen "
                                     << (folder / "circle.dxf").string() << "\nwait 1500\nstroke ctrl+shift+s\nsave "
                                     << (folder / "saved.qnc").string() << "\nwait 1000\nstroke ctrl+q\n";
  EXPECT_EQ(Run("QUARN2_SCRIPT=keys.txt"), 0);
  EXPECT_EQ(Errors(), "");
  std::ifstream saved(folder / "saved.qnc", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_NE(bytes.find(C3dTriangleMesh::kTypeName), std::string::npos) << "the saved document holds no mesh";
}

// File ▸ Render to Disk through the image plug-in the program comes with: a 640 × 480 document
// rendered into a PNG and a BMP file, each with the pixels of the same scene rendered in the window
// (which Ctrl+S writes beside the document) and the window's 72 dots per inch. The render tool, with
// the same plug-in, turns the picture a quarter turn: output row r is the scene's column 639 − r.
TEST_F(ProgramRun, RenderToDiskWritesThePicturesOfTheWindowsRender) {
  CopyData();
  fs::create_directories(folder / "Plugins");
  fs::copy_file(fs::path(QUARN2_PLUGINS_DIR) / "Imager.qni", folder / "Plugins" / "Imager.qni");
  fs::copy_file(QUARN2_RENDER_PATH, folder / "quarn2-render");
  std::ofstream(folder / "scene.txt") << "size 640 480\ncamera from 0 6 -20 to 0 2 0 fov 60\n"
                                         "sun direction 0.6 0.5 -0.5\nplane ground at 0 0 0 colour 0.3 0.5 0.2\n"
                                         "sphere ball at 0 2 0 size 4 4 4 colour 0.8 0.1 0.1\n";
  const std::string at = "cd '" + folder.string() + "' && ";
  ASSERT_EQ(std::system((at + QUARN2_SCENE_PATH + " scene.txt doc.qnc > /dev/null").c_str()), 0);
  // Return closes the render report that each complete render shows.
  const std::string to = folder.string() + "/";
  std::ofstream(folder / "keys.txt") << "wait 1500\nmenu File \"Render to Disk...\"\nsave " << to
                                     << "disk.png\nwait 500\nstroke Return\nmenu File \"Render to Disk...\"\nsave "
                                     << to << "disk.bmp\nwait 500\nstroke Return\nmenu Render \"Clear and Render\"\n"
                                     << "wait 30000\nstroke Return\nstroke ctrl+s\nwait 1000\nstroke ctrl+q\n";
  ASSERT_EQ(Run("QUARN2_SCRIPT=keys.txt", "doc.qnc"), 0);
  EXPECT_EQ(Errors(), "");
  const auto shell = [&](const std::string& command) {
    std::string out;
    FILE* pipe = popen((at + command + " 2>&1").c_str(), "r");
    char buffer[256];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    if (pipe) pclose(pipe);
    return out;
  };
  EXPECT_EQ(shell("identify -format '%m %w %h;' disk.png disk.bmp doc.bmp"), "PNG 640 480;BMP3 640 480;BMP3 640 480;");
  EXPECT_EQ(shell("compare -metric AE disk.png doc.bmp null:"), "0");
  EXPECT_EQ(shell("compare -metric AE disk.bmp doc.bmp null:"), "0");
  EXPECT_EQ(shell("identify -units PixelsPerInch -format '%[fx:round(resolution.x)] ' disk.png disk.bmp"), "72 72 ");

  // Without the antialias pass, which looks along the output's rows, both renders sample the same.
  ASSERT_EQ(shell("./quarn2-render doc.qnc straight.png --options=0x3BF > /dev/null 2>&1 && "
                  "./quarn2-render doc.qnc turned.png --rotate --options=0x3BF > /dev/null 2>&1 && echo done"),
            "done\n");
  EXPECT_EQ(shell("identify -format '%w %h' turned.png"), "480 640");
  EXPECT_EQ(shell("convert straight.png -rotate -90 expected.png && compare -metric AE turned.png expected.png null:"),
            "0");
}

// A layout file that is missing or broken stops the start silently with status 1: each of four
// defects in a copy of the build's data/.
TEST_F(ProgramRun, ABrokenLayoutFileEndsTheStartSilently) {
  const std::string sources = QUARN2_LAYOUT_SOURCES;
  auto compile = [this](const std::string& name, const std::string& text, const std::string& target) {
    std::ofstream(folder / name) << text;
    fs::remove(folder / "data" / target);
    const std::string command = std::string(RESBUILD_PATH) + " '" + (folder / name).string() + "' '" +
                                (folder / "data" / target).string() + "'";
    return std::system(command.c_str()) == 0;
  };
  struct SCase {
    const char* defect;
    std::function<bool()> make;
  } cases[] = {
      {"no prefs.dat", [this] { return fs::remove(folder / "data" / "prefs.dat"); }},
      {"no splashscreen.dat", [this] { return fs::remove(folder / "data" / "splashscreen.dat"); }},
      {"no menu 4",
       [&] {
         return compile("menus.manifest",
                        "menu 2 - " + sources + "/file.menu\nmenu 3 - " + sources + "/edit.menu\nmenu 5 - " + sources +
                            "/render.menu\n",
                        "menus.dat");
       }},
      {"no document window", [&] { return compile("docwindow.layout", "texts \"doc text\" {\n  0 \"Untitled\"\n}\n", "docwindow.dat"); }},
  };
  for (const SCase& c : cases) {
    CopyData();
    ASSERT_TRUE(c.make()) << c.defect;
    std::ofstream(folder / "keys.txt") << "wait 500\nkey 17\nkey Q\n";
    EXPECT_EQ(Run("QUARN2_SCRIPT=keys.txt"), 1) << c.defect;
    EXPECT_EQ(Errors(), "") << c.defect;
    fs::remove_all(folder / "data");
  }
}

// A document named on the command line is handed to the document window at the first idle step: one
// that is not there is reported.
TEST_F(ProgramRun, TheCommandLinesDocumentIsOpenedWhenTheProgramIsIdle) {
  CopyData();
  std::ofstream(folder / "keys.txt") << "wait 500\nkey 17\nkey Q\n";
  EXPECT_EQ(Run("QUARN2_SCRIPT=keys.txt", "'my scene.qnc'"), 0);
  EXPECT_EQ(Errors(), "Quarn2: A file error has occurred (file not found).\n");
}

// A folder named on the command line is named as a folder, never a permission error.
TEST_F(ProgramRun, AFolderOnTheCommandLineIsNamedAsAFolder) {
  CopyData();
  fs::create_directories(folder / "scenes");
  std::ofstream(folder / "keys.txt") << "wait 500\nkey 17\nkey Q\n";
  EXPECT_EQ(Run("QUARN2_SCRIPT=keys.txt", "scenes"), 0);
  EXPECT_EQ(Errors(), "Quarn2: \"" + (folder / "scenes").string() + "\" cannot be opened: it is a folder.\n");
}

// --help and --version answer on standard output as the tools do and end the run with 0, taking
// nothing for a document; a wrong option ends it with 2.
TEST_F(ProgramRun, HelpAndVersionAnswerAsTheToolsDo) {
  const auto run = [this](const std::string& arguments) {
    return RunCommand("cd '" + folder.string() + "' && env QUARN2_HEADLESS=1 XDG_RUNTIME_DIR='" + folder.string() +
                      "' ./Quarn2 " + arguments + " 2>&1");
  };
  const SRun help = run("--help"), version = run("--version"), wrong = run("--frobnicate");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: Quarn2 [OPTION]... [DOCUMENT]\n", 0), 0u) << help.out;
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("Quarn2 (Quarn2) ", 0), 0u) << version.out;
  EXPECT_EQ(wrong.status, 2);
  EXPECT_NE(wrong.out.find("unknown option --frobnicate"), std::string::npos) << wrong.out;
  for (const SRun* run : {&help, &version, &wrong}) EXPECT_EQ(run->out.find("file not found"), std::string::npos);
}

// Without its temporary folder the start fails naming the folder and why, as the tools do.
TEST_F(ProgramRun, AMissingTemporaryFolderIsNamed) {
  CopyData();
  const std::string missing = (folder / "no-such-tmp").string();
  EXPECT_EQ(Run("TMPDIR='" + missing + "'"), 1);
  EXPECT_NE(Errors().find("the temporary folder " + missing + " cannot be used, it does not exist"), std::string::npos)
      << Errors();
}

// A write past the file size limit (ulimit -f) fails as on a full disk instead of ending the program:
// the old file stays, no temporary is left, and the run goes on to an ordinary end.
TEST_F(ProgramRun, AWritePastTheFileSizeLimitFailsAndTheProgramGoesOn) {
  CopyData();
  std::ofstream(folder / "saved.qnc") << "old";
  std::ofstream(folder / "keys.txt") << "wait 1500\nstroke ctrl+shift+s\nsave " << (folder / "saved.qnc").string()
                                     << "\nwait 1500\nstroke ctrl+q\nbox 7\n";
  // 40 blocks of 512 bytes: room for the swap files' start, not for the default document's 50 KiB.
  const std::string command = "cd '" + folder.string() + "' && ulimit -f 40 && env QUARN2_HEADLESS=1 XDG_RUNTIME_DIR='" +
                              folder.string() + "' QUARN2_SCRIPT=keys.txt ./Quarn2 2> err.txt";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Errors(), "Quarn2: A disk error has occurred (disk full).\n");
  std::ifstream saved(folder / "saved.qnc");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), "old");
  for (const auto& entry : fs::directory_iterator(folder))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".saved.qnc")) << entry.path();
}

// The dialogs' shadow pictures and the progress dialog's bar picture are part of the interface: a
// resource file without one of them stops the start without a message. The progress dialog's layout
// is rebuilt without its picture line.
TEST_F(ProgramRun, AResourceFileWithoutAShadowOrTheProgressBarPictureEndsTheStartSilently) {
  for (const std::string missing : {"corner shadow", "IO Progress slider"}) {
    SCOPED_TRACE(missing);
    CopyData();
    fs::create_directories(folder / "sources");
    // The build's manifest names every source by its absolute path.
    std::ifstream in(QUARN2_SYSTEM_MANIFEST);
    std::ofstream out(folder / "sources" / "manifest.short");
    for (std::string line; std::getline(in, line);) {
      if (line.find(missing) != std::string::npos) continue;
      if (line.starts_with("layout ") && line.ends_with("ioprogress.layout")) {
        const fs::path source = line.substr(7);
        fs::copy_file(source.parent_path() / "io-progress-slider.png", folder / "sources" / "io-progress-slider.png",
                      fs::copy_options::overwrite_existing);
        std::ifstream layout(source);
        std::ofstream copy(folder / "sources" / "ioprogress.layout");
        for (std::string text; std::getline(layout, text);) {
          if (text.find(missing) == std::string::npos) copy << text << "\n";
        }
        line = "layout " + (folder / "sources" / "ioprogress.layout").string();
      }
      out << line << "\n";
    }
    out.close();
    fs::remove(folder / "data" / "system.dat");
    const std::string build = std::string(RESBUILD_PATH) + " '" + (folder / "sources" / "manifest.short").string() +
                              "' '" + (folder / "data" / "system.dat").string() + "'";
    ASSERT_EQ(std::system(build.c_str()), 0);
    std::ofstream(folder / "keys.txt") << "wait 500\nkey 17\nkey Q\nwait 50\nkeyup Q\nkeyup 17\n";
    EXPECT_EQ(Run("QUARN2_SCRIPT=keys.txt"), 1);
    EXPECT_EQ(Errors(), "");
    fs::remove_all(folder / "data");
  }
}

// Start-up failures of the resource file and of the fragment system each show their message, run
// the closing phases and end the program with status 1.
TEST_F(ProgramRun, ABrokenResourceFileOrAMissingSearchPathStopsTheStart) {
  fs::create_directories(folder / "data");
  fs::copy_file(QUARN2_SYSTEM_DAT, folder / "data" / "system.dat");
  fs::resize_file(folder / "data" / "system.dat", 600);
  EXPECT_EQ(Run(""), 1);
  EXPECT_EQ(Errors(), "Quarn2: Error (code 100) while trying to setup the default ordax resource file.\n");

  std::ofstream(folder / "manifest") << "ixtx 128 errors_ errors.ixtx\n";
  std::ofstream(folder / "errors.ixtx") << "0 \"Unexpected: %d\"\n";
  const std::string build = std::string(RESBUILD_PATH) + " '" + (folder / "manifest").string() + "' '" +
                            (folder / "data" / "system.dat").string() + "'";
  ASSERT_EQ(std::system(build.c_str()), 0);
  EXPECT_EQ(Run(""), 1);
  EXPECT_EQ(Errors(), "Quarn2: Error (code 6) while trying to setup the default fragment system.\n");
}

// The CPU time a running process has used so far, from /proc: the scheduler's exact sum over its
// threads where the kernel keeps it, else the clock ticks, which charge a whole tick to whoever runs
// when it strikes.
double CpuSeconds(pid_t pid) {
  const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
  double ms = 0;
  bool exact = false;
  std::error_code error;
  for (const auto& task : fs::directory_iterator(tasks, error)) {
    std::ifstream sched(task.path() / "sched");
    for (std::string line; std::getline(sched, line);) {
      if (line.rfind("se.sum_exec_runtime", 0) != 0) continue;
      ms += std::stod(line.substr(line.find(':') + 1));
      exact = true;
    }
  }
  if (exact) return ms / 1000;
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The fields after the command's closing bracket: state is field 3, user and system time 14 and 15.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number >= 14) ticks += std::stod(field);
  }
  return ticks / double(sysconf(_SC_CLK_TCK));
}

// With nothing to do and no script, the program sleeps between heartbeats instead of spinning.
TEST_F(ProgramRun, AnIdleHeadlessRunSleeps) {
  CopyData();
  fs::create_directories(folder / "tmp");
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    setenv("QUARN2_HEADLESS", "1", 1);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    setenv("TMPDIR", (folder / "tmp").c_str(), 1);
    unsetenv("QUARN2_SCRIPT");
    execl("./Quarn2", "Quarn2", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Started once its swap files are there; then a moment for the rest of the start.
  for (int i = 0; i < 200 && !fs::exists(folder / "tmp" / "qspool0.tmp"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // On a loaded machine the start itself can take a while: the quietest of a few 2-second spells
  // counts, and a spinning program has none below the limit.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  double used = 0;
  for (int spell = 0; spell < 4; ++spell) {
    const double before = CpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    used = CpuSeconds(pid) - before;
    if (used < 0.1) break;
  }
  int status = 0;
  const bool running = waitpid(pid, &status, WNOHANG) == 0;
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  EXPECT_TRUE(running) << "the program ended by itself";
  EXPECT_LT(used, 0.1) << "CPU seconds used in 2 s of idling";
}

// A script's waits pass on the virtual clock: ten minutes of them take no real time.
TEST_F(ProgramRun, AScriptedRunKeepsItsVirtualClock) {
  CopyData();
  std::ofstream(folder / "keys.txt") << "wait 600000\nkey 17\nkey Q\n";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run("QUARN2_SCRIPT=keys.txt"), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(ProgramRun, ABadScriptIsNamed) {
  std::ofstream(folder / "keys.txt") << "wait 5\njump 3\n";
  EXPECT_EQ(Run("QUARN2_SCRIPT=keys.txt"), 1);
  EXPECT_NE(Errors().find("line 2: unknown event: jump"), std::string::npos) << Errors();
  // A folder is not an empty script.
  fs::create_directories(folder / "scripts");
  EXPECT_EQ(Run("QUARN2_SCRIPT=scripts"), 1);
  EXPECT_EQ(Errors(), "scripts: is a folder\n");
}

// This process plays the running instance; the program, started again, hands it its command line.
TEST_F(ProgramRun, ASecondStartForwardsItsCommandLine) {
  ASSERT_EQ(setenv("XDG_RUNTIME_DIR", folder.c_str(), 1), 0);
  ASSERT_EQ(InitOrdax(), 0);
  auto* app = new TestApp(ProgramDesc());
  ASSERT_EQ(platform::ClaimSingleInstance("CWinAppl", "Quarn2", ""), platform::InstanceRole::kFirst);
  struct SSeen {
    std::string commandLine, folder;
    int count = 0;
  } seen;
  app->AddReceiver(&seen, [](void* owner, void* record, void*) -> int32_t {
    auto* r = static_cast<SReceiverRecord*>(record);
    if (r->a != 0x2000400) return 0;
    const auto* event = reinterpret_cast<const SWinEvent*>(r->b);
    const auto* forwarded = reinterpret_cast<const platform::SForwardedCommandLine*>(event->lParam);
    auto* s = static_cast<SSeen*>(owner);
    s->commandLine = forwarded->commandLine;
    s->folder = forwarded->folder;
    ++s->count;
    return 0;
  }, 0);

  EXPECT_EQ(Run("", "a.qnc 'b c.qnc'"), 0);
  EXPECT_EQ(Errors(), "");  // no application object, so no message either
  for (int i = 0; i < 1000 && seen.count == 0; ++i) app->Pump();
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.commandLine, "a.qnc \"b c.qnc\"");
  EXPECT_EQ(fs::path(seen.folder), folder);
  platform::ReleaseSingleInstance();
  EXPECT_FALSE(fs::exists(folder / "quarn2.sock"));
  delete app;
  TermOrdax();
}

// A file at the socket's path that no instance answers does not stop the start, and is not deleted
// unless it is a socket.
TEST_F(ProgramRun, ANonAnsweringSocketPathDoesNotStopTheStart) {
  ASSERT_EQ(setenv("XDG_RUNTIME_DIR", folder.c_str(), 1), 0);
  std::ofstream(folder / "quarn2.sock") << "";
  EXPECT_EQ(Run(""), 1);  // started (and failed for want of its resource file), not forwarded
  EXPECT_TRUE(fs::is_regular_file(folder / "quarn2.sock"));
}

}  // namespace
