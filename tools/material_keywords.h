// What the text tools share of their statement syntax: a statement's words taken in order with each
// keyword at most once, numbers in C syntax, and the material keywords (colour, diffusion, ...,
// flags) read into settings that are applied to a material once it exists.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "framework/core/vector3.h"

class C3dMaterial;
struct SMaterialSample;

// The word in double quotes, as messages name it.
std::string Quoted(const std::string& word);
// A number read whole in C syntax: empty, or what is wrong with the word.
std::string ParseNumber(const std::string& word, double* out);

// The words of one statement, taken in order; each keyword at most once.
class CStatement {
 public:
  explicit CStatement(std::vector<std::string> words) : fWords(std::move(words)) {}

  const std::string& Head() const { return fWords[0]; }
  bool AtEnd() const { return fNext >= fWords.size(); }
  // The next word, or empty at the end.
  std::string Take() { return AtEnd() ? std::string() : fWords[fNext++]; }

  // The next keyword; an error for one given before.
  std::string TakeKeyword(std::string* keyword);
  // n numbers after a keyword.
  std::string Numbers(const std::string& keyword, int n, double* out);
  std::string Vector(const std::string& keyword, vector3<double>* out);
  // Three numbers from 0 to 1.
  std::string Colour(const std::string& keyword, vector3<double>* out);
  std::string Integer(const std::string& keyword, long long* out);

 private:
  std::vector<std::string> fWords;
  size_t fNext = 1;
  std::set<std::string> fSeen;
};

struct SMaterialKeyword;

// The material keywords of one statement, read and checked, applied once the material exists.
struct SMaterialSettings {
  // The surface bits the flags keyword takes.
  static constexpr uint32_t kFlagBits = 0x3F;

  struct SSetting {
    const SMaterialKeyword* keyword;
    double values[3];
  };
  std::vector<SSetting> settings;
  bool hasFlags = false;
  uint32_t flags = 0;

  // When keyword is a material keyword, its values are read and checked (*taken true); for any other
  // word the answer is empty and *taken false.
  std::string Take(CStatement& statement, const std::string& keyword, bool* taken);
  // Into the material's record, its refraction edge fields updated: 0, 6 without a material, or the
  // lock's error.
  int32_t Apply(C3dMaterial* material) const;
};
