// quarn2-pict IN OUT.bmp: reads a picture with the program's readers, chosen by the input's extension
// as the picture dialog chooses them, and writes it as a 24-bit BMP file. On failure the error's text
// goes to the standard error stream, the exit status is 1, and no output file is left; wrong
// arguments give a usage line and status 2.
#include <cstdio>
#include <memory>

#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "framework/image/image_io.h"
#include "tools/tool_app.h"

namespace {

int Fail(int32_t code) {
  std::fprintf(stderr, "%s\n", BuiltInMessageFor(code).c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quarn2-pict IN OUT.bmp\n");
    return 2;
  }
  CToolApp app("quarn2-pict");
  if (!app.IsReady()) {
    std::fprintf(stderr, "quarn2-pict: the framework could not start\n");
    return 1;
  }
  CFileSpec in, out;
  if (const int32_t err = in.Set(argv[1])) return Fail(err);
  if (const int32_t err = out.Set(argv[2])) return Fail(err);
  CImage* read = nullptr;
  if (const int32_t err = CImageIO::ReadByType(in, CImageIO::TypeOfPath(in.GetPath()), &read)) return Fail(err);
  std::unique_ptr<CImage> image(read);
  if (const int32_t err = SaveImageAsBmp(out, image.get(), true)) return Fail(err);
  return 0;
}
