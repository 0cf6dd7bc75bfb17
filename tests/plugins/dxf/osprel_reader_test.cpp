// The DXF reader: lines, their tokens and the values on them, and what the section readers pass over.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "plugins/dxf/dxf_errors.h"
#include "plugins/dxf/dxf_line_reader.h"
#include "plugins/dxf/dxf_tokens.h"
#include "tests/plugins/dxf/osprel_fixture.h"

namespace osprel_test {
namespace {

// The lines a reader gives for the text, and the error it ends with.
std::pair<std::vector<std::string>, int32_t> Lines(std::string text) {
  FILE* file = fmemopen(text.data(), text.size(), "rb");
  int32_t error = kDxfFine;
  SLineReader reader{};
  reader.file = file;
  reader.error = &error;
  std::vector<std::string> lines;
  while (ReadLine(reader)) lines.emplace_back(reader.line);
  std::fclose(file);
  return {lines, error};
}

TEST(DxfReader, LinesOfEveryEndingReadAlike) {
  const std::vector<std::string> expected = {"0\n", "SECTION\n", "\n", "x y \n"};
  for (const char* text : {"0\nSECTION\n\n x y \n", "0\r\nSECTION\r\n\r\n x y \r\n", "0\rSECTION\r\r\t x y \r"}) {
    const auto [lines, error] = Lines(text);
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(error, kDxfEndOfFile);
  }
}

TEST(DxfReader, LinesAreCutAt255Characters) {
  const std::string longLine(300, 'a');
  const auto [lines, error] = Lines(longLine + "\nEOF\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(255, 'a'));
  EXPECT_EQ(lines[1], std::string(45, 'a') + "\n");
  EXPECT_EQ(lines[2], "EOF\n");
  // Leading blanks count towards the 255.
  const auto [indented, _] = Lines(std::string(10, ' ') + longLine + "\n");
  EXPECT_EQ(indented[0], std::string(245, 'a'));
}

TEST(DxfReader, TheLastLineNeedsNoLineEnd) {
  EXPECT_EQ(Lines("0\nEOF").first, (std::vector<std::string>{"0\n", "EOF"}));
  EXPECT_EQ(Lines("0\nEOF\n  ").first, (std::vector<std::string>{"0\n", "EOF\n"})) << "blanks are no line";
  EXPECT_TRUE(Lines("").first.empty());
}

TEST(DxfReader, Tokens) {
  const struct {
    const char* text;
    int32_t token;
  } cases[] = {
      {"0", kCode0},         {"0  \t", kCode0},     {"00", kTokenUnknown},  {"010", kTokenUnknown},
      {"10", kCode10},       {"230", kCode230},     {"999", kCode999},      {"100", kTokenUnknown},
      {"1001", kTokenUnknown}, {"", kTokenEmpty},   {" \n", kTokenEmpty},  {"SECTION", kTokenSection},
      {"section", kTokenUnknown}, {"3DFACE", kToken3dFace}, {"EOFILE", kTokenEof}, {"BADTAG", kTokenEnd},
      {"$EXTMIN", kTokenExtmin}, {"LINE ", kTokenLine}, {"LINEX", kTokenUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(Classify(c.text), c.token) << '"' << c.text << '"';
}

TEST(DxfReader, NumbersIgnoreTheLocale) {
  const struct {
    const char* text;
    double real;
    int32_t integer;
  } cases[] = {
      {"1.5", 1.5, 1},    {"-2.25e1", -22.5, -2}, {"+3", 3, 3},          {"12abc", 12, 12},
      {"abc", 0, 0},      {"", 0, 0},             {"1e999", 0, 1}, {"-99999999999", -99999999999.0, INT32_MIN},
      {"nan", 0, 0},
  };
  const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  for (const auto& c : cases) {
    EXPECT_EQ(ParseReal(c.text), c.real) << c.text;
    EXPECT_EQ(ParseInteger(c.text), c.integer) << c.text;
  }
  if (previous) std::setlocale(LC_NUMERIC, "C");
}

using OsprelReaderTest = COsprelTest;

// Line ends change the file positions of the progress reports and nothing else.
TEST_F(OsprelReaderTest, CarriageReturnsChangeNothing) {
  std::ifstream in(Fixture("circle"), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(text.empty());
  ASSERT_EQ(Import(Write(text)), 0);
  const auto expected = fHost.SlotsWithoutProgress();
  const auto expectedTriangles = fHost.AllTriangles();
  for (const char* ending : {"\r\n", "\r"}) {
    std::string rewritten;
    for (char c : text) rewritten += c == '\n' ? std::string(ending) : std::string(1, c);
    EXPECT_EQ(Import(Write(rewritten)), 0) << int(ending[1]);
    EXPECT_EQ(fHost.SlotsWithoutProgress(), expected);
    EXPECT_EQ(fHost.AllTriangles(), expectedTriangles);
  }
}

std::string Tables(const std::string& tables) { return "0\nSECTION\n2\nTABLES\n" + tables + "0\nENDSEC\n"; }

// Each drawing holds a circle whose colour tells how the reader took what came before it.
TEST_F(OsprelReaderTest, WhatTheReadersPassOver) {
  const std::string layerA3 = Tables("0\nTABLE\n2\nLAYER\n70\n1\n0\nLAYER\n2\nA\n62\n3\n0\nENDTAB\n");
  const struct {
    const char* name;
    std::string text;
    int32_t colour;
  } cases[] = {
      {"a layer of the table", layerA3 + EntitiesOnly(Circle("8\nA\n")), 0x11CC11},
      {"a record before the table's first 0",
       Tables("0\nTABLE\n2\nLAYER\n2\nA\n62\n3\n0\nENDTAB\n") + EntitiesOnly(Circle("8\nA\n")),
       0xCCCCCC},
      {"an unknown group code with its value", EntitiesOnly(Circle("100\nAcDbCircle\n8\nA\n62\n1\n")), 0xDD2222},
      {"a skipped table that names a layer",
       Tables("0\nTABLE\n2\nVIEW\n0\nLAYER\n2\nA\n62\n1\n0\nENDTAB\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nA\n62\n3\n0\nENDTAB\n") +
           EntitiesOnly(Circle("8\nA\n")),
       0x11CC11},
      {"extended data in an entity", EntitiesOnly(Circle("1001\nAPP\n1000\n0\n8\nA\n62\n2\n")), 0xDDCC11},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ImportText(c.text), 0) << c.name;
    EXPECT_EQ(MeshColours(), std::vector<int32_t>{c.colour}) << c.name;
    EXPECT_EQ(fHost.AllTriangles().size(), 20u) << c.name;
  }
}

}  // namespace
}  // namespace osprel_test
