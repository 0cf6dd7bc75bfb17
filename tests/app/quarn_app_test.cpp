#include "app/quarn_app.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/palette_manager.h"
#include "framework/core/el_registry.h"
#include "framework/image/image.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/rm_element.h"
#include "framework/ui/rs_element.h"
#include "platform/headless.h"
#include "scene/sphere.h"
#include "tests/framework/core/app_fixture.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

class QuarnAppInterface : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(tmp_.Path().empty());
    ASSERT_EQ(InitOrdax(), 0);
    app = new CQuarnApp(ProgramDesc());
  }
  void TearDown() override {
    delete app;
    TermOrdax();
  }

  CQuarnApp* app = nullptr;

 private:
  CPrivateTmpDir tmp_{"quarn2-app"};
};

TEST_F(QuarnAppInterface, TheInterfaceBuildMakesTheClassMeshesAndItsTeardownFreesThem) {
  app->Init(nullptr, nullptr, nullptr);
  ASSERT_NE(app->GetDataEnv(), nullptr);
  app->CreateUserInterface();
  EXPECT_NE(C3dSphere::GetClassMesh(0), nullptr);
  app->DeleteUserInterface();
  EXPECT_EQ(C3dSphere::GetClassMesh(0), nullptr);
  app->Term();
}

// The shadow pictures of the build's resource file become masks when the interface opens: black,
// their alpha 255 - red (the grey next to the window, 159, a shadow of 96).
TEST_F(QuarnAppInterface, TheInterfaceLoadsTheShadowPicturesAndItsTeardownFreesThem) {
  app->Init(nullptr, nullptr, nullptr);
  CFileSpec system;
  system.Set(QUARN2_SYSTEM_DAT);
  app->CAppl::OpenResourceEnvironment(&system);
  ASSERT_NE(app->GetResourceEnv(), nullptr);
  app->CreateUserInterface();
  for (uint32_t i = 0; i < 5; ++i) ASSERT_NE(GetShadowImage(i), nullptr) << i;
  CImage* right = GetShadowImage(3);
  EXPECT_EQ(right->GetWidth(), 8u);
  EXPECT_EQ(right->GetHeight(), 64u);
  {
    CImNavigator pixels(right, nullptr, false, false);
    ASSERT_TRUE(pixels.IsUsable());
    EXPECT_EQ(pixels.Cells(10)[0].value, 0x60000000u);
    EXPECT_EQ(pixels.Cells(10)[7].value, 0x00000000u);
  }
  app->DeleteUserInterface();
  EXPECT_EQ(GetShadowImage(0), nullptr);
  app->CAppl::CloseResourceEnvironment();
  app->Term();
}

TEST_F(QuarnAppInterface, ClassesThatCannotRegisterStopTheStartWithTheirCode) {
  // Without the environments of Init the meshes have nowhere to live.
  const size_t boxes = platform::headless::ShownBoxes().size();
  app->CreateUserInterface();
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes + 1);
  EXPECT_EQ(C3dSphere::GetClassMesh(0), nullptr);
  app->DeleteUserInterface();
}

TEST_F(QuarnAppInterface, TheElementKindsRegisterInOrderWithTheirFactories) {
  CElRegistry* registry = app->GetElementRegistry();
  ASSERT_EQ(registry->GetCount(), 6u);
  const char* tags[] = {"elem", "coel", "imel", "txel", "rmel", "rsel"};
  for (uint32_t i = 0; i < 6; ++i) EXPECT_STREQ(static_cast<const char*>((*registry)[i].owner), tags[i]) << i;
  EXPECT_EQ((*registry)[0].callback, &CElement::CreateFromResource);
  EXPECT_EQ((*registry)[4].callback, &CRmElement::CreateFromResource);
  EXPECT_EQ((*registry)[5].callback, &CRsElement::CreateFromResource);
}

std::vector<std::string> gDelivered;
int32_t Deliver(void*, void* record, void*) {
  gDelivered.push_back(static_cast<CUIMessage*>(record)->elementName);
  return 0;
}

TEST_F(QuarnAppInterface, AQueuedBroadcastReachesItsReceiverAtTheNextLoopStep) {
  CUICmFunction* broadcaster = app->GetPaletteManager()->GetBroadcaster();
  ASSERT_TRUE(broadcaster->IsValid());
  int receiver = 0;
  ASSERT_TRUE(broadcaster->Register(&receiver, &Deliver));
  CUIMessage message;
  message.Init(0, "reset palettes", nullptr, nullptr, CUIMessage::kBroadcast);
  ASSERT_TRUE(broadcaster->Enqueue(message));
  gDelivered.clear();
  app->Step();
  EXPECT_EQ(gDelivered, (std::vector<std::string>{"reset palettes"}));
  EXPECT_EQ(broadcaster->GetQueueCount(), 0u);
  EXPECT_TRUE(broadcaster->Unregister(&receiver));
}

}  // namespace
