// Messages built from texts that may come from resources: only the expected directive is filled in,
// so a translated text with another directive can never read arguments that are not there.
#pragma once

#include <cstdint>
#include <string>

// Puts code, as a signed decimal, in place of the first "%d"; "%%" gives "%"; every other % sequence
// is copied as it stands.
std::string FormatText(const std::string& pattern, int32_t code);
