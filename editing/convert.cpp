#include "editing/convert.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "editing/action_steps.h"
#include "editing/convert_action.h"
#include "editing/document.h"
#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/busy_cursor.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cone_light.h"
#include "scene/cube.h"
#include "scene/cube_light.h"
#include "scene/cylinder.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/height_field.h"
#include "scene/light.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/pyramid_light.h"
#include "scene/sphere.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/surface/material.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"

namespace {

constexpr double kTorusTube = 1.0;
constexpr double kTorusRing = 3.0;
// The torus's height as a share of the smaller of its width and depth.
constexpr double kTorusHeightShare = 0.25;

// "objinfochanged": the scene's objects changed, the preview's optimizer is rebuilt.
constexpr uint32_t kSceneObjectsChanged = 4;

ConversionFactoryProbe gProbe = nullptr;

// What the converters share while one conversion runs.
struct SConversion {
  C3dDocument* document = nullptr;
  C3dBaseSys* scene = nullptr;
  // New shapes wait here, out of the window's object list, until the walk is over.
  C3dBaseSys* scratch = nullptr;
  // Null when the conversion cannot be undone.
  CConvertAction* action = nullptr;
  CSpoolSys* environment = nullptr;
};

enum class EExtent { kCopied, kZeroFill, kTorus };

struct STarget;
using MakeFunction = int32_t (*)(const SConversion&, C3dObject* old, C3dBaseSys* table, C3dObject** out);
// On the new object, locked, before the old one is locked: 0 or the failure's code.
using ShapeFunction = int32_t (*)(const STarget&, C3dObject* made);
// On the new light, both locked.
using LightFunction = void (*)(C3dObject* old, C3dObject* made);

struct STarget {
  const char* name;
  uint32_t family;
  uint32_t classTag;
  // The test for an object already of the kind compares the family too.
  bool matchFamily;
  // Height fields: the symmetric flag of the kind; -1 for every other kind.
  int8_t symmetric;
  EExtent extent;
  MakeFunction make;
  ShapeFunction shape;
  LightFunction light;
  // The factory gives the new object its copy of the old material itself.
  bool factoryCopiesMaterial;
};

// ---- factories

template <typename T>
int32_t MakeWithoutMaterial(const SConversion& conversion, C3dObject*, C3dBaseSys* table, C3dObject** out) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(conversion.environment, key, spec);
  T* made = nullptr;
  const int32_t result = NewObject(&made, table, key, spec);
  *out = made;
  return result;
}

int32_t MakeTorus(const SConversion& conversion, C3dObject* old, C3dBaseSys* table, C3dObject** out) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dTorus>(conversion.environment, key, spec);
  C3dTorus* made = nullptr;
  const int32_t result = C3dTorus::NewWithMaterial(&made, table, key, spec, old->GetMaterial());
  *out = made;
  return result;
}

// ---- class steps

int32_t NewTerrain(const STarget& target, C3dObject* made) {
  auto* field = static_cast<C3dHeightField*>(made);
  field->SetSymmetric(target.symmetric == 1);
  return field->Rebuild();
}

int32_t NewStone(const STarget&, C3dObject* made) {
  return static_cast<C3dTriangleMesh*>(made)->Optimize() ? kErrOutOfMemory : kNoErr;
}

int32_t SetTorusRadii(const STarget&, C3dObject* made) {
  auto* torus = static_cast<C3dTorus*>(made);
  torus->SetMinorRadius(kTorusTube);
  torus->UpdateBounds();
  torus->SetMajorRadius(kTorusRing);
  torus->UpdateBounds();
  return kNoErr;
}

// ---- light steps

// A light made from a shape shines as the light's create item makes one.
void SetUpLight(C3dObject* old, C3dObject* made) {
  auto* light = static_cast<C3dLight*>(made);
  if (old->IsLight()) {
    const auto* source = static_cast<const C3dLight*>(old);
    light->SetColour(source->GetColour());
    light->SetIntensity(source->GetIntensity());
    light->SetRadius(source->C3dLight::GetRadius());
    light->SetLightWord(source->GetLightWord());
  } else {
    SetNewLightShine(*light);
  }
  ClearLightClassValue(*light);
}

