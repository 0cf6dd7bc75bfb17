#include "framework/image/avi_movie.h"

#include <cstring>
#include <string>

#include "framework/core/file_spec.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/image_display.h"
#include "platform/errors.h"
#include "platform/window.h"

namespace {

constexpr uint32_t kFormatBytes = sizeof(platform::SBitmapInfoHeader);
constexpr const char* kDialogTitle = "Save Movie as:";
constexpr const char* kUntitled = "UNTITLED.AVI";
// One entry, "*.AVI", as both the description and the pattern.
const std::string kDialogFilter("*.AVI\0*.AVI\0", 12);
// Long names, path must exist, hide read-only, ask before replacing: a new movie's name does not
// exist yet, so the file need not.
constexpr uint32_t kDialogFlags = 0x200000 | platform::kOfnPathMustExist | platform::kOfnHideReadOnly |
                                  platform::kOfnOverwritePrompt;

// The platform's refusal of a sample past the largest movie means the movie is as long as it can be.
int32_t MovieError() {
  if (platform::GetLastError() == platform::kWinFileTooLarge) return kErrInvalidSize;
  return NonZeroError(MapLastError());
}

}  // namespace

CAviMovie::CAviMovie() = default;

CAviMovie::~CAviMovie() { Close(); }

int32_t CAviMovie::Reset() {
  Close();
  return 1;
}

int32_t CAviMovie::Open(const CFileSpec* spec) {
  if (fOpen) return kErrInvalidFormat;
  std::string path;
  if (spec) {
    path = spec->GetPath();
  } else {
    platform::SFileDialog dialog;
    dialog.title = kDialogTitle;
    dialog.filter = kDialogFilter;
    dialog.filterIndex = 1;
    dialog.file = kUntitled;
    dialog.flags = kDialogFlags;
    if (!platform::GetSaveFileName(&dialog)) return kSilentCode24;
    path = dialog.file;
  }
  fFile = platform::AviFileCreate(path);
  if (!fFile) return NonZeroError(MapLastError());
  fOpen = true;
  return kNoErr;
}

int32_t CAviMovie::CreateStream(int32_t width, int32_t height, uint32_t rate) {
  if (!fOpen || fHasStream) return kErrInvalidFormat;
  const uint64_t frameBytes = uint64_t(width > 0 ? width : 0) * uint64_t(height > 0 ? height : 0) * 4;
  if (frameBytes == 0 || frameBytes + kFormatBytes > UINT32_MAX) return kErrInvalidParameter;
  platform::SAviStreamInfo info;
  info.type = platform::kAviStreamVideo;
  info.scale = kScale;
  info.rate = rate;
  info.suggestedBufferSize = uint32_t(frameBytes);
  info.frame = {0, 0, width, height};
  if (!platform::AviFileCreateStream(fFile, info)) return NonZeroError(MapLastError());
  fFrameArea = SRect{0, 0, height, width};
  fFrameBytes = uint32_t(frameBytes);
  fHasStream = true;
  return kNoErr;
}

int32_t CAviMovie::SetFormat(const platform::SBitmapInfoHeader* header, CImage* image) {
  if (!fOpen || !fHasStream || fHasFormat) return kErrInvalidFormat;
  if (!image && !header) return kErrInvalidParameter;
  if (!fFormat.Init(fFrameBytes + kFormatBytes, GetDataPool())) return kErrOutOfMemory;
  platform::SBitmapInfoHeader format;
  if (image) {
    CImPlatformData data(image, false, false);
    if (!data.IsValid()) return NonZeroError(image->GetError());
    format = data.GetHeader();
    format.size = kFormatBytes;
    format.width = fFrameArea.right - fFrameArea.left;
    format.height = fFrameArea.bottom - fFrameArea.top;
    format.compression = platform::kBiRgb;
    format.sizeImage = fFrameBytes;
  } else {
    format = *header;
  }
  std::memcpy(fFormat.GetData(), &format, kFormatBytes);
  if (!platform::ChooseAviCompression(nullptr)) return kSilentCode24;
  if (!platform::AviStreamSetFormat(fFile, format)) return NonZeroError(MapLastError());
  fHasFormat = true;
  return kNoErr;
}

int32_t CAviMovie::WriteFrame(CImage* image, int32_t duration) {
  if (!fOpen || !fHasFormat) return kErrInvalidFormat;
  if (!image) return kErrInvalidParameter;
  if (int64_t(image->GetWidth()) != fFrameArea.right || int64_t(image->GetHeight()) != fFrameArea.bottom)
    return kErrInvalidParameter;
  {
    // Rows through the navigator: a grid's padded rows are not part of the frame.
    const SRect whole = image->GetBounds();
    CImNavigator nav(image, &whole, false, false);
    if (!nav.IsUsable()) return NonZeroError(image->GetError());
    const size_t rowBytes = size_t(nav.GetColumns()) * sizeof(CImVector);
    uint8_t* frame = fFormat.GetData() + kFormatBytes;
    for (uint32_t r = 0; r < nav.GetRows(); ++r) std::memcpy(frame + r * rowBytes, nav.Row(r), rowBytes);
  }
  const int32_t samples = duration > int32_t(kSampleTime) ? duration / int32_t(kSampleTime) : 1;
  if (!platform::AviStreamWrite(fFile, fFrameIndex, samples, fFormat.GetData() + kFormatBytes, fFrameBytes,
                                platform::kAviKeyFrame))
    return MovieError();
  fFrameIndex += samples;
  return kNoErr;
}

int32_t CAviMovie::ReleaseStream() { return fHasStream ? Finish() : kNoErr; }

int32_t CAviMovie::Close() {
  Finish();
  fFormat.Release();
  fFrameArea = {};
  fFrameBytes = 0;
  fFrameIndex = 0;
  return 1;
}

// A movie with its format is finished and moved into place; any other leaves no file.
int32_t CAviMovie::Finish() {
  if (!fFile) return kNoErr;
  const int32_t result = fHasFormat && !platform::AviFileFinish(fFile) ? NonZeroError(MapLastError()) : kNoErr;
  platform::AviFileRelease(fFile);
  fFile = nullptr;
  fOpen = false;
  fHasStream = false;
  fHasFormat = false;
  return result;
}
