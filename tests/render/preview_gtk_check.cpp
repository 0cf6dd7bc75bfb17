// A preview mini-scene in a canvas on the real back end, for preview_gtk.sh to look at and drag from
// outside: the canvas stands at (100, 100), the preview's element at (30, 20) in it. Prints "canvas
// ID" and "ready"; reads "render" (renders to the end and prints "pixel X Y RRGGBB" of the image at
// (48, 48) and (3, 3)) and "quit"; a press in the element drags the camera and prints "dragged" with
// the camera's eye, then the image's pixel at (3, 3); a press elsewhere does nothing.
#include <cstdio>
#include <memory>
#include <string>

#include "framework/core/holder.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "render/preview_scene.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/factory.h"
#include "scene/surface/material.h"
#include "tests/framework/ui/gtk_check.h"

namespace {

constexpr SRect kPlace{20, 30, 116, 126};
constexpr CImVector kCanvasColour{0x0000C000};

uint32_t ImagePixel(CImage* image, int32_t x, int32_t y) {
  const SRect whole = image->GetBounds();
  CImNavigator nav(image, &whole, false, false);
  return nav.IsUsable() ? nav.Cells(uint32_t(y))[x].value & 0x00FFFFFF : 0xFFFFFFFF;
}

class PreviewCanvas : public CCanvas {
 public:
  PreviewCanvas(CPreviewScene& preview, CElement& element)
      : CCanvas({100, 100, 260, 300}, true, 0x80000000, &kCanvasColour, 10), fPreview(preview), fElement(element) {}
  int32_t OnPaint(SWinEvent& event) override {
    CCanvas::OnPaint(event);
    fPreview.Paint(&fElement, GetDeviceContext(), nullptr);
    return 1;
  }
  // Presses outside the element only bring the application forward.
  int32_t OnPointerPress(SWinEvent& event) override {
    const SPointHV at = ScreenToCanvas({event.x, event.y});
    if (at.h < kPlace.left || at.h >= kPlace.right || at.v < kPlace.top || at.v >= kPlace.bottom) return 1;
    fPreview.Paint(&fElement, GetDeviceContext(), &event);
    const vector3<double> eye = fPreview.GetCamera()->GetTransformVector3();
    std::printf("dragged %.4f %.4f %.4f\n", eye.x, eye.y, eye.z);
    std::printf("pixel 3 3 %06X\n", ImagePixel(fPreview.GetImage(), 3, 3));
    std::fflush(stdout);
    return 1;
  }

 private:
  CPreviewScene& fPreview;
  CElement& fElement;
};

int Run(COrdaxApp& app, const std::string&) {
  if (C3dBaseSys::RegisterAllClasses() || C3dBaseSys::ResetAllClasses(8, 16, 32)) return 1;
  int status = 1;
  {
    CPreviewScene preview;
    if (preview.BuildSample(96, 96, true, true, CPreviewScene::kSphere)) {
      std::fprintf(stderr, "preview_gtk_check: the preview cannot be built\n");
    } else {
      // The dialog's material: the sphere red.
      SObjectKey key;
      SSpoolTableSpec spec;
      MakeCreationKey<C3dMaterial>(app.GetObjectsEnv(), key, spec);
      C3dMaterial* material = nullptr;
      if (NewObject(&material, nullptr, key, spec) == 0) {
        CHolder holder(material, true, false);
        material->GetRecord().sample.diffuseColour = {0.9f, 0.1f, 0.1f};
      }
      if (material) preview.GetSample()->SetMaterial(material->GetHandle());
      SElementDesc desc;
      CElement::MakeDescription(desc, kPlace, true, false, false, "preview", "", "");
      CElement element(desc);
      PreviewCanvas canvas(preview, element);
      canvas.Show();
      std::printf("canvas %llu\nready\n", static_cast<unsigned long long>(platform::NativeWindowId(canvas.GetWindow())));
      std::fflush(stdout);
      ServeCommands(app, [&](const std::string& line) {
        if (line.rfind("render", 0) != 0) return;
        int32_t result = 24;
        while (result == 24) result = preview.Render(canvas.GetDeviceContext(), kPlace);
        std::printf("rendered %d\n", result);
        for (const int32_t at : {48, 3}) std::printf("pixel %d %d %06X\n", at, at, ImagePixel(preview.GetImage(), at, at));
      });
      delete material;
      status = 0;
    }
  }
  C3dBaseSys::UnregisterAllClasses();
  return status;
}

}  // namespace

int main(int argc, char** argv) { return RunGtkCheck(argc, argv, &Run); }
