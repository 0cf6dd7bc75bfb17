#include "app/splashscreen.h"

#include <algorithm>
#include <memory>

#include "app/layout_needs.h"
#include "framework/core/appl.h"
#include "framework/core/ix_text.h"
#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/image.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_host_canvas.h"
#include "platform/window.h"

namespace {

CElement* FindChild(CHoElement* root, const char* name) {
  CElement* element = nullptr;
  if (!root || CElSystem::FindElement(root->GetChildren(), name, &element, false)) return nullptr;
  return element;
}

}  // namespace

CSplashscreen::CSplashscreen() : CHoCanvas(SRect{}, nullptr, false, kPopupStyle, nullptr, kPriority) {}

int32_t CSplashscreen::Build(CResourceEnv* environment) {
  if (const int32_t err = Create(environment, need::kSplashscreen.name)) return err;
  fPicture = dynamic_cast<CImElement*>(FindChild(GetRoot(), need::kSplashPicture.name));
  if (!fPicture) return kErrObjectNotFound;
  return fPicture->Show(false);
}

bool CSplashscreen::Show() {
  if (!fCaptured) CaptureBackground();
  CHoCanvas::Show();
  platform::UpdateWindow(GetWindow());
  return true;
}

// Taken before the window is mapped, so that the copy holds what lies beneath it and never the
// window itself; once, since later copies would only find the window there.
void CSplashscreen::CaptureBackground() {
  fCaptured = true;
  CImage* backdrop = GetImage();
  if (!backdrop || !GetRoot()) return;
  SRect element;
  GetRoot()->GetLocalRect(&element);
  const int32_t width = std::min(RectWidth(element), int32_t(backdrop->GetWidth()));
  const int32_t height = std::min(RectHeight(element), int32_t(backdrop->GetHeight()));
  if (width <= 0 || height <= 0) return;
  // The grab fills a whole image: one of the root's size, so the rest of the backdrop keeps its pixels.
  int32_t err = kNoErr;
  const std::unique_ptr<CImage> screen(NewDataImage(uint32_t(width), uint32_t(height), &err));
  if (!screen) return;
  const SRect& frame = GetFrame();
  GrabScreenIntoImage(screen.get(), {frame.left, frame.top});
  screen->SetOrigin(backdrop->GetOriginH(), backdrop->GetOriginV());
  backdrop->CopyFrom(screen.get());
}

bool CSplashscreen::LayOutEntry(CTxElement* text, uint32_t entry, SRect* laidOut) {
  CIxText* list = text->GetTextList();
  if (!list || text->SetText(nullptr, true, false) || list->Select(entry)) return false;
  if (text->SetPosition({0.0f, 0.0f}, false)) return false;
  return text->Layout(laidOut, false, CImElement::kUnlimited) == kNoErr;
}

int32_t CSplashscreen::RunAboutBox() {
  CMemBlock working(kWorkingBytes, GetDataPool());
  if (!working.IsOwned()) return kErrOutOfMemory;
  CAppl* app = GetApplication();
  if (fPicture) fPicture->SelectEntry(kAboutState, false, false, false);
  auto* text = dynamic_cast<CTxElement*>(FindChild(GetRoot(), need::kAboutText.name));
  if (!text || !app) return kErrGeneric;
  text->Show(false);
  Show();
  CTimer scroll, poll;
  scroll.Start();
  poll.Start();
  const SRect& rect = text->GetRect();
  const int32_t width = RectWidth(rect), height = RectHeight(rect);
  CIxText* list = text->GetTextList();
  const int32_t count = list ? int32_t(list->Count()) : 0;
  int32_t index = -2;
  float x = 0.0f, y = 0.0f, threshold = 1.0f;
  for (;;) {
    if (scroll.ElapsedTicks() > kScrollTicks) {
      if (!(y > threshold)) {
        if (++index >= count) index = 0;
        if (index != -1) {
          // Entries 0 and 2 are never shown: the first round starts at entry 1 and goes on at 3.
          uint32_t entry = uint32_t(index);
          if (index == 0) {
            index = 2;
            entry = 1;
          }
          SRect laidOut;
          if (!LayOutEntry(text, entry, &laidOut)) return kErrGeneric;
          threshold = -float(RectHeight(laidOut));
          y = float(height + 1);
          x = float(width / 2 - RectWidth(laidOut) / 2);
        }
      }
      text->SetPosition({x, y}, true);
      y -= 1.0f;
      scroll.Start();
    }
    if (poll.ElapsedTicks() >= kPollTicks) {
      poll.Start();
      if (app->IsKeyPending() || app->IsClickPending()) return kNoErr;
    }
    // Painting goes on while the box waits; the wait lets the rest of the machine run.
    platform::DispatchPaintMessages();
    CTimer tick;
    tick.WaitTicks(1);
  }
}
