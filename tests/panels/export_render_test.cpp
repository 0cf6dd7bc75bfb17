// The export render dialog: filled from the document window (aspect ratio, memory, printed size), its
// fields kept in range and in proportion, and the render "ok" asks of the window.
#include "panels/export_render.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/render_to_disk.h"
#include "framework/core/result_codes.h"
#include "framework/ui/tx_element.h"
#include "platform/system.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "export render";

// The window's size and title as the test sets them, and its renders, recorded.
class CExportingHost : public CPaletteHost {
 public:
  SPointHV GetWindowImageSize() const override { return size; }
  const char* GetTitle() const override { return "Canyon"; }
  int32_t RenderToDisk(const SDiskRender& request) override {
    renders.push_back(request);
    return answer;
  }
  SPointHV size{640, 480};
  int32_t answer = 0;
  std::vector<SDiskRender> renders;
};

class ExportRender : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    dialog = Dialog<CExportRender>("exportrender.dat");
    dialog->SetDocumentHost(&host);
  }
  void TearDown() override {
    dialog.reset();
    DialogsTest::TearDown();
  }
  void Open(SPointHV size) {
    host.size = size;
    ASSERT_EQ(dialog->Prepare(true), 0);
    dialog->Refresh(false);
  }
  std::string Text(const char* name) { return dynamic_cast<CTxElement*>(Find(*dialog, name))->GetText(); }
  std::vector<std::string> Fields() {
    std::vector<std::string> texts;
    for (uint32_t i = 0; i < CExportRender::kFieldCount; ++i) texts.push_back(dialog->GetField(i)->GetText());
    return texts;
  }
  void Enter(uint32_t field, const char* text) {
    const char* names[] = {"size x", "size y", "dpi", "outsize x", "outsize y"};
    Typed(*dialog, CExportRender::Fields(), kCanvas, names[field], text);
  }
  int32_t Send(const char* element) {
    CUIMessage message = Named(kCanvas, element);
    return dialog->HandleEvent(&message);
  }

  CExportingHost host;
  std::unique_ptr<CExportRender> dialog;
};

TEST_F(ExportRender, PrepareShowsTheAspectRatioAndTheMemoryCentred) {
  struct SCase {
    SPointHV size;
    const char* aspect;
    const char* memory;
  } cases[] = {
      {{640, 480}, "Aspect ratio 4:3", "Image memory 1.23 MB"},
      {{1248, 324}, "Aspect ratio 104:27", "Image memory 1.62 MB"},
      {{1000, 1000}, "Aspect ratio 1:1", "Image memory 4.00 MB"},
      {{595, 842}, "Aspect ratio 0.71:1", "Image memory 2.00 MB"},
      {{1000, 999}, "Aspect ratio 1.00:1", "Image memory 4.00 MB"},
      {{100, 100}, "Aspect ratio 1:1", "Image memory 40 KB"},
      {{50, 50}, "Aspect ratio 1:1", "Image memory 10000 bytes"},
      {{65535, 65535}, "Aspect ratio 1:1", "Image memory 17.18 GB"},
  };
  for (const SCase& c : cases) {
    Open(c.size);
    EXPECT_EQ(Text("info text 1"), c.aspect) << c.size.h << "x" << c.size.v;
    EXPECT_EQ(Text("info text 2"), c.memory) << c.size.h << "x" << c.size.v;
    dialog->Close();
  }
  EXPECT_EQ(dialog->GetImageMemory(), 17179344900u);
  Open({640, 480});
  EXPECT_EQ(Text("doc title"), "Canyon");
  EXPECT_EQ(Fields(), (std::vector<std::string>{"640", "480", "72", "8.89", "6.67"}));
  for (const char* name : {"doc title", "info text 1", "info text 2"}) {
    auto* element = dynamic_cast<CTxElement*>(Find(*dialog, name));
    SRect text;
    ASSERT_EQ(element->GetTextRect(&text), 0);
    const SRect& rect = element->GetRect();
    EXPECT_NEAR((text.left + text.right) * 0.5, RectWidth(rect) * 0.5, 1.0) << name;
    EXPECT_NEAR((text.top + text.bottom) * 0.5, RectHeight(rect) * 0.5, 1.0) << name;
  }
}

