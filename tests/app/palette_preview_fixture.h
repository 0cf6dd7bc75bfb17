// The control palette built headless from the build's controlpalette.dat beside a shown document
// window that is the program's current one, with its settings taken from a preferences file the test
// writes first.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/control_palette.h"
#include "document/prefs_file.h"
#include "framework/core/four_cc.h"
#include "framework/core/ix_text.h"
#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "tests/app/doc_commands_fixture.h"

class PaletteTest : public DocCommandsTest {
 protected:
  // Where the palette stands on the screen: right of the document window.
  static constexpr SPointHV kPalettePlace{kSize.h + 60, 20};

  void SetUp() override {
    DocCommandsTest::SetUp();
    if (HasFatalFailure()) return;
    paletteLayout = OpenDataFile("controlpalette.dat");
  }
  void TearDown() override {
    delete palette;
    palette = nullptr;
    SetCurrentDocWindow(nullptr);
    paletteLayout.reset();
    DocCommandsTest::TearDown();
  }

  // Preferences that the palette's build takes: the stored preview mode, and the auto preview flag.
  static void StoreSettings(uint32_t previewMode, bool autoPreview) {
    CPrefsFile prefs;
    prefs.SetWord(CControlPalette::kPrefsPreviousState, 1);
    uint8_t* block = prefs.GetBlock();
    block[CControlPalette::kPrefsAutoPreview] = autoPreview ? 1 : 0;
    block[CControlPalette::kPrefsRenderReport] = 1;
    prefs.SetWord(CControlPalette::kPrefsPreviewMode, int32_t(previewMode));
    ASSERT_TRUE(prefs.Write());
  }

  // The window (made unless the test made it) shown and current, the palette built and shown.
  CControlPalette& MakePalette() {
    if (!window) Made();
    Show();
    SetCurrentDocWindow(window);
    palette = new CControlPalette(owner, paletteLayout.get());
    EXPECT_EQ(palette->BuildOnce(), 0);
    palette->MoveTo(kPalettePlace);
    palette->Show();
    return *palette;
  }

  // A message of the kind to the palette, as its owner hands it on.
  int32_t Send(uint32_t kind, const char* element, uint32_t data = 0, const char* windowName = nullptr) {
    CUIMessage message;
    message.Init(kind, element, windowName, "control palette", 0);
    message.SetDataWord(data);
    return palette->HandleEvent(&message);
  }
  int32_t ObjInfoChanged(uint32_t changes) { return Send(2, "objinfochanged", changes); }

  // The element's centre on the screen, where a host canvas's tree has its root coordinates.
  static SPointHV ScreenCentre(CElement* element) {
    SRect local, screen;
    element->GetLocalRect(&local);
    element->LocalToRootRect(&screen, local);
    return {(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
  }
  static void MovePointer(SPointHV screen) { platform::SetCursorPos(screen.h, screen.v); }
  static void AdvanceTicks(int64_t ticks) { platform::AdvanceVirtualClock(ticks * 50 / 3 + 1); }
  static std::string Cursor() { return platform::headless::CursorDescription(platform::GetCursor()); }

  std::unique_ptr<CResourceEnv> paletteLayout;
  CControlPalette* palette = nullptr;
};
