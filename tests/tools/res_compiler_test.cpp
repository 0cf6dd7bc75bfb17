#include "tools/res_compiler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Compile(const std::string& kind, const std::string& text) {
  Bytes out;
  std::string error;
  EXPECT_TRUE(CompileSource(kind, text, &out, &error)) << text << ": " << error;
  return out;
}

Bytes After(const Bytes& bytes, size_t header) { return Bytes(bytes.begin() + long(header), bytes.end()); }

TEST(ResCompiler, TextRecordsArePaddedToEvenLengths) {
  const Bytes list = Compile("ixtx", "# a comment\n0 \"ab\"\n1 \"abc\"\n\n3 \"\"\n");
  ASSERT_GE(list.size(), 24u);
  EXPECT_EQ(std::string(list.begin(), list.begin() + 8), "ixtx0100");
  EXPECT_EQ(Bytes(list.begin() + 8, list.begin() + 24), Bytes(16, 0));
  EXPECT_EQ(After(list, 24), (Bytes{0, 2, 'a', 'b', 0, 0, 0, 3, 'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ResCompiler, EscapesAndWindows1252) {
  const Bytes list = Compile("ixtx", "0 \"\\\"\\\\\\n\\t\\x81 caf\xC3\xA9 \xE2\x82\xAC\"\n");
  const std::string text(list.begin() + 26, list.end() - 2);  // less the NUL and the pad
  EXPECT_EQ(text, std::string("\"\\\n\t\x81 caf\xE9 \x80", 12));
}

TEST(ResCompiler, SetsPadTheListToWholeSets) {
  const Bytes texts = Compile("ixtx", "sets 1\n0 \"a\"\n1 \"b\"\n2 \"c\"\n");
  EXPECT_EQ(texts[23], 1);
  EXPECT_EQ(After(texts, 24), (Bytes{0, 1, 'a', 0, 0, 1, 'b', 0, 0, 1, 'c', 0, 0, 0, 0, 0}));
  const Bytes colours = Compile("ixco", "sets 2\n0 0x11223344\n2 7\n");
  EXPECT_EQ(colours[23], 2);
  EXPECT_EQ(After(colours, 24), (Bytes{0x11, 0x22, 0x33, 0x44, 0, 0, 0, 0, 0, 0, 0, 7}));
}

TEST(ResCompiler, ImageRecordsAndElementSets) {
  const Bytes images = Compile("ixim", "0 number 300\n1 name \"logo\" file\n2 number 5 resource\n");
  ASSERT_EQ(images.size(), 24u + 3 * 40);
  EXPECT_EQ(Bytes(images.begin() + 24, images.begin() + 28), (Bytes{0, 0, 1, 44}));
  EXPECT_EQ(Bytes(images.begin() + 60, images.begin() + 64), (Bytes{0, 0, 0, 1}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(images.data()) + 68), "logo");
  EXPECT_EQ(Bytes(images.begin() + 100, images.begin() + 104), (Bytes{0, 0, 0, 7}));
  EXPECT_EQ(Bytes(images.begin() + 140, images.begin() + 144), (Bytes{0, 0, 0, 9}));

  const std::string description(64, 'a');
  const Bytes set = Compile("eset", "elem 7 place 1 -2 flags 0x10\ntxel 9 description " + description + "\n");
  ASSERT_EQ(set.size(), 76u + 2 * 80);
  EXPECT_EQ(std::string(set.begin(), set.begin() + 8), "eset0100");
  EXPECT_EQ(Bytes(set.begin() + 72, set.begin() + 76), (Bytes{0, 0, 0, 2}));
  const Bytes first = Bytes(set.begin() + 76, set.begin() + 156);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(first.data())), "elem");
  EXPECT_EQ(Bytes(first.begin() + 16, first.begin() + 20), (Bytes{0, 0, 0, 7}));
  EXPECT_EQ(Bytes(first.begin() + 52, first.begin() + 64), (Bytes{0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0, 0x10}));
  EXPECT_EQ(Bytes(set.begin() + 156 + 20, set.begin() + 156 + 52), Bytes(32, 0xAA));
}

TEST(ResCompiler, ErrorsNameTheLine) {
  struct SCase {
    const char* kind;
    const char* text;
    const char* error;
  } cases[] = {
      {"ixtx", "0 \"a\"\n\n0 \"b\"\n", "3: index 0 does not follow 0"},
      {"ixtx", "0 \"open\n", "1: a text has no closing quote"},
      {"ixtx", "0 \"\xE4\xB8\xAD\"\n", "1: the text holds a character outside Windows-1252"},
      {"ixtx", "0 \"\\q\"\n", "1: unknown escape \\q"},
      {"ixtx", "0 \"\\x00\"\n", "1: a text cannot hold \\x00"},
      {"ixtx", "0 unquoted\n", "1: expected a quoted text, found unquoted"},
      {"ixtx", "0 \"a\"\nsets 1\n", "2: \"sets\" must come first"},
      {"ixtx", "sets 256\n", "1: expected \"sets N\" with N from 0 to 255"},
      {"ixtx", "70000 \"a\"\n", "1: expected an index from 0 to 65535"},
      {"ixco", "0 red\n", "1: expected INDEX 0xHHHHHHHH"},
      {"ixim", "1 number 3\n", "1: index 0 is missing"},
      {"ixim", "sets 1\n0 number 3\n", "2: 1 images do not fill 2 sets"},
      {"ixim", "0 picture 3\n", "1: expected INDEX (number N | name \"NAME\") [file | resource]"},
      {"eset", "a-class-name-too-long 1\n", "1: expected CLASS (at most 15 characters) and ID"},
      {"eset", "elem 1 description 12\n", "1: a description is 64 hexadecimal digits"},
      {"eset", "elem 1 colour 3\n", "1: unexpected colour"},
      {"elem", "name \"0123456789abcdef0123456789abcdef\"\n", "1: name holds at most 31 characters"},
      {"elem", "rect 1 2 3\n", "1: rect takes 4 values, once"},
      {"elem", "flags 1\nflags 1\n", "2: flags takes 1 value, once"},
      {"elem", "hotspot 0.5 half\n", "1: expected a number, found half"},
      {"rsel", "open page\n", "1: expected a quoted text, found page"},
      {"rmel", "options x\n", "1: expected a 32-bit value, found x"},
  };
  for (const SCase& c : cases) {
    Bytes out;
    std::string error;
    EXPECT_FALSE(CompileSource(c.kind, c.text, &out, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(ResCompiler, ManifestLines) {
  std::vector<SManifestEntry> entries;
  std::string error;
  ASSERT_TRUE(ReadManifest("# comment\nixtx 128 errors_ errors.ixtx\nPICT 0x10 - logo.pict\n", &entries, &error));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "errors_");
  EXPECT_EQ(entries[0].line, 2u);
  EXPECT_EQ(entries[1].number, 16u);
  EXPECT_EQ(entries[1].name, "");
  EXPECT_EQ(entries[1].source, "logo.pict");
  EXPECT_FALSE(ReadManifest("ixtx 128 errors_\n", &entries, &error));
  EXPECT_EQ(error, "1: expected TYPE NUMBER NAME SOURCE-FILE [hotspot X Y] or layout FILE.layout");
  EXPECT_FALSE(ReadManifest("ixtx x errors_ e.ixtx\n", &entries, &error));
  EXPECT_EQ(error, "1: expected a resource number, found x");
}

TEST(ResCompiler, ManifestNamesWithBlanksHotSpotsAndLayoutLines) {
  std::vector<SManifestEntry> entries;
  std::string error;
  ASSERT_TRUE(ReadManifest("ImageIV32ARGB 200 \"left shadow\" left.png\n"
                           "ImageIV32ARGB 124 \"cursor 124\" hand.png hotspot 3 -2\n"
                           "layout dialogs.layout\n",
                           &entries, &error))
      << error;
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "left shadow");
  EXPECT_FALSE(entries[0].hotspot);
  EXPECT_TRUE(entries[1].hotspot);
  EXPECT_EQ(entries[1].hotspotH, 3);
  EXPECT_EQ(entries[1].hotspotV, -2);
  EXPECT_EQ(entries[2].type, "layout");
  EXPECT_EQ(entries[2].source, "dialogs.layout");
  EXPECT_FALSE(ReadManifest("ImageIV32ARGB 1 \"a\" a.png hotspot x 2\n", &entries, &error));
  EXPECT_EQ(error, "1: expected hotspot X Y");
}

// What resdump --decode prints compiles back to the same list.
TEST(ResCompiler, DecodedListsCompileBackToTheSameBytes) {
  const char* sources[] = {
      "0 \"plain\"\n1 \"\"\n2 \"quote \\\" back \\\\ tab \\t line \\n\"\n3 \"\\x81\\x8D\\x7F caf\xC3\xA9\"\n",
      "sets 2\n0 \"a\"\n1 \"b\"\n2 \"c\"\n",
      "",
  };
  for (const char* source : sources) {
    const Bytes list = Compile("ixtx", source);
    std::string text, error;
    ASSERT_TRUE(DecodeIxtx(list, &text, &error)) << error;
    EXPECT_EQ(Compile("ixtx", text), list) << text;
  }
  std::string text, error;
  EXPECT_FALSE(DecodeIxtx(Bytes{'i', 'x', 't', 'x'}, &text, &error));
  Bytes cut = Compile("ixtx", "0 \"abc\"\n");
  cut.pop_back();
  cut.pop_back();
  EXPECT_FALSE(DecodeIxtx(cut, &text, &error));
  EXPECT_EQ(error, "record 0 runs past the end");
}

}  // namespace

TEST(ResCompiler, MenuSourcesAndTheirErrors) {
  Bytes out;
  std::string error;
  ASSERT_TRUE(CompileSource("menu", "title \"Edit\"\nitem \"Cut\" key x ctrl command 'cut '\nseparator\n", &out, &error))
      << error;
  ASSERT_EQ(out.size(), 80u + 2 * 40);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 16), (Bytes{0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 2}));
  EXPECT_EQ(Bytes(out.begin() + 76, out.begin() + 80), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Bytes(out.begin() + 80 + 32, out.begin() + 80 + 40), (Bytes{0, 'x', 0x00, 0x30, 'c', 'u', 't', ' '}));
  EXPECT_EQ(Bytes(out.begin() + 120 + 34, out.begin() + 120 + 36), (Bytes{0x00, 0x01}));
  struct SCase {
    const char* text;
    const char* error;
  } cases[] = {
      {"item \"\xC3\x95\" command 1\n", "1: the text holds a character that Mac OS Roman does not keep"},
      {"item \"0123456789abcdef0123456789abcdef\" command 1\n", "1: a text holds at most 31 bytes"},
      {"item \"Cut\" key x\n", "1: an item needs its command"},
      {"item \"Cut\" key xy command 1\n", "1: key takes one printable character, not xy"},
      {"item \"Cut\" command 'cu'\n", "1: expected a command 'CODE' or a number, found 'cu'"},
      {"item \"Cut\" bold command 1\n", "1: unexpected bold"},
      {"separator\ntitle \"Late\"\n", "2: title comes once, before the rows"},
      {"flags pop-up sideways\n", "1: malformed flags line"},
      {"item \"Cut\" command 'cut \n", "1: a code has no closing quote"},
  };
  for (const SCase& c : cases) {
    EXPECT_FALSE(CompileSource("menu", c.text, &out, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}