TEST_F(ExportRender, TypedValuesAreClampedKeptInProportionAndFollowTheResolution) {
  struct SCase {
    SPointHV size;
    uint32_t field;
    const char* typed;
    std::vector<std::string> fields;
    uint32_t beeps;
  } cases[] = {
      {{640, 480}, CExportRender::kSizeX, "0", {"1", "1", "72", "0.01", "0.01"}, 1},
      {{640, 480}, CExportRender::kSizeX, "70000", {"65535", "49151", "72", "910.21", "682.65"}, 1},
      {{640, 480}, CExportRender::kOutsizeX, "2", {"144", "108", "72", "2", "1.50"}, 0},
      {{1248, 324}, CExportRender::kSizeY, "65535", {"65535", "17013", "72", "910.21", "236.29"}, 1},
      // The resolution stays from one use to the next: last.
      {{720, 540}, CExportRender::kDpi, "144", {"720", "540", "144", "5", "3.75"}, 0},
  };
  for (const SCase& c : cases) {
    Open(c.size);
    const uint32_t beeps = platform::BeepCount();
    Enter(c.field, c.typed);
    EXPECT_EQ(Fields(), c.fields) << c.size.h << " " << c.typed;
    EXPECT_EQ(platform::BeepCount() - beeps, c.beeps) << c.size.h << " " << c.typed;
    EXPECT_GE(dialog->GetWidth(), 1);
    EXPECT_GE(dialog->GetHeight(), 1);
    dialog->Close();
  }
}

TEST_F(ExportRender, OkRendersAtTheSizeCancelStartsNothing) {
  const uint32_t level = owner->GetModalLevel();
  Open({640, 480});
  Enter(CExportRender::kOutsizeX, "2");
  EXPECT_EQ(Send("auto rotate check"), 0);
  EXPECT_TRUE(dialog->IsAutoRotate());
  EXPECT_EQ(Send("cancel"), kHandled);
  EXPECT_TRUE(host.renders.empty());
  EXPECT_EQ(owner->GetModalLevel(), level);
  EXPECT_EQ(dialog->GetWidth(), 144);

  // Shown again without filling, the values stay.
  dialog->Refresh(false);
  host.answer = 24;
  EXPECT_EQ(Send("ok"), 24);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level);
  ASSERT_EQ(host.renders.size(), 1u);
  EXPECT_EQ(host.renders[0].width, 144);
  EXPECT_EQ(host.renders[0].height, 108);
  EXPECT_TRUE(host.renders[0].rotate);
  EXPECT_EQ(host.renders[0].resolution, 72);
}

// The box follows the flag when the dialog is filled; a click flips both.
TEST_F(ExportRender, TheAutoRotateBoxShowsTheFlag) {
  Open({640, 480});
  auto* box = dynamic_cast<CImElement*>(Find(*dialog, "auto rotate check"));
  EXPECT_EQ(box->GetImageList()->Selected(), 0u);
  Click(box);
  EXPECT_TRUE(dialog->IsAutoRotate());
  EXPECT_EQ(box->GetImageList()->Selected(), 1u);
  dialog->Close();
  Open({640, 480});
  EXPECT_EQ(box->GetImageList()->Selected(), 1u);
}

// While hidden it takes only its open message from another canvas, which shows it; shown, that
// message only brings it forward.
TEST_F(ExportRender, HiddenItTakesOnlyItsOpenMessage) {
  EXPECT_EQ(Send("ok"), 0);
  EXPECT_TRUE(host.renders.empty());
  CUIMessage open = Named("menu bar", kCanvas);
  const uint32_t level = owner->GetModalLevel();
  EXPECT_EQ(dialog->HandleEvent(&open), kHandled);
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  EXPECT_EQ(dialog->HandleEvent(&open), kHandled);
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
}

}  // namespace
