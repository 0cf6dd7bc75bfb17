#include "tools/res_compiler.h"

#include <bit>
#include <cctype>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <sstream>

#include "framework/core/byte_reader.h"
#include "framework/core/c_string.h"
#include "framework/core/file.h"
#include "framework/core/file_spec.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/canvas.h"
#include "framework/ui/co_element.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_canvas.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_canvas.h"
#include "framework/ui/im_element.h"
#include "framework/ui/rm_element.h"
#include "framework/ui/outline_font.h"
#include "framework/ui/rs_element.h"
#include "framework/ui/text_style.h"
#include "framework/ui/tx_element.h"
#include "platform/ansi_text.h"
#include "platform/file.h"
#include "framework/image/image.h"
#include "tools/command_line.h"
#include "tools/layout_source.h"
#include "tools/menu_source.h"
#include "tools/png_picture.h"
#include "tools/record_store.h"
#include "tools/res_store.h"

namespace {

constexpr char kLayoutLine[] = "layout";  // a manifest line that compiles a .layout file
constexpr char kTextureType[] = "C3dTexture";  // the type of the 3D textures of .qntx sources

// ---- layout records: one keyword a line, each once, compiled in machine order

void PutMachine32(std::vector<uint8_t>& out, size_t at, uint32_t value) { std::memcpy(out.data() + at, &value, 4); }

bool ParseFloat(const std::string& token, float* value) {
  if (token.empty()) return false;
  char* end = nullptr;
  const float v = std::strtof(token.c_str(), &end);
  if (*end != 0 || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

enum class EValue { kWord, kFloat, kText };

constexpr uint32_t kTextFieldBytes = 32;

struct SRecordField {
  const char* keyword;
  uint32_t offset;
  size_t values;
  EValue kind;
  uint32_t textBytes = kTextFieldBytes;  // a text's field, its terminator included
};

struct SRecordLayout {
  const char* tagAndVersion;
  uint32_t bytes;
  std::vector<SRecordField> fields;
  std::vector<std::pair<uint32_t, uint32_t>> defaults;  // (offset, word) before the source's values
  const char* required = nullptr;                      // a keyword the record cannot do without
  const char* missing = nullptr;                       // the error when it is missing
};

const uint32_t kFloatOne = std::bit_cast<uint32_t>(1.0f);

const SRecordLayout kCanvasLayout{
    "canv0100",
    CCanvas::kRecordBytes,
    {{"frame", CCanvas::kRecordFrame, 4, EValue::kWord},
     {"flags", CCanvas::kRecordFlags, 1, EValue::kWord},
     {"position", CCanvas::kRecordPosition, 2, EValue::kFloat},
     {"size", CCanvas::kRecordSize, 2, EValue::kFloat},
     {"colour", CCanvas::kRecordColor, 1, EValue::kWord},
     {"options", CCanvas::kRecordOptions, 1, EValue::kWord}},
    {{CCanvas::kRecordSize, kFloatOne}, {CCanvas::kRecordSize + 4, kFloatOne}},
    "frame",
    "a canvas record needs its frame"};

const SRecordLayout kElementLayout{
    "elem0100",
    CElement::kRecordBytes,
    {{"name", CElement::kRecordName, 1, EValue::kText},
     {"window", CElement::kRecordWindowName, 1, EValue::kText},
     {"canvas", CElement::kRecordCanvasName, 1, EValue::kText},
     {"user", CElement::kRecordUserWords, 4, EValue::kWord},
     {"set", CElement::kRecordSetNumber, 1, EValue::kWord},
     {"setname", CElement::kRecordSetName, 1, EValue::kText},
     {"file", CElement::kRecordFileName, 1, EValue::kText},
     {"list", CElement::kRecordListNumber, 1, EValue::kWord},
     {"listname", CElement::kRecordListName, 1, EValue::kText},
     {"rect", CElement::kRecordRect, 4, EValue::kWord},
     {"layout", CElement::kRecordLayoutFlags, 1, EValue::kWord},
     {"position", CElement::kRecordPosition, 2, EValue::kFloat},
     {"size", CElement::kRecordSize, 2, EValue::kFloat},
     {"origin", CElement::kRecordOrigin, 2, EValue::kWord},
     {"hotspot", CElement::kRecordHotSpot, 2, EValue::kFloat},
     {"outsets", CElement::kRecordTopLeftOutset, 4, EValue::kWord},
     {"events", CElement::kRecordEventMask, 1, EValue::kWord},
     {"flags", CElement::kRecordFlags, 1, EValue::kWord}},
    {{CElement::kRecordSize, kFloatOne},
     {CElement::kRecordSize + 4, kFloatOne},
     {CElement::kRecordEventMask, CElement::kDefaultEventMask}}};

const SRecordLayout kSwitcherLayout{
    "rsel0100", CRsElement::kSwitcherRecordBytes, {{"open", CRsElement::kSwitcherChildName, 1, EValue::kText}}, {}};

const SRecordLayout kRemoteLayout{"rmel0100",
                                  CRmElement::kRemoteRecordBytes,
                                  {{"list", CRmElement::kRemoteListNumber, 1, EValue::kWord},
                                   {"listname", CRmElement::kRemoteListName, 1, EValue::kText},
                                   {"options", CRmElement::kRemoteOptions, 1, EValue::kWord}},
                                  {}};

// The elements' records default to the elements' own defaults: fill, picture and shadows in pass 1, a
// shadow of (12, 12) and radius 16, full opacity.
const SRecordLayout kCompositeLayout{"coel0100",
                                     CCoElement::kRecordBytes,
                                     {{"colour", CCoElement::kRecordFillColor, 1, EValue::kWord},
                                      {"list", CCoElement::kRecordListNumber, 1, EValue::kWord},
                                      {"listname", CCoElement::kRecordListName, 1, EValue::kText},
                                      {"entry", CCoElement::kRecordListEntry, 1, EValue::kWord},
                                      {"filllayer", CCoElement::kRecordFillLayer, 1, EValue::kWord},
                                      {"shadow", CCoElement::kRecordShadow, 3, EValue::kWord},
                                      {"shadowopacity", CCoElement::kRecordShadow + 12, 1, EValue::kFloat},
                                      {"shadowlayer", CCoElement::kRecordShadowLayer, 1, EValue::kWord},
                                      {"opacity", CCoElement::kRecordOpacity, 1, EValue::kFloat},
                                      {"flags", CCoElement::kRecordFlags, 1, EValue::kWord}},
                                     {{CCoElement::kRecordFillLayer, 1},
                                      {CCoElement::kRecordShadow, 12},
                                      {CCoElement::kRecordShadow + 4, 12},
                                      {CCoElement::kRecordShadow + 8, 16},
                                      {CCoElement::kRecordShadow + 12, kFloatOne},
                                      {CCoElement::kRecordShadowLayer, 1},
                                      {CCoElement::kRecordOpacity, kFloatOne}}};

const SRecordLayout kImageElementLayout{"imel0100",
                                        CImElement::kRecordBytes,
                                        {{"picture", CImElement::kRecordImageNumber, 1, EValue::kWord},
                                         {"picturename", CImElement::kRecordImageName, 1, EValue::kText},
                                         {"list", CImElement::kRecordListNumber, 1, EValue::kWord},
                                         {"listname", CImElement::kRecordListName, 1, EValue::kText},
                                         {"entry", CImElement::kRecordListEntry, 1, EValue::kWord},
                                         {"position", CImElement::kRecordPosition, 2, EValue::kWord},
                                         {"layer", CImElement::kRecordImageLayer, 1, EValue::kWord},
                                         {"shadow", CImElement::kRecordShadow, 3, EValue::kWord},
                                         {"shadowopacity", CImElement::kRecordShadow + 12, 1, EValue::kFloat},
                                         {"shadowlayer", CImElement::kRecordShadowLayer, 1, EValue::kWord},
                                         {"opacity", CImElement::kRecordOpacity, 1, EValue::kFloat},
                                         {"flags", CImElement::kRecordFlags, 1, EValue::kWord}},
                                        {{CImElement::kRecordImageLayer, 1},
                                         {CImElement::kRecordShadow, 12},
                                         {CImElement::kRecordShadow + 4, 12},
                                         {CImElement::kRecordShadow + 8, 16},
                                         {CImElement::kRecordShadow + 12, kFloatOne},
                                         {CImElement::kRecordShadowLayer, 1},
                                         {CImElement::kRecordOpacity, kFloatOne}}};

const SRecordLayout kHostCanvasLayout{"hoca0100",
                                      CHoCanvas::kRecordBytes,
                                      {{"element", CHoCanvas::kRecordElementId, 1, EValue::kWord},
                                       {"elementname", CHoCanvas::kRecordElementName, 1, EValue::kText},
                                       {"layers", CHoCanvas::kRecordLayers, 1, EValue::kWord},
                                       {"flags", CHoCanvas::kRecordFlags, 1, EValue::kWord}},
                                      {{CHoCanvas::kRecordLayers, CHoElement::kDefaultLayers}}};

const SRecordLayout kImageCanvasLayout{"imca0100",
                                       CImCanvas::kImageRecordBytes,
                                       {{"picture", CImCanvas::kRecordImageId, 1, EValue::kWord},
                                        {"picturename", CImCanvas::kRecordImageName, 1, EValue::kText},
                                        {"offset", CImCanvas::kRecordOffset, 2, EValue::kWord},
                                        {"flags", CImCanvas::kRecordImageFlags, 1, EValue::kWord}},
                                       {}};

// A text style's record, in the style's own defaults: 12-pixel black text, lines one em apart.
const SRecordLayout kStyleLayout{"fost0100",
                                 STextStyle::kRecordBytes,
                                 {{"font", STextStyle::kRecordFontNumber, 1, EValue::kWord},
                                  {"fontname", STextStyle::kRecordFontName, 1, EValue::kText},
                                  {"matrix", STextStyle::kRecordMatrix, 4, EValue::kFloat},
                                  {"colour", STextStyle::kRecordColour, 1, EValue::kWord},
                                  {"align", STextStyle::kRecordAlignH, 2, EValue::kFloat},
                                  {"spacing", STextStyle::kRecordSpacing, 1, EValue::kFloat},
                                  {"lineheight", STextStyle::kRecordLineHeight, 1, EValue::kFloat},
                                  {"wrap", STextStyle::kRecordWrapWidth, 1, EValue::kWord},
                                  {"flags", STextStyle::kRecordFlags, 1, EValue::kWord}},
                                 {{STextStyle::kRecordMatrix, std::bit_cast<uint32_t>(12.0f)},
                                  {STextStyle::kRecordMatrix + 12, std::bit_cast<uint32_t>(12.0f)},
                                  {STextStyle::kRecordColour, 0xFF000000},
                                  {STextStyle::kRecordLineHeight, kFloatOne}}};

const SRecordLayout kTextElementLayout{"txel0100",
                                       CTxElement::kRecordBytes,
                                       {{"text", CTxElement::kRecordText, 1, EValue::kText, CTxElement::kInlineTextBytes},
                                        {"list", CTxElement::kRecordListNumber, 1, EValue::kWord},
                                        {"listname", CTxElement::kRecordListName, 1, EValue::kText},
                                        {"index", CTxElement::kRecordListIndex, 1, EValue::kWord},
                                        {"style", CTxElement::kRecordStyleNumber, 1, EValue::kWord},
                                        {"stylename", CTxElement::kRecordStyleName, 1, EValue::kText},
                                        {"position", CTxElement::kRecordPosition, 2, EValue::kFloat},
                                        {"textlayer", CTxElement::kRecordTextLayer, 1, EValue::kWord},
                                        {"shadow", CTxElement::kRecordShadow, 3, EValue::kWord},
                                        {"shadowopacity", CTxElement::kRecordShadow + 12, 1, EValue::kFloat},
                                        {"shadowlayer", CTxElement::kRecordShadowLayer, 1, EValue::kWord},
                                        {"opacity", CTxElement::kRecordOpacity, 1, EValue::kFloat},
                                        {"flags", CTxElement::kRecordFlags, 1, EValue::kWord}},
                                       {{CTxElement::kRecordTextLayer, 1},
                                        {CTxElement::kRecordShadow, 12},
                                        {CTxElement::kRecordShadow + 4, 12},
                                        {CTxElement::kRecordShadow + 8, 16},
                                        {CTxElement::kRecordShadow + 12, kFloatOne},
                                        {CTxElement::kRecordShadowLayer, 1},
                                        {CTxElement::kRecordOpacity, kFloatOne}}};

bool PutValue(const SRecordField& field, size_t i, const std::string& token, std::vector<uint8_t>& record,
              std::string* reason) {
  const uint32_t at = field.offset + uint32_t(4 * i);
  switch (field.kind) {
    case EValue::kWord: {
      uint32_t word = 0;
      if (!ParseSourceWord(token, &word)) break;
      PutMachine32(record, at, word);
      return true;
    }
    case EValue::kFloat: {
      float value = 0;
      if (!ParseFloat(token, &value)) break;
      PutMachine32(record, at, std::bit_cast<uint32_t>(value));
      return true;
    }
    case EValue::kText: {
      std::string text;
      if (!ReadQuotedText(token, &text, reason)) return false;
      if (text.size() >= field.textBytes) {
        *reason = std::string(field.keyword) + " holds at most " + std::to_string(field.textBytes - 1) + " characters";
        return false;
      }
      std::copy(text.begin(), text.end(), record.begin() + field.offset);
      return true;
    }
  }
  *reason = "expected a " + std::string(field.kind == EValue::kFloat ? "number" : "32-bit value") + ", found " + token;
  return false;
}

bool CompileLayoutRecord(const SRecordLayout& layout, const std::string& text, std::vector<uint8_t>* out,
                         std::string* error) {
  std::vector<SSourceLine> lines;
  if (!ReadSourceLines(text, &lines, error)) return false;
  std::vector<uint8_t> record(layout.bytes, 0);
  std::copy(layout.tagAndVersion, layout.tagAndVersion + 8, record.begin());
  for (const auto& [at, word] : layout.defaults) PutMachine32(record, at, word);
  std::vector<bool> seen(layout.fields.size(), false);
  for (const SSourceLine& line : lines) {
    const auto& t = line.tokens;
    size_t which = layout.fields.size();
    for (size_t f = 0; f < layout.fields.size(); ++f) {
      if (t[0] == layout.fields[f].keyword) which = f;
    }
    if (which == layout.fields.size()) {
      *error = LineError(line.number, "unexpected " + t[0]);
      return false;
    }
    const SRecordField& field = layout.fields[which];
    if (seen[which] || t.size() != field.values + 1) {
      *error = LineError(line.number, std::string(field.keyword) + " takes " + std::to_string(field.values) +
                                   (field.values == 1 ? " value" : " values") + ", once");
      return false;
    }
    seen[which] = true;
    for (size_t i = 0; i < field.values; ++i) {
      std::string reason;
      if (!PutValue(field, i, t[i + 1], record, &reason)) {
        *error = LineError(line.number, reason);
        return false;
      }
    }
  }
  if (layout.required) {
    for (size_t f = 0; f < layout.fields.size(); ++f) {
      if (!seen[f] && std::strcmp(layout.fields[f].keyword, layout.required) == 0) {
        *error = layout.missing;
        return false;
      }
    }
  }
  *out = record;
  return true;
}

// The layout records' sources and the program's handlers that store them in their stored order.
struct SLayoutKind {
  const char* kind;
  const SRecordLayout* layout;
  SpoolTypeHandler handler;
};
const SLayoutKind kLayoutKinds[] = {
    {"canv", &kCanvasLayout, &CCanvas::HandleRecord},
    {"imca", &kImageCanvasLayout, &CImCanvas::HandleImageRecord},
    {"hoca", &kHostCanvasLayout, &CHoCanvas::HocaRecordTypeHandler},
    {"elem", &kElementLayout, &CElement::HandleRecordMessage},
    {"coel", &kCompositeLayout, &CoelRecordHandler},
    {"imel", &kImageElementLayout, &ImelRecordHandler},
    {"rsel", &kSwitcherLayout, &CRsElement::HandleRecordMessage},
    {"rmel", &kRemoteLayout, &CRmElement::HandleSpoolMessage},
    {"fost", &kStyleLayout, &StyleRecordHandler},
    {"txel", &kTextElementLayout, &TextElementRecordHandler},
};

const SLayoutKind* LayoutKind(const std::string& kind) {
  for (const SLayoutKind& k : kLayoutKinds) {
    if (kind == k.kind) return &k;
  }
  return nullptr;
}

bool IsListKind(const std::string& kind) { return IsIndexedListKind(kind) || kind == "menu" || LayoutKind(kind); }

// The record handler that stores a kind's records: layout records are compiled in machine order and
// turned into their stored order by the program's own handler.
SpoolTypeHandler HandlerFor(const std::string& kind) {
  const SLayoutKind* layout = LayoutKind(kind);
  return layout ? layout->handler : nullptr;
}

// ---- decoding

std::string Extension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? std::string() : path.substr(dot + 1);
}

}  // namespace

bool ReadManifest(const std::string& text, std::vector<SManifestEntry>* entries, std::string* error) {
  std::vector<SSourceLine> lines;
  if (!ReadSourceLines(text, &lines, error)) return false;
  for (const SSourceLine& line : lines) {
    const auto& t = line.tokens;
    SManifestEntry entry;
    entry.line = line.number;
    if (t.size() == 2 && t[0] == kLayoutLine) {
      entry.type = kLayoutLine;
      entry.source = t[1];
      entries->push_back(entry);
      continue;
    }
    const bool hotspot = t.size() == 7 && t[4] == "hotspot";
    if (t.size() != 4 && !hotspot) {
      *error = LineError(line.number, "expected TYPE NUMBER NAME SOURCE-FILE [hotspot X Y] or layout FILE.layout");
      return false;
    }
    bool exact = true;
    std::string reason;
    entry.type = platform::Utf8ToAnsi(t[0], &exact);
    if (t[2].front() == '"') {
      if (!ReadQuotedText(t[2], &entry.name, &reason)) {
        *error = LineError(line.number, reason);
        return false;
      }
    } else if (t[2] != "-") {
      entry.name = platform::Utf8ToAnsi(t[2], &exact);
    }
    entry.source = t[3];
    if (!exact) {
      *error = LineError(line.number, "the type or name holds a character outside Windows-1252");
      return false;
    }
    if (entry.type.size() > 15 || entry.name.size() > 31) {
      *error = LineError(line.number, "a type holds at most 15 characters and a name at most 31");
      return false;
    }
    if (!ParseSourceNumber(t[1], &entry.number)) {
      *error = LineError(line.number, "expected a resource number, found " + t[1]);
      return false;
    }
    if (hotspot) {
      uint32_t h = 0, v = 0;
      if (!ParseSourceWord(t[5], &h) || !ParseSourceWord(t[6], &v)) {
        *error = LineError(line.number, "expected hotspot X Y");
        return false;
      }
      entry.hotspot = true;
      entry.hotspotH = int32_t(h);
      entry.hotspotV = int32_t(v);
    }
    entries->push_back(entry);
  }
  return true;
}

bool CompileSource(const std::string& kind, const std::string& text, std::vector<uint8_t>* out, std::string* error) {
  if (IsIndexedListKind(kind)) return CompileIndexedList(kind, text, out, error);
  if (kind == "menu") return CompileMenu(text, out, error);
  if (const SLayoutKind* layout = LayoutKind(kind)) return CompileLayoutRecord(*layout->layout, text, out, error);
  out->assign(text.begin(), text.end());
  return true;
}

int32_t StoreCompiled(CResourceEnv& env, const SSpoolKey& key, const std::string& kind,
                      const std::vector<uint8_t>& bytes) {
  if (kind == "menu") return StoreMenu(env, key, bytes);
  return StoreResource(env, key, bytes, HandlerFor(kind));
}

bool ReadManifestFile(const std::string& manifestPath, std::vector<SManifestEntry>* entries, std::string* error) {
  std::string manifest;
  if (const std::string problem = ReadInputFile(manifestPath, &manifest); !problem.empty()) {
    *error = manifestPath + ": " + problem;
    return false;
  }
  std::string reason;
  if (!ReadManifest(manifest, entries, &reason)) {
    *error = manifestPath + ":" + reason;
    return false;
  }
  const std::string folder = platform::FolderOf(manifestPath);
  for (SManifestEntry& e : *entries) e.path = e.source.front() == '/' ? e.source : folder + "/" + e.source;
  return true;
}

namespace {

// A manifest's picture: a PNG stored as a 32-bit picture, its hot spot as its origin.
bool StorePngPicture(CResourceEnv& env, const SManifestEntry& e, const std::string& where, std::string* error) {
  if (Extension(e.source) != "png" || e.type != kImageType) {
    *error = where + "pictures come from .png sources as '" + kImageType + "' resources";
    return false;
  }
  SPngPicture picture;
  std::string reason;
  if (!ReadPngPicture(e.path, &picture, &reason)) {
    *error = where + e.source + " " + reason;
    return false;
  }
  SSpoolKey key;
  key.Set(kImageType, e.number, false);
  CopyCString(key.name, e.name.c_str(), sizeof key.name);
  if (const int32_t err =
          StorePicture(env, key, picture.width, picture.height, picture.pixels, e.hotspotH, e.hotspotV)) {
    *error = where + ResultWords(err);
    return false;
  }
  return true;
}

FontConverter gFontConverter = nullptr;

// A manifest's font: a TrueType file converted into an outline font.
bool StoreConvertedFont(CResourceEnv& env, const SManifestEntry& e, const std::string& where, std::string* error) {
  if (e.type != kOutlineFontType) {
    *error = where + "fonts come from .ttf sources as '" + kOutlineFontType + "' resources";
    return false;
  }
  if (!gFontConverter) {
    *error = where + e.source + ": this tool does not convert fonts";
    return false;
  }
  SOutlineFontSource font;
  std::string reason;
  if (!gFontConverter(e.path, &font, &reason)) {
    *error = where + e.source + ": " + reason;
    return false;
  }
  SSpoolKey key;
  key.Set(kOutlineFontType, e.number, false);
  CopyCString(key.name, e.name.c_str(), sizeof key.name);
  if (const int32_t err = StoreOutlineFont(env, key, font)) {
    *error = where + ResultWords(err);
    return false;
  }
  return true;
}

TextureStorer gTextureStorer = nullptr;

// A manifest's 3D texture: its recipe stored as the texture's own record.
bool StoreTexture(CResourceEnv& env, const SManifestEntry& e, const std::string& where, std::string* error) {
  if (e.type != kTextureType) {
    *error = where + "textures come from .qntx sources as '" + kTextureType + "' resources";
    return false;
  }
  if (!gTextureStorer) {
    *error = where + e.source + ": this tool does not store textures";
    return false;
  }
  std::string source, reason;
  if (const std::string problem = ReadInputFile(e.path, &source); !problem.empty()) {
    *error = where + e.source + ": " + problem;
    return false;
  }
  SSpoolKey key;
  key.Set(kTextureType, e.number, false);
  CopyCString(key.name, e.name.c_str(), sizeof key.name);
  if (!gTextureStorer(env, key, source, &reason)) {
    *error = e.path + ":" + reason;
    return false;
  }
  return true;
}

}  // namespace

void SetFontConverter(FontConverter converter) { gFontConverter = converter; }
void SetTextureStorer(TextureStorer storer) { gTextureStorer = storer; }

bool CompileManifest(CResourceEnv& env, const std::string& manifestPath, std::string* error) {
  std::vector<SManifestEntry> entries;
  if (!ReadManifestFile(manifestPath, &entries, error)) return false;
  std::string reason;
  for (const SManifestEntry& e : entries) {
    const std::string where = manifestPath + ":" + std::to_string(e.line) + ": ";
    const std::string& path = e.path;
    const std::string kind = Extension(e.source);
    if (e.type == kLayoutLine) {
      if (!CompileLayoutFile(env, path, error)) return false;
      continue;
    }
    if (IsListKind(kind) && kind != e.type) {
      *error = where + "a ." + kind + " source makes '" + kind + "' resources, not '" + e.type + "'";
      return false;
    }
    if (kind == "png" || e.hotspot) {
      if (!StorePngPicture(env, e, where, error)) return false;
      continue;
    }
    if (kind == "ttf") {
      if (!StoreConvertedFont(env, e, where, error)) return false;
      continue;
    }
    if (kind == "qntx") {
      if (!StoreTexture(env, e, where, error)) return false;
      continue;
    }
    std::string source;
    if (const std::string problem = ReadInputFile(path, &source); !problem.empty()) {
      *error = where + e.source + ": " + problem;
      return false;
    }
    std::vector<uint8_t> bytes;
    if (!CompileSource(kind, source, &bytes, &reason)) {
      *error = path + ":" + reason;
      return false;
    }
    SSpoolKey key;
    key.Set(e.type.c_str(), e.number, false);
    CopyCString(key.name, e.name.c_str(), sizeof key.name);
    if (const int32_t err = StoreCompiled(env, key, kind, bytes)) {
      *error = where + ResultWords(err);
      return false;
    }
  }
  return true;
}

bool BuildResourceFile(const std::string& inputPath, const std::string& outPath, std::string* error) {
  CFileSpec target, temporary;
  int32_t err = target.Set(outPath.c_str());
  if (!err) err = CFileSpec::MakeTempBeside(target, temporary);
  if (err) {
    *error = outPath + ": " + FileProblem(outPath, err);
    return false;
  }
  bool built = false;
  {
    std::unique_ptr<CResourceEnv> env(new CResourceEnv(temporary, CFile::kModeReadWrite));
    if (!env || !env->IsOpen()) {
      err = env ? env->GetLastResult() : kErrOutOfMemory;
      *error = std::string(temporary.GetPath()) + ": " + FileProblem(temporary.GetPath(), err);
    } else {
      built = HasExtension(inputPath, ".layout") ? CompileLayoutFile(*env, inputPath, error)
                                                 : CompileManifest(*env, inputPath, error);
    }
  }
  if (built && !platform::ReplaceFile(temporary.GetPath(), target.GetPath())) {
    err = MapLastError();
    *error = outPath + ": " + FileProblem(outPath, err);
    built = false;
  }
  if (!built) platform::DeleteFile(temporary.GetPath());
  return built;
}
