#include "tools/scene_script.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <numbers>
#include <set>
#include <sstream>

#include "document/doc_settings.h"
#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "framework/core/result_codes.h"
#include "framework/image/image_io.h"
#include "platform/file.h"
#include "scene/camera.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cone_light.h"
#include "scene/cube.h"
#include "scene/cube_light.h"
#include "scene/cylinder.h"
#include "scene/cylinder_light.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/height_field.h"
#include "scene/light.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/pyramid_light.h"
#include "scene/sky.h"
#include "scene/sphere.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/texture.h"
#include "scene/torus.h"
#include "tools/command_line.h"
#include "tools/material_keywords.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr uint32_t kLargestSide = 8192;
constexpr uint32_t kDefaultWidth = 480;
constexpr uint32_t kDefaultHeight = 360;
constexpr uint32_t kRenderOptions = 0x3BF;
constexpr double kLeastSize = 0.01;
constexpr double kGreatestSize = 9999;
constexpr size_t kNameBytes = 127;
constexpr uint32_t kCameraFlag = 0x4000;
constexpr vector3<double> kDefaultEye{10, 3, -10};
constexpr vector3<double> kDefaultTarget{0, 3, 0};
constexpr double kDefaultFieldAngle = 60;
// A light made by the factories is black and of intensity 0; a described one lights as the create
// palette's new parallel light does.
constexpr vector3<double> kDefaultLightColour{1, 1, 1};
constexpr double kDefaultIntensity = 5;
// The terrain pictures a height field takes: square, a side of 16 to 1024 in steps of 16.
constexpr uint32_t kTerrainStep = 16;
constexpr uint32_t kLargestTerrain = 1024;
// The cloud texture: one three-dimensional component of noise kind 9, no blend, no octaves.
constexpr int32_t kCloudNoiseCode = 38;
constexpr uint32_t kCloudFlags = C3dSky::kClouds | C3dSky::kCloudLayerA | C3dSky::kCloudLayerB;

// ---- making things

template <typename T>
int32_t MakeThing(C3dBaseSys* table, CSpoolSys* environment, T** out) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<T>(environment, key, spec);
  if constexpr (std::is_base_of_v<C3dLight, T> && !std::is_same_v<T, C3dSunLight>) {
    return T::NewWithMaterial(out, table, key, spec, kNoHandle);
  } else if constexpr (std::is_base_of_v<C3dObject, T> && !std::is_same_v<T, C3dGroup> &&
                       !std::is_same_v<T, C3dCamera> && !std::is_same_v<T, C3dSunLight>) {
    return NewShape(out, table, key, spec, kNoHandle);
  } else {
    return NewObject(out, table, key, spec);
  }
}

template <typename T>
int32_t MakeAs(C3dBaseSys* table, CSpoolSys* environment, C3dObject** out) {
  T* made = nullptr;
  const int32_t result = MakeThing(table, environment, &made);
  *out = made;
  return result;
}

using ObjectMaker = int32_t (*)(C3dBaseSys*, CSpoolSys*, C3dObject**);

struct SKind {
  const char* word;
  ObjectMaker make;
};

constexpr SKind kShapes[] = {
    {"sphere", &MakeAs<C3dSphere>},     {"cube", &MakeAs<C3dCube>},         {"pyramid", &MakeAs<C3dPyramid>},
    {"cone", &MakeAs<C3dCone>},         {"cylinder", &MakeAs<C3dCylinder>}, {"torus", &MakeAs<C3dTorus>},
    {"disk", &MakeAs<C3dCircle>},       {"square", &MakeAs<C3dSquare>},     {"plane", &MakeAs<C3dPlane>},
    {"terrain", &MakeAs<C3dHeightField>},
};

constexpr SKind kLights[] = {
    {"radial", &MakeAs<C3dSphereLight>},        {"spot", &MakeAs<C3dConeLight>},
    {"parallel", &MakeAs<C3dCubeLight>},        {"square-spot", &MakeAs<C3dPyramidLight>},
    {"circular-parallel", &MakeAs<C3dCylinderLight>},
};

template <size_t N>
const SKind* FindKind(const SKind (&kinds)[N], const std::string& word) {
  for (const SKind& kind : kinds) {
    if (word == kind.word) return &kind;
  }
  return nullptr;
}

