#include "document/progress_titles.h"

#include "framework/core/appl.h"
#include "framework/core/ix_text.h"

CProgressTitles::CProgressTitles(const char* listName) {
  CAppl* app = GetApplication();
  fList = new CIxText(app ? app->GetResourceEnv() : nullptr, listName, CIxText::kNone);
  if (!fList || fList->GetResult()) return;
  fHolder = new CIxTxHolder(fList, true);
}

CProgressTitles::~CProgressTitles() {
  delete fHolder;
  delete fList;
}

const char* CProgressTitles::Title(uint32_t index, const char* builtIn) {
  if (!fHolder || !fHolder->IsHeld() || index >= fList->Count()) return builtIn;
  return fList->TextAt(index);
}
