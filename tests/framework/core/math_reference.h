// Reference values printed by math_reference.py, run once per test program.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// The rows of one kind ("log2", "rgb_hls", ...): the arguments followed by the expected results.
inline const std::vector<std::vector<double>>& MathReference(const std::string& kind) {
  static const std::map<std::string, std::vector<std::vector<double>>> rows = [] {
    std::map<std::string, std::vector<std::vector<double>>> byKind;
    const std::string command = "'" QUARN2_PYTHON "' '" QUARN2_MATH_REFERENCE "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return byKind;
    std::string text;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    if (pclose(pipe) != 0) return decltype(byKind){};

    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      std::istringstream fields(line);
      std::string name, field;
      fields >> name;
      std::vector<double> values;
      while (fields >> field) values.push_back(std::strtod(field.c_str(), nullptr));
      byKind[name].push_back(values);
    }
    return byKind;
  }();
  static const std::vector<std::vector<double>> none;
  const auto found = rows.find(kind);
  if (found == rows.end()) {
    ADD_FAILURE() << "no reference values of kind " << kind << " from " QUARN2_MATH_REFERENCE;
    return none;
  }
  return found->second;
}
