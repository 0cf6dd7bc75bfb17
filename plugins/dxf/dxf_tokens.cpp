#include "plugins/dxf/dxf_tokens.h"

#include <array>
#include <cstring>

namespace {

struct SKeyword {
  const char* text;
  int32_t token;
};

constexpr SKeyword kGroupCodes[] = {
    {"0", kCode0},     {"1", kCode1},     {"2", kCode2},     {"3", kCode3},     {"4", kCode4},
    {"5", kCode5},     {"6", kCode6},     {"7", kCode7},     {"8", kCode8},     {"9", kCode9},
    {"10", kCode10},   {"11", kCode11},   {"12", kCode12},   {"13", kCode13},   {"14", kCode14},
    {"15", kCode15},   {"16", kCode16},   {"20", kCode20},   {"21", kCode21},   {"22", kCode22},
    {"23", kCode23},   {"24", kCode24},   {"25", kCode25},   {"26", kCode26},   {"30", kCode30},
    {"31", kCode31},   {"32", kCode32},   {"33", kCode33},   {"34", kCode34},   {"35", kCode35},
    {"36", kCode36},   {"38", kCode38},   {"39", kCode39},   {"40", kCode40},   {"41", kCode41},
    {"42", kCode42},   {"43", kCode43},   {"44", kCode44},   {"45", kCode45},   {"49", kCode49},
    {"50", kCode50},   {"51", kCode51},   {"52", kCode52},   {"53", kCode53},   {"62", kCode62},
    {"66", kCode66},   {"67", kCode67},   {"68", kCode68},   {"69", kCode69},   {"70", kCode70},
    {"71", kCode71},   {"72", kCode72},   {"73", kCode73},   {"74", kCode74},   {"75", kCode75},
    {"210", kCode210}, {"220", kCode220}, {"230", kCode230}, {"999", kCode999},
};

constexpr SKeyword kKeywords[] = {
    {"$EXTMAX", kTokenExtmax},     {"$EXTMIN", kTokenExtmin},   {"$LIMMAX", kTokenLimmax},
    {"$LIMMIN", kTokenLimmin},     {"$LTSCALE", kTokenLtscale}, {"$MENU", kTokenMenu},
    {"3DFACE", kToken3dFace},      {"3DLINE", kToken3dLine},    {"ARC", kTokenArc},
    {"ATTDEF", kTokenAttdef},      {"ATTRIB", kTokenAttrib},    {"BADTAG", kTokenEnd},
    {"BLOCK", kTokenBlock},        {"BLOCKS", kTokenBlocks},    {"CIRCLE", kTokenCircle},
    {"DIMENSION", kTokenDimension}, {"ENDBLK", kTokenEndblk},   {"ENDSEC", kTokenEndsec},
    {"ENDTAB", kTokenEndtab},      {"ENTITIES", kTokenEntities}, {"EOF", kTokenEof},
    {"EOFILE", kTokenEof},         {"HEADER", kTokenHeader},    {"INSERT", kTokenInsert},
    {"LAYER", kTokenLayer},        {"LINE", kTokenLine},        {"LTYPE", kTokenLtype},
    {"POINT", kTokenPoint},        {"POLYLINE", kTokenPolyline}, {"SECTION", kTokenSection},
    {"SEQEND", kTokenSeqend},      {"SHAPE", kTokenShape},      {"SOLID", kTokenSolid},
    {"STYLE", kTokenStyle},        {"TABLE", kTokenTable},      {"TABLES", kTokenTables},
    {"TEXT", kTokenText},          {"TRACE", kTokenTrace},      {"VERTEX", kTokenVertex},
    {"VIEW", kTokenView},          {"VIEWPORT", kTokenViewport},
};

constexpr bool IsTrailingSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Group codes of up to three digits index a table; "00" and "010" are not codes.
constexpr std::array<int32_t, 1000> MakeCodeTable() {
  std::array<int32_t, 1000> table{};
  for (int32_t& token : table) token = kTokenUnknown;
  for (const SKeyword& code : kGroupCodes) {
    int32_t number = 0;
    for (const char* c = code.text; *c; ++c) number = number * 10 + (*c - '0');
    table[size_t(number)] = code.token;
  }
  return table;
}

constexpr std::array<int32_t, 1000> kCodeTable = MakeCodeTable();

bool IsNumber(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

int32_t ClassifyCode(const char* text, size_t length) {
  if (length > 3 || (length > 1 && text[0] == '0')) return kTokenUnknown;
  int32_t number = 0;
  for (size_t i = 0; i < length; ++i) number = number * 10 + (text[i] - '0');
  return kCodeTable[size_t(number)];
}

}  // namespace

int32_t Classify(const char* text) {
  size_t length = std::strlen(text);
  while (length > 0 && IsTrailingSpace(text[length - 1])) --length;
  if (length == 0) return kTokenEmpty;
  if (IsNumber(text, length)) return ClassifyCode(text, length);
  for (const SKeyword& keyword : kKeywords) {
    if (std::strlen(keyword.text) == length && std::memcmp(keyword.text, text, length) == 0) return keyword.token;
  }
  return kTokenUnknown;
}
