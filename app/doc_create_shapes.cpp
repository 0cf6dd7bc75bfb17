// The create operations of the shapes: each new shape through its class's factory with a copy of the
// window's default material, sized, turned, placed (at its own spot, or in front of the camera when
// the preferences ask for it), given its family and selected alone. Water planes, cloud planes and
// stones take a material picked from a preset library unless Ctrl is held.
#include <cmath>
#include <memory>
#include <string>

#include "app/doc_window.h"
#include "document/prefs_file.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/char_set.h"
#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/ix_text.h"
#include "framework/core/random.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "presets/preset_file.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cube.h"
#include "scene/cylinder.h"
#include "scene/factory.h"
#include "scene/height_field.h"
#include "scene/object_family.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/sphere.h"
#include "scene/square.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/material.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"

namespace {

// A quarter turn and the distance in front of the camera, with the digits the program always used.
constexpr double kQuarterTurn = 1.570796326795;
constexpr double kInViewDistance = 11.31370849898;
constexpr uint32_t kPlaceInViewOffset = 4;

// Planes rise by less than this, at random, so that two of them never lie in one plane.
constexpr double kPlaneJitter = 0.001;

// Entries of list 101.
constexpr uint32_t kStoneLibrary = 2;
constexpr uint32_t kWaterLibrary = 3;
constexpr uint32_t kCloudLibrary = 4;

constexpr int32_t kDefaultFamily = 0;
constexpr int32_t kWaterFamily = 2;
constexpr int32_t kCloudFamily = 8;
constexpr int32_t kStoneFamily = 20;

constexpr double kTorusTube = 1.0;
constexpr double kTorusRing = 3.0;
constexpr double kLatticeLowerClip = 0.03;

// How a shape item sizes, turns and places its object.
struct SShapeItem {
  vector3<double> size;
  vector3<double> rotation;
  double y = 0;           // the default position is (0, y, 0)
  double placedY = 0;     // added to y when the position is taken from the camera
  bool jitter = false;    // planes
  int32_t family = kDefaultFamily;
};

constexpr vector3<double> kNoTurn{0, 0, 0};
constexpr vector3<double> kTippedX{-kQuarterTurn, 0, 0};

CSpoolSys* ObjectsEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetObjectsEnv() : nullptr;
}

bool IsControlHeld() {
  CAppl* app = GetApplication();
  return app && app->IsControlDown();
}

Handle32 HandleOf(const C3dMaterial* material) { return material ? material->GetHandle() : kNoHandle; }

// The next draw of the program's generator in [0, 1), in single precision; a draw that rounds up to
// 1 is kept just below it.
double NextUnitFloat() {
  float u = float(NextRandom(GetRandomState())) * RandomScale;
  if (u >= 1.0f) u = std::nextafter(1.0f, 0.0f);
  return u;
}

// A new shape of class T through the shape form of its factory.
template <typename T>
int32_t MakeShape(CDocWindow& window, T** out) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(ObjectsEnvironment(), key, spec);
  return NewShape(out, window.GetSceneTable(), key, spec, HandleOf(window.GetDefaultMaterial()));
}

// A new material in the scene table, untouched.
int32_t MakeMaterial(CDocWindow& window, C3dMaterial** out) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(ObjectsEnvironment(), key, spec);
  return C3dMaterial::New(out, window.GetSceneTable(), key, spec);
}

// Takes a material out of the scene table again and frees it.
void DropMaterial(CDocWindow& window, C3dMaterial* material) {
  if (!material) return;
  if (window.GetSceneTable()->RemoveObject(material, true, false) != kNoErr) delete material;
}

// Size, rotation, position (placed, adjusted and jittered) and family of a locked object.
void ApplyItem(CDocWindow& window, C3dObject& object, const SShapeItem& item) {
  object.SetScaledSize(item.size);
  object.SetTransformVector2(item.rotation);
  vector3<double> position{0, item.y, 0};
  if (window.PlaceNewObject(&position) == 0) position.y += item.placedY;
  if (item.jitter) position.y += NextUnitFloat() * kPlaneJitter;
  object.SetTransformVector3(position);
  SetObjectFamily(object, item.family);
}

