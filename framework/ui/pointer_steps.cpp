#include "framework/ui/pointer_steps.h"

#include "framework/core/appl.h"
#include "framework/ui/canvas.h"

namespace {

// A pointer this close to the screen's edge may not move further that way.
constexpr int32_t kEdgeMargin = 32;

platform::SPoint Pointer() {
  CAppl* app = GetApplication();
  return app ? app->GetCursorPos() : platform::GetCursorPos();
}

bool NearEdge(platform::SPoint p) {
  const int32_t width = platform::GetSystemMetrics(platform::kSmCxScreen);
  const int32_t height = platform::GetSystemMetrics(platform::kSmCyScreen);
  return p.x < kEdgeMargin || p.y < kEdgeMargin || p.x >= width - kEdgeMargin || p.y >= height - kEdgeMargin;
}

}  // namespace

CPointerSteps::CPointerSteps(platform::SPoint press) : fPress(press), fLast(press) {}

platform::SPoint CPointerSteps::Next() {
  const platform::SPoint now = Pointer();
  const platform::SPoint step{now.x - fLast.x, now.y - fLast.y};
  fLast = now;
  if (NearEdge(now) && !NearEdge(fPress)) {
    Home();
    // Where the warp left it, which is where the next step starts.
    fLast = Pointer();
  }
  return step;
}

void CPointerSteps::Home() { SetCursorPosition(fPress.x, fPress.y); }
