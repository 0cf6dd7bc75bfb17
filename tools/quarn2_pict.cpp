// quarn2-pict IN OUT.bmp: reads a picture with the program's readers (BMP, Photoshop, TIFF, PICT),
// chosen by the input's extension as the picture dialog chooses them, and writes it as a 24-bit BMP
// file. An extension that names no reader (".pct", ".tiff", none) leaves the choice to the file's
// first bytes; PICT files may carry the 512-byte preamble of a file or not.
// quarn2-pict IN... OUT.avi: writes the pictures, in order, as the frames of a movie at 15 frames a
// second, the way the fly-around records; every picture must have the first one's size.
// On failure the error's text goes to the standard error stream, the exit status is 1, and no output
// file is left; wrong arguments give a usage line and status 2.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/byte_reader.h"
#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/image/avi_movie.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/clipboard.h"
#include "framework/image/image.h"
#include "framework/image/image_io.h"
#include "framework/image/pict_file.h"
#include "platform/system.h"
#include "tools/tool_app.h"
#include "tools/tool_messages.h"

namespace {

constexpr uint32_t kMovieRate = 600;   // 15 frames a second at the movie's scale of 40
constexpr int32_t kFrameDuration = 20;  // one sample a frame

constexpr const char* kTool = "quarn2-pict";

bool EndsWithAvi(const char* path) {
  const size_t n = std::strlen(path);
  if (n < 4) return false;
  const char* extension = ".avi";
  for (size_t i = 0; i < 4; ++i) {
    if (std::tolower(static_cast<unsigned char>(path[n - 4 + i])) != extension[i]) return false;
  }
  return true;
}

constexpr size_t kPictPreamble = 512;
constexpr size_t kPictVersionField = 10;
constexpr uint32_t kPictVersion2 = 0x001102FF;  // the version opcode and version 2

struct SReaderChoice {
  int32_t type = CImageIO::kTypeNone;
  bool pict = false;
  size_t pictStart = 0;
};

bool IsPictAt(CByteReader in, size_t start) {
  uint32_t version = 0;
  return in.Seek(start + kPictVersionField) && in.ReadBE32(&version) && version == kPictVersion2;
}

// The extension's type code, or when it names no reader the one the first bytes show.
int32_t ChooseReader(const CFileSpec& spec, SReaderChoice* choice) {
  choice->type = CImageIO::TypeOfPath(spec.GetPath());
  if (choice->type != CImageIO::kTypeNone) return kNoErr;
  uint8_t head[kPictPreamble + kPictVersionField + 4] = {};
  uint32_t count = sizeof head;
  CFile file(spec);
  if (const int32_t err = file.Open(CFile::kModeRead)) return err;
  if (const int32_t err = file.Read(&count, head, false)) return err;
  const std::string magic(reinterpret_cast<const char*>(head), std::min<uint32_t>(count, 4));
  if (magic.starts_with("BM")) choice->type = CImageIO::kTypeBmp;
  else if (magic == "8BPS") choice->type = CImageIO::kTypePhotoshop;
  else if (magic == std::string("II*\0", 4) || magic == std::string("MM\0*", 4)) choice->type = CImageIO::kTypeTiff;
  const CByteReader in(head, count);
  for (size_t start : {size_t(0), kPictPreamble}) {
    if (choice->type == CImageIO::kTypeNone && IsPictAt(in, start)) {
      choice->pict = true;
      choice->pictStart = start;
    }
  }
  return kNoErr;
}

int32_t ReadPict(const CFileSpec& spec, size_t start, std::unique_ptr<CImage>* image) {
  CFile file(spec);
  CFileBytes bytes;
  if (const int32_t err = bytes.Load(file)) return err;
  CImPictFile pict(bytes.GetData() + start, bytes.GetLength() - start);
  int32_t width = 0, height = 0;
  int32_t err = pict.ReadPicture(&width, &height);
  if (!err) err = pict.ReadPixels(false);
  image->reset(pict.GetImage());
  return err;
}

// *refusal: the reader's sentence for a kind of file it does not take.
int32_t ReadPicture(const char* path, std::unique_ptr<CImage>* image, std::string* refusal) {
  CFileSpec in;
  if (const int32_t err = in.Set(path)) return err;
  SReaderChoice choice;
  if (const int32_t err = ChooseReader(in, &choice)) return err;
  if (choice.pict) return ReadPict(in, choice.pictStart, image);
  CImage* read = nullptr;
  const int32_t err = CImageIO::ReadByType(in, choice.type, &read, refusal);
  image->reset(read);
  return err;
}

// Every picture is read and checked before the movie starts, so that a bad one leaves no file; *bad
// is the picture a failure is about, and stays null when it is about the movie.
int32_t WriteMovie(const std::vector<const char*>& inputs, const CFileSpec& out, const char** bad,
                   std::string* refusal) {
  std::vector<std::unique_ptr<CImage>> frames(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    if (platform::IsStopRequested()) return kSilentCode24;
    *bad = inputs[i];
    if (const int32_t err = ReadPicture(inputs[i], &frames[i], refusal)) return err;
    if (frames[i]->GetWidth() != frames[0]->GetWidth() || frames[i]->GetHeight() != frames[0]->GetHeight())
      return kErrInvalidParameter;
    if (!FlipImageRows(frames[i].get())) return NonZeroError(frames[i]->GetError());
  }
  *bad = nullptr;
  CAviMovie movie;
  if (const int32_t err = movie.Open(&out)) return err;
  if (const int32_t err =
          movie.CreateStream(int32_t(frames[0]->GetWidth()), int32_t(frames[0]->GetHeight()), kMovieRate))
    return err;
  if (const int32_t err = movie.SetFormat(nullptr, frames[0].get())) return err;
  for (const auto& frame : frames) {
    if (platform::IsStopRequested()) return kSilentCode24;
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
  if (!app.IsReady()) return app.ReportNotReady();
  const char* outPath = argv[argc - 1];
  if (!CheckOutput(kTool, outPath)) return 1;
  CFileSpec out;
  if (const int32_t err = out.Set(outPath)) return ReportFileProblem(kTool, outPath, err);
  std::string refusal;
  if (movie) {
    const char* bad = nullptr;
    const int32_t err = WriteMovie(std::vector<const char*>(argv + 1, argv + argc - 1), out, &bad, &refusal);
    return err ? ReportFileProblem(kTool, bad ? bad : outPath, err, refusal) : 0;
  }
  std::unique_ptr<CImage> image;
  if (const int32_t err = ReadPicture(argv[1], &image, &refusal)) return ReportFileProblem(kTool, argv[1], err, refusal);
  if (const int32_t err = SaveImageAsBmp(out, image.get(), true)) return ReportFileProblem(kTool, outPath, err);
  return 0;
}
