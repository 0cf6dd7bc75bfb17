// What the indexed image lists call of the user-interface framework: the image element's two
// loaders, the picture shared through its environment's image cache (CImElement::LoadSharedImage,
// given back with ReleaseIndexedResource) and a private copy in the working environment
// (CImElement::LoadImageCopy, deleted by its owner). framework/ui defines them; the libraries link as
// a group.
#pragma once

#include <cstdint>

class CImage;
struct SGridLayout;
struct SSpoolTableSpec;

int32_t LoadElementImageFile(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
int32_t LoadElementImageFromResource(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
