// The number pop-up on the material composer's value elements: where it opens, what it writes back
// and tells the composer, and the keys that close it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/text_edit_popup.h"
#include "tests/app/material_composer_fixture.h"

namespace {

// A message of the value elements as the broadcaster was offered it.
struct SValueMessage {
  uint32_t kind;
  std::string element;
  SPointHV first, second;
  bool operator==(const SValueMessage&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SValueMessage& m) {
  return out << "{" << m.kind << " \"" << m.element << "\" (" << m.first.h << "," << m.first.v << ") (" << m.second.h
             << "," << m.second.v << ")}";
}

// The composer, keeping the kind-2 messages its elements send it.
class CListeningComposer : public CMaterialComposer {
 public:
  using CMaterialComposer::CMaterialComposer;
  int32_t HandleEvent(CUIMessage* message) override {
    if (message && message->kind == 2)
      values.push_back({message->kind, message->elementName, message->firstPoint, message->secondPoint});
    return CMaterialComposer::HandleEvent(message);
  }
  std::vector<SValueMessage> values;
};

class TextEditPopupTest : public MaterialComposerTest {
 protected:
  void SetUp() override {
    MaterialComposerTest::SetUp();
    if (HasFatalFailure()) return;
    BuildScene();
    listening = &MakeComposer<CListeningComposer>();
    Open();
    target = composer->GetValueText(0);
    ASSERT_NE(target, nullptr);
    target->SetUserWord(0, 37);
  }
  std::vector<SValueMessage>& values() { return listening->values; }
  void OpenOn(CElement* element) {
    EXPECT_EQ(CTextEditPopup::NumericCallback(element, nullptr, {}, nullptr), 0);
    ASSERT_TRUE(popup->IsShown());
    values().clear();
  }
  CTextEdit* Field() const { return popup->GetField(); }
  // Keys as the keyboard gives them: down, then up.
  void Keys(const std::string& keys) { Play(keys); }
  static std::string Stroke(uint32_t key, const std::vector<uint32_t>& held = {}) {
    std::string script;
    for (uint32_t k : held) script += "key " + std::to_string(k) + "\n";
    // A lone digit would name the digit's key.
    const std::string name = key == 9 ? "Tab" : std::to_string(key);
    script += "key " + name + "\nwait 20\nkeyup " + name + "\n";
    for (uint32_t k : held) script += "keyup " + std::to_string(k) + "\n";
    return script;
  }
  static std::string Typed(const std::string& text) {
    std::string script;
    for (char c : text) script += std::string("char ") + c + "\n";
    return script;
  }
  bool AllSelected() const {
    uint32_t start = 1, end = 0;
    platform::SendMessage(Field()->GetWindow(), platform::kEmGetSel, reinterpret_cast<uintptr_t>(&start),
                          reinterpret_cast<intptr_t>(&end));
    return start == 0 && end == Field()->GetTextLength();
  }

