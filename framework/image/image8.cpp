#include "framework/image/image8.h"

void MakeImage8GridSpec(SImage8Layout& layout, CSpoolSys* env, uint32_t width, uint32_t height) {
  CSpoolGrid::InitDescriptor(layout, env, sizeof(CImVector8), width, height, 0);
  layout.areaWidth = width;
  layout.areaHeight = height;
}

CImage8::CImage8(const SImage8Layout& layout)
    : CSpoolGridT<CImVector8>(layout), fArea{0, 0, int32_t(layout.areaHeight), int32_t(layout.areaWidth)} {}

CImage8::CImage8(const SImage8Layout& layout, const SSpoolTableSpec& spec)
    : CSpoolGridT<CImVector8>(layout, spec), fArea{0, 0, int32_t(layout.areaHeight), int32_t(layout.areaWidth)} {}
