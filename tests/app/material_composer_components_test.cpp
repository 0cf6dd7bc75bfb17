// The material composer's texture components: the swatches rendered in idle time, the type, texture,
// picture and mapping menus, the names new picture textures get, and the commands of the composer's
// message handler, replies of the editors it opens included.
#include <gtest/gtest.h>

#include "document/texture_selection.h"
#include "framework/ui/menu.h"
#include "platform/menu.h"
#include "scene/base_spool_table.h"
#include "scene/surface/pict_texture.h"
#include "tests/app/material_composer_fixture.h"

namespace {

class MaterialComposerComponents : public MaterialComposerTest {
 protected:
  // A procedural texture of the document, named.
  C3dTexture* AddTexture(const char* name) {
    C3dTexture* texture = nullptr;
    EXPECT_EQ(AppendNew(&texture, window->GetSceneTable(), app->GetObjectsEnv()), 0);
    if (texture) SetName(texture, name);
    return texture;
  }
  C3dBase* FirstPicture() {
    C3dBaseSpoolTable* pictures = window->GetPictureList();
    CHolder held(pictures, false, false);
    return held.IsLocked() && pictures->GetCount() ? pictures->At(0) : nullptr;
  }
  // The rows of a menu: text and command.
  static std::vector<std::pair<std::string, uint32_t>> Rows(CMenu* menu) {
    std::vector<std::pair<std::string, uint32_t>> rows;
    CHolder held(menu, false, false);
    for (uint32_t i = 0; held.IsLocked() && i < menu->GetCount(); ++i) {
      const CMenuItem& row = (*menu)[i];
      EXPECT_TRUE(row.flags & CMenu::kItemCheckable) << row.text;
      rows.emplace_back(row.text, row.command);
    }
    return rows;
  }
  static bool Ticked(CMenu* menu, uint32_t row) {
    return platform::GetMenuState(menu->GetPlatformMenu(), row, platform::kMfByCommand) == uint32_t(platform::kMfChecked);
  }
  CBaseTexture* Slot(int c) { return composer->GetMaterial()->GetChannelTexture(c); }
  // The swatch state of component c: its step and its next row.
  std::pair<uint32_t, uint32_t> SwatchState(int c) {
    CElement* colour = composer->GetComponentColor(c);
    return {colour->GetUserWord(CMaterialComposer::kStepWord), colour->GetUserWord(CMaterialComposer::kRowWord)};
  }
  // Swatch steps until none is left, each step's state of component c.
  std::vector<std::pair<uint32_t, uint32_t>> RenderAll(int c) {
    std::vector<std::pair<uint32_t, uint32_t>> states;
    for (int i = 0; i < 100; ++i) {
      if (composer->RenderSwatchStep() != 0) break;
      states.push_back(SwatchState(c));
    }
    return states;
  }
};

// ---- the swatches

// A procedural texture's swatches take four coarse rows at a time, then one row at a time; a
// picture's take one step.
TEST_F(MaterialComposerComponents, SwatchesRenderInCoarseThenFineSlices) {
  layoutCopy = LayoutCopy([](const std::string& t) { return SwatchesOfSize(t, 16); });
  MakeComposer(layoutCopy.get());
  Open();
  ASSERT_EQ(composer->GetSwatchImage(0)->GetWidth(), 16u);
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 0, CMaterialComposer::kProcedural, 0), 0);
  ASSERT_NE(dynamic_cast<C3dTexture*>(Slot(0)), nullptr);
  EXPECT_EQ(SwatchState(0), (std::pair<uint32_t, uint32_t>{4, 0}));
  std::vector<std::pair<uint32_t, uint32_t>> expected{{4, 4}, {4, 8}, {4, 12}, {1, 0}};
  for (uint32_t row = 1; row < 16; ++row) expected.push_back({1, row});
  expected.push_back({0, 0});
  EXPECT_EQ(RenderAll(0), expected);
  EXPECT_EQ(composer->RenderSwatchStep(), kHandled);

  ASSERT_NE(FirstPicture(), nullptr);
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 1, CMaterialComposer::kPicture, 0), 0);
  EXPECT_EQ(Slot(1), FirstPicture());
  EXPECT_EQ(composer->RenderSwatchStep(), 0);
  EXPECT_EQ(SwatchState(1), (std::pair<uint32_t, uint32_t>{0, 0}));
  EXPECT_EQ(composer->RenderSwatchStep(), kHandled);
}

