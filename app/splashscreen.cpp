#include "app/splashscreen.h"

#include <algorithm>
#include <vector>

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
#include "platform/device_context.h"
#include "platform/gdi.h"
#include "platform/window.h"

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

CElement* FindChild(CHoElement* root, const char* name) {
  CElement* element = nullptr;
  if (!root || CElSystem::FindElement(root->GetChildren(), name, &element, false)) return nullptr;
  return element;
}

// A copy of the screen's rectangle as rows of 0x00RRGGBB from the top, through an off-screen bitmap
// as the desktop system copies screens; empty when the copy cannot be made.
std::vector<uint32_t> CopyScreen(const SRect& area) {
  const int32_t width = RectWidth(area), height = RectHeight(area);
  std::vector<uint32_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  platform::DeviceContext* screen = platform::GetDC(nullptr);
  if (!screen) return pixels;
  platform::DeviceContext* memory = platform::CreateCompatibleDC(screen);
  platform::GdiObject bitmap = platform::CreateCompatibleBitmap(screen, width, height);
  if (memory && bitmap) {
    platform::GdiObject before = platform::SelectObject(memory, bitmap);
    const bool copied = platform::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, platform::kSrcCopy);
    platform::SelectObject(memory, before);
    platform::SBitmapInfoHeader header;
    header.width = width;
    header.height = -height;
    header.bitCount = 32;
    header.compression = platform::kBiRgb;
    pixels.resize(size_t(width) * size_t(height));
    if (!copied || platform::GetDIBits(screen, bitmap, 0, uint32_t(height), pixels.data(), &header,
                                       platform::kDibRgbColors) != height)
      pixels.clear();
  }
  if (bitmap) platform::DeleteObject(bitmap);
  if (memory) platform::DeleteDC(memory);
  platform::ReleaseDC(screen);
  return pixels;
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
  const SRect& frame = GetFrame();
  const std::vector<uint32_t> screen = CopyScreen({frame.top, frame.left, frame.top + height, frame.left + width});
  if (screen.empty()) return;
  CImNavigator pixels(backdrop, nullptr, true, false);
  if (!pixels.IsUsable()) return;
  for (int32_t y = 0; y < height; ++y) {
    CImVector* row = pixels.Cells(uint32_t(y));
    for (int32_t x = 0; x < width; ++x) row[x].value = kOpaque | (screen[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF);
  }
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
