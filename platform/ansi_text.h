// The program's 8-bit texts are Windows-1252; GTK and the terminal speak UTF-8.
#pragma once

#include <string>

namespace platform {

std::string AnsiToUtf8(const std::string& ansi);
// Characters outside Windows-1252 become '?'; malformed bytes too. *exact tells whether none did.
std::string Utf8ToAnsi(const std::string& utf8, bool* exact = nullptr);

}  // namespace platform
