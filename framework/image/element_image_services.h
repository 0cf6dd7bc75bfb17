// What the indexed image lists call of the user-interface framework, which comes after them: the image
// element's two loaders, the picture shared through its environment's image cache
// (CImElement::LoadSharedImage, given back with ReleaseIndexedResource) and a private copy in the
// working environment (CImElement::LoadImageCopy, deleted by its owner). framework/ui registers them
// at start-up (RegisterUiServices); without a registration both answer kErrNotImplemented.
#pragma once

#include <cstdint>

class CImage;
struct SGridLayout;
struct SSpoolTableSpec;

struct SElementImageServices {
  int32_t (*loadFile)(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
  int32_t (*loadFromResource)(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
};

// The registration stays until replaced; null takes it back. The table is the caller's and must
// outlive the registration.
void SetElementImageServices(const SElementImageServices* services);
const SElementImageServices* GetElementImageServices();

int32_t LoadElementImageFile(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
int32_t LoadElementImageFromResource(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
