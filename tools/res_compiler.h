// The resource compiler: readable sources to the stored records of a resource file.
//
// Manifest, one resource a line: TYPE NUMBER NAME SOURCE-FILE (relative to the manifest unless it
// begins with "/"), NAME "-"
// for an unnamed resource or a "quoted text" for one with blanks; or layout FILE.layout, which adds
// the records of a .layout source (layout_source.h). The source's extension picks its compiler; any
// other extension stores the file's bytes as they are. Lines starting with # are comments everywhere.
//   .png   a picture, as an "ImageIV32ARGB" resource (ImageIV32ARGB 200 "left shadow" left.png),
//          decoded as png_picture.h says; "hotspot X Y" after the file is stored as its origin
//   .ttf   a TrueType font, as an "OutlineFont" resource (OutlineFont 128 sans DejaVuSans.ttf),
//          converted by the converter the tool installs (SetFontConverter)
//   .ixtx  optional first line "sets N"; then INDEX "TEXT" per line, indices ascending, a missing
//          index stored as an empty text; escapes \" \\ \n \t \xHH; sources are UTF-8 and stored as
//          Windows-1252 (a character outside it is an error)
//   .ixco  optional "sets N"; INDEX 0xHHHHHHHH per line (a missing index stores 0)
//   .ixim  optional "sets N"; INDEX (number N | name "NAME") [file | resource] per line, no index
//          missing
//   .eset  CLASS ID [description HEX-64-DIGITS] [place A B] [flags F] per line, in entry order
//   .canv  a canvas's layout record, one keyword a line, each once: frame TOP LEFT BOTTOM RIGHT
//          (required), flags F, position H V and size H V (fractions; default 0 0 and 1 1),
//          colour 0xAARRGGBB, options O (1 apply the colour, 2 show)
//   .elem  an element's layout record, the same way: name, window and canvas "TEXT", user A B C D,
//          set N and setname "TEXT" (its children's element set), file "TEXT" (its own resource
//          file), list N and listname "TEXT" (its callbacks' text list), rect TOP LEFT BOTTOM RIGHT,
//          layout F, position H V, size H V (fractions; default 1 1), origin H V, hotspot H V
//          (fractions), outsets TOPLEFT-H TOPLEFT-V BOTTOMRIGHT-H BOTTOMRIGHT-V, events MASK (default
//          0x10001), flags F; texts hold at most 31 characters
//   .imca  an image canvas's record: picture N and picturename "TEXT" (its backdrop picture), offset
//          X Y, flags F
//   .hoca  a host canvas's record: element N and elementname "TEXT" (its root's "elem" record),
//          layers N (default 3), flags F
//   .coel  a composite element's record: colour 0xAARRGGBB (the fill), list N, listname "TEXT" and
//          entry N (a colour list), filllayer N, shadow DX DY RADIUS, shadowopacity F, shadowlayer
//          N, opacity F, flags F; layers default to 1, the shadow to 12 12 16 at opacity 1, the
//          opacity to 1
//   .imel  an image element's record: picture N and picturename "TEXT" (its picture's record), list
//          N, listname "TEXT" and entry N (an image list), position H V, layer N, shadow DX DY
//          RADIUS, shadowopacity F, shadowlayer N, opacity F, flags F; defaults as for .coel
//   .rsel  a switcher's record: open "CHILD NAME"
//   .rmel  a remote element's record: list N, listname "TEXT" (its routine list), options BITS
//   .fost  a text style's record: font N or fontname "TEXT", matrix M0 M1 M2 M3 (default 12 0 0 12),
//          colour 0xAARRGGBB (default 0xFF000000), align H V, spacing S, lineheight L (default 1),
//          wrap W, flags F
//   .txel  a text element's record: text "TEXT" (63 characters at most), list N or listname "TEXT"
//          and index I (a text list), style N or stylename "TEXT", position H V (fractions),
//          textlayer N, shadow DX DY RADIUS, shadowopacity F, shadowlayer N, opacity F, flags F;
//          defaults as for .imel
//          Layout records are compiled in machine order and stored through the program's record
//          handler, which turns them big-endian.
//   .menu  a menu: its header and rows (tools/menu_source.h), stored through the menu's own handler
//   .qntx  a procedural 3D texture, as a "C3dTexture" resource (C3dTexture 128 Stratus stratus.qntx),
//          its recipe field by field (tools/texture_source.h), stored by the storer the tool installs
//          (SetTextureStorer)
// A list's entries are padded with empty ones to a whole number of sets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/res_lists.h"

class CResourceEnv;
struct SOutlineFontSource;
struct SSpoolKey;

struct SManifestEntry {
  std::string type;
  uint32_t number = 0;
  std::string name;    // empty for "-"
  std::string source;  // as written
  std::string path;    // the source's path, in the manifest's folder
  uint32_t line = 0;
  bool hotspot = false;  // of a picture: stored as its origin
  int32_t hotspotH = 0;
  int32_t hotspotV = 0;
};

// Errors read "LINE: reason" (the caller adds the file name in front).
bool ReadManifest(const std::string& text, std::vector<SManifestEntry>* entries, std::string* error);
// kind: the source file's extension without its dot.
bool CompileSource(const std::string& kind, const std::string& text, std::vector<uint8_t>* out, std::string* error);
// Stores compiled bytes under the key, through the record handler of the kind when it has one.
int32_t StoreCompiled(CResourceEnv& env, const SSpoolKey& key, const std::string& kind,
                      const std::vector<uint8_t>& bytes);

// Compiles the manifest, or one .layout source, into a new resource file at outPath: written beside
// it under a temporary name and moved over it only when every resource is in, so a failure leaves
// the old file alone.
// Needs an application with its environments. Errors read "FILE:LINE: reason" or "FILE: reason".
bool BuildResourceFile(const std::string& inputPath, const std::string& outPath, std::string* error);
// The manifest file's entries with their sources' paths. Errors read "FILE:LINE: reason" or
// "FILE: reason".
bool ReadManifestFile(const std::string& manifestPath, std::vector<SManifestEntry>* entries, std::string* error);
// Turns a font file into an outline font; false with the reason.
using FontConverter = bool (*)(const std::string& path, SOutlineFontSource* font, std::string* reason);
// The converter of .ttf sources, which only resbuild links; without one they are refused.
void SetFontConverter(FontConverter converter);
// Stores a .qntx source under the key; false with the reason. Only resbuild, which links the scene
// model, installs one; without it they are refused.
using TextureStorer = bool (*)(CResourceEnv& env, const SSpoolKey& key, const std::string& text, std::string* error);
void SetTextureStorer(TextureStorer storer);
// Compiles the manifest's resources into an open environment.
bool CompileManifest(CResourceEnv& env, const std::string& manifestPath, std::string* error);
