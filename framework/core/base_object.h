// Root of the framework's class tree. Objects are created and deleted through MemAlloc and MemFree,
// so every object starts zero-filled and a failed allocation makes `new` answer null.
#pragma once

#include <cstddef>

class CBaseObject {
 public:
  CBaseObject() = default;
  virtual ~CBaseObject() = default;

  static void* operator new(size_t size) noexcept;
  static void operator delete(void* p) noexcept;
  static void* operator new[](size_t size) = delete;
  static void operator delete[](void* p) = delete;
};
