#include "scene/progress_stepper.h"

void CProgressStepper::Init(uint32_t, uint32_t) {}

void CProgressStepper::Step() {}