// ---- the targets

constexpr uint32_t kObjects = C3dBaseSys::kObjectFamily;
constexpr uint32_t kLights = C3dLight::kFamily;

template <typename T>
constexpr STarget Shape(const char* name, bool matchFamily, EExtent extent) {
  return {name, kObjects, T::kClassTag, matchFamily, -1, extent, MakeWithoutMaterial<T>, nullptr, nullptr, false};
}

template <typename T>
constexpr STarget Light(const char* name) {
  return {name, kLights, T::kClassTag, true, -1, EExtent::kZeroFill, MakeWithoutMaterial<T>, nullptr, SetUpLight, false};
}

const STarget kTargets[kConversionTargetCount] = {
    Shape<C3dPlane>(kConversionTargets[0], false, EExtent::kCopied),
    {kConversionTargets[1], kObjects, C3dHeightField::kClassTag, false, 0, EExtent::kZeroFill,
     MakeWithoutMaterial<C3dHeightField>, NewTerrain, nullptr, false},
    {kConversionTargets[2], kObjects, C3dTriangleMesh::kClassTag, false, -1, EExtent::kZeroFill,
     MakeWithoutMaterial<C3dTriangleMesh>, NewStone, nullptr, false},
    {kConversionTargets[3], kObjects, C3dHeightField::kClassTag, false, 1, EExtent::kZeroFill,
     MakeWithoutMaterial<C3dHeightField>, NewTerrain, nullptr, false},
    Shape<C3dSphere>(kConversionTargets[4], true, EExtent::kZeroFill),
    {kConversionTargets[5], kObjects, C3dTorus::kClassTag, false, -1, EExtent::kTorus, MakeTorus, SetTorusRadii,
     nullptr, true},
    Shape<C3dCylinder>(kConversionTargets[6], true, EExtent::kZeroFill),
    Shape<C3dCube>(kConversionTargets[7], true, EExtent::kZeroFill),
    Shape<C3dPyramid>(kConversionTargets[8], true, EExtent::kZeroFill),
    Shape<C3dCone>(kConversionTargets[9], true, EExtent::kZeroFill),
    Shape<C3dCircle>(kConversionTargets[10], false, EExtent::kCopied),
    Shape<C3dSquare>(kConversionTargets[11], false, EExtent::kCopied),
    Light<C3dSphereLight>(kConversionTargets[12]),
    Light<C3dConeLight>(kConversionTargets[13]),
    Light<C3dPyramidLight>(kConversionTargets[14]),
    Light<C3dCubeLight>(kConversionTargets[15]),
};

const STarget* FindTarget(const char* name) {
  if (!name) return nullptr;
  for (const STarget& target : kTargets) {
    if (std::strcmp(target.name, name) == 0) return &target;
  }
  return nullptr;
}

// ---- the steps every converter shares

// Groups, cameras and objects of the target's kind stay. 0, or 9 when a height field cannot be read.
int32_t IsLeftAlone(const STarget& target, C3dObject* object, bool* alone) {
  *alone = true;
  if (object->GetClass() == C3dGroup::kClassTag || object->GetFamily() == C3dCamera::kFamily) return kNoErr;
  *alone = object->GetClass() == target.classTag && (!target.matchFamily || object->GetFamily() == target.family);
  if (!*alone || target.symmetric < 0) return kNoErr;
  CHolder lock(object, false, false);
  if (!lock.IsLocked()) return kErrOutOfMemory;
  *alone = static_cast<C3dHeightField*>(object)->IsSymmetric() == (target.symmetric == 1);
  return kNoErr;
}

// A component without extent takes the smaller of the other two, x first, each later one seeing the
// values filled before it, so that a flat square becomes a cube.
vector3<double> FillZeroExtent(const vector3<double>& extent) {
  double e[3] = {extent.x, extent.y, extent.z};
  for (int axis = 0; axis < 3; ++axis) {
    if (e[axis] == 0.0) e[axis] = std::min(e[(axis + 1) % 3], e[(axis + 2) % 3]);
  }
  return {e[0], e[1], e[2]};
}

