#include "plugins/dxf/polygon_store.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <utility>

#include "plugins/dxf/dxf_names.h"
#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/plugin_memory.h"
#include "plugins/dxf/triangulator.h"

namespace {

float gVertices[kStoreCapacity][3];
int32_t gIndices[kStoreCapacity];

constexpr uint32_t kTriangleMeshClass = ('t' << 24) | ('m' << 16) | ('s' << 8) | 'h';
constexpr int32_t kResetMaterial = 17;
constexpr int32_t kPolygonEnd = -1;
constexpr int32_t kNoLayer = -1;
constexpr int32_t kColourCount = 16;
constexpr int32_t kColourDefault = 7;

// DXF colour index to palette entry, and the palette.
constexpr int32_t kPaletteEntry[kColourCount] = {0, 12, 14, 10, 11, 9, 13, 15, 7, 4, 6, 2, 3, 1, 5, 7};
constexpr uint32_t kPalette[16] = {0x000000, 0x006699, 0x008800, 0x007744, 0x990000, 0x443344, 0x997700, 0x777777,
                                   0x000000, 0x11AADD, 0x11CC11, 0x11BB77, 0xDD2222, 0x776677, 0xDDCC11, 0xCCCCCC};

// Properties 1 to 13 of a new record; property 4, the colour, is the polygon's.
constexpr int32_t kDefaultProperties[13] = {50, 0xFFFFFF, 255, 0x7F7F7F, 0, 0xFFFFFF, 0, 0xFFFFFF, 100, 50, 50, 50, 0};
constexpr int kColourProperty = 3;   // index of property 4
constexpr int kOpacityProperty = 2;  // index of property 3

MaterialRecord MakeRecord(int32_t colour, int32_t layerIndex) {
  MaterialRecord record;
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.properties, kDefaultProperties, sizeof record.properties);
  record.properties[kColourProperty] = int32_t(DxfColourToRgb(colour));
  record.properties[kOpacityProperty] = 255;
  if (const SName* layer = NameAt(layerIndex))
    std::strncpy(record.layerName, layer->Text(), sizeof record.layerName - 1);
  return record;
}

// A host that refuses for want of memory has the import end as out of memory: a valid drawing too
// large for the host is no format error.
void Refused(int32_t answer, EDxfError refusal) { SetError(answer == kResultOutOfMemory ? kDxfOutOfMemory : refusal); }

bool SendTriangle(uint32_t mesh, const float* a, const float* b, const float* c) {
  const auto add = reinterpret_cast<QNHostAddTriangleFn>(gImport.callbacks[QN_SLOT_ADD_TRIANGLE]);
  const int32_t answer = add(gImport.document, mesh, a, b, c);
  if (answer == 0) return true;
  Refused(answer, kDxfTriangleRefused);
  return false;
}

bool MeshFor(const MaterialRecord& record, uint32_t* mesh) {
  const int32_t answer = FindOrCreateMesh(gImport.callbacks, gImport.document, record, mesh);
  if (answer == 0) return true;
  Refused(answer, kDxfMeshRefused);
  return false;
}

void* TriangulationAllocate(size_t bytes) { return PluginAllocate(bytes); }

// A polygon of more than three corners, as the triangulator cuts it; one it cannot cut gives
// nothing.
void EmitTriangulated(const int32_t* vertices, int32_t count, const MaterialRecord& record) {
  TriangulationWork work;
  work.memory = {&TriangulationAllocate, &PluginRelease};
  int32_t answer = InitTriangulation(work, count);
  if (answer == kTriangulated) {
    for (int32_t i = 0; i < count; ++i) {
      work.x[i] = gVertices[vertices[i]][0];
      work.y[i] = gVertices[vertices[i]][1];
      work.z[i] = gVertices[vertices[i]][2];
    }
    answer = Triangulate(work);
  }
  uint32_t mesh = 0;
  if (answer == kTriangulationOutOfMemory) SetError(kDxfOutOfMemory);
  else if (answer == kTriangulated && MeshFor(record, &mesh)) {
    for (int32_t t = 0; t < work.triangleCount && !Failed(); ++t) {
      float corners[3][3];
      for (int k = 0; k < 3; ++k) {
        const int32_t point = work.triangles[t * 3 + k];
        corners[k][0] = float(work.x[point]);
        corners[k][1] = float(work.y[point]);
        corners[k][2] = float(work.z[point]);
      }
      SendTriangle(mesh, corners[0], corners[1], corners[2]);
    }
  }
  FreeTriangulation(work);
}

