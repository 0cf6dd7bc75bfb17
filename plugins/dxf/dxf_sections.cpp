#include "plugins/dxf/dxf_sections.h"

#include <cstddef>

#include "plugins/dxf/dxf_entity_reader.h"
#include "plugins/dxf/dxf_fields.h"
#include "plugins/dxf/dxf_names.h"
#include "plugins/dxf/dxf_state.h"
#include "plugins/dxf/dxf_tokens.h"
#include "plugins/dxf/plugin_memory.h"

namespace {

constexpr int32_t kLayerFrozen = 1;
constexpr int32_t kDefaultAlignment = 65;
constexpr int32_t kDefaultLayerColour = 7;
constexpr int32_t kNoKeyword = 0;

int32_t Next() { return NextTokenClass(gImport.reader); }
void SkipValue() { NextToken(gImport.reader); }

// Reads pairs until a code line "0" (or the end).
void SkipToZero() {
  while (!Failed()) {
    const int32_t code = Next();
    if (code == kCode0 || code == kTokenEnd) return;
    SkipValue();
  }
}

// Reads pairs up to the pair "0" and target (or the end).
void SkipTo(int32_t target) {
  while (!Failed()) {
    const int32_t code = Next();
    if (code == kTokenEnd) return;
    const int32_t value = Next();
    if ((code == kCode0 && value == target) || value == kTokenEnd) return;
  }
}

template <typename T>
T* NewRecord() {
  T* record = static_cast<T*>(CountedAlloc(sizeof(T)));
  if (!record) SetError(kDxfOutOfMemory);
  return record;
}

// HEADER: "$EXTMIN", "$EXTMAX", "$LIMMIN" and "$LIMMAX" select the point that the following "10",
// "20" and "30" fill, each coordinate once.
void ReadHeader() {
  SVec3* selected = nullptr;
  bool pending[3] = {};
  while (!Failed()) {
    const int32_t code = Next();
    if (code == kTokenEnd) return;
    if (code == kCode0) {
      if (Next() == kTokenEndsec) return;
      continue;
    }
    if (code == kCode9) {
      const int32_t name = Next();
      SDrawing& drawing = gImport.drawing;
      selected = name == kTokenExtmin   ? &drawing.extMin
                 : name == kTokenExtmax ? &drawing.extMax
                 : name == kTokenLimmin ? &drawing.limMin
                 : name == kTokenLimmax ? &drawing.limMax
                                        : nullptr;
      const bool hasZ = name == kTokenExtmin || name == kTokenExtmax;
      pending[0] = pending[1] = selected != nullptr;
      pending[2] = hasZ;
      continue;
    }
    const int axis = code == kCode10 ? 0 : code == kCode20 ? 1 : code == kCode30 ? 2 : -1;
    if (!selected || axis < 0 || !pending[axis]) {
      SkipValue();
      continue;
    }
    const double value = ParseReal(NextToken(gImport.reader));
    (axis == 0 ? selected->x : axis == 1 ? selected->y : selected->z) = value;
    pending[axis] = false;
  }
}

#define FIELD(token, type, Record, member) \
  SField { token, type, uint16_t(offsetof(Record, member)) }

const SField kLayerFields[] = {
    FIELD(kCode2, kFieldName, SLayer, name),
    FIELD(kCode70, kFieldInteger, SLayer, flags),
    FIELD(kCode62, kFieldInteger, SLayer, colour),
    FIELD(kCode6, kFieldName, SLayer, linetype),
};

const SField kLinetypeFields[] = {
    FIELD(kCode2, kFieldName, SLinetype, name),
    FIELD(kCode3, kFieldName, SLinetype, description),
    FIELD(kCode70, kFieldInteger, SLinetype, flags),
    FIELD(kCode72, kFieldInteger, SLinetype, alignment),
    FIELD(kCode73, kFieldInteger, SLinetype, dashCount),
    FIELD(kCode40, kFieldReal, SLinetype, patternLength),
    FIELD(kCode49, kFieldDash, SLinetype, firstDash),
};

const SField kStyleFields[] = {
    FIELD(kCode2, kFieldName, STextStyle, name),
    FIELD(kCode70, kFieldInteger, STextStyle, flags),
    FIELD(kCode71, kFieldInteger, STextStyle, generation),
    FIELD(kCode40, kFieldReal, STextStyle, fixedHeight),
    FIELD(kCode41, kFieldReal, STextStyle, widthFactor),
    FIELD(kCode50, kFieldReal, STextStyle, oblique),
    FIELD(kCode42, kFieldReal, STextStyle, lastHeight),
    FIELD(kCode3, kFieldName, STextStyle, fontFile),
    FIELD(kCode4, kFieldName, STextStyle, bigFontFile),
};

const SField kBlockFields[] = {
    FIELD(kCode2, kFieldName, SBlock, name),
    FIELD(kCode1, kFieldName, SBlock, text),
    FIELD(kCode70, kFieldInteger, SBlock, flags),
    FIELD(kCode8, kFieldName, SBlock, layer),
    FIELD(kCode6, kFieldName, SBlock, linetype),
    FIELD(kCode10, kFieldReal, SBlock, base.x),
    FIELD(kCode20, kFieldReal, SBlock, base.y),
    FIELD(kCode30, kFieldReal, SBlock, base.z),
    FIELD(kCode38, kFieldReal, SBlock, elevation),
    FIELD(kCode39, kFieldReal, SBlock, thickness),
};

// A table's records: made with their defaults when their "0" comes, completed at the next "0".
struct STableKind {
  size_t size;
  const SField* fields;
  size_t fieldCount;
  void (*start)(void* record);
  void (*close)(void* record);
};

#define TABLE_FIELDS(fields) fields, sizeof(fields) / sizeof(SField)

const STableKind kLayerTable = {
    sizeof(SLayer), TABLE_FIELDS(kLayerFields),
    [](void* record) {
      auto* layer = static_cast<SLayer*>(record);
      layer->colour = 1;
      Append(gImport.drawing.layers, layer);
    },
    [](void* record) {
      auto* layer = static_cast<SLayer*>(record);
      layer->visible = layer->colour >= 0 && !(layer->flags & kLayerFrozen);
      if (layer->name && !layer->name->layer) layer->name->layer = layer;
    },
};

const STableKind kLinetypeTable = {
    sizeof(SLinetype), TABLE_FIELDS(kLinetypeFields),
    [](void* record) {
      auto* linetype = static_cast<SLinetype*>(record);
      linetype->alignment = kDefaultAlignment;
      Append(gImport.drawing.linetypes, linetype);
    },
    [](void* record) {
      auto* linetype = static_cast<SLinetype*>(record);
      if (linetype->name && !linetype->name->linetype) linetype->name->linetype = linetype;
    },
};

const STableKind kStyleTable = {
    sizeof(STextStyle), TABLE_FIELDS(kStyleFields),
    [](void* record) {
      auto* style = static_cast<STextStyle*>(record);
      style->widthFactor = 1;
      Append(gImport.drawing.styles, style);
    },
    [](void* record) {
      auto* style = static_cast<STextStyle*>(record);
      if (style->name && !style->name->style) style->name->style = style;
    },
};

// Pairs up to "0"/"ENDTAB"; values before the first record are ignored.
void ReadTableRecords(const STableKind& kind) {
  void* current = nullptr;
  while (!Failed()) {
    const int32_t code = Next();
    if (code == kTokenEnd) return;
    if (code == kCode0) {
      if (current) kind.close(current);
      current = nullptr;
      const int32_t value = Next();
      if (value == kTokenEndtab || value == kTokenEnd) return;
      current = CountedAlloc(kind.size);
      if (!current) {
        SetError(kDxfOutOfMemory);
        return;
      }
      kind.start(current);
      continue;
    }
    const SField* field = current ? FindField(kind.fields, kind.fieldCount, code) : nullptr;
    if (field) ReadField(current, *field);
    else SkipValue();
  }
}

void ReadTables() {
  while (!Failed()) {
    const int32_t code = Next();
    if (code == kTokenEnd) return;
    if (code != kCode0) {
      SkipValue();
      continue;
    }
    const int32_t value = Next();
    if (value == kTokenEndsec) return;
    if (value != kTokenTable) continue;
    const int32_t nameCode = Next();
    const int32_t name = Next();
    if (nameCode == kCode2 && name == kTokenLayer) ReadTableRecords(kLayerTable);
    else if (nameCode == kCode2 && name == kTokenLtype) ReadTableRecords(kLinetypeTable);
    else if (nameCode == kCode2 && name == kTokenStyle) ReadTableRecords(kStyleTable);
    else SkipTo(kTokenEndtab);
  }
}

int32_t ReadEntities(SBlock* block, int32_t keyword);

// A block's header fields up to its first "0", then its entities up to "ENDBLK" (or "ENDSEC").
void ReadBlocks() {
  SBlock* block = nullptr;
  while (!Failed()) {
    const int32_t code = Next();
    if (code == kTokenEnd) return;
    if (code != kCode0) {
      const SField* field = block ? FindField(kBlockFields, code) : nullptr;
      if (field) ReadField(block, *field);
      else SkipValue();
      continue;
    }
    const int32_t value = Next();
    if (block) {
      if (block->name && !block->name->block) block->name->block = block;
      const int32_t end = ReadEntities(block, value);
      block = nullptr;
      if (end == kTokenEndsec) return;
    } else if (value == kTokenBlock) {
      if ((block = NewRecord<SBlock>())) Append(gImport.drawing.blocks, block);
    } else if (value == kTokenEndsec) {
      return;
    }
  }
}

template <typename Record>
SEntity* AsEntity(Record* record) {
  return reinterpret_cast<SEntity*>(record);
}

// Puts a record where it belongs: a vertex into the pending polyline, an attribute into the pending
// insert, a polyline or insert whose sequence follows into pending, anything else into the list.
struct SWalk {
  SBlock* block;
  SList<SEntity>* list;
  SPolylineRecord* polyline;  // pending, until its SEQEND
  SInsertRecord* insert;