std::string Failure(const char* what, int32_t code) {
  return std::string(what) + ": " + BuiltInMessageFor(code) + " (code " + std::to_string(code) + ")";
}

void SetRecordName(C3dBase* thing, const std::string& name) {
  CHolder holder(thing, true, false);
  if (!holder.IsLocked()) return;
  std::memset(thing->GetData(), 0, C3dBase::kNameBytes);
  std::memcpy(thing->GetData(), name.data(), std::min(name.size(), size_t(kNameBytes)));
}

// The cloud texture of the sky's two layers.
int32_t MakeCloudTexture(C3dBaseSys* table, CSpoolSys* environment, C3dTexture** out) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dTexture>(environment, key, spec);
  if (const int32_t error = C3dTexture::New(out, table, key, spec)) return error;
  C3dTexture* texture = *out;
  CHolder holder(texture, true, false);
  if (!holder.IsLocked()) return NonZeroError(texture->GetError());
  STextureData& data = texture->GetTextureData();
  data.count = 1;
  data.outputFlags = kKindValue;
  STextureComponent& component = data.component[0];
  component.kinds = kKindValue;
  component.noiseCode = kCloudNoiseCode;
  component.angleXY = component.angleYZ = 0;
  for (int32_t& f : component.frequency) f = 1;
  component.phase.code = 0;
  component.filter.kind = 0;
  component.colour.mapKind = 0;
  data.globalPhase.code = 0;
  data.filter.kind = 0;
  data.colour.mapKind = 0;
  texture->PrepareEvaluation(true);
  return kNoErr;
}

// Where a terrain's heights come from: a picture beside the description, or a seed.
struct STerrainSource {
  bool generate = false;
  std::string file;
  uint32_t seed = 0;

  std::string Take(CStatement& statement) {
    const std::string keyword = statement.Take();
    if (keyword == "generate") {
      generate = true;
      long long value = 0;
      if (std::string error = statement.Integer(keyword, &value); !error.empty()) return error;
      if (value < 0 || value > UINT32_MAX) return "\"generate\" takes a seed from 0 to 4294967295";
      seed = uint32_t(value);
      return "";
    }
    if (keyword != "picture") return "a terrain needs \"picture FILE\" or \"generate SEED\" after its name";
    file = statement.Take();
    return file.empty() ? "\"picture\" needs a file" : "";
  }

  // The picture's path: as given when absolute, else in the description's folder.
  std::string PathIn(const std::string& folder) const { return file[0] == '/' ? file : folder + "/" + file; }

  std::string Apply(C3dHeightField* field, const std::string& folder) const {
    if (generate) {
      GetRandomState() = SRandomState{seed, 1, 1};
      const int32_t error = field->Rebuild();
      return error ? Failure("the terrain", error) : "";
    }
    const std::string path = PathIn(folder);
    CFileSpec spec;
    CImage* picture = nullptr;
    std::string refusal;
    int32_t error = spec.Set(path.c_str());
    if (!error) error = CImageIO::ReadByType(spec, CImageIO::TypeOfPath(path.c_str()), &picture, &refusal);
    if (error) return file + ": " + FileProblem(path, error, refusal);
    const uint32_t side = picture->GetWidth();
    std::string problem;
    if (picture->GetHeight() != side || side % kTerrainStep || side < kTerrainStep || side > kLargestTerrain)
      problem = file + ": a terrain picture is square, 16 to 1024 pixels a side in steps of 16";
    else if ((error = field->SetFromImage(picture)))
      problem = Failure(file.c_str(), error);
    delete picture;
    return problem;
  }
};

}  // namespace

// ---- the placement keywords

struct CSceneScript::SPlacement {
  bool hasAt = false;
  bool hasSize = false;
  bool hasRotate = false;
  vector3<double> at;
  vector3<double> size;
  vector3<double> rotate;

