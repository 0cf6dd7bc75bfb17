// The lights of a scene: placed objects of family 'lght' that answer, for a world point, the colour
// and intensity they send there. The shaped lights (radial, spot, parallel, square spot, circular
// parallel) have a lit region of their shape with a fall-off towards its edge, project their
// material's texture through the beam like a slide, and show a visible volume of their shape to
// rays; the sun lights without a body from the values the sky prepares.
//
// The renderer divides a light's contribution by its distance unless HasNoFalloff answers true;
// Illuminate reports only the fall-off across the beam.
#pragma once

#include <cstdint>

#include "framework/core/box3d.h"
#include "framework/core/four_cc.h"
#include "framework/core/handle_table.h"
#include "framework/core/vector3.h"
#include "scene/factory.h"
#include "scene/object.h"
#include "scene/shape_intersection.h"

class C3dClassMesh;
struct SMaterialSample;

class C3dLight : public C3dObject {
 public:
  static constexpr uint32_t kFamily = FourCC("lght");
  // State flags of lights: render rays see the visible volume; no distance fall-off; no shadow test;
  // the visible volume of a beam runs on below its shape.
  static constexpr uint32_t kVisible = 0x200;
  static constexpr uint32_t kNoFalloff = 0x400;
  static constexpr uint32_t kCastsNoShadow = 0x800;
  static constexpr uint32_t kUnboundedBeam = 0x2000;

  // The light part of the record.
  static constexpr uint32_t kColourOffset = 748;
  static constexpr uint32_t kIntensityOffset = 760;
  static constexpr uint32_t kRadiusOffset = 768;
  // Class tag and id of the light word's material, written and resolved by the document code; they
  // stay in the writing machine's byte order.
  static constexpr uint32_t kLightWordTagsOffset = 776;
  static constexpr uint32_t kRecordSize = 784;
  static constexpr uint32_t kClassPartOffset = 784;

  explicit C3dLight(const SObjectKey& key);

  vector3<float> GetColour() const { return fColour; }
  void SetColour(const vector3<float>& colour) { fColour = colour; }
  double GetIntensity() const { return fIntensity; }
  void SetIntensity(double intensity) { fIntensity = intensity; }
  // The second light value, which soft shadows read as the light's radius.
  virtual double GetRadius() const { return fRadius; }
  void SetRadius(double radius) { fRadius = radius; }
  // A second material that the commands converting one kind of light into another carry over;
  // lighting does not use it.
  Handle32 GetLightWord() const { return fLightWord; }
  void SetLightWord(Handle32 material) { fLightWord = material; }

  // The colour and intensity the light sends to a world point. Outside its lit region the intensity
  // is 0 and the colour is left as it was.
  virtual void Illuminate(const vector3<double>& point, vector3<float>& colour, double& intensity) = 0;
  virtual bool HasNoFalloff() const { return GetStateFlags() & kNoFalloff; }
  virtual bool CastsNoShadow() const { return GetStateFlags() & kCastsNoShadow; }

  int32_t Prepare() override { return 0; }
  bool IsRayInside(const CRay&) override { return false; }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return GetStateFlags() & kUnboundedBeam; }
  bool HasEditor() const override { return true; }
  // Colour, intensity, second value, the light word and its stored tag and id, then the placed
  // object's part.
  int32_t CopyTo(C3dObject& target) override;

  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;

 protected:
  // Intersect's entry tests with the light's own two: a ray that skips lights never hits one, and a
  // render ray hits only a visible light.
  bool PassesLightEntryTests(CRay& ray, bool& answer);
  // Whether the ray follows an unbounded beam below the shape (picking rays see the shape itself).
  bool FollowsBeam(const CRay& ray) const { return (GetStateFlags() & kUnboundedBeam) && ray.fFilterRay != 1; }

 private:
  vector3<float> fColour;
  double fIntensity = 0;
  double fRadius = 0;
  Handle32 fLightWord = kNoHandle;
};

// Where a textured light material is evaluated for a lit point: the point where the beam line through
// it meets the class's projection plane and the normal there (object space), and the beam's texture
// coordinates.
struct SLightSlide {
  vector3<double> point;
  vector3<double> normal;
  double u = 0;
  double v = 0;
};

// The lights with a shape: one fixed wireframe per class whatever the detail, a second value of 1 at
// creation, and Illuminate from the class's lit region, fall-off and slide.
class C3dShapedLight : public C3dLight {
 public:
  using C3dLight::C3dLight;

