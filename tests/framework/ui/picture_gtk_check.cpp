// Pictures on the real back end, for picture_gtk.sh to look at from outside. Two image canvases built
// from "canv" and "imca" records over a grey colour, both with a 100 x 100 backdrop whose left half is
// red and right half blue:
//   - "backdrop", 300 x 200 at (100, 100), the backdrop at (100, 50), drawn by the canvas itself;
//   - "composed", 300 x 200 at (100, 400), the backdrop at (0, 0), painted into an image with an
//     element tree over it: a green composite element at (20, 150) to (80, 250) casting its shadow
//     (6, 6, radius 3) into its outsets, and an image element at (120, 20) showing a 40 x 40 yellow
//     picture with its own shadow, fitted to it.
// Prints "window backdrop ID", "window composed ID", then "ready"; on "move H V" the backdrop canvas
// moves its picture there with redraw. Ends on "quit" or at the end of the standard input.
// Argument: a folder for the layout file.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "framework/core/file.h"
#include "framework/core/resource_env.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "framework/ui/element.h"
#include "framework/ui/im_canvas.h"
#include "tests/framework/ui/gtk_check.h"

namespace {

const SLayoutSource kLayout[] = {
    {"canv", 1, "backdrop", "frame 100 100 300 400\ncolour 0x00808080\noptions 1\n"},
    {"imca", 1, "backdrop", "picturename \"halves\"\noffset 100 50\nflags 0x17\n"},
    {"canv", 2, "composed", "frame 400 100 600 400\ncolour 0x00808080\noptions 1\n"},
    {"imca", 2, "composed", "picture 10\noffset 0 0\nflags 0x15\n"},
    {"elem", 1, "tree", "rect 0 0 200 300\nset 1\nflags 0x11\n"},
    {"eset", 1, "", "coel 2\nimel 3\n"},
    {"elem", 2, "", "name \"box\"\nrect 20 150 80 250\nflags 1\n"},
    {"coel", 2, "", "colour 0x0000C000\nshadow 6 6 3\nflags 0x7\n"},
    {"elem", 3, "", "name \"sun\"\nrect 120 20 121 21\nflags 1\n"},
    {"imel", 3, "", "picture 11\nshadow 5 5 2\nflags 0x665\n"},
};

// A picture of the layout file, written through the program's image record.
template <typename F>
bool StorePicture(CResourceEnv& env, uint32_t number, const char* name, uint32_t width, uint32_t height, F pixel) {
  SSpoolKey key;
  key.Set(kImageType, number, false);
  std::strncpy(key.name, name, sizeof key.name - 1);
  if (!env.PutResource(key)) return false;
  SGridLayout grid;
  MakeImageGridSpec(grid, &env, width, height);
  CImage image(grid);
  key.isNew = 1;
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  if (!image.Subscribe(spec)) return false;
  {
    CImNavigator nav(&image, nullptr, true, false);
    if (!nav.IsUsable()) return false;
    for (uint32_t y = 0; y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) nav.Cells(y)[x].value = pixel(x, y);
  }
  return image.Unsubscribe();
}

// An image canvas that paints its backdrop into an image, composes its element tree over it pass by
// pass and shows the result.
class ComposedCanvas : public CImCanvas {
 public:
  ComposedCanvas() : CImCanvas({0, 0, 10, 10}, false, 0x80000000, nullptr, 10) {}
  ~ComposedCanvas() override {
    delete fPort;
    delete fRoot;
  }

  int32_t Build(CResourceEnv* env) {
    if (const int32_t err = LoadFromResource(env, 2, nullptr)) return err;
    if (const int32_t err = CElement::NewByNumber(&fRoot, env, 1)) return err;
    int32_t err = 0;
    fPort = NewDataImage(uint32_t(RectWidth(fBounds)), uint32_t(RectHeight(fBounds)), &err);
    return fPort ? 0 : err;
  }

  // Until the tree is there (while the records are read), the canvas draws as any image canvas.
  bool Redraw(const SRect* rect) override {
    if (!fRoot || !fPort) return CImCanvas::Redraw(rect);
    fPort->SetOrigin(0, 0);
    fPort->ClipToBounds();
    if (DrawInto(fPort) != 0) return false;
    for (uint32_t pass = 0; pass < 3; ++pass) {
      if (fRoot->Draw(pass, fPort, true) != 0) return false;
    }
    return fPort->DrawTo(GetDeviceContext());
  }

 private:
  CElement* fRoot = nullptr;
  CImage* fPort = nullptr;
};

int Run(COrdaxApp& app, const std::string& folder) {
  CFileSpec spec;
  spec.Set((folder + "/layout.dat").c_str());
  auto env = std::make_unique<CResourceEnv>(spec, CFile::kModeReadWrite);
  const auto halves = [](uint32_t x, uint32_t) { return x < 50 ? 0xFFFF0000u : 0xFF0000FFu; };
  if (!env->IsOpen() || !StoreLayoutSources(*env, kLayout, "picture_gtk_check") || !StorePicture(*env, 10, "halves", 100, 100, halves) ||
      !StorePicture(*env, 11, "sun", 40, 40, [](uint32_t, uint32_t) { return 0xFFFFFF00u; }))
    return 1;
  int status = 0;
  {
    CImCanvas backdrop({0, 0, 10, 10}, false, 0x80000000, nullptr, 10);
    ComposedCanvas composed;
    if (const int32_t err = backdrop.LoadFromResource(env.get(), 1, nullptr)) {
      std::fprintf(stderr, "picture_gtk_check: the backdrop canvas: code %d\n", err);
      return 1;
    }
    if (const int32_t err = composed.Build(env.get())) {
      std::fprintf(stderr, "picture_gtk_check: the composed canvas: code %d\n", err);
      return 1;
    }
    backdrop.Show();
    composed.Show();
    backdrop.Redraw(nullptr);
    composed.Redraw(nullptr);
    std::printf("window backdrop %llu\nwindow composed %llu\nready\n",
                static_cast<unsigned long long>(platform::NativeWindowId(backdrop.GetWindow())),
                static_cast<unsigned long long>(platform::NativeWindowId(composed.GetWindow())));
    std::fflush(stdout);
    ServeCommands(app, [&](const std::string& line) {
      int h = 0, v = 0;
      if (std::sscanf(line.c_str(), "move %d %d", &h, &v) == 2 && backdrop.SetImageOffset({h, v}, true) != 0)
        status = 1;
    });
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) { return RunGtkCheck(argc, argv, &Run); }
