#include "platform/system.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cfenv>
#include <csignal>

#include "platform/headless.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

uint32_t gBeeps = 0;
const char gProgramModule = 0;
volatile std::sig_atomic_t gStopSignal = 0;
uint64_t gSetPhysicalMemory = 0;

void OnStopSignal(int signal) { gStopSignal = signal; }

}  // namespace

std::string SystemName() {
  utsname name{};
  if (::uname(&name) != 0) return "Unknown System";
  return name.sysname;
}

uint32_t ProcessorCount() {
  const long n = ::sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? uint32_t(n) : 1;
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = &OnStopSignal;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM}) ::sigaction(signal, &action, nullptr);
  IgnoreFileSizeSignal();
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

bool IsStopRequested() { return gStopSignal != 0; }

void EndIfStopRequested() {
  const int signal = gStopSignal;
  if (!signal) return;
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

uint64_t PhysicalMemoryBytes() {
  if (gSetPhysicalMemory) return gSetPhysicalMemory;
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  return (pages > 0 && pageSize > 0) ? uint64_t(pages) * uint64_t(pageSize) : 0;
}

void MaskFloatExceptions() {
  std::feclearexcept(FE_ALL_EXCEPT);
  fedisableexcept(FE_ALL_EXCEPT);
}

void Beep() {
  ++gBeeps;
  Backend().Beep();
}

uint32_t BeepCount() { return gBeeps; }

ModuleHandle ProgramModule() { return &gProgramModule; }

// No module carries cursor resources yet: the interface data brings them.
CursorHandle LoadModuleCursor(ModuleHandle, uint16_t) { return nullptr; }

CursorHandle LoadModuleCursor(ModuleHandle, const char*) { return nullptr; }

namespace headless {

void SetPhysicalMemory(uint64_t bytes) { gSetPhysicalMemory = bytes; }

}  // namespace headless
}  // namespace platform
