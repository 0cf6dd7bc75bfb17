// A 3D view on a new image and a camera outside the table, for drawing and picking tests; a small
// selection the tests fill.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "render/view.h"
#include "render/view_selection.h"
#include "tests/render/render_fixture.h"

class CTestSelection : public CViewSelection {
 public:
  uint32_t GetBoxMode() const override { return boxMode; }
  uint32_t GetCount() const override { return uint32_t(objects.size()); }
  C3dObject* GetObject(uint32_t index) const override { return index < objects.size() ? objects[index] : nullptr; }
  int32_t GetHandleSize() const override { return handleSize; }
  void SetHandle(uint32_t index, int32_t x, int32_t y, const vector3<double>& point) override {
    handles[index][0] = x;
    handles[index][1] = y;
    world[index] = point;
  }

  uint32_t boxMode = 0;
  std::vector<C3dObject*> objects;
  int32_t handleSize = 4;
  int32_t handles[kHandleCount][2] = {};
  vector3<double> world[kHandleCount];
};

class ViewTest : public RenderTest {
 protected:
  void TearDown() override {
    view.reset();
    RenderTest::TearDown();
  }

  // A view bound to a new black width × height image and the camera (a camera at the origin looking
  // along +z when there is none), its projection taken.
  template <typename V = CView>
  V& MakeView(int32_t width, int32_t height, CViewSelection* selection = nullptr) {
    if (!camera) LookFrom({0, 0, 0}, {0, 0, 1});
    delete image;
    int32_t error = 0;
    image = NewDataImage(uint32_t(width), uint32_t(height), &error);
    EXPECT_NE(image, nullptr) << error;
    SetPixels(0);
    auto* made = new V(selection);
    view.reset(made);
    view->SetImage(image);
    view->SetCamera(camera);
    view->SetObjectList(table);
    EXPECT_EQ(view->UpdateFromCamera(), 0);
    return *made;
  }
  // The pixels that are not value, as (x, y) pairs.
  std::vector<std::pair<int, int>> PixelsNot(uint32_t value) const {
    std::vector<std::pair<int, int>> out;
    const std::vector<uint32_t> pixels = Pixels();
    const int width = int(image->GetWidth());
    for (size_t i = 0; i < pixels.size(); ++i) {
      if (pixels[i] != value) out.push_back({int(i) % width, int(i) / width});
    }
    return out;
  }

  std::unique_ptr<CView> view;
};