  // keyword is at, size or rotate: its values read. An empty answer also for another word, with
  // *taken false.
  std::string Take(CStatement& statement, const std::string& keyword, bool* taken) {
    *taken = true;
    if (keyword == "at") return hasAt = true, statement.Vector(keyword, &at);
    if (keyword == "rotate") return hasRotate = true, statement.Vector(keyword, &rotate);
    if (keyword == "size") return hasSize = true, statement.Vector(keyword, &size);
    *taken = false;
    return "";
  }
  // A flat object's y has no extent, and its value is not looked at.
  std::string CheckSize(bool flat) const {
    for (int i = 0; hasSize && i < 3; ++i) {
      if (flat && i == 1) continue;
      if (!(size[i] >= kLeastSize && size[i] <= kGreatestSize)) return "\"size\" values lie between 0.01 and 9999";
    }
    return "";
  }
};

// Rotation, then size along the object's own axes, then the world box's centre moved onto "at". A
// light's own point goes onto "at" instead: its light is measured from there, and the beam lights'
// boxes reach down their axis, off their middle.
std::string CSceneScript::Place(C3dObject* object, const SPlacement& placement) {
  C3dTransform& transform = object->GetPlacement();
  if (placement.hasRotate) transform.SetRotation(placement.rotate * kDegree);
  if (placement.hasSize) object->SetScaledSize(placement.size);
  transform.SetPosition(placement.at);
  if (object->GetFamily() == C3dLight::kFamily) return "";
  const C3dBox box = object->WorldBox();
  const vector3<double> centre = (box.fMin + box.fMax) * 0.5;
  if (std::isfinite(centre.x) && std::isfinite(centre.y) && std::isfinite(centre.z))
    transform.SetPosition(placement.at + (placement.at - centre));
  return "";
}

// ---- reading

CSceneScript::CSceneScript(C3dBaseSys* table, CDocSettings* settings, CSpoolSys* environment)
    : fTable(table), fSettings(settings), fEnvironment(environment) {}

std::string CSceneScript::Read(const std::string& path) {
  std::string whole;
  if (const std::string problem = ReadInputFile(path, &whole); !problem.empty()) return path + ": " + problem;
  return ReadText(path, whole);
}

C3dObject* CSceneScript::Find(const std::string& name) const {
  const auto found = fNamed.find(name);
  return found == fNamed.end() ? nullptr : found->second;
}

std::string CSceneScript::ReadText(const std::string& path, const std::string& whole) {
  std::istringstream in(whole);
  fFilesRead = {path};
  fFolder = platform::FolderOf(platform::NativePath(path));
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    const size_t comment = text.find('#');
    if (comment != std::string::npos) text.erase(comment);
    std::istringstream line(text);
    std::vector<std::string> words;
    for (std::string word; line >> word;) words.push_back(word);
    if (words.empty()) continue;
    CStatement statement(std::move(words));
    if (std::string error = ReadStatement(statement); !error.empty())
      return path + ":" + std::to_string(number) + ": " + error;
  }
  std::string error = MakeDefaults();
  return error.empty() ? "" : path + ":0: " + error;
}

std::string CSceneScript::ReadStatement(CStatement& statement) {
  const std::string& head = statement.Head();
  if (head == "size") return ReadSize(statement);
  if (head == "camera") return ReadCamera(statement);
  if (head == "sun") return ReadSun(statement);
  if (head == "sky") return ReadSky(statement);
  if (head == "light") return ReadLight(statement);
  if (head == "group") return ReadGroup(statement);
  if (FindKind(kShapes, head)) return ReadShape(statement);
  return "unknown statement " + Quoted(head);
}

std::string CSceneScript::ReadSize(CStatement& statement) {
  if (fHasSize) return "a second size statement";
  fHasSize = true;
  double sides[2] = {};
  if (std::string error = statement.Numbers("size", 2, sides); !error.empty()) return error;
  for (double side : sides) {
    if (side < 1 || side > kLargestSide || side != std::floor(side))
      return "\"size\" takes whole numbers from 1 to " + std::to_string(kLargestSide);
  }
  if (!statement.AtEnd()) return "unknown keyword " + Quoted(statement.Take()) + " after size";
  const int32_t width = int32_t(sides[0]), height = int32_t(sides[1]);
  fSettings->SetSizes(width, height, width, height);
  return "";
}

