// The parsed drawing: interned names, the layer, linetype, text-style and block tables, and one record
// per entity. Every record comes zeroed from the counted allocator and lives until the import's
// release step.
#pragma once

#include <cstdint>

struct SVec3 {
  double x = 0, y = 0, z = 0;
};

// A doubly linked list in file order; T has prev and next.
template <typename T>
struct SList {
  T* first = nullptr;
  T* last = nullptr;
  int32_t count = 0;
};

template <typename T>
void Append(SList<T>& list, T* item) {
  item->prev = list.last;
  item->next = nullptr;
  if (list.last) list.last->next = item;
  else list.first = item;
  list.last = item;
  ++list.count;
}

struct SLayer;
struct SLinetype;
struct STextStyle;
struct SBlock;

// One distinct text of the import. The first layer, linetype, style and block that the file gives
// this name are kept with it, so that a name finds its table entry at once.
struct SName {
  SName* nextInBucket;
  uint32_t hash;
  int32_t index;  // order of interning, from 0
  SLayer* layer;
  SLinetype* linetype;
  STextStyle* style;
  SBlock* block;
  const char* Text() const { return reinterpret_cast<const char*>(this + 1); }
};

// The header every entity record starts with.
struct SEntity {
  SEntity* prev;
  SEntity* next;
  int32_t kind;  // the keyword's token
  SName* handle;
  SName* linetype;
  double elevation;
  double thickness;
  int32_t colour;  // 256 by layer, 0 by block
  int32_t paperSpace;
  SName* layer;
  SVec3 extrusion;
  SBlock* owner;  // the block whose list holds the record
};

struct SPointRecord {
  SEntity header;
  SVec3 location;
  double angle;
};

// LINE and 3DLINE.
struct SLineRecord {
  SEntity header;
  SVec3 start;
  SVec3 end;
};

struct SCircleRecord {
  SEntity header;
  SVec3 centre;
  double radius;
};

struct SArcRecord {
  SEntity header;
  SVec3 centre;
  double radius;
  double startAngle;  // degrees
  double endAngle;
};

// TRACE, SOLID and 3DFACE.
struct SFaceRecord {
  SEntity header;
  SVec3 corners[4];
  int32_t invisibleEdges;
  int32_t cornerCount;
};

struct STextRecord {
  SEntity header;
  SVec3 insertion;
  double height;
  SName* text;
  double rotation;
  double widthFactor;
  double oblique;
  SName* style;
  int32_t generation;
  int32_t horizontal;
  int32_t vertical;
  SVec3 alignment;
};

struct SShapeRecord {
  SEntity header;
  SVec3 insertion;
  double size;
  SName* name;
  double rotation;
  double xScale;
  double oblique;
};

struct SInsertRecord {
  SEntity header;
  int32_t attributesFollow;
  SName* block;
  SVec3 point;
  SVec3 scale;
  double rotation;  // degrees
  int32_t columns;
  int32_t rows;
  double columnSpacing;
  double rowSpacing;
  SList<SEntity> attributes;
  double offsetX;  // of the column and row being converted
  double offsetY;
};

enum : int32_t {
  kPolylineClosed = 1,
  kPolylineCurveFit = 2,
  kPolylineSplineFit = 4,
  kPolyline3d = 8,
  kPolylineMesh = 16,
  kPolylineMeshClosedN = 32,
  kPolylinePolyface = 64,
};

struct SPolylineRecord {
  SEntity header;
  int32_t verticesFollow;
  int32_t flags;
  double elevationZ;
  double startWidth;  // defaults of its vertices
  double endWidth;
  int32_t meshM;  // or the polyface's vertex count
  int32_t meshN;  // or the polyface's face count
  int32_t densityM;
  int32_t densityN;
  int32_t smoothType;
  SList<SEntity> vertices;
};

enum : int32_t {
  kVertexFitted = 1,
  kVertexCurveFit = 8,
  kVertexControlPoint = 16,
  kVertexMesh = 64,
  kVertexFace = 128,
};

struct SVertexRecord {
  SEntity header;
  SVec3 location;
  double startWidth;
  double endWidth;
  double bulge;
  int32_t flags;
  int32_t indices[4];  // polyface corners
  double tangent;
};

// ATTDEF and ATTRIB.
struct SAttributeRecord {
  SEntity header;
  SVec3 insertion;
  double height;
  SName* value;
  SName* prompt;
  SName* tag;
  int32_t flags;
  int32_t fieldLength;
  double rotation;
  double widthFactor;
  double oblique;
  SName* style;
  int32_t generation;
  int32_t horizontal;
  int32_t vertical;
  SVec3 alignment;
};

struct SDimensionRecord {
  SEntity header;
  SName* block;
  SName* style;
  SName* text;
  int32_t type;
  SVec3 points[7];
  double leaderLength;
  double angles[4];
};

struct SViewportRecord {
  SEntity header;
  SVec3 centre;
  double width;
  double height;
  int32_t status;
  int32_t id;
};

struct SLayer {
  SLayer* prev;
  SLayer* next;
  SName* name;
  int32_t flags;  // 1 frozen
  int32_t colour;  // negative when switched off
  int32_t visible;
  SName* linetype;
};

struct SDash {
  SDash* next;
  double length;
};

struct SLinetype {
  SLinetype* prev;
  SLinetype* next;
  SName* name;
  SName* description;
  int32_t flags;
  int32_t alignment;
  int32_t dashCount;
  double patternLength;
  SDash* firstDash;
  SDash* lastDash;
};

struct STextStyle {
  STextStyle* prev;
  STextStyle* next;
  SName* name;
  int32_t flags;
  int32_t generation;
  double fixedHeight;
  double widthFactor;
  double oblique;
  double lastHeight;
  SName* fontFile;
  SName* bigFontFile;
};

struct SBlock {
  SBlock* prev;
  SBlock* next;
  SName* name;
  SName* text;
  int32_t flags;
  SName* layer;
  SName* linetype;
  SVec3 base;
  double elevation;
  double thickness;
  SList<SEntity> entities;
  int64_t work;  // of converting its entities once, counted at its first insert
};

// The drawing read so far.
struct SDrawing {
  SList<SEntity> entities;  // top level
  SList<SBlock> blocks;
  SList<SLayer> layers;
  SList<SLinetype> linetypes;
  SList<STextStyle> styles;
  SVec3 extMin, extMax, limMin, limMax;  // kept, never used
};
