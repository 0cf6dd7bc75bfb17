#include "scene/base_sys.h"

int32_t C3dBaseSys::RegisterAllClasses() { return 0; }

int32_t C3dBaseSys::UnregisterAllClasses() { return 0; }
