#include "scene/light.h"

#include <cmath>
#include <cstring>
#include <optional>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/class_mesh.h"
#include "scene/object_family.h"
#include "scene/surface/material.h"

namespace {

constexpr uint32_t kLightWordTagBytes = 8;

}  // namespace

// ---- C3dLight

C3dLight::C3dLight(const SObjectKey& key) : C3dObject(key) { SizeRecord(kRecordSize); }

bool C3dLight::PassesLightEntryTests(CRay& ray, bool& answer) {
  answer = false;
  if (GetStateFlags() & kExcluded) return false;
  if (ray.fSkipLights == 1) return false;
  if (!ray.fFilterRay && !(GetStateFlags() & kVisible)) return false;
  return PassesEntryTests(*this, ray, answer);
}

int32_t C3dLight::CopyTo(C3dObject& target) {
  if (auto* light = dynamic_cast<C3dLight*>(&target)) {
    CHolder source(this, false, false);
    if (!source.IsLocked()) return NonZeroError(GetError());
    CHolder destination(light, true, false);
    if (!destination.IsLocked()) return NonZeroError(light->GetError());
    light->fColour = fColour;
    light->fIntensity = fIntensity;
    light->fRadius = fRadius;
    light->fLightWord = fLightWord;
    std::memcpy(light->GetData() + kLightWordTagsOffset, GetData() + kLightWordTagsOffset, kLightWordTagBytes);
  }
  return C3dObject::CopyTo(target);
}

bool C3dLight::SaveState() {
  if (!C3dObject::SaveState()) return false;
  uint8_t* record = GetData();
  StoreField(record + kColourOffset, fColour);
  StoreField(record + kIntensityOffset, fIntensity);
  StoreField(record + kRadiusOffset, fRadius);
  return true;
}

void C3dLight::RestoreState() {
  C3dObject::RestoreState();
  const uint8_t* record = GetData();
  fColour = LoadField<vector3<float>>(record + kColourOffset);
  fIntensity = LoadField<double>(record + kIntensityOffset);
  fRadius = LoadField<double>(record + kRadiusOffset);
}

bool C3dLight::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dObject::SwapRecord(record, size)) return false;
  for (uint32_t i = 0; i < 3; ++i) SwapWordAt(record + kColourOffset + 4 * i);
  SwapDoubleAt(record + kIntensityOffset);
  SwapDoubleAt(record + kRadiusOffset);
  return true;
}

// ---- C3dShapedLight

void C3dShapedLight::InitDefaults() { SetRadius(1.0); }

double C3dShapedLight::EdgeFalloff(double factor, double exponent) {
  if (exponent == 0) return 1;
  if (exponent == 1) return factor;
  // A negative exponent would turn the edge's 0 into infinity.
  return factor > 0 ? std::pow(factor, exponent) : 0;
}

void C3dShapedLight::Illuminate(const vector3<double>& point, vector3<float>& colour, double& intensity) {
  const vector3<double> local = GetWorldToObject().TransformPoint(point);
  double falloff = 1;
  if (!Reach(local, falloff)) {
    intensity = 0;
    return;
  }
  colour = GetColour();
  intensity = GetIntensity() * falloff;
  if (intensity == 0) return;
  PaintThroughMaterial(local, colour);
}

void C3dShapedLight::PaintThroughMaterial(const vector3<double>& local, vector3<float>& colour) {
  // Through a render the material is held for it already, and render threads must not lock it.
  C3dMaterial* const held = GetRenderMaterial();
  C3dMaterial* material = held ? held : LookupHandleAs<C3dMaterial>(GetMaterial(), C3dMaterial::kFamily);
  if (!material || !material->IsReady()) return;
  std::optional<CHolder> holder;
  if (!held) {
    holder.emplace(material, false, false);
    if (!holder->IsLocked()) return;
  }
  SMaterialSample sample = material->GetRecord().sample;
  if (!(sample.flags & C3dMaterial::kTexturedFlag)) return;
  const SLightSlide slide = SlideAt(local);
  CRay shading;
  shading.fHitObject = this;
  shading.fWantsTexture = 1;
  SRayHit& hit = shading.fHit;
  hit.fObjPoint = slide.point;
  hit.fPoint = GetObjectToWorld().TransformPoint(slide.point);
  hit.fObjNormal = hit.fObjShadingNormal = slide.normal;
  hit.fNormal = hit.fShadingNormal = NormalToWorld(slide.normal);
  hit.fU = slide.u;
  hit.fV = slide.v;
  material->Evaluate(shading, sample);
  colour = sample.diffuseColour;
}

