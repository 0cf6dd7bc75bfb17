#include "tools/texture_source.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "scene/factory.h"
#include "scene/surface/texture.h"
#include "tools/res_compiler.h"

namespace {

constexpr int32_t kMaxComponents = 3;

// The words of one line after its keyword, read in order.
class CFields {
 public:
  explicit CFields(const SSourceLine& line) : fLine(line) {}

  bool Count(size_t n) const { return fLine.tokens.size() == n + 1; }
  bool Int(int32_t* out) {
    uint32_t word = 0;
    if (fNext >= fLine.tokens.size() || !ParseSourceWord(fLine.tokens[fNext], &word)) return false;
    ++fNext;
    *out = int32_t(word);
    return true;
  }
  bool Ints(int32_t* out, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (!Int(out + i)) return false;
    }
    return true;
  }
  bool Float(float* out) {
    if (fNext >= fLine.tokens.size()) return false;
    const std::string& word = fLine.tokens[fNext++];
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end || errno) return false;
    *out = float(value);
    return true;
  }
  // Words value, colour and bump, or a number.
  bool Kinds(int32_t* out) {
    *out = 0;
    if (fLine.tokens.size() == 2 && Int(out)) return true;
    for (size_t i = 1; i < fLine.tokens.size(); ++i) {
      const std::string& word = fLine.tokens[i];
      if (word == "value") *out |= kKindValue;
      else if (word == "colour") *out |= kKindColour;
      else if (word == "bump") *out |= kKindBump;
      else return false;
    }
    return fLine.tokens.size() > 1;
  }

 private:
  const SSourceLine& fLine;
  size_t fNext = 1;
};

bool ReadPhase(CFields& f, SPhaseSpec* phase) {
  return f.Count(7) && f.Int(&phase->code) && f.Int(&phase->amount) && f.Int(&phase->angleXY) &&
         f.Int(&phase->angleYZ) && f.Ints(phase->frequency, 3);
}

bool ReadFilter(CFields& f, STextureFilter* filter) {
  return f.Count(4) && f.Int(&filter->kind) && f.Int(&filter->count) && f.Float(&filter->a) && f.Float(&filter->b);
}

bool ReadColour(CFields& f, SColorOutput* colour) {
  int32_t words[3] = {};
  if (!f.Count(5) || !f.Int(&colour->mapKind) || !f.Int(&colour->format) || !f.Ints(words, 3)) return false;
  for (int i = 0; i < 3; ++i) colour->colour[i] = uint32_t(words[i]);
  return true;
}

// The fields the texture and each component have alike: the warp, the filter and the colour map.
// False with the expected form in *expected, or with none for a key that names no field.
bool ReadSharedField(const std::string& key, CFields& f, SPhaseSpec* phase, STextureFilter* filter,
                     SColorOutput* colour, const char** expected) {
  if (key == "phase") {
    *expected = "phase CODE AMOUNT XY YZ FX FY FZ";
    return ReadPhase(f, phase);
  }
  if (key == "filter") {
    *expected = "filter KIND COUNT A B";
    return ReadFilter(f, filter);
  }
  if (key == "colour") {
    *expected = "colour MAP FORMAT C0 C1 C2";
    return ReadColour(f, colour);
  }
  *expected = nullptr;
  return false;
}

// One field of the texture's own lines; false with the reason's words in *expected.
bool ReadTextureField(const std::string& key, CFields& f, STextureData* data, const char** expected) {
  if (key == "count") {
    *expected = "count N (1 to 3)";
    return f.Count(1) && f.Int(&data->count) && data->count >= 1 && data->count <= kMaxComponents;
  }
  if (key == "output") {
    *expected = "output KINDS";
    return f.Kinds(&data->outputFlags);
  }
  if (key == "operations") {
    *expected = "operations A B";
    return f.Count(2) && f.Ints(data->operation, 2);
  }
  return ReadSharedField(key, f, &data->globalPhase, &data->filter, &data->colour, expected);
}

bool ReadComponentField(const std::string& key, CFields& f, STextureComponent* c, const char** expected) {
  if (key == "kinds") {
    *expected = "kinds KINDS";
    return f.Kinds(&c->kinds);
  }
  if (key == "gradient") {
    *expected = "gradient FLAG";
    return f.Count(1) && f.Int(&c->gradientFlag);
  }
  if (key == "noise") {
    *expected = "noise CODE";
    return f.Count(1) && f.Int(&c->noiseCode);
  }
  if (key == "angles") {
    *expected = "angles XY YZ";
    return f.Count(2) && f.Int(&c->angleXY) && f.Int(&c->angleYZ);
  }
  if (key == "frequency") {
    *expected = "frequency FX FY FZ";
    return f.Count(3) && f.Ints(c->frequency, 3);
  }
  return ReadSharedField(key, f, &c->phase, &c->filter, &c->colour, expected);
}

}  // namespace