// A width that four does not divide ends its coarse pass at the foot, drawing nothing below it.
TEST_F(MaterialComposerComponents, AnOddSwatchEndsItsCoarsePassAtItsFoot) {
  layoutCopy = LayoutCopy([](const std::string& t) { return SwatchesOfSize(t, 18); });
  MakeComposer(layoutCopy.get());
  Open();
  CImElement* colour = composer->GetComponentColor(0);
  SPointHV below;
  colour->LocalToRootPoint(&below, {4, 18});
  const uint32_t under = platform::headless::ScreenPixel(below.h, below.v);
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 0, CMaterialComposer::kProcedural, 0), 0);
  const std::vector<std::pair<uint32_t, uint32_t>> states = RenderAll(0);
  ASSERT_GE(states.size(), 5u);
  EXPECT_EQ(states[3], (std::pair<uint32_t, uint32_t>{4, 16}));
  EXPECT_EQ(states[4], (std::pair<uint32_t, uint32_t>{1, 0})) << "the fifth slice ends the coarse pass";
  EXPECT_EQ(states.size(), 5u + 18u);
  EXPECT_EQ(platform::headless::ScreenPixel(below.h, below.v), under);
}

// The idle task gives way to a key after a slice, and the preview waits for the swatches.
TEST_F(MaterialComposerComponents, TheIdleTaskYieldsToInputAndRendersThePreviewLast) {
  BuildScene();
  Open();
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 0, CMaterialComposer::kProcedural, 0), 0);
  ASSERT_TRUE(composer->GetPreview()->IsRenderPending());
  ASSERT_TRUE(platform::headless::AddScript("key 65\n"));
  EXPECT_EQ(composer->IdleStep(false), 0);
  EXPECT_EQ(SwatchState(0), (std::pair<uint32_t, uint32_t>{4, 4})) << "one slice";
  EXPECT_TRUE(composer->GetPreview()->IsRenderPending());
  app->FlushInput();
  ASSERT_TRUE(platform::headless::AddScript("keyup 65\n"));
  app->PumpMessages();
  app->FlushInput();
  EXPECT_EQ(composer->IdleStep(false), 0);
  EXPECT_EQ(SwatchState(0), (std::pair<uint32_t, uint32_t>{0, 0}));
  EXPECT_FALSE(composer->GetPreview()->IsRenderPending());
  EXPECT_EQ(composer->IdleStep(true), 0) << "a nested beat does nothing";
}

// What starts a component's swatches over: its colour swatch redrawn, a press on one of its swatches
// named for the composer, and a texture given to it.
TEST_F(MaterialComposerComponents, ARedrawAPressOrANewTextureRestartsTheSwatches) {
  BuildScene();
  Open();
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 0, CMaterialComposer::kProcedural, 0), 0);
  const auto finish = [&] {
    RenderAll(0);
    ASSERT_EQ(SwatchState(0), (std::pair<uint32_t, uint32_t>{0, 0}));
  };
  finish();
  composer->GetComponentColor(0)->Redraw();
  composer->UpdateNow();
  EXPECT_EQ(SwatchState(0), (std::pair<uint32_t, uint32_t>{4, 0}));
  finish();
  EXPECT_EQ(Send(0, "component a alpha", kComposer), kHandled);
  EXPECT_EQ(SwatchState(0), (std::pair<uint32_t, uint32_t>{4, 0}));
  EXPECT_EQ(composer->GetComponentBump(0)->GetUserWord(CMaterialComposer::kStepWord), 4u);
  finish();
  C3dTexture* texture = AddTexture("Rust");
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kAssignTexture, 0, CMaterialComposer::kProcedural,
                                   int32_t(TextureSelectionOf(texture))),
            0);
  EXPECT_EQ(Slot(0), texture);
  EXPECT_EQ(SwatchState(0), (std::pair<uint32_t, uint32_t>{4, 0}));
}

