#include "plugins/dxf/dxf_entity_reader.h"

#include <cstddef>

#include "plugins/dxf/dxf_fields.h"
#include "plugins/dxf/dxf_names.h"
#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/dxf_tokens.h"
#include "plugins/dxf/plugin_memory.h"

namespace {

constexpr int32_t kColourByBlock = 0;
constexpr int32_t kColourByLayer = 256;
constexpr int32_t kColourDefault = 7;

#define FIELD(token, type, Record, member) \
  SField { token, type, uint16_t(offsetof(Record, member)) }
#define REAL(token, Record, member) FIELD(token, kFieldReal, Record, member)
#define INTEGER(token, Record, member) FIELD(token, kFieldInteger, Record, member)
#define NAME(token, Record, member) FIELD(token, kFieldName, Record, member)
#define POINT(codeX, codeY, codeZ, Record, member) \
  REAL(codeX, Record, member.x), REAL(codeY, Record, member.y), REAL(codeZ, Record, member.z)

const SField kHeaderFields[] = {
    NAME(kCode5, SEntity, handle),       NAME(kCode6, SEntity, linetype),
    REAL(kCode38, SEntity, elevation),   REAL(kCode39, SEntity, thickness),
    INTEGER(kCode62, SEntity, colour),   INTEGER(kCode67, SEntity, paperSpace),
    NAME(kCode8, SEntity, layer),        POINT(kCode210, kCode220, kCode230, SEntity, extrusion),
};

const SField kPointFields[] = {
    POINT(kCode10, kCode20, kCode30, SPointRecord, location),
    REAL(kCode50, SPointRecord, angle),
};

const SField kLineFields[] = {
    POINT(kCode10, kCode20, kCode30, SLineRecord, start),
    POINT(kCode11, kCode21, kCode31, SLineRecord, end),
};

const SField kCircleFields[] = {
    POINT(kCode10, kCode20, kCode30, SCircleRecord, centre),
    REAL(kCode40, SCircleRecord, radius),
};

const SField kArcFields[] = {
    POINT(kCode10, kCode20, kCode30, SArcRecord, centre),
    REAL(kCode40, SArcRecord, radius),
    REAL(kCode50, SArcRecord, startAngle),
    REAL(kCode51, SArcRecord, endAngle),
};

#define THREE_CORNERS(Record)                                 \
  POINT(kCode10, kCode20, kCode30, Record, corners[0]),       \
      POINT(kCode11, kCode21, kCode31, Record, corners[1]),   \
      POINT(kCode12, kCode22, kCode32, Record, corners[2])

const SField kTraceFields[] = {
    THREE_CORNERS(SFaceRecord),
    POINT(kCode13, kCode23, kCode33, SFaceRecord, corners[3]),
};

#define FOURTH_CORNER(token, member) FIELD(token, kFieldFourthCorner, SFaceRecord, corners[3].member)

const SField kSolidFields[] = {
    THREE_CORNERS(SFaceRecord),
    FOURTH_CORNER(kCode13, x),
    FOURTH_CORNER(kCode23, y),
    FOURTH_CORNER(kCode33, z),
};

const SField kFaceFields[] = {
    THREE_CORNERS(SFaceRecord),
    FOURTH_CORNER(kCode13, x),
    FOURTH_CORNER(kCode23, y),
    FOURTH_CORNER(kCode33, z),
    INTEGER(kCode70, SFaceRecord, invisibleEdges),
};

const SField kTextFields[] = {
    POINT(kCode10, kCode20, kCode30, STextRecord, insertion),
    REAL(kCode40, STextRecord, height),
    NAME(kCode1, STextRecord, text),
    REAL(kCode50, STextRecord, rotation),
    REAL(kCode41, STextRecord, widthFactor),
    REAL(kCode51, STextRecord, oblique),
    NAME(kCode7, STextRecord, style),
    INTEGER(kCode71, STextRecord, generation),
    INTEGER(kCode72, STextRecord, horizontal),
    INTEGER(kCode73, STextRecord, vertical),
    POINT(kCode11, kCode21, kCode31, STextRecord, alignment),
};

const SField kShapeFields[] = {
    POINT(kCode10, kCode20, kCode30, SShapeRecord, insertion),
    REAL(kCode40, SShapeRecord, size),
    NAME(kCode2, SShapeRecord, name),
    REAL(kCode50, SShapeRecord, rotation),
    REAL(kCode41, SShapeRecord, xScale),
    REAL(kCode51, SShapeRecord, oblique),
};

const SField kInsertFields[] = {
    INTEGER(kCode66, SInsertRecord, attributesFollow),
    NAME(kCode2, SInsertRecord, block),
    POINT(kCode10, kCode20, kCode30, SInsertRecord, point),
    POINT(kCode41, kCode42, kCode43, SInsertRecord, scale),
    REAL(kCode50, SInsertRecord, rotation),
    INTEGER(kCode70, SInsertRecord, columns),
    INTEGER(kCode71, SInsertRecord, rows),
    REAL(kCode44, SInsertRecord, columnSpacing),
    REAL(kCode45, SInsertRecord, rowSpacing),
};

const SField kPolylineFields[] = {
    INTEGER(kCode66, SPolylineRecord, verticesFollow),
    INTEGER(kCode70, SPolylineRecord, flags),
    REAL(kCode30, SPolylineRecord, elevationZ),
    REAL(kCode40, SPolylineRecord, startWidth),
    REAL(kCode41, SPolylineRecord, endWidth),
    INTEGER(kCode71, SPolylineRecord, meshM),
    INTEGER(kCode72, SPolylineRecord, meshN),
    INTEGER(kCode73, SPolylineRecord, densityM),
    INTEGER(kCode74, SPolylineRecord, densityN),
    INTEGER(kCode75, SPolylineRecord, smoothType),
};

const SField kVertexFields[] = {
    POINT(kCode10, kCode20, kCode30, SVertexRecord, location),
    REAL(kCode40, SVertexRecord, startWidth),
    REAL(kCode41, SVertexRecord, endWidth),
    REAL(kCode42, SVertexRecord, bulge),
    INTEGER(kCode70, SVertexRecord, flags),
    INTEGER(kCode71, SVertexRecord, indices[0]),
    INTEGER(kCode72, SVertexRecord, indices[1]),
    INTEGER(kCode73, SVertexRecord, indices[2]),
    INTEGER(kCode74, SVertexRecord, indices[3]),
    REAL(kCode50, SVertexRecord, tangent),
};

#define ATTRIBUTE_FIELDS                                              \
  POINT(kCode10, kCode20, kCode30, SAttributeRecord, insertion),      \
      REAL(kCode40, SAttributeRecord, height),                        \
      NAME(kCode1, SAttributeRecord, value),                          \
      NAME(kCode2, SAttributeRecord, tag),                            \
      INTEGER(kCode70, SAttributeRecord, flags),                      \
      INTEGER(kCode73, SAttributeRecord, fieldLength),                \
      REAL(kCode50, SAttributeRecord, rotation),                      \
      REAL(kCode41, SAttributeRecord, widthFactor),                   \
      REAL(kCode51, SAttributeRecord, oblique),                       \
      NAME(kCode7, SAttributeRecord, style),                          \
      INTEGER(kCode71, SAttributeRecord, generation),                 \
      INTEGER(kCode72, SAttributeRecord, horizontal),                 \
      INTEGER(kCode74, SAttributeRecord, vertical),                   \
      POINT(kCode11, kCode21, kCode31, SAttributeRecord, alignment)

const SField kAttdefFields[] = {ATTRIBUTE_FIELDS, NAME(kCode3, SAttributeRecord, prompt)};
const SField kAttribFields[] = {ATTRIBUTE_FIELDS};

const SField kDimensionFields[] = {
    NAME(kCode2, SDimensionRecord, block),
    NAME(kCode3, SDimensionRecord, style),
    NAME(kCode1, SDimensionRecord, text),
    INTEGER(kCode70, SDimensionRecord, type),
    POINT(kCode10, kCode20, kCode30, SDimensionRecord, points[0]),
    POINT(kCode11, kCode21, kCode31, SDimensionRecord, points[1]),
    POINT(kCode12, kCode22, kCode32, SDimensionRecord, points[2]),
    POINT(kCode13, kCode23, kCode33, SDimensionRecord, points[3]),
    POINT(kCode14, kCode24, kCode34, SDimensionRecord, points[4]),
    POINT(kCode15, kCode25, kCode35, SDimensionRecord, points[5]),
    POINT(kCode16, kCode26, kCode36, SDimensionRecord, points[6]),
    REAL(kCode40, SDimensionRecord, leaderLength),
    REAL(kCode50, SDimensionRecord, angles[0]),
    REAL(kCode51, SDimensionRecord, angles[1]),
    REAL(kCode52, SDimensionRecord, angles[2]),
    REAL(kCode53, SDimensionRecord, angles[3]),
};

const SField kViewportFields[] = {
    POINT(kCode10, kCode20, kCode30, SViewportRecord, centre),
    REAL(kCode40, SViewportRecord, width),
    REAL(kCode41, SViewportRecord, height),
    INTEGER(kCode68, SViewportRecord, status),
    INTEGER(kCode69, SViewportRecord, id),
};

struct SKind {
  int32_t kind;
  size_t size;
  const SField* fields;
  size_t fieldCount;
};

#define KIND(token, Record, fields) \
  SKind { token, sizeof(Record), fields, sizeof(fields) / sizeof(SField) }

const SKind kKinds[] = {
    KIND(kTokenPoint, SPointRecord, kPointFields),
    KIND(kTokenLine, SLineRecord, kLineFields),
    KIND(kToken3dLine, SLineRecord, kLineFields),
    KIND(kTokenCircle, SCircleRecord, kCircleFields),
    KIND(kTokenArc, SArcRecord, kArcFields),
    KIND(kTokenTrace, SFaceRecord, kTraceFields),
    KIND(kTokenSolid, SFaceRecord, kSolidFields),
    KIND(kToken3dFace, SFaceRecord, kFaceFields),
    KIND(kTokenText, STextRecord, kTextFields),
    KIND(kTokenShape, SShapeRecord, kShapeFields),
    KIND(kTokenInsert, SInsertRecord, kInsertFields),
    KIND(kTokenPolyline, SPolylineRecord, kPolylineFields),
    KIND(kTokenVertex, SVertexRecord, kVertexFields),
    KIND(kTokenAttdef, SAttributeRecord, kAttdefFields),
    KIND(kTokenAttrib, SAttributeRecord, kAttribFields),
    KIND(kTokenDimension, SDimensionRecord, kDimensionFields),
    KIND(kTokenViewport, SViewportRecord, kViewportFields),
};

const SKind* FindKind(int32_t kind) {
  for (const SKind& entry : kKinds)
    if (entry.kind == kind) return &entry;
  return nullptr;
}

// The defaults that are not zero. Texts name the style "STANDARD" until they give their own; a shape
// that gives no x scale is not squeezed flat, since DXF writers leave out the scale 1.
void SetDefaults(SEntity* entity, const SPolylineRecord* owner) {
  entity->colour = kColourByLayer;
  entity->extrusion = {0, 0, 1};
  switch (entity->kind) {
    case kTokenTrace:
      reinterpret_cast<SFaceRecord*>(entity)->cornerCount = 4;
      break;
    case kTokenSolid:
    case kToken3dFace:
      reinterpret_cast<SFaceRecord*>(entity)->cornerCount = 3;
      break;
    case kTokenText: {
      auto* text = reinterpret_cast<STextRecord*>(entity);
      text->widthFactor = 1;
      text->style = InternName("STANDARD");
      break;
    }
    case kTokenShape:
      reinterpret_cast<SShapeRecord*>(entity)->xScale = 1;
      break;
    case kTokenInsert: {
      auto* insert = reinterpret_cast<SInsertRecord*>(entity);
      insert->scale = {1, 1, 1};
      insert->columns = insert->rows = 1;
      break;
    }
    case kTokenVertex:
      if (owner) {
        auto* vertex = reinterpret_cast<SVertexRecord*>(entity);
        vertex->startWidth = owner->startWidth;
        vertex->endWidth = owner->endWidth;
      }
      break;
    case kTokenAttrib:
      reinterpret_cast<SAttributeRecord*>(entity)->widthFactor = 1;
      [[fallthrough]];
    case kTokenAttdef:
      reinterpret_cast<SAttributeRecord*>(entity)->style = InternName("STANDARD");
      break;
    default:
      break;
  }
}

bool SameCorner(const SVec3& a, const SVec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// A fourth corner that repeats the third or the first makes a three-cornered face.
void SettleCornerCount(SEntity* entity) {
  if (entity->kind != kTokenSolid && entity->kind != kToken3dFace) return;
  auto* face = reinterpret_cast<SFaceRecord*>(entity);
  if (face->cornerCount == 4 &&
      (SameCorner(face->corners[3], face->corners[2]) || SameCorner(face->corners[3], face->corners[0])))
    face->cornerCount = 3;
}

void SkipValue() { NextToken(gImport.reader); }

}  // namespace

bool IsEntityKind(int32_t token) { return FindKind(token) != nullptr; }

SEntity* ReadEntityRecord(int32_t kind, const SPolylineRecord* owner) {
  const SKind* info = FindKind(kind);
  if (!info) return nullptr;
  auto* entity = static_cast<SEntity*>(CountedAlloc(info->size));
  if (!entity) {
    SetError(kDxfOutOfMemory);
    return nullptr;
  }
  entity->kind = kind;
  SetDefaults(entity, owner);
  while (!Failed()) {
    const int32_t token = NextTokenClass(gImport.reader);
    if (token == kTokenEnd || token == kCode0 || Failed()) break;
    const SField* field = FindField(kHeaderFields, token);
    if (field) ReadField(entity, *field);
    else if ((field = FindField(info->fields, info->fieldCount, token))) ReadField(entity, *field);
    else SkipValue();
  }
  if (Failed()) {
    FreeEntity(entity);
    return nullptr;
  }
  SettleCornerCount(entity);
  return entity;
}

void FreeEntity(SEntity* entity) {
  if (!entity) return;
  if (entity->kind == kTokenPolyline) FreeEntityList(reinterpret_cast<SPolylineRecord*>(entity)->vertices);
  if (entity->kind == kTokenInsert) FreeEntityList(reinterpret_cast<SInsertRecord*>(entity)->attributes);
  CountedFree(entity);
}

void FreeEntityList(SList<SEntity>& list) {
  for (SEntity* entity = list.first; entity;) {
    SEntity* next = entity->next;
    FreeEntity(entity);
    entity = next;
  }
  list = SList<SEntity>{};
}

int32_t ResolveColour(const SEntity& entity) {
  const auto usable = [](int32_t colour) { return colour != kColourByBlock && colour != kColourByLayer; };
  if (usable(entity.colour)) return entity.colour;
  SName* layerName = nullptr;
  if (entity.colour == kColourByLayer) layerName = entity.layer;
  else if (entity.owner) layerName = entity.owner->layer;
  const SLayer* layer = layerName ? layerName->layer : nullptr;
  if (layer && usable(layer->colour)) return layer->colour;
  return kColourDefault;
}
