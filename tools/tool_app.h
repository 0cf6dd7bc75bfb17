// The framework application a command-line tool runs inside: headless, with its spool environments,
// so that resource files open through the program's own classes.
#pragma once

#include <cstdint>

class CCommandLine;
class COrdaxApp;

class CToolApp {
 public:
  static constexpr uint32_t kMachineShare = 0;

  // Each of the three pools gets poolBudget bytes, or with kMachineShare the share of the machine's
  // memory the program gives its data pool: with less, a large scene pages its things through the
  // swap file long before memory runs short, and its swap file's directory outgrows the default
  // pool. SIGINT and SIGTERM stop the tool's work at its next check; once the application is gone
  // (and its pool files with it) the process ends by that signal.
  explicit CToolApp(const char* name, uint32_t poolBudget = kMachineShare);
  // The machine's share, or least when that is more: a tool whose pictures need so much asks for it.
  static uint32_t MachineShare(uint32_t least = 0);
  CToolApp(const CToolApp&) = delete;
  CToolApp& operator=(const CToolApp&) = delete;
  ~CToolApp();

  bool IsReady() const;
  // Ends the process with the status at once, its objects left to the system (tearing down a large
  // scene costs as much as a part of reading it): only the swap files are deleted and the standard
  // streams flushed. A stop signal received meanwhile ends it by that signal, as the destructor does.
  [[noreturn]] void EndProcess(int status);
  // Says why the tool could not start (the temporary folder it could not use, where that was the
  // reason) and answers the exit status, 1.
  int ReportNotReady(const CCommandLine& line) const;

 private:
  COrdaxApp* fApp = nullptr;
};