// ---- the menus

TEST_F(MaterialComposerComponents, TheTexturesMenuListsTheLibraryThenTheDocumentsOwn) {
  library = MakeLibrary(std::vector<std::string>{"Marble", "Wood", "Stratus"});
  C3dTexture* rust = AddTexture("Rust");
  C3dTexture* wood = AddTexture("Wood");
  Open(library.get());
  const uint32_t document = kDocumentTextureBit;
  EXPECT_EQ(Rows(composer->GetTextureMenu()), (std::vector<std::pair<std::string, uint32_t>>{
                                                   {"Marble", 128},
                                                   {"Wood", document | wood->GetId()},
                                                   {"Stratus", 130},
                                                   {"Rust", document | rust->GetId()},
                                               }));
}

TEST_F(MaterialComposerComponents, ALibraryWithoutTexturesListsTheDocumentsAlone) {
  library = MakeLibrary(std::vector<std::string>{});
  C3dTexture* rust = AddTexture("Rust");
  MakeComposer(nullptr, library.get());
  ASSERT_EQ(composer->BuildOnce(), 0);
  EXPECT_EQ(composer->AttachDocument(window), 0);
  EXPECT_EQ(Rows(composer->GetTextureMenu()),
            (std::vector<std::pair<std::string, uint32_t>>{{"Rust", kDocumentTextureBit | rust->GetId()}}));
}

// A document texture's row names it by its object id, which may be a library texture's resource id;
// one that is gone meanwhile is refused and the slot stays.
TEST_F(MaterialComposerComponents, ADocumentTexturesRowAssignsItAndAGoneOneIsRefused) {
  C3dTexture* rust = AddTexture("Rust");
  library = MakeLibrary({{rust->GetId(), "Marble"}});
  Open(library.get());
  CElement* name = composer->GetComponentName(0);
  const SPointHV at = Middle(composer->GetComponentType(0));
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 2)));
  EXPECT_EQ(composer->ChooseComponentTexture(at, name, 0), 0);
  EXPECT_EQ(Slot(0), rust);
  EXPECT_EQ(composer->GetComponentType(0)->GetTextList()->GetSelected(), 0u);
  EXPECT_STREQ(composer->GetComponentName(0)->GetText(), "Rust");

  C3dTexture* doomed = AddTexture("Doomed");
  ASSERT_EQ(composer->RebuildTextureMenu(), 0);
  ASSERT_EQ(window->GetSceneTable()->RemoveObject(doomed, true, false), 0);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 3)));
  EXPECT_EQ(composer->ChooseComponentTexture(at, name, 0), kErrObjectNotFound);
  EXPECT_EQ(Slot(0), rust);
}

// Menu 100: "procedural" gives an empty slot a new texture of the library, ticked in the textures
// menu; "picture" without pictures changes nothing but is a step; the present type is nothing.
TEST_F(MaterialComposerComponents, TheTypeMenuChangesTheComponentsKind) {
  Open();
  CTxElement* type = composer->GetComponentType(2);
  const SPointHV at = Middle(type);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 3)));
  EXPECT_EQ(composer->ComponentTypePopup(at, type, 2), 0);
  EXPECT_EQ(Undone(), nullptr) << "the present type";

  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 1)));
  EXPECT_EQ(composer->ComponentTypePopup(at, type, 2), 0);
  CBaseTexture* made = Slot(2);
  ASSERT_NE(dynamic_cast<C3dTexture*>(made), nullptr);
  EXPECT_EQ(composer->ComponentTypeState(2), uint32_t(CMaterialComposer::kProcedural));
  EXPECT_NE(Undone(), nullptr);
  CMenu* textures = composer->GetTextureMenu();
  const uint32_t row = textures->FindItemIndex(TextureSelectionOf(made));
  ASSERT_NE(row, 0u);
  EXPECT_EQ(textures->GetCurrentItem(), row);
  EXPECT_TRUE(Ticked(textures, row));
  EXPECT_TRUE(composer->GetComponentColor(2)->IsShown());

  // Without pictures in the document.
  C3dBaseSpoolTable* pictures = window->GetPictureList();
  {
    CHolder held(pictures, true, false);
    pictures->RemoveAt(0, pictures->GetCount());
  }
  composer->GetUndo().Clear();
  const SMaterialRecord before = Working();
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 2)));
  EXPECT_EQ(composer->ComponentTypePopup(at, type, 2), 0);
  EXPECT_TRUE(SameRecord(Working(), before));
  EXPECT_EQ(Slot(2), made);
  EXPECT_EQ(composer->ComponentTypeState(2), uint32_t(CMaterialComposer::kProcedural));
  EXPECT_NE(Undone(), nullptr) << "the step is recorded all the same";
}

