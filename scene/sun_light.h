// The scene's sun: a parallel light without a body or wireframe, whose direction, colour and
// brightness for a render are the values the sky prepares from it. The sky takes the first sun of
// the object table; a second one is ignored.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/light.h"

class C3dSunLight : public C3dLight {
 public:
  static constexpr uint32_t kClassTag = FourCC("sunl");
  static constexpr const char* kTypeName = "C3dSunLight";
  // The sun part behind the light record.
  static constexpr uint32_t kSunColourOffset = 784;
  static constexpr uint32_t kSecondSunColourOffset = 796;
  static constexpr uint32_t kDirectionOffset = 808;
  static constexpr uint32_t kRecordSize = 832;

  explicit C3dSunLight(const SObjectKey& key);

  static int32_t New(C3dSunLight** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec);

  // The disc colour, the glow colour and the unit direction towards the sun.
  vector3<float> GetSunColour() const { return fSunColour; }
  void SetSunColour(const vector3<float>& colour) { fSunColour = colour; }
  vector3<float> GetSecondSunColour() const { return fSecondSunColour; }
  void SetSecondSunColour(const vector3<float>& colour) { fSecondSunColour = colour; }
  vector3<double> GetDirection() const { return fDirection; }
  void SetDirection(const vector3<double>& direction) { fDirection = direction; }

  // What the renderer lights with, written by the sky when it prepares a render.
  void SetRenderValues(const vector3<double>& direction, const vector3<float>& colour, double brightness);
  vector3<double> GetRenderDirection() const { return fRenderDirection; }
  vector3<float> GetRenderColour() const { return fRenderColour; }
  double GetRenderBrightness() const { return fRenderBrightness; }

  // Takes over the other sun's light and sun settings, placement and render values; the lock's code
  // when either sun cannot be locked.
  int32_t CopyFrom(C3dSunLight& other);

  const char* TypeName() const override { return kTypeName; }
  void InitDefaults() override;
  // The render colour and brightness, wherever the point.
  void Illuminate(const vector3<double>& point, vector3<float>& colour, double& intensity) override;
  // A sun lights without distance fall-off, whatever the state flags say, and is a point for soft
  // shadows.
  bool HasNoFalloff() const override { return true; }
  bool CastsNoShadow() const override { return false; }
  double GetRadius() const override { return 0; }

  bool Intersect(CRay&) override { return false; }
  bool IntersectSpans(CRay&, bool, CSpanList&) override { return false; }
  bool IsRayInside(const CRay&) override { return false; }
  bool IsSolid() const override { return false; }
  bool IsClosed() const override { return false; }
  bool IsClosedSolid() const override { return false; }
  bool IsUnbounded() const override { return false; }
  uint32_t FacetCount() override { return 0; }
  C3dBox LocalBox() override;
  C3dBox WorldBox() override;

  bool SaveState() override;
  void RestoreState() override;
  bool SwapRecord(uint8_t* record, uint32_t size) override;

 private:
  vector3<float> fSunColour;
  vector3<float> fSecondSunColour;
  vector3<double> fDirection;
  vector3<double> fRenderDirection;
  vector3<float> fRenderColour;
  double fRenderBrightness = 0;
};