// The common steps of a shape item of class T: made, locked, set up and selected.
template <typename T>
int32_t CreateSimpleShape(CDocWindow& window, const SShapeItem& item) {
  CBusyCursor busy;
  T* object = nullptr;
  if (const int32_t err = MakeShape(window, &object)) return err;
  CHolder lock(object, true, false);
  if (!lock.IsLocked()) return NonZeroError(object->GetError());
  ApplyItem(window, *object, item);
  return window.SelectNewObject(object);
}

}  // namespace

// ---- placement and preset materials

int32_t CDocWindow::PlaceNewObject(vector3<double>* position) {
  const CPrefsFile prefs;
  if (!prefs.IsRead() || prefs.GetWord(kPlaceInViewOffset) == 0 || !fCurrentCamera) return 1;
  CHolder lock(fCurrentCamera, false, false);
  if (!lock.IsLocked()) return 1;
  const vector3<double>& direction = fCurrentCamera->GetView().direction;
  *position = fCurrentCamera->GetTransformVector3() + direction * kInViewDistance;
  return 0;
}

int32_t CDocWindow::ApplyRandomPresetMaterial(uint32_t entry, C3dMaterial* target) {
  if (!target) return kErrInvalidParameter;
  if (!fPresetLibraries) return kErrOutOfMemory;
  CIxTxHolder held(fPresetLibraries.get(), true);
  if (!held.IsHeld()) return kErrOutOfMemory;
  if (fPresetLibraries->GetResult() != kNoErr || entry >= fPresetLibraries->Count()) return kErrObjectNotFound;
  const std::string name = MacRomanToAnsi(fPresetFolder + fPresetLibraries->TextAt(entry));
  CAppl* app = GetApplication();
  if (!app) return kErrUnexpectedStatus;
  CFileSpec spec;
  if (const int32_t err = app->SetModuleDirectory(name.c_str(), &spec)) return err;
  std::unique_ptr<CResourceEnv> library(new CResourceEnv(spec, CFile::kModeRead));
  if (!library) return kErrOutOfMemory;
  if (!library->IsOpen()) return NonZeroError(library->GetLastResult());
  CResTypeTable* table = nullptr;
  if (!library->FindType(C3dMaterial::kTypeName, &table, nullptr) || !table) return kErrObjectNotFound;
  CHolder rows(table, false, false);
  if (!rows.IsLocked()) return NonZeroError(table->GetError());
  const uint32_t count = table->GetCount();
  if (count == 0) return kErrObjectNotFound;
  // n − 1, not n: the last of two or more records is never picked.
  const double u = NextRandom(GetRandomState()) * double(RandomScale);
  const auto index = uint32_t(u * double(count - 1));
  uint32_t id = 0;
  return LoadMaterialPreset(library.get(), table, index, target, fScene.get(), &id);
}

// ---- the items

namespace {

// A water or cloud plane: unless Ctrl is held, a material of the library replaces the factory's.
int32_t CreateLibraryPlane(CDocWindow& window, const SShapeItem& item, uint32_t library) {
  CBusyCursor busy;
  C3dPlane* plane = nullptr;
  if (const int32_t err = MakeShape(window, &plane)) return err;
  CHolder lock(plane, true, false);
  if (!lock.IsLocked()) return NonZeroError(plane->GetError());
  if (!IsControlHeld()) {
    C3dMaterial* material = nullptr;
    if (const int32_t err = MakeMaterial(window, &material)) return err;
    if (window.ApplyRandomPresetMaterial(library, material) != kNoErr) {
      DropMaterial(window, material);
    } else if (material->IsReady()) {
      // The factory's copy would stay in the scene with nothing using it.
      auto* replaced = LookupHandleAs<C3dMaterial>(plane->GetMaterial(), C3dMaterial::kFamily);
      plane->SetMaterial(material->GetHandle());
      DropMaterial(window, replaced);
    }
  }
  ApplyItem(window, *plane, item);
  return window.SelectNewObject(plane);
}

// A terrain or a symmetric lattice: a new random height field.
int32_t CreateHeightField(CDocWindow& window, bool symmetric) {
  CBusyCursor busy;
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dHeightField>(ObjectsEnvironment(), key, spec);
  C3dHeightField* field = nullptr;
  if (const int32_t err =
          C3dHeightField::New(&field, window.GetSceneTable(), key, spec, HandleOf(window.GetDefaultMaterial())))
    return err;
  int32_t result = kNoErr;
  {
    CHolder lock(field, true, false);
    if (!lock.IsLocked()) {
      result = NonZeroError(field->GetError());
    } else {
      field->SetSymmetric(symmetric);
      result = field->Rebuild();
      if (!result && symmetric) field->SetClip(kLatticeLowerClip, field->GetUpperClip());
      if (!result) {
        const SShapeItem item{symmetric ? vector3<double>{2, 2, 2} : vector3<double>{8, 2, 8}, kNoTurn, 1.0};
        ApplyItem(window, *field, item);
        return window.SelectNewObject(field);
      }
    }
  }
  DeleteShape(field);
  return result;
}

// The stone's own material, a copy of the default material; none when it cannot be made whole.
C3dMaterial* PlainStoneMaterial(CDocWindow& window) {
  C3dMaterial* material = nullptr;
  if (MakeMaterial(window, &material)) return nullptr;
  C3dMaterial* source = window.GetDefaultMaterial();
  int32_t result = source ? material->CopyFrom(*source) : kNoErr;
  if (!result) result = material->AddTextureRefs();
  if (result) {
    material->ReleaseTextureRefs(true);
    DropMaterial(window, material);
    return nullptr;
  }
  return material;
}

}  // namespace