vector3<double> NewExtent(EExtent rule, const vector3<double>& extent) {
  switch (rule) {
    case EExtent::kCopied: return extent;
    case EExtent::kZeroFill: return FillZeroExtent(extent);
    case EExtent::kTorus: return {extent.x, kTorusHeightShare * std::min(extent.x, extent.z), extent.z};
  }
  return extent;
}

C3dMaterial* MaterialOf(const C3dObject* object) {
  return LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
}

// Takes a new object that did not make it into the scene back out, with the material made for it.
void Destroy(C3dObject* made) {
  if (C3dMaterial* material = MaterialOf(made)) {
    C3dBaseSys* table = material->GetOwningTable();
    if (!table || table->RemoveObject(material, true, false) != kNoErr) delete material;
  }
  delete made;
}

// A light's material is glass-like and half transparent, every other object's neither.
int32_t SetUpMaterial(C3dObject* made, bool light) {
  C3dMaterial* material = MaterialOf(made);
  if (!material) return kNoErr;
  CHolder lock(material, true, false);
  if (!lock.IsLocked()) return NonZeroError(material->GetError());
  SMaterialSample& sample = material->GetRecord().sample;
  if (light) {
    SetNewLightMaterial(sample);
  } else {
    sample.flags &= ~SMaterialSample::kGlassLike;
    sample.transparency = 0.0;
  }
  return kNoErr;
}

// What the new object takes over from the old one, both locked: its own copy of the old material,
// transform, flags, family and extent. 0 or the material's failure.
int32_t TakeOver(const SConversion& conversion, const STarget& target, C3dObject* old, C3dObject* made) {
  if (!target.factoryCopiesMaterial) {
    // The mesh writes the material into every face.
    if (const int32_t error = GiveNewMaterial(made, made->GetOwningTable(), conversion.environment, old->GetMaterial()))
      return error;
  }
  const bool light = target.family == C3dLight::kFamily;
  if (light) target.light(old, made);
  if (const int32_t error = SetUpMaterial(made, light)) return error;
  made->GetPlacement() = old->GetPlacement();
  made->GetPlacement().fDirty = 1;
  made->SetFlags(~0u, false);
  made->SetFlags(old->GetFlags() & ~C3dObject::kSelected);
  made->SetStateFlags(~0u, false);
  made->SetStateFlags(old->GetStateFlags());
  if (light) {
    SetNewLightRoles(*static_cast<C3dLight*>(made));
  } else {
    made->SetCreationWord(0, old->GetCreationWord(0));
    made->SetCreationWord(1, old->GetCreationWord(1));
    if (target.classTag == C3dTriangleMesh::kClassTag) made->SetStateFlags(C3dTriangleMesh::kStoneStateFlag);
  }
  made->SetScaledSize(NewExtent(target.extent, old->GetScaledSize()));
  return kNoErr;
}

// Whether the hand-over of the old object into the delete part took place: without a part the
// object is deleted at once.
bool HandedOver(const CDeleteAction* deletePart, const C3dObject* old) {
  if (!deletePart) return true;
  const CDynTable<C3dObject*>& held = deletePart->GetObjects();
  return held.GetCount() && held[held.GetCount() - 1] == old;
}

