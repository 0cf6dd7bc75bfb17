// Resources for the harnesses of stored records: one resource file per process in the private
// folder, into which each input is put exactly as given, and seeds written with the program's own
// writers and compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/rect.h"
#include "framework/core/resource_env.h"
#include "framework/core/spool_key.h"

class CFuzzSeeds;

// The process's resource file "fuzz.res", opened for reading and writing on first use.
CResourceEnv& FuzzResourceEnv();

SSpoolKey FuzzKey(const char* type, uint32_t number, const char* name = "");

// The bytes become the stored data (and header) of the resource, entered first when it is new; no
// record handler sees them on their way in. Stops the process when they cannot be put: the input
// would not reach the reader.
void PutRawResource(CResourceEnv& env, const SSpoolKey& key, const uint8_t* data, size_t size,
                    const uint8_t* header = nullptr, size_t headerSize = 0);

// The stored data and header of a resource written by the program's own writers.
void GetRawResource(CResourceEnv& env, const SSpoolKey& key, std::vector<uint8_t>* data,
                    std::vector<uint8_t>* header);

// A width × height 32-bit image stored as resource key through the image record, pixel (x, y) some
// mix of x and y; stops the process when it cannot be stored.
void StoreFuzzImage(CResourceEnv& env, const SSpoolKey& key, uint32_t width, uint32_t height);

// The 8-bit image's counterpart, with the area and origin of its own that its record stores.
void StoreFuzzImage8(CResourceEnv& env, const SSpoolKey& key, uint32_t width, uint32_t height, const SRect& area,
                     int32_t originX, int32_t originY);

// Inputs of records with a header: the first byte is the header's length (at most what follows), the
// bytes after it the header and then the body.
void PutRecordInput(CResourceEnv& env, const SSpoolKey& key, const uint8_t* data, size_t size);
// A stored resource's header and body as such an input.
std::vector<uint8_t> RecordInput(CResourceEnv& env, const SSpoolKey& key);

// A resource file with one resource of every type the harnesses read, written by the program's
// writers: its bytes.
std::vector<uint8_t> SampleResourceFile();

// A resource source ("ixtx", "ixco", "ixim", "eset") compiled as resbuild compiles it.
std::vector<uint8_t> CompileFuzzSource(const std::string& kind, const std::string& source);
// A source file of the project's own resources, resources/system/NAME.
std::string ProjectResourceSource(const std::string& name);
