// The editing dialogs built headless from the build's layout files, working on the stand-in document
// window as the current one: typing into their numeric fields, pressing their elements, and the
// objects they edit.
#pragma once

#include <memory>
#include <string>

#include "editing/document_host.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"
#include "platform/system.h"
#include "tests/panels/panels_fixture.h"

class DialogsTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    platform::headless::SetScreenSize(1024, 768);
    SetCurrentDocumentHost(&window);
  }
  void TearDown() override {
    SetCurrentDocumentHost(nullptr);
    PanelsTest::TearDown();
  }

  template <typename T, typename... Extra>
  std::unique_ptr<T> Dialog(const std::string& file, Extra... extra) {
    auto dialog = std::make_unique<T>(owner, DataFile(file), extra...);
    EXPECT_EQ(dialog->BuildOnce(), 0) << file;
    return dialog;
  }

  // The field takes the focus with its text selected, and the characters are typed over it.
  void Type(CTextEdit* field, const std::string& text) {
    ASSERT_NE(field, nullptr);
    FocusField(field);
    std::string script;
    for (char c : text) script += std::string("char ") + c + "\n";
    Script(script);
  }
  // The field's text as its key routine reports it after the last key: its value kept as the dialog's
  // last one, and the field's message handed to the dialog. The dialog's answer.
  static int32_t Typed(CUIHostCanvas& dialog, SNumericFields& fields, const char* canvas, const char* name,
                       const char* text) {
    CTextEdit* field = GetElementWindow(Find(dialog, name));
    if (!field) return -1;
    field->SetText(text);
    fields.lastValue = field->GetFloat();
    CUIMessage message;
    message.Init(0, name, kFieldWindowName, canvas, 0);
    return dialog.HandleEvent(&message);
  }
  // A key press with the chord held (xdotool's names: "ctrl+shift+Up").
  void Stroke(CTextEdit* field, const std::string& chord) {
    ASSERT_NE(field, nullptr);
    field->SetFocus(true);
    Script("stroke " + chord + "\n");
  }
  static bool AllSelected(CTextEdit* field) {
    uint32_t start = 1, end = 0;
    platform::SendMessage(field->GetWindow(), platform::kEmGetSel, reinterpret_cast<uintptr_t>(&start),
                          reinterpret_cast<intptr_t>(&end));
    return start == 0 && end == field->GetTextLength();
  }
  static bool Focused(CTextEdit* field) { return field && platform::GetFocus() == field->GetWindow(); }

  // A sphere at the position, selected.
  C3dSphere* SelectedSphere(vector3<double> position) {
    C3dSphere* sphere = NewSphere({1, 1, 1}, position);
    if (sphere) Selection().Add(sphere, 0, 1);
    return sphere;
  }
  // A press on the element at its local point, released there.
  void Click(CElement* element, SPointHV local = {3, 3}) {
    const SPointHV at = OnScreen(element, local);
    Script("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\ndown left\nwait 40\nup left\n");
  }
  // An element's message as the elements of that canvas send it.
  static CUIMessage Named(const char* canvas, const char* element, uint32_t kind = 0) {
    CUIMessage message;
    message.Init(kind, element, nullptr, canvas, 0);
    return message;
  }
};
