// Saving and opening whole scene files: the save goes through a temporary file that replaces the
// document only once it is complete, and the settings record travels with the scene.
#include "document/scene_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/doc_settings.h"
#include "document_fixture.h"
#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "platform/file.h"

namespace {

class SceneFile : public DocumentTest {
 protected:
  void TearDown() override {
    platform::ResetFileTestHooks();
    DocumentTest::TearDown();
  }
  CFileSpec Spec(const std::string& name) {
    CFileSpec spec;
    EXPECT_EQ(spec.Set((folder + "/" + name).c_str()), 0);
    return spec;
  }
  static std::string Contents(const CFileSpec& spec) {
    std::ifstream in(spec.GetPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // What a failed save leaves: the old document, no other file, and each of the scene's count things
  // back in the working environment, subscribed.
  ::testing::AssertionResult LeftAsItWas(const CFileSpec& target, const std::string& old,
                                         const std::vector<std::string>& files, size_t count) {
    if (Contents(target) != old) return ::testing::AssertionFailure() << "the document changed";
    if (Files() != files) return ::testing::AssertionFailure() << "the folder changed";
    const std::vector<C3dBase*> things = Things(table);
    if (things.size() != count) return ::testing::AssertionFailure() << things.size() << " things, not " << count;
    for (C3dBase* thing : things) {
      if (thing->GetEnvironment() != ObjectsEnv())
        return ::testing::AssertionFailure() << NameOf(thing) << " stayed in the document";
      if (!thing->IsSubscribed()) return ::testing::AssertionFailure() << NameOf(thing) << " is not subscribed";
    }
    return ::testing::AssertionSuccess();
  }
  std::unique_ptr<CDocSettings> NewSettings() {
    return std::make_unique<CDocSettings>(SSpoolLayout{ObjectsEnv(), 0, 0});
  }
};

// The first chunk's offset of each record of a type in the document.
std::vector<uint32_t> RecordOffsets(CResourceEnv& document, const char* typeName) {
  std::vector<uint32_t> offsets;
  CResTypeTable* types = nullptr;
  if (!document.FindType(typeName, &types, nullptr)) return offsets;
  CHolder holder(types, false, false);
  CDynTable<CCmFile::SChunk> chunks(SRange{8, 8});
  for (uint32_t i = 0; holder.IsLocked() && i < types->GetCount(); ++i) {
    if (document.GetCmFile()->GetEntryChain((*types)[i].first, chunks) == 0 && chunks.GetCount())
      offsets.push_back(chunks[0].offset);
  }
  return offsets;
}

// Spheres made each with its own material lie in the file class by class, in the order a read takes
// the classes, so that a read goes through the file once.
TEST_F(SceneFile, RecordsLieClassByClassAsAReadTakesThem) {
  for (int i = 0; i < 20; ++i) {
    const std::string name = "ball " + std::to_string(i);
    ASSERT_NE(MaterialOf(Shape<C3dSphere>(table, name.c_str())), nullptr);
  }
  const CFileSpec target = Spec("mixed.qnc");
  ASSERT_EQ(WriteSceneFile(target, table, nullptr), 0);
  CResourceEnv document(target, CFile::kModeRead);
  ASSERT_TRUE(document.IsOpen());
  const std::vector<uint32_t> materials = RecordOffsets(document, C3dMaterial::kTypeName);
  const std::vector<uint32_t> spheres = RecordOffsets(document, C3dSphere::kTypeName);
  ASSERT_EQ(materials.size(), 20u);
  ASSERT_EQ(spheres.size(), 20u);
  EXPECT_LT(*std::max_element(materials.begin(), materials.end()), *std::min_element(spheres.begin(), spheres.end()));
  EXPECT_TRUE(std::is_sorted(spheres.begin(), spheres.end()));

  C3dBaseSys read(ObjectsEnv());
  ASSERT_EQ(ReadSceneFile(target, &read, nullptr), 0);
  C3dBase* ball = nullptr;
  ASSERT_EQ(read.FindObject("ball 19", C3dSphere::kFamily, C3dSphere::kClassTag, &ball), 0);
  EXPECT_NE(MaterialOf(ball->AsObject()), nullptr);
}

TEST_F(SceneFile, ASaveReplacesTheDocumentThroughATemporaryFile) {
  const CFileSpec target = Spec("scene-a.qnc");
  std::ofstream(target.GetPath()) << "an older document";
  const std::vector<std::string> before = Files();
  SetName(MakeShape<C3dSphere>(table), "ball");
  ASSERT_EQ(WriteSceneFile(target, table, nullptr), 0);
  EXPECT_EQ(Files(), before);

  C3dBaseSys read(ObjectsEnv());
  ASSERT_EQ(ReadSceneFile(target, &read, nullptr), 0);
  C3dBase* ball = nullptr;
  ASSERT_EQ(read.FindObject("ball", C3dSphere::kFamily, C3dSphere::kClassTag, &ball), 0);
  // Out of a document opened for reading, a thing keeps its changes when it is paged out.
  SetName(ball, "changed");
  ASSERT_TRUE(ball->PageOut());
  EXPECT_EQ(NameOf(ball), "changed");

  C3dBaseSys none(ObjectsEnv());
  EXPECT_EQ(ReadSceneFile(Spec("missing.qnc"), &none, nullptr), -43);
}

// A thing whose data cannot come back into memory once it was paged out.
bool Refuse(CSpoolMem*) { return false; }

TEST_F(SceneFile, ASaveThatFailsHalfwayLeavesTheOldDocument) {
  const CFileSpec target = Spec("scene-b.qnc");
  BuildFullScene(table);
  ASSERT_EQ(WriteSceneFile(target, table, nullptr), 0);
  const std::string old = Contents(target);
  const std::vector<std::string> before = Files();
  const std::vector<C3dBase*> things = Things(table);
  C3dBase* middle = things[things.size() / 2];

  const struct {
    const char* name;
    std::function<void()> spoil;
    std::function<void()> mend;
    int32_t code;
  } cases[] = {
      {"a thing whose lock fails",
       [&] {
         middle->SetValidator(&Refuse);
         ASSERT_TRUE(middle->PageOut());
       },
       [&] { middle->SetValidator(nullptr); }, 1},
      {"a full disk", [] { platform::SetTestFreeSpace(0); }, [] { platform::SetTestFreeSpace(-1); }, -34},
  };
  for (const auto& c : cases) {
    c.spoil();
    EXPECT_EQ(WriteSceneFile(target, table, nullptr), c.code) << c.name;
    c.mend();
    EXPECT_TRUE(LeftAsItWas(target, old, before, things.size())) << c.name;
  }
  // Everything still there saves again.
  ASSERT_EQ(WriteSceneFile(target, table, nullptr), 0);
  C3dBaseSys read(ObjectsEnv());
  EXPECT_EQ(ReadSceneFile(target, &read, nullptr), 0);
  EXPECT_EQ(Things(&read).size(), things.size());
}

// A disk that fills up at each write in turn: every record, header and directory of the document in
// its turn is the one that fails.
TEST_F(SceneFile, ASaveFailingAtEachWriteInTurnLeavesTheOldDocumentAndAWholeScene) {
  const CFileSpec target = Spec("scene-d.qnc");
  BuildFullScene(table);
  std::unique_ptr<CDocSettings> settings = NewSettings();
  ASSERT_EQ(WriteSceneFile(target, table, settings.get()), 0);
  const std::string old = Contents(target);
  const std::vector<std::string> before = Files();
  const size_t count = Things(table).size();

  uint32_t n = 1;
  for (;; ++n) {
    ASSERT_LT(n, 100000u) << "the save never got through";
    platform::SetTestFailingWrite(n);
    const int32_t result = WriteSceneFile(target, table, settings.get());
    platform::SetTestFailingWrite(0);
    if (result == 0) break;
    ASSERT_EQ(result, -34) << "write " << n;
    ASSERT_TRUE(LeftAsItWas(target, old, before, count)) << "write " << n;
  }
  EXPECT_GT(n, 10u);
  ASSERT_EQ(WriteSceneFile(target, table, settings.get()), 0);
  C3dBaseSys read(ObjectsEnv());
  ASSERT_EQ(ReadSceneFile(target, &read, nullptr), 0);
  EXPECT_EQ(Things(&read).size(), count);
}

TEST_F(SceneFile, TheSettingsRecordIsStoredUnderItsKeyAndReadBack) {
  const CFileSpec target = Spec("scene-c.qnc");
  MakeShape<C3dSphere>(table);
  std::unique_ptr<CDocSettings> settings = NewSettings();
  settings->SetSizes(480, 360, 640, 480);
  settings->SetWord(CDocSettings::kRenderOptions, 9151);
  settings->SetText(2, "third");
  ASSERT_EQ(WriteSceneFile(target, table, settings.get()), 0);
  {
    CResourceEnv stored(target, CFile::kModeRead);
    ASSERT_TRUE(stored.IsOpen());
    SSpoolKey key;
    key.Set("quarndocset", 1, false);
    CResEntry entry{};
    ASSERT_TRUE(stored.GetResourceInfo(key, &entry));
    EXPECT_EQ(stored.GetCmFile()->GetEntryField(entry.second), 416u);
  }
  C3dBaseSys read(ObjectsEnv());
  std::unique_ptr<CDocSettings> loaded = NewSettings();
  ASSERT_EQ(ReadSceneFile(target, &read, loaded.get()), 0);
  for (uint32_t i = 0; i < CDocSettings::kWordCount; ++i) EXPECT_EQ(loaded->GetWord(i), settings->GetWord(i)) << i;
  EXPECT_EQ(loaded->GetText(2), "third");

  // A document saved without settings leaves them as they were.
  ASSERT_EQ(WriteSceneFile(target, table, nullptr), 0);
  std::unique_ptr<CDocSettings> untouched = NewSettings();
  untouched->SetWord(CDocSettings::kRenderOptions, 5);
  C3dBaseSys again(ObjectsEnv());
  ASSERT_EQ(ReadSceneFile(target, &again, untouched.get()), 0);
  EXPECT_EQ(untouched->GetWord(CDocSettings::kRenderOptions), 5u);
}

}  // namespace
