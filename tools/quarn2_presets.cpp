// quarn2-presets LIB.txt OUT.shd: writes a material preset library from a plain-text list, one
// material a line, through the preset libraries' own store functions. Every material N (1, 2, 3, ...
// in line order) is stored as "C3dBaseMaterial" N, its preview (the preview scene's sample sphere in
// the material, rendered to the end at the preset panel's 96 × 96) as "matprevcimage" N and its name
// and description as "CPresetDescr" N. With --objects the list is a scene description whose
// "preset NAME \"DESCRIPTION\"" lines each make the top-level thing NAME an object preset. A line
// With --skies every line "sky NAME \"DESCRIPTION\" ..." is a sky preset: the sky as quarn2-scene's sky
// statement makes it, lit by its own sun, stored with its cloud textures and sun light. A line
// that cannot be read is reported as "LIB.txt:LINE: what was wrong" with exit status 1 and nothing
// written; wrong arguments exit with status 2.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "document/doc_settings.h"
#include "framework/core/appl.h"
#include "framework/core/random.h"
#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/holder.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "platform/file.h"
#include "platform/system.h"
#include "presets/preset_description.h"
#include "presets/preset_file.h"
#include "presets/sky_preset_file.h"
#include "render/preview_scene.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/object.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "tools/command_line.h"
#include "tools/material_keywords.h"
#include "tools/scene_script.h"
#include "tools/tool_app.h"

namespace {

// The preset panel's preview image.
constexpr int32_t kPreviewSide = 96;
constexpr size_t kNameField = CPresetDescription::kNameSize;
constexpr size_t kDescriptionField = CPresetDescription::kDescriptionSize;

enum EOption : int { kObjectsOption = 1, kSkiesOption };
// The generator's state at the start: ids, and so the files, are the same on every run.
constexpr SRandomState kFixedRandomState{0x51A7E5u, 1, 1};

const STool kTool{
    "quarn2-presets",
    {"LIB.txt OUT.shd", "--objects SCENE.txt OUT.obj", "--skies SKIES.txt OUT.sky"},
    "Writes a material preset library from a plain-text list of materials, one a line, or with --objects\n"
    "an object preset library from a scene description, or with --skies a sky preset library.",
    {{"objects", kObjectsOption, nullptr, "the list is a scene description with preset lines (object presets)"},
     {"skies", kSkiesOption, nullptr, "the list holds sky lines (sky presets)"}},
    "Each line ('#' starts a comment outside the description):\n"
    "  material NAME \"DESCRIPTION\" [MATERIAL VALUE...]\n"
    "NAME is one word of at most 63 bytes, DESCRIPTION at most 256 bytes between double quotes.\n"
    "MATERIAL: colour R G B, diffusion, ambience, specularity, transparency, reflection, bump,\n"
    "  metallicity (0 to 1), spec-exponent, refraction, metal-exponent, ambient-colour,\n"
    "  specular-colour, transparent-colour (R G B), flags N; as quarn2-scene reads them.\n"
    "Material N of the list is stored as C3dBaseMaterial N with a 96 x 96 preview (matprevcimage N)\n"
    "and its name and description (CPresetDescr N). OUT.shd is replaced only once all are in.\n"
    "With --objects: quarn2-scene's statements, and lines\n"
    "  preset NAME \"DESCRIPTION\"\n"
    "each naming a top-level thing of the scene that becomes one object preset (objpreset,\n"
    "objprevcimage and objpresetdesc under a random id, its objects and materials under their own).\n"
    "With --skies, one sky a line:\n"
    "  sky NAME \"DESCRIPTION\" [SKY KEYWORD...] [flags N] [sun X Y Z] [sun-colour R G B]\n"
    "SKY KEYWORD: haze, fog, fog-height, shadows (0 to 100), clouds on|off; as quarn2-scene's sky\n"
    "statement reads them. flags N replaces the sky's flag word; the sun (direction X Y Z towards it,\n"
    "default 0 1 0, and colour, default white) lights the sky and is stored with it. Each sky is\n"
    "stored as C3dBaseSky with its sun light (C3dSunLight), its cloud textures (C3dTexture), a 96 x 96\n"
    "preview (skyprevcimage) and its texts (CPresetDescr) under a random id.\n"
    "Exit status: 0 written, 1 a line or a file cannot be read or written (the message names the file\n"
    "and line), 2 wrong arguments.\n"};

struct SPreset {
  std::string name;
  std::string description;
  SMaterialSettings material;
  // Objects and skies: the preset line's number, for messages.
  int line = 0;
  // Skies: the scene description of the sky and its sun, and the flag word that replaces the sky's.
  std::string scene;
  uint32_t skyFlags = 0;
  bool hasSkyFlags = false;
};

// The words of a line, a double-quoted text being one word with its quotes kept so that it can be
// told from a plain word; '#' outside quotes ends the line.
std::string SplitWords(const std::string& text, std::vector<std::string>* words) {
  size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++at;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      const size_t close = text.find('"', at + 1);
      if (close == std::string::npos) return "the description's closing quote is missing";
      words->push_back(text.substr(at, close + 1 - at));
      at = close + 1;
    } else {
      const size_t end = text.find_first_of(" \t\r\"#", at);
      words->push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
      at = end == std::string::npos ? text.size() : end;
    }
  }
  return "";
}

