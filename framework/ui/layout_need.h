// What the program looks up in its layout files, declared once beside the code that looks it up: a
// file, a canvas, an element of a canvas with its kind, a text list or an image list with the entries
// read, a picture or a menu. The code passes the declaration's name to the lookup, never a literal of its own, and a
// test finds every declaration in the compiled files of data/.
#pragma once

#include <cstdint>

struct SLayoutNeed {
  enum EWhat : uint8_t { kFile, kCanvas, kElement, kTextList, kPicture, kMenu, kImageList };
  // The element classes a lookup relies on: any element, or a composite, image or text element (each
  // kind also being the ones before it: a text element is an image element).
  enum EElementKind : uint8_t { kAnyElement, kCompositeElement, kImageElement, kTextElement };

  EWhat what;
  const char* file;  // the layout file, "system.dat" for the application's own resource file
  const char* name;  // the resource's or element's name; null for a numbered resource (a menu, a list)
  uint32_t number = 0;
  const char* canvas = nullptr;  // an element's canvas
  EElementKind kind = kAnyElement;
  uint32_t entries = 0;  // a list: how many entries the code reads
};

// A library's declarations, for the test that finds them.
struct SLayoutNeedTable {
  const SLayoutNeed* const* needs;
  uint32_t count;
};

// A dialog's canvas and its "ok" and "cancel" buttons (a name of none for a button it lacks).
struct SDialogNeeds {
  SLayoutNeed canvas;
  SLayoutNeed ok;
  SLayoutNeed cancel;

  const SLayoutNeed* Ok() const { return ok.name ? &ok : nullptr; }
  const SLayoutNeed* Cancel() const { return cancel.name ? &cancel : nullptr; }
};

inline constexpr const char* kOkButtonName = "ok";
inline constexpr const char* kCancelButtonName = "cancel";

constexpr SDialogNeeds DialogNeeds(const char* file, const char* canvas, bool ok = true, bool cancel = true) {
  return {{SLayoutNeed::kCanvas, file, canvas},
          {SLayoutNeed::kElement, file, ok ? kOkButtonName : nullptr, 0, canvas},
          {SLayoutNeed::kElement, file, cancel ? kCancelButtonName : nullptr, 0, canvas}};
}