bool CompileTextureSource(const std::string& text, STextureData* data, std::string* error) {
  std::vector<SSourceLine> lines;
  if (!ReadSourceLines(text, &lines, error)) return false;
  *data = STextureData{};
  std::set<std::string> seen;
  std::set<int32_t> components;
  STextureComponent* component = nullptr;
  int32_t componentNumber = 0;
  for (const SSourceLine& line : lines) {
    const std::string& key = line.tokens[0];
    if (key == "}" && line.tokens.size() == 1) {
      if (!component) {
        *error = LineError(line.number, "\"}\" closes no component");
        return false;
      }
      component = nullptr;
      continue;
    }
    if (key == "component") {
      int32_t n = 0;
      CFields f(line);
      if (component || !f.Count(2) || !f.Int(&n) || line.tokens[2] != "{" || n < 1 || n > kMaxComponents) {
        *error = LineError(line.number, "expected component N { with N from 1 to 3, outside any component");
        return false;
      }
      if (!components.insert(n).second) {
        *error = LineError(line.number, "component " + std::to_string(n) + " is given twice");
        return false;
      }
      component = &data->component[n - 1];
      componentNumber = n;
      continue;
    }
    const std::string field = component ? std::to_string(componentNumber) + " " + key : key;
    if (!seen.insert(field).second) {
      *error = LineError(line.number, "\"" + key + "\" is given twice");
      return false;
    }
    CFields f(line);
    const char* expected = nullptr;
    const bool read = component ? ReadComponentField(key, f, component, &expected)
                                : ReadTextureField(key, f, data, &expected);
    if (!read) {
      *error = LineError(line.number, expected ? std::string("expected ") + expected : "unknown field \"" + key + "\"");
      return false;
    }
  }
  if (component) {
    *error = LineError(lines.back().number, "component " + std::to_string(componentNumber) + " is not closed");
    return false;
  }
  if (!seen.count("count")) {
    *error = LineError(lines.empty() ? 1 : lines.front().number, "the texture needs its count");
    return false;
  }
  for (int32_t n : components) {
    if (n > data->count) {
      *error = LineError(lines.front().number, "component " + std::to_string(n) + " lies beyond the count");
      return false;
    }
  }
  return true;
}

int32_t StoreTextureRecord(CResourceEnv& env, const SSpoolKey& key, const STextureData& recipe) {
  CAppl* app = GetApplication();
  if (!app) return kErrUnexpectedStatus;
  SObjectKey objectKey;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dTexture>(app->GetObjectsEnv(), objectKey, spec);
  C3dTexture* texture = nullptr;
  if (const int32_t error = C3dTexture::New(&texture, nullptr, objectKey, spec)) return error;
  int32_t result = kNoErr;
  {
    CHolder holder(texture, true, false);
    if (holder.IsLocked()) {
      texture->GetTextureData() = recipe;
      texture->PrepareEvaluation(true);
      char* name = reinterpret_cast<char*>(texture->GetData());
      std::memset(name, 0, C3dBase::kNameBytes);
      std::strncpy(name, key.name, C3dBase::kNameBytes - 1);
    } else {
      result = NonZeroError(texture->GetError());
    }
  }
  // Into the resource file as saving moves a thing into a document: entered, subscribed afresh and
  // written through its record handler.
  SSpoolKey stored = key;
  if (!result && !env.PutResource(stored) && env.GetLastResult() != kErrObjectDuplicated)
    result = NonZeroError(env.GetLastResult());
  stored.isNew = 1;
  SSpoolTableSpec storedSpec;
  storedSpec.SetForObjects(true, &stored);
  if (!result && !texture->SetEnvironment(&env)) result = NonZeroError(texture->GetError());
  if (!result && !texture->Subscribe(storedSpec)) result = NonZeroError(texture->GetError());
  if (!result && !texture->Lock()) result = NonZeroError(texture->GetError());
  if (!result && !texture->Unlock(true, true)) result = NonZeroError(texture->GetError());
  delete texture;
  return result;
}

bool StoreTextureSource(CResourceEnv& env, const SSpoolKey& key, const std::string& text, std::string* error) {
  STextureData recipe;
  if (!CompileTextureSource(text, &recipe, error)) return false;
  if (const int32_t result = StoreTextureRecord(env, key, recipe)) {
    *error = "the texture cannot be stored (code " + std::to_string(result) + ")";
    return false;
  }
  return true;
}
