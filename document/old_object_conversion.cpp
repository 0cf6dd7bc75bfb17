// Object records of the earlier version into scene things: one converter per record kind, the
// placement, and the surface block into a material with channel textures and pictures.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "document/old_conversion.h"
#include "document/old_quarn_file.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/pict_file.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cone_light.h"
#include "scene/cube.h"
#include "scene/cube_light.h"
#include "scene/cylinder.h"
#include "scene/group.h"
#include "scene/height_field.h"
#include "scene/object_family.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/pyramid_light.h"
#include "scene/sphere.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"

using namespace old_format;

namespace {

// Lengths and positions are stored in 1024ths, intensities in 255ths.
constexpr double kLengthUnit = 1.0 / 1024;
constexpr double kIntensityUnit = 255;  // divides

// Surface block.
constexpr int32_t kLargestMode = 6;
constexpr uint8_t kLastShadingFlag = 4;
constexpr uint8_t kNoShadowsShading = 5;
constexpr uint32_t kNoShadowsFlag = 0x20;
constexpr uint32_t kFullPercentFlag = 0x08;
constexpr uint32_t kSeeThroughFlag = 0x10;
constexpr uint32_t kChannelFlag = 1;
constexpr double kPictureValueScale = 0.01;

// Light fields.
constexpr uint32_t kLightFlag = 0x100;
constexpr uint32_t kSwitchFlags[2] = {0x200, 0x800};
constexpr double kIntensityScale = 20;
constexpr double kSpreadScale = 5;
constexpr double kLightRadius = 1;

// Boolean roles 0, 1 and 2.
constexpr uint32_t kRoleFlags[3] = {C3dObject::kPositive, C3dObject::kNegative, C3dObject::kIntersect};

// The torus's shape parameter gives its radii in 512ths; outside 0..1024 one would be negative.
constexpr int32_t kTorusUnit = 512;
constexpr int32_t kTorusWhole = 1024;

// Mesh extra data: a header, then polygons of a flag byte (bit 0 smooth), the vertex count, four
// vertices and four normals of three floats, and values the import does not read.
constexpr uint32_t kMeshHeader = 8;
constexpr uint32_t kPolygonBytes = 126;
constexpr uint32_t kPolygonVertices = 2;
constexpr uint32_t kPolygonNormals = 50;
constexpr uint8_t kSmoothPolygon = 1;

// Kind 19 is a height field with its extra flag set.
constexpr uint8_t kSymmetricFieldKind = 19;

template <typename T>
bool IsClass(const C3dObject& object) {
  return object.GetFamily() == T::kFamily && object.GetClass() == T::kClassTag;
}

bool IsFinite(double v) { return std::isfinite(v); }
bool IsFinite(const vector3<double>& v) { return IsFinite(v.x) && IsFinite(v.y) && IsFinite(v.z); }

int32_t ModeWord(int8_t stored) { return std::clamp(int32_t(stored) + 1, 0, kLargestMode); }

uint32_t MaterialFlags(const SSurface& surface) {
  uint32_t flags = 0;
  if (surface.shading >= 1 && surface.shading <= kLastShadingFlag) flags |= surface.shading;
  if (surface.shading == kNoShadowsShading) flags |= kNoShadowsFlag;
  if (surface.percentage == 100) flags |= kFullPercentFlag;
  if (surface.seeThrough) flags |= kSeeThroughFlag;
  return flags;
}

// The surface block's values into the material record; false when a channel value is not finite.
bool FillRecord(SMaterialRecord& record, const SSurface& surface, const CMemBlock* pictures) {
  for (uint32_t k = 0; k < kModeWords; ++k) record.sources[k] = ModeWord(surface.modes[k]);
  SMaterialSample& sample = record.sample;
  sample.flags = MaterialFlags(surface);
  sample.diffuseColour = ColourOf(surface.colourB);
  sample.diffusion = surface.valueB / kIntensityUnit;
  sample.ambientColour = ColourOf(surface.colourA);
  sample.ambience = surface.valueA / kIntensityUnit;
  sample.specularColour = ColourOf(surface.colourC);
  sample.specularity = surface.valueC / kIntensityUnit;
  sample.specCoefficients = {float(surface.numbers[0]), float(surface.numbers[1]), float(surface.numbers[2])};
  sample.transparentColour = ColourOf(surface.colourD);
  sample.transparency = surface.valueD / kIntensityUnit;
  sample.reflection = surface.valueE / kIntensityUnit;
  sample.bump = surface.valueF / kIntensityUnit;
  sample.refractionIndex = surface.percentage * 0.01;
  for (uint32_t i = 0; i < kChannels; ++i) {
    const SChannel& stored = surface.channels[i];
    SMaterialComponent& component = record.component[i];
    component.scale = stored.firstValue * (pictures[i].GetSize() ? kPictureValueScale : 1);
    component.placement = {stored.placement[0], stored.placement[1], stored.placement[2]};
    component.mappingMode = stored.kind;
    component.flags = stored.flag ? kChannelFlag : 0;
    if (!IsFinite(component.scale) || !IsFinite(component.placement)) return false;
  }
  return true;
}

// ---- what each class adds to the common steps

// Before the placement: what the record gives the object's shape.
int32_t ShapeFromRecord(C3dObject&, const SRecord&, const CMemBlock&) { return kNoErr; }

int32_t ShapeFromRecord(C3dTorus& torus, const SRecord& record, const CMemBlock&) {
  const int32_t s = std::clamp(int32_t(record.shape), 0, kTorusWhole);
  torus.SetMinorRadius(double(s) / kTorusUnit);
  torus.SetMajorRadius(double(kTorusWhole - s) / kTorusUnit);
  return kNoErr;
}

int32_t ShapeFromRecord(C3dHeightField& field, const SRecord& record, const CMemBlock& extra) {
  field.SetSymmetric(record.kind == kSymmetricFieldKind);
  return field.ImportOldGrid(extra.GetData(), extra.GetSize());
}

int32_t AddPolygon(C3dTriangleMesh& mesh, CStoredFields& in, uint32_t at) {
  const uint8_t flags = in.U8(at);
  const uint8_t count = in.U8(at + 1);
  if (count != 3 && count != 4) return kErrInvalidFormat;
  vector3<double> points[4], normals[4];
  for (uint32_t v = 0; v < 4; ++v) {
    const uint32_t point = at + kPolygonVertices + 12 * v, normal = at + kPolygonNormals + 12 * v;
    points[v] = {in.Float(point), in.Float(point + 4), in.Float(point + 8)};
    normals[v] = {in.Float(normal), in.Float(normal + 4), in.Float(normal + 8)};
    if (!IsFinite(points[v]) || !IsFinite(normals[v])) return kErrInvalidFormat;
  }
  // A quadrilateral is (1, 2, 3) and (3, 4, 1).
  constexpr uint32_t kCorners[2][3] = {{0, 1, 2}, {2, 3, 0}};
  const bool smooth = flags & kSmoothPolygon;
  for (uint32_t t = 0; t < (count == 4 ? 2u : 1u); ++t) {
    const uint32_t* c = kCorners[t];
    const int32_t result =
        smooth ? mesh.AddTriangleWithNormals(points[c[0]], points[c[1]], points[c[2]], normals[c[0]], normals[c[1]],
                                             normals[c[2]])
               : mesh.AddTriangle(points[c[0]], points[c[1]], points[c[2]]);
    if (result) return result;
  }
  return kNoErr;
}

int32_t ShapeFromRecord(C3dTriangleMesh& mesh, const SRecord&, const CMemBlock& extra) {
  CStoredFields in(extra.GetData(), extra.GetSize());
  const uint32_t count = extra.GetSize() ? in.U16(0) : 0;
  if (kMeshHeader + uint64_t(count) * kPolygonBytes > extra.GetSize()) return kErrInvalidFormat;
  for (uint32_t p = 0; p < count; ++p) {
    if (const int32_t error = AddPolygon(mesh, in, kMeshHeader + p * kPolygonBytes)) return error;
  }
  mesh.ComputeBounds();
  mesh.ClearBoundsCache();
  return kNoErr;
}

// Between the placement and the surface.
void BeforeSurface(C3dObject&) {}

// The earlier version's square spotlight shone along another axis: its placement's second vector, the
// shear, turns it there; the stored rotation stays the light's own.
void BeforeSurface(C3dPyramidLight& light) { light.GetPlacement().SetShear({-std::numbers::pi / 2, 0, 0}); }

// After the surface: a light's own fields.
void AfterSurface(C3dObject&, const SSurface&) {}

void AfterSurface(C3dLight& light, const SSurface& surface) {
  light.SetColour(ColourOf(surface.colourB));
  light.SetIntensity(surface.lightIntensity / kIntensityUnit * kIntensityScale);
  light.SetRadius(kLightRadius);
  light.SetStateFlags(kLightFlag);
  for (uint32_t bit = 0; bit < 2; ++bit) {
    if (surface.lightSwitches & (1u << bit)) light.SetStateFlags(kSwitchFlags[bit]);
  }
}

double Spread(const SSurface& surface) { return surface.lightSpread / kIntensityUnit * kSpreadScale; }

void AfterSurface(C3dConeLight& light, const SSurface& surface) {
  AfterSurface(static_cast<C3dLight&>(light), surface);
  light.SetExponent(Spread(surface));
}

void AfterSurface(C3dPyramidLight& light, const SSurface& surface) {
  AfterSurface(static_cast<C3dLight&>(light), surface);
  light.SetExponents(float(Spread(surface)), float(Spread(surface)));
}

}  // namespace

