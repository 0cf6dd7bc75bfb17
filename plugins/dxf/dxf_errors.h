// The import's internal error codes, kept in one place while the import runs and translated into the
// host's result codes only when the entry answers.
#pragma once

#include <cstdint>

enum EDxfError : int32_t {
  kDxfFine = 0,
  kDxfCannotOpen = 1,
  kDxfReadError = 2,
  kDxfEndOfFile = 3,
  kDxfOutOfMemory = 4,
  kDxfTooManyIndices = 5,
  kDxfTooManyVertices = 6,
  kDxfCancelled = 8,
  kDxfTooManyInstances = 19,  // block expansion past its bounds
  kDxfInvalidNesting = 23,    // inserts nested past their bound
  kDxfMeshRefused = -1,
  kDxfTriangleRefused = -3,
  kDxfHostFailed = -4,  // beginning or ending the import, or finishing a mesh, was refused
};

// The host's result codes that the entry answers.
enum EHostResult : int32_t {
  kResultFine = 0,
  kResultInvalidFormat = 2,
  kResultOutOfMemory = 9,
  kResultIncorrectVersion = 3,
  kResultInvalidParameter = 16,
  kResultTooManyEntries = 19,
  kResultCancelled = 20,
};
