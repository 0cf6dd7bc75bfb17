#include "framework/core/progress.h"

#include <cstring>

#include "framework/core/fatal.h"

namespace {

CDynTable<CProgress*>* gStack = nullptr;
CCmFunction* gSubscribers = nullptr;

}  // namespace

bool CProgress::InitSystem(uint32_t capacity, SRange tableSpec) {
  EndSystem();
  // The stack never grows: its capacity is the nesting limit.
  gStack = new CDynTable<CProgress*>(SRange{int32_t(capacity), 0});
  gSubscribers = new CCmFunction(tableSpec);
  if (gStack && gStack->IsValid() && gSubscribers && gSubscribers->IsValid()) return true;
  EndSystem();
  return false;
}

void CProgress::EndSystem() {
  delete gStack;
  gStack = nullptr;
  delete gSubscribers;
  gSubscribers = nullptr;
}

bool CProgress::IsSystemReady() { return gStack != nullptr; }

uint32_t CProgress::GetDepth() { return gStack ? gStack->GetCount() : 0; }

CProgress* CProgress::GetProgressLevel(uint32_t index) {
  return (gStack && index < gStack->GetCount()) ? (*gStack)[index] : nullptr;
}

CProgress::CProgress(uint32_t total, const char* title, bool flag) {
  if (gStack) {
    if (gStack->GetCount() >= gStack->GetCapacity()) Fatal("Too many nested progresses in a single thread.");
    fLevel = gStack->GetCount();
    CProgress* self = this;
    fStacked = gStack->Append(self);
  }
  fTotal = total;
  fStepWeight = total ? float(1.0 / total) : 0.0f;
  fTimer.Start();
  if (fLevel == 0) Send(kProgressOutermostOpened);
  Send(kProgressOpened);
  if (title) {
    CopyTitle(title);
    Send(kProgressTitleChanged);
  }
  fFlag = flag;
  Send(flag ? kProgressOpenedFlagged : kProgressOpenedUnflagged);
}

CProgress::~CProgress() {
  Step(nullptr, fTotal - fDone);
  Send(kProgressClosed);
  if (fLevel == 0) Send(kProgressOutermostClosed);
  if (fStacked && gStack) {
    // Levels close innermost first, but remove by identity in case one outlived its order.
    for (uint32_t i = gStack->GetCount(); i-- > 0;) {
      if ((*gStack)[i] == this) {
        gStack->RemoveAt(i);
        break;
      }
    }
  }
}

int32_t CProgress::Step(const char* title, uint32_t n) {
  if (fDone == fTotal || n == 0) return 0;
  if (title) {
    CopyTitle(title);
    Send(kProgressTitleChanged);
  }
  fDone = (n >= fTotal - fDone) ? fTotal : fDone + n;
  if (fStacked) {
    RecomputeFractions();
  } else {
    fFraction = fDone == fTotal ? 1.0f : float(fDone * double(fStepWeight));
  }
  return Send(kProgressChanged);
}

void CProgress::SetTitle(const char* title) {
  if (!title) return;
  CopyTitle(title);
  Send(kProgressTitleChanged);
}

void CProgress::SetText(const char* text) {
  if (!text) return;
  CopyText(fText, text);
  Send(kProgressTitleChanged);
}

void CProgress::CopyTitle(const char* title) { CopyText(fTitle, title); }

void CProgress::CopyText(char* to, const char* text) {
  std::strncpy(to, text, kTitleChars);
  to[kTitleChars] = 0;
}

void CProgress::RecomputeFractions() {
  double carried = 0;
  for (uint32_t i = gStack->GetCount(); i-- > 0;) {
    CProgress* level = (*gStack)[i];
    level->fFraction = level->fDone == level->fTotal ? 1.0f
                                                     : float((level->fDone + carried) * double(level->fStepWeight));
    carried = level->fFraction;
  }
}

int32_t CProgress::Send(uint32_t message) {
  if (!gSubscribers || !gStack || gStack->GetCount() == 0) return 0;
  SProgressRecord record;
  record.message = message;
  record.innermost = (*gStack)[gStack->GetCount() - 1];
  record.outermost = (*gStack)[0];
  return gSubscribers->Broadcast(&record);
}

bool ProgressSubscribe(const void* owner, CFCallback callback) {
  return gSubscribers && gSubscribers->AddRow(owner, callback, 0);
}

bool ProgressUnsubscribe(const void* owner) { return gSubscribers && gSubscribers->RemoveOwner(owner); }
