/* The test image plug-in, TestImage.qni: writes the rendered bands as binary PPM (its format 0, the
 * top byte of each pixel dropped) or PAM (its format 1, RGB_ALPHA with the top byte as alpha) to the
 * file named at 540, and logs every call. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "document/plugin_protocol.h"
#include "plugin_log.h"

enum { kOutOfMemory = 9, kUnexpectedStatus = 15, kInvalidParameter = 16, kIOError = -36 };
enum { kPpm = 0, kPam = 1, kFormatCount = 2 };

static const char* const kFilters[kFormatCount] = {"PPM Files (*.ppm)", "PAM Files (*.pam)"};
static const char* const kDescriptions[kFormatCount] = {"PPM File", "PAM File"};
static const char* const kExtensions[kFormatCount] = {".ppm", ".pam"};

/* The file being written, from selector 9 to selector 11. */
static FILE* gFile;
static uint32_t gFormat;
static uint32_t gWidth;

static int32_t Describe(QNPluginParams* params) {
  const uint32_t index = params->formatIndex;
  if (index >= kFormatCount) return kInvalidParameter;
  snprintf(params->text, sizeof params->text, "%s", kFilters[index]);
  snprintf(params->description, sizeof params->description, "%s", kDescriptions[index]);
  snprintf(params->extension, sizeof params->extension, "%s", kExtensions[index]);
  return 0;
}

static int32_t Begin(const QNImageParams* image) {
  if (gFile) return kUnexpectedStatus;
  const uint32_t format = image->params.formatIndex;
  if (format >= kFormatCount || image->bitsPerPixel != 32 || image->width == 0 || image->height == 0)
    return kInvalidParameter;
  gFile = fopen(image->params.outputPath, "wb");
  if (!gFile) return kIOError;
  gFormat = format;
  gWidth = image->width;
  const int written =
      format == kPpm ? fprintf(gFile, "P6\n%u %u\n255\n", image->width, image->height)
                     : fprintf(gFile, "P7\nWIDTH %u\nHEIGHT %u\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                               image->width, image->height);
  return written > 0 ? 0 : kIOError;
}

static int32_t WriteBand(const QNImageParams* image) {
  if (!gFile) return kUnexpectedStatus;
  if (image->width != gWidth || !image->pixels) return kInvalidParameter;
  const size_t channels = gFormat == kPam ? 4 : 3;
  unsigned char* row = malloc((size_t)gWidth * channels);
  if (!row) return kOutOfMemory;
  int32_t answer = 0;
  for (uint32_t y = 0; y < image->rowsPerBand && answer == 0; ++y) {
    const uint32_t* pixels = image->pixels + (size_t)y * gWidth;
    unsigned char* out = row;
    for (uint32_t x = 0; x < gWidth; ++x) {
      const uint32_t p = pixels[x];
      *out++ = (unsigned char)(p >> 16);
      *out++ = (unsigned char)(p >> 8);
      *out++ = (unsigned char)p;
      if (channels == 4) *out++ = (unsigned char)(p >> 24);
    }
    if (fwrite(row, channels, gWidth, gFile) != gWidth) answer = kIOError;
  }
  free(row);
  return answer;
}

static int32_t Finish(void) {
  if (!gFile) return kUnexpectedStatus;
  const int failed = fclose(gFile) != 0;
  gFile = NULL;
  return failed ? kIOError : 0;
}

static int NeedsBlock(uint32_t selector) {
  return selector == QN_SELECTOR_COUNT_FORMATS || selector == QN_SELECTOR_DESCRIBE_FORMAT ||
         selector == QN_SELECTOR_NAME || (selector >= QN_SELECTOR_BEGIN_IMAGE && selector <= QN_SELECTOR_END_IMAGE);
}

QN_PLUGIN_EXPORT int32_t QNIMAGEPLUGINENTRY(uint32_t selector, QNHostFn* callbacks, void* block) {
  (void)callbacks;
  QNPluginParams* params = (QNPluginParams*)block;
  const int image = selector >= QN_SELECTOR_BEGIN_IMAGE && selector <= QN_SELECTOR_END_IMAGE && block;
  const QNImageParams* picture = image ? (const QNImageParams*)block : NULL;
  LogCall(selector, params ? params->formatIndex : 0, picture ? picture->width : 0, picture ? picture->height : 0,
          picture ? picture->rowsDone : 0, picture ? params->outputPath : NULL);
  int32_t answer = 0;
  const int injected = InjectedFailure(selector, &answer);
  /* A file is never left open: not when the end fails, nor when the host unloads mid-picture. */
  if (selector == QN_SELECTOR_RELEASE || (injected && selector == QN_SELECTOR_END_IMAGE)) {
    if (gFile) Finish();
    return answer;
  }
  if (injected) return answer;
  if (NeedsBlock(selector) && !block) return kInvalidParameter;
  switch (selector) {
    case QN_SELECTOR_COUNT_FORMATS: params->formatIndex = kFormatCount; return 0;
    case QN_SELECTOR_DESCRIBE_FORMAT: return Describe(params);
    case QN_SELECTOR_NAME: snprintf(params->text, sizeof params->text, "Test Image"); return 0;
    case QN_SELECTOR_BEGIN_IMAGE: return Begin(picture);
    case QN_SELECTOR_WRITE_BAND: return WriteBand(picture);
    case QN_SELECTOR_END_IMAGE: return Finish();
    default: return 0;
  }
}
