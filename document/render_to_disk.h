// Render to disk: a document rendered at any size straight into a file that an image plug-in of the
// "Plugins" folder writes, one row at a time, so that memory stays at two rows whatever the size.
// Each row is antialiased against the next (with the options word's 0x2000) before the plug-in gets
// it as a band; with the rotate flag the file receives the picture turned a quarter turn.
//
// The plug-in writes a temporary file beside the target; only a complete picture replaces the target,
// so a cancel or a failure leaves an existing file as it was.
#pragma once

#include <cstdint>
#include <string>

#include "document/plugin_protocol.h"

class CDocRenderState;
class CImage;
class CRenderContext;
class CRenderPreparation;

struct SDiskRender {
  int32_t width = 0;
  int32_t height = 0;
  bool rotate = false;
  // Dots per inch, for the plug-in.
  int32_t resolution = 72;
  // Where the image plug-ins are: a folder name is taken in the program's folder.
  std::string pluginFolder = "Plugins";
};

// The file the plug-in writes for one render: the target the user chose and the temporary file in
// its folder. Ending without Commit deletes the temporary file.
class CRenderOutput {
 public:
  CRenderOutput() = default;
  ~CRenderOutput() { Discard(); }
  CRenderOutput(const CRenderOutput&) = delete;
  CRenderOutput& operator=(const CRenderOutput&) = delete;

  // The temporary file in place of the target: 0, or the mapped error (the temporary file is gone).
  int32_t Commit();
  void Discard();

  const std::string& Target() const { return fTarget; }
  const std::string& Temporary() const { return fTemporary; }

 private:
  friend int32_t OpenRenderOutput(QNImageParams& block, const char* caption, CRenderOutput& output);
  std::string fTarget;
  std::string fTemporary;
};

// Renders the state's document at the size into a file chosen in the save dialog among the image
// plug-ins' formats, the state's render size and render camera set for the length of the call and
// restored on every way out. 0 only when the file was written; 16 for an empty size (nothing done);
// 24 when the user cancelled the dialog, a question or the progress display; 5 when the folder holds
// no image plug-in; −120 for a path too long for the plug-in; 1 when the render report cannot be
// shown; else the first failing step's code, a plug-in's own answer as it came. After a complete
// render with the state's report flag set: one beep, the statistics with the time split, and the
// report filled.
int32_t RenderToDisk(CDocRenderState& state, const SDiskRender& request);

// The render preparation for the state's document with its antialias and optimizer choices, held by
// preparation until the render ends; the busy cursor meanwhile unless one is already shown. 0 or the
// preparation's code.
int32_t PrepareDiskRender(CDocRenderState& state, CRenderPreparation& preparation);

// The picture of the block's width and height through a prepared context, a band image of the
// block's width and two rows, and the open output: every row handed to the plug-in in turn, the row
// counter at 820 raised after each. The context's statistics count the pixels and the re-sampled
// ones, and its progress observer is told how far the render is. 0, or the first non-zero answer of
// the plug-in or the progress display (24), or 9 when the scene, lights or band cannot be had.
int32_t RenderToDiskRows(CRenderContext& context, CImage& band, QNImageParams& block);
// The same for the picture turned a quarter turn: output row r is the scene's column (scene width −
// 1 − r) from top to bottom, the block holding the exchanged sizes.
int32_t RenderToDiskRotated(CRenderContext& context, CImage& band, QNImageParams& block);

// The save dialog over the image plug-ins' formats, the chosen format's extension put on the name
// (asking before a file of the changed name is replaced), a temporary file beside it, the progress
// display open with the caption and the format's description, and selector 9. Its row of the
// format table is at 528 and the temporary path at 540. 0 or the first failing step's code; on
// failure the progress display and the host's progress callback are as before.
int32_t OpenRenderOutput(QNImageParams& block, const char* caption, CRenderOutput& output);
// Selector 10: the plug-in's answer.
int32_t WriteRenderBand(QNImageParams& block);
// Selector 11, then the progress display closed, the host's default progress callback back and
// every plug-in library unloaded: the answer of selector 11.
int32_t FinishRenderOutput(QNImageParams& block);
