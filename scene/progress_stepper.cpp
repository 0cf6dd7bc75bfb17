#include "scene/progress_stepper.h"

namespace {

struct SStepper {
  uint32_t pass = 0;
  uint32_t done = 0;
  uint32_t total = 0;
  uint32_t step = 0;
  uint32_t threshold = 0;
};

SStepper gStepper;
CProgressReporter* gReporter = nullptr;

}  // namespace

void CProgressStepper::SetReporter(CProgressReporter* reporter) { gReporter = reporter; }

CProgressReporter* CProgressStepper::GetReporter() { return gReporter; }

uint32_t CProgressStepper::Percent(uint32_t done, uint32_t total) {
  return total ? uint32_t(uint64_t(done) * 100 / total) : 0;
}

void CProgressStepper::Init(uint32_t total, uint32_t pass) {
  gStepper.pass = pass;
  gStepper.step = uint32_t(double(total) * 0.01 + 0.5);
  gStepper.done = 0;
  gStepper.total = total;
  gStepper.threshold = gStepper.step;
}

void CProgressStepper::Step() {
  const uint32_t before = gStepper.done++;
  // Without a total the percentage means nothing: nothing is reported.
  if (gStepper.total == 0 || gStepper.threshold > before) return;
  gStepper.threshold += gStepper.step;
  if (gReporter && gReporter->IsReporting()) gReporter->ReportProgress(gStepper.pass, gStepper.done, gStepper.total);
}
