// quarn2-presets LIB.txt OUT.shd: writes a material preset library from a plain-text list, one
// material a line, through the program's own material writer and resource environment. Every
// material N (1, 2, 3, ... in line order) is stored as "C3dBaseMaterial" N, its preview (the preview
// scene's sample sphere in the material, rendered to the end at the preset panel's 96 × 96) as
// "matprevcimage" N and its name and description as "CPresetDescr" N. A line that cannot be read is
// reported as "LIB.txt:LINE: what was wrong" with exit status 1 and nothing written; wrong arguments
// exit with status 2.
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image.h"
#include "platform/file.h"
#include "platform/system.h"
#include "presets/preset_description.h"
#include "presets/preset_file.h"
#include "render/preview_scene.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/object.h"
#include "scene/surface/material.h"
#include "tools/command_line.h"
#include "tools/material_keywords.h"
#include "tools/tool_app.h"

namespace {

// The preset panel's preview image.
constexpr int32_t kPreviewSide = 96;
constexpr size_t kNameField = CPresetDescription::kNameSize;
constexpr size_t kDescriptionField = CPresetDescription::kDescriptionSize;

const STool kTool{
    "quarn2-presets",
    {"LIB.txt OUT.shd"},
    "Writes a material preset library from a plain-text list of materials, one a line.",
    {},
    "Each line ('#' starts a comment outside the description):\n"
    "  material NAME \"DESCRIPTION\" [MATERIAL VALUE...]\n"
    "NAME is one word of at most 63 bytes, DESCRIPTION at most 256 bytes between double quotes.\n"
    "MATERIAL: colour R G B, diffusion, ambience, specularity, transparency, reflection, bump,\n"
    "  metallicity (0 to 1), spec-exponent, refraction, metal-exponent, ambient-colour,\n"
    "  specular-colour, transparent-colour (R G B), flags N; as quarn2-scene reads them.\n"
    "Material N of the list is stored as C3dBaseMaterial N with a 96 x 96 preview (matprevcimage N)\n"
    "and its name and description (CPresetDescr N). OUT.shd is replaced only once all are in.\n"
    "Exit status: 0 written, 1 a line or a file cannot be read or written (the message names the file\n"
    "and line), 2 wrong arguments.\n"};

struct SPreset {
  std::string name;
  std::string description;
  SMaterialSettings material;
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

// The list, read whole before anything is written: empty, or "PATH:LINE: what was wrong".
std::string ReadList(const std::string& path, std::vector<SPreset>* presets) {
  std::string whole;
  if (const std::string problem = ReadInputFile(path, &whole); !problem.empty()) return path + ": " + problem;
  std::istringstream in(whole);
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    std::vector<std::string> words;
    std::string error = SplitWords(text, &words);
    if (error.empty() && words.empty()) continue;
    SPreset preset;
    if (error.empty()) error = ReadPreset(std::move(words), &preset);
    if (!error.empty()) return path + ":" + std::to_string(number) + ": " + error;
    presets->push_back(std::move(preset));
  }
  return "";
}

// The sample sphere of the preview scene rendered to the end in the material, into the scene's image.
int32_t RenderPreview(CPreviewScene& scene, C3dMaterial* material) {
  C3dObject* sample = scene.GetSample();
  if (!sample) return kErrObjectNotFound;
  sample->SetMaterial(material->GetHandle());
  int32_t result = scene.ResetView();
  const SRect whole{0, 0, kPreviewSide, kPreviewSide};
  while (!result && scene.IsRenderPending()) {
    if (platform::IsStopRequested()) return kSilentCode24;
    result = scene.Render(nullptr, whole);
    if (result == kSilentCode24) result = kNoErr;
  }
  sample->SetMaterial(kNoHandle);
  if (result) return result;
  return scene.GetImage() ? kNoErr : kErrObjectNotFound;
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

// The library into a temporary beside the output, which replaces the output once complete.
int Run(const CCommandLine& line, const std::vector<SPreset>& presets, const std::string& outPath) {
  CFileSpec target, temporary;
  int32_t error = target.Set(outPath.c_str());
  if (!error) error = CFileSpec::MakeTempBeside(target, temporary);
  if (error) return line.FailWithCode(outPath, error);
  CPreviewScene scene;
  if (!scene.IsReady()) error = kErrOutOfMemory;
  if (!error) error = scene.BuildSample(kPreviewSide, kPreviewSide, true, false, CPreviewScene::kSphere);
  // The material that failed is named with the output.
  std::string subject = outPath;
  {
    std::unique_ptr<CResourceEnv> library(new CResourceEnv(temporary, CFile::kModeReadWrite));
    if (!error && !library->IsOpen()) error = NonZeroError(library->GetLastResult());
    for (size_t i = 0; !error && i < presets.size(); ++i) {
      error = WritePreset(*library, scene, presets[i], uint32_t(i + 1));
      if (error) subject = outPath + " (material " + presets[i].name + ")";
    }
    if (!error) error = library->Close();
  }
  if (!error && !platform::ReplaceFile(temporary.GetPath(), target.GetPath())) error = MapLastError();
  if (error) platform::DeleteFile(temporary.GetPath());
  return error ? line.FailWithCode(subject, error) : 0;
}

}  // namespace

int main(int argc, char** argv) {
  CCommandLine line(kTool);
  const int status = line.Parse(argc, argv, [](int, const char*) { return std::string(); });
  if (status != CCommandLine::kGoOn) return status;
  const std::vector<std::string>& operands = line.Operands();
  if (operands.size() != 2) return line.UsageError("a list of materials and an output library are needed");
  std::vector<SPreset> presets;
  if (const std::string problem = ReadList(operands[0], &presets); !problem.empty()) {
    std::fprintf(stderr, "quarn2-presets: %s\n", problem.c_str());
    return CCommandLine::kStatusFailed;
  }
  if (line.RefuseOutput(operands[1], {operands[0]})) return CCommandLine::kStatusFailed;
  CToolApp app("quarn2-presets");
  if (!app.IsReady()) return app.ReportNotReady(line);
  return Run(line, presets, operands[1]);
}
