// The texture selection handle: the one 32-bit word that names a procedural texture where a menu row's
// command, a dialog's choice or a reply's payload word names one, whether the texture is a stored
// texture of the texture library or a texture of the document. A library texture is its resource id
// (below 0x80000000), a document texture 0x80000000 | its object id, and 0 names none. A pointer never
// travels in the word.
#pragma once

#include <cstdint>

class C3dBaseSys;
class C3dTexture;
class CBaseTexture;
class CResourceEnv;

inline constexpr uint32_t kDocumentTextureBit = 0x80000000;
inline constexpr uint32_t kNoTextureSelection = 0;

// The handle of a document texture of that object id, and of a library texture of that resource id.
constexpr uint32_t DocumentTextureSelection(uint32_t objectId) { return kDocumentTextureBit | objectId; }
constexpr uint32_t LibraryTextureSelection(uint32_t resourceId) { return resourceId & ~kDocumentTextureBit; }
constexpr bool IsDocumentTextureSelection(uint32_t handle) { return (handle & kDocumentTextureBit) != 0; }

// The handle of a texture: a stored texture (of the library) by its resource id, any other by its
// object id in the document.
uint32_t TextureSelectionOf(const CBaseTexture* texture);

// The texture a handle names, 0 with it in *out. A document handle names the ready 'txtr' 'qntx' thing of
// that id in the scene table, which the caller takes as it is; a library handle loads the stored
// texture of that id through CBaseTexture::FindOrCreate, which counts one use that the caller gives
// back (CBaseTexture::ReleaseUse) when it is done with it. *fromLibrary tells which. 6 for no handle, a
// document texture that is gone or a library id without a texture; else the library's or the table's
// code.
int32_t ResolveTextureSelection(uint32_t handle, CResourceEnv* library, C3dBaseSys* scene, CBaseTexture** out,
                                bool* fromLibrary = nullptr);
