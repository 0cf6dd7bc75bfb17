// The polygons of one entity, in world coordinates, and their way to the host: each polygon goes into
// the mesh of its material (layer and colour), made on first use, as triangles.
#pragma once

#include <cstdint>

#include "document/plugin_protocol.h"

struct SName;

inline constexpr int32_t kStoreCapacity = 20000;

// What makes a mesh: polygons whose records are equal, byte for byte, share one.
struct MaterialRecord {
  char reserved[256];
  char layerName[256];  // zero-terminated, zero-padded
  int32_t properties[13];  // host material properties 1 to 13
};
static_assert(sizeof(MaterialRecord) == 564, "the material record is 564 bytes");

struct SMeshNode {
  SMeshNode* next;
  uint32_t document;
  uint32_t mesh;
  MaterialRecord record;
};

// How full the store is. Its two arrays, reused for every entity, are vertices in single precision and
// the index list, which holds each polygon as its vertex numbers, -1, its colour index and the index
// of its layer's interned name (-1 for none).
struct SPolygonStore {
  int32_t vertexCount;
  int32_t indexCount;
};

// The new vertex's number, or -1 with error 6 when the store is full.
int32_t AddVertex(double x, double y, double z);
// Error 5 when the index list is full.
void AddIndex(int32_t vertex);
void EndPolygon(int32_t colour, const SName* layer);
// Reverses the vertex numbers from entry start up to the next negative entry.
void ReversePolygon(int32_t start);
// Hands every polygon of the store to the host and empties the store.
void EmitPolygons();

// The host's mesh for the record: an earlier one of this import, or a new one with the record's
// material. 0, or the host's answer (2 when the list cannot grow).
int32_t FindOrCreateMesh(QNHostFn* callbacks, uint32_t document, const MaterialRecord& record, uint32_t* mesh);
// Colour 0xRRGGBB of a DXF colour index; indices outside 0..15 are colour 7.
uint32_t DxfColourToRgb(int32_t index);
void FreeMeshList();
