#include "platform/desktop.h"

#include <algorithm>
#include <set>

#include "platform/window_backend.h"

namespace platform {

struct SDrop {
  std::vector<std::string> paths;
  SPoint point;
};

namespace {

std::set<WindowHandle> gAccepting;
std::set<SDrop*> gDrops;

SDrop* LiveDrop(DropHandle drop) { return gDrops.count(drop) ? drop : nullptr; }

void PostToTopLevelWindows(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  for (SWindow* w : AllWindows()) {
    if (!IsChildWindow(w)) PostMessage(w, message, wParam, lParam);
  }
}

}  // namespace

void DragAcceptFiles(WindowHandle window, bool accept) {
  if (accept) gAccepting.insert(window);
  else gAccepting.erase(window);
}

bool AcceptsDroppedFiles(WindowHandle window) { return IsWindow(window) && gAccepting.count(window) != 0; }

uint32_t DragQueryFileCount(DropHandle drop) {
  SDrop* d = LiveDrop(drop);
  return d ? uint32_t(d->paths.size()) : 0;
}

std::string DragQueryFile(DropHandle drop, uint32_t index) {
  SDrop* d = LiveDrop(drop);
  return d && index < d->paths.size() ? d->paths[index] : std::string();
}

SPoint DragQueryPoint(DropHandle drop) {
  SDrop* d = LiveDrop(drop);
  return d ? d->point : SPoint{};
}

void DragFinish(DropHandle drop) {
  if (!LiveDrop(drop)) return;
  gDrops.erase(drop);
  delete drop;
}

uint32_t LiveDropCount() { return uint32_t(gDrops.size()); }

SWinRect GetWorkArea() { return Backend().WorkArea(); }

bool DeliverDroppedFiles(WindowHandle window, SPoint screen, const std::vector<std::string>& paths) {
  while (window && !AcceptsDroppedFiles(window)) window = GetParent(window);
  if (!window || paths.empty()) return false;
  auto* drop = new SDrop{paths, ScreenToClient(window, screen)};
  gDrops.insert(drop);
  if (PostMessage(window, kWmDropFiles, reinterpret_cast<uintptr_t>(drop), 0)) return true;
  DragFinish(drop);
  return false;
}

void NotifyDisplayChange() {
  const int32_t width = GetSystemMetrics(kSmCxScreen), height = GetSystemMetrics(kSmCyScreen);
  PostToTopLevelWindows(kWmDisplayChange, 32, MakeLParam(width, height));
}

void NotifyQueryEndSession() { PostToTopLevelWindows(kWmQueryEndSession, 0, 0); }

}  // namespace platform