// ---- converters

int32_t COldQuarnFile::ConvertRecord(C3dBaseSys* table, CDupTextureTables& area) {
  using Converter = int32_t (COldQuarnFile::*)(C3dBaseSys*, CDupTextureTables&);
  struct SKind {
    uint8_t kind;
    Converter convert;
  };
  static constexpr SKind kKinds[] = {
      {1, &COldQuarnFile::ConvertObject<C3dSquare>},        {2, &COldQuarnFile::ConvertObject<C3dCircle>},
      {4, &COldQuarnFile::ConvertObject<C3dCube>},          {5, &COldQuarnFile::ConvertObject<C3dSphere>},
      {6, &COldQuarnFile::ConvertObject<C3dCone>},          {7, &COldQuarnFile::ConvertObject<C3dCylinder>},
      {8, &COldQuarnFile::ConvertObject<C3dTorus>},         {9, &COldQuarnFile::ConvertObject<C3dTriangleMesh>},
      {10, &COldQuarnFile::ConvertObject<C3dHeightField>},  {11, &COldQuarnFile::ConvertObject<C3dPlane>},
      {12, &COldQuarnFile::ConvertObject<C3dPyramid>},      {13, &COldQuarnFile::ConvertObject<C3dPlane>},
      {16, &COldQuarnFile::ConvertObject<C3dGroup>},        {17, &COldQuarnFile::ConvertObject<C3dTriangleMesh>},
      {19, &COldQuarnFile::ConvertObject<C3dHeightField>},  {20, &COldQuarnFile::ConvertObject<C3dSphereLight>},
      {21, &COldQuarnFile::ConvertObject<C3dConeLight>},    {22, &COldQuarnFile::ConvertObject<C3dPyramidLight>},
      {23, &COldQuarnFile::ConvertObject<C3dCubeLight>},
  };
  for (const SKind& kind : kKinds) {
    if (kind.kind == area.fRecord.kind) return (this->*kind.convert)(table, area);
  }
  // Every other kind is passed over.
  return kNoErr;
}

