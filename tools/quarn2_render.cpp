// quarn2-render DOC.qnc OUT.bmp [--width=W] [--height=H] [--aa=MODE] [--optimizer=N] [--options=WORD]: opens a scene
// document with the program's own reader, renders it whole and writes the image as a 24-bit BMP file.
// quarn2-render DOC.qnc OUT.EXT [--width=W] [--height=H] [--rotate] [--dpi=N] [--optimizer=N]: renders
// it row by row into a file that the image plug-in offering EXT, in the "Plugins" folder beside the
// tool, writes.
// Either way a progress bar goes to the standard error stream. A failure names the file and the
// error and exits with status 1, leaving no output file (an existing one stays as it was); wrong
// arguments print the usage and exit with status 2.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "document/plugin_protocol.h"
#include "document/register_document_services.h"
#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "platform/file.h"
#include "tools/command_line.h"
#include "tools/progress_bar.h"
#include "tools/render_job.h"
#include "tools/tool_app.h"

namespace {

// The largest picture, 8192 × 8192 pixels of 4 bytes, with room for the scene's own pictures.
constexpr uint32_t kDataPoolBudget = 0x18000000;

enum EOption { kWidth, kHeight, kAntialias, kRotate, kResolution, kOptimizer, kOptions, kStats };

const STool kTool{
    "quarn2-render",
    {"DOC.qnc OUT.bmp [--width=W] [--height=H] [--aa=MODE] [--optimizer=N] [--options=WORD] [--stats]",
     "DOC.qnc OUT.EXT [--width=W] [--height=H] [--rotate] [--dpi=N] [--optimizer=N] [--options=WORD] [--stats]"},
    "Renders a scene document with no window into a 24-bit BMP file, or into any format that an image\n"
    "plug-in (a \"*.qni\" library in the Plugins folder beside the tool) writes.",
    {
        {"width", kWidth, "W", "picture width, 1 to 8192 (default: the document's render size)"},
        {"height", kHeight, "H", "picture height, 1 to 8192 (default: the document's render size)"},
        {"aa", kAntialias, "MODE", "antialias mode of a .bmp, 0 to 7 (default 1, each pixel's centre)"},
        {"rotate", kRotate, nullptr, "plug-in formats: write the picture turned a quarter turn"},
        {"dpi", kResolution, "N", "plug-in formats: the resolution given to the plug-in, 1 to 9600 (default 72)"},
        {"optimizer", kOptimizer, "N", "the tree that finds what rays meet, 0 to 3 (default 3; see below)"},
        {"options", kOptions, "WORD",
         "the render option word instead of the document's, 1 to 0xFFFF (0x4000 adaptive, 0x2000 antialias pass)"},
        {"stats", kStats, nullptr, "after the render, its statistics on standard output as the render report has them"},
    },
    "The camera named \"perspective\" (else the document's first camera) looks at the scene; its first\n"
    "sky and the document's render options are used. Antialias modes: 0 each pixel's corner, 1 its\n"
    "centre, 2 four random points, 3 a 4 x 4 grid, 4 six fixed points, 5 the 4 x 4 grid jittered, 6 the\n"
    "jittered grid with spread reflections, 7 a 2 x 2 grid.\n"
    "Optimizer choices, for documents whose render options ask for a tree of the render's own, the\n"
    "document window's three: 0 a tree never split, 1 boxes split while they hold more than 5 things,\n"
    "at most 5 levels deep (as a new document window has it), 2 more than 50 things, at most 10\n"
    "levels; and 3 (the default) boxes split across their longest side while they hold more than 4\n"
    "things, as deep as the number of things asks. The choice changes how fast rays find the things,\n"
    "never the picture.\n"
    "A progress bar with the elapsed and remaining time goes to standard error.\n"
    "Exit status: 0 the picture is written, 1 a failure (the message names the file), 2 wrong arguments.\n"
    "The scene description and more: tools/README.md.\n"};

struct SOptions {
  SRenderJob job;
  SDiskJob disk;
  std::string out;
  bool hasDiskOption = false;
  bool showStats = false;
  CRenderStats stats;
};

std::string SideProblem(const char* option, const char* value, uint32_t* side) {
  int64_t read = 0;
  if (!ParseWholeNumber(value, 1, SRenderJob::kLargestSide, &read))
    return std::string("--") + option + " needs a whole number from 1 to " + std::to_string(SRenderJob::kLargestSide);
  *side = uint32_t(read);
  return "";
}

std::string TakeOption(SOptions& options, int id, const char* value) {
  int64_t read = 0;
  switch (id) {
    case kWidth: return SideProblem("width", value, &options.job.width);
    case kHeight: return SideProblem("height", value, &options.job.height);
    case kAntialias:
      if (!ParseWholeNumber(value, 0, SRenderJob::kLargestMode, &read))
        return "--aa needs a mode from 0 to " + std::to_string(SRenderJob::kLargestMode);
      options.job.antialiasMode = uint32_t(read);
      options.job.hasAntialias = true;
      return "";
    case kOptimizer:
      if (!ParseWholeNumber(value, 0, SRenderJob::kLargestOptimizerChoice, &read))
        return "--optimizer needs a choice from 0 to " + std::to_string(SRenderJob::kLargestOptimizerChoice);
      options.job.optimizerChoice = uint32_t(read);
      return "";
    case kRotate:
      options.disk.rotate = true;
      options.hasDiskOption = true;
      return "";
    case kResolution:
      if (!ParseWholeNumber(value, SDiskJob::kLeastResolution, SDiskJob::kLargestResolution, &read))
        return "--dpi needs a whole number from " + std::to_string(SDiskJob::kLeastResolution) + " to " +
               std::to_string(SDiskJob::kLargestResolution);
      options.disk.resolution = int32_t(read);
      options.hasDiskOption = true;
      return "";
    case kOptions: {
      char* end = nullptr;
      errno = 0;
      const unsigned long word = std::strtoul(value, &end, 0);
      if (errno || !end || *end || end == value || *value == '-' || word < 1 || word > 0xFFFF)
        return "--options needs a word from 1 to 0xFFFF";
      options.job.options = uint32_t(word);
      return "";
    }
    case kStats:
      options.showStats = true;
      return "";
  }
  return "";
}

bool IsBmp(const SOptions& options) { return HasExtension(options.out, ".bmp"); }

// An empty answer, or what was wrong with the operands.
std::string CheckOperands(const std::vector<std::string>& operands, SOptions& options) {
  if (operands.size() < 2) return "a document and an output file are needed";
  if (operands.size() > 2) return "one document and one output file only";
  options.job.document = operands[0].c_str();
  options.out = operands[1];
  options.disk.output = options.out;
  if (IsBmp(options)) {
    if (options.hasDiskOption) return "--rotate and --dpi are for files an image plug-in writes, not .bmp";
  } else if (options.job.hasAntialias) {
    return "--aa is for .bmp only: a file an image plug-in writes samples each pixel's centre and is "
           "antialiased as the document's render options say, as the program's render to disk does";
  }
  return "";
}

// What the tool says for a failure of the plug-in path: the folder that holds no image plug-in, the
// extension no plug-in offers, or the output file.
int DiskFailure(const CCommandLine& line, const SOptions& options, int32_t error, const std::string& offered) {
  // The finding step's answer for a folder without a plug-in.
  if (error == kErrInvalidKey) {
    const std::string folder = platform::ProgramFolder() + "/" + options.disk.pluginFolder;
    return line.Fail(folder, std::string("no image plug-in (*") + QN_IMAGE_EXTENSION + ") was found in this folder " +
                                 "(code " + std::to_string(error) + ")");
  }
  if (!offered.empty())
    return line.Fail(options.out, "no image plug-in writes this extension; they offer " + offered + " (code " +
                                      std::to_string(error) + ")");
  return line.FailWithCode(options.out, error);
}

// The render report's figures and its time, one a line.
void PrintStats(CRenderStats stats, int64_t seconds) {
  stats.SplitTime(uint64_t(std::max<int64_t>(seconds, 0)));
  std::string time;
  FormatElapsedTime(stats, time);
  std::printf("time                %14s\n", time.c_str());
  std::printf("pixels rendered     %14s\n", FormatReportCount(stats.fPixels).c_str());
  std::printf("pixels antialiased  %14s\n", FormatReportCount(stats.fResampledPixels).c_str());
  const double pixels = stats.fPixels;
  const struct {
    const char* name;
    uint64_t total;
  } rows[] = {{"primary rays", stats.fEyeRays}, {"shadow rays", stats.fShadowRays}, {"total rays", stats.fRaySum},
              {"ray hits", stats.fHits},        {"ray misses", stats.fMisses},      {"intersects", stats.fTestSum}};
  for (const auto& row : rows) {
    std::printf("%-20s%14s %12s per pixel\n", row.name, FormatReportCount(row.total).c_str(),
                FormatReportFigure(pixels > 0 ? double(row.total) / pixels : 0).c_str());
  }
}

// The document is never deleted: main ends the process without tearing it down.
int RunDisk(const CCommandLine& line, SOptions& options) {
  CRenderDocument& document = *new CRenderDocument;
  int32_t error = document.Read(options.job);
  if (error) return line.FailWithCode(options.job.document, error);
  std::string offered;
  CTimer elapsed;
  elapsed.Start();
  {
    CProgressBar bar("rendering");
    error = RenderDocumentToDisk(document, SRenderObserver{&CProgressBar::Told, &bar}, options.disk, &offered,
                                 &options.stats);
  }
  if (error) return DiskFailure(line, options, error, offered);
  if (options.showStats) PrintStats(options.stats, elapsed.ElapsedSeconds());
  return 0;
}

void TakeFinalRows(void* writer, CImNavigator& image, uint32_t top, uint32_t bottom) {
  static_cast<CImBitmapWriter*>(writer)->TakeRows(image, top, bottom);
}

// Here too the document and the picture are left to the process's end: unmapping the picture here
// would cost its end a third of a millisecond more. The picture's rows go into the file while
// later ones are traced, so that its end leaves little to write; a failed render leaves no file.
int Run(const CCommandLine& line, SOptions& options) {
  if (!IsBmp(options)) return RunDisk(line, options);
  CFileSpec out;
  int32_t error = out.Set(options.out.c_str());
  if (error) return line.FailWithCode(options.out, error);
  CImBitmapWriter writer(out, true);
  CImage* image = nullptr;
  CTimer elapsed;
  elapsed.Start();
  {
    CProgressBar bar("rendering");
    options.job.observer = SRenderObserver{&CProgressBar::Told, &bar, &TakeFinalRows, &writer};
    options.job.stats = &options.stats;
    error = RenderDocument(options.job, *new CRenderDocument, &image);
  }
  const int64_t seconds = elapsed.ElapsedSeconds();
  if (error) return line.FailWithCode(options.job.document, error);
  error = writer.Commit(image);
  if (error) return line.FailWithCode(options.out, error);
  if (options.showStats) PrintStats(options.stats, seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  SOptions options;
  const int status =
      line.Parse(argc, argv, [&options](int id, const char* value) { return TakeOption(options, id, value); });
  if (status != CCommandLine::kGoOn) return status;
  if (const std::string problem = CheckOperands(line.Operands(), options); !problem.empty())
    return line.UsageError(problem);
  if (line.RefuseOutput(options.out, {options.job.document})) return CCommandLine::kStatusFailed;
  // The progress of a picture written through a plug-in asks the documents for its format's description,
  // as in the program.
  RegisterDocumentServices();
  CToolApp app("quarn2-render", CToolApp::MachineShare(kDataPoolBudget));
  if (!app.IsReady()) return app.ReportNotReady(line);
  // The scene's many objects are left to the system: freeing them one by one would only cost time.
  app.EndProcess(Run(line, options));
}