bool IsQuoted(const std::string& word) { return word.size() >= 2 && word.front() == '"' && word.back() == '"'; }

std::string ReadPreset(std::vector<std::string> words, SPreset* preset) {
  if (words[0] != "material") return "unknown statement " + Quoted(words[0]) + "; a line begins with \"material\"";
  if (words.size() < 2 || IsQuoted(words[1])) return "a material needs a name";
  preset->name = words[1];
  if (preset->name.size() >= kNameField) return "a name has at most 63 bytes";
  if (words.size() < 3 || !IsQuoted(words[2])) return "a material needs a description in double quotes after its name";
  preset->description = words[2].substr(1, words[2].size() - 2);
  if (preset->description.size() >= kDescriptionField) return "a description has at most 256 bytes";
  // The statement's keywords follow the name and the description.
  words.erase(words.begin() + 1, words.begin() + 3);
  CStatement statement(std::move(words));
  while (!statement.AtEnd()) {
    std::string keyword;
    std::string error = statement.TakeKeyword(&keyword);
    bool taken = false;
    if (error.empty()) error = preset->material.Take(statement, keyword, &taken);
    if (error.empty() && !taken)
      error = IsQuoted(keyword) ? "a second description" : "unknown keyword " + Quoted(keyword) + " in material";
    if (!error.empty()) return error;
  }
  return "";
}

// A preset line of an object list: "preset NAME \"DESCRIPTION\"".
std::string ReadObjectPreset(const std::vector<std::string>& words, SPreset* preset) {
  if (words.size() < 2 || IsQuoted(words[1])) return "a preset needs the name of a thing of the scene";
  preset->name = words[1];
  if (preset->name.size() >= kNameField) return "a name has at most 63 bytes";
  if (words.size() != 3 || !IsQuoted(words[2])) return "a preset needs a description in double quotes after its name";
  preset->description = words[2].substr(1, words[2].size() - 2);
  if (preset->description.size() >= kDescriptionField) return "a description has at most 256 bytes";
  return "";
}

// A sky line: "sky NAME \"DESCRIPTION\"" and the sky's keywords, with flags, sun and sun-colour taken
// out here and the rest left for the scene reader's sky statement.
std::string ReadSkyPreset(const std::vector<std::string>& words, SPreset* preset) {
  if (words[0] != "sky") return "unknown statement " + Quoted(words[0]) + "; a line begins with \"sky\"";
  if (words.size() < 2 || IsQuoted(words[1])) return "a sky needs a name";
  preset->name = words[1];
  if (preset->name.size() >= kNameField) return "a name has at most 63 bytes";
  if (words.size() < 3 || !IsQuoted(words[2])) return "a sky needs a description in double quotes after its name";
  preset->description = words[2].substr(1, words[2].size() - 2);
  if (preset->description.size() >= kDescriptionField) return "a description has at most 256 bytes";
  std::vector<std::string> sky{"sky"};
  std::string sun = "0 1 0", colour = "1 1 1";
  for (size_t i = 3; i < words.size(); ++i) {
    const std::string& word = words[i];
    const size_t wanted = word == "flags" ? 1 : word == "sun" || word == "sun-colour" ? 3 : 0;
    if (!wanted) {
      sky.push_back(word);
      continue;
    }
    if (i + wanted >= words.size()) return Quoted(word) + " needs " + std::to_string(wanted) + " number(s)";
    std::string values;
    for (size_t k = 1; k <= wanted; ++k) values += (k > 1 ? " " : "") + words[i + k];
    if (word == "flags") {
      char* end = nullptr;
      const unsigned long flags = std::strtoul(words[i + 1].c_str(), &end, 0);
      if (!end || *end || flags > 0xFFFFFFFFul) return "\"flags\" needs a number";
      preset->skyFlags = uint32_t(flags);
      preset->hasSkyFlags = true;
    } else {
      (word == "sun" ? sun : colour) = values;
    }
    i += wanted;
  }
  for (const std::string& word : sky) preset->scene += word + " ";
  preset->scene += "\nsun direction " + sun + " colour " + colour + "\n";
  return "";
}

