// Opening the material composer: its build from the compiled layout, the binding to a document
// window with a working copy of the material to edit, and the failures that leave it unbuilt.
#include <gtest/gtest.h>

#include "tests/app/material_composer_fixture.h"

namespace {

using MaterialComposerOpen = MaterialComposerTest;

TEST_F(MaterialComposerOpen, BindingCopiesTheSelectedSpheresMaterial) {
  BuildScene();
  C3dObject* ball = Selection().GetObject(0);
  CMaterialComposer& c = Open();
  EXPECT_TRUE(SameRecord(Working(), RecordOf(MaterialOf(ball))));
  EXPECT_TRUE(c.IsShown());
}

}  // namespace
