// The percent stepper through which the mesh normal passes report their progress to the polygon
// editing panel while that panel is shown. The scene cannot reach the panel: the panel registers a
// reporter, and the stepper reports only while one is registered and says it is shown.
#pragma once

#include <cstdint>

class CProgressReporter {
 public:
  virtual ~CProgressReporter() = default;
  virtual bool IsReporting() const = 0;
  // Units done of the pass's total: the reporter shows the percentage.
  virtual void ReportProgress(uint32_t pass, uint32_t done, uint32_t total) = 0;
};

class CProgressStepper {
 public:
  // Starts counting total units of a pass (1: face normals, 2: vertex normals). The report comes about
  // once per percent, the step rounded to whole units; below 50 units at every unit.
  static void Init(uint32_t total, uint32_t pass);
  // One unit done.
  static void Step();

  // The panel's reporter, or none.
  static void SetReporter(CProgressReporter* reporter);
  static CProgressReporter* GetReporter();
  // The percentage of done units of total, in 64 bits; 0 without a total.
  static uint32_t Percent(uint32_t done, uint32_t total);
};