template <typename T>
int32_t COldQuarnFile::ConvertObject(C3dBaseSys* table, CDupTextureTables& area) {
  T* object = nullptr;
  if (const int32_t error = NewThing(&object, table)) return error;
  const SRecord& record = area.fRecord;
  int32_t result = ShapeFromRecord(*object, record, area.fExtra);
  if (!result) {
    CHolder holder(object, true, false);
    result = holder.IsLocked() ? ConvertPlacement(*object, record) : NonZeroError(object->GetError());
    if (!result) BeforeSurface(*object);
    if (!result) result = ConvertSurface(object, table, area);
    if (!result) AfterSurface(*object, record.surface);
  }
  if (result) DiscardThing(object);
  return result;
}

int32_t COldQuarnFile::ConvertPlacement(C3dObject& object, const SRecord& record) {
  if (!std::all_of(std::begin(record.matrix), std::end(record.matrix), [](double v) { return IsFinite(v); }) ||
      !std::all_of(std::begin(record.position), std::end(record.position), [](double v) { return IsFinite(v); }))
    return kErrInvalidFormat;
  // A group's members carry the placement.
  if (!IsClass<C3dGroup>(object)) {
    // The stored matrix's columns are the axes.
    C34Matrix matrix;
    for (int axis = 0; axis < 3; ++axis) {
      matrix.SetRow(axis, {record.matrix[axis], record.matrix[3 + axis], record.matrix[6 + axis]});
    }
    matrix.SetRow(3, {record.position[0] * kLengthUnit, record.position[1] * kLengthUnit,
                      record.position[2] * kLengthUnit});
    C34Matrix::S34Decomp parts;
    matrix.Decompose(parts);
    if (!IsFinite(parts.scale) || !IsFinite(parts.angles) || !IsFinite(parts.position)) return kErrInvalidFormat;
    vector3<double> size = parts.scale * 2;
    if (IsClass<C3dTorus>(object)) {
      const C3dBox box = object.LocalBox();
      const double dx = box.fMax.x - box.fMin.x, dy = box.fMax.y - box.fMin.y;
      if (dx > 0) size.y = size.y * dy / dx;
    }
    object.SetScaledSize(size);
    object.SetTransformVector2(parts.angles);
    object.SetTransformVector3(parts.position);
  }
  if (record.role < std::size(kRoleFlags)) object.SetStateFlags(kRoleFlags[record.role]);
  object.SetObjectNumbers(record.links[0], record.links[1], record.links[2]);
  SetObjectFamily(object, record.family);
  return kNoErr;
}