// The new object takes the old one's place in its group, or in the selection, and the old one leaves
// the scene into the conversion's action (freed at once when there is none). The new object and the
// replacement are recorded before the old one is handed over; when the hand-over is refused, the old
// object is put back where it was, the new one taken out again and both records forgotten, so that
// the action stays in step with the scene. 0; 1 for an old object that is not ready or a new one the
// action cannot list; 9 when the group cannot be locked or take the new member, or the hand-over is
// refused.
int32_t ReplaceConvertedObject(const SConversion& conversion, C3dObject* old, C3dObject* made) {
  if (!old || !old->IsReady()) return kErrGeneric;
  C3dDocument* document = conversion.document;
  CConvertAction* action = conversion.action;
  CDeleteAction* deletePart = action ? action->GetDeletePart() : nullptr;
  CCreateAction* createPart = action ? action->GetCreatePart() : nullptr;
  C3dGroup* group = old->GetParent();
  if (group && !group->IsReady()) group = nullptr;
  const auto record = [&] {
    if (!action) return true;
    if (!createPart->AddObject(made)) return false;
    if (action->AddReplacement(old, made, group)) return true;
    createPart->ForgetLastObject();
    return false;
  };
  const auto forget = [&] {
    if (!action) return;
    createPart->ForgetLastObject();
    action->ForgetLastReplacement();
  };
  if (group) {
    CHolder lock(group, true, false);
    if (!lock.IsLocked()) return kErrOutOfMemory;
    if (group->AddChild(made)) return kErrOutOfMemory;
    if (!record()) {
      group->RemoveChild(made);
      return kErrGeneric;
    }
    // Out of the group first, so that the group counts a selected member's leaving once.
    group->RemoveChild(old);
    Unselect(document, old);
    // Without an action nothing would ever free the old member, so it is deleted. Its scene-parts
    // look-up relinks the groups.
    const int32_t result = document->DeleteObjectUndoable(deletePart, old);
    if (HandedOver(deletePart, old)) return kNoErr;
    group->AddChild(old);
    group->RemoveChild(made);
    forget();
    C3dGroup::RelinkGroups(conversion.scene);
    return result ? result : kErrOutOfMemory;
  }
  if (!record()) return kErrGeneric;
  CSelection& selection = document->GetSelection();
  // An object with its selected bit that the list does not hold leaves the scene all the same.
  const bool listed = selection.Contains(old);
  int32_t result = kNoErr;
  if (listed) selection.Remove(deletePart, old);
  else result = document->DeleteObjectUndoable(deletePart, old);
  if (!HandedOver(deletePart, old)) {
    if (listed) selection.Add(old, 0, 1);
    forget();
    // The selection's hand-over does not say why; a refused hand-over is a full table.
    return result ? result : kErrOutOfMemory;
  }
  if (!(made->GetFlags() & C3dObject::kNotDrawn)) selection.Add(made, 0, 1);
  return kNoErr;
}

// One object converted to the target, or left alone: 0 or the first failure's code. A failure never
// leaves a half-made object behind.
int32_t Convert(const SConversion& conversion, const STarget& target, C3dObject* old) {
  bool alone = true;
  if (const int32_t error = IsLeftAlone(target, old, &alone)) return error;
  if (alone) return kNoErr;
  const bool light = target.family == C3dLight::kFamily;
  C3dBaseSys* table = !light && conversion.scratch ? conversion.scratch : conversion.scene;
  if (gProbe) {
    if (const int32_t error = gProbe(target.family, target.classTag)) return error;
  }
  C3dObject* made = nullptr;
  if (const int32_t error = target.make(conversion, old, table, &made)) return error;
  int32_t result = kNoErr;
  {
    CHolder madeLock(made, true, false);
    if (!madeLock.IsLocked()) result = NonZeroError(made->GetError());
    if (!result && target.shape) result = target.shape(target, made);
    if (!result) {
      CHolder oldLock(old, false, false);
      result = oldLock.IsLocked() ? TakeOver(conversion, target, old, made) : NonZeroError(old->GetError());
    }
  }
  if (!result) result = ReplaceConvertedObject(conversion, old, made);
  if (result) Destroy(made);
  return result;
}

