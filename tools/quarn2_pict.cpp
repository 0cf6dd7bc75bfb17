// quarn2-pict IN OUT.bmp: reads a picture with the program's readers (BMP, Photoshop, TIFF, PICT),
// chosen by the input's extension as the picture dialog chooses them, and writes it as a 24-bit BMP
// file. An extension that names no reader (".pct", ".tiff", none) leaves the choice to the file's
// first bytes; PICT files may carry the 512-byte preamble of a file or not.
// quarn2-pict IN... OUT.avi: writes the pictures, in order, as the frames of a movie at 15 frames a
// second, the way the fly-around records; every picture must have the first one's size.
// A BMP is written only to a name ending in ".bmp", a movie only to ".avi", and never over an input.
// On failure the file and the error go to the standard error stream, the exit status is 1, and no
// output file is left; wrong arguments give the usage and status 2.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
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
#include "tools/command_line.h"
#include "tools/progress_bar.h"
#include "tools/tool_app.h"

namespace {

constexpr uint32_t kMovieRate = 600;   // 15 frames a second at the movie's scale of 40
constexpr int32_t kFrameDuration = 20;  // one sample a frame

const STool kTool{
    "quarn2-pict",
    {"IN OUT.bmp", "IN... OUT.avi"},
    "Reads pictures with the program's own readers and writes one as a 24-bit BMP file, or several as\n"
    "the frames of an uncompressed AVI movie at 15 frames a second.",
    {},
    "Readers: \".bmp\" BMP of 1, 4, 8, 16, 24 or 32 bits with the 40-byte header (ImageMagick writes it\n"
    "as BMP3:), \".psd\" Photoshop, \".tif\" TIFF; any other name is read by its first bytes, which\n"
    "also find PICT version 2 files. Every frame of a movie has the first picture's size. The output\n"
    "is never one of the inputs.\n"
    "Exit status: 0 written, 1 a failure (the message names the file), 2 wrong arguments.\n"};

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

// What failed, and on which file; the words when the code's text would not say it (a reader's
// refusal of a kind of file it does not take).
struct SFailure {
  SFailure(std::string failedFile, int32_t failedCode, std::string failedWords = {})
      : file(std::move(failedFile)), code(failedCode), words(std::move(failedWords)) {}

  std::string file;
  int32_t code = 0;
  std::string words;
};

// Every picture is read and checked before the movie starts, so that a bad one leaves no file. The
// bar counts each picture read, then each frame written.
SFailure WriteMovie(const std::vector<std::string>& inputs, const std::string& outPath) {
  CProgressBar bar("writing movie");
  const uint32_t steps = uint32_t(inputs.size() * 2);
  std::vector<std::unique_ptr<CImage>> frames(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    if (platform::IsStopRequested()) return {outPath, kSilentCode24};
    std::string refusal;
    if (const int32_t err = ReadPicture(inputs[i].c_str(), &frames[i], &refusal)) return {inputs[i], err, refusal};
    if (frames[i]->GetWidth() != frames[0]->GetWidth() || frames[i]->GetHeight() != frames[0]->GetHeight())
      return {inputs[i], kErrInvalidParameter, "every frame must have the first picture's size"};
    if (!FlipImageRows(frames[i].get())) return {inputs[i], NonZeroError(frames[i]->GetError())};
    bar.Show(uint32_t(i + 1), steps);
  }
  CFileSpec out;
  CAviMovie movie;
  int32_t err = out.Set(outPath.c_str());
  if (!err) err = movie.Open(&out);
  if (!err) err = movie.CreateStream(int32_t(frames[0]->GetWidth()), int32_t(frames[0]->GetHeight()), kMovieRate);
  if (!err) err = movie.SetFormat(nullptr, frames[0].get());
  for (size_t i = 0; !err && i < frames.size(); ++i) {
    if (platform::IsStopRequested()) err = kSilentCode24;
    else err = movie.WriteFrame(frames[i].get(), kFrameDuration);
    bar.Show(uint32_t(inputs.size() + i + 1), steps);
  }
  if (!err) err = movie.ReleaseStream();
  return {outPath, err};
}

SFailure WritePicture(const std::string& input, const std::string& outPath) {
  std::unique_ptr<CImage> image;
  std::string refusal;
  if (const int32_t err = ReadPicture(input.c_str(), &image, &refusal)) return {input, err, refusal};
  CFileSpec out;
  int32_t err = out.Set(outPath.c_str());
  if (!err) err = SaveImageAsBmp(out, image.get(), true);
  return {outPath, err};
}

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  const int status = line.Parse(argc, argv, [](int, const char*) { return std::string(); });
  if (status != CCommandLine::kGoOn) return status;
  const std::vector<std::string>& operands = line.Operands();
  if (operands.size() < 2) return line.UsageError("a picture and an output file are needed");
  const std::string& outPath = operands.back();
  const std::vector<std::string> inputs(operands.begin(), operands.end() - 1);
  const bool movie = HasExtension(outPath, ".avi");
  if (!movie && !HasExtension(outPath, ".bmp"))
    return line.UsageError(outPath + ": the output is a BMP file (.bmp) or an AVI movie (.avi)");
  if (!movie && inputs.size() > 1) return line.UsageError("several pictures make a movie, whose name ends in .avi");
  if (line.RefuseOutput(outPath, inputs)) return CCommandLine::kStatusFailed;
  CToolApp app("quarn2-pict");
  if (!app.IsReady()) return app.ReportNotReady(line);
  const SFailure failure = movie ? WriteMovie(inputs, outPath) : WritePicture(inputs[0], outPath);
  return failure.code ? line.FailWithCode(failure.file, failure.code, failure.words) : 0;
}