// A picture texture without a name is named once, from the pattern of the layout or the built-in one.
TEST_F(MaterialComposerComponents, AnUnnamedPictureIsNamedOnceFromItsPattern) {
  const auto shortList = [](const std::string& t) {
    return std::regex_replace(t, std::regex(R"re(    1 "image %c%ld"\n)re"), "");
  };
  const auto noList = [](const std::string& t) {
    return std::regex_replace(t, std::regex(R"re(texts "new texture names" \{[^}]*\}\n)re"), "");
  };
  std::unique_ptr<CResourceEnv> layouts[] = {nullptr, LayoutCopy(shortList), LayoutCopy(noList)};
  for (auto& layout : layouts) {
    MakeComposer(layout ? layout.get() : nullptr);
    Open();
    C3dBase* picture = FirstPicture();
    ASSERT_NE(picture, nullptr);
    SetName(picture, "");
    SeedRandom(0, 1, 1);
    ASSERT_EQ(composer->RebuildPictureMenu(), 0);
    EXPECT_EQ(NameOf(picture), "image t79");
    SeedRandom(5, 6, 7);
    ASSERT_EQ(composer->RebuildPictureMenu(), 0);
    EXPECT_EQ(NameOf(picture), "image t79");
    EXPECT_EQ(Rows(composer->GetPictureMenu()),
              (std::vector<std::pair<std::string, uint32_t>>{{"image t79", picture->GetId()}}));
    composer->GetUndo().Clear();
    composer.reset();
  }
}

// A picture component's name opens the pictures menu: the row chosen is the picture given.
TEST_F(MaterialComposerComponents, ThePicturesMenuGivesTheChosenPicture) {
  CPictTexture* bark = nullptr;
  ASSERT_EQ(AppendNew(&bark, window->GetSceneTable(), app->GetObjectsEnv()), 0);
  SetName(bark, "bark");
  ASSERT_EQ(window->FindSceneParts(false), 0);
  Open();
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 1, CMaterialComposer::kPicture, 0), 0);
  C3dBase* first = FirstPicture();
  EXPECT_EQ(Slot(1), first);
  EXPECT_EQ(Rows(composer->GetPictureMenu()), (std::vector<std::pair<std::string, uint32_t>>{
                                                  {NameOf(first), first->GetId()}, {"bark", bark->GetId()}}));
  composer->GetUndo().Clear();
  const SPointHV at = Middle(composer->GetComponentName(1));
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 2)));
  EXPECT_EQ(composer->ChooseComponentTexture(at, composer->GetComponentName(1), 1), 0);
  EXPECT_EQ(Slot(1), bark);
  EXPECT_EQ(Working().component[1].textureTag, CPictTexture::kClassTag);
  EXPECT_STREQ(composer->GetComponentName(1)->GetText(), "bark");
  EXPECT_NE(Undone(), nullptr);
}

