// The element classes' entries in the application's element registry, one per record tag.
//
// Placeholder until the user-interface framework's issues build the elements: each class registers
// its tag with a factory that builds nothing (answers 0), so element sets find no taker yet.
#pragma once

class CElement {
 public:
  static constexpr const char* kTag = "elem";
  static bool RegisterType();
  static bool UnregisterType();
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
