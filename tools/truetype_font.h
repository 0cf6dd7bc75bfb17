// TrueType fonts converted through FreeType into the program's outline fonts: the glyphs of the
// Windows-1252 characters, their outlines unscaled (composites flattened) in ems, the vertical axis
// turned downwards, each contour starting at a point on the curve. Glyph 0 stays the empty glyph,
// which the control codes, the five codes Windows-1252 leaves undefined and characters the font lacks
// read; glyphs without an outline (the space) keep their advance and one point at the origin. Only
// resbuild and the tests that compare with FreeType link this.
#pragma once

#include <string>

struct SOutlineFontSource;

// False with the reason when FreeType cannot open the file or it holds no usable outlines.
bool ConvertTrueTypeFont(const std::string& path, SOutlineFontSource* font, std::string* reason);
