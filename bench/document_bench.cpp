// The document window's work on large documents, as the program does it with its pools sized from
// the machine, timed step by step: open a document, render it in the window with the optimizer a
// user picks for many objects, revert it, merge a second document into it, and import a drawing
// through the DXF plug-in into a new window. Each step prints its wall-clock and CPU seconds (CPU of
// every thread); a step that fails prints its result code and the program exits 1.
//
//   document_bench DOCUMENT MERGED DRAWING
//
// The program's data/ and Plugins/ are the ones beside this executable, as for the program itself.
// bench/large_documents.sh writes the files and runs it.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "app/doc_window.h"
#include "app/entry.h"
#include "document/prefs_file.h"
#include "framework/core/cm_function.h"
#include "framework/core/file_spec.h"
#include "framework/core/four_cc.h"
#include "framework/core/ordax.h"
#include "framework/core/ordax_app.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "platform/text_drawing.h"
#include "platform/window.h"
#include "scene/base_sys.h"

namespace {

constexpr SPointHV kImageSize{480, 360};

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Runs the step and prints its times; false when it failed.
bool Timed(const std::string& what, const std::function<int32_t()>& step) {
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  const int32_t result = step();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = CpuSeconds() - cpuStart;
  if (result) {
    std::printf("%-40s failed with result code %d\n", what.c_str(), result);
    return false;
  }
  std::printf("%-40s %8.2f s wall %8.2f s cpu\n", what.c_str(), wall, cpu);
  std::fflush(stdout);
  return true;
}

CFileSpec Spec(const std::string& path) {
  CFileSpec spec;
  spec.Set(path.c_str());
  return spec;
}

// What the render options menu's "Smallest Optimizer" does.
void ChooseSmallestOptimizer(CDocWindow& window) {
  CUIMessage message;
  message.Init(0, "render options menu", nullptr, "control palette", 0);
  message.SetPayloadWord(0, int32_t(FourCC("spo1")));
  window.HandleRenderOption(&message);
}

// A whole render into the window: the clear & render button, then heartbeats until it is done.
int32_t RenderInWindow(CDocWindow& window) {
  CUIMessage message;
  message.Init(0, "clear & render button", nullptr, "doc window", 0);
  window.HandleRenderButton(&message);
  int32_t result = kNoErr;
  while (window.GetRenderRequest() && !result) result = window.Heartbeat(SHeartbeatRecord());
  return result;
}

class CBench {
 public:
  bool Start() {
    setenv("QUARN2_HEADLESS", "1", 1);
    platform::IsHeadless();
    platform::UseRealClock();
    platform::EnableTextDrawing();
    RegisterLibraryServices();
    if (InitOrdax() != 0) return false;
    const CPrefsFile prefs;
    SApplDesc desc;
    desc.name = kProgramName;
    SetPoolBudgets(desc, platform::PhysicalMemoryBytes(), prefs);
    desc.instance = platform::ProgramModule();
    desc.startMenuBarHidden = true;
    fApp = std::make_unique<COrdaxApp>(desc);
    fApp->Init(nullptr, nullptr, nullptr);
    const std::string data = platform::ProgramFolder() + "/data/";
    const CFileSpec system = Spec(data + "system.dat");
    fApp->CAppl::OpenResourceEnvironment(&system);
    if (!fApp->GetResourceEnv() || C3dBaseSys::RegisterAllClasses() != 0) return false;
    fOwner = std::make_unique<CUICmFunction>(SRange{0, 16});
    fLayout = std::make_unique<CResourceEnv>(Spec(data + "docwindow.dat"), CFile::kModeRead);
    fTextures = std::make_unique<CResourceEnv>(Spec(data + "textures.dat"), CFile::kModeRead);
    return fLayout->IsOpen() && fTextures->IsOpen();
  }

  // A new window, the one before it gone.
  CDocWindow* NewWindow() {
    fWindow.reset();
    auto window = std::make_unique<CDocWindow>(fOwner.get(), fLayout.get());
    if (!window->IsReady() || window->BuildOnce() || window->Init(fTextures.get(), kImageSize, kImageSize))
      return nullptr;
    window->MoveResize({kImageSize.h + 40, kImageSize.v + 40}, false);
    window->Show();
    window->SetViewRect({0, 0, kImageSize.v, kImageSize.h});
    window->LayoutView();
    fWindow = std::move(window);
    return fWindow.get();
  }

  ~CBench() {
    fWindow.reset();
    fLayout.reset();
    fTextures.reset();
    fOwner.reset();
    C3dBaseSys::UnregisterAllClasses();
    if (fApp) {
      fApp->CAppl::CloseResourceEnvironment();
      fApp->Term();
      fApp.reset();
    }
    TermOrdax();
  }

 private:
  std::unique_ptr<COrdaxApp> fApp;
  std::unique_ptr<CUICmFunction> fOwner;
  std::unique_ptr<CResourceEnv> fLayout;
  std::unique_ptr<CResourceEnv> fTextures;
  std::unique_ptr<CDocWindow> fWindow;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: document_bench DOCUMENT MERGED DRAWING\n");
    return 2;
  }
  const std::string document = argv[1], merged = argv[2], drawing = argv[3];
  CBench bench;
  if (!bench.Start()) {
    std::fprintf(stderr, "document_bench: the program's data/ beside this executable could not be read\n");
    return 1;
  }
  CDocWindow* window = bench.NewWindow();
  if (!window) {
    std::fprintf(stderr, "document_bench: the document window could not be made\n");
    return 1;
  }
  const CFileSpec opened = Spec(document), merging = Spec(merged);
  const std::string name = document.substr(document.rfind('/') + 1);
  bool fine = Timed("open " + name, [&] { return window->OpenDocument(0, &opened, false); }) &&
              Timed("render it (smallest optimizer)", [&] {
                ChooseSmallestOptimizer(*window);
                return RenderInWindow(*window);
              }) &&
              Timed("revert it", [&] {
                window->SetFlags(CDocWindow::kUnsavedChanges);
                platform::headless::AddScript("box 6\n");
                return window->RevertDocument(window->GetFileSpec());
              }) &&
              Timed("merge " + merged.substr(merged.rfind('/') + 1), [&] {
                return window->OpenDocument(1, &merging, false);
              });
  window = fine ? bench.NewWindow() : nullptr;
  fine = window && Timed("import " + drawing.substr(drawing.rfind('/') + 1), [&] {
           platform::headless::AddScript("open " + drawing + "\n");
           return window->ImportObject();
         });
  return fine ? 0 : 1;
}
