#include "plugins/image/imager.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>

#include "plugins/image/picture_writer.h"
#include "plugins/plugin_block.h"

namespace {

struct SFormat {
  const char* filter;
  const char* description;
  const char* extension;
  std::unique_ptr<CPictureWriter> (*make)();
};

constexpr SFormat kFormats[] = {
    {"BMP Files (*.bmp)", "BMP File", ".bmp", NewBmpWriter},
    {"PNG Files (*.png)", "PNG File", ".png", NewPngWriter},
};
constexpr const char kTitle[] = "Image Files";
constexpr double kMetresPerInch = 0.0254;
// Resolutions past this are taken as nonsense and not stored.
constexpr double kMostDotsPerInch = 1e6;

// The picture being written, from selector 9 to selector 11.
struct SPicture {
  FILE* file = nullptr;
  CPictureWriter* writer = nullptr;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t rows = 0;  // rows written so far
};
SPicture gPicture;

// Closes the file without finishing it: the host deletes what is left of it.
void Abandon() {
  delete gPicture.writer;
  if (gPicture.file) std::fclose(gPicture.file);
  gPicture = SPicture{};
}

void Describe(QNPluginParams& params) {
  if (params.formatIndex >= std::size(kFormats)) return;
  const SFormat& format = kFormats[params.formatIndex];
  CopyBlockText(params.text, sizeof params.text, format.filter);
  CopyBlockText(params.description, sizeof params.description, format.description);
  CopyBlockText(params.extension, sizeof params.extension, format.extension);
}

uint32_t PixelsPerMetre(float dotsPerInch) {
  if (!std::isfinite(dotsPerInch) || dotsPerInch <= 0 || dotsPerInch > kMostDotsPerInch) return 0;
  return uint32_t(std::lround(double(dotsPerInch) / kMetresPerInch));
}

// The output path is the host's, in the same folder as the target; a link there is not followed.
FILE* OpenOutput(const QNPluginParams& params) {
  if (!std::memchr(params.outputPath, '\0', sizeof params.outputPath) || !params.outputPath[0]) {
    errno = EINVAL;
    return nullptr;
  }
  const int fd = open(params.outputPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, "wb");
  if (!file) close(fd);
  return file;
}

int32_t OpenFailure() {
  switch (errno) {
    case ENOENT: return -43;  // file not found
    case EINVAL: return kImagerInvalidParameter;
    default: return WriteFailure();
  }
}

int32_t Begin(const QNImageParams& image) {
  if (gPicture.file) return kImagerUnexpectedStatus;
  const uint32_t format = image.params.formatIndex;
  if (format >= std::size(kFormats) || image.bitsPerPixel != 32 || image.width == 0 || image.height == 0 ||
      image.rowsPerBand == 0)
    return kImagerInvalidParameter;
  std::unique_ptr<CPictureWriter> writer;
  try {
    writer = kFormats[format].make();
  } catch (const std::bad_alloc&) {
    return kImagerOutOfMemory;
  }
  FILE* file = OpenOutput(image.params);
  if (!file) return OpenFailure();
  gPicture.file = file;
  gPicture.writer = writer.release();
  gPicture.width = image.width;
  gPicture.height = image.height;
  const int32_t answer =
      gPicture.writer->Begin(file, {image.width, image.height, PixelsPerMetre(image.resolution)});
  if (answer != kImagerFine) Abandon();
  return answer;
}

int32_t WriteBand(const QNImageParams& image) {
  if (!gPicture.file) return kImagerUnexpectedStatus;
  if (image.width != gPicture.width || !image.pixels || image.rowsDone != gPicture.rows ||
      image.rowsPerBand > gPicture.height - gPicture.rows)
    return kImagerInvalidParameter;
  for (uint32_t r = 0; r < image.rowsPerBand; ++r) {
    if (const int32_t answer = gPicture.writer->WriteRow(gPicture.rows, image.pixels + size_t(r) * image.width))
      return answer;
    ++gPicture.rows;
  }
  return kImagerFine;
}

// A picture is finished only with all its rows; its file is flushed to the disk before it closes.
int32_t End() {
  if (!gPicture.file) return kImagerUnexpectedStatus;
  int32_t answer = gPicture.rows == gPicture.height ? gPicture.writer->End() : kImagerUnexpectedStatus;
  if (answer == kImagerFine && (std::fflush(gPicture.file) != 0 || fsync(fileno(gPicture.file)) != 0))
    answer = WriteFailure();
  FILE* file = gPicture.file;
  gPicture.file = nullptr;
  if (std::fclose(file) != 0 && answer == kImagerFine) answer = WriteFailure();
  Abandon();
  return answer;
}

bool IsImageSelector(uint32_t selector) {
  return selector == QN_SELECTOR_BEGIN_IMAGE || selector == QN_SELECTOR_WRITE_BAND || selector == QN_SELECTOR_END_IMAGE;
}

}  // namespace

int32_t WriteFailure() {
  switch (errno) {
    case ENOSPC:
    case EDQUOT: return kImagerDiskFull;
    case EACCES:
    case EPERM:
    case EROFS: return kImagerPermission;
    case EFBIG: return kImagerInvalidSize;
    default: return kImagerIOError;
  }
}

int32_t ImagerEntry(uint32_t selector, QNHostFn*, void* block) {
  auto* params = static_cast<QNPluginParams*>(block);
  if (IsImageSelector(selector) && !block) return kImagerInvalidParameter;
  const auto* image = static_cast<const QNImageParams*>(block);
  switch (selector) {
    case QN_SELECTOR_RELEASE:
      Abandon();
      return kImagerFine;
    case QN_SELECTOR_COUNT_FORMATS:
      if (params) params->formatIndex = uint32_t(std::size(kFormats));
      return kImagerFine;
    case QN_SELECTOR_DESCRIBE_FORMAT:
      if (params) Describe(*params);
      return kImagerFine;
    case QN_SELECTOR_NAME:
      if (params) CopyBlockText(params->text, sizeof params->text, kTitle);
      return kImagerFine;
    case QN_SELECTOR_BEGIN_IMAGE: return Begin(*image);
    case QN_SELECTOR_WRITE_BAND: return WriteBand(*image);
    case QN_SELECTOR_END_IMAGE: return End();
    default: return kImagerFine;
  }
}