  void Add(SEntity* entity) {
    entity->owner = block;
    Append(*list, entity);
  }

  void Place(SEntity* entity) {
    if (entity->kind == kTokenVertex) {
      if (polyline) Append(polyline->vertices, entity);
      else FreeEntity(entity);
    } else if (entity->kind == kTokenAttrib) {
      if (insert) Append(insert->attributes, entity);
      else FreeEntity(entity);
    } else if (entity->kind == kTokenPolyline && reinterpret_cast<SPolylineRecord*>(entity)->verticesFollow) {
      FreeEntity(AsEntity(polyline));  // one that never got its SEQEND
      polyline = reinterpret_cast<SPolylineRecord*>(entity);
    } else if (entity->kind == kTokenInsert && reinterpret_cast<SInsertRecord*>(entity)->attributesFollow) {
      FreeEntity(AsEntity(insert));
      insert = reinterpret_cast<SInsertRecord*>(entity);
    } else {
      Add(entity);
    }
  }

  void EndSequence() {
    if (polyline) Add(&polyline->header);
    else if (insert) Add(&insert->header);
    if (polyline) FreeEntity(AsEntity(insert));
    polyline = nullptr;
    insert = nullptr;
  }

  void Abandon() {
    FreeEntity(AsEntity(polyline));
    FreeEntity(AsEntity(insert));
    polyline = nullptr;
    insert = nullptr;
  }
};

// The entity walker. keyword is the first keyword when its "0" is already read. Answers the token
// that ended it: ENDBLK, ENDSEC, or the end of the file.
int32_t ReadEntities(SBlock* block, int32_t keyword) {
  SWalk walk{block, block ? &block->entities : &gImport.drawing.entities, nullptr, nullptr};
  int32_t token = keyword;
  if (token == kNoKeyword) {
    SkipToZero();
    token = Next();
  }
  while (!Failed() && token != kTokenEndblk && token != kTokenEndsec) {
    if (IsEntityKind(token)) {
      SEntity* entity = ReadEntityRecord(token, walk.polyline);
      if (!entity) break;
      walk.Place(entity);
    } else {
      if (token == kTokenSeqend) walk.EndSequence();
      SkipToZero();
    }
    token = Next();
  }
  walk.Abandon();
  return Failed() ? kTokenEnd : token;
}

// Finds the section names; answers whether an ENTITIES section follows.
bool ReadSections() {
  enum { kExpectCode, kAfterZero, kSectionName } state = kExpectCode;
  while (!Failed()) {
    const int32_t token = Next();
    if (token == kTokenEnd) return false;
    if (state == kExpectCode) {
      if (token == kCode0) state = kAfterZero;
      else if (token == kCode8) SkipValue();
    } else if (state == kAfterZero) {
      if (token == kTokenEof) {
        gImport.endedAtEof = true;
        return false;
      }
      state = token == kTokenSection ? kSectionName : kExpectCode;
    } else if (token == kTokenEntities) {
      return true;
    } else if (token != kCode2) {
      if (token == kTokenHeader) ReadHeader();
      else if (token == kTokenTables) ReadTables();
      else if (token == kTokenBlocks) ReadBlocks();
      else if (token != kTokenEndsec) SkipTo(kTokenEndsec);  // a section of another name
      state = kExpectCode;
    }
  }
  return false;
}

void AddDefaultLinetype() {
  SName* name = InternName("CONTINUOUS");
  if (Failed() || name->linetype) return;
  SLinetype* linetype = NewRecord<SLinetype>();
  if (!linetype) return;
  linetype->name = name;
  linetype->description = InternName("Solid line");
  linetype->alignment = kDefaultAlignment;
  Append(gImport.drawing.linetypes, linetype);
  name->linetype = linetype;
}

void AddDefaultLayer() {
  SName* name = InternName("0");
  if (Failed() || name->layer) return;
  SLayer* layer = NewRecord<SLayer>();
  if (!layer) return;
  layer->name = name;
  layer->colour = kDefaultLayerColour;
  layer->visible = 1;
  layer->linetype = InternName("CONTINUOUS");
  Append(gImport.drawing.layers, layer);
  name->layer = layer;
}

void AddDefaultStyle() {
  SName* name = InternName("STANDARD");
  if (Failed() || name->style) return;
  STextStyle* style = NewRecord<STextStyle>();
  if (!style) return;
  style->name = name;
  style->widthFactor = 1;
  style->fontFile = InternName("TXT");
  Append(gImport.drawing.styles, style);
  name->style = style;
}

template <typename T>
void FreeList(SList<T>& list, void (*freeItem)(T*)) {
  for (T* item = list.first; item;) {
    T* next = item->next;
    freeItem(item);
    item = next;
  }
  list = SList<T>{};
}

void FreeLinetype(SLinetype* linetype) {
  for (SDash* dash = linetype->firstDash; dash;) {
    SDash* next = dash->next;
    CountedFree(dash);
    dash = next;
  }
  CountedFree(linetype);
}

}  // namespace

void ReadDrawing() {
  const bool entitiesFollow = ReadSections();
  if (Failed()) return;
  AddDefaultLinetype();
  AddDefaultLayer();
  AddDefaultStyle();
  if (!Failed() && (entitiesFollow || !gImport.endedAtEof)) ReadEntities(nullptr, kNoKeyword);
}

void ReleaseDrawing() {
  SDrawing& drawing = gImport.drawing;
  FreeNames();
  FreeList<SBlock>(drawing.blocks, [](SBlock* block) {
    FreeEntityList(block->entities);
    CountedFree(block);
  });
  FreeEntityList(drawing.entities);
  FreeList<SLayer>(drawing.layers, [](SLayer* layer) { CountedFree(layer); });
  FreeList<STextStyle>(drawing.styles, [](STextStyle* style) { CountedFree(style); });
  FreeList<SLinetype>(drawing.linetypes, FreeLinetype);
}
