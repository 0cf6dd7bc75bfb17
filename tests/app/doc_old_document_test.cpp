// A document of the earlier version opened through the document window's open command.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "document/doc_settings.h"
#include "framework/core/progress.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/document/old_document_writer.h"

namespace {

using namespace old_writer;

std::vector<std::string> gTitles;

class DocOldDocument : public DocCommandsTest {
 protected:
  // A group record whose chain holds a sphere and a cube, written as "old.doc".
  void WriteGroupDocument() {
    SOldDocument document;
    const std::array<std::array<int16_t, 4>, 3> records = {{{16, 1, -1, 2}, {5, 2, 3, -1}, {4, 3, -1, -1}}};
    for (const auto& r : records) {
      SOldRecord record;
      record.kind = uint8_t(r[0]);
      record.links = {r[1], r[2], r[3]};
      document.records.push_back(record);
    }
    const Bytes bytes = document.Write();
    std::ofstream(Path("old.doc"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  }
  // The one group of the scene holds the sphere and the cube, in chain order.
  void ExpectTheGroup(const std::string& what) {
    const std::vector<C3dBase*> groups = Things(C3dGroup::kFamily, C3dGroup::kClassTag);
    ASSERT_EQ(groups.size(), 1u) << what;
    auto* group = static_cast<C3dGroup*>(groups[0]);
    ASSERT_EQ(group->GetMemberCount(), 2u) << what;
    EXPECT_EQ(group->GetMember(0)->GetClass(), C3dSphere::kClassTag) << what;
    EXPECT_EQ(group->GetMember(1)->GetClass(), C3dCube::kClassTag) << what;
    for (uint32_t i = 0; i < 2; ++i) EXPECT_EQ(group->GetMember(i)->GetParent(), group) << what;
  }
  // The settings hold the two rectangles' sizes.
  void ExpectTheSizes(const CDocWindow& w, const std::string& what) {
    const CDocSettings& settings = *w.GetSettings();
    const uint32_t sizes[] = {640, 480, 160, 120};
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(settings.GetWord(i), sizes[i]) << what << " " << i;
    EXPECT_EQ(w.GetRenderImageSize(), (SPointHV{160, 120})) << what;
  }
};

// The group gets both its members; the settings take the two rectangles' sizes, and the rendered
// image starts white.
TEST_F(DocOldDocument, AnEarlierDocumentOpensWithItsGroupAndSizes) {
  CDocWindow& w = Made();
  WriteGroupDocument();

  gTitles.clear();
  ASSERT_TRUE(ProgressSubscribe(this, [](void*, void* record, void*) -> int32_t {
    const auto* progress = static_cast<SProgressRecord*>(record);
    if (progress->message == kProgressTitleChanged) gTitles.push_back(progress->innermost->GetTitle());
    return 0;
  }));
  Answer("open " + Path("old.doc"));
  const int32_t opened = w.OpenDocument(0, nullptr, false);
  ProgressUnsubscribe(this);
  ASSERT_EQ(opened, 0);
  EXPECT_NE(std::find(gTitles.begin(), gTitles.end(), "12Importing File"), gTitles.end());

  ExpectTheGroup("open");
  ExpectTheSizes(w, "open");
  EXPECT_EQ(Pixel(w.GetRenderedImage(), 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(w.GetRenderedImage(), 159, 119), 0xFFFFFFFFu);
  EXPECT_STREQ(w.GetTitle(), "old");
  EXPECT_EQ(NameOf(w.GetCurrentCamera()), "perspective");
}

// Merged, the document's group keeps its members, and its sizes become the window's as an open makes
// them; the scene's own objects stay loose. Reverted after a change, the group is whole again.
TEST_F(DocOldDocument, AnEarlierDocumentMergesAndRevertsWithItsGroup) {
  WriteGroupDocument();
  CDocWindow& w = Made();
  C3dSphere* own = AddShape<C3dSphere>("own", {0, 1, 0});
  ASSERT_EQ(w.FindSceneParts(true), 0);
  Answer("open " + Path("old.doc"));
  ASSERT_EQ(w.OpenDocument(1, nullptr, false), 0);
  ExpectTheGroup("merge");
  ExpectTheSizes(w, "merge");
  EXPECT_EQ(own->GetParent(), nullptr);
  EXPECT_EQ(Things(C3dSphere::kFamily, C3dSphere::kClassTag).size(), 2u);
  EXPECT_EQ(Pixel(w.GetRenderedImage(), 159, 119), 0xFFFFFFFFu);

  Answer("open " + Path("old.doc"));
  ASSERT_EQ(w.OpenDocument(0, nullptr, false), 0);
  auto* group = static_cast<C3dGroup*>(Things(C3dGroup::kFamily, C3dGroup::kClassTag).at(0));
  {
    CHolder lock(group, true, false);
    ASSERT_EQ(group->RemoveChild(group->GetMember(1)), 0);
  }
  w.SetFlags(CDocWindow::kUnsavedChanges);
  ASSERT_EQ(w.RevertDocument(w.GetFileSpec()), 0);
  ExpectTheGroup("revert");
  ExpectTheSizes(w, "revert");
}

}  // namespace
