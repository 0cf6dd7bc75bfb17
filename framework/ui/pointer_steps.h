// The movement of the pointer during a drag that hides it, one step at a time.
//
// Each step is where the pointer is less where it was at the step before. A drag that put the
// pointer back at the press point after every step and took the distance from there counted travel
// twice whenever the pointer's reported position did not follow the warp (a tablet or any pointer that
// reports absolute positions, or one that moved again before the warp took effect): the same position
// read again was movement again. The pointer goes back to the press point only when it nears the
// screen's edge, where it would stop, and when the drag ends.
#pragma once

#include "platform/window.h"

class CPointerSteps {
 public:
  explicit CPointerSteps(platform::SPoint press);

  // The movement since the last step, (0, 0) while the pointer rests.
  platform::SPoint Next();
  // The pointer back at the press point.
  void Home();

 private:
  platform::SPoint fPress;
  platform::SPoint fLast;
};
