// The quick 3D texture dialog as the program opens it: from a component of the material composer,
// whose slot takes the texture chosen; from the command 'e3dT'; and from the sky & fog editor's
// "edit stratus" and "edit cumulus". A show-again message while it shows leaves the modal level.
#include <gtest/gtest.h>

#include "app/palette_manager.h"
#include "document/texture_selection.h"
#include "editors/material/edit_3d_texture.h"
#include "framework/core/four_cc.h"
#include "framework/ui/menu.h"
#include "tests/app/material_composer_fixture.h"
#include "tests/app/shell_fixture.h"

namespace {

CUIMessage Message(uint32_t kind, const char* canvas, const char* element) {
  CUIMessage message;
  message.Init(kind, element, nullptr, canvas, 0);
  return message;
}

std::string NameOf(C3dBase* thing) {
  CHolder held(thing, false, false);
  return held.IsLocked() ? std::string(reinterpret_cast<const char*>(thing->GetData())) : std::string();
}

class QuickTextureComposer : public MaterialComposerTest {};

// A press on a component's colour opens the dialog on that slot; "ok" after choosing Marble gives the
// slot the library's Marble as one undo step.
TEST_F(QuickTextureComposer, AComponentPressOpensItAndOkGivesTheSlotTheTextureChosen) {
  Open();
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 1, CMaterialComposer::kProcedural, 0), 0);
  composer->UpdateNow();
  Click(composer->GetComponentColor(1));
  ASSERT_TRUE(quick->IsShown());
  EXPECT_EQ(quick->GetTargetSlot(), 1);
  EXPECT_STREQ(quick->GetReplyName(), kComposer);
  EXPECT_EQ(quick->GetLibrary(), textures.get());

  // Row 3 of the menu, the library's Marble, with the dialog where the whole menu fits below the press.
  quick->MoveTo({100, 100});
  const uint32_t marble = quick->GetMenu()->FindCommandByText("Marble");
  ASSERT_EQ(marble, 3u);
  // The fixture's messages name the element first; the press's point is on the screen, as the
  // element's press callback gives it.
  CUIMessage press = Message(0, "texture name", "edit 3dtexture");
  press.firstPoint = quick->CanvasToScreen({40, 40});
  const SPointHV menu = press.firstPoint;
  ASSERT_TRUE(platform::headless::AddScript("wait 20\nmove " + std::to_string(menu.h + 33) + " " +
                                            std::to_string(menu.v + 3 + 2 * 19 + 9) +
                                            "\nwait 20\ndown left\nwait 20\nup left\n"));
  EXPECT_EQ(quick->HandleEvent(&press), kHandled);
  Settle();
  ASSERT_EQ(quick->GetResultHandle(), marble);

  composer->GetUndo().Clear();
  const uint32_t head = composer->GetUndo().GetHead();
  CUIMessage ok = Message(0, "ok", "edit 3dtexture");
  EXPECT_EQ(quick->HandleEvent(&ok), kHandled);
  Settle();
  EXPECT_FALSE(quick->IsShown());
  CBaseTexture* slot = nullptr;
  {
    CHolder held(composer->GetMaterial(), false, false);
    slot = composer->GetMaterial()->GetChannelTexture(1);
  }
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(NameOf(slot), "Marble");
  EXPECT_EQ(TextureSelectionOf(slot), marble);
  EXPECT_EQ(composer->GetUndo().GetHead(), (head + 1) % composer->GetUndo().GetCapacity());
  EXPECT_NE(Undone(), nullptr);
  // Undone, the slot has its texture of before.
  EXPECT_EQ(composer->GetUndo().Undo(), 0);
  {
    CHolder held(composer->GetMaterial(), false, false);
    slot = composer->GetMaterial()->GetChannelTexture(1);
  }
  EXPECT_TRUE(slot == nullptr || TextureSelectionOf(slot) != marble);
}

using QuickTextureProgram = ShellTest;

// 'e3dT' opens the dialog on handle 0: a row of the library picked at random, and no reply name.
TEST_F(QuickTextureProgram, TheCommandOpensItOnARandomTexture) {
  Run([&] {
    CEdit3dTexture* quick = pm->GetCanvases()->edit3dTexture;
    ASSERT_NE(quick, nullptr);
    EXPECT_EQ(pm->DoCommand(FourCC("e3dT")), kHandled);
    EXPECT_TRUE(quick->IsShown());
    ASSERT_NE(quick->GetTexture(), nullptr);
    EXPECT_NE(quick->GetResultHandle(), 0u);
    EXPECT_NE(quick->GetMenu()->FindItemIndex(quick->GetResultHandle()), 0u);
    EXPECT_EQ(quick->GetReplyName(), nullptr);
    CUIMessage cancel = Message(0, "edit 3dtexture", "cancel");
    EXPECT_EQ(quick->HandleEvent(&cancel), kHandled);
    EXPECT_FALSE(quick->IsShown());
  });
}

// "edit stratus" and "edit cumulus" open it on the library's cloud textures, answering the sky editor;
// a show-again message from another canvas while it shows leaves the modal level as it is.
TEST_F(QuickTextureProgram, TheSkyEditorOpensItOnTheCloudTextures) {
  Run([&] {
    CEdit3dTexture* quick = pm->GetCanvases()->edit3dTexture;
    CUICmFunction* owner = quick->GetOwner();
    for (auto [element, name, id] : {std::tuple{"edit stratus", "Stratus", 1u}, std::tuple{"edit cumulus", "Cumulus", 2u}}) {
      const uint32_t level = owner->GetModalLevel();
      CUIMessage message = Message(0, "edit skyfog", element);
      pm->HandleUIMessage(&message);
      ASSERT_TRUE(quick->IsShown()) << element;
      EXPECT_EQ(NameOf(quick->GetTexture()), name);
      EXPECT_EQ(quick->GetResultHandle(), id);
      EXPECT_STREQ(quick->GetReplyName(), "edit skyfog");
      EXPECT_EQ(owner->GetModalLevel(), level + 1);
      CUIMessage again = Message(0, "some palette", "edit 3dtexture");
      EXPECT_EQ(quick->HandleEvent(&again), kHandled);
      EXPECT_TRUE(quick->IsShown());
      EXPECT_EQ(owner->GetModalLevel(), level + 1);
      CUIMessage ok = Message(0, "edit 3dtexture", "ok");
      EXPECT_EQ(quick->HandleEvent(&ok), kHandled);
      EXPECT_FALSE(quick->IsShown());
      EXPECT_EQ(owner->GetModalLevel(), level);
      EXPECT_EQ(quick->GetReplyName(), nullptr);
    }
  });
}

}  // namespace
