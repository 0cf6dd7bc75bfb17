#include "framework/core/fragment_sys.h"

int32_t CFragmentSys::SetTextList(CResourceEnv*, const char*) { return 0; }
