// The framework application a command-line tool runs inside: headless, with its spool environments,
// so that resource files open through the program's own classes.
#pragma once

#include <cstdint>
#include <string>

class COrdaxApp;

class CToolApp {
 public:
  static constexpr uint32_t kDataPoolBudget = 0x8000000;

  // name: the caption of the tool's messages, which go to the standard error stream. Pictures and
  // other data come from the data pool, whose budget bounds what one input can make the tool hold;
  // tools that hold large images ask for a larger one.
  explicit CToolApp(const char* name, uint32_t dataPoolBudget = kDataPoolBudget);
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