// ---- the surface

int32_t COldQuarnFile::ConvertSurface(C3dObject* object, C3dBaseSys* table, CDupTextureTables& area) {
  C3dMaterial* material = nullptr;
  if (const int32_t error = NewThing(&material, table)) return error;
  const uint32_t textureRows = fDupTextures.GetCount(), pictureRows = fDupPictures.GetCount();
  area.fMade.Clear();
  int32_t result = kNoErr;
  {
    CHolder holder(material, true, false);
    if (!holder.IsLocked()) result = NonZeroError(material->GetError());
    if (!result) result = NameThing(material, area.fRecord.name);
    if (!result && !FillRecord(material->GetRecord(), area.fRecord.surface, area.fPictures))
      result = kErrInvalidFormat;
  }
  if (!result) result = ConvertChannels(material, table, area);
  if (result) {
    DiscardThing(material);
    for (uint32_t i = 0; i < area.fMade.GetCount(); ++i) DiscardThing(area.fMade[i]);
    area.fMade.Clear();
    fDupTextures.RemoveAt(textureRows, fDupTextures.GetCount() - textureRows);
    fDupPictures.RemoveAt(pictureRows, fDupPictures.GetCount() - pictureRows);
    return result;
  }
  if (object) object->SetMaterial(material->GetHandle());
  area.fMaterial = material;
  area.fOwnsMaterial = table == nullptr;
  return kNoErr;
}