std::string CSceneScript::ReadCamera(CStatement& statement) {
  if (fHasCamera) return "a second camera statement";
  fHasCamera = true;
  vector3<double> from, to;
  bool hasFrom = false, hasTo = false;
  double fov = kDefaultFieldAngle;
  while (!statement.AtEnd()) {
    std::string keyword;
    std::string error = statement.TakeKeyword(&keyword);
    if (error.empty() && keyword == "from") error = (hasFrom = true, statement.Vector(keyword, &from));
    else if (error.empty() && keyword == "to") error = (hasTo = true, statement.Vector(keyword, &to));
    else if (error.empty() && keyword == "fov") error = statement.Numbers(keyword, 1, &fov);
    else if (error.empty()) error = "unknown keyword " + Quoted(keyword) + " in camera";
    if (!error.empty()) return error;
  }
  if (!hasFrom || !hasTo) return "the camera needs \"from\" and \"to\"";
  if (!(fov > 0 && fov < 180)) return "\"fov\" lies between 0 and 180 degrees";
  if (from == to) return "the camera looks from where it looks to";
  return MakeCamera(from, to, fov * kDegree);
}

std::string CSceneScript::MakeCamera(const vector3<double>& from, const vector3<double>& to, double fieldAngle) {
  C3dCamera* camera = nullptr;
  if (const int32_t error = MakeThing(fTable, fEnvironment, &camera)) return Failure("the camera", error);
  SetRecordName(camera, "perspective");
  camera->GetPlacement().SetPosition(from);
  camera->SetOrigin(to);
  camera->GetView().fieldAngle = fieldAngle;
  camera->SetStateFlags(kCameraFlag);
  return "";
}

std::string CSceneScript::ReadSun(CStatement& statement) {
  if (fHasSun) return "a second sun statement";
  fHasSun = true;
  vector3<double> direction, colour{1, 1, 1};
  bool hasDirection = false;
  while (!statement.AtEnd()) {
    std::string keyword;
    std::string error = statement.TakeKeyword(&keyword);
    if (error.empty() && keyword == "direction") error = (hasDirection = true, statement.Vector(keyword, &direction));
    else if (error.empty() && keyword == "colour") error = statement.Colour(keyword, &colour);
    else if (error.empty()) error = "unknown keyword " + Quoted(keyword) + " in sun";
    if (!error.empty()) return error;
  }
  if (!hasDirection) return "the sun needs a \"direction\"";
  const double length = std::sqrt(Dot(direction, direction));
  if (!(length > 0) || !std::isfinite(length)) return "the sun's direction has no length";
  C3dSunLight* sun = nullptr;
  if (const int32_t error = MakeThing(fTable, fEnvironment, &sun)) return Failure("the sun", error);
  SetRecordName(sun, "sunlight");
  sun->SetDirection(direction * (1 / length));
  const vector3<float> light{float(colour.x), float(colour.y), float(colour.z)};
  sun->SetColour(light);
  sun->SetSunColour(light);
  sun->SetSecondSunColour(light);
  return "";
}

std::string CSceneScript::ReadSky(CStatement& statement) {
  if (fHasSky) return "a second sky statement";
  fHasSky = true;
  struct {
    const char* keyword;
    bool given;
    double value;
  } controls[] = {{"haze", false, 0}, {"fog", false, 0}, {"fog-height", false, 0}, {"shadows", false, 0}};
  bool clouds = false;
  while (!statement.AtEnd()) {
    std::string keyword;
    std::string error = statement.TakeKeyword(&keyword);
    auto* control = std::find_if(std::begin(controls), std::end(controls), [&](auto& c) { return keyword == c.keyword; });
    if (!error.empty()) return error;
    if (control != std::end(controls)) {
      control->given = true;
      error = statement.Numbers(keyword, 1, &control->value);
      if (error.empty() && (control->value < 0 || control->value > 100)) error = Quoted(keyword) + " lies between 0 and 100";
    } else if (keyword == "clouds") {
      const std::string state = statement.Take();
      if (state != "on" && state != "off") error = "\"clouds\" is \"on\" or \"off\"";
      clouds = state == "on";
    } else {
      error = "unknown keyword " + Quoted(keyword) + " in sky";
    }
    if (!error.empty()) return error;
  }
  C3dSky* sky = nullptr;
  if (const int32_t error = MakeThing(fTable, fEnvironment, &sky)) return Failure("the sky", error);
  SetRecordName(sky, "current sky");
  // The sky and fog palette's conversions of its 0 to 100 controls.
  SSkySettings& settings = sky->GetSettings();
  settings.flags &= ~(C3dSky::kSunFromCamera | kCloudFlags);
  settings.hazeAmount = controls[0].value * 0.05;
  settings.fogDensity = controls[1].value * 0.01;
  settings.fogHeight = controls[2].value * controls[2].value * 0.0005;
  if (controls[3].given) settings.valueF = 1 - controls[3].value * 0.01;
  const bool atmosphere = settings.hazeAmount != 0 || settings.fogDensity != 0 || settings.fogHeight != 0;
  settings.flags = atmosphere ? settings.flags | C3dSky::kAtmosphere : settings.flags & ~C3dSky::kAtmosphere;
  if (!clouds) return "";
  C3dTexture* cloud = nullptr;
  if (const int32_t error = MakeCloudTexture(fTable, fEnvironment, &cloud)) return Failure("the clouds", error);
  settings.flags |= kCloudFlags;
  sky->SetCloudTexture(cloud, 0);
  sky->SetCloudTexture(cloud, 1);
  return "";
}

