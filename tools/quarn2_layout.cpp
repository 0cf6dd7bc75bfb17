// quarn2-layout LAYOUT.dat NAME [--shadows] [--shot OUT.bmp] [--system FILE]: builds the dialog NAME
// of a layout file with the program's own classes and opens it as a dialog opens: centred or placed
// as its canvas record says, on GTK or, with QUARN2_HEADLESS set, on the headless back end (which
// takes the input script QUARN2_SCRIPT names, as the program does). Image elements with an image
// list track the pointer as buttons, the others light up while pressed; every UI message the dialog
// receives is printed as `message KIND "ELEMENT" "WINDOW" "CANVAS"`, and Escape ends the tool. With
// --shot the window is written as a 24-bit BMP file after its first paint and the tool ends.
// The screen behind the dialog is black on both back ends: the desktop colour is 0 and the main
// window stays hidden. Exit status 0, 1 on a failure (its code's text), 2 for wrong arguments.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/c_string.h"
#include "framework/core/file.h"
#include "framework/core/ordax.h"
#include "framework/core/ordax_app.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/register_ui_services.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/ui_message.h"
#include "platform/ansi_text.h"
#include "platform/file.h"
#include "platform/gtk_backend.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "tools/command_line.h"

namespace {

enum EOption { kShadows, kShot, kSystem };

const STool kTool{
    "quarn2-layout",
    {"LAYOUT.dat NAME [--shadows] [--shot OUT.bmp] [--system FILE]"},
    "Shows the dialog NAME of a layout file, built with the program's own classes, and prints the UI\n"
    "messages it sends.",
    {
        {"shadows", kShadows, nullptr, "show the dialog with its drop shadow"},
        {"shot", kShot, "OUT.bmp", "write the window as a 24-bit BMP file after its first paint, then end"},
        {"system", kSystem, "FILE", "the program's resource file (data/system.dat beside the tool or above it)"},
    },
    "NAME is the canvas's name in the layout file (its \"canv\", \"imca\" and 'hoca' records). The dialog\n"
    "shows on GTK, or headless when QUARN2_HEADLESS is set (QUARN2_SCRIPT then names an input script).\n"
    "Image elements with an image list are buttons that track the pointer, the others light up while\n"
    "pressed; each UI message is printed as: message KIND \"ELEMENT\" \"WINDOW\" \"CANVAS\". Escape ends.\n"
    "Exit status: 0 done, 1 a failure (the message names the file and the code), 2 wrong arguments.\n"};

struct SOptions {
  std::string layout;
  std::string name;
  bool shadows = false;
  std::string shot;
  std::string system;
};

const CCommandLine* gLine = nullptr;

std::string Quoted(const char* ansi) { return "\"" + platform::AnsiToUtf8(ansi ? ansi : "") + "\""; }

// The dialog: its canvas by name, with the standard button callbacks on its image elements.
class CLayoutCanvas : public CUIHostCanvas {
 public:
  CLayoutCanvas(CUICmFunction* owner, CResourceEnv* environment, const std::string& name)
      : CUIHostCanvas(owner, environment, kDialogStyle), fName(name) {}

  int32_t BuildControls(CResourceEnv* environment) override {
    if (const int32_t err = Create(environment, fName.c_str())) return err;
    BindButtons(GetRoot());
    return kNoErr;
  }

  int32_t HandleEvent(CUIMessage* message) override {
    std::printf("message %u %s %s %s\n", message->kind, Quoted(message->elementName).c_str(),
                Quoted(message->windowName).c_str(), Quoted(message->canvasName).c_str());
    std::fflush(stdout);
    return CUIHostCanvas::HandleEvent(message);
  }

  int32_t OnCharacter(SWinEvent& event) override {
    constexpr uint32_t kEscape = 27;
    if ((event.key & 0xFF) == kEscape && !IsStale()) {
      if (CAppl* app = GetApplication()) app->Quit();
      return kHandled;
    }
    return CUIHostCanvas::OnCharacter(event);
  }

 private:
  static void BindButtons(CElement* parent) {
    CElSystem* children = parent ? parent->GetChildren() : nullptr;
    for (uint32_t i = 0; children && i < children->GetCount(); ++i) {
      CElement* child = nullptr;
      if (CElSystem::GetElementAt(children, i, &child) != kNoErr || !child) continue;
      if (auto* image = dynamic_cast<CImElement*>(child))
        image->SetPressCallback(image->GetImageList() ? &UIHostTrackButton : &UIHostPressButton);
      BindButtons(child);
    }
  }

  std::string fName;
};

std::string DefaultSystemFile() {
  const std::string folder = platform::ProgramFolder();
  const std::string beside = folder + "/data/system.dat";
  return platform::PathExists(beside) ? beside : folder + "/../data/system.dat";
}

// The file opened as a resource file, or the code why not.
int32_t ProbeResourceFile(const std::string& path) {
  CFileSpec spec;
  if (const int32_t err = spec.Set(path.c_str())) return err;
  CFile file(spec);
  if (const int32_t err = file.Probe()) return err;
  CResourceEnv env(spec, CFile::kModeRead);
  return env.IsOpen() ? kNoErr : NonZeroError(env.GetLastResult());
}

SApplDesc ToolDesc() {
  SApplDesc desc;
  desc.name = "quarn2-layout";
  desc.defaultPoolBudget = 0x400000;
  desc.objectsPoolBudget = 0x800000;
  desc.dataPoolBudget = 0x4000000;
  desc.desktopColor = 0;
  desc.instance = platform::ProgramModule();
  desc.startMenuBarHidden = true;
  return desc;
}

// The application's phases around the dialog: its resource file and fragments, the shadow pictures,
// the dialog built and opened, and the owner of its messages, which lives in the application's pools.
// The idle step delivers the queued messages and rests when none wait.
class CLayoutApp : public COrdaxApp {
 public:
  explicit CLayoutApp(const SOptions& options) : COrdaxApp(ToolDesc()), fOptions(options) {}

