#include "editing/document.h"

#include <gtest/gtest.h>

#include "editing/delete_action.h"
#include "platform/alloc.h"
#include "tests/editing/editing_fixture.h"

namespace {

class DocumentTest : public EditingTest {};

TEST_F(DocumentTest, ADocumentHasItsPartsAndARingOfOne) {
  EXPECT_EQ(document->GetWindow(), &host);
  EXPECT_EQ(document->GetSceneTable(), table);
  EXPECT_EQ(document->GetUndoHistory().GetCapacity(), 1u);
  EXPECT_EQ(document->GetSelection().GetDocument(), document.get());
  EXPECT_EQ(document->GetSelection().GetCount(), 0u);
  EXPECT_EQ(document->GetSelection().GetEditKind(), CSelection::kResize);
  ASSERT_NE(document->GetClipboard(), nullptr);
  EXPECT_EQ(document->GetClipboard()->GetEnvironment(), DataEnv());
}

TEST_F(DocumentTest, TheObjectListIsWalkedBothWaysPastObjectsLeftOutOfTheWireframe) {
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  C3dSphere *first = NewSphere(), *hidden = NewSphere(), *second = NewSphere();
  hidden->SetFlags(C3dObject::kNotDrawn);
  SetObjectList({first, hidden, second, camera});
  EXPECT_EQ(document->GetListCount(), 4u);

  int32_t cursor = 0;
  EXPECT_EQ(document->NextListEntry(&cursor), first);
  EXPECT_EQ(cursor, 1);
  EXPECT_EQ(document->NextListEntry(&cursor), second);
  EXPECT_EQ(cursor, 3);
  EXPECT_EQ(document->NextListEntry(&cursor), camera);
  EXPECT_EQ(document->NextListEntry(&cursor), nullptr);
  EXPECT_EQ(cursor, 4);

  cursor = 2;
  EXPECT_EQ(document->NextListEntry2(&cursor), second);
  EXPECT_EQ(cursor, 1);
  EXPECT_EQ(document->NextListEntry2(&cursor), first);
  EXPECT_EQ(cursor, -1);
  EXPECT_EQ(document->NextListEntry2(&cursor), nullptr);
  cursor = 9;
  EXPECT_EQ(document->NextListEntry2(&cursor), camera);

  host.list = nullptr;
  cursor = 0;
  EXPECT_EQ(document->GetListCount(), 0u);
  EXPECT_EQ(document->NextListEntry(&cursor), nullptr);
}

TEST_F(DocumentTest, TheViewDirectionIsTheCurrentCamerasOwn) {
  vector3<double> direction{7, 7, 7};
  EXPECT_EQ(document->GetViewDirection(&direction), 6);
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  ASSERT_NE(camera, nullptr);
  camera->GetView().direction = {0, -1, 0};
  host.camera = camera;
  EXPECT_EQ(document->GetViewDirection(&direction), 0);
  EXPECT_EQ(direction, (vector3<double>{0, -1, 0}));
}

TEST_F(DocumentTest, RemovingAndDeletingObjectsLookUpTheSceneAgain) {
  C3dSphere *removed = NewSphere(), *kept = NewSphere(), *deleted = NewSphere();
  host.findResult = 13;
  EXPECT_EQ(document->RemoveObject(removed), 13);
  EXPECT_EQ(removed->GetOwningTable(), nullptr);
  EXPECT_EQ(document->RemoveObject(removed), 6);
  delete removed;

  host.findResult = 0;
  CDeleteAction action(table);
  EXPECT_EQ(document->DeleteObjectUndoable(&action, kept), 0);
  EXPECT_EQ(kept->GetOwningTable(), action.GetHoldingTable());

  // A delete action whose holding table could not be made keeps nothing: the object goes at once.
  platform::FailNextAllocations(1);
  CDeleteAction invalid(table);
  EXPECT_FALSE(invalid.IsValid());
  EXPECT_EQ(invalid.AddObject(deleted), false);
  uint32_t count = 0;
  ASSERT_EQ(C3dObject::CountObjects(table, &count), 0);
  EXPECT_EQ(document->DeleteObjectUndoable(&invalid, deleted), 0);
  uint32_t after = 0;
  ASSERT_EQ(C3dObject::CountObjects(table, &after), 0);
  EXPECT_EQ(after, count - 1);

  host.calls.clear();
  EXPECT_EQ(document->RefreshSceneParts(), 0);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"find parts, relinked", "objinfochanged 2"}));
}

}  // namespace