// Menu 101: the ticked mapping is no change; row 1 switches mirroring; row m + 3 sets mapping m.
TEST_F(MaterialComposerComponents, TheMappingMenuSetsMirroringAndTheMappingNumber) {
  Open();
  CImElement* mapping = composer->GetComponentMapping(1);
  const SPointHV at = Middle(mapping);
  const uint32_t present = uint32_t(Working().component[1].mappingMode);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, present + 3)));
  EXPECT_EQ(composer->ShowMappingMenu(at, mapping, 1), 0);
  EXPECT_EQ(Undone(), nullptr);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 1)));
  EXPECT_EQ(composer->ShowMappingMenu(at, mapping, 1), 0);
  EXPECT_EQ(mapping->GetUserWord(0), 1u);
  EXPECT_EQ(Working().component[1].flags & 1u, 1u);
  EXPECT_NE(Undone(), nullptr);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 7 + 3)));
  EXPECT_EQ(composer->ShowMappingMenu(at, mapping, 1), 0);
  EXPECT_EQ(Working().component[1].mappingMode, 7);
  EXPECT_EQ(mapping->GetImageList()->Selected(), 7u);
}

// ---- the commands

TEST_F(MaterialComposerComponents, AHiddenComposerTakesNoMessage) {
  Open();
  composer->Hide();
  for (const char* element : {"ok", "randomize", "component a color", "material grid"})
    EXPECT_EQ(Send(0, element, kComposer), 0) << element;
  EXPECT_EQ(Send(0, kComposer, "DTEditor", 0), 0);
}

// The 3D texture editors answer with the texture's selection handle and the component.
TEST_F(MaterialComposerComponents, AnEditorsReplyGivesTheComponentItsTexture) {
  C3dTexture* rust = AddTexture("Rust");
  Open();
  for (const char* editor : {"DTEditor", "edit 3dtexture"}) {
    composer->GetUndo().Clear();
    CUIMessage message = Message(0, kComposer, editor);
    message.SetPayloadWord(0, 0);
    message.SetPayloadWord(1, 2);
    EXPECT_EQ(composer->HandleEvent(&message), 0) << editor;
    EXPECT_EQ(Slot(2), nullptr) << editor;
    EXPECT_EQ(Undone(), nullptr) << editor;
    message.SetPayloadWord(0, int32_t(TextureSelectionOf(rust)));
    EXPECT_EQ(composer->HandleEvent(&message), 0) << editor;
    EXPECT_EQ(Slot(2), rust) << editor;
    EXPECT_NE(Undone(), nullptr) << editor;
    composer->SetComponent(CMaterialComposer::kTypeChosen, 2, CMaterialComposer::kNoTexture, 0);
  }
}

TEST_F(MaterialComposerComponents, ThePictureAndPresetRepliesRebuildTheirMenus) {
  Open();
  C3dBaseSpoolTable* pictures = window->GetPictureList();
  C3dBase* picture = FirstPicture();
  {
    CHolder held(pictures, true, false);
    pictures->Append(&picture);
  }
  const uint32_t rows = composer->GetPictureMenu()->GetCount();
  EXPECT_EQ(Send(0, "cancel", "picttextures"), 0);
  EXPECT_EQ(composer->GetPictureMenu()->GetCount(), rows);
  EXPECT_EQ(Send(0, kComposer, "picttextures"), 0);
  EXPECT_EQ(composer->GetPictureMenu()->GetCount(), rows + 1);

  AddTexture("Pond");
  const uint32_t textures = composer->GetTextureMenu()->GetCount();
  EXPECT_EQ(Send(0, kComposer, "objmatpresets"), 0);
  EXPECT_EQ(composer->GetTextureMenu()->GetCount(), textures) << "the presets changed nothing";
  ASSERT_EQ(Send(0, "material presets", kComposer), kHandled);
  ASSERT_NE(presets->GetChangedFlag(), nullptr);
  EXPECT_EQ(presets->GetEditorMaterial(), composer->GetMaterial());
  EXPECT_STREQ(presets->GetReplyName(), kComposer);
  *presets->GetChangedFlag() = 1;
  EXPECT_EQ(Send(0, kComposer, "objmatpresets"), 0);
  EXPECT_EQ(composer->GetTextureMenu()->GetCount(), textures + 1);
  EXPECT_FALSE(composer->HasPresetsChanged());
}