void EmitPolygon(const int32_t* vertices, int32_t count, int32_t colour, int32_t layerIndex) {
  if (count < 3) return;
  const MaterialRecord record = MakeRecord(colour, layerIndex);
  if (count > 3) {
    EmitTriangulated(vertices, count, record);
    return;
  }
  uint32_t mesh = 0;
  if (MeshFor(record, &mesh)) SendTriangle(mesh, gVertices[vertices[0]], gVertices[vertices[1]], gVertices[vertices[2]]);
}

// A coordinate in single precision: one beyond its range is held at the range's end, one that is no
// number at 0.
float Narrow(double value) {
  if (std::isnan(value)) return 0;
  return float(std::clamp(value, double(-FLT_MAX), double(FLT_MAX)));
}

void ClearStore() {
  gImport.store.vertexCount = 0;
  gImport.store.indexCount = 0;
}

}  // namespace

int32_t AddVertex(double x, double y, double z) {
  SPolygonStore& store = gImport.store;
  if (store.vertexCount == kStoreCapacity) {
    SetError(kDxfTooManyVertices);
    return -1;
  }
  float* vertex = gVertices[store.vertexCount];
  vertex[0] = Narrow(x);
  vertex[1] = Narrow(y);
  vertex[2] = Narrow(z);
  return store.vertexCount++;
}

void AddIndex(int32_t vertex) {
  SPolygonStore& store = gImport.store;
  if (store.indexCount == kStoreCapacity) {
    SetError(kDxfTooManyIndices);
    return;
  }
  gIndices[store.indexCount++] = vertex;
}

void EndPolygon(int32_t colour, const SName* layer) {
  AddIndex(kPolygonEnd);
  AddIndex(colour);
  AddIndex(layer ? layer->index : kNoLayer);
}

void ReversePolygon(int32_t start) {
  SPolygonStore& store = gImport.store;
  int32_t end = start;
  while (end < store.indexCount && gIndices[end] >= 0) ++end;
  for (int32_t i = start, j = end - 1; i < j; ++i, --j) std::swap(gIndices[i], gIndices[j]);
}

void EmitPolygons() {
  const SPolygonStore& store = gImport.store;
  for (int32_t at = 0; at < store.indexCount && !Failed();) {
    int32_t end = at;
    while (end < store.indexCount && gIndices[end] >= 0) ++end;
    if (end + 2 >= store.indexCount) break;
    EmitPolygon(gIndices + at, end - at, gIndices[end + 1], gIndices[end + 2]);
    at = end + 3;
  }
  ClearStore();
}

int32_t FindOrCreateMesh(QNHostFn* callbacks, uint32_t document, const MaterialRecord& record, uint32_t* mesh) {
  for (const SMeshNode* node = gImport.meshes.first; node; node = node->next) {
    if (std::memcmp(&node->record, &record, sizeof record) == 0) {
      *mesh = node->mesh;
      return 0;
    }
  }
  // The node comes first, so that a mesh the host has made is always in the list that cleans up.
  auto* node = static_cast<SMeshNode*>(PluginAllocate(sizeof(SMeshNode)));
  if (!node) return kResultOutOfMemory;
  const auto create = reinterpret_cast<QNHostCreateObjectFn>(callbacks[QN_SLOT_CREATE_OBJECT]);
  uint32_t made = 0;
  if (const int32_t answer = create(document, kTriangleMeshClass, &made)) {
    PluginRelease(node);
    return answer;
  }
  *node = {nullptr, document, made, record};
  SMeshList& list = gImport.meshes;
  if (list.last) list.last->next = node;
  else list.first = node;
  list.last = node;
  const auto set = reinterpret_cast<QNHostSetMaterialPropertyFn>(callbacks[QN_SLOT_SET_MATERIAL_PROPERTY]);
  if (const int32_t answer = set(document, made, kResetMaterial, 0)) return answer;
  for (int32_t property = 1; property <= 13; ++property)
    if (const int32_t answer = set(document, made, property, record.properties[property - 1])) return answer;
  *mesh = made;
  return 0;
}

uint32_t DxfColourToRgb(int32_t index) {
  if (index < 0 || index >= kColourCount) index = kColourDefault;
  return kPalette[kPaletteEntry[index]];
}

void FreeMeshList() {
  for (SMeshNode* node = gImport.meshes.first; node;) {
    SMeshNode* next = node->next;
    PluginRelease(node);
    node = next;
  }
  gImport.meshes = SMeshList{};
}
