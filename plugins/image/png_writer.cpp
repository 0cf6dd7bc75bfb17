// PNG files through libpng: 8-bit RGB rows, and the resolution as a pHYs chunk in pixels per metre.
//
// libpng reports an error by jumping back to the setjmp of the call that failed: every call into it
// is made from a function that has such a point and no local with a destructor, so the jump skips
// nothing.
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <vector>

#include "plugins/image/picture_writer.h"

namespace {

class CPngWriter : public CPictureWriter {
 public:
  ~CPngWriter() override { Destroy(); }

  int32_t Begin(FILE* file, const SPictureSize& size) override {
    // libpng refuses wider or taller pictures itself; its limit is checked first for a clear answer.
    if (size.width > PNG_USER_WIDTH_MAX || size.height > PNG_USER_HEIGHT_MAX) return kImagerInvalidSize;
    fWidth = size.width;
    try {
      fRow.assign(size_t(size.width) * 3, 0);
    } catch (const std::bad_alloc&) {
      return kImagerOutOfMemory;
    }
    fPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, &CPngWriter::Failed, &CPngWriter::Warned);
    if (fPng) fInfo = png_create_info_struct(fPng);
    if (!fPng || !fInfo) return kImagerOutOfMemory;
    return WriteHeader(file, size);
  }

  int32_t WriteRow(uint32_t, const uint32_t* pixels) override {
    uint8_t* out = fRow.data();
    for (uint32_t x = 0; x < fWidth; ++x, out += 3) {
      out[0] = uint8_t(pixels[x] >> 16);
      out[1] = uint8_t(pixels[x] >> 8);
      out[2] = uint8_t(pixels[x]);
    }
    if (setjmp(png_jmpbuf(fPng))) return fFailure;
    errno = 0;
    png_write_row(fPng, fRow.data());
    return kImagerFine;
  }

  int32_t End() override {
    if (setjmp(png_jmpbuf(fPng))) return fFailure;
    errno = 0;
    png_write_end(fPng, fInfo);
    return kImagerFine;
  }

 private:
  int32_t WriteHeader(FILE* file, const SPictureSize& size) {
    if (setjmp(png_jmpbuf(fPng))) return fFailure;
    errno = 0;
    png_init_io(fPng, file);
    png_set_IHDR(fPng, fInfo, size.width, size.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (size.pixelsPerMetre) png_set_pHYs(fPng, fInfo, size.pixelsPerMetre, size.pixelsPerMetre, PNG_RESOLUTION_METER);
    png_write_info(fPng, fInfo);
    return kImagerFine;
  }

  void Destroy() {
    if (fPng) png_destroy_write_struct(&fPng, fInfo ? &fInfo : nullptr);
    fPng = nullptr;
    fInfo = nullptr;
  }

  // A write that failed leaves errno as the C library set it; any other failure is libpng's own.
  [[noreturn]] static void Failed(png_structp png, png_const_charp) {
    auto* writer = static_cast<CPngWriter*>(png_get_error_ptr(png));
    writer->fFailure = errno ? WriteFailure() : kImagerInvalidParameter;
    png_longjmp(png, 1);
  }
  static void Warned(png_structp, png_const_charp) {}

  png_structp fPng = nullptr;
  png_infop fInfo = nullptr;
  uint32_t fWidth = 0;
  std::vector<uint8_t> fRow;
  int32_t fFailure = kImagerIOError;
};

}  // namespace

std::unique_ptr<CPictureWriter> NewPngWriter() { return std::make_unique<CPngWriter>(); }
