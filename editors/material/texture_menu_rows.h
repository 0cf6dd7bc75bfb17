// The rows of the editors' menus of procedural textures: the library's stored textures, then the
// current document's own, each row's command a texture selection handle (document/texture_selection.h)
// and its text the texture's stored name (Mac OS Roman, as menus keep their texts).
#pragma once

#include <cstdint>
#include <string>

#include "framework/ui/menu.h"

class C3dBase;
class C3dTexture;
class CDocumentHost;
class CResourceEnv;

// A radio row of that text and command.
CMenuItem TextureMenuRow(const char* name, uint32_t command);
// The stored name at the start of a locked thing's record.
std::string StoredNameOf(C3dBase* thing);
// One row per stored 3D texture of the library, in its table's order: 0, 9 when the menu cannot
// grow, or the library's code (a library without 3D textures adds nothing).
int32_t AppendLibraryTextures(CResourceEnv* library, CMenu* menu);
// One row per procedural texture of the host's document but the sky's cloud layers; one named like a
// row before it takes that row's place. 0, or 9 when they cannot be listed or the menu cannot grow.
int32_t AppendDocumentTextures(CDocumentHost* host, CMenu* menu);
// The menu emptied and filled anew, the library's rows then the document's, and its platform menu
// rebuilt: 0 or the failing step's code.
int32_t FillTextureMenu(CMenu* menu, CResourceEnv* library, CDocumentHost* host);
// The first ready procedural texture in the slots of the host's material for new objects, or none;
// *error is 9 when the material cannot be locked.
C3dTexture* FirstMaterialTexture(CDocumentHost* host, int32_t* error);
