// The result codes of the metafile library and their messages. 0 is success, 12000 ends a file in the
// normal way, 12001 to 12051 are errors and 12053 and 12054 warnings: the operation produced its
// result, so callers go on. 12052 and 12055 close the two ranges and are never returned.
#pragma once

#include <cstdint>

enum : int32_t {
  kMetafileFine = 0,
  kMetafileNoMoreObjects = 12000,
  kMetafileInvalidParameter = 12001,
  kMetafileOutOfMemory = 12002,
  kMetafileNoObjects = 12003,
  kMetafileUnableToParse = 12004,
  kMetafileIncompleteObject = 12005,
  kMetafileTooManyLabels = 12006,
  kMetafileIllegalObjectName = 12007,
  kMetafileUnquotedString = 12008,
  kMetafileOddHexDigits = 12009,
  kMetafileIllegalEnumeration = 12010,
  kMetafileIllegalDataType = 12011,
  kMetafileWrongObjectType = 12012,
  kMetafileNotAReference = 12013,
  kMetafileReferenceNotFound = 12014,
  kMetafileIllegalUserType = 12016,
  kMetafileNoCorners = 12019,
  kMetafileNoEdges = 12020,
  kMetafileNoFaces = 12021,
  kMetafileOrderTooSmall = 12022,
  kMetafileTooFewPoints = 12023,
  kMetafileNoContours = 12024,
  kMetafileTooFewVertices = 12025,
  kMetafileEmptyImage = 12026,
  kMetafileNotEnoughEndGroups = 12027,
  kMetafileTooManyEndGroups = 12028,
  kMetafileTooManyEndContainers = 12029,
  kMetafileContainedTooBig = 12030,
  kMetafileIllegalReferenceId = 12032,
  kMetafileOpenFailed = 12036,
  kMetafileReadAtEnd = 12037,
  kMetafileReadFailed = 12038,
  kMetafilePartialReadAtEnd = 12039,
  kMetafilePartialRead = 12040,
  kMetafileTellFailed = 12045,
  kMetafileSeekFailed = 12046,
  kMetafileCloseFailed = 12048,
  kMetafileUnsupportedFormat = 12051,
  kMetafileNewerFormat = 12053,
};

// The message of a code of 12000 to 12055; null for any other.
const char* MetafileMessage(int32_t code);
// 12053 and 12054: the result is there, though something about it is doubtful.
bool MetafileWarning(int32_t code);
