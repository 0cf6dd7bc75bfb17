// Stored records printed back as the sources that make them: text styles as a .layout "style"
// block, text elements' "txel" records as the properties of a .layout txel element, and outline
// fonts, which only a manifest line makes, as a description of their record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A "fost" record (as stored, big-endian) as `style NAME { ... }`; false with the reason when it is no
// style record.
bool DecodeStyle(const std::vector<uint8_t>& stored, const std::string& name, uint32_t number, std::string* text,
                 std::string* error);
// A "txel" record as the property lines of a txel element, each indented by four blanks.
bool DecodeTextElement(const std::vector<uint8_t>& stored, std::string* text, std::string* error);
// An "outf" record as "glyphs G points P box TOP LEFT BOTTOM RIGHT single-byte|double-byte".
bool DescribeOutlineFont(const std::vector<uint8_t>& record, std::string* text, std::string* error);
