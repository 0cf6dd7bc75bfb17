// The file-level steps of opening and saving a scene document (".qnc"): a resource environment with
// one record per scene thing and the settings record.
#pragma once

#include <cstdint>

struct CFileSpec;
class C3dBaseSys;
class CDocSettings;

// Opens the document read-only and reads every thing into the table (mode 0, linked), then the
// settings record when there is one (a document without one leaves the settings as they were).
// The first failure is the answer; what was read stays in the table, and the caller decides.
int32_t ReadSceneFile(const CFileSpec& spec, C3dBaseSys* table, CDocSettings* settings);

// Writes the table and the settings (when given) into a new document under a temporary name in the
// target's folder, closes it and puts it in the target's place. On failure the temporary file is
// removed and an existing document stays as it was.
int32_t WriteSceneFile(const CFileSpec& spec, C3dBaseSys* table, CDocSettings* settings);
