// quarn2-render DOC.qnc OUT.bmp [--width W] [--height H] [--aa MODE]: opens a scene document with
// the program's own reader, renders it whole and writes the image as a 24-bit BMP file.
// quarn2-render DOC.qnc OUT.EXT [--width W] [--height H] [--rotate] [--dpi N]: renders it row by row
// into a file that the image plug-in offering EXT, in the "Plugins" folder beside the tool, writes.
// Either way a progress bar goes to the standard error stream. A failure prints
// "quarn2-render: FILE: text (code N)" and exits with status 1, leaving no output file (an existing
// one stays as it was); wrong arguments print a usage line and exit with status 2.
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "document/plugin_protocol.h"
#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "platform/file.h"
#include "platform/system.h"
#include "tools/render_job.h"
#include "tools/tool_app.h"
#include "tools/tool_messages.h"

namespace {

constexpr const char* kUsage =
    "usage: quarn2-render DOC.qnc OUT.bmp [--width W] [--height H] [--aa MODE] [--optimizer N]\n"
    "       quarn2-render DOC.qnc OUT.EXT [--width W] [--height H] [--rotate] [--dpi N] [--optimizer N]\n"
    "  OUT.EXT: a format of an image plug-in in the Plugins folder beside the tool;\n"
    "  --dpi N: dots per inch from 1 to 9600, default 72;\n"
    "  --optimizer N: 0 no tree, 1 a tree of limits 5 and 5 (default), 2 limits 50 and 10";

struct SOptions {
  SRenderJob job;
  SDiskJob disk;
  const char* out = nullptr;
  bool hasDiskOption = false;
};

bool ParseWhole(const char* text, uint32_t least, uint32_t most, uint32_t& out) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno || end == text || *end || value < long(least) || value > long(most)) return false;
  out = uint32_t(value);
  return true;
}

bool EndsWith(const std::string& text, const char* ending) {
  const size_t length = std::char_traits<char>::length(ending);
  return text.size() > length && strcasecmp(text.c_str() + text.size() - length, ending) == 0;
}

bool IsBmp(const SOptions& options) { return EndsWith(options.out, ".bmp"); }

// An empty answer, or what was wrong.
std::string Parse(int argc, char** argv, SOptions& options) {
  const std::string largest = std::to_string(SRenderJob::kLargestSide);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--width" || arg == "--height") {
      uint32_t& side = arg == "--width" ? options.job.width : options.job.height;
      if (!hasValue || !ParseWhole(argv[++i], 1, SRenderJob::kLargestSide, side))
        return arg + " needs a whole number from 1 to " + largest;
    } else if (arg == "--aa") {
      if (!hasValue || !ParseWhole(argv[++i], 0, SRenderJob::kLargestMode, options.job.antialiasMode))
        return "--aa needs a mode from 0 to " + std::to_string(SRenderJob::kLargestMode);
      options.job.hasAntialias = true;
    } else if (arg == "--optimizer") {
      if (!hasValue || !ParseWhole(argv[++i], 0, SRenderJob::kLargestOptimizerChoice, options.job.optimizerChoice))
        return "--optimizer needs a choice from 0 to " + std::to_string(SRenderJob::kLargestOptimizerChoice);
    } else if (arg == "--rotate") {
      options.disk.rotate = true;
      options.hasDiskOption = true;
    } else if (arg == "--dpi") {
      uint32_t dpi = 0;
      if (!hasValue || !ParseWhole(argv[++i], SDiskJob::kLeastResolution, SDiskJob::kLargestResolution, dpi))
        return "--dpi needs a whole number from " + std::to_string(SDiskJob::kLeastResolution) + " to " +
               std::to_string(SDiskJob::kLargestResolution);
      options.disk.resolution = int32_t(dpi);
      options.hasDiskOption = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (!options.job.document) {
      options.job.document = argv[i];
    } else if (!options.out) {
      options.out = argv[i];
    } else {
      return "one document and one output file only";
    }
  }
  if (!options.out) return "a document and an output file are needed";
  options.disk.output = options.out;
  if (IsBmp(options)) {
    if (options.hasDiskOption) return "--rotate and --dpi are for files an image plug-in writes, not .bmp";
  } else if (options.job.hasAntialias) {
    return "--aa is for .bmp only: a file an image plug-in writes samples each pixel's centre and is "
           "antialiased as the document's render options say, as the program's render to disk does";
  }
  return "";
}