int32_t COldQuarnFile::ConvertChannels(C3dMaterial* material, C3dBaseSys* table, CDupTextureTables& area) {
  for (int channel = 0; channel < int(kChannels); ++channel) {
    if (const int32_t error = AttachTexture(material, channel, table, area)) return error;
  }
  for (int channel = 0; channel < int(kChannels); ++channel) {
    if (const int32_t error = AttachPicture(material, channel, table, area)) return error;
  }
  return kNoErr;
}

int32_t COldQuarnFile::AttachNamed(C3dMaterial* material, int channel, const CDynTable<SDupTexture>& duplicates,
                                   const CMemBlock& block) {
  const SName name = ReadName(block.GetData());
  for (uint32_t row = duplicates.GetCount(); row-- > 0;) {
    if (duplicates[row].name == name) return material->SetChannelTexture(duplicates[row].texture, channel);
  }
  return kNoErr;
}

template <typename T>
int32_t COldQuarnFile::MakeForChannel(T** out, C3dBaseSys* table, CDupTextureTables& area) {
  if (const int32_t error = NewThing(out, table)) return error;
  if (area.fMade.Append(*out)) return kNoErr;
  DiscardThing(*out);
  *out = nullptr;
  return kErrOutOfMemory;
}

int32_t COldQuarnFile::AttachMade(C3dMaterial* material, int channel, CBaseTexture* texture, const SName& name,
                                  CDynTable<SDupTexture>& duplicates, C3dBaseSys* table) {
  if (const int32_t error = NameThing(texture, name)) return error;
  if (const int32_t error = material->SetChannelTexture(texture, channel)) return error;
  // The reads of materials alone resolve every name themselves and keep no texture for later records.
  return table && !duplicates.Append({name, texture}) ? kErrOutOfMemory : kNoErr;
}

// A block of 32 bytes names a texture that an earlier record defined; one of 232 or more is a
// texture record. Any other is no texture at all.
int32_t COldQuarnFile::AttachTexture(C3dMaterial* material, int channel, C3dBaseSys* table,
                                     CDupTextureTables& area) {
  const CMemBlock& block = area.fTextures[channel];
  if (block.GetSize() == kNameBytes) return AttachNamed(material, channel, fDupTextures, block);
  if (block.GetSize() < kTextureBytes) return kNoErr;
  C3dTexture* texture = nullptr;
  if (const int32_t error = MakeForChannel(&texture, table, area)) return error;
  const STextureRecord record = TextureRecordAt(block.GetData());
  if (const int32_t error = texture->ImportOld(record.bytes, kTextureBytes)) return error;
  return AttachMade(material, channel, texture, ReadName(block.GetData() + kTextureName), fDupTextures, table);
}

// A block of 32 bytes names a picture that an earlier record carried; a longer one is the name
// followed by a PICT picture.
int32_t COldQuarnFile::AttachPicture(C3dMaterial* material, int channel, C3dBaseSys* table,
                                     CDupTextureTables& area) {
  const CMemBlock& block = area.fPictures[channel];
  if (block.GetSize() == kNameBytes) return AttachNamed(material, channel, fDupPictures, block);
  if (block.GetSize() <= kNameBytes) return kNoErr;
  CImPictFile pict(block.GetData() + kNameBytes, block.GetSize() - kNameBytes);
  int32_t width = 0, height = 0;
  // A picture that cannot be read leaves the channel without one.
  if (pict.ReadPicture(&width, &height) || pict.ReadPixels(true)) return kNoErr;
  CPictTexture* picture = nullptr;
  if (const int32_t error = MakeForChannel(&picture, table, area)) return error;
  C3dCImage& image = picture->GetPicture();
  if (!image.Allocate(uint32_t(width), uint32_t(height), 0, false, false) || !image.CopyFrom(pict.GetImage()))
    return kErrOutOfMemory;
  {
    CHolder rows(&image, true, false);
    if (!rows.IsLocked()) return kErrOutOfMemory;
  }
  return AttachMade(material, channel, picture, ReadName(block.GetData()), fDupPictures, table);
}