std::string CSceneScript::TakeName(CStatement& statement, std::string* name) {
  *name = statement.Take();
  if (name->empty()) return Quoted(statement.Head()) + " needs a name";
  if (name->size() > kNameBytes) return "a name has at most 127 bytes";
  if (fNamed.count(*name)) return "the name " + Quoted(*name) + " is taken";
  return "";
}

void CSceneScript::Name(C3dObject* object, const std::string& name) {
  SetRecordName(object, name);
  fNamed[name] = object;
}

std::string CSceneScript::ReadShape(CStatement& statement) {
  const std::string kind = statement.Head();
  std::string name;
  if (std::string error = TakeName(statement, &name); !error.empty()) return error;
  STerrainSource source;
  if (kind == "terrain") {
    if (std::string error = source.Take(statement); !error.empty()) return error;
  }
  SPlacement placement;
  SMaterialSettings material;
  while (!statement.AtEnd()) {
    std::string keyword;
    std::string error = statement.TakeKeyword(&keyword);
    bool taken = false;
    if (error.empty()) error = placement.Take(statement, keyword, &taken);
    if (error.empty() && !taken) error = material.Take(statement, keyword, &taken);
    if (error.empty() && !taken) error = "unknown keyword " + Quoted(keyword) + " in " + kind;
    if (!error.empty()) return error;
  }
  if (std::string error = placement.CheckSize(kind == "disk" || kind == "square" || kind == "plane"); !error.empty())
    return error;
  C3dObject* object = nullptr;
  if (const int32_t error = FindKind(kShapes, kind)->make(fTable, fEnvironment, &object))
    return Failure(kind.c_str(), error);
  Name(object, name);
  if (kind == "torus") {
    static_cast<C3dTorus*>(object)->SetMinorRadius(1);
    static_cast<C3dTorus*>(object)->SetMajorRadius(3);
  }
  if (kind == "terrain") {
    if (!source.generate) fFilesRead.push_back(source.PathIn(fFolder));
    if (std::string error = source.Apply(static_cast<C3dHeightField*>(object), fFolder); !error.empty()) return error;
  }
  if (const int32_t error = material.Apply(LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily)))
    return Failure("the material", error);
  return Place(object, placement);
}

