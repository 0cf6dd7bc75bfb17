#include "app/quarn_app.h"

#include <gtest/gtest.h>

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

TEST_F(QuarnAppInterface, ClassesThatCannotRegisterStopTheStartWithTheirCode) {
  // Without the environments of Init the meshes have nowhere to live.
  const size_t boxes = platform::headless::ShownBoxes().size();
  app->CreateUserInterface();
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes + 1);
  EXPECT_EQ(C3dSphere::GetClassMesh(0), nullptr);
  app->DeleteUserInterface();
}

}  // namespace
