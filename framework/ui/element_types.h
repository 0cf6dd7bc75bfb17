// The element classes' entries in the application's element registry, one per record tag, and the
// element operations the framework core calls.
//
// Placeholder until the user-interface framework's issues build the elements: each class registers
// its tag with a factory that builds nothing (answers 0), so element sets find no taker yet; a plain
// CElement only keeps its owner, its parent and its children; the image element's loaders answer 27.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"

class CExSystem;
class CImage;
struct SDynTableLayout;
struct SGridLayout;
struct SSpoolTableSpec;

class CElement : public CBaseObject {
 public:
  static constexpr const char* kTag = "elem";
  static bool RegisterType();
  static bool UnregisterType();

  CElement() = default;
  // Deletes the children with their table.
  ~CElement() override;
  CElement(const CElement&) = delete;
  CElement& operator=(const CElement&) = delete;

  // The table the element belongs to; none before a table takes it.
  virtual CExSystem* GetOwner() const { return fOwner; }
  virtual int32_t SetOwner(CExSystem* owner);
  virtual int32_t ClearOwner(CExSystem* owner);
  virtual bool IsPlaced() const { return fParent != nullptr; }
  // Makes the children's table from container on first use (9, or 13 when it is not usable), then
  // adds the child's row with the three words.
  virtual int32_t AddChild(CElement* child, uint32_t classData, int32_t orderKey, uint32_t extra,
                           const SDynTableLayout& container);

  CElement* GetParent() const { return fParent; }
  CExSystem* GetChildren() const { return fChildren; }

 private:
  CExSystem* fOwner = nullptr;
  CElement* fParent = nullptr;
  CExSystem* fChildren = nullptr;
};

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