// The lines of a list, read whole before anything is written, each split into words and handed to
// take with its number: empty, or "PATH:LINE: what was wrong".
std::string ReadLines(const std::string& path,
                      const std::function<std::string(int, const std::string&, std::vector<std::string>&)>& take) {
  std::string whole;
  if (const std::string problem = ReadInputFile(path, &whole); !problem.empty()) return path + ": " + problem;
  std::istringstream in(whole);
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    std::vector<std::string> words;
    std::string error = SplitWords(text, &words);
    if (error.empty()) error = take(number, text, words);
    if (!error.empty()) return path + ":" + std::to_string(number) + ": " + error;
  }
  return "";
}

// A material list: one material a line.
std::string ReadList(const std::string& path, std::vector<SPreset>* presets) {
  return ReadLines(path, [presets](int, const std::string&, std::vector<std::string>& words) {
    if (words.empty()) return std::string();
    SPreset preset;
    std::string error = ReadPreset(std::move(words), &preset);
    if (error.empty()) presets->push_back(std::move(preset));
    return error;
  });
}

// A sky list: one sky a line.
std::string ReadSkyList(const std::string& path, std::vector<SPreset>* presets) {
  const std::string problem = ReadLines(path, [presets](int number, const std::string&, std::vector<std::string>& words) {
    if (words.empty()) return std::string();
    SPreset preset;
    preset.line = number;
    std::string error = ReadSkyPreset(words, &preset);
    if (error.empty()) presets->push_back(std::move(preset));
    return error;
  });
  if (!problem.empty()) return problem;
  return presets->empty() ? path + ": no sky line" : "";
}

// An object list: its preset lines taken out (blank in the scene, so that line numbers stay) and the
// rest left for the scene reader.
std::string ReadObjectList(const std::string& path, std::vector<SPreset>* presets, std::string* scene) {
  const std::string problem =
      ReadLines(path, [presets, scene](int number, const std::string& text, std::vector<std::string>& words) {
        if (words.empty() || words[0] != "preset") {
          *scene += text + "\n";
          return std::string();
        }
        *scene += "\n";
        SPreset preset;
        preset.line = number;
        std::string error = ReadObjectPreset(words, &preset);
        if (error.empty()) presets->push_back(std::move(preset));
        return error;
      });
  if (!problem.empty()) return problem;
  return presets->empty() ? path + ": no preset line" : "";
}

// The preview scene rendered to the end into its image.
int32_t RenderToEnd(CPreviewScene& scene) {
  int32_t result = scene.ResetView();
  const SRect whole{0, 0, kPreviewSide, kPreviewSide};
  while (!result && scene.IsRenderPending()) {
    if (platform::IsStopRequested()) return kSilentCode24;
    result = scene.Render(nullptr, whole);
    if (result == kSilentCode24) result = kNoErr;
  }
  if (result) return result;
  return scene.GetImage() ? kNoErr : kErrObjectNotFound;
}

// The sample sphere of the preview scene rendered to the end in the material, into the scene's image.
int32_t RenderPreview(CPreviewScene& scene, C3dMaterial* material) {
  C3dObject* sample = scene.GetSample();
  if (!sample) return kErrObjectNotFound;
  sample->SetMaterial(material->GetHandle());
  const int32_t result = RenderToEnd(scene);
  sample->SetMaterial(kNoHandle);
  return result;
}


// One preset's three resources under id: the material, its preview, its description.
int32_t WritePreset(CResourceEnv& library, CPreviewScene& scene, const SPreset& preset, uint32_t id) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(GetApplication()->GetObjectsEnv(), key, spec);
  C3dMaterial* made = nullptr;
  if (const int32_t error = C3dMaterial::New(&made, nullptr, key, spec)) return error;
  std::unique_ptr<C3dMaterial> material(made);
  if (const int32_t error = preset.material.Apply(material.get())) return error;
  if (const int32_t error = RenderPreview(scene, material.get())) return error;
  material->SetId(id);
  if (const int32_t error = StoreMaterialItem(material.get(), &library, false)) return error;
  if (const int32_t error = StorePreview(&library, preset::kMaterialPreviewType, id, scene.GetImage())) return error;
  CPresetDescription description;
  description.SetName(preset.name.c_str());
  description.SetDescription(preset.description.c_str());
  return description.Store(&library, CPresetDescription::kMaterialType, id);
}

