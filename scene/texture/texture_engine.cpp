#include "scene/texture/texture_engine.h"

namespace {

STextureEngine gEngine;

}  // namespace

STextureEngine& GetTextureEngine() { return gEngine; }