  // The tool's own status once it stopped, else what the start's success says.
  int GetStatus() const { return fStopped ? fStatus : HasStarted() ? 0 : int(CCommandLine::kStatusFailed); }

  void Init(const CFileSpec* objectsSwap, const CFileSpec* discardSwap, const CFileSpec* dataSwap) override {
    CAppl::Init(objectsSwap, discardSwap, dataSwap);
    if (!IsRunning()) return;
    for (const std::string& path : {fOptions.layout, fOptions.system}) {
      if (const int32_t err = ProbeResourceFile(path)) return Stop(gLine->FailWithCode(path, err));
    }
  }
  void OpenResourceEnvironment(const CFileSpec*) override {
    CFileSpec system;
    system.Set(fOptions.system.c_str());
    CAppl::OpenResourceEnvironment(&system);
  }
  // Layouts that name callbacks need the fragments the resource file lists.
  void CreateFragmentSystem(const char* listName) override {
    SSpoolKey fragments;
    fragments.SetByName("ixtx", "fragments_", false);
    CResEntry entry{};
    if (GetResourceEnv()->GetResourceInfo(fragments, &entry)) CAppl::CreateFragmentSystem(listName);
  }
  void CreateUserInterface() override {
    if (const int32_t err = LoadShadowImages()) return Stop(gLine->FailWithCode(fOptions.system, err));
    CFileSpec spec;
    spec.Set(fOptions.layout.c_str());
    fLayout = std::make_unique<CResourceEnv>(spec, CFile::kModeRead);
    if (!fLayout->IsOpen()) return Stop(gLine->FailWithCode(fOptions.layout, NonZeroError(fLayout->GetLastResult())));
    fCanvas = std::make_unique<CLayoutCanvas>(&fOwner, fLayout.get(), fOptions.name);
    if (!fCanvas->IsReady()) return Stop(gLine->FailWithCode(fOptions.name, kErrFailedCreation));
    fCanvas->SetShadows(fOptions.shadows);
    if (const int32_t err = fCanvas->BuildOnce())
      return Stop(gLine->FailWithCode(fOptions.layout + ": " + fOptions.name, err));
    fCanvas->Refresh(true);
    if (!fOptions.shot.empty()) Stop(WriteShot());
  }
  void DeleteUserInterface() override {
    fCanvas.reset();
    fLayout.reset();
    FreeShadowImages();
  }
  // A stop signal ends the dialog as Escape does; the process then ends by that signal.
  void Idle() override {
    if (platform::IsStopRequested()) {
      Quit();
      return;
    }
    if (const int32_t err = fOwner.DispatchQueued()) TellError(err);
  }

 private:
  void Stop(int status) {
    fStatus = status;
    fStopped = true;
    Quit();
  }

  int WriteShot() {
    const SRect& bounds = fCanvas->GetBounds();
    int32_t err = kNoErr;
    std::unique_ptr<CImage> image(NewDataImage(uint32_t(RectWidth(bounds)), uint32_t(RectHeight(bounds)), &err));
    if (!image) return gLine->FailWithCode(fOptions.shot, err);
    fCanvas->GrabWindowIntoImage(image.get(), {0, 0});
    CFileSpec spec;
    if (!(err = spec.Set(fOptions.shot.c_str()))) err = SaveImageAsBmp(spec, image.get(), true);
    return err ? gLine->FailWithCode(fOptions.shot, err) : 0;
  }

  const SOptions& fOptions;
  int fStatus = 0;
  bool fStopped = false;
  CUICmFunction fOwner{SRange{0, 16}, 32};
  std::unique_ptr<CResourceEnv> fLayout;
  std::unique_ptr<CLayoutCanvas> fCanvas;
};

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  gLine = &line;
  SOptions options;
  const int parsed = line.Parse(argc, argv, [&options](int id, const char* value) {
    if (id == kShadows) options.shadows = true;
    else if (id == kShot) options.shot = value;
    else options.system = value;
    return std::string();
  });
  if (parsed != CCommandLine::kGoOn) return parsed;
  if (line.Operands().size() != 2) return line.UsageError("a layout file and a canvas name are needed");
  options.layout = line.Operands()[0];
  options.name = platform::Utf8ToAnsi(line.Operands()[1]);
  if (options.name.empty() || options.name.size() > SSpoolKey::kNameChars)
    return line.UsageError("a canvas name has 1 to 31 characters");
  if (options.system.empty()) options.system = DefaultSystemFile();
  if (!options.shot.empty() && line.RefuseOutput(options.shot, {options.layout, options.system})) return 1;
  // The pools' files go in the temporary folder; a stop signal lets them go with the application.
  if (const std::string problem = TempFolderProblem(); !problem.empty())
    return line.Fail(platform::TempFolder(), problem);
  platform::CatchStopSignals();
  platform::EnableGtkBackend();
  if (const char* script = std::getenv("QUARN2_SCRIPT"); script && *script && platform::IsHeadless()) {
    std::string error;
    if (!platform::headless::LoadScriptFile(script, &error)) return line.Fail(script, error);
  }
  RegisterUiServices();
  if (InitOrdax() != 0) return line.Fail("the framework", "could not start");
  int status = CCommandLine::kStatusFailed;
  {
    CLayoutApp app(options);
    app.Run();
    status = app.GetStatus();
  }
  TermOrdax();
  platform::EndIfStopRequested();
  return status;
}