// The render's progress on the standard error stream: a bar redrawn in place at most ten times a
// second on a terminal, else a line at every tenth, so that a log stays readable.
class CProgressBar {
 public:
  static constexpr int64_t kRedrawMs = 100;
  static constexpr uint32_t kBarWidth = 40;

  CProgressBar() : fTerminal(platform::StandardErrorIsTerminal()) {}
  ~CProgressBar() {
    if (fTerminal && fDrawn) std::fputc('\n', stderr);
  }
  CProgressBar(const CProgressBar&) = delete;
  CProgressBar& operator=(const CProgressBar&) = delete;

  SRenderObserver Observer() { return SRenderObserver{&CProgressBar::Told, this}; }

 private:
  static void Told(void* owner, uint32_t done, uint32_t total) {
    if (total) static_cast<CProgressBar*>(owner)->Show(uint32_t(uint64_t(std::min(done, total)) * 100 / total));
  }
  void Show(uint32_t percent) {
    if (fTerminal) {
      if (fDrawn && percent != 100 && fRedraw.ElapsedMs() < kRedrawMs) return;
      const uint32_t filled = percent * kBarWidth / 100;
      std::fprintf(stderr, "\rrendering [%s%s] %3u%%", std::string(filled, '#').c_str(),
                   std::string(kBarWidth - filled, ' ').c_str(), percent);
      std::fflush(stderr);
      fRedraw.Start();
      fDrawn = true;
      return;
    }
    // A second pass (the antialias pass) counts again from 0.
    const uint32_t tenth = percent / 10;
    if (tenth < fLastTenth) fLastTenth = 0;
    for (; fLastTenth < tenth; ++fLastTenth) std::fprintf(stderr, "rendering %u%%\n", (fLastTenth + 1) * 10);
  }

  const bool fTerminal;
  bool fDrawn = false;
  uint32_t fLastTenth = 0;
  CTimer fRedraw;
};

void Report(const char* path, int32_t error) { ReportFileProblem("quarn2-render", path, error); }

// What the tool says for a failure of the plug-in path: the folder that holds no image plug-in, the
// extension no plug-in offers, or the output file.
void ReportDiskFailure(const SOptions& options, int32_t error, const std::string& offered) {
  // The finding step's answer for a folder without a plug-in.
  if (error == kErrInvalidKey) {
    const std::string folder = platform::ProgramFolder() + "/" + options.disk.pluginFolder;
    std::fprintf(stderr, "quarn2-render: %s: no image plug-in (*%s) was found in this folder (code %d)\n",
                 folder.c_str(), QN_IMAGE_EXTENSION, error);
  } else if (!offered.empty()) {
    std::fprintf(stderr, "quarn2-render: %s: no image plug-in writes this extension; they offer %s (code %d)\n",
                 options.out, offered.c_str(), error);
  } else {
    Report(options.out, error);
  }
}

int RunDisk(SOptions& options) {
  CRenderDocument document;
  int32_t error = document.Read(options.job);
  if (error) {
    Report(options.job.document, error);
    return 1;
  }
  std::string offered;
  {
    CProgressBar bar;
    error = RenderDocumentToDisk(document, bar.Observer(), options.disk, &offered);
  }
  if (error) {
    ReportDiskFailure(options, error, offered);
    return 1;
  }
  return 0;
}

int Run(SOptions& options) {
  if (!CheckOutput("quarn2-render", options.out)) return 1;
  if (!IsBmp(options)) return RunDisk(options);
  CImage* image = nullptr;
  int32_t error = 0;
  {
    CProgressBar bar;
    options.job.observer = bar.Observer();
    error = RenderDocument(options.job, &image);
  }
  if (error) {
    Report(options.job.document, error);
    return 1;
  }
  CFileSpec out;
  error = out.Set(options.out);
  if (!error) error = SaveImageAsBmp(out, image, true);
  delete image;
  if (error) {
    Report(options.out, error);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SOptions options;
  const std::string problem = Parse(argc, argv, options);
  if (!problem.empty()) {
    std::fprintf(stderr, "quarn2-render: %s\n%s\n", problem.c_str(), kUsage);
    return 2;
  }
  CToolApp app("quarn2-render");
  if (!app.IsReady()) return app.ReportNotReady();
  return Run(options);
}
