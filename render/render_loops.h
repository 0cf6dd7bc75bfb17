// The render loops: a render context's scene into its target image. The calling thread hands rows to
// a crew of worker threads (render_workers.h), a pass's last rows in pieces, and, while they trace,
// draws, reports, tells which rows are final and watches for the user's stop; every pixel's samples
// depend on the pixel alone, so the picture is the same for any number of threads. A call returns
// when the render is finished (0), when the user interrupts it (24: the position, after the last row
// done, stays in the context and the next call resumes there) or on failure (9, or 16 for a context
// without a camera or settings). While they run the loops keep the interface alive by pumping the
// message queue, draw finished bands into the target's port, set the progress record's texts and
// tell the context's progress observer.
//
// The progressive render refines the area in square blocks from 16 pixels down to 1 (unseen, with
// draw off, it renders every pixel in one pass to the same picture); the adaptive render samples the
// corners of 4-pixel blocks and subdivides only where they differ; the antialias pass, run after
// either when settings bit 0x2000 is set, re-samples every pixel whose 2 × 2 cell differs. A pixel's
// top byte is its sampling state (render_pixels.h).
#pragma once

#include <cstdint>

#include "framework/core/rect.h"
#include "framework/core/vector3.h"
#include "framework/image/image.h"

class CProgress;
class CRenderContext;
class CRenderWorker;

// viewFrom and viewTo place the image in the window: when viewFrom is at the origin with viewTo's
// size (or either is missing) each band is drawn at its own place moved by viewTo's origin, otherwise
// the whole of viewFrom is drawn into viewTo. draw off draws nothing.
int32_t RenderProgressive(bool draw, CRenderContext& context, const SRect& area, const SRect* viewFrom,
                          const SRect* viewTo, CProgress* progress);
int32_t RenderAdaptive(CRenderContext& context, const SRect& area, const SRect* viewFrom, const SRect* viewTo,
                       CProgress* progress);
// Over a navigator whose row r is the target image's row r; the last row and column of the area are
// never visited.
int32_t RenderAntialiasPass(bool draw, CRenderContext& context, CImNavigator& image, const vector3<double>& eye,
                            const SRect& area, const SRect* viewFrom, const SRect* viewTo, CProgress* progress);

// The colour of the primary ray from origin along the direction (not normalised), which starts where
// the direction ends, on the image plane: each channel weighed and clamped to [0, 1].
vector3<float> TracePrimaryRay(CRenderContext& context, const vector3<double>& origin, const vector3<double>& direction,
                               int32_t orderEntry);
// The same counted into the worker's statistics, with its shadow cache and random source.
vector3<float> TracePrimaryRay(CRenderWorker& worker, const vector3<double>& origin, const vector3<double>& direction,
                               int32_t orderEntry);
// The colour of pixel (x, y) of a width × height image from sampleCount primary rays from the eye,
// each clamped to [0, 1], on the scale 0 to 255.
// Random offsets and spread rays draw from a sequence seeded by (x, y) alone. The context's form counts
// into the context's statistics.
void RenderPixelSamples(vector3<float>& colour, CRenderContext& context, const vector3<double>& eye, int32_t width,
                        int32_t height, int32_t x, int32_t y, uint32_t sampleCount);
void RenderPixelSamples(vector3<float>& colour, CRenderWorker& worker, const vector3<double>& eye, int32_t width,
                        int32_t height, int32_t x, int32_t y, uint32_t sampleCount);
// Pixel (x, y) as the progressive render stores it: RenderPixelSamples packed as 0x00RRGGBB.
CImVector RenderPixel(CRenderContext& context, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                      int32_t y, uint32_t sampleCount);
CImVector RenderPixel(CRenderWorker& worker, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                      int32_t y, uint32_t sampleCount);
// The antialias pass's test of the 2 × 2 cell of pixel a (b to its right, c below, d below right).
bool NeedsResampling(CImVector a, CImVector b, CImVector c, CImVector d);
// Pixel (x, y) re-sampled as the antialias pass does it: the mean of its own colour and seven
// further samples within the pixel, top byte 0xFF.
CImVector ResamplePixel(CRenderContext& context, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                        int32_t y, CImVector own);
CImVector ResamplePixel(CRenderWorker& worker, const vector3<double>& eye, int32_t width, int32_t height, int32_t x,
                        int32_t y, CImVector own);
// One block of the adaptive render: its corners sampled once each (top byte 0x80), then split where
// they differ, else filled between them.
void RenderBlockAdaptive(CImNavigator& image, int32_t x, int32_t y, int32_t size, CRenderContext& context,
                         const vector3<double>& eye);

// Drains the message queue during a render, swallowing mouse and keyboard messages; true asks the
// render to stop: Space, Esc or Enter, or a button press while the application is active. 'M'
// minimises the main window and the render goes on.
bool PumpRenderMessages();
