// The script of a press of the left button, shared by the tests that drag with the mouse.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The keys held, the pointer moved to (x, y) and pressed, the lines of `during` while the button is
// down, the release, `afterUp`, and the keys let go. Each line comes a while after the last, as a hand
// would give them, so that the press is handled before the rest arrives.
inline std::string PressScript(int32_t x, int32_t y, const std::string& during = "",
                               const std::vector<uint32_t>& keys = {}, const std::string& afterUp = "") {
  std::string script;
  for (uint32_t key : keys) script += "key " + std::to_string(key) + "\n";
  script += "move " + std::to_string(x) + " " + std::to_string(y) + "\ndown left\n";
  size_t line = 0;
  // The press reaches its handler through a loop step whose heartbeats each poll the input.
  const char* wait = "wait 50\n";
  while (line < during.size()) {
    const size_t end = during.find('\n', line);
    script += wait + during.substr(line, end - line) + "\n";
    wait = "wait 20\n";
    line = end == std::string::npos ? during.size() : end + 1;
  }
  script += "wait 20\nup left\n" + afterUp;
  for (uint32_t key : keys) script += "keyup " + std::to_string(key) + "\n";
  return script;
}
