// The titles of a long document operation's progress steps, from an indexed text list of the
// application's resources ("progress load", "progress save"), held locked while the operation runs;
// when the list cannot be had or locked, each step keeps its built-in title.
#pragma once

#include <cstdint>

class CIxText;
class CIxTxHolder;

class CProgressTitles {
 public:
  explicit CProgressTitles(const char* listName);
  ~CProgressTitles();
  CProgressTitles(const CProgressTitles&) = delete;
  CProgressTitles& operator=(const CProgressTitles&) = delete;

  // Entry index of the list, or builtIn.
  const char* Title(uint32_t index, const char* builtIn);

 private:
  CIxText* fList = nullptr;
  CIxTxHolder* fHolder = nullptr;
};
