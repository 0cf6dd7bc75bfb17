// BMP files as the program writes them. The file keeps the picture's last row first, so each row
// goes to its own place: the file grows from its end at the first row and is filled upward.
#include <sys/types.h>

#include <cstdint>
#include <vector>

#include "framework/image/bmp_layout.h"
#include "plugins/image/picture_writer.h"

namespace {

class CBmpWriter : public CPictureWriter {
 public:
  int32_t Begin(FILE* file, const SPictureSize& size) override {
    if (bmp::WrittenFileBytes(size.width, size.height) > UINT32_MAX) return kImagerInvalidSize;
    fFile = file;
    fHeight = size.height;
    fWidth = size.width;
    fRowBytes = bmp::RowBytes(size.width, bmp::kWrittenBits);
    fRow.assign(fRowBytes, 0);
    uint8_t header[bmp::kHeaderBytes];
    bmp::FillWrittenHeader(header, size.width, size.height, size.pixelsPerMetre);
    return std::fwrite(header, sizeof header, 1, file) == 1 ? kImagerFine : WriteFailure();
  }

  int32_t WriteRow(uint32_t row, const uint32_t* pixels) override {
    if (row >= fHeight) return kImagerInvalidParameter;
    bmp::PackWrittenRow(pixels, fWidth, fRow.data());
    const uint64_t at = bmp::kHeaderBytes + uint64_t(fHeight - 1 - row) * fRowBytes;
    if (fseeko(fFile, off_t(at), SEEK_SET) != 0) return WriteFailure();
    return std::fwrite(fRow.data(), fRow.size(), 1, fFile) == 1 ? kImagerFine : WriteFailure();
  }

  int32_t End() override { return kImagerFine; }

 private:
  FILE* fFile = nullptr;
  uint32_t fWidth = 0;
  uint32_t fHeight = 0;
  uint64_t fRowBytes = 0;
  std::vector<uint8_t> fRow;  // the padding past 3 × width stays 0
};

}  // namespace

std::unique_ptr<CPictureWriter> NewBmpWriter() { return std::make_unique<CBmpWriter>(); }
