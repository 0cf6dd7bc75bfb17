// The framework application a command-line tool runs inside: headless, with its spool environments,
// so that resource files open through the program's own classes.
#pragma once

class COrdaxApp;

class CToolApp {
 public:
  // name: the caption of the tool's messages, which go to the standard error stream.
  explicit CToolApp(const char* name);
  CToolApp(const CToolApp&) = delete;
  CToolApp& operator=(const CToolApp&) = delete;
  ~CToolApp();

  bool IsReady() const;

 private:
  COrdaxApp* fApp = nullptr;
};
