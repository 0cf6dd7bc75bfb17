#include "scene/texture/texture_engine.h"

namespace {

// Each render thread evaluates with its own.
thread_local STextureEngine gEngine;

}  // namespace

STextureEngine& GetTextureEngine() { return gEngine; }
