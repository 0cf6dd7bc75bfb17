// quarn2-pict IN OUT.bmp: reads a picture with the program's readers, chosen by the input's extension
// as the picture dialog chooses them, and writes it as a 24-bit BMP file.
// quarn2-pict IN... OUT.avi: writes the pictures, in order, as the frames of a movie at 15 frames a
// second, the way the fly-around records; every picture must have the first one's size.
// On failure the error's text goes to the standard error stream, the exit status is 1, and no output
// file is left; wrong arguments give a usage line and status 2.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/image/avi_movie.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/clipboard.h"
#include "framework/image/image.h"
#include "framework/image/image_io.h"
#include "tools/tool_app.h"

namespace {

constexpr uint32_t kMovieRate = 600;   // 15 frames a second at the movie's scale of 40
constexpr int32_t kFrameDuration = 20;  // one sample a frame

int Fail(int32_t code) {
  std::fprintf(stderr, "%s\n", BuiltInMessageFor(code).c_str());
  return 1;
}

bool EndsWithAvi(const char* path) {
  const size_t n = std::strlen(path);
  if (n < 4) return false;
  const char* extension = ".avi";
  for (size_t i = 0; i < 4; ++i) {
    if (std::tolower(static_cast<unsigned char>(path[n - 4 + i])) != extension[i]) return false;
  }
  return true;
}

int32_t ReadPicture(const char* path, std::unique_ptr<CImage>* image) {
  CFileSpec in;
  if (const int32_t err = in.Set(path)) return err;
  CImage* read = nullptr;
  const int32_t err = CImageIO::ReadByType(in, CImageIO::TypeOfPath(in.GetPath()), &read);
  image->reset(read);
  return err;
}

// Every picture is read and checked before the movie starts, so that a bad one leaves no file.
int32_t WriteMovie(const std::vector<const char*>& inputs, const CFileSpec& out) {
  std::vector<std::unique_ptr<CImage>> frames(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    if (const int32_t err = ReadPicture(inputs[i], &frames[i])) return err;
    if (frames[i]->GetWidth() != frames[0]->GetWidth() || frames[i]->GetHeight() != frames[0]->GetHeight())
      return kErrInvalidParameter;
    if (!FlipImageRows(frames[i].get())) return NonZeroError(frames[i]->GetError());
  }
  CAviMovie movie;
  if (const int32_t err = movie.Open(&out)) return err;
  if (const int32_t err =
          movie.CreateStream(int32_t(frames[0]->GetWidth()), int32_t(frames[0]->GetHeight()), kMovieRate))
    return err;
  if (const int32_t err = movie.SetFormat(nullptr, frames[0].get())) return err;
  for (const auto& frame : frames) {
    if (const int32_t err = movie.WriteFrame(frame.get(), kFrameDuration)) return err;
  }
  return movie.ReleaseStream();
}

}  // namespace

int main(int argc, char** argv) {
  const bool movie = argc >= 3 && EndsWithAvi(argv[argc - 1]);
  if (argc < 3 || (argc > 3 && !movie)) {
    std::fprintf(stderr, "usage: quarn2-pict IN OUT.bmp | quarn2-pict IN... OUT.avi\n");
    return 2;
  }
  CToolApp app("quarn2-pict");
  if (!app.IsReady()) {
    std::fprintf(stderr, "quarn2-pict: the framework could not start\n");
    return 1;
  }
  CFileSpec out;
  if (const int32_t err = out.Set(argv[argc - 1])) return Fail(err);
  if (movie) {
    const int32_t err = WriteMovie(std::vector<const char*>(argv + 1, argv + argc - 1), out);
    return err ? Fail(err) : 0;
  }
  std::unique_ptr<CImage> image;
  if (const int32_t err = ReadPicture(argv[1], &image)) return Fail(err);
  if (const int32_t err = SaveImageAsBmp(out, image.get(), true)) return Fail(err);
  return 0;
}
