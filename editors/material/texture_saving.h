// What both 3D texture editors do with an edited texture when the user names it: whether a row of
// their texture menu already stands for a texture of that stored name, the texture added to the
// current document under the name, and every document texture of the name overwritten by it. Names
// here are stored names (Mac OS Roman).
#pragma once

#include <cstdint>
#include <string>

class C3dTexture;
class CMenu;
class CResourceEnv;

// The full stored name of the texture a menu row's command stands for (the library's type-table name
// or the document texture's own name), not the row's shortened text; empty when it cannot be read.
std::string RowTextureName(uint32_t command, CResourceEnv* library);
// Sets *found when a row of the menu stands for a texture of exactly that name; never clears it. 0 or
// the menu's lock code.
int32_t MenuHasTextureName(CMenu* menu, CResourceEnv* library, const char* name, bool* found);
// The edited texture renamed, and a copy of it added to the current document, whose selection handle
// goes to *handle: 0, 1 without a usable texture or a name, 9 when a texture cannot be locked or
// copied, or the scene table's code.
int32_t SaveTextureAsNew(C3dTexture* edited, const char* name, uint32_t* handle);
// The edited texture renamed, and its record and name block copied over every document texture of that
// name, each prepared again; *handle becomes the first one's handle. When none has the name, a copy is
// added as SaveTextureAsNew does. 0, 1 or 9 as there, or the table's code.
int32_t ReplaceTexturesNamed(C3dTexture* edited, const char* name, uint32_t* handle);