// A swatch message from the components' own canvas opens an editor for its component: with Alt the
// full one, else the quick one, and for a picture the pictures dialog.
TEST_F(MaterialComposerComponents, ASwatchOpensTheEditorOfItsComponentsKind) {
  Open();
  EXPECT_EQ(Send(0, "component e color", "material components"), 0);
  EXPECT_FALSE(quick->IsShown());
  EXPECT_EQ(Send(0, "component d color", "material components"), kHandled);
  EXPECT_EQ(quick->GetTargetSlot(), 3);
  EXPECT_EQ(quick->GetTargetMaterial(), composer->GetMaterial());
  EXPECT_STREQ(quick->GetReplyName(), kComposer);
  EXPECT_EQ(quick->GetLibrary(), textures.get());
  EXPECT_TRUE(quick->IsShown());
  quick->Close();

  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 3, CMaterialComposer::kProcedural, 0), 0);
  platform::headless::AddScript("key 18\n");
  Settle();
  EXPECT_EQ(Send(0, "component d bump", "material components"), kHandled);
  platform::headless::AddScript("keyup 18\n");
  Settle();
  EXPECT_STREQ(dt->GetOwnerName(), kComposer);
  EXPECT_EQ(dt->GetTargetMaterial(), composer->GetMaterial());
  EXPECT_EQ(dt->GetTargetChannel(), 3);
  EXPECT_EQ(dt->GetTextureSource(), textures.get());
  // The editor works on a copy of the component's texture, bound and shown.
  ASSERT_NE(dt->GetWorkingTexture(), nullptr);
  EXPECT_NE(static_cast<CBaseTexture*>(dt->GetWorkingTexture()), Slot(3));
  {
    CHolder slot(Slot(3), false, false);
    EXPECT_STREQ(dt->GetTextureName(), reinterpret_cast<const char*>(Slot(3)->GetData()));
  }
  EXPECT_TRUE(dt->AreControlsBound());
  EXPECT_TRUE(dt->IsShown());
  dt->Close();

  // The pictures dialog shows the current window's pictures.
  SetCurrentDocWindow(window);
  struct SForget {
    ~SForget() { SetCurrentDocWindow(nullptr); }
  } forget;
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 0, CMaterialComposer::kPicture, 0), 0);
  platform::headless::AddScript("key 18\n");
  Settle();
  EXPECT_EQ(Send(0, "component a alpha", "material components"), kHandled);
  platform::headless::AddScript("keyup 18\n");
  Settle();
  EXPECT_TRUE(pict->IsShown());
  EXPECT_STREQ(pict->GetCallerName(), kComposer);
  EXPECT_EQ(pict->GetTarget(), composer->GetMaterial());
  EXPECT_EQ(pict->GetResultFlag(), nullptr);
  EXPECT_EQ(pict->GetChannel(), 0u);
  EXPECT_EQ(static_cast<CBaseTexture*>(pict->GetCurrentTexture()), Slot(0));
  pict->Close();
}

// The preview's options switch its sample, which then wears the working material.
TEST_F(MaterialComposerComponents, ThePreviewOptionsSwitchTheSampleInTheWorkingMaterial) {
  BuildScene();
  // The preview copies the selection of the current window.
  SetCurrentDocWindow(window);
  struct SForget {
    ~SForget() { SetCurrentDocWindow(nullptr); }
  } forget;
  Open();
  CPreviewScene* preview = composer->GetPreview();
  ASSERT_EQ(preview->GetShapeCode(), CPreviewScene::kSelection);
  ASSERT_EQ(preview->GetSample(), preview->GetCopy()) << "a copy of the selected ball";
  EXPECT_EQ(preview->GetSample()->GetMaterial(), composer->GetMaterial()->GetHandle());
  CElement* options = nullptr;
  ASSERT_EQ(CElSystem::FindElement(composer->GetRoot()->GetChildren(), "preview options", &options, false), 0);
  const SPointHV at = Middle(options);
  CUIMessage message = Message(0, "preview options", kComposer);
  message.secondPoint = at;
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 3)));
  EXPECT_EQ(composer->HandleEvent(&message), kHandled);
  EXPECT_EQ(preview->GetShapeCode(), CPreviewScene::kCube);
  EXPECT_EQ(preview->GetSample(), preview->GetShape(CPreviewScene::kCube));
  EXPECT_EQ(preview->GetSample()->GetMaterial(), composer->GetMaterial()->GetHandle());
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 9)));
  EXPECT_EQ(composer->HandleEvent(&message), kHandled);
  EXPECT_EQ(preview->GetShapeCode(), CPreviewScene::kSelection);
  EXPECT_EQ(preview->GetSample(), preview->GetCopy());
  EXPECT_EQ(preview->GetSample()->GetMaterial(), composer->GetMaterial()->GetHandle());
}

