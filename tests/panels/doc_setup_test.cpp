// The document set-up dialog on a 1024 × 768 screen: its size presets and the render sizes they give,
// typing into its fields with and without the constrain box, the resolutions that fall out of reach,
// the press tracking of its buttons, and the message "ok" queues for the document window.
#include "panels/doc_setup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/file_spec.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "platform/system.h"
#include "tests/panels/dialogs_fixture.h"
#include "tools/layout_source.h"

namespace {

constexpr const char* kCanvas = "doc setup";

class DocSetup : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    dialog = Dialog<CDocSetup>("docsetup.dat");
  }
  void TearDown() override {
    dialog.reset();
    DialogsTest::TearDown();
  }
  void Open(SPointHV size, const char* title = "Scene", bool isNew = false) {
    ASSERT_EQ(dialog->OpenForNewDocument(size, title, isNew), 0);
    ASSERT_EQ(dialog->Open(), 0);
  }
  std::vector<std::string> Fields() {
    std::vector<std::string> texts;
    for (uint32_t i = 0; i < CDocSetup::kFieldCount; ++i) texts.push_back(dialog->GetField(i)->GetText());
    return texts;
  }
  std::vector<std::string> Resolutions() {
    std::vector<std::string> texts;
    for (uint32_t i = 0; i < CDocSetup::kResolutionCount; ++i) {
      const char* text = dialog->GetResolution(i).button->GetText();
      texts.push_back(text ? text : "");
    }
    return texts;
  }
  int32_t Chosen() {
    for (uint32_t i = 0; i < CDocSetup::kResolutionCount; ++i) {
      if (dialog->GetResolution(i).chosen) return int32_t(i);
    }
    return -1;
  }
  void Enter(uint32_t field, const char* text) {
    const char* names[] = {"doc res x", "doc res y", "doc aspect x", "doc aspect y"};
    EXPECT_EQ(Typed(*dialog, CDocSetup::Fields(), kCanvas, names[field], text), kHandled) << names[field];
  }
  int32_t Send(const char* element, const char* window = nullptr) {
    CUIMessage message;
    message.Init(0, element, window, kCanvas, CUIMessage::kBroadcast);
    return dialog->HandleEvent(&message);
  }
  static uint32_t State(CElement* element) {
    CIxImage* list = dynamic_cast<CImElement*>(element)->GetImageList();
    return list->Selected();
  }

  std::unique_ptr<CDocSetup> dialog;
};

TEST_F(DocSetup, PresetsSetTheSizeTheAspectAndTheRenderSizes) {
  Open({480, 360});
  struct SCase {
    const char* preset;
    std::vector<std::string> fields;
  } cases[] = {
      {"doc size1", {"864", "630", "48", "35"}},
      {"doc size3", {"864", "864", "1", "1"}},
      {"doc size5", {"864", "324", "8", "3"}},
      {"doc size6", {"1248", "324", "104", "27"}},
      {"doc size9", {"595", "842", "0.71", "1"}},
      {"doc size4", {"640", "480", "4", "3"}},
  };
  for (const SCase& c : cases) {
    // A named preset chooses the resolution at the document's own size again.
    EXPECT_EQ(Send("render res 0", "render res"), kHandled);
    EXPECT_EQ(Chosen(), 0);
    EXPECT_EQ(Send(c.preset, "doc size"), kHandled);
    EXPECT_EQ(Fields(), c.fields) << c.preset;
    EXPECT_EQ(Chosen(), int32_t(CDocSetup::kFullResolution)) << c.preset;
  }
  Send("doc size1", "doc size");
  EXPECT_EQ(Resolutions(), (std::vector<std::string>{"216 x 157", "432 x 315", "864 x 630", "1296 x 945", "1728 x 1260",
                                                     "2592 x 1890", "3456 x 2520"}));
  EXPECT_EQ(dialog->GetDocumentSize(), (SPointHV{864, 630}));
  EXPECT_TRUE(Focused(dialog->GetField(CDocSetup::kWidthField)));
  EXPECT_TRUE(AllSelected(dialog->GetField(CDocSetup::kWidthField)));
}

