// AVI movies of 32-bit frames: one video stream, every frame a key frame. The steps go in order,
// each refused with 2 when the one it needs has not happened: Open (names the file, asking the user
// when no name is given), CreateStream, SetFormat (the compression choice), WriteFrame for each
// frame, then ReleaseStream or Close, the first of which finishes the movie and puts it in place of
// the target. Until then an old file of that name stays as it was; a movie whose format was never
// set leaves no file. Callers turn each frame bottom-up with FlipImageRows before writing it.
//
// Results: 0, the program's result codes, and 24 when the user cancels the file or compression
// choice.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/mem_block.h"
#include "framework/core/rect.h"
#include "platform/avi_file.h"

class CFileSpec;
class CImage;

class CAviMovie : public CBaseObject {
 public:
  static constexpr uint32_t kScale = 40;
  static constexpr uint32_t kSampleTime = 40;  // durations above it take one sample per 40

  CAviMovie();
  ~CAviMovie() override;

  // Clears everything as a new writer; answers 1 (ready).
  int32_t Reset();
  // Without a file the save dialog asks for the name.
  int32_t Open(const CFileSpec* spec);
  // rate / 40 frames a second; 16 for frames without pixels or larger than 32-bit sizes allow.
  int32_t CreateStream(int32_t width, int32_t height, uint32_t rate);
  // The format from the image's bitmap header set to the stream's frame, or else the header given.
  int32_t SetFormat(const platform::SBitmapInfoHeader* header, CImage* image);
  // One frame of the stream's size (else 16) for the duration's samples; 22 when the file would
  // pass the largest movie the writer's index holds (256 GiB).
  int32_t WriteFrame(CImage* image, int32_t duration);
  // Finishes the movie (the frames so far) and answers how that went.
  int32_t ReleaseStream();
  // Finishes the movie if that has not happened yet and frees everything; answers 1.
  int32_t Close();

  // The next frame's position in the stream.
  int32_t GetFrameIndex() const { return fFrameIndex; }

 private:
  int32_t Finish();

  platform::AviFile* fFile = nullptr;
  SRect fFrameArea;  // {0, 0, height, width}
  uint32_t fFrameBytes = 0;
  CMemBlock fFormat;  // the 40-byte header, then room for one frame
  int32_t fFrameIndex = 0;
  bool fHasStream = false;
  bool fHasFormat = false;
  bool fOpen = false;
};
