// A press on the create palette's "sphere", as a hand would give it, all the way to the new sphere
// in the scene and its one undo step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "editing/create_action.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "framework/core/holder.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "scene/object_family.h"
#include "scene/surface/material.h"
#include "tests/app/shell_fixture.h"

namespace {

using DocCreateEndToEnd = ShellTest;

TEST_F(DocCreateEndToEnd, APressOnTheSphereItemMakesASelectedSphereWithOneUndoStep) {
  Run([&] {
    CLayoutHostCanvas* palette = Palette(kCreatePalette);
    ASSERT_NE(palette, nullptr);
    ASSERT_TRUE(palette->IsShown());
    // The edit and sky & fog palettes share its place; the create tab leaves it in front.
    for (EPalette other : {kEditPalette, kSkyFogPalette}) Palette(other)->Hide();
    CElement* item = nullptr;
    ASSERT_EQ(CElSystem::FindElement(palette->GetRoot()->GetChildren(), "sphere", &item, false), 0);
    const SRect& rect = item->GetRect();
    // The root's coordinates are the screen's, as the button's tracking reads the pointer.
    SPointHV screen;
    item->LocalToRootPoint(&screen, {RectWidth(rect) / 2, RectHeight(rect) / 2});
    Play("move " + std::to_string(screen.h) + " " + std::to_string(screen.v) +
         "\ndown left\nwait 40\nup left\nwait 40\n");

    // The press reached the window as the item's named message.
    const std::string routed = "HandleControlMessage 0 \"sphere\" \"create palette\" 0";
    EXPECT_NE(std::find(CDocWindowDouble::gCalls.begin(), CDocWindowDouble::gCalls.end(), routed),
              CDocWindowDouble::gCalls.end());
    CSelection& selection = window->GetDocument()->GetSelection();
    ASSERT_EQ(selection.GetCount(), 1u);
    C3dObject* sphere = selection.GetObject(0);
    EXPECT_STREQ(sphere->TypeName(), "C3dSphere");
    EXPECT_EQ(sphere->GetOwningTable(), window->GetSceneTable());
    {
      CHolder lock(sphere, false, false);
      EXPECT_EQ(sphere->GetTransformVector3(), (vector3<double>{0, 1, 0}));
      const vector3<double> extent = sphere->GetScaledSize();
      EXPECT_NEAR(extent.x, 2, 1e-9);
      EXPECT_NEAR(extent.y, 2, 1e-9);
      EXPECT_NEAR(extent.z, 2, 1e-9);
      EXPECT_EQ(sphere->GetCreationWord(0), 0u);
      EXPECT_EQ(sphere->GetCreationWord(1), 0x555555u);
    }
    auto* material = LookupHandleAs<C3dMaterial>(sphere->GetMaterial(), C3dMaterial::kFamily);
    ASSERT_NE(material, nullptr);
    ASSERT_NE(material, window->GetDefaultMaterial());
    {
      CHolder own(material, false, false);
      CHolder fallback(window->GetDefaultMaterial(), false, false);
      EXPECT_EQ(std::memcmp(material->GetData() + C3dMaterial::kPartOffset,
                            window->GetDefaultMaterial()->GetData() + C3dMaterial::kPartOffset,
                            C3dMaterial::kPartSize),
                0);
    }
    CUndoHistory& history = window->GetDocument()->GetUndoHistory();
    auto* action = dynamic_cast<CCreateAction*>(history.GetCurrentAction());
    ASSERT_NE(action, nullptr);
    ASSERT_EQ(action->GetObjects().GetCount(), 1u);
    EXPECT_EQ(action->GetObjects()[0], sphere);
    // The next heartbeat redraws what the creation flagged.
    EXPECT_NE(window->GetDirtyBits() & CDocWindow::kDirtyRedraw, 0u);
    app->Heartbeat(false);
    EXPECT_EQ(window->GetDirtyBits() & CDocWindow::kDirtyRedraw, 0u);

    ASSERT_EQ(history.Undo(), 0);
    selection.RemoveNotOwnedBy(window->GetSceneTable());
    EXPECT_NE(sphere->GetOwningTable(), window->GetSceneTable());
    EXPECT_EQ(selection.GetCount(), 0u);
    ASSERT_EQ(history.Redo(), 0);
    ASSERT_EQ(selection.GetCount(), 1u);
    EXPECT_EQ(selection.GetObject(0), sphere);
  });
}

}  // namespace