  CElement* target = nullptr;
  CListeningComposer* listening = nullptr;
};

TEST_F(TextEditPopupTest, OpensCentredOverTheElementWithItsValueSelected) {
  const uint32_t level = owner->GetModalLevel();
  OpenOn(target);
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  EXPECT_EQ(popup->GetTarget(), target);
  SRect local, onScreen;
  target->GetLocalRect(&local);
  target->LocalToRootRect(&onScreen, local);
  const SRect& frame = popup->GetFrame();
  EXPECT_NEAR((frame.left + frame.right) / 2, (onScreen.left + onScreen.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (onScreen.top + onScreen.bottom) / 2, 1);
  EXPECT_STREQ(Field()->GetText(), "37");
  EXPECT_TRUE(AllSelected());
  EXPECT_EQ(platform::GetFocus(), Field()->GetWindow());
}

// Near each edge of the screen the pop-up is shifted fully onto it.
TEST_F(TextEditPopupTest, NearAnEdgeItIsShiftedOntoTheScreen) {
  const SRect screen = app->GetScreenRect();
  SRect local, at;
  target->GetLocalRect(&local);
  target->LocalToRootRect(&at, local);
  const SRect& composerFrame = composer->GetFrame();
  // The composer moved so that the element's centre lies on the edge.
  const SPointHV centre{(at.left + at.right) / 2, (at.top + at.bottom) / 2};
  const SPointHV moves[] = {{screen.left - centre.h, 0},
                            {0, screen.top - centre.v},
                            {screen.right - centre.h, 0},
                            {0, screen.bottom - centre.v}};
  for (const SPointHV& move : moves) {
    composer->MoveTo({composerFrame.left + move.h, composerFrame.top + move.v});
    OpenOn(target);
    const SRect& frame = popup->GetFrame();
    EXPECT_GE(frame.left, screen.left) << move.h << "," << move.v;
    EXPECT_GE(frame.top, screen.top) << move.h << "," << move.v;
    EXPECT_LE(frame.right, screen.right) << move.h << "," << move.v;
    EXPECT_LE(frame.bottom, screen.bottom) << move.h << "," << move.v;
    popup->Close(false);
    composer->MoveTo(kComposerAt);
  }
}

TEST_F(TextEditPopupTest, ReturnWritesTheTruncatedValueAndTellsTheComposer) {
  const uint32_t level = owner->GetModalLevel();
  OpenOn(target);
  Keys(Typed("12.7") + Stroke(13));
  EXPECT_FALSE(popup->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level);
  EXPECT_EQ(Word(target), 12);
  EXPECT_EQ(values(), (std::vector<SValueMessage>{{2, target->GetName(), {12, 12}, {0, 0}}}));
  EXPECT_EQ(Word(composer->GetValueSlider(0)), 12) << "the composer took it";
}

TEST_F(TextEditPopupTest, EscapeAndControlNLeaveTheValue) {
  for (const std::string& close : {Stroke(27), Stroke('N', {kControl})}) {
    OpenOn(target);
    Keys(Typed("5"));
    EXPECT_EQ(popup->GetValue(), 5.0f);
    Keys(close);
    EXPECT_FALSE(popup->IsShown()) << close;
    EXPECT_EQ(Word(target), 37) << close;
    EXPECT_TRUE(values().empty()) << close;
  }
}

// Shift+Up adds 10 and Alt+Up 0.1 to the field's number; the value kept is its truncation.
TEST_F(TextEditPopupTest, ArrowsStepTheNumberAndTheValueIsItsTruncation) {
  OpenOn(target);
  Keys(Stroke(38, {kShift}));
  EXPECT_STREQ(Field()->GetText(), "47");
  EXPECT_EQ(popup->GetValue(), 47.0f);
  Keys(Stroke(38, {kAlt}));
  EXPECT_FLOAT_EQ(Field()->GetFloat(), 47.1f);
  EXPECT_EQ(popup->GetValue(), 47.0f);
  Keys(Stroke(40));
  EXPECT_FLOAT_EQ(Field()->GetFloat(), 46.1f);
  Keys(Stroke(13));
  EXPECT_EQ(Word(target), 46);
}

// Tab applies and asks the composer for the next value element, on which the pop-up opens.
TEST_F(TextEditPopupTest, TabAppliesAndMovesOn) {
  OpenOn(target);
  Keys(Typed("20") + Stroke(9));
  EXPECT_EQ(Word(target), 20);
  ASSERT_GE(values().size(), 2u);
  EXPECT_EQ(values()[0], (SValueMessage{2, target->GetName(), {20, 20}, {0, 0}}));
  EXPECT_EQ(values()[1], (SValueMessage{2, CTextEditPopup::kActivateNext, {20, 20}, {0, 0}}));
  EXPECT_TRUE(popup->IsShown());
  EXPECT_EQ(popup->GetTarget(), composer->GetValueText(1));
}

TEST_F(TextEditPopupTest, OpeningOnAnotherElementAppliesToTheFirst) {
  OpenOn(target);
  Keys(Typed("21"));
  CElement* second = composer->GetValueText(1);
  EXPECT_EQ(CTextEditPopup::NumericCallback(second, nullptr, {}, nullptr), 0);
  EXPECT_EQ(Word(target), 21);
  EXPECT_TRUE(popup->IsShown());
  EXPECT_EQ(popup->GetTarget(), second);
}

TEST_F(TextEditPopupTest, ASeventhCharacterIsRefused) {
  OpenOn(target);
  Keys(Typed("1234567"));
  EXPECT_STREQ(Field()->GetText(), "123456");
}

// A target switched off meanwhile receives nothing.
TEST_F(TextEditPopupTest, AnInactiveTargetReceivesNothing) {
  OpenOn(target);
  Keys(Typed("9"));
  CMaterialComposer::SwitchOn(target, false, false);
  Keys(Stroke(13));
  EXPECT_FALSE(popup->IsShown());
  EXPECT_EQ(Word(target), 37);
  EXPECT_TRUE(values().empty());
}

// While the pop-up is up, a hover over its field keeps the composer's preview rendering.
TEST_F(TextEditPopupTest, HoveringTheFieldRendersTheComposersPreview) {
  OpenOn(target);
  CElement* field = nullptr;
  CElSystem::FindByName(popup->GetRoot(), "text edit field", &field);
  ASSERT_NE(field, nullptr);
  CPreviewScene* preview = composer->GetPreview();
  ASSERT_EQ(preview->RestartRender(), 0);
  ASSERT_TRUE(preview->IsRenderPending());
  for (int i = 0; i < 400 && preview->IsRenderPending(); ++i) field->RunHoverCallback({5, 5});
  EXPECT_FALSE(preview->IsRenderPending());
}

}  // namespace
