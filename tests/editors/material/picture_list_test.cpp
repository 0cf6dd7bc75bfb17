// The picture list file: saving the document's picture textures into ".lst" resource files and
// merging them into another document, with the file dialogs answered by the headless back end.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/resource_env.h"
#include "tests/editors/material/pict_textures_fixture.h"

namespace {

namespace fs = std::filesystem;

class PictureList : public PictTexturesTest {
 protected:
  void TearDown() override {
    if (other) {
      // The dialog goes before the document its slots show.
      dialog.reset();
      pictureHost.scene = table;
      pictureHost.pictures = pictures.get();
      otherPictures.reset();
      other.reset();
    }
    PictTexturesTest::TearDown();
  }

  std::string Path(const std::string& name) const { return folder + "/" + name; }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // "save list" with the save dialog answered with the path.
  int32_t SaveAs(const std::string& path) {
    EXPECT_TRUE(platform::headless::AddScript("save " + path + "\n"));
    return Send("save list");
  }
  int32_t OpenFrom(const std::string& path) {
    EXPECT_TRUE(platform::headless::AddScript("open " + path + "\n"));
    return Send("open list");
  }
  // The dialog now works on a second document, whose scene table is new.
  void SwitchDocument() {
    other = std::make_unique<C3dBaseSys>(ObjectsEnv());
    otherPictures = std::make_unique<C3dBaseSpoolTable>(ObjectsEnv());
    pictureHost.scene = other.get();
    pictureHost.pictures = otherPictures.get();
    ASSERT_EQ(pictureHost.FindSceneParts(false), 0);
  }
  // The names and pixels of the current document's picture textures, in the table's order.
  std::vector<std::pair<std::string, std::vector<uint32_t>>> Listed() {
    std::vector<std::pair<std::string, std::vector<uint32_t>>> out;
    C3dBaseSpoolTable* list = pictureHost.pictures;
    CHolder held(list, false, false);
    for (uint32_t i = 0; held.IsLocked() && i < list->GetCount(); ++i) {
      auto* texture = static_cast<CPictTexture*>(list->At(i));
      out.emplace_back(NameOf(texture), Pixels(texture));
    }
    return out;
  }
  // resdump's lines, each its type and name.
  static std::vector<std::string> Dumped(const std::string& path) {
    std::vector<std::string> out;
    FILE* pipe = popen((std::string(RESDUMP_PATH) + " '" + path + "'").c_str(), "r");
    if (!pipe) return out;
    char line[512];
    while (fgets(line, sizeof line, pipe)) out.emplace_back(line);
    EXPECT_EQ(pclose(pipe), 0);
    return out;
  }
  static size_t CountType(const std::vector<std::string>& lines, const std::string& type) {
    return size_t(std::count_if(lines.begin(), lines.end(), [&type](const std::string& l) { return l.rfind(type + " ", 0) == 0; }));
  }

  std::unique_ptr<C3dBaseSys> other;
  std::unique_ptr<C3dBaseSpoolTable> otherPictures;
};

TEST_F(PictureList, SavingNamesTheFileWithItsExtensionAndListsEveryPicture) {
  AddPicture("leaf", 0xFF336699);
  AddPicture("bark", 7, 5, [](uint32_t x, uint32_t y) { return (x * 30) << 24 | y * 0x10203u; });
  Open();
  ASSERT_EQ(SaveAs(Path("pics")), 0);
  ASSERT_TRUE(fs::exists(Path("pics.lst")));
  fs::create_directory(Path("my.files"));
  ASSERT_EQ(SaveAs(Path("my.files/pics")), 0);
  ASSERT_TRUE(fs::exists(Path("my.files/pics.lst")));
  EXPECT_FALSE(fs::exists(Path("my.files/pics")));

  const std::vector<std::string> lines = Dumped(Path("pics.lst"));
  EXPECT_EQ(CountType(lines, "CPictTexture"), 2u);
  EXPECT_EQ(CountType(lines, "C3dCImage"), 2u);
  // Saving twice to one file replaces its resources.
  ASSERT_EQ(SaveAs(Path("pics.lst")), 0);
  EXPECT_EQ(CountType(Dumped(Path("pics.lst")), "CPictTexture"), 2u);
  // Nothing is left beside the list.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".lst" || entry.path().filename().string().find("tmp") != std::string::npos)
      names.push_back(entry.path().filename());
  }
  EXPECT_EQ(names, std::vector<std::string>{"pics.lst"});
}

TEST_F(PictureList, AnOpenedListAddsItsPicturesAndKeepsTheCurrentSlot) {
  AddPicture("leaf", 0xFF336699);
  AddPicture("bark", 7, 5, [](uint32_t x, uint32_t y) { return (x * 30) << 24 | y * 0x10203u; });
  Open();
  const auto saved = Listed();
  ASSERT_EQ(SaveAs(Path("pics")), 0);

  SwitchDocument();
  AddPicture("own", 0xFF00FF00);
  AddPicture("more", 0xFF0000FF);
  ASSERT_EQ(dialog->RefreshSlots(nullptr), 0);
  PressSlot(1);
  const auto own = Listed();
  ASSERT_EQ(own.size(), 2u);
  const uint32_t changes = pictureHost.changes;
  EXPECT_EQ(OpenFrom(Path("pics.lst")), 0);
  auto expected = own;
  expected.insert(expected.end(), saved.begin(), saved.end());
  EXPECT_EQ(Listed(), expected);
  for (uint32_t i = 0; i < 4; ++i) {
    CHolder held(pictureHost.pictures, false, false);
    EXPECT_EQ(CPictTextures::SlotTexture(Slot(i)), pictureHost.pictures->At(i)) << i;
  }
  EXPECT_EQ(dialog->GetCurrentSlot(), Slot(1));
  EXPECT_GT(pictureHost.changes, changes) << "the document has changes";
}