  void InitDefaults() override;
  void Illuminate(const vector3<double>& point, vector3<float>& colour, double& intensity) override;
  bool DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool reduced) override;

  // An edge fall-off factor raised to an exponent: exactly 0 leaves the intensity as it is, exactly 1
  // takes the factor as it is. Otherwise the beam's edge (factor 0) gives 0, a negative exponent too.
  static double EdgeFalloff(double factor, double exponent);

 protected:
  // Whether a point in object space lies in the lit region, with the fall-off factor there.
  virtual bool Reach(const vector3<double>& local, double& falloff) const = 0;
  virtual SLightSlide SlideAt(const vector3<double>& local) const = 0;
  virtual C3dClassMesh* ClassMesh() const = 0;

  // The steps of every light class's mesh hooks; the detail values do not change a light's mesh.
  static int32_t InitLightMesh(C3dClassMesh*& mesh);
  static int32_t FreeLightMesh(C3dClassMesh*& mesh);
  // The stroke from the origin down the beam's axis to (0, y, 0), which ends the beam lights' meshes,
  // and the world box grown to take in its far end.
  static bool AddAxisStroke(C3dClassMesh* mesh, double y);
  C3dBox WithAxisStroke(C3dBox box, double y);

 private:
  // With a material whose colour is textured, the colour becomes the material's at the slide.
  void PaintThroughMaterial(const vector3<double>& local, vector3<float>& colour);
};

// The spotlight and the circular parallel light: one edge exponent, a double.
class C3dRoundBeamLight : public C3dShapedLight {
 public:
  static constexpr uint32_t kRecordSize = 792;

  explicit C3dRoundBeamLight(const SObjectKey& key);

  double GetExponent() const { return fExponent; }
  void SetExponent(double exponent) { fExponent = exponent; }

  int32_t CopyTo(C3dObject& target) override;
  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;

 private:
  double fExponent = 0;
};

// The parallel light and the square spotlight: edge exponents across x and across z, floats.
class C3dSquareBeamLight : public C3dShapedLight {
 public:
  static constexpr uint32_t kRecordSize = 792;

  explicit C3dSquareBeamLight(const SObjectKey& key);

  float GetExponentX() const { return fExponents[0]; }
  float GetExponentZ() const { return fExponents[1]; }
  void SetExponents(float x, float z) {
    fExponents[0] = x;
    fExponents[1] = z;
  }

  int32_t CopyTo(C3dObject& target) override;
  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;

 protected:
  // The fall-off of factors a across x and b across z: both exponents exactly 0 leave the intensity,
  // both exactly 1 take a·b.
  double SquareFalloff(double a, double b) const;

 private:
  float fExponents[2] = {};
};

// What a light the user makes starts with, from its create item or converted from another object.
// White, intensity 5, radius 1.
void SetNewLightShine(C3dLight& light);
// The leading value of the class part to 0: a beam light's exponents; the radial light has none.
void ClearLightClassValue(C3dLight& light);
// State bits 0x100 and 0x1000 and family 3, the lights' family.
void SetNewLightRoles(C3dLight& light);
// Its material glass-like and half transparent.
void SetNewLightMaterial(SMaterialSample& sample);

// What every shaped light class T over its base has in the same form: its two factories, its one
// class mesh with the hooks that make it, its type name, facet count and duplicate.
template <typename T, typename Base>
class C3dLightClass : public Base {
 public:
  using Base::Base;

  // The light form, without a material, and the form that gives the light a copy of a material.
  static int32_t New(T** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
    return NewObject(out, table, key, spec);
  }
  static int32_t NewWithMaterial(T** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec,
                                 Handle32 templateMaterial) {
    return NewShape(out, table, key, spec, templateMaterial);
  }

  static int32_t InitClassMesh() { return C3dShapedLight::InitLightMesh(sMesh); }
  static int32_t FreeClassMesh() { return C3dShapedLight::FreeLightMesh(sMesh); }
  static int32_t BuildClassMesh(uint32_t detail0, uint32_t, uint32_t) { return T::MakeClassMesh(sMesh, detail0); }
  static C3dClassMesh* GetClassMesh() { return sMesh; }

  const char* TypeName() const override { return T::kTypeName; }
  uint32_t FacetCount() override { return T::kFacets; }
  C3dObject* Duplicate(C3dBaseSys* table) override { return DuplicateShape(static_cast<T&>(*this), table); }

 protected:
  C3dClassMesh* ClassMesh() const override { return sMesh; }

 private:
  static inline C3dClassMesh* sMesh = nullptr;
};
