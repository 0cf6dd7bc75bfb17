// The material composer and the 3D texture editor together, headless over a document window and the
// build's layouts: an Alt-click on a component's swatch opens the editor on its texture; the texture
// edited and saved under a new name becomes that component's texture.
#include <gtest/gtest.h>

#include "editors/material/replace_texture.h"
#include "editors/material/save_new_texture.h"
#include "tests/app/material_composer_fixture.h"

namespace {

class DTEditorEndToEnd : public MaterialComposerTest {
 protected:
  void SetUp() override {
    MaterialComposerTest::SetUp();
    if (HasFatalFailure()) return;
    SetCurrentDocWindow(window);
    saveNew = std::make_unique<CSaveNewTexture>(owner, quickLayout.get());
    replace = std::make_unique<CReplaceTexture>(owner, quickLayout.get());
    dt->SetContext(saveNew.get(), replace.get(), nullptr);
  }
  void TearDown() override {
    SetCurrentDocWindow(nullptr);
    replace.reset();
    saveNew.reset();
    MaterialComposerTest::TearDown();
  }
  static std::vector<uint8_t> Record(C3dBase* thing) {
    CHolder held(thing, false, false);
    return std::vector<uint8_t>(thing->GetData() + C3dTexture::kDataOffset, thing->GetData() + C3dTexture::kRecordSize);
  }
  static std::string Name(C3dBase* thing) {
    CHolder held(thing, false, false);
    return reinterpret_cast<const char*>(thing->GetData());
  }

  std::unique_ptr<CSaveNewTexture> saveNew;
  std::unique_ptr<CReplaceTexture> replace;
};

TEST_F(DTEditorEndToEnd, AComponentEditedAndSavedUnderANewNameTakesTheNewTexture) {
  Open();
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 1, CMaterialComposer::kProcedural, 0), 0);
  CBaseTexture* opened = composer->GetMaterial()->GetChannelTexture(1);
  ASSERT_NE(dynamic_cast<C3dTexture*>(opened), nullptr);
  const std::vector<uint8_t> before = Record(opened);

  Click(composer->GetComponentColor(1), {kAlt});
  ASSERT_TRUE(dt->IsShown());
  EXPECT_EQ(dt->GetTargetChannel(), 1);
  Click(dt->GetPanelElement(0, need::kDTShuffle));
  Click(dt->GetGlobalElement(need::kDTOk));
  EXPECT_FALSE(dt->IsShown());
  ASSERT_TRUE(saveNew->IsShown());
  saveNew->SetName("Fresh from the editor");
  CElement* saveOk = nullptr;
  ASSERT_EQ(CElSystem::FindByName(saveNew->GetRoot(), need::kSaveNewTexture.ok.name, &saveOk), 0);
  Click(saveOk);
  EXPECT_FALSE(saveNew->IsShown());

  CBaseTexture* taken = composer->GetMaterial()->GetChannelTexture(1);
  ASSERT_NE(taken, nullptr);
  EXPECT_NE(taken, opened);
  EXPECT_EQ(taken->GetOwningTable(), window->GetSceneTable());
  EXPECT_EQ(Name(taken), "Fresh from the editor");
  EXPECT_NE(Record(taken), before);
  EXPECT_EQ(dt->GetOwnerName(), nullptr);
}

}  // namespace