int32_t CDocWindow::CreateWaterPlane() {
  return CreateLibraryPlane(*this, {{8, 0, 8}, kNoTurn, 1.0, -1.0, true, kWaterFamily}, kWaterLibrary);
}

int32_t CDocWindow::CreateCloudPlane() {
  return CreateLibraryPlane(*this, {{8, 0, 8}, kNoTurn, 4.0, 1.0, true, kCloudFamily}, kCloudLibrary);
}

int32_t CDocWindow::CreateGroundPlane() {
  return CreateSimpleShape<C3dPlane>(*this, {{16, 0, 16}, kNoTurn, 0.0009765625, -1.5, true});
}

int32_t CDocWindow::CreateTerrain() { return CreateHeightField(*this, false); }

int32_t CDocWindow::CreateSymLattice() { return CreateHeightField(*this, true); }

int32_t CDocWindow::CreateStone() {
  CBusyCursor busy;
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dTriangleMesh>(ObjectsEnvironment(), key, spec);
  C3dTriangleMesh* stone = nullptr;
  if (const int32_t err = C3dTriangleMesh::New(&stone, fScene.get(), key, spec)) return err;
  CHolder lock(stone, true, false);
  if (!lock.IsLocked()) return NonZeroError(stone->GetError());
  if (stone->Optimize() != kNoErr) {
    lock.Release();
    delete stone;
    return kErrOutOfMemory;
  }
  if (!IsControlHeld()) {
    C3dMaterial* material = nullptr;
    if (const int32_t err = MakeMaterial(*this, &material)) return err;
    if (ApplyRandomPresetMaterial(kStoneLibrary, material) != kNoErr) DropMaterial(*this, material);
    else if (material->IsReady()) stone->SetFaceAttribute(material->GetHandle());
  } else if (C3dMaterial* material = PlainStoneMaterial(*this)) {
    stone->SetFaceAttribute(material->GetHandle());
  }
  const C3dBox box = stone->LocalBox();
  SShapeItem item;
  item.size = (box.fMax - box.fMin) * 2.0;
  item.rotation = kNoTurn;
  item.y = -2.0 * box.fMin.y;
  item.family = kStoneFamily;
  ApplyItem(*this, *stone, item);
  stone->SetStateFlags(C3dTriangleMesh::kStoneStateFlag);
  return SelectNewObject(stone);
}

int32_t CDocWindow::CreateSphere() { return CreateSimpleShape<C3dSphere>(*this, {{2, 2, 2}, kNoTurn, 1.0}); }

int32_t CDocWindow::CreateEllipsoid() { return CreateSimpleShape<C3dSphere>(*this, {{2, 4, 2}, kNoTurn, 2.0}); }

int32_t CDocWindow::CreateSquashedSphere() {
  return CreateSimpleShape<C3dSphere>(*this, {{2, 2, 1}, kTippedX, 0.5});
}