// One object preset of the scene: the thing with its tree, its preview (a copy of it in the preview
// scene) and its description.
int32_t WriteObjectPreset(CResourceEnv& library, CPreviewScene& scene, C3dObject* object, const SPreset& preset) {
  if (const int32_t error = scene.BuildObjectSample(CPreviewScene::kSelection, object); error && error != kHandled)
    return error;
  // A copy of one object comes without a material: it wears the object's own while it renders.
  C3dObject* sample = scene.GetSample();
  const bool lent = sample && !sample->GetMaterial();
  if (lent) sample->SetMaterial(object->GetMaterial());
  const int32_t rendered = RenderToEnd(scene);
  if (lent) sample->SetMaterial(kNoHandle);
  if (rendered) return rendered;
  uint32_t id = 0;
  if (const int32_t error = StoreObjectPresetItem(object, &library, &id)) return error;
  if (const int32_t error = StorePreview(&library, preset::kObjectPreviewType, id, scene.GetImage())) return error;
  CPresetDescription description;
  description.SetName(preset.name.c_str());
  description.SetDescription(preset.description.c_str());
  return description.Store(&library, CPresetDescription::kObjectType, id);
}

// The first thing of the family in the table.
C3dBase* FirstOf(C3dBaseSys& table, uint32_t family) {
  for (uint32_t row = 0;; ++row) {
    C3dBase* thing = nullptr;
    if (table.GetObjectAt(row, &thing) || !thing) return nullptr;
    if (thing->GetFamily() == family) return thing;
  }
}

// One sky preset: the sky and its sun as the scene reader makes them, the preview rendered with the
// sky lent to the preview scene and its sun copied into the scene's, then stored with the scene's sun.
int32_t WriteSkyPreset(const CCommandLine& line, const std::string& listPath, CResourceEnv& library,
                       CPreviewScene& scene, const SPreset& preset, bool* reported) {
  CSpoolSys* environment = GetApplication()->GetObjectsEnv();
  C3dBaseSys table(environment);
  CDocSettings settings(SSpoolLayout{environment, 0, 0});
  CSceneScript script(&table, &settings, environment);
  if (std::string problem = script.ReadText(listPath, preset.scene); !problem.empty()) {
    // The script's own line numbers are those of the two lines made here: the list's line stands.
    const size_t colon = problem.find(": ");
    *reported = true;
    line.Fail(listPath + ":" + std::to_string(preset.line),
              colon == std::string::npos ? problem : problem.substr(colon + 2));
    return kErrInvalidFormat;
  }
  auto* sky = static_cast<C3dSky*>(FirstOf(table, C3dSky::kFamily));
  C3dSunLight* sun = nullptr;
  for (uint32_t row = 0; !sun; ++row) {
    C3dBase* thing = nullptr;
    if (table.GetObjectAt(row, &thing) || !thing) break;
    if (thing->GetClass() == C3dSunLight::kClassTag) sun = static_cast<C3dSunLight*>(thing);
  }
  if (!sky || !sun || !scene.GetSun()) return kErrObjectNotFound;
  if (preset.hasSkyFlags) {
    CHolder held(sky, true, false);
    sky->GetSettings().flags = preset.skyFlags;
  }
  if (const int32_t error = scene.GetSun()->CopyFrom(*sun)) return error;
  scene.SetSky(sky);
  int32_t error = scene.ArrangeForSky();
  if (!error) error = scene.SetSkyFrom();
  if (!error) error = RenderToEnd(scene);
  if (!error) error = StoreSkyItem(sky, scene.GetSun(), &library);
  scene.SetSky(nullptr);
  if (error) return error;
  const uint32_t id = sky->GetId();
  if (const int32_t stored = StorePreview(&library, preset::kSkyPreviewType, id, scene.GetImage())) return stored;
  CPresetDescription description;
  description.SetName(preset.name.c_str());
  description.SetDescription(preset.description.c_str());
  return description.Store(&library, CPresetDescription::kMaterialType, id);
}

struct SJob {
  std::string listPath;
  std::string outPath;
  bool objects = false;
  bool skies = false;
  std::vector<SPreset> presets;
  std::string scene;
};

