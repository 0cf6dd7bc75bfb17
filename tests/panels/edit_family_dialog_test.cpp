// The families dialog: its opening near the pointer on the selection's family, the drag from the
// family chiclet that assigns on release, the chiclets' drawing, the name and colour edits, and
// "cancel" putting the table back.
#include <memory>
#include <string>

#include "framework/core/result_codes.h"
#include "panels/edit_family.h"
#include "panels/text_fields.h"
#include "scene/group.h"
#include "scene/object_family.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "edit family";

class EditFamily : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    dialog = Dialog<CEditFamily>("editfamily.dat");
    dialog->SetOwner(&window);
  }
  void TearDown() override {
    dialog.reset();
    CEditFamily::InitFamilyTable(nullptr);
    DialogsTest::TearDown();
  }
  // The chiclet's middle on the screen once the dialog stands with its top-left there.
  std::string Middle(SPointHV topLeft, uint32_t family) {
    SRect local, inCanvas;
    CElement* chiclet = dialog->GetChiclet(family);
    chiclet->GetLocalRect(&local);
    chiclet->LocalToAncestorRect(&inCanvas, local, nullptr);
    return std::to_string(topLeft.h + (inCanvas.left + inCanvas.right) / 2) + " " +
           std::to_string(topLeft.v + (inCanvas.top + inCanvas.bottom) / 2);
  }
  int32_t OpenWith(const std::string& script) {
    if (!script.empty()) EXPECT_TRUE(platform::headless::AddScript(script));
    CUIMessage chiclet = Named("doc image", "family chiclet");
    return dialog->HandleEvent(&chiclet);
  }
  int32_t Send(const char* element, uint32_t kind = 0, int32_t word = 0) {
    CUIMessage message = Named(kCanvas, element, kind);
    message.SetPayloadWord(0, word);
    return dialog->HandleEvent(&message);
  }

  static uint32_t Pixel(CImage* image, int32_t x, int32_t y) {
    CImNavigator cells(image, nullptr, false, false);
    return cells.IsUsable() ? cells.Cells(uint32_t(y))[x].value & 0xFFFFFF : 0xDEAD;
  }

  std::unique_ptr<CEditFamily> dialog;
};

TEST_F(EditFamily, TheChicletOpensOnTheScreenAndItsDragAssignsTheFamilyOnRelease) {
  C3dSphere* a = SelectedSphere({1, 2, 3});
  C3dSphere* inner = NewSphere({1, 1, 1}, {4, 0, 0});
  C3dSphere* member = NewSphere({1, 1, 1}, {6, 0, 0});
  C3dGroup* nested = NewGroup({inner});
  C3dGroup* group = NewGroup({nested, member});
  Selection().Add(group, 0, 1);
  a->SetCreationWord(0, 40);  // outside the table: the default family's chiclet
  const SRect frame = dialog->GetFrame();
  const SPointHV topLeft{1024 - RectWidth(frame), 768 - RectHeight(frame)};
  Script("move 1000 740\ndown left\n");
  const uint32_t level = owner->GetModalLevel();
  EXPECT_EQ(OpenWith("wait 300\nmove " + Middle(topLeft, 7) + "\nwait 100\nup left\n"), 0);
  EXPECT_EQ(dialog->GetFrame().left, topLeft.h);
  EXPECT_EQ(dialog->GetFrame().top, topLeft.v);
  EXPECT_EQ(dialog->GetStamp(), level + 1);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level);
  for (C3dObject* object : std::initializer_list<C3dObject*>{a, group, nested, inner, member}) {
    EXPECT_EQ(object->GetCreationWord(0), 7u);
    EXPECT_EQ(object->GetCreationWord(1), 0x9cdacfu);
  }
  EXPECT_EQ(dialog->GetSelectedFamily(), 7);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"find parts", "invalidate", "redraw"}));
  Settle();
}

