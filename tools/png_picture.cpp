#include "tools/png_picture.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/file.h"

namespace {

constexpr size_t kSignatureBytes = 8;
constexpr size_t kReasonBytes = 200;

// What libpng said before it gave up; filled by its error callback, which then jumps back.
struct SDecodeState {
  char reason[kReasonBytes] = {};
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* state = static_cast<SDecodeState*>(png_get_error_ptr(png));
  std::snprintf(state->reason, sizeof state->reason, "%s", message ? message : "decoding failed");
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The decoding itself. No object with a destructor lives in this frame, since libpng leaves it by
// longjmp on an error; the pixels go into the caller's buffers.
bool Decode(std::FILE* file, SDecodeState* state, SPngPicture* picture, std::vector<png_bytep>* rows,
            std::vector<uint8_t>* bytes) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state, &OnPngError, &OnPngWarning);
  if (!png) {
    std::snprintf(state->reason, sizeof state->reason, "out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    std::snprintf(state->reason, sizeof state->reason, "out of memory");
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_set_sig_bytes(png, int(kSignatureBytes));
  png_set_user_limits(png, SPngPicture::kMaxSide, SPngPicture::kMaxSide);
  png_read_info(png, info);
  const png_byte colourType = png_get_color_type(png, info);
  const bool transparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_expand(png);
  png_set_scale_16(png);
  if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  if (!(colourType & PNG_COLOR_MASK_ALPHA) && !transparentColour) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  if (png_get_rowbytes(png, info) != size_t(width) * 4) png_error(png, "unexpected sample layout");
  bytes->assign(size_t(width) * height * 4, 0);
  rows->resize(height);
  for (png_uint_32 y = 0; y < height; ++y) (*rows)[y] = bytes->data() + size_t(y) * width * 4;
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  picture->width = width;
  picture->height = height;
  return true;
}

}  // namespace

bool ReadPngPicture(const std::string& path, SPngPicture* picture, std::string* error) {
  // A folder opens, then reads as nothing.
  if (platform::IsFolder(path)) {
    *error = "is a folder";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = "cannot be read";
    return false;
  }
  png_byte signature[kSignatureBytes] = {};
  if (std::fread(signature, 1, kSignatureBytes, file) != kSignatureBytes ||
      png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
    std::fclose(file);
    *error = "is no PNG picture";
    return false;
  }
  SDecodeState state;
  std::vector<png_bytep> rows;
  std::vector<uint8_t> bytes;
  SPngPicture decoded;
  const bool done = Decode(file, &state, &decoded, &rows, &bytes);
  std::fclose(file);
  if (!done) {
    *error = std::string("does not decode: ") + state.reason;
    return false;
  }
  decoded.pixels.resize(size_t(decoded.width) * decoded.height);
  for (size_t i = 0; i < decoded.pixels.size(); ++i) {
    const uint8_t* p = bytes.data() + 4 * i;
    decoded.pixels[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  *picture = std::move(decoded);
  return true;
}