// "copy" and "paste" go on to the component and default handling after their work.
TEST_F(MaterialComposerComponents, CopyAndPasteGoOnToTheDefaultHandling) {
  Open();
  EXPECT_EQ(Send(0, "copy", kComposer), 0);
  EXPECT_NE(window->GetCopiedMaterial(), nullptr);
  EXPECT_EQ(Undone(), nullptr);
  EXPECT_EQ(Send(0, "paste", kComposer), 0);
  EXPECT_NE(Undone(), nullptr);
}

// From the same generator state and material, "randomize" gives the same material; components no
// source reads lose their textures.
TEST_F(MaterialComposerComponents, RandomizeIsTheGeneratorsAndEmptiesUnusedSlots) {
  Open();
  for (int c = 0; c < 4; ++c)
    ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, c, CMaterialComposer::kProcedural, 0), 0);
  composer->GetUndo().Clear();
  ASSERT_EQ(Send(0, "copy", kComposer), 0);
  SMaterialRecord results[2];
  for (SMaterialRecord& result : results) {
    ASSERT_EQ(composer->PasteMaterial(), 0);
    SeedRandom(11, 1, 1);
    EXPECT_EQ(Send(0, "randomize", kComposer), kHandled);
    result = Working();
    for (int c = 0; c < 4; ++c) {
      if (composer->GetMaterial()->UsesComponent(c + 1)) continue;
      EXPECT_EQ(Slot(c), nullptr) << c;
      EXPECT_EQ(result.component[c].textureTag, 0u) << c;
    }
  }
  EXPECT_TRUE(SameRecord(results[0], results[1]));
  EXPECT_NE(Undone(), nullptr);
}

TEST_F(MaterialComposerComponents, ResetEmptiesTheSlotsWithTheDefaultFrequencyAndMapping) {
  Open();
  for (int c = 0; c < 4; ++c)
    ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, c, CMaterialComposer::kProcedural, 0), 0);
  EditWorking([](SMaterialRecord& r) {
    for (SMaterialComponent& component : r.component) {
      component.scale = 0.2;
      component.mappingMode = 6;
    }
  });
  EXPECT_EQ(Send(0, "reset", kComposer), kHandled);
  const SMaterialRecord r = Working();
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(Slot(c), nullptr);
    EXPECT_EQ(r.component[c].scale, 0.51);
    EXPECT_EQ(r.component[c].mappingMode, 1);
    EXPECT_EQ(composer->ComponentTypeState(c), uint32_t(CMaterialComposer::kNoTexture));
  }
}

// "ok" and "cancel" end the modal level and hide the composer; the working material gives back its
// texture uses and the composer's history empties.
TEST_F(MaterialComposerComponents, OkAndCancelCloseTheComposer) {
  for (const char* button : {"cancel", "ok"}) {
    Open();
    ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 0, CMaterialComposer::kProcedural, 0), 0);
    composer->RecordUndoStep();
    const uint32_t level = owner->GetModalLevel();
    EXPECT_EQ(Send(0, button, kComposer), kHandled) << button;
    EXPECT_EQ(owner->GetModalLevel(), level - 1) << button;
    EXPECT_FALSE(composer->IsShown()) << button;
    EXPECT_EQ(Slot(0), nullptr) << button;
    EXPECT_EQ(Undone(), nullptr) << button;
  }
}

