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

using DocOldDocument = DocCommandsTest;

// A group record whose chain holds a sphere and a cube: the group gets both, in chain order; the
// settings take the two rectangles' sizes, and the rendered image starts white.
TEST_F(DocOldDocument, AnEarlierDocumentOpensWithItsGroupAndSizes) {
  CDocWindow& w = Made();
  SOldDocument document;
  const std::array<std::array<int16_t, 4>, 3> records = {{{16, 1, -1, 2}, {5, 2, 3, -1}, {4, 3, -1, -1}}};
  for (const auto& r : records) {
    SOldRecord record;
    record.kind = uint8_t(r[0]);
    record.links = {r[1], r[2], r[3]};
    document.records.push_back(record);
  }
  const Bytes bytes = document.Write();
  std::ofstream(Path("old.doc"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));

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

  const std::vector<C3dBase*> groups = Things(C3dGroup::kFamily, C3dGroup::kClassTag);
  ASSERT_EQ(groups.size(), 1u);
  auto* group = static_cast<C3dGroup*>(groups[0]);
  ASSERT_EQ(group->GetMemberCount(), 2u);
  EXPECT_EQ(group->GetMember(0)->GetClass(), C3dSphere::kClassTag);
  EXPECT_EQ(group->GetMember(1)->GetClass(), C3dCube::kClassTag);
  for (uint32_t i = 0; i < 2; ++i) EXPECT_EQ(group->GetMember(i)->GetParent(), group);

  const CDocSettings& settings = *w.GetSettings();
  const uint32_t sizes[] = {640, 480, 160, 120};
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(settings.GetWord(i), sizes[i]) << i;
  EXPECT_EQ(w.GetRenderImageSize(), (SPointHV{160, 120}));
  EXPECT_EQ(Pixel(w.GetRenderedImage(), 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(w.GetRenderedImage(), 159, 119), 0xFFFFFFFFu);
  EXPECT_STREQ(w.GetTitle(), "old");
  EXPECT_EQ(NameOf(w.GetCurrentCamera()), "perspective");
}

}  // namespace
