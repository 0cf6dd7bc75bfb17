// Times imports through the DXF and 3DMF plug-ins of the build's Plugins/ folder with a host that only
// counts: for each file (".dxf" through Osprel.qno, ".t3d" and ".b3d" through Vendrix.qno) one line
// with the plug-in's answer, the
// triangles it handed over, wall-clock and CPU seconds, the longest wait between two progress reports
// (what a user who cancels waits at most) and the process's peak resident memory. With --cancel=S the
// host cancels at the first report after S seconds, and the line gives the seconds from that answer
// to the plug-in's return instead of the longest wait.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "tests/plugins/recording_host.h"

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double CpuNow() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

bool EndsWith(const std::string& text, const char* end) {
  const std::string tail = end;
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

long FileBytes(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return -1;
  std::fseek(file, 0, SEEK_END);
  const long bytes = std::ftell(file);
  std::fclose(file);
  return bytes;
}

int Time(const std::string& path, double cancelAfter) {
  CRecordingHost host;
  host.SetRecording(false, false);
  const char* plugin = EndsWith(path, ".dxf") ? "Osprel.qno"
                       : EndsWith(path, ".t3d") || EndsWith(path, ".b3d") ? "Vendrix.qno"
                                                                            : nullptr;
  if (!plugin) return std::fprintf(stderr, "import_bench: %s: not .dxf, .t3d or .b3d\n", path.c_str()), 1;
  if (!host.Load(std::string(QUARN2_PLUGINS_DIR) + "/" + plugin))
    return std::fprintf(stderr, "import_bench: %s/%s does not load\n", QUARN2_PLUGINS_DIR, plugin), 1;
  const double start = Now(), cpuStart = CpuNow();
  double last = start, longest = 0, cancelled = 0;
  host.WatchProgress([&](const char*, int32_t, int32_t) {
    const double now = Now();
    if (now - last > longest) longest = now - last;
    last = now;
    if (cancelAfter > 0 && !cancelled && now - start >= cancelAfter) cancelled = now;
    return cancelled ? CRecordingHost::kCancel : 0;
  });
  const int32_t answer = host.Import(path);
  const double end = Now(), cpu = CpuNow() - cpuStart;
  if (end - last > longest) longest = end - last;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%-28s %9ld bytes  answer %3d  %9llu triangles  wall %7.3f s  cpu %7.3f s  %s %6.3f s  peak %7.1f MB\n",
              path.substr(path.find_last_of('/') + 1).c_str(), FileBytes(path), answer,
              static_cast<unsigned long long>(host.CallCount(QN_SLOT_ADD_TRIANGLE)), end - start, cpu,
              cancelAfter > 0 ? "cancel to return" : "longest wait    ", cancelAfter > 0 ? (cancelled ? end - cancelled : -1) : longest,
              double(usage.ru_maxrss) / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  double cancelAfter = 0;
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--cancel=", 0) == 0) cancelAfter = std::atof(argument.c_str() + 9);
    else status |= Time(argument, cancelAfter);
  }
  if (argc < 2) std::fprintf(stderr, "usage: import_bench [--cancel=SECONDS] FILE...\n");
  return argc < 2 ? 2 : status;
}
