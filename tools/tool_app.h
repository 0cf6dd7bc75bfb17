// The framework application a command-line tool runs inside: headless, with its spool environments,
// so that resource files open through the program's own classes.
#pragma once

#include <cstdint>
#include <string>

class COrdaxApp;

class CToolApp {
 public:
  static constexpr uint32_t kMachineShare = 0;

  // name: the caption of the tool's messages, which go to the standard error stream. Each of the
  // three pools gets poolBudget bytes, or with kMachineShare the share of the machine's memory the
  // program gives its data pool: with less, a large scene pages its things through the swap file
  // long before memory runs short, and its swap file's directory outgrows the default pool. SIGINT and SIGTERM stop the tool's work at its next check;
  // once the application is gone (and its pool files with it) the process ends by that signal.
  explicit CToolApp(const char* name, uint32_t poolBudget = kMachineShare);
  CToolApp(const CToolApp&) = delete;
  CToolApp& operator=(const CToolApp&) = delete;
  ~CToolApp();

  bool IsReady() const;
  // Says on the standard error stream why the tool could not start and answers the exit status, 1.
  int ReportNotReady() const;

 private:
  const char* fName = nullptr;
  COrdaxApp* fApp = nullptr;
};

// Why the temporary folder, which holds the pool files, cannot hold them: it is missing, not a
// folder, or refused the file with openResult.
std::string TempFolderProblem(int32_t openResult);