TEST_F(EditFamily, OpeningSelectsTheFirstObjectsFamilyAndOkAssignsIt) {
  struct SCase {
    uint32_t family;
    int32_t selected;
  } cases[] = {{12, 12}, {25, 0}, {0xFFFFFFFF, 0}};
  for (const SCase& c : cases) {
    C3dSphere* sphere = SelectedSphere({1, 1, 1});
    sphere->SetCreationWord(0, c.family);
    EXPECT_EQ(OpenWith(""), kHandled);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(dialog->GetSelectedFamily(), c.selected) << c.family;
    EXPECT_STREQ(dialog->GetNameField()->GetText(), CEditFamily::GetFamily(uint32_t(c.selected)).name);
    EXPECT_EQ(Send("ok"), kHandled);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(sphere->GetCreationWord(0), uint32_t(c.selected));
    Selection().Deselect(sphere);
  }
  // With nothing selected the last chiclet stays and "ok" assigns nothing.
  window.calls.clear();
  EXPECT_EQ(OpenWith(""), kHandled);
  EXPECT_EQ(dialog->GetSelectedFamily(), 0);
  EXPECT_EQ(Send("ok"), kHandled);
  EXPECT_EQ(window.calls, (std::vector<std::string>{"invalidate", "redraw"}));
}

TEST_F(EditFamily, AChicletDrawsItsColourInARedFrameWhenSelected) {
  EXPECT_EQ(OpenWith(""), kHandled);
  Click(dialog->GetChiclet(3), {5, 5});
  EXPECT_EQ(dialog->GetSelectedFamily(), 3);
  for (uint32_t family : {3u, 4u}) {
    CElement* chiclet = dialog->GetChiclet(family);
    SRect local;
    chiclet->GetLocalRect(&local);
    int32_t err = 0;
    std::unique_ptr<CImage> port(NewDataImage(uint32_t(RectWidth(local)), uint32_t(RectHeight(local)), &err));
    ASSERT_TRUE(port);
    CSgStSaver placed(port.get(), local.left, local.top, true);
    EXPECT_EQ(chiclet->RunDrawCallback(0, port.get()), 0);
    const uint32_t frame = family == 3 ? 0xff0000 : 0;
    EXPECT_EQ(Pixel(port.get(), 0, 0), frame) << family;
    EXPECT_EQ(Pixel(port.get(), RectWidth(local) - 1, RectHeight(local) - 1), frame) << family;
    EXPECT_EQ(Pixel(port.get(), 3, 3), CEditFamily::GetFamily(family).colour.value) << family;
  }
  EXPECT_STREQ(dialog->GetNameField()->GetText(), "Family 3");
}

TEST_F(EditFamily, NamesAndColoursChangeAtOnceAndCancelPutsThemBack) {
  C3dSphere* sphere = SelectedSphere({1, 1, 1});
  SetObjectFamily(*sphere, 2);
  EXPECT_EQ(OpenWith(""), kHandled);
  const uint32_t before = CEditFamily::GetFamily(2).colour.value;
  Type(dialog->GetNameField(), "Rocks");
  EXPECT_STREQ(CEditFamily::GetFamily(2).name, "Rocks");
  // A 64th character is refused; a longer text is cut to 63.
  Type(dialog->GetNameField(), std::string(70, 'n'));
  EXPECT_EQ(std::string(CEditFamily::GetFamily(2).name), std::string(63, 'n'));
  dialog->GetNameField()->SetText(std::string(100, 'p').c_str());
  EXPECT_EQ(Send("status text"), kHandled);
  EXPECT_EQ(std::string(CEditFamily::GetFamily(2).name), std::string(63, 'p'));
  for (uint32_t kind : {2u, 3u}) {
    EXPECT_EQ(Send("color picker", kind, int32_t(0x123456 + kind)), kHandled);
    EXPECT_EQ(CEditFamily::GetFamily(2).colour.value, 0x123456 + kind);
    EXPECT_EQ(dialog->GetChiclet(2)->GetUserWord(CEditFamily::kColourWord), 0x123456 + kind);
    EXPECT_EQ(dialog->GetBoxImage() ? Pixel(dialog->GetBoxImage(), 2, 2) : 0u, 0x123456 + kind);
  }
  EXPECT_EQ(Send("cancel"), kHandled);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_STREQ(CEditFamily::GetFamily(2).name, "Family 2");
  EXPECT_EQ(CEditFamily::GetFamily(2).colour.value, before);
  EXPECT_EQ(dialog->GetChiclet(2)->GetUserWord(CEditFamily::kColourWord), before);
  EXPECT_EQ(sphere->GetCreationWord(1), before);
}

}  // namespace
