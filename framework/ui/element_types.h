// The element classes' entries in the application's element registry, one per record tag, and the
// element operations the framework core calls.
//
// Until the element records' issue brings the factories, each class registers its tag with a factory
// that builds nothing (answers 0), so element sets find no taker yet; the image element's loaders
// answer 27.
#pragma once

#include <cstdint>

#include "framework/ui/element.h"

class CImage;
struct SGridLayout;
struct SSpoolTableSpec;

class CCoElement {
 public:
  static constexpr const char* kTag = "coel";
  static bool RegisterType();
  static bool UnregisterType();
};

class CImElement {
 public:
  static constexpr const char* kTag = "imel";
  static bool RegisterType();
  static bool UnregisterType();

  // The element image an indexed image record names, from its image file or from the resource
  // environment, into a new image of the grid and key given; 0 or a code.
  static int32_t LoadImageFile(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
  static int32_t LoadImageFromResource(CImage** image, const SGridLayout& grid, const SSpoolTableSpec& spec);
};

class CTxElement {
 public:
  static constexpr const char* kTag = "txel";
  static bool RegisterType();
  static bool UnregisterType();
};

class CRmElement {
 public:
  static constexpr const char* kTag = "rmel";
  static bool RegisterType();
  static bool UnregisterType();
};

class CRsElement {
 public:
  static constexpr const char* kTag = "rsel";
  static bool RegisterType();
  static bool UnregisterType();
};