// Every object below the group, a member group's own members before the member group itself, the
// last member first. A member replaced goes and its replacement joins at the end, so the members not
// yet visited keep their places.
int32_t ApplyToObjectTree(const SConversion& conversion, const STarget& target, C3dGroup* group) {
  if (!group) return kNoErr;
  for (uint32_t i = group->GetMemberCount(); i-- > 0;) {
    if (i >= group->GetMemberCount()) continue;
    C3dObject* member = group->GetMember(i);
    if (member->GetClass() == C3dGroup::kClassTag) {
      if (const int32_t error = ApplyToObjectTree(conversion, target, static_cast<C3dGroup*>(member))) return error;
    }
    if (const int32_t error = Convert(conversion, target, member)) return error;
  }
  return kNoErr;
}

// The next selected object of the list at or below the index, searching towards the start; the
// index then stands below it. 0; 6 when none is left; 9 when the list cannot be locked.
int32_t NextSelectedFromEnd(C3dBaseSpoolTable* list, C3dObject** out, int32_t* index) {
  *out = nullptr;
  CHolder lock(list, false, false);
  if (!lock.IsLocked()) return kErrOutOfMemory;
  if (list->GetCount() == 0 || *index < 0) return kErrObjectNotFound;
  if (uint32_t(*index) >= list->GetCount()) *index = int32_t(list->GetCount()) - 1;
  for (int32_t i = *index; i >= 0; --i) {
    C3dBase* thing = list->At(uint32_t(i));
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (!object || !object->IsSelected()) continue;
    *out = object;
    *index = i - 1;
    return kNoErr;
  }
  return kErrObjectNotFound;
}

int32_t ConvertSelected(const SConversion& conversion, const STarget& target, C3dBaseSpoolTable* list) {
  int32_t index = INT32_MAX;
  C3dObject* object = nullptr;
  while (NextSelectedFromEnd(list, &object, &index) == kNoErr) {
    if (!object->IsReady()) continue;
    const int32_t result = object->GetClass() == C3dGroup::kClassTag
                               ? ApplyToObjectTree(conversion, target, static_cast<C3dGroup*>(object))
                               : Convert(conversion, target, object);
    if (result) return result;
  }
  return kNoErr;
}

bool HoldsAnything(CConvertAction* action) {
  return action && (action->GetCreatePart()->GetObjects().GetCount() || action->GetDeletePart()->GetObjects().GetCount());
}

}  // namespace

void SetConversionFactoryProbe(ConversionFactoryProbe probe) { gProbe = probe; }

int32_t ConvertSelection(C3dDocument* document, const char* targetName) {
  CDocumentHost* window = document ? document->GetWindow() : nullptr;
  C3dBaseSys* scene = window ? window->GetSceneTable() : nullptr;
  C3dBaseSpoolTable* list = window ? window->GetObjectList() : nullptr;
  if (!scene || !list) return kErrGeneric;
  {
    CHolder lock(list, false, false);
    if (!lock.IsLocked()) return kErrGeneric;
  }
  CBusyCursor busy;
  CAppl* application = GetApplication();
  SConversion conversion;
  conversion.document = document;
  conversion.scene = scene;
  conversion.environment = application ? application->GetObjectsEnv() : scene->GetEnvironment();
  std::unique_ptr<C3dBaseSys> scratch = NewHoldingTable(scene);
  conversion.scratch = scratch.get();
  std::unique_ptr<CConvertAction> action(new CConvertAction(scene));
  if (action && action->IsValid()) conversion.action = action.get();

  int32_t result = kNoErr;
  if (const STarget* target = FindTarget(targetName)) result = ConvertSelected(conversion, *target, list);
  // Whatever was converted before a failure stays converted, undoable and in the scene.
  if (HoldsAnything(conversion.action)) {
    const int32_t pushed = document->GetUndoHistory().Push(action.release());
    if (!result) result = pushed;
  }
  if (const int32_t moved = scratch ? scratch->MoveAllTo(scene, false) : kNoErr) {
    // What stayed behind is selected, grouped or held by the action: deleting it with the table
    // would leave those pointing at nothing.
    static_cast<void>(scratch.release());
    if (!result) result = moved;
  }
  const int32_t found = window->FindSceneParts(true);
  window->Invalidate(true);
  window->NotifyObjInfoChanged(kSceneObjectsChanged);
  if (!result) result = found;
  return result;
}
