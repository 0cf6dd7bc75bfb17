#include "framework/image/element_image_services.h"

#include "framework/core/result_codes.h"

namespace {

const SElementImageServices* gServices = nullptr;

}  // namespace

void SetElementImageServices(const SElementImageServices* services) { gServices = services; }

const SElementImageServices* GetElementImageServices() { return gServices; }

int32_t LoadElementImageFile(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec) {
  return gServices ? gServices->loadFile(image, grid, spec) : kErrNotImplemented;
}

int32_t LoadElementImageFromResource(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec) {
  return gServices ? gServices->loadFromResource(image, grid, spec) : kErrNotImplemented;
}
