// The indexed lists and element sets (.ixtx, .ixco, .ixim, .eset sources, res_compiler.h describes
// them) and the pieces of source syntax that every resource compiler shares. They need only the
// framework core, so the core's own tests make their fixtures with them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Lines without blanks and comments cut into words, "quoted texts" and 'four-character codes' (kept
// with their quotes).
struct SSourceLine {
  uint32_t number = 0;
  std::vector<std::string> tokens;
};
bool ReadSourceLines(const std::string& text, std::vector<SSourceLine>* lines, std::string* error);
// A source line cut into words and "quoted texts" (kept with their quotes); false with the reason
// when a quote is not closed.
bool SplitSourceLine(const std::string& text, std::vector<std::string>* tokens, std::string* error);
// 32-bit words: decimal or 0x-hex, negative ones as their pattern.
bool ParseSourceWord(const std::string& token, uint32_t* value);
// Numbers from 0 to 0xFFFFFFFF, decimal or 0x-hex.
bool ParseSourceNumber(const std::string& token, uint32_t* value);
// A quoted text with its escapes resolved, as stored (Windows-1252).
bool ReadQuotedText(const std::string& token, std::string* text, std::string* error);
// A stored text as a quoted text that ReadQuotedText reads back to the same bytes.
std::string QuotedText(const std::string& stored);
// "LINE: reason": how every source error reads before the caller puts the file's name in front.
std::string LineError(uint32_t line, const std::string& reason);

// "ixtx", "ixco", "ixim" and "eset".
bool IsIndexedListKind(const std::string& kind);
// kind: the source file's extension without its dot. Errors read "LINE: reason".
bool CompileIndexedList(const std::string& kind, const std::string& text, std::vector<uint8_t>* out,
                        std::string* error);
// An 'ixtx' list as .ixtx source that compiles back to the same bytes.
bool DecodeIxtx(const std::vector<uint8_t>& data, std::string* text, std::string* error);
