// The 3D texture editor's four previews, rendered in the heartbeat band by band: a coarse pass of
// 4 x 4 blocks, then a fine pass, the component previews before the whole texture's, each pass giving
// way as soon as the user presses a key or a button.
#include <algorithm>

#include "editors/material/dt_editor.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/holder.h"
#include "framework/image/image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "scene/surface/texture.h"

namespace {

using namespace need;

// Bands stop short of the picture's last two lines.
constexpr int32_t kUnrenderedLines = 2;

// The band's first line sampled every step-th column, copied into the band's other lines.
void CopyLineDown(CImage& picture, int32_t first, int32_t end) {
  CImNavigator pixels(&picture, nullptr, true, false);
  if (!pixels.IsUsable()) return;
  const CImVector* source = pixels.Cells(uint32_t(first));
  for (int32_t line = first + 1; line < end; ++line)
    std::copy(source, source + pixels.GetColumns(), pixels.Cells(uint32_t(line)));
}

}  // namespace

void CDTEditor::RestartPreview(int index) {
  if (CImElement* preview = GetPreview(index)) {
    preview->SetUserWord(kBlockWord, kCoarseBlock);
    preview->SetUserWord(kLineWord, 0);
  }
}

int32_t CDTEditor::PreviewHeartbeat(void* editor, void* record, void*) {
  auto* self = static_cast<CDTEditor*>(editor);
  const auto* beat = static_cast<const SHeartbeatRecord*>(record);
  CAppl* app = GetApplication();
  CHoElement* root = self ? self->GetRoot() : nullptr;
  if (!self || !beat || !app || self->IsStale() || !app->IsActive() || beat->reserved1 != 0 || !root ||
      !root->AcceptsEvents(kEventMaskHover) || !root->IsShown() || !self->IsShown() || !self->fWorking)
    return kNoErr;
  const int order[kPreviewCount] = {kPanelA, kPanelB, kPanelC, kFinalPreview};
  for (int index : order) {
    if (index != kFinalPreview && index >= self->fComponentCount) continue;
    for (;;) {
      CImElement* preview = self->GetPreview(index);
      const uint32_t before[2] = {preview ? preview->GetUserWord(kBlockWord) : 0,
                                  preview ? preview->GetUserWord(kLineWord) : 0};
      if (self->RenderPreviewStep(index) != kNoErr) break;
      // A preview that could not draw waits for a later beat rather than holding this one.
      if (preview->GetUserWord(kBlockWord) == before[0] && preview->GetUserWord(kLineWord) == before[1]) break;
      if (app->IsUserInterrupt()) return kNoErr;
    }
  }
  return kNoErr;
}

int32_t CDTEditor::RenderPreviewStep(int index) {
  CImElement* preview = GetPreview(index);
  if (!preview) return kHandled;
  uint32_t block = preview->GetUserWord(kBlockWord);
  if (block == 0) return kHandled;
  CImage* picture = preview->GetImage();
  if (!picture || !picture->IsReady() || !preview->IsShown()) return kNoErr;
  const int32_t last = int32_t(picture->GetHeight()) - kUnrenderedLines;
  if (last <= 0) return kNoErr;
  const int32_t line = int32_t(preview->GetUserWord(kLineWord));
  const int32_t end = std::min(line + int32_t(block), last);
  if (!fWorking) SelectTexture(0);
  if (!fWorking || !fWorking->IsReady()) return kNoErr;
  const CImElement* kind = fGlobals[kDTPreviewType];
  const int32_t shape = kind ? int32_t(kind->GetUserWord(0)) : 0;
  {
    CHolder held(fWorking, false, false);
    if (held.IsLocked()) {
      fWorking->PrepareEvaluation(true);
      if (block == kCoarseBlock && line < end) {
        fWorking->SampleForDTEditor(*picture, uint32_t(line), kCoarseBlock, index, shape);
        CopyLineDown(*picture, line, end);
      } else {
        for (int32_t y = line; y < end; ++y) fWorking->SampleForDTEditor(*picture, uint32_t(y), kFineBlock, index, shape);
      }
    }
  }
  // The picture lies at the element's local origin.
  const SRect band{line, 0, std::max(end, line), int32_t(picture->GetWidth())};
  preview->InvalidateLocalInRect(band);
  UpdateNow();
  preview->SetUserWord(kLineWord, uint32_t(line + int32_t(block)));
  if (end >= last) {
    block = block == kCoarseBlock ? kFineBlock : 0;
    preview->SetUserWord(kLineWord, 0);
    preview->SetUserWord(kBlockWord, block);
  }
  return kNoErr;
}
