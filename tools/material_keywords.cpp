#include "tools/material_keywords.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/surface/material.h"

std::string Quoted(const std::string& word) { return "\"" + word + "\""; }

// A number read whole in C syntax: empty, or what is wrong with the word. One that is a number but
// lies beyond what a double holds (or keeps only a few digits of, as 1e-320 does) says so.
std::string ParseNumber(const std::string& word, double* out) {
  char* end = nullptr;
  errno = 0;
  *out = std::strtod(word.c_str(), &end);
  if (word.empty() || end == word.c_str() || *end != 0 || std::isnan(*out)) return "is not a number";
  if (errno == ERANGE || std::isinf(*out)) return std::fabs(*out) < 1 ? "is too small" : "is too large";
  return "";
}

namespace {

bool ParseInteger(const std::string& word, long long* out) {
  char* end = nullptr;
  errno = 0;
  *out = std::strtoll(word.c_str(), &end, 0);
  return !word.empty() && !errno && *end == 0;
}

}  // namespace

std::string CStatement::TakeKeyword(std::string* keyword) {
  *keyword = Take();
  if (!fSeen.insert(*keyword).second) return Quoted(*keyword) + " is given twice";
  return "";
}

std::string CStatement::Numbers(const std::string& keyword, int n, double* out) {
  for (int i = 0; i < n; ++i) {
    if (AtEnd()) return Quoted(keyword) + (n == 1 ? " needs a number" : " needs " + std::to_string(n) + " numbers");
    const std::string word = Take();
    if (const std::string wrong = ParseNumber(word, &out[i]); !wrong.empty()) return Quoted(word) + " " + wrong;
  }
  return "";
}

std::string CStatement::Vector(const std::string& keyword, vector3<double>* out) {
  double v[3] = {};
  std::string error = Numbers(keyword, 3, v);
  *out = {v[0], v[1], v[2]};
  return error;
}

std::string CStatement::Colour(const std::string& keyword, vector3<double>* out) {
  std::string error = Vector(keyword, out);
  for (int i = 0; error.empty() && i < 3; ++i) {
    if ((*out)[i] < 0 || (*out)[i] > 1) error = Quoted(keyword) + " values lie between 0 and 1";
  }
  return error;
}

std::string CStatement::Integer(const std::string& keyword, long long* out) {
  if (AtEnd()) return Quoted(keyword) + " needs a whole number";
  const std::string word = Take();
  if (ParseInteger(word, out)) return "";
  return Quoted(word) + (errno == ERANGE ? " is too large" : " is not a whole number");
}

struct SMaterialKeyword {
  const char* name;
  int count;
  // The values' range as a person reads it, and its test.
  const char* range;
  bool (*valid)(double);
  void (*apply)(SMaterialSample& sample, const double* v);
};

namespace {

bool IsAmount(double v) { return v >= 0 && v <= 1; }
vector3<float> Colour3(const double* v) { return {float(v[0]), float(v[1]), float(v[2])}; }

constexpr SMaterialKeyword kMaterialKeywords[] = {
    {"colour", 3, "lie between 0 and 1", IsAmount, [](SMaterialSample& s, const double* v) { s.diffuseColour = Colour3(v); }},
    {"diffusion", 1, "lies between 0 and 1", IsAmount, [](SMaterialSample& s, const double* v) { s.diffusion = v[0]; }},
    {"ambient-colour", 3, "lie between 0 and 1", IsAmount,
     [](SMaterialSample& s, const double* v) { s.ambientColour = Colour3(v); }},
    {"ambience", 1, "lies between 0 and 1", IsAmount, [](SMaterialSample& s, const double* v) { s.ambience = v[0]; }},
    {"specular-colour", 3, "lie between 0 and 1", IsAmount,
     [](SMaterialSample& s, const double* v) { s.specularColour = Colour3(v); }},
    {"specularity", 1, "lies between 0 and 1", IsAmount, [](SMaterialSample& s, const double* v) { s.specularity = v[0]; }},
    {"spec-exponent", 1, "lies above 0", [](double v) { return v > 0; },
     [](SMaterialSample& s, const double* v) { s.specCoefficients = {float(v[0]), float(v[0]), float(v[0])}; }},
    {"transparent-colour", 3, "lie between 0 and 1", IsAmount,
     [](SMaterialSample& s, const double* v) { s.transparentColour = Colour3(v); }},
    {"transparency", 1, "lies between 0 and 1", IsAmount, [](SMaterialSample& s, const double* v) { s.transparency = v[0]; }},
    {"reflection", 1, "lies between 0 and 1", IsAmount, [](SMaterialSample& s, const double* v) { s.reflection = v[0]; }},
    {"bump", 1, "lies between 0 and 1", IsAmount, [](SMaterialSample& s, const double* v) { s.bump = v[0]; }},
    {"refraction", 1, "is at least 1", [](double v) { return v >= 1; },
     [](SMaterialSample& s, const double* v) { s.refractionIndex = v[0]; }},
    {"metallicity", 1, "lies between 0 and 1", IsAmount, [](SMaterialSample& s, const double* v) { s.metallicity = v[0]; }},
    {"metal-exponent", 1, "is at least 0", [](double v) { return v >= 0; },
     [](SMaterialSample& s, const double* v) { s.metallicityExponent = v[0]; }},
};

const SMaterialKeyword* FindMaterialKeyword(const std::string& name) {
  for (const SMaterialKeyword& keyword : kMaterialKeywords) {
    if (name == keyword.name) return &keyword;
  }
  return nullptr;
}

}  // namespace

std::string SMaterialSettings::Take(CStatement& statement, const std::string& keyword, bool* taken) {
  *taken = true;
  if (keyword == "flags") {
    long long value = 0;
    std::string error = statement.Integer(keyword, &value);
    if (error.empty() && (value < 0 || (value & ~int64_t(kFlagBits))))
      error = "\"flags\" takes the bits 0x1, 0x2, 0x4, 0x8, 0x10 and 0x20";
    hasFlags = true;
    flags = uint32_t(value);
    return error;
  }
  const SMaterialKeyword* found = FindMaterialKeyword(keyword);
  if (!found) {
    *taken = false;
    return "";
  }
  SSetting setting{found, {}};
  if (std::string error = statement.Numbers(keyword, found->count, setting.values); !error.empty()) return error;
  for (int i = 0; i < found->count; ++i) {
    if (!found->valid(setting.values[i])) return Quoted(keyword) + (found->count == 1 ? " " : " values ") + found->range;
  }
  settings.push_back(setting);
  return "";
}

int32_t SMaterialSettings::Apply(C3dMaterial* material) const {
  if (!material) return kErrObjectNotFound;
  CHolder holder(material, true, false);
  if (!holder.IsLocked()) return NonZeroError(material->GetError());
  SMaterialSample& sample = material->GetRecord().sample;
  for (const SSetting& setting : settings) setting.keyword->apply(sample, setting.values);
  if (hasFlags) sample.flags = (sample.flags & ~kFlagBits) | flags;
  C3dMaterial::UpdateRefraction(sample);
  return kNoErr;
}