int32_t CDocWindow::CreateTorus() {
  CBusyCursor busy;
  C3dTorus* torus = nullptr;
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dTorus>(ObjectsEnvironment(), key, spec);
  if (const int32_t err = C3dTorus::NewWithMaterial(&torus, fScene.get(), key, spec, DefaultMaterialHandle()))
    return err;
  CHolder lock(torus, true, false);
  if (!lock.IsLocked()) return NonZeroError(torus->GetError());
  torus->SetMinorRadius(kTorusTube);
  torus->UpdateBounds();
  torus->SetMajorRadius(kTorusRing);
  torus->UpdateBounds();
  ApplyItem(*this, *torus, {{2, 0.5, 2}, kTippedX, 1.0});
  return SelectNewObject(torus);
}

int32_t CDocWindow::CreateTuboid() {
  return CreateSimpleShape<C3dCylinder>(*this, {{0.5, 4, 0.5}, {0, 0, kQuarterTurn}, 0.25});
}

int32_t CDocWindow::CreateCylinder() { return CreateSimpleShape<C3dCylinder>(*this, {{2, 2, 2}, kNoTurn, 1.0}); }

int32_t CDocWindow::CreateSquashedCylinder() {
  return CreateSimpleShape<C3dCylinder>(*this, {{2, 0.5, 2}, kNoTurn, 0.25});
}

int32_t CDocWindow::CreateStretchedCylinder() {
  return CreateSimpleShape<C3dCylinder>(*this, {{2, 4, 1}, kNoTurn, 2.0});
}

int32_t CDocWindow::CreateCube() { return CreateSimpleShape<C3dCube>(*this, {{2, 2, 2}, kNoTurn, 1.0}); }

int32_t CDocWindow::CreateBrickoid() { return CreateSimpleShape<C3dCube>(*this, {{0.5, 0.5, 2}, kNoTurn, 0.25}); }

int32_t CDocWindow::CreateStretchedCube() { return CreateSimpleShape<C3dCube>(*this, {{1, 4, 2}, kNoTurn, 2.0}); }

int32_t CDocWindow::CreatePyramid() { return CreateSimpleShape<C3dPyramid>(*this, {{2, 2, 2}, kNoTurn, 1.0}); }

int32_t CDocWindow::CreateSquashedPyramid() {
  return CreateSimpleShape<C3dPyramid>(*this, {{2, 0.5, 2}, kNoTurn, 0.25});
}

int32_t CDocWindow::CreateStretchedPyramid() {
  return CreateSimpleShape<C3dPyramid>(*this, {{1, 4, 2}, kNoTurn, 2.0});
}

int32_t CDocWindow::CreateCone() { return CreateSimpleShape<C3dCone>(*this, {{2, 2, 2}, kNoTurn, 1.0}); }

int32_t CDocWindow::CreateStretchedCone() { return CreateSimpleShape<C3dCone>(*this, {{1, 4, 2}, kNoTurn, 2.0}); }

int32_t CDocWindow::CreateSquashedCone() { return CreateSimpleShape<C3dCone>(*this, {{1, 4, 1}, kTippedX, 0.5}); }

int32_t CDocWindow::CreateHorizontalDisk() {
  return CreateSimpleShape<C3dCircle>(*this, {{2, 0, 2}, kNoTurn, 0.25, -1.0});
}

int32_t CDocWindow::CreateVerticalDisk() { return CreateSimpleShape<C3dCircle>(*this, {{2, 0, 2}, kTippedX, 1.0}); }

int32_t CDocWindow::CreateHorizontalFace() {
  return CreateSimpleShape<C3dSquare>(*this, {{2, 0, 2}, kNoTurn, 0.25, -1.0});
}

// After the quarter turn the face's third axis is the upright one: the shorter side is always 2.
int32_t CDocWindow::CreateVerticalFace(double aspect) {
  if (!(aspect > 0) || !std::isfinite(aspect)) return kErrInvalidParameter;
  const vector3<double> size = aspect < 1.0 ? vector3<double>{2, 0, 2 / aspect} : vector3<double>{2 * aspect, 0, 2};
  return CreateSimpleShape<C3dSquare>(*this, {size, kTippedX, 1.0});
}
