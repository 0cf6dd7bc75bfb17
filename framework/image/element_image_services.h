// What the indexed image lists call of the user-interface framework: the image element's two
// loaders (CImElement::LoadImageFile and LoadImageFromResource). framework/ui defines them; the
// libraries link as a group.
#pragma once

#include <cstdint>

class CImage;
struct SGridLayout;
struct SSpoolTableSpec;

int32_t LoadElementImageFile(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
int32_t LoadElementImageFromResource(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
