// Element pictures for the composite and image element tests: a white 200 × 200 port that a shown
// root element draws its tree into, pass by pass, and pictures stored in the layout file through the
// program's own image record.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/ix_loader.h"
#include "framework/image/image.h"
#include "framework/ui/element.h"
#include "tests/framework/image/image_fixture.h"
#include "tests/framework/ui/element_fixture.h"

// A root element that logs the areas its children ask it to repaint.
class LoggingRoot : public CElement {
 public:
  using CElement::CElement;
  int32_t Invalidate(const SRect& rect) override {
    invalidated.push_back(rect);
    return 0;
  }
  std::vector<SRect> invalidated;
};

class PictureTest : public LayoutTest {
 protected:
  static constexpr uint32_t kWhite = 0x00FFFFFF;
  static constexpr uint32_t kPasses = 3;

  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }

  void SetUp() override {
    LayoutTest::SetUp();
    root = std::make_unique<LoggingRoot>(Desc({0, 0, 200, 200}));
    port = SolidImage(200, 200, kWhite);
    ASSERT_NE(port, nullptr);
  }
  void TearDown() override {
    root.reset();
    port.reset();
    LayoutTest::TearDown();
  }

  // Passes 0 to kPasses - 1 of the tree into the port, which is filled with background first.
  void DrawTree(uint32_t background = kWhite) {
    port->SetOrigin(0, 0);
    port->ClipToBounds();
    ASSERT_TRUE(port->Fill(background));
    for (uint32_t pass = 0; pass < kPasses; ++pass) ASSERT_EQ(root->Draw(pass, port.get(), true), 0) << pass;
  }
  uint32_t At(int32_t x, int32_t y) { return PixelAt(*port, uint32_t(x), uint32_t(y)); }
  // Every pixel of the rect, and of nothing else, is inside; outside is white.
  void ExpectFilled(const SRect& rect, uint32_t inside) {
    const std::vector<uint32_t> pixels = Pixels(*port);
    for (int32_t y = 0; y < 200; ++y) {
      for (int32_t x = 0; x < 200; ++x) {
        const bool in = IsPointInRect({x, y}, rect);
        ASSERT_EQ(pixels[size_t(y) * 200 + size_t(x)], in ? inside : kWhite) << x << " " << y;
      }
    }
  }

  // A width × height picture of the layout file whose pixel (x, y) is pixel(x, y).
  template <typename F>
  void PutPicture(uint32_t number, const char* name, uint32_t width, uint32_t height, F pixel) {
    env->DeleteResource(Key(kImageType, number));
    ASSERT_EQ(StoreImage(*env, Key(kImageType, number, name), width, height, pixel), kNoErr);
  }
  void PutSolidPicture(uint32_t number, const char* name, uint32_t width, uint32_t height, uint32_t value) {
    PutPicture(number, name, width, height, [value](uint32_t, uint32_t) { return value; });
  }

  std::unique_ptr<LoggingRoot> root;
  std::unique_ptr<CImage> port;
};