std::string CSceneScript::ReadLight(CStatement& statement) {
  const std::string kindWord = statement.Take();
  const SKind* kind = FindKind(kLights, kindWord);
  if (!kind) return "unknown light " + Quoted(kindWord) + "; lights are radial, spot, parallel, square-spot, circular-parallel";
  std::string name;
  if (std::string error = TakeName(statement, &name); !error.empty()) return error;
  SPlacement placement;
  vector3<double> colour = kDefaultLightColour;
  double intensity = kDefaultIntensity;
  while (!statement.AtEnd()) {
    std::string keyword;
    std::string error = statement.TakeKeyword(&keyword);
    bool taken = false;
    if (error.empty()) error = placement.Take(statement, keyword, &taken);
    if (error.empty() && !taken && keyword == "colour") {
      error = statement.Colour(keyword, &colour);
    } else if (error.empty() && !taken && keyword == "intensity") {
      error = statement.Numbers(keyword, 1, &intensity);
      if (error.empty() && intensity < 0) error = "\"intensity\" is at least 0";
    } else if (error.empty() && !taken) {
      error = "unknown keyword " + Quoted(keyword) + " in light";
    }
    if (!error.empty()) return error;
  }
  if (std::string error = placement.CheckSize(false); !error.empty()) return error;
  C3dObject* object = nullptr;
  if (const int32_t error = kind->make(fTable, fEnvironment, &object)) return Failure("the light", error);
  auto* light = static_cast<C3dLight*>(object);
  Name(light, name);
  light->SetColour({float(colour.x), float(colour.y), float(colour.z)});
  light->SetIntensity(intensity);
  return Place(light, placement);
}

std::string CSceneScript::ReadGroup(CStatement& statement) {
  std::string name;
  if (std::string error = TakeName(statement, &name); !error.empty()) return error;
  bool boolean = false;
  std::vector<std::pair<C3dObject*, uint32_t>> members;
  std::set<C3dObject*> listed;
  for (bool first = true; !statement.AtEnd(); first = false) {
    std::string word = statement.Take();
    if (first && word == "boolean") {
      boolean = true;
      continue;
    }
    uint32_t role = 0;
    if (word[0] == '+' || word[0] == '-' || word[0] == '&') {
      role = word[0] == '+' ? C3dObject::kPositive : word[0] == '-' ? C3dObject::kNegative : C3dObject::kIntersect;
      if (!boolean) return Quoted(word) + ": a role needs a boolean group";
      word.erase(0, 1);
    }
    const auto found = fNamed.find(word);
    if (found == fNamed.end()) return word == name ? "a group cannot hold itself" : "nothing is named " + Quoted(word);
    C3dObject* member = found->second;
    if (member->GetParent() || !listed.insert(member).second) return Quoted(word) + " is in a group already";
    members.emplace_back(member, boolean && role == 0 ? C3dObject::kPositive : role);
  }
  if (members.empty()) return "a group needs members";
  C3dGroup* group = nullptr;
  if (const int32_t error = MakeThing(fTable, fEnvironment, &group)) return Failure("the group", error);
  Name(group, name);
  for (const auto& [member, role] : members) {
    member->SetStateFlags(C3dObject::kRoles, false);
    member->SetStateFlags(role);
    if (const int32_t error = group->AddChild(member)) return Failure("the group", error);
  }
  if (const int32_t error = C3dGroup::RelinkGroups(fTable)) return Failure("the group", error);
  // The flat shapes pass the table's own test, but enclose nothing to carve.
  const bool closed = std::all_of(members.begin(), members.end(), [](const auto& m) { return m.first->IsClosed(); });
  if (boolean && (!closed || !(group->GetStateFlags() & C3dObject::kBooleanGroup)))
    return Quoted(name) + " is no boolean group: its members must be closed solids with roles, one of them \"+\"";
  return "";
}

std::string CSceneScript::MakeDefaults() {
  if (!fHasSize) {
    fSettings->SetSizes(kDefaultWidth, kDefaultHeight, kDefaultWidth, kDefaultHeight);
  }
  fSettings->SetWord(CDocSettings::kBlockSize, CDocSettings::kDefaultBlockSize);
  fSettings->SetWord(CDocSettings::kRenderOptions, kRenderOptions);
  if (!fHasCamera) {
    if (std::string error = MakeCamera(kDefaultEye, kDefaultTarget, kDefaultFieldAngle * kDegree); !error.empty())
      return error;
  }
  if (!fHasSun) {
    C3dSunLight* sun = nullptr;
    if (const int32_t error = MakeThing(fTable, fEnvironment, &sun)) return Failure("the sun", error);
    SetRecordName(sun, "sunlight");
  }
  if (!fHasSky) {
    C3dSky* sky = nullptr;
    if (const int32_t error = MakeThing(fTable, fEnvironment, &sky)) return Failure("the sky", error);
    SetRecordName(sky, "current sky");
    sky->GetSettings().flags &= ~C3dSky::kSunFromCamera;
  }
  return "";
}