// The presets into the library; the subject of a failure names the preset.
int32_t WriteAll(const CCommandLine& line, const SJob& job, CResourceEnv& library, CPreviewScene& scene,
                 std::string* subject, bool* reported) {
  if (job.skies) {
    for (const SPreset& preset : job.presets) {
      if (const int32_t error = WriteSkyPreset(line, job.listPath, library, scene, preset, reported)) {
        *subject = job.outPath + " (sky " + preset.name + ")";
        return error;
      }
    }
    return kNoErr;
  }
  if (!job.objects) {
    for (size_t i = 0; i < job.presets.size(); ++i) {
      const int32_t error = WritePreset(library, scene, job.presets[i], uint32_t(i + 1));
      if (error) {
        *subject = job.outPath + " (material " + job.presets[i].name + ")";
        return error;
      }
    }
    return kNoErr;
  }
  CSpoolSys* environment = GetApplication()->GetObjectsEnv();
  C3dBaseSys table(environment);
  CDocSettings settings(SSpoolLayout{environment, 0, 0});
  CSceneScript script(&table, &settings, environment);
  if (const std::string problem = script.ReadText(job.listPath, job.scene); !problem.empty()) {
    *reported = true;
    std::fprintf(stderr, "quarn2-presets: %s\n", problem.c_str());
    return kErrInvalidFormat;
  }
  for (const SPreset& preset : job.presets) {
    C3dObject* object = script.Find(preset.name);
    const std::string at = job.listPath + ":" + std::to_string(preset.line);
    if (!object || object->GetParent()) {
      *reported = true;
      line.Fail(at, object ? Quoted(preset.name) + " belongs to a group; a preset names a top-level thing"
                           : "no thing of the scene is named " + Quoted(preset.name));
      return kErrObjectNotFound;
    }
    if (const int32_t error = WriteObjectPreset(library, scene, object, preset)) {
      *subject = job.outPath + " (preset " + preset.name + ")";
      return error;
    }
  }
  return kNoErr;
}

// The library into a temporary beside the output, which replaces the output once complete.
int Run(const CCommandLine& line, const SJob& job) {
  CFileSpec target, temporary;
  int32_t error = target.Set(job.outPath.c_str());
  if (!error) error = CFileSpec::MakeTempBeside(target, temporary);
  if (error) return line.FailWithCode(job.outPath, error);
  GetRandomState() = kFixedRandomState;
  CPreviewScene scene;
  if (!scene.IsReady()) error = kErrOutOfMemory;
  if (!error) error = scene.BuildSample(kPreviewSide, kPreviewSide, true, false, CPreviewScene::kSphere);
  std::string subject = job.outPath;
  bool reported = false;
  {
    std::unique_ptr<CResourceEnv> library(new CResourceEnv(temporary, CFile::kModeReadWrite));
    if (!error && !library->IsOpen()) error = NonZeroError(library->GetLastResult());
    if (!error) error = WriteAll(line, job, *library, scene, &subject, &reported);
    if (!error) error = library->Close();
  }
  if (!error && !platform::ReplaceFile(temporary.GetPath(), target.GetPath())) error = MapLastError();
  if (error) platform::DeleteFile(temporary.GetPath());
  if (reported) return CCommandLine::kStatusFailed;
  return error ? line.FailWithCode(subject, error) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  SJob job;
  const int status = line.Parse(argc, argv, [&job](int id, const char*) {
    if (id == kObjectsOption) job.objects = true;
    if (id == kSkiesOption) job.skies = true;
    return std::string();
  });
  if (status != CCommandLine::kGoOn) return status;
  const std::vector<std::string>& operands = line.Operands();
  if (operands.size() != 2) return line.UsageError("a list of presets and an output library are needed");
  job.listPath = operands[0];
  job.outPath = operands[1];
  if (job.objects && job.skies) return line.UsageError("--objects and --skies exclude each other");
  const std::string problem = job.skies     ? ReadSkyList(job.listPath, &job.presets)
                              : job.objects ? ReadObjectList(job.listPath, &job.presets, &job.scene)
                                            : ReadList(job.listPath, &job.presets);
  if (!problem.empty()) {
    std::fprintf(stderr, "quarn2-presets: %s\n", problem.c_str());
    return CCommandLine::kStatusFailed;
  }
  if (line.RefuseOutput(job.outPath, {job.listPath})) return CCommandLine::kStatusFailed;
  CToolApp app("quarn2-presets");
  if (!app.IsReady()) return app.ReportNotReady(line);
  return Run(line, job);
}
