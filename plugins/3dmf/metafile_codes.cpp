#include "plugins/3dmf/metafile_codes.h"

#include <iterator>

namespace {

constexpr int32_t kFirstCode = 12000;
constexpr int32_t kFirstWarning = 12053;
constexpr int32_t kTopWarning = 12055;

// Indexed by code - 12000.
constexpr const char* kMessages[] = {
    "No more objects.",
    "Invalid parameter.",
    "Out of memory.",
    "No objects found.",
    "Unable to parse.",
    "Did not read entire object.",
    "Object has too many labels.",
    "Illegal object name.",
    "Unquoted string.",
    "Odd number of hex characters in raw data.",
    "Illegal enumeration.",
    "Illegal data type.",
    "Wrong object type.",
    "Not a reference object.",
    "Reference not found.",
    "Too many storage objects.",
    "Illegal user object type.",
    "Number of indices is less than zero.",
    "Number of indices is greater than the number of objects.",
    "Number of corners is zero.",
    "Number of edges is zero.",
    "Number of faces is zero.",
    "Order is too small.",
    "Too few points.",
    "Number of contours is zero.",
    "Too few vertices.",
    "Width or height is zero.",
    "Not enough end groups.",
    "Too many end groups.",
    "Too many end containers.",
    "Contained object is too big.",
    "Unable to write.",
    "Illegal reference ID.",
    "Two objects have the same reference ID.",
    "Two objects have the same reference name.",
    "Group type is not specified.",
    "Failed to open.",
    "Read failed, premature EOF.",
    "Read failed.",
    "Partial read, premature EOF.",
    "Partial read.",
    "Write failed, premature EOF.",
    "Write failed.",
    "Partial write, premature EOF.",
    "Partial write.",
    "Tell failed.",
    "Seek failed.",
    "Seek out of range.",
    "Close failed, premature EOF.",
    "Unsupported 64-bit unsigned integer.",
    "Unsupported 64-bit integer.",
    "Unsupported Metafile format.",
    "* TOP ERROR *",
    "Newer Metafile format.",
    "Wrong unknown type format.",
    "* TOP WARNING *",
};
static_assert(std::size(kMessages) == kTopWarning - kFirstCode + 1, "one message per code");

}  // namespace

const char* MetafileMessage(int32_t code) {
  if (code < kFirstCode || code > kTopWarning) return nullptr;
  return kMessages[code - kFirstCode];
}

bool MetafileWarning(int32_t code) { return code >= kFirstWarning && code < kTopWarning; }
