// Text fields on the headless edit control: the filter, the range, stepping, the keys that go to the
// dialog or to the element's callback, and the table that owns the fields.
#include "framework/ui/text_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/window_handler.h"
#include "tests/framework/ui/canvas_fixture.h"

namespace {

std::vector<SWinEvent> gReported;
CElement* gUser = nullptr;

int32_t Record(CElement* user, CElement**, SWinEvent* event) {
  gUser = user;
  gReported.push_back(*event);
  return 0;
}

class TextEditTest : public CanvasTest {
 protected:
  // The most a field's text buffer reads back: room enough for every test that does not fill a field.
  static constexpr uint32_t kRoom = 254;
  void SetUp() override {
    CanvasTest::SetUp();
    gReported.clear();
    gUser = nullptr;
    CreateTextEditFont();
    canvas = std::make_unique<LoggingCanvas>(SRect{100, 100, 300, 400}, true, kPopup, nullptr, 10);
    field = Field(kRoom, false);
  }
  void TearDown() override {
    fields.reset();
    canvas.reset();
    CanvasTest::TearDown();
  }
  CTextEdit* Field(uint32_t maxLength, bool numeric) {
    STextEditSpec spec;
    spec.Set(canvas->GetWindow(), {20, 30, 40, 130}, 5, 6, maxLength, STextEditSpec::kRightAligned, false);
    CTextEdit* made = nullptr;
    EXPECT_EQ(fields->Add(spec, &made), 0);
    if (made && numeric) made->SetOptions(CTextEdit::kNumeric);
    if (made) made->SetCallback(&Record, reinterpret_cast<CElement*>(this));
    return made;
  }
  // Keys as the program's loop takes them, with the field holding the focus.
  void Type(const std::string& script) {
    field->SetFocus(true);
    Run(script);
  }
  uint32_t Start() const {
    uint32_t start = 0, end = 0;
    platform::SendMessage(field->GetWindow(), platform::kEmGetSel, reinterpret_cast<uintptr_t>(&start),
                          reinterpret_cast<intptr_t>(&end));
    return start;
  }