TEST_F(DocSetup, APresetReleasedOutsideLeavesThePreviousOneAndChangesNothing) {
  Open({480, 360});
  CElement* small = Find(*dialog, "doc size2");
  CElement* tv = Find(*dialog, "doc size4");
  Click(small);
  EXPECT_EQ(CDocSetup::GetCurrentPreset(), small);
  EXPECT_EQ(State(small), 1u);
  EXPECT_EQ(dialog->GetDocumentSize(), (SPointHV{320, 240}));
  const SPointHV inside = OnScreen(tv, {4, 4});
  const SPointHV outside = OnScreen(tv, {-30, -30});
  Script("move " + std::to_string(inside.h) + " " + std::to_string(inside.v) + "\ndown left\nwait 60\nmove " +
         std::to_string(outside.h) + " " + std::to_string(outside.v) + "\nwait 60\nup left\n");
  EXPECT_EQ(CDocSetup::GetCurrentPreset(), small);
  EXPECT_EQ(State(small), 1u);
  EXPECT_EQ(State(tv), 0u);
  EXPECT_EQ(dialog->GetDocumentSize(), (SPointHV{320, 240}));
  // Filled again, no preset is the current one.
  Open({480, 360});
  EXPECT_EQ(CDocSetup::GetCurrentPreset(), nullptr);
  EXPECT_EQ(State(small), 0u);
}

TEST_F(DocSetup, TheTitleIsTheDocumentsOrTheListsForANewOne) {
  Open({480, 360}, "Valley");
  EXPECT_STREQ(dialog->GetTitleElement()->GetText(), "Valley");
  Open({480, 360}, nullptr, true);
  EXPECT_STREQ(dialog->GetTitleElement()->GetText(), "New Document");
}

// A layout file without the list names a new document "Untitled".
TEST_F(DocSetup, WithoutItsTitleListANewDocumentIsUntitled) {
  std::ifstream in(QUARN2_SOURCE_DIR "/resources/layouts/docsetup.layout");
  std::stringstream source;
  source << in.rdbuf();
  std::string text = source.str();
  const size_t list = text.find("texts \"new doc title\"");
  ASSERT_NE(list, std::string::npos);
  text.erase(list, text.find("}\n", list) + 2 - list);
  CFileSpec spec;
  spec.Set((folder + "/untitled.dat").c_str());
  CResourceEnv file(spec, CFile::kModeReadWrite);
  std::string error;
  ASSERT_TRUE(CompileLayoutText(file, text, "docsetup.layout", QUARN2_SOURCE_DIR "/resources/layouts", &error)) << error;
  CDocSetup untitled(owner, &file);
  ASSERT_EQ(untitled.BuildOnce(), 0);
  untitled.OpenForNewDocument({480, 360}, nullptr, true);
  EXPECT_STREQ(untitled.GetTitleElement()->GetText(), "Untitled");
}

TEST_F(DocSetup, TypedSizesAreClampedAndFollowedByTheOtherSizeOrTheAspect) {
  Open({640, 480});
  struct SCase {
    uint32_t field;
    const char* typed;
    std::vector<std::string> fields;
  } cases[] = {
      {CDocSetup::kWidthField, "5000", {"4000", "3000", "4", "3"}},  // clamped: all four rewritten
      {CDocSetup::kHeightField, "0", {"1", "1", "4", "3"}},
      {CDocSetup::kWidthField, "800", {"800", "600", "4", "3"}},
      {CDocSetup::kAspectXField, "2", {"400", "600", "2", "3"}},
      {CDocSetup::kAspectYField, "1", {"400", "200", "2", "1"}},
  };
  for (const SCase& c : cases) {
    Enter(c.field, c.typed);
    EXPECT_EQ(Fields(), c.fields) << c.field << " " << c.typed;
  }
  // Unconstrained, a typed size keeps the other and derives the aspect; a typed aspect still sizes.
  EXPECT_EQ(Send("constrain prop"), 0);
  EXPECT_FALSE(dialog->IsConstrained());
  Enter(CDocSetup::kWidthField, "1000");
  EXPECT_EQ(Fields(), (std::vector<std::string>{"1000", "200", "5", "1"}));
  Enter(CDocSetup::kAspectYField, "2");
  EXPECT_EQ(Fields(), (std::vector<std::string>{"1000", "400", "5", "2"}));
  // A derived size is at least 1.
  Send("constrain prop");
  Enter(CDocSetup::kAspectXField, "1000");
  Enter(CDocSetup::kAspectYField, "1");
  Enter(CDocSetup::kWidthField, "100");
  EXPECT_EQ(dialog->GetDocumentSize(), (SPointHV{100, 1}));
}

