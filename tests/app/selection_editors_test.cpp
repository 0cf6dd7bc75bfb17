// The editors of the selection in the running program: 'edit' on a mesh or a torus, 'mrep' and the
// document window's family chiclet open them one modal level up; a show-again message leaves the
// level; a replication from the proposed step makes its copies in one undo step.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "editing/document.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"
#include "framework/ui/ui_message.h"
#include "panels/edit_family.h"
#include "panels/edit_poly.h"
#include "panels/edit_tori.h"
#include "panels/replicate.h"
#include "scene/object.h"
#include "tests/app/shell_fixture.h"

namespace {

// The test's window double answers 'edit' and 'dupl' itself: the window's own edit and duplication
// are called instead.
using SelectionEditors = ShellTest;

CUIMessage Named(const char* canvas, const char* element) {
  CUIMessage message;
  message.Init(0, element, nullptr, canvas, 0);
  return message;
}

TEST_F(SelectionEditors, EditMrepAndTheFamilyChicletOpenTheirDialogOneLevelUp) {
  Run([&] {
    const SCanvasTable* t = pm->GetCanvases();
    CUICmFunction* levels = pm->GetBroadcaster();
    struct SCase {
      const char* what;
      CLayoutHostCanvas* dialog;
      std::function<void()> open;
    } cases[] = {
        {"edit poly", t->editPoly, [&] {
           ASSERT_EQ(window->CreateStone(), 0);
           EXPECT_EQ(window->CDocWindow::EditSelection(), 26);
         }},
        {"edit tori", t->editTori, [&] {
           ASSERT_EQ(window->CreateTorus(), 0);
           EXPECT_EQ(window->CDocWindow::EditSelection(), 26);
         }},
        {"replicate", t->replicate, [&] { EXPECT_EQ(pm->DoCommand(FourCC("mrep")), 26); }},
        {"edit family", t->editFamily, [&] {
           CUIMessage chiclet = Named("doc image", "family chiclet");
           EXPECT_EQ(t->editFamily->HandleEvent(&chiclet), 26);
         }},
    };
    for (const SCase& c : cases) {
      const uint32_t level = levels->GetModalLevel();
      c.open();
      EXPECT_TRUE(c.dialog->IsShown()) << c.what;
      EXPECT_EQ(levels->GetModalLevel(), level + 1) << c.what;
      // The families dialog opens from its chiclet only; the others show again from their name.
      if (c.dialog != t->editFamily) {
        CUIMessage again = Named("doc window", c.what);
        EXPECT_EQ(c.dialog->HandleEvent(&again), 26) << c.what;
        EXPECT_EQ(levels->GetModalLevel(), level + 1) << c.what;
      }
      CUIMessage ok = Named(c.what, "ok");
      EXPECT_EQ(c.dialog->HandleEvent(&ok), 26) << c.what;
      EXPECT_FALSE(c.dialog->IsShown()) << c.what;
      EXPECT_EQ(levels->GetModalLevel(), level) << c.what;
    }
  });
}

TEST_F(SelectionEditors, ReplicatingTheLastMoveMakesTheCopiesInOneUndoStep) {
  Run([&] {
    CReplicate* dialog = pm->GetCanvases()->replicate;
    ASSERT_EQ(window->CreateCube(), 0);
    ASSERT_EQ(window->CDocWindow::DuplicateSelection(), 0);
    CSelection& selection = window->GetDocument()->GetSelection();
    ASSERT_EQ(selection.GetCount(), 1u);
    C3dObject* copy = selection.GetObject(0);
    {
      CHolder lock(copy, true, false);
      copy->SetTransformVector3(copy->GetTransformVector3() + vector3<double>{10, 0, 0});
    }
    EXPECT_EQ(pm->DoCommand(FourCC("mrep")), 26);
    EXPECT_STREQ(dialog->GetField(CReplicate::kOffsetX)->GetText(), "102.40");
    EXPECT_STREQ(dialog->GetField(CReplicate::kScaleX)->GetText(), "100");
    CTextEdit* quantity = dialog->GetField(CReplicate::kQuantity);
    quantity->SetText("3");
    CReplicate::Fields().lastValue = 3;
    CUIMessage typed;
    typed.Init(0, "quanity", kFieldWindowName, "replicate", 0);
    dialog->HandleEvent(&typed);
    const auto placed = [&] { return window->GetObjectList()->GetCount(); };
    const uint32_t before = placed();
    CUIMessage ok = Named("replicate", "ok");
    EXPECT_EQ(dialog->HandleEvent(&ok), 26);
    EXPECT_EQ(placed(), before + 3);
    ASSERT_EQ(selection.GetCount(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
      CHolder lock(selection.GetObject(i), false, false);
      EXPECT_NEAR(selection.GetObject(i)->GetTransformVector3().x, copy->GetTransformVector3().x + 10.0 * (i + 1), 1e-6);
    }
    ASSERT_EQ(window->GetDocument()->GetUndoHistory().Undo(), 0);
    EXPECT_EQ(placed(), before);
    // With nothing selected the dialog opens with the values of its last use; cancel makes nothing.
    selection.DeselectAll(1);
    EXPECT_EQ(pm->DoCommand(FourCC("mrep")), 26);
    EXPECT_STREQ(dialog->GetField(CReplicate::kQuantity)->GetText(), "3");
    EXPECT_STREQ(dialog->GetField(CReplicate::kOffsetX)->GetText(), "102.40");
    CUIMessage cancel = Named("replicate", "cancel");
    EXPECT_EQ(dialog->HandleEvent(&cancel), 26);
    EXPECT_EQ(placed(), before);
  });
}

// A press on the document window's family chiclet, held while the pointer moves onto a family of the
// dialog that opened beside it, gives that family to the selection at the release.
TEST_F(SelectionEditors, ThePressOnTheFamilyChicletDragsOntoAFamily) {
  Run([&] {
    CEditFamily* dialog = pm->GetCanvases()->editFamily;
    ASSERT_EQ(dialog->BuildOnce(), 0);
    SelectFirstObject();
    C3dObject* object = window->GetDocument()->GetSelection().GetObject(0);
    ASSERT_NE(object, nullptr);
    window->Invalidate(false);
    app->Heartbeat(false);
    CElement* chiclet = nullptr;
    ASSERT_EQ(CElSystem::FindByName(window->GetRoot(), "doc image|family chiclet", &chiclet), 0);
    ASSERT_TRUE(chiclet->IsShown());
    SRect local;
    chiclet->GetLocalRect(&local);
    SPointHV press;
    chiclet->LocalToRootPoint(&press, {RectWidth(local) / 2, RectHeight(local) / 2});
    // Where the dialog will stand: 15 right of and 5 below the pointer, within the screen.
    const SRect frame = dialog->GetFrame();
    const SPointHV corner{std::min(press.h + 15, 1024 - RectWidth(frame)), std::min(press.v + 5, 768 - RectHeight(frame))};
    SRect family, inCanvas;
    dialog->GetChiclet(7)->GetLocalRect(&family);
    dialog->GetChiclet(7)->LocalToAncestorRect(&inCanvas, family, nullptr);
    const SPointHV target{corner.h + (inCanvas.left + inCanvas.right) / 2, corner.v + (inCanvas.top + inCanvas.bottom) / 2};
    const uint32_t level = pm->GetBroadcaster()->GetModalLevel();
    Play("move " + std::to_string(press.h) + " " + std::to_string(press.v) + "\ndown left\nwait 300\nmove " +
         std::to_string(target.h) + " " + std::to_string(target.v) + "\nwait 100\nup left\nwait 40\n");
    EXPECT_EQ(dialog->GetFrame().left, corner.h);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(pm->GetBroadcaster()->GetModalLevel(), level);
    EXPECT_EQ(object->GetCreationWord(0), 7u);
    EXPECT_EQ(object->GetCreationWord(1), CEditFamily::GetFamily(7).colour.value);
  });
}

}  // namespace
