// The fatal stop: tells the user the program must end, then ends the process with status 1.
// The reason names the failed step for a developer; it is not shown.
#pragma once

[[noreturn]] void Fatal(const char* reason);
