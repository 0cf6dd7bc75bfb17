// Writing AVI movies: one video stream of uncompressed frames in a RIFF "AVI " file with an index,
// and past its first gigabyte in further "AVIX" RIFFs of the OpenDML extension, each with an index of
// its own that a super index in the headers lists (as common players and ffmpeg read it), so that a
// movie is not held to the 2 GiB of a plain AVI file. The movie is written to a temporary file beside
// its target; finishing writes the counts and the indexes, flushes, and moves it over the target, so
// an old file stays whole until the new movie is complete and a movie that is never finished leaves
// nothing. A sample past the super index's room (256 RIFFs) is refused with the file-too-large error
// and the movie so far stays as it was. Every failing call leaves a Windows error number in
// GetLastError().
#pragma once

#include <cstdint>
#include <string>

#include "platform/device_context.h"
#include "platform/errors.h"
#include "platform/window.h"

namespace platform {

struct AviFile;

// A four-character code as its bytes lie in the file.
constexpr uint32_t AviCode(const char (&text)[5]) {
  return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
         uint32_t(uint8_t(text[3])) << 24;
}

enum : uint32_t { kAviStreamVideo = AviCode("vids") };
enum : uint32_t { kAviKeyFrame = 0x10 };  // the index flag of a frame that stands alone

// What the stream header takes: rate / scale samples a second.
struct SAviStreamInfo {
  uint32_t type = 0;  // only video streams
  uint32_t handler = 0;
  uint32_t scale = 0;
  uint32_t rate = 0;
  uint32_t suggestedBufferSize = 0;
  SWinRect frame;
};

// Null on failure. The temporary file exists from now on.
AviFile* AviFileCreate(const std::string& path);
// One stream per file.
bool AviFileCreateStream(AviFile* file, const SAviStreamInfo& info);
// The 40-byte bitmap header that describes every sample; before the first sample.
bool AviStreamSetFormat(AviFile* file, const SBitmapInfoHeader& format);
// The same bytes as each of `samples` samples from position start, which must be the next one.
bool AviStreamWrite(AviFile* file, int32_t start, int32_t samples, const void* data, uint32_t bytes,
                    uint32_t flags);
// Counts, headers and index written, flushed and moved over the target; needs the format.
bool AviFileFinish(AviFile* file);
// Closes and frees; the temporary file of a movie not finished is deleted.
void AviFileRelease(AviFile* file);

// The compressor for a new movie: full frames are the only one here, taken without a dialog (the
// headless back end can be scripted to cancel). False when the user cancels.
bool ChooseAviCompression(WindowHandle owner);

// Test hooks: the size past which samples are refused, and the size a RIFF keeps under (0 restores
// 256 GiB and 1 GiB).
void SetTestAviSizeLimit(uint64_t bytes);
void SetTestAviSegmentBytes(uint64_t bytes);

}  // namespace platform