// End to end: the colour of a component holding a picture opens the pictures dialog on it; a picture
// loaded there into an empty slot and confirmed with "ok" is the component's texture, and the document
// has changes that quitting asks about.
TEST_F(MaterialComposerComponents, APictureLoadedInTheDialogBecomesTheComponentsTexture) {
  SetCurrentDocWindow(window);
  struct SForget {
    ~SForget() { SetCurrentDocWindow(nullptr); }
  } forget;
  const std::string bark = Path("bark.bmp");
  ASSERT_EQ(std::system(("convert -size 16x12 xc:'#8B5A2B' BMP3:'" + bark + "'").c_str()), 0);
  Open();
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 1, CMaterialComposer::kPicture, 0), 0);
  ASSERT_NE(FirstPicture(), nullptr);
  window->ClearFlags(CDocWindow::kUnsavedChanges);

  Click(composer->GetComponentColor(1));
  ASSERT_TRUE(pict->IsShown());
  EXPECT_EQ(pict->GetChannel(), 1u);
  EXPECT_EQ(static_cast<C3dBase*>(pict->GetCurrentTexture()), FirstPicture());
  pict->MoveTo({300, 100});
  Settle();
  ASSERT_EQ(CPictTextures::SlotTexture(pict->GetSlot(3)), nullptr);
  Click(pict->GetSlot(3));
  EXPECT_EQ(pict->GetCurrentSlot(), pict->GetSlot(3));
  const auto button = [this](const char* name) {
    CElement* found = nullptr;
    EXPECT_EQ(CElSystem::FindByName(pict->GetRoot(), name, &found), 0) << name;
    return found;
  };
  Answer("open " + bark);
  Click(button("pict load"));
  CPictTexture* loaded = pict->GetCurrentTexture();
  ASSERT_NE(loaded, nullptr);
  Click(button("ok"));
  EXPECT_FALSE(pict->IsShown());
  EXPECT_EQ(Slot(1), loaded);
  {
    CHolder held(loaded, false, false);
    EXPECT_STREQ(reinterpret_cast<const char*>(loaded->GetData()), "bark");
    EXPECT_EQ(loaded->GetPicture().GetWidth(), 16u);
  }
  EXPECT_TRUE(window->GetFlags() & CDocWindow::kUnsavedChanges);
  EXPECT_NE(window->AskToSaveChanges(CDocWindow::kQuitAfterQuestion), 0) << "quitting asks first";
  window->ClearFlags(CDocWindow::kUnsavedChanges | CDocWindow::kQuitAfterQuestion);
}

// Deleting a picture in the dialog takes it out of the composer's working material and empties the
// composer's undo history, whose steps may hold it.
TEST_F(MaterialComposerComponents, ADeletedPictureLeavesTheComposer) {
  SetCurrentDocWindow(window);
  struct SForget {
    ~SForget() { SetCurrentDocWindow(nullptr); }
  } forget;
  Open();
  CTxElement* type = composer->GetComponentType(2);
  const SPointHV at = Middle(type);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 2)));
  EXPECT_EQ(composer->ComponentTypePopup(at, type, 2), 0);
  ASSERT_NE(FirstPicture(), nullptr);
  ASSERT_EQ(Slot(2), FirstPicture());
  ASSERT_NE(Undone(), nullptr) << "the picture's step";
  ASSERT_EQ(composer->OpenTextureEditor(2), 0);
  ASSERT_TRUE(pict->IsShown());
  CUIMessage message;
  message.Init(0, "delete pict", nullptr, "picttextures", 0);
  EXPECT_EQ(pict->HandleEvent(&message), kHandled);
  while (owner->GetQueueCount()) owner->DispatchQueued();
  EXPECT_EQ(Slot(2), nullptr);
  EXPECT_EQ(Undone(), nullptr);
  EXPECT_EQ(FirstPicture(), nullptr);
  pict->Close();
}

}  // namespace
