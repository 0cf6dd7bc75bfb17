// An element tree on the real back end, for element_gtk.sh to look at and click from outside: a
// canvas placed by its "canv" record shows a tree built from "elem", "rsel" and "rmel" records, a
// switcher whose two pages each hold a coloured box and a button that opens the other page. Every
// element draws its rect in the colour of its user word 0. Prints "window ID", then "ready"; "press
// NAME H V" for each press an element takes (H V in its own coordinates); ends on "quit" or at the
// end of the standard input, answering any other line with "done LINE".
// Argument: a folder for the layout file.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "framework/core/file.h"
#include "framework/core/resource_env.h"
#include "framework/image/image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "framework/ui/rs_element.h"
#include "tests/framework/ui/gtk_check.h"

namespace {

const SLayoutSource kLayout[] = {
    {"canv", 1, "tree", "frame 100 100 300 400\ncolour 0x00FFFFFF\noptions 1\n"},
    {"elem", 1, "tree", "rect 0 0 200 300\nuser 0xFFFFFFFF 0 0 0\nset 1\nflags 0x11\n"},
    {"eset", 1, "", "rsel 2\n"},
    {"elem", 2, "tabs", "rect 0 0 200 300\nuser 0xFFFFFFFF 0 0 0\nset 2\nflags 0x11\n"},
    {"rsel", 2, "tabs", "open \"page red\"\n"},
    {"eset", 2, "", "rmel 3\nrmel 4\n"},
    {"elem", 3, "page red", "rect 0 0 200 300\nuser 0xFFFFFFFF 0 0 0\nset 3\nflags 0x8010\n"},
    {"rmel", 3, "page red", "options 0x0D\n"},
    {"eset", 3, "", "elem 10\nelem 11\n"},
    {"elem", 4, "page blue", "rect 0 0 200 300\nuser 0xFFFFFFFF 0 0 0\nset 4\nflags 0x8010\n"},
    {"rmel", 4, "page blue", "options 0x0D\n"},
    {"eset", 4, "", "elem 12\nelem 13\n"},
    {"elem", 10, "", "name \"red box\"\nrect 20 20 120 120\nuser 0xFFFF0000 0 0 0\nflags 1\n"},
    {"elem", 11, "", "name \"next\"\nrect 150 20 190 80\nuser 0xFF00C000 0 0 0\nflags 1\n"},
    {"elem", 12, "", "name \"blue box\"\nrect 50 150 150 250\nuser 0xFF0000FF 0 0 0\nflags 1\n"},
    {"elem", 13, "", "name \"back\"\nrect 150 20 190 80\nuser 0xFF00C000 0 0 0\nflags 1\n"},
};

// Fills the element's local rect in the colour of its user word 0, through the port's clip.
int32_t FillOwnRect(CElement* element, uint32_t, CImage* port) {
  SRect local;
  element->GetLocalRect(&local);
  const SRect clip = port->GetClip();
  if (port->SetClip(SectRect(OffsetRect(local, -port->GetOriginH(), -port->GetOriginV()), clip)))
    port->Fill(element->GetUserWord(0));
  port->SetClip(clip);
  return 0;
}

int32_t Report(CElement* element, CElement** handled, SPointHV point) {
  *handled = element;
  std::printf("press %s %d %d\n", element->GetName(), point.h, point.v);
  std::fflush(stdout);
  return 0;
}

// The buttons open the other page of the switcher above them.
int32_t OpenPage(CElement* button, const char* page) {
  uint8_t open[16] = {}, close[16] = {};
  auto* switcher = dynamic_cast<CRsElement*>(button->GetParent()->GetParent());
  return switcher ? switcher->SelectChild(page, open, close) : 0;
}
int32_t Next(CElement* e, CElement** handled, SPointHV point, SWinEvent*) {
  Report(e, handled, point);
  return OpenPage(e, "page blue");
}
int32_t Back(CElement* e, CElement** handled, SPointHV point, SWinEvent*) {
  Report(e, handled, point);
  return OpenPage(e, "page red");
}
int32_t Box(CElement* e, CElement** handled, SPointHV point, SWinEvent*) { return Report(e, handled, point); }

void SetDrawing(CElement* element) {
  element->SetDrawCallback(&FillOwnRect);
  CElSystem* children = element->GetChildren();
  for (uint32_t i = 0; children && i < children->GetCount(); ++i) {
    CElement* child = nullptr;
    if (CElSystem::GetElementAt(children, i, &child) == 0) SetDrawing(child);
  }
}

// A canvas that shows its element tree, drawn into an image of its size, and hands it its presses.
class TreeCanvas : public CCanvas {
 public:
  TreeCanvas() : CCanvas({0, 0, 10, 10}, false, 0x80000000, nullptr, 10) {}
  ~TreeCanvas() override {
    delete fPort;
    delete fRoot;
  }

  int32_t Build(CResourceEnv* env) {
    if (const int32_t err = LoadFromResource(env, 1, nullptr)) return err;
    if (const int32_t err = CElement::NewByNumber(&fRoot, env, 1)) return err;
    int32_t err = 0;
    fPort = NewDataImage(uint32_t(RectWidth(fBounds)), uint32_t(RectHeight(fBounds)), &err);
    if (!fPort) return err;
    // Both pages once, so that each has its children and their callbacks.
    auto* tabs = dynamic_cast<CRsElement*>(Find("tabs"));
    uint8_t none[16] = {};
    if (!tabs || tabs->SelectChild("page blue", none, none) || tabs->SelectChild("page red", none, none)) return 1;
    SetDrawing(fRoot);
    for (const auto& [path, press] : {std::pair{"tabs|page red|next", &Next}, {"tabs|page blue|back", &Back},
                                      {"tabs|page red|red box", &Box}, {"tabs|page blue|blue box", &Box}}) {
      CElement* element = Find(path);
      if (!element) return 6;
      element->SetPressCallback(press);
    }
    return 0;
  }

  bool Redraw(const SRect*) override {
    if (!fRoot || !fPort) return false;
    fPort->SetOrigin(0, 0);
    fPort->SetClip(fPort->GetBounds());
    fPort->Fill(0xFF808080);
    return fRoot->Draw(0, fPort, true) == 0 && fPort->DrawTo(GetDeviceContext());
  }

  int32_t OnPointerPress(SWinEvent& event) override {
    CElement* handled = nullptr;
    if (fRoot) fRoot->HandlePress(&handled, ScreenToCanvas({event.x, event.y}), &event);
    Redraw(nullptr);
    return 1;
  }

 private:
  CElement* Find(const char* path) {
    CElement* found = nullptr;
    return CElSystem::FindByName(fRoot, path, &found) == 0 ? found : nullptr;
  }

  CElement* fRoot = nullptr;
  CImage* fPort = nullptr;
};

int Run(COrdaxApp& app, const std::string& folder) {
  CFileSpec spec;
  spec.Set((folder + "/layout.dat").c_str());
  auto env = std::make_unique<CResourceEnv>(spec, CFile::kModeReadWrite);
  if (!env->IsOpen() || !StoreLayoutSources(*env, kLayout, "element_gtk_check")) return 1;
  TreeCanvas canvas;
  if (const int32_t err = canvas.Build(env.get())) {
    std::fprintf(stderr, "element_gtk_check: the tree: code %d\n", err);
    return 1;
  }
  canvas.Show();
  canvas.Redraw(nullptr);
  std::printf("window %llu\nready\n", static_cast<unsigned long long>(platform::NativeWindowId(canvas.GetWindow())));
  std::fflush(stdout);
  ServeCommands(app, [](const std::string&) {});
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return RunGtkCheck(argc, argv, &Run); }