  std::unique_ptr<LoggingCanvas> canvas;
  std::unique_ptr<CTextEditTable> fields = std::make_unique<CTextEditTable>(SRange{0, 4});
  CTextEdit* field = nullptr;
};

TEST_F(TextEditTest, TheControlLiesAtTheFieldsRectangleInItsParent) {
  ASSERT_TRUE(field->IsCreated());
  platform::SWinRect r;
  platform::GetWindowRect(field->GetWindow(), &r);
  EXPECT_EQ(r, (platform::SWinRect{130, 120, 230, 140}));
  EXPECT_EQ(platform::GetWindowStyle(field->GetWindow()), CTextEdit::kStyle | platform::kEsRight);
  EXPECT_EQ(platform::GetParent(field->GetWindow()), canvas->GetWindow());
}

TEST_F(TextEditTest, StepValueAndValidateWriteTheirNumbers) {
  struct SCase {
    const char* text;
    bool increase;
    float amount;
    const char* stepped;
  } steps[] = {{"2.5", true, 1.0f, "3.50"}, {"2", true, 1.0f, "3"},        {"-0.5", true, 1.0f, "0.50"},
               {"", false, 0.25f, "-0.25"}, {"1e20", true, 1.0f, "100000002004087734272.00"}};
  field->SetOptions(CTextEdit::kNumeric);
  for (const SCase& c : steps) {
    field->SetText(c.text);
    EXPECT_TRUE(field->StepValue(c.increase, c.amount));
    EXPECT_STREQ(field->GetText(), c.stepped) << c.text;
    EXPECT_EQ(Start(), 0u);  // all selected
  }
  field->SetOptions(CTextEdit::kNumeric | CTextEdit::kRangeChecked);
  field->SetRange(0.0f, 100.0f);
  struct SRangeCase {
    const char* text;
    const char* validated;
  } ranges[] = {{"150", "100.000000"}, {"-5", "0.000000"}, {"50", "50"}};
  for (const SRangeCase& c : ranges) {
    field->SetText(c.text);
    EXPECT_TRUE(field->Validate(0));
    EXPECT_STREQ(field->GetText(), c.validated) << c.text;
  }
  field->SetOptions(0);
  field->SetText("150");
  field->Validate(0);
  EXPECT_STREQ(field->GetText(), "150");
  field->StepValue(true, 1.0f);  // a text field does not step
  EXPECT_STREQ(field->GetText(), "150");
}

TEST_F(TextEditTest, ReadingAndWritingNumbers) {
  field->SetText("");
  EXPECT_EQ(field->GetFloat(), 0.0f);
  field->SetLong(-7);
  EXPECT_STREQ(field->GetText(), "-7");
  field->SetFloat(2.5f);
  EXPECT_STREQ(field->GetText(), "2.50");
  EXPECT_EQ(field->GetFloat(), 2.5f);
  EXPECT_EQ(field->GetTextLength(), 4u);
}

TEST_F(TextEditTest, ANumericFieldSwallowsWhatIsNoPartOfANumber) {
  field->SetOptions(CTextEdit::kNumeric);
  struct SCase {
    uint32_t character;
    bool swallowed;
  } cases[] = {{'a', true}, {'%', true}, {'\'', true}, {'n', true}, {13, true}, {27, true},
               {'-', false}, {'.', false}, {'7', false}, {8, false}, {9, false}};
  for (const SCase& c : cases) EXPECT_EQ(field->FilterKey(c.character), c.swallowed) << c.character;
  Run("key 0x11\n");  // with Ctrl held every character reaches the control
  for (const SCase& c : cases) EXPECT_FALSE(field->FilterKey(c.character)) << c.character;
  Run("keyup 0x11\n");
  field->SetOptions(0);
  EXPECT_FALSE(field->FilterKey('a'));
  Type("char 1\nchar a\nchar %\nchar 2\n");
  EXPECT_STREQ(field->GetText(), "1a%2");
}

TEST_F(TextEditTest, AFullFieldTakesOnlyBackspaceOrACharacterOverASelection) {
  field->SetMaxLength(6);
  field->SetOptions(CTextEdit::kNumeric);
  field->SetText("123456");
  for (int32_t caret : {6, 0}) {
    field->SetSelection(caret, caret);
    EXPECT_TRUE(field->FilterKey('7')) << caret;
    EXPECT_FALSE(field->FilterKey(8)) << caret;
  }
  field->SetSelection(2, 4);
  EXPECT_FALSE(field->FilterKey('7'));
  Type("char 9\n");
  EXPECT_STREQ(field->GetText(), "12956");
  Type("key 0x23\nkeyup 0x23\nchar 7\nchar 8\n");  // the limit of the control itself holds too
  EXPECT_STREQ(field->GetText(), "129567");
  Type("key 0x08\nkeyup 0x08\n");
  EXPECT_STREQ(field->GetText(), "12956");
  // A maximum of 0 is no room at all, not no limit.
  field->SetOptions(0);
  field->SetMaxLength(0);
  field->SetText("");
  EXPECT_TRUE(field->FilterKey('a'));
  EXPECT_TRUE(field->FilterKey('7'));
  EXPECT_FALSE(field->FilterKey(8));
  Type("char a\nchar 7\n");
  EXPECT_STREQ(field->GetText(), "");
}

// Return and Escape go to the dialog as characters; Tab goes to the callback with the pointer; the
// arrows up and down and the keys the control acted on go to the callback as well.
TEST_F(TextEditTest, KeysGoToTheDialogTheCallbackOrTheControl) {
  field->SetText("ab");
  Type("move 150 150\nkey 0x0D\nkeyup 0x0D\nkey 0x1B\nkeyup 0x1B\n");
  EXPECT_STREQ(field->GetText(), "ab");
  std::vector<SPointHV> characters;
  for (const auto& call : canvas->calls) {
    if (call.operation == "OnCharacter") characters.push_back(call.point);
  }
  ASSERT_GE(characters.size(), 2u);
  EXPECT_TRUE(gReported.empty());

  Type("key 0x09\nkeyup 0x09\n");
  ASSERT_EQ(gReported.size(), 1u);
  EXPECT_EQ(gReported[0].key, 9u);
  EXPECT_EQ(gReported[0].message, platform::kWmKeyDown);
  EXPECT_EQ(gReported[0].x, 150);
  EXPECT_EQ(gReported[0].y, 150);
  EXPECT_EQ(gReported[0].window, field->GetWindow());
  EXPECT_EQ(gUser, reinterpret_cast<CElement*>(this));
  EXPECT_STREQ(field->GetText(), "ab");

  gReported.clear();
  field->SetSelection(2, 2);
  Type("key 5\nkeyup 5\nkey 0x25\nkeyup 0x25\n");
  EXPECT_STREQ(field->GetText(), "ab5");
  ASSERT_EQ(gReported.size(), 2u);
  EXPECT_EQ(gReported[0].message, platform::kWmChar);
  EXPECT_EQ(gReported[0].key, uint32_t('5'));
  EXPECT_EQ(gReported[0].x, 0);  // only Tab carries the pointer
  EXPECT_EQ(gReported[1].message, platform::kWmKeyDown);
  EXPECT_EQ(gReported[1].key, uint32_t(platform::kVkLeft));

  // The arrows up and down, which the control leaves alone, are the callback's: they step numbers.
  gReported.clear();
  Type("key 0x26\nkeyup 0x26\nkey 0x28\nkeyup 0x28\n");
  ASSERT_EQ(gReported.size(), 2u);
  EXPECT_EQ(gReported[0].key, 38u);
  EXPECT_EQ(gReported[1].key, 40u);
  EXPECT_EQ(gReported[1].message, platform::kWmKeyDown);
  EXPECT_STREQ(field->GetText(), "ab5");
}

TEST_F(TextEditTest, TheReturnKeyReachesTheParentAsCharacterThirteen) {
  canvas->calls.clear();
  platform::SendMessage(field->GetWindow(), platform::kWmKeyDown, 13, 1);
  EXPECT_EQ(canvas->Count("OnCharacter"), 1u);
  EXPECT_EQ(field->GetTextLength(), 0u);
  // Sent to the control as a character, Return is swallowed.
  EXPECT_EQ(platform::SendMessage(field->GetWindow(), platform::kWmChar, 13, 1), 1);
  EXPECT_EQ(field->GetTextLength(), 0u);
}

TEST_F(TextEditTest, TheTableOwnsItsFieldsAndKeepsNoneThatCouldNotBeMade) {
  EXPECT_EQ(fields->GetCount(), 1u);
  platform::FailNextWindowCreations(1);
  STextEditSpec spec;
  spec.Set(canvas->GetWindow(), {0, 0, 10, 10}, 0, 0, 0, 0, false);
  CTextEdit* made = reinterpret_cast<CTextEdit*>(1);
  EXPECT_EQ(fields->Add(spec, &made), 9);
  EXPECT_EQ(made, nullptr);
  EXPECT_EQ(fields->GetCount(), 1u);
  CTextEdit* second = Field(0, false);
  ASSERT_NE(second, nullptr);
  field->SetText("abc");
  second->SetText("xyz");
  field->SetSelection(1, 1);
  second->SetSelection(1, 1);
  const SRect nowhere{300, 300, 310, 310};
  EXPECT_TRUE(fields->RedrawInRect(&nowhere));
  EXPECT_EQ(Start(), 1u);
  EXPECT_TRUE(fields->RedrawInRect(nullptr));
  EXPECT_EQ(Start(), 0u);  // redrawing selects all
  const platform::WindowHandle window = second->GetWindow();
  EXPECT_EQ(fields->DeleteAll(), 0);
  EXPECT_EQ(fields->GetCount(), 0u);
  EXPECT_FALSE(platform::IsWindow(window));
}

}  // namespace
