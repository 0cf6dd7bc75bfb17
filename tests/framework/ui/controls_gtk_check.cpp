// Menus, a text field, the scrolling pop-up and the console on the real back end, for
// controls_gtk.sh to drive from outside. Loads the "menu" resource "Test" into the main window's menu
// bar (printing "menu HANDLE"), shows a grey canvas at (100, 100) of 300 x 200 with a numeric field at
// (120, 130) to (220, 150) ("canvas ID", "console ID", "main ID" for the windows), then "ready". It prints "menuselect ID HANDLE"
// and "command ID" for the main window's menu messages and "char N" for each character the canvas
// takes. Commands: "focus" gives the field the keyboard focus, "text" prints "text TEXT", "popup X Y"
// shows a pop-up menu of five rows at the screen point and prints "chosen COMMAND INDEX" or "chosen
// none" once it has closed, "quit".
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "framework/core/file.h"
#include "framework/core/ordax_app.h"
#include "framework/core/resource_env.h"
#include "framework/core/ui_services.h"
#include "framework/core/win_appl.h"
#include "framework/ui/canvas.h"
#include "framework/ui/menu.h"
#include "framework/ui/text_edit.h"
#include "tests/framework/ui/gtk_check.h"
#include "tools/res_compiler.h"

namespace {

constexpr const char* kTestMenu =
    "title \"Test\"\nid 9\n"
    "item \"First\" command 'frst'\n"
    "item \"Second\" key s ctrl command 'scnd'\n"
    "item \"Third\" command 'thrd'\n"
    "item \"Fourth\" command 'frth'\n";

class CharacterCanvas : public CCanvas {
 public:
  CharacterCanvas() : CCanvas({100, 100, 300, 400}, true, 0x80000000, &kGrey, 10) {}
  int32_t OnCharacter(SWinEvent& event) override {
    if (event.window != GetWindow()) return 0;
    std::printf("char %u\n", event.key);
    std::fflush(stdout);
    return 1;
  }

 private:
  static constexpr CImVector kGrey{0x00808080};
};

int32_t ReportMenuMessages(void*, void* record, void*) {
  auto* r = static_cast<SReceiverRecord*>(record);
  const auto* event = reinterpret_cast<const SWinEvent*>(r->b);
  if (r->a == uint32_t(kEventOtherMessage) + platform::kWmMenuSelect)
    std::printf("menuselect %u %llx\n", unsigned(event->wParam & 0xFFFF), static_cast<unsigned long long>(event->lParam));
  else if (r->a == uint32_t(kEventOtherMessage) + platform::kWmCommand)
    std::printf("command %u\n", unsigned(event->wParam));
  else
    return 0;
  std::fflush(stdout);
  return 0;
}

std::unique_ptr<CMenu> PopUpMenu() {
  SDynTableLayout layout;
  CMenu::MakeLayout(layout, nullptr, 0, 4);
  auto menu = std::make_unique<CMenu>(layout);
  menu->SetMenuFlags(CMenu::kMenuPopUp);
  for (uint32_t i = 1; i <= 5; ++i) {
    CMenuItem row{};
    std::snprintf(row.text, sizeof row.text, "Choice %u", i);
    row.flags = CMenu::kItemCheckable;
    row.command = 100 + i;
    menu->Append(&row);
  }
  menu->BuildPopupMenu();
  return menu;
}

int Run(COrdaxApp& app, const std::string& folder) {
  CFileSpec spec;
  spec.Set((folder + "/menus.dat").c_str());
  auto env = std::make_unique<CResourceEnv>(spec, CFile::kModeReadWrite);
  std::vector<uint8_t> bytes;
  std::string error;
  SSpoolKey key;
  key.Set("menu", 9, false);
  if (!env->IsOpen() || !CompileSource("menu", kTestMenu, &bytes, &error) || StoreCompiled(*env, key, "menu", bytes)) {
    std::fprintf(stderr, "controls_gtk_check: the menu cannot be written %s\n", error.c_str());
    return 1;
  }
  CMenu* loaded = nullptr;
  if (const int32_t err = CMenu::Load(env.get(), 9, &loaded, app.GetMainWindow())) {
    std::fprintf(stderr, "controls_gtk_check: the menu cannot be loaded (code %d)\n", err);
    return 1;
  }
  std::unique_ptr<CMenu> menu(loaded);
  app.ShowMenuBar();
  app.AddReceiver(&app, &ReportMenuMessages, 0);
  std::printf("menu %llx\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(menu->GetPlatformMenu())));

  CreateTextEditFont();
  CharacterCanvas canvas;
  canvas.Show();
  CTextEditTable fields(SRange{0, 4});
  STextEditSpec fieldSpec;
  fieldSpec.Set(canvas.GetWindow(), {30, 20, 50, 120}, 0, 0, 10, STextEditSpec::kLeft, false);
  CTextEdit* field = nullptr;
  if (fields.Add(fieldSpec, &field)) return 1;
  field->SetOptions(CTextEdit::kNumeric);
  auto popUp = PopUpMenu();
  std::printf("canvas %llu\n", static_cast<unsigned long long>(platform::NativeWindowId(canvas.GetWindow())));
  auto* console = dynamic_cast<CCanvas*>(app.GetConsole());
  std::printf("console %llu\n", console ? static_cast<unsigned long long>(platform::NativeWindowId(console->GetWindow())) : 0ull);
  std::printf("main %llu\n", static_cast<unsigned long long>(platform::NativeWindowId(app.GetMainWindow())));
  std::printf("ready\n");
  std::fflush(stdout);
  ServeCommands(app, [&](const std::string& line) {
    std::istringstream words(line);
    std::string verb;
    int32_t x = 0, y = 0;
    words >> verb >> x >> y;
    if (verb == "focus") {
      field->SetFocus(true);
    } else if (verb == "text") {
      std::printf("text %s\n", field->GetText());
    } else if (verb == "popup") {
      uintptr_t result = 0;
      uint32_t index = 0;
      if (popUp->SelectItemAt({x, y}, canvas.GetWindow(), &result, &index))
        std::printf("chosen %llu %u\n", static_cast<unsigned long long>(result), index);
      else
        std::printf("chosen none\n");
    }
  });
  fields.DeleteAll();
  app.RemoveReceiver(&app);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return RunGtkCheck(argc, argv, &Run); }
