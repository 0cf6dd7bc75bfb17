// A temporary file that deletes itself: a mode-3 file named "tmp..." in the temporary folder, which
// exists while the object owns it. Callers test IsOwned() before use.
#pragma once

#include "framework/core/file.h"

class CTmpFile : public CFile {
 public:
  CTmpFile();
  ~CTmpFile() override;

  bool IsOwned() const { return fOwned; }

 private:
  bool fOwned = false;
};
