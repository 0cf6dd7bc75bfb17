#include "app/splashscreen.h"

#include "app/layout_needs.h"
#include "framework/core/result_codes.h"
#include "platform/window.h"

CSplashscreen::CSplashscreen() : CHoCanvas(SRect{}, nullptr, false, kPopupStyle, nullptr, kPriority) {}

int32_t CSplashscreen::Build(CResourceEnv* environment) { return Create(environment, need::kSplashscreen.name); }

bool CSplashscreen::Show() {
  CHoCanvas::Show();
  platform::UpdateWindow(GetWindow());
  return true;
}

int32_t CSplashscreen::RunAboutBox() { return kErrNotImplemented; }