// A cancelled dialog does nothing; a list cut short adds nothing and answers the reader's code.
TEST_F(PictureList, CancelledOrBrokenListsChangeNothing) {
  AddPicture("leaf", 0xFF336699);
  AddPicture("bark", 7, 5, [](uint32_t x, uint32_t y) { return (x * 30) << 24 | y * 0x10203u; });
  Open();
  ASSERT_EQ(SaveAs(Path("pics")), 0);
  const std::string written = Contents(Path("pics.lst"));
  ASSERT_TRUE(platform::headless::AddScript("cancel\n"));
  EXPECT_EQ(Send("save list"), 0);
  ASSERT_TRUE(platform::headless::AddScript("cancel\n"));
  EXPECT_EQ(Send("open list"), 0);
  EXPECT_EQ(Contents(Path("pics.lst")), written);

  SwitchDocument();
  AddPicture("own", 0xFF00FF00);
  ASSERT_EQ(dialog->RefreshSlots(nullptr), 0);
  const auto before = Listed();
  const size_t rows = other->GetCount();
  // Cut short, the container answers as a document cut short does.
  std::ofstream(Path("short.lst"), std::ios::binary) << written.substr(0, written.size() / 2);
  std::ofstream(Path("text.lst"), std::ios::binary) << "2D pictures, honestly\n";
  // Whole, but the second texture's picture is gone: the first, read already, goes again.
  fs::copy_file(Path("pics.lst"), Path("pictureless.lst"));
  {
    CFileSpec spec;
    ASSERT_EQ(spec.Set(Path("pictureless.lst").c_str()), 0);
    CResourceEnv list(spec, CFile::kModeReadWrite);
    ASSERT_TRUE(list.IsOpen());
    SSpoolKey picture;
    picture.Set("C3dCImage", 3, false);
    ASSERT_TRUE(list.DeleteResource(picture));
    ASSERT_EQ(list.Close(), 0);
  }
  struct SCase {
    const char* name;
    int32_t answer;
  } cases[] = {{"short.lst", kErrDamagedData},
               {"text.lst", kErrCompositeExpected},
               {"missing.lst", kErrFileNotFound},
               {"pictureless.lst", kErrObjectNotFound}};
  for (const SCase& c : cases) {
    EXPECT_EQ(OpenFrom(Path(c.name)), c.answer) << c.name;
    EXPECT_EQ(Listed(), before) << c.name;
    EXPECT_EQ(other->GetCount(), rows) << c.name;
  }
}

// The file is written beside the target and renamed over it: a failure leaves an earlier list as it
// was, nothing beside it, and every texture in the environment it had.
TEST_F(PictureList, AFailedSaveLeavesTheEarlierListAndTheTexturesAsTheyWere) {
  CPictTexture* leaf = AddPicture("leaf", 0xFF336699);
  Open();
  fs::create_directory(Path("shelf"));
  ASSERT_EQ(SaveAs(Path("shelf/pics")), 0);
  const std::string earlier = Contents(Path("shelf/pics.lst"));
  CPictTexture* big = AddPicture("big", 300, 300, [](uint32_t x, uint32_t y) { return x * 0x10001u ^ y << 8; });
  ASSERT_EQ(dialog->RefreshSlots(nullptr), 0);
  CSpoolSys* leafHome = leaf->GetEnvironment();
  CSpoolSys* bigHome = big->GetEnvironment();

  // A file may not grow past the earlier list's size, so that the copy of it succeeds and the pictures
  // do not fit. (Folder permissions would not stop a test run by root.)
  struct SFileSizeLimit {
    explicit SFileSizeLimit(rlim_t bytes) {
      getrlimit(RLIMIT_FSIZE, &old);
      oldHandler = signal(SIGXFSZ, SIG_IGN);
      rlimit limited = old;
      limited.rlim_cur = bytes;
      setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~SFileSizeLimit() {
      setrlimit(RLIMIT_FSIZE, &old);
      signal(SIGXFSZ, oldHandler);
    }
    rlimit old{};
    sighandler_t oldHandler = nullptr;
  };
  int32_t result = 0;
  {
    SFileSizeLimit limit(earlier.size() + 4096);
    result = SaveAs(Path("shelf/pics"));
  }
  EXPECT_NE(result, 0);
  EXPECT_NE(result, kHandled);
  EXPECT_EQ(Contents(Path("shelf/pics.lst")), earlier);
  EXPECT_EQ(std::distance(fs::directory_iterator(Path("shelf")), fs::directory_iterator()), 1);
  EXPECT_EQ(leaf->GetEnvironment(), leafHome);
  EXPECT_EQ(big->GetEnvironment(), bigHome);
  EXPECT_EQ(Pixels(big).back(), 299u * 0x10001u ^ 299u << 8);

  // A folder that does not exist cannot take the file.
  EXPECT_NE(SaveAs(Path("nowhere/pics")), 0);
  EXPECT_EQ(leaf->GetEnvironment(), leafHome);
  // Written again when it can be, the list holds both.
  ASSERT_EQ(SaveAs(Path("shelf/pics")), 0);
  EXPECT_EQ(CountType(Dumped(Path("shelf/pics.lst")), "CPictTexture"), 2u);
}

}  // namespace
