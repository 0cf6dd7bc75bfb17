// The metafile library on its own: its storage and codes, the primitive data of the three forms, the
// codes of malformed files, one scene read alike in every form, and references followed.
#include <clocale>
#include <cstring>
#include <sstream>

#include "plugins/3dmf/metafile.h"
#include "tests/plugins/3dmf/metafile_listing.h"
#include "tests/plugins/3dmf/vendrix_fixture.h"

namespace vendrix_test {
namespace {

// The listing without the header's line, when there is one.
std::string Objects(const std::string& name, EForm form) {
  const std::string listing = ListMetafile(Fixture(name, form));
  if (listing.rfind("3DMetafile ", 0) != 0) return listing;
  return listing.substr(listing.find('\n') + 1);
}

std::string LastLine(const std::string& listing) {
  const size_t end = listing.size() - 1;
  const size_t start = listing.rfind('\n', end - 1);
  return listing.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

using MetafileStorage = CFolderTest;

TEST_F(MetafileStorage, FileStorageAnswersItsCodes) {
  const std::string path = Write("abcd");
  const SFileStorage file = {path.c_str(), 0};
  void* stream = nullptr;
  ASSERT_EQ(kFileStorage.open(kMetafileText, &file, &stream), kMetafileFine);
  char bytes[10] = {};
  EXPECT_EQ(kFileStorage.read(stream, 10, bytes), kMetafilePartialReadAtEnd);
  EXPECT_EQ(kFileStorage.read(stream, 1, bytes), kMetafileReadAtEnd);
  EXPECT_EQ(kFileStorage.read(stream, 0, bytes), kMetafileFine);
  uint64_t position = 0, size = 0;
  EXPECT_EQ(kFileStorage.tell(stream, &position), kMetafileFine);
  EXPECT_EQ(position, 4u);
  ASSERT_EQ(kFileStorage.seek(stream, 1), kMetafileFine);
  ASSERT_EQ(kFileStorage.read(stream, 3, bytes), kMetafileFine);
  EXPECT_EQ(std::string(bytes, 3), "bcd");
  EXPECT_EQ(kFileStorage.size(stream, &size), kMetafileFine);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(kFileStorage.close(stream), kMetafileFine);

  const std::string missing = (fFolder / "missing.t3d").string();
  const SFileStorage absent = {missing.c_str(), 0};
  EXPECT_EQ(kFileStorage.open(kMetafileText, &absent, &stream), kMetafileOpenFailed);
  EXPECT_EQ(ListMetafile(missing), "! 12036 Failed to open.\n");
}

TEST(MetafileCodes, MessagesAndComparison) {
  const struct {
    int32_t code;
    const char* message;
  } cases[] = {
      {12000, "No more objects."},           {12004, "Unable to parse."},
      {12051, "Unsupported Metafile format."}, {12052, "* TOP ERROR *"},
      {12053, "Newer Metafile format."},     {12055, "* TOP WARNING *"},
      {11999, nullptr},                      {12056, nullptr},
  };
  for (const auto& c : cases) {
    const char* message = MetafileMessage(c.code);
    if (c.message) EXPECT_STREQ(message, c.message) << c.code;
    else EXPECT_EQ(message, nullptr) << c.code;
  }
  EXPECT_TRUE(MetafileWarning(12053));
  EXPECT_TRUE(MetafileWarning(12054));
  EXPECT_FALSE(MetafileWarning(12051));
  EXPECT_FALSE(MetafileWarning(12055));

  EXPECT_EQ(CompareNoCase("Box", "box"), 0);
  EXPECT_LT(CompareNoCase("Box", "boy"), 0);
  EXPECT_GT(CompareNoCase("Boxes", "box"), 0);
  EXPECT_NE(CompareNoCase("\xC4", "\xE4"), 0) << "only ASCII letters are lowered";
}

TEST(MetafilePrimitives, EveryFormReadsItsFields) {
  const std::string spot = "SpotLight - [0 0 0] [0 0 1] 1 1 0 0 0.5 0.75 ";
  const struct {
    const char* fixture;
    EForm form;
    std::string objects;
  } cases[] = {
      {"uns32-bytes-00000001", kBigEndian, "Reference - 1\n"},
      {"uns32-bytes-00000001", kLittleEndian, "Reference - 16777216\n"},
      {"raw-5-padded", kBigEndian, "Unicode - 5 0x6162636465\n"},
      {"raw-5-padded", kLittleEndian, "Unicode - 5 0x6162636465\n"},
      {"raw-5-padded", kText, "Unicode - 5 0x6162636465\n"},
      {"raw-5-unpadded", kBigEndian, "! 12004 Unable to parse.\n"},
      {"raw-8", kBigEndian, "Unicode - 8 0x6162636465666768\n"},
      {"raw-8-and-4-more", kBigEndian, "! 12005 Did not read entire object.\n"},
      {"raw-8-and-4-more", kLittleEndian, "! 12005 Did not read entire object.\n"},
      {"raw-hex-mixed-case", kText, "Unicode - 2 0x0a0b\n"},
      {"raw-hex-odd", kText, "! 12009 Odd number of hex characters in raw data.\n"},
      {"fall-off-by-name", kText, spot + "1\n"},
      {"fall-off-by-name", kLittleEndian, spot + "1\n"},
      {"fall-off-by-number", kText, spot + "2\n"},
      {"fall-off-unknown", kText, "! 12010 Illegal enumeration.\n"},
      {"fall-off-unknown", kBigEndian, spot + "7\n"},
      {"flags-by-names", kText, "DisplayGroupState - 17\n"},
      {"flags-by-names", kBigEndian, "DisplayGroupState - 17\n"},
      {"float-too-small", kText, "AmbientCoefficient - -0\n"},
      {"float-too-large", kText, "! 12004 Unable to parse.\n"},
      {"string-escapes", kText, "CString - \"a\\tb\"\n"},
      {"string-escapes", kLittleEndian, "CString - \"a\\tb\"\n"},
      {"string-unclosed", kText, "! 12004 Unable to parse.\n"},
      {"string-unquoted", kText, "! 12008 Unquoted string.\n"},
      {"box-lower-case", kText, "Box - [1 0 0] [0 1 0] [0 0 1] [0 0 0]\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Objects(c.fixture, c.form), c.objects) << c.fixture << " " << FormName(c.form);
}

TEST(MetafilePrimitives, CommentsStandWhereverBlanksMay) {
  const std::string plain = ListMetafile(Fixture("no-comments"));
  ASSERT_EQ(plain.find('!'), std::string::npos) << plain;
  EXPECT_EQ(ListMetafile(Fixture("comments-everywhere")), plain);
}

TEST(MetafileCodes, MalformedFilesEndWithTheirCode) {
  const struct {
    const char* fixture;
    EForm form;
    const char* last;
  } cases[] = {
      {"comments-only", kText, "! 12003 No objects found."},
      {"two-labels", kText, "! 12006 Object has too many labels."},
      {"no-header", kBigEndian, "! 12004 Unable to parse."},
      {"no-header", kLittleEndian, "! 12004 Unable to parse."},
      {"version-0", kText, "! 12051 Unsupported Metafile format."},
      {"version-0", kBigEndian, "! 12051 Unsupported Metafile format."},
      {"polygon-2-vertices", kText, "! 12025 Too few vertices."},
      {"polygon-2-vertices", kBigEndian, "! 12025 Too few vertices."},
      {"trigrid-1-row", kLittleEndian, "! 12025 Too few vertices."},
      {"nurb-curve-order-1", kText, "! 12022 Order is too small."},
      {"nurb-curve-1-point", kBigEndian, "! 12023 Too few points."},
      {"type-positive", kText, "! 12016 Illegal user object type."},
      {"end-group-alone", kBigEndian, "! 12028 Too many end groups."},
      {"group-left-open", kText, "! 12027 Not enough end groups."},
      {"group-left-open", kLittleEndian, "! 12027 Not enough end groups."},
      {"group-state-of-wrong-type", kText, "! 12012 Wrong object type."},
      {"group-state-of-wrong-type", kBigEndian, "! 12012 Wrong object type."},
      {"container-as-group", kText, "! 12004 Unable to parse."},
      {"container-as-group", kLittleEndian, "! 12004 Unable to parse."},
      {"size-past-end", kBigEndian, "! 12004 Unable to parse."},
      {"mesh-index-past-vertices", kText, "! 12004 Unable to parse."},
      {"mesh-2g-vertices", kBigEndian, "! 12004 Unable to parse."},
      {"mesh-2g-vertices", kText, "! 12004 Unable to parse."},
      {"toc-chain-to-itself", kBigEndian, "! 12004 Unable to parse."},
      {"containers-10000", kText, "! 12004 Unable to parse."},
      {"containers-10000", kBigEndian, "! 12004 Unable to parse."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LastLine(ListMetafile(Fixture(c.fixture, c.form))), c.last) << c.fixture << " " << FormName(c.form);
}

TEST(MetafileReader, NewerVersionsWarnAndGoOn) {
  for (EForm form : kForms) {
    EXPECT_EQ(ListMetafile(Fixture("version-1-6", form)).substr(0, 15), "3DMetafile - 1 ") << FormName(form);
    EXPECT_EQ(Objects("version-1-6", form),
              "~ 12053 Newer Metafile format.\nBox - [1 0 0] [0 1 0] [0 0 1] [0 0 0]\n")
        << FormName(form);
  }
}

TEST(MetafileReader, OneSceneReadsAlikeInEveryForm) {
  const std::string expected =
      "3DMetafile - 1 0 0 <position>\n"
      "Box 1 [1 0 0] [0 1 0] [0 0 1] [0 0 0]\n"
      "Reference - 1\n"
      "Container -\n"
      "  Mesh - 4 [0 0 0 4 0 0 4 4 0 0 4 0] 1 0 4 [0 1 2 3]\n"
      "  Container -\n"
      "    AttributeSet -\n"
      "    DiffuseColor - [1 0.5 0.25]\n"
      "  EndContainer -\n"
      "EndContainer -\n"
      "BeginGroup -\n"
      "  DisplayGroup -\n"
      "Translate - [1 2 3]\n"
      "Point - [0 0 0]\n"
      "EndGroup -\n"
      "NURBPatch - 2 2 2 2 [0 0 0 1 2 0 1 1 0 2 0 1 2 2 1 1] [0 0 1 1] [0 0 1 1]\n"
      "CString - \"a \\\"quoted\\\" line\\n\"\n"
      "PixmapTexture - 2 2 6 24 2 0 0 0x000102030405060708090a0b\n"
      "Type - -5 \"Marble\"\n";
  // Where a locale with a decimal comma is there, the numbers read alike under it.
  const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  for (EForm form : kForms) EXPECT_EQ(WithoutPositions(ListMetafile(Fixture("scene", form))), expected) << FormName(form);
  if (previous) std::setlocale(LC_NUMERIC, "C");
}

// Class names of every object read, with each Reference resolved as it comes.
std::string Resolved(const std::string& path) {
  MetafileContext* context = nullptr;
  if (const int32_t code = MetafileOpenFile(path.c_str(), &context)) return "open " + std::to_string(code);
  std::string names;
  for (;;) {
    MetafileObject* object = nullptr;
    const int32_t code = MetafileReadObject(context, &object);
    if (code != kMetafileFine) {
      names += std::to_string(code);
      break;
    }
    const char* name = MetafileClassName(object->classCode);
    names += std::string(name ? name : "?") + " ";
    if (object->classCode == MetafileCode("rfrn")) {
      if (const int32_t resolved = MetafileResolveReference(context, object)) names += std::to_string(resolved) + " ";
    }
    MetafileDisposeObject(object);
  }
  MetafileClose(context);
  return names;
}

TEST(MetafileReader, ReferencesReturnTheirObjectThenGoOn) {
  for (EForm form : kForms) {
    EXPECT_EQ(Resolved(Fixture("reference-box", form)), "3DMetafile Box Reference Box 12000") << FormName(form);
    EXPECT_EQ(Resolved(Fixture("reference-group", form)),
              "3DMetafile BeginGroup Translate Point EndGroup Point Reference BeginGroup Translate Point EndGroup 12000")
        << FormName(form);
    EXPECT_EQ(Resolved(Fixture("reference-missing", form)), "3DMetafile Box Reference 12014 12000") << FormName(form);
    EXPECT_EQ(Resolved(Fixture("reference-cycle", form)),
              "3DMetafile BeginGroup Reference BeginGroup Reference BeginGroup Reference BeginGroup Reference "
              "BeginGroup Reference BeginGroup Reference BeginGroup Reference BeginGroup Reference BeginGroup "
              "Reference BeginGroup Reference BeginGroup Reference BeginGroup Reference BeginGroup Reference "
              "BeginGroup Reference BeginGroup Reference BeginGroup Reference BeginGroup Reference 12004 "
              "EndGroup EndGroup EndGroup EndGroup EndGroup EndGroup EndGroup EndGroup EndGroup EndGroup EndGroup "
              "EndGroup EndGroup EndGroup EndGroup EndGroup EndGroup 12000")
        << FormName(form);
  }
}

TEST(MetafileReader, OnlyReferencesResolve) {
  MetafileContext* context = nullptr;
  ASSERT_EQ(MetafileOpenFile(Fixture("reference-box").c_str(), &context), kMetafileFine);
  MetafileObject box;
  box.classCode = MetafileCode("box ");
  EXPECT_EQ(MetafileResolveReference(context, &box), kMetafileNotAReference);
  MetafileObject zero;
  zero.classCode = MetafileCode("rfrn");
  zero.fields.emplace_back().integers = {0};
  EXPECT_EQ(MetafileResolveReference(context, &zero), kMetafileIllegalReferenceId);
  EXPECT_EQ(MetafileResolveReference(nullptr, &zero), kMetafileInvalidParameter);
  EXPECT_EQ(MetafileReadObject(context, nullptr), kMetafileInvalidParameter);
  EXPECT_EQ(MetafileClose(context), kMetafileFine);
}

}  // namespace
}  // namespace vendrix_test