bool C3dShapedLight::DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t, bool) {
  return DrawMeshEdges(ClassMesh(), view, viewMatrix);
}

int32_t C3dShapedLight::InitLightMesh(C3dClassMesh*& mesh) { return CreateClassMeshes(&mesh, 1); }

int32_t C3dShapedLight::FreeLightMesh(C3dClassMesh*& mesh) {
  DestroyClassMeshes(&mesh, 1);
  return kNoErr;
}

C3dBox C3dShapedLight::WithAxisStroke(C3dBox box, double y) {
  box.Extend(GetObjectToWorld().TransformPoint({0, y, 0}));
  return box;
}

bool C3dShapedLight::AddAxisStroke(C3dClassMesh* mesh, double y) {
  const uint32_t origin = mesh->GetVertices().GetCount();
  return mesh->AddVertex({0, 0, 0}) && mesh->AddVertex({0, y, 0}) && mesh->AddEdge(origin, origin + 1);
}

// ---- C3dRoundBeamLight

C3dRoundBeamLight::C3dRoundBeamLight(const SObjectKey& key) : C3dShapedLight(key) { SizeRecord(kRecordSize); }

int32_t C3dRoundBeamLight::CopyTo(C3dObject& target) {
  if (auto* beam = dynamic_cast<C3dRoundBeamLight*>(&target)) beam->fExponent = fExponent;
  return C3dShapedLight::CopyTo(target);
}

bool C3dRoundBeamLight::SaveState() {
  if (!C3dShapedLight::SaveState()) return false;
  StoreField(GetData() + kClassPartOffset, fExponent);
  return true;
}

void C3dRoundBeamLight::RestoreState() {
  C3dShapedLight::RestoreState();
  fExponent = LoadField<double>(GetData() + kClassPartOffset);
}

bool C3dRoundBeamLight::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dShapedLight::SwapRecord(record, size)) return false;
  SwapDoubleAt(record + kClassPartOffset);
  return true;
}

// ---- C3dSquareBeamLight

C3dSquareBeamLight::C3dSquareBeamLight(const SObjectKey& key) : C3dShapedLight(key) { SizeRecord(kRecordSize); }

double C3dSquareBeamLight::SquareFalloff(double a, double b) const {
  const double x = fExponents[0], z = fExponents[1];
  if (x == 0 && z == 0) return 1;
  if (x == 1 && z == 1) return a * b;
  return EdgeFalloff(a, x) * EdgeFalloff(b, z);
}

int32_t C3dSquareBeamLight::CopyTo(C3dObject& target) {
  if (auto* beam = dynamic_cast<C3dSquareBeamLight*>(&target)) beam->SetExponents(fExponents[0], fExponents[1]);
  return C3dShapedLight::CopyTo(target);
}

bool C3dSquareBeamLight::SaveState() {
  if (!C3dShapedLight::SaveState()) return false;
  StoreField(GetData() + kClassPartOffset, fExponents);
  return true;
}

void C3dSquareBeamLight::RestoreState() {
  C3dShapedLight::RestoreState();
  std::memcpy(fExponents, GetData() + kClassPartOffset, sizeof fExponents);
}

bool C3dSquareBeamLight::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dShapedLight::SwapRecord(record, size)) return false;
  SwapWordAt(record + kClassPartOffset);
  SwapWordAt(record + kClassPartOffset + 4);
  return true;
}

// ---- a new light

namespace {

constexpr vector3<float> kNewLightColour{1, 1, 1};
constexpr double kNewLightIntensity = 5.0;
constexpr double kNewLightRadius = 1.0;
constexpr uint32_t kNewLightStateFlags[] = {0x100, 0x1000};
constexpr int32_t kNewLightFamily = 3;
constexpr double kNewLightTransparency = 0.5;

}  // namespace

void SetNewLightShine(C3dLight& light) {
  light.SetColour(kNewLightColour);
  light.SetIntensity(kNewLightIntensity);
  light.SetRadius(kNewLightRadius);
}

void ClearLightClassValue(C3dLight& light) {
  if (auto* round = dynamic_cast<C3dRoundBeamLight*>(&light)) round->SetExponent(0.0);
  else if (auto* square = dynamic_cast<C3dSquareBeamLight*>(&light)) square->SetExponents(0.0f, 0.0f);
}

void SetNewLightRoles(C3dLight& light) {
  for (uint32_t bit : kNewLightStateFlags) light.SetStateFlags(bit);
  SetObjectFamily(light, kNewLightFamily);
}

void SetNewLightMaterial(SMaterialSample& sample) {
  sample.flags |= SMaterialSample::kGlassLike;
  sample.transparency = kNewLightTransparency;
}