TEST_F(DocSetup, ResolutionsBeyondTheLimitsAreDisabledAndAChoiceThatFallsOutMovesToFullSize) {
  Open({640, 480});
  Enter(CDocSetup::kWidthField, "1200");
  const CDocSetup::SResItem& four = dialog->GetResolution(6);
  EXPECT_TRUE(four.disabled);
  EXPECT_EQ(four.width, 0);
  EXPECT_EQ(four.button->GetStyle()->colour >> 24, 0x50u);
  EXPECT_EQ(four.title->GetStyle()->colour >> 24, 0x50u);
  const uint32_t beeps = platform::BeepCount();
  Click(four.button);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(Chosen(), int32_t(CDocSetup::kFullResolution));
  // Choosing inverts the colours of the button and its title; the choice follows a click.
  const uint32_t fill = dialog->GetResolution(4).button->GetFillColor().value;
  Click(dialog->GetResolution(4).button);
  EXPECT_EQ(Chosen(), 4);
  EXPECT_EQ(dialog->GetResolution(4).button->GetFillColor().value, fill ^ 0xFFFFFFu);
  EXPECT_STREQ(dialog->GetResolution(4).button->GetText(), "2400 x 1800");
  Enter(CDocSetup::kWidthField, "2500");
  EXPECT_TRUE(dialog->GetResolution(4).disabled);
  EXPECT_EQ(Chosen(), int32_t(CDocSetup::kFullResolution));
  EXPECT_EQ(dialog->GetResolution(4).button->GetFillColor().value, fill);
  Enter(CDocSetup::kWidthField, "800");
  EXPECT_FALSE(dialog->GetResolution(4).disabled);
  EXPECT_EQ(dialog->GetResolution(4).button->GetStyle()->colour >> 24, 0xFFu);
}

// "ok" closes one level down and queues the sizes for the document window, delivered at a later idle
// step: "size document" after the set-up command, "new document" after the new-document command.
TEST_F(DocSetup, OkQueuesTheSizesForTheDocumentWindowCancelNothing) {
  struct SSeen {
    std::string element, canvas;
    uint32_t flags;
    SPointHV first, second;
  };
  std::vector<SSeen> seen;
  onSent = [&seen](const CUIMessage& m) {
    if (std::string(m.canvasName) == "doc window") seen.push_back({m.elementName, m.canvasName, m.flags, m.firstPoint, m.secondPoint});
  };
  for (const bool isNew : {false, true}) {
    seen.clear();
    const uint32_t level = owner->GetModalLevel();
    Open({480, 360}, "Scene", isNew);
    EXPECT_EQ(owner->GetModalLevel(), level + 1);
    Send("doc size1", "doc size");
    EXPECT_EQ(Send("ok"), kHandled);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(owner->GetModalLevel(), level);
    EXPECT_TRUE(seen.empty());
    ASSERT_EQ(owner->GetQueueCount(), 1u);
    owner->DispatchQueued();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].element, isNew ? "new document" : "size document");
    EXPECT_EQ(seen[0].flags, CUIMessage::kBroadcast);
    EXPECT_EQ(seen[0].first, (SPointHV{864, 630}));
    EXPECT_EQ(seen[0].second, (SPointHV{864, 630}));
  }
  Open({480, 360});
  Send("render res 1", "render res");
  Send("ok");
  owner->DispatchQueued();
  EXPECT_EQ(seen.back().second, (SPointHV{240, 180}));
  seen.clear();
  Open({480, 360});
  EXPECT_EQ(Send("cancel"), kHandled);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(owner->GetQueueCount(), 0u);
}

// While hidden it answers only its open request, which builds and shows it.
TEST_F(DocSetup, HiddenItTakesOnlyItsOpenRequest) {
  EXPECT_EQ(Send("ok"), 0);
  EXPECT_EQ(owner->GetQueueCount(), 0u);
  EXPECT_EQ(Send(kCanvas), kHandled);
  EXPECT_TRUE(dialog->IsShown());
  const uint32_t level = owner->GetModalLevel();
  EXPECT_EQ(Send(kCanvas), kHandled);
  EXPECT_EQ(owner->GetModalLevel(), level);
}

TEST_F(DocSetup, AlignElementTextPlacesTheTextByItsModes) {
  Open({480, 360}, "Align");
  CTxElement* title = dialog->GetTitleElement();
  const SRect& rect = title->GetRect();
  const float width = float(RectWidth(rect)), height = float(RectHeight(rect));
  struct SCase {
    uint32_t h, v;
  } cases[] = {{1, 1}, {2, 4}, {3, 5}};
  for (const SCase& c : cases) {
    AlignElementText(title, c.h, c.v);
    SRect text;
    ASSERT_EQ(title->GetTextRect(&text), 0);
    const float tw = float(RectWidth(text)), th = float(RectHeight(text));
    const float left = c.h == 1 ? (width + 0.5f) * 0.5f - tw * 0.5f : c.h == 2 ? 5 : width - 5 - tw;
    const float top = c.v == 1 ? (height + 0.5f) * 0.5f - th * 0.5f : c.v == 4 ? 0 : height - th;
    EXPECT_NEAR(float(text.left), left, 1.0f) << c.h;
    EXPECT_NEAR(float(text.top), top, 1.0f) << c.v;
  }
}

}  // namespace
