// Documents of the earlier version: the header and record layout, each record kind converted into its
// scene thing with placement, family and material, shared textures and pictures, the settings
// things, the preset readers, and malformed files answering their codes.
#include "document/old_quarn_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <numbers>
#include <set>

#include "document_fixture.h"
#include "framework/core/fast_math.h"
#include "framework/image/bitmap_file.h"
#include "old_document_writer.h"
#include "scene/object_family.h"
#include "tests/tools/run_tool.h"

namespace {

using namespace old_writer;

constexpr uint32_t kSettingsThings = 15 + 1 + 1 + 2;  // cameras, sun, sky, cloud textures

class OldDocument : public DocumentTest {
 protected:
  CFileSpec Write(const Bytes& bytes, const std::string& name = "old.doc") {
    std::ofstream(folder + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    CFileSpec spec;
    EXPECT_EQ(spec.Set((folder + "/" + name).c_str()), 0);
    return spec;
  }
  int32_t Import(const Bytes& bytes, bool whole = true) {
    COldQuarnFile reader(Write(bytes));
    EXPECT_TRUE(reader.IsOpen()) << reader.GetOpenResult();
    return reader.Import(table, whole);
  }
  int32_t Import(const SOldDocument& document, bool whole = true) { return Import(document.Write(), whole); }

  // The placed objects of the table in row order.
  std::vector<C3dObject*> Objects() {
    std::vector<C3dObject*> objects;
    for (C3dBase* thing : Things(table)) {
      if (C3dObject* object = thing->AsObject(); object && object->GetFamily() != C3dCamera::kFamily &&
                                                 object->GetClass() != C3dSunLight::kClassTag)
        objects.push_back(object);
    }
    return objects;
  }
  template <typename T>
  T* Named(const char* name) {
    C3dBase* found = nullptr;
    EXPECT_EQ(table->FindObject(name, T::kFamily, T::kClassTag, &found), 0) << name;
    return static_cast<T*>(found);
  }
  static SMaterialRecord RecordOf(C3dMaterial* material) {
    CHolder holder(material, false, false);
    return material->GetRecord();
  }
  static Bytes TextureBytes(CBaseTexture* texture) {
    CHolder holder(texture, false, false);
    return Bytes(texture->GetData() + C3dBase::kNameBytes, texture->GetData() + C3dTexture::kRecordSize);
  }
  void NewTable() {
    delete table;
    table = new C3dBaseSys(ObjectsEnv());
  }
  bool Run(const std::string& command) { return RunCommand("cd '" + folder + "' && " + command).status == 0; }

  // A small picture as a PPM and as the PICT of a document's picture block (without the file's
  // 512-byte preamble).
  Bytes MakePicture(const std::string& ppm) {
    EXPECT_TRUE(Run("convert -size 9x6 -seed 7 plasma: -depth 8 " + ppm));
    EXPECT_TRUE(Run("pnmquant 256 " + ppm + " 2>/dev/null | ppmtopict > picture.pct 2>/dev/null"));
    std::ifstream in(folder + "/picture.pct", std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_GT(file.size(), 512u);
    return Bytes(file.begin() + 512, file.end());
  }
};

SOldRecord OldRecord(uint8_t kind, const std::string& name = "") {
  SOldRecord record;
  record.kind = kind;
  record.name = name;
  return record;
}

// A document of one sphere, as the case changes it.
SOldDocument OneBall(const std::function<void(SOldDocument&)>& change) {
  SOldDocument document;
  document.records = {OldRecord(5, "ball")};
  change(document);
  return document;
}

// ---- header and layout

struct SLayoutCase {
  const char* name;
  std::function<void(SOldDocument&)> change;
  bool whole;
  int32_t code;
  size_t things;  // in the table afterwards
  std::function<void(Bytes&)> spoil = {};
};

TEST_F(OldDocument, HeaderAndLayout) {
  const SLayoutCase cases[] = {
      {"a version other than 0.02", [](SOldDocument& d) { d.version = "0.03"; }, true, 2, 0},
      {"a file shorter than its header", [](SOldDocument&) {}, true, 2, 0, [](Bytes& b) { b.resize(87); }},
      {"an unknown part code", [](SOldDocument& d) { d.partCode = "wa_t"; }, true, 2, 0},
      {"part code w_ot", [](SOldDocument& d) { d.partCode = "w_ot"; }, true, 0, kSettingsThings + 2},
      {"part code w__t", [](SOldDocument& d) { d.partCode = "w__t"; }, true, 0, kSettingsThings + 2},
      {"part code __ot", [](SOldDocument& d) { d.partCode = "__ot"; }, true, 0, kSettingsThings + 2},
      {"part code w___", [](SOldDocument& d) { d.partCode = "w___"; }, true, 0, kSettingsThings + 2},
      {"a settings block of 6309 bytes", [](SOldDocument& d) { d.settingsLength = 6309; }, true, 2, 0},
      {"no settings block for a whole document", [](SOldDocument& d) { d.hasSettings = false; }, true, 6, 0},
      {"no settings block for the objects alone", [](SOldDocument& d) { d.hasSettings = false; }, false, 0, 2},
      {"a record tagged otherwise", [](SOldDocument& d) { d.records[0].tag = 0x6F625164; }, true, 2, kSettingsThings},
      {"records of kinds 3 and 14 make nothing",
       [](SOldDocument& d) {
         SOldRecord skipped = OldRecord(3);
         skipped.extra = Bytes(100, 0xEE);
         d.records.insert(d.records.begin(), {skipped, OldRecord(14)});
       },
       true, 0, kSettingsThings + 2},
      {"no records at all", [](SOldDocument& d) { d.records.clear(); }, true, 0, kSettingsThings},
  };
  for (const SLayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    NewTable();
    Bytes bytes = OneBall(c.change).Write();
    if (c.spoil) c.spoil(bytes);
    EXPECT_EQ(Import(bytes, c.whole), c.code);
    EXPECT_EQ(Things(table).size(), c.things);
  }
}

std::vector<std::string> gImportTitles;

TEST_F(OldDocument, TheImportStepsOncePerRecordUnderItsBuiltInTitle) {
  SOldDocument document;
  document.records = {OldRecord(5), OldRecord(3), OldRecord(4)};
  gImportTitles.clear();
  ASSERT_TRUE(ProgressSubscribe(this, [](void*, void* record, void*) -> int32_t {
    const auto* progress = static_cast<SProgressRecord*>(record);
    if (progress->message == kProgressTitleChanged && progress->innermost == progress->outermost)
      gImportTitles.push_back(std::string(progress->innermost->GetTitle()) + " of " +
                        std::to_string(progress->innermost->GetTotal()));
    return 0;
  }));
  EXPECT_EQ(Import(document), 0);
  ProgressUnsubscribe(this);
  EXPECT_EQ(gImportTitles, std::vector<std::string>{"12Importing File of 3"});
}

// ---- object conversion

struct SKindCase {
  uint8_t kind;
  uint32_t family;
  uint32_t classTag;
  const char* typeName;
};

TEST_F(OldDocument, EveryKindBecomesItsClass) {
  const SKindCase cases[] = {
      {1, FourCC("3dob"), FourCC("sqre"), "C3dSquare"},       {2, FourCC("3dob"), FourCC("circ"), "C3dCircle"},
      {4, FourCC("3dob"), FourCC("cube"), "C3dCube"},         {5, FourCC("3dob"), FourCC("sphr"), "C3dSphere"},
      {6, FourCC("3dob"), FourCC("cone"), "C3dCone"},         {7, FourCC("3dob"), FourCC("cylr"), "C3dCylinder"},
      {8, FourCC("3dob"), FourCC("toru"), "C3dTorusType"},    {9, FourCC("3dob"), FourCC("tmsh"), "C3dTriMeshType2"},
      {10, FourCC("3dob"), FourCC("hfld"), "C3dHeightField"}, {11, FourCC("3dob"), FourCC("plne"), "C3dPlane"},
      {12, FourCC("3dob"), FourCC("pyra"), "C3dPyramid"},     {13, FourCC("3dob"), FourCC("plne"), "C3dPlane"},
      {16, FourCC("3dob"), FourCC("grou"), "C3dGroupType"},   {17, FourCC("3dob"), FourCC("tmsh"), "C3dTriMeshType2"},
      {19, FourCC("3dob"), FourCC("hfld"), "C3dHeightField"}, {20, FourCC("lght"), FourCC("sphr"), "C3dSphereLight"},
      {21, FourCC("lght"), FourCC("cone"), "C3dConeLight"},   {22, FourCC("lght"), FourCC("pyrm"), "C3dPyrLightType"},
      {23, FourCC("lght"), FourCC("cube"), "C3dCubeLight"},
  };
  SOldDocument document;
  SPolygon triangle;
  triangle.points = {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}};
  for (const SKindCase& c : cases) {
    SOldRecord record = OldRecord(c.kind, "kind " + std::to_string(c.kind));
    if (c.kind == 9 || c.kind == 17) record.extra = MeshData({triangle});
    if (c.kind == 10 || c.kind == 19) record.extra = GridData(2, 100);
    document.records.push_back(record);
  }
  ASSERT_EQ(Import(document, false), 0);
  const std::vector<C3dObject*> objects = Objects();
  ASSERT_EQ(objects.size(), std::size(cases));
  for (size_t i = 0; i < objects.size(); ++i) {
    SCOPED_TRACE(cases[i].typeName);
    EXPECT_EQ(objects[i]->GetFamily(), cases[i].family);
    EXPECT_EQ(objects[i]->GetClass(), cases[i].classTag);
    EXPECT_STREQ(objects[i]->TypeName(), cases[i].typeName);
    ASSERT_NE(MaterialOf(objects[i]), nullptr);
    EXPECT_EQ(NameOf(MaterialOf(objects[i])), "kind " + std::to_string(cases[i].kind));
  }
  EXPECT_FALSE(static_cast<C3dHeightField*>(objects[8])->IsSymmetric());
  EXPECT_TRUE(static_cast<C3dHeightField*>(objects[14])->IsSymmetric());
  EXPECT_EQ(static_cast<C3dHeightField*>(objects[8])->GetSide(), 2u);
}

TEST_F(OldDocument, PlacementFamilyAndRole) {
  SOldDocument document;
  SOldRecord torus = OldRecord(8, "ring"), thin = OldRecord(8, "thin");
  torus.shape = 512;
  thin.shape = 256;
  SOldRecord placed = OldRecord(4, "placed");
  placed.position = {1, 2, -1};
  placed.role = 1;
  placed.family = 3;
  SOldRecord outside = OldRecord(4, "outside"), negative = OldRecord(4, "negative");
  outside.family = 25;
  negative.family = -1;
  // Scale 2 and a 30° turn about y; the stored matrix holds the axes as its columns.
  const double c = 2 * std::cos(std::numbers::pi / 6), s = 2 * std::sin(std::numbers::pi / 6);
  SOldRecord turned = OldRecord(5, "turned");
  turned.matrix = {c, 0, s, 0, 2, 0, -s, 0, c};
  turned.links = {7, 8, -1};
  document.records = {torus, thin, placed, outside, negative, turned};
  ASSERT_EQ(Import(document, false), 0);
  const std::vector<C3dObject*> o = Objects();
  ASSERT_EQ(o.size(), 6u);

  auto* ring = static_cast<C3dTorus*>(o[0]);
  EXPECT_EQ(ring->GetMinorRadius(), 1.0);
  EXPECT_EQ(ring->GetMajorRadius(), 1.0);
  EXPECT_EQ(static_cast<C3dTorus*>(o[1])->GetMinorRadius(), 0.5);
  EXPECT_EQ(static_cast<C3dTorus*>(o[1])->GetMajorRadius(), 1.5);
  // Unit scale: the ring's extent, its height in proportion to its width.
  ExpectNear(ring->GetScaledSize(), {2, 2 * 2.0 / 4.0, 2});

  ExpectNear(o[2]->GetTransformVector3(), {1, 2, -1});
  EXPECT_EQ(o[2]->GetStateFlags() & C3dObject::kRoles, C3dObject::kNegative);
  EXPECT_EQ(o[2]->GetCreationWord(0), 3u);
  EXPECT_EQ(o[2]->GetCreationWord(1), 0xfcef07u);
  for (C3dObject* object : {o[3], o[4]}) {
    EXPECT_EQ(object->GetCreationWord(0), 0u);
    EXPECT_EQ(object->GetCreationWord(1), FamilyColour(0));
    EXPECT_EQ(object->GetStateFlags() & C3dObject::kRoles, 0u);
  }
  EXPECT_EQ(FamilyColour(0), 0x555555u);

  ExpectNear(o[5]->GetTransformVector2(), {0, std::numbers::pi / 6, 0});
  ExpectNear(o[5]->GetScaledSize(), {4, 4, 4});
  const C3dBox world = o[5]->WorldBox();
  ExpectNear(world.fMax - world.fMin, {4, 4, 4}, 1e-6);
  EXPECT_EQ(o[5]->GetObjectNumber(), 7);
  EXPECT_EQ(o[5]->GetNextSibling(), 8);
  EXPECT_EQ(o[5]->GetFirstMember(), -1);
}

TEST_F(OldDocument, SurfaceIntoMaterial) {
  SOldDocument document;
  SOldRecord shaded = OldRecord(5, "shaded");
  Bytes& s = shaded.surface;
  PutU8(s, kShading, 5);
  PutBE16(s, kValueA, uint16_t(-255));
  PutBE32(s, kColourA, 0xFF8000);
  PutBE16(s, kValueB, 51);
  PutBE32(s, kColourB, 0x0000FF);
  PutBE16(s, kPercentage, 100);
  PutBE16(s, kNumbers, uint16_t(-3));
  PutU8(s, kSwitch, 1);
  PutU8(s, kMode1, 2);
  PutU8(s, kMode2, 6);
  PutU8(s, kMode3, 0xFE);  // −2
  PutU8(s, kMode10, 0xFF);  // −1
  shaded.Channel(1, 1.5f, -2.0f, 3.0f, 7, 1, 2.5);
  SOldRecord plain = OldRecord(5, "plain");
  PutU8(plain.surface, kShading, 3);
  PutBE16(plain.surface, kPercentage, 150);
  document.records = {shaded, plain};
  ASSERT_EQ(Import(document, false), 0);
  const std::vector<C3dObject*> o = Objects();
  ASSERT_EQ(o.size(), 2u);

  const SMaterialRecord r = RecordOf(MaterialOf(o[0]));
  EXPECT_EQ(r.sources[0], 3);
  EXPECT_EQ(r.sources[1], 6);
  EXPECT_EQ(r.sources[2], 0);
  EXPECT_EQ(r.sources[3], 1);
  EXPECT_EQ(r.sources[9], 0);
  EXPECT_EQ(r.sample.flags, 0x20u | 0x08u | 0x10u);
  EXPECT_EQ(double(r.sample.ambience), -1.0);
  EXPECT_EQ(r.sample.ambientColour, (vector3<float>{1, 128.0f / 255, 0}));
  EXPECT_EQ(double(r.sample.diffusion), 0.2);
  EXPECT_EQ(r.sample.diffuseColour, (vector3<float>{0, 0, 1}));
  EXPECT_EQ(double(r.sample.refractionIndex), 1.0);
  EXPECT_EQ(r.sample.specCoefficients.x, -3.0f);
  EXPECT_EQ(double(r.component[1].scale), 2.5);
  ExpectNear(vector3<double>(r.component[1].placement), {1.5, -2, 3});
  EXPECT_EQ(r.component[1].mappingMode, 7);
  EXPECT_EQ(r.component[1].flags, 1u);

  const SMaterialRecord p = RecordOf(MaterialOf(o[1]));
  EXPECT_EQ(p.sample.flags, 3u);
  EXPECT_EQ(double(p.sample.refractionIndex), 1.5);
}

TEST_F(OldDocument, MeshPolygons) {
  SPolygon quad, smooth;
  quad.count = 4;
  quad.points = {{{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}};
  smooth.smooth = true;
  smooth.points = {{{0, 0, 5}, {1, 0, 5}, {0, 1, 5}}};
  smooth.normals = {{{0, 0, 1}, {0, 0.6f, 0.8f}, {0.6f, 0, 0.8f}}};
  SOldDocument document;
  SOldRecord mesh = OldRecord(9, "mesh");
  mesh.extra = MeshData({quad, smooth});
  document.records = {mesh};
  ASSERT_EQ(Import(document, false), 0);
  auto* m = static_cast<C3dTriangleMesh*>(Objects().at(0));
  ASSERT_EQ(m->GetFaceCount(), 3u);
  auto corners = [&](uint32_t face) {
    S3dFace f;
    EXPECT_TRUE(m->GetFace(face, &f));
    std::vector<vector3<double>> points;
    for (uint32_t v : f.vertex) {
      vector3<double> p;
      EXPECT_TRUE(m->GetVertex(v, &p));
      points.push_back(p);
    }
    return points;
  };
  using P = std::vector<vector3<double>>;
  EXPECT_EQ(corners(0), (P{{0, 0, 0}, {2, 0, 0}, {2, 2, 0}}));
  EXPECT_EQ(corners(1), (P{{2, 2, 0}, {0, 2, 0}, {0, 0, 0}}));
  S3dFace f;
  ASSERT_TRUE(m->GetFace(2, &f));
  EXPECT_EQ(f.smooth, S3dFace::kSmooth);
  vector3<double> normal;
  ASSERT_TRUE(m->GetNormal(f.normal[1], &normal));
  ExpectNear(normal, {0, 0.6, 0.8}, 1e-7);
  EXPECT_EQ(m->GetMaterial(), MaterialOf(m)->GetHandle());
}

TEST_F(OldDocument, Lights) {
  SOldDocument document;
  for (uint8_t kind : {20, 21, 22, 23}) {
    SOldRecord light = OldRecord(kind);
    PutBE32(light.surface, kColourB, 0xFF0000);
    PutU8(light.surface, kLightIntensity, 255);
    PutU8(light.surface, kLightSpread, 255);
    PutU8(light.surface, kLightSwitches, kind == 23 ? 2 : 3);
    light.matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    // The pyramid light turned about y: the turn stays its own.
    if (kind == 22) light.matrix = {0.5, 0, std::sqrt(3) / 2, 0, 1, 0, -std::sqrt(3) / 2, 0, 0.5};
    document.records.push_back(light);
  }
  ASSERT_EQ(Import(document, false), 0);
  const std::vector<C3dObject*> o = Objects();
  ASSERT_EQ(o.size(), 4u);
  for (C3dObject* object : o) {
    auto* light = static_cast<C3dLight*>(object);
    SCOPED_TRACE(light->TypeName());
    EXPECT_EQ(light->GetColour(), (vector3<float>{1, 0, 0}));
    EXPECT_EQ(light->GetIntensity(), 20.0);
    EXPECT_EQ(light->GetRadius(), 1.0);
    const uint32_t expected = light->GetClass() == C3dCubeLight::kClassTag ? 0x100 | 0x800 : 0x100 | 0x200 | 0x800;
    EXPECT_EQ(light->GetStateFlags() & 0xF00, expected);
  }
  EXPECT_EQ(static_cast<C3dConeLight*>(o[1])->GetExponent(), 5.0);
  EXPECT_EQ(static_cast<C3dPyramidLight*>(o[2])->GetExponentX(), 5.0f);
  EXPECT_EQ(static_cast<C3dPyramidLight*>(o[2])->GetExponentZ(), 5.0f);
  // The earlier version's pyramid light shone along another axis: the shear turns it there.
  ExpectNear(o[2]->GetTransformVector2(), {0, std::numbers::pi / 3, 0});
  ExpectNear(o[2]->GetPlacement().fShear, {-std::numbers::pi / 2, 0, 0});
  ExpectNear(o[0]->GetTransformVector2(), {0, 0, 0});
  ExpectNear(o[0]->GetPlacement().fShear, {0, 0, 0});
}

// ---- shared textures and pictures

TEST_F(OldDocument, TexturesAndPicturesAreSharedByName) {
  const Bytes pict = MakePicture("picture.ppm");
  SOldDocument document;
  SOldRecord first = OldRecord(5, "first"), second = OldRecord(5, "second"), broken = OldRecord(5, "broken");
  first.textures[0] = TextureRecord("grain", 9);
  first.pictures[2] = NameBlock("bricks");
  first.pictures[2].insert(first.pictures[2].end(), pict.begin(), pict.end());
  first.Channel(2, 0, 0, 0, 2, 0, 50);
  second.textures[1] = NameBlock("grain");
  second.pictures[3] = NameBlock("bricks");
  Bytes garbage = NameBlock("noise");
  garbage.resize(132, 0x5A);
  broken.pictures[0] = garbage;
  broken.Channel(0, 0, 0, 0, 2, 0, 50);
  broken.textures[2] = TextureRecord("short");
  broken.textures[2].resize(100);
  document.records = {first, second, broken};
  ASSERT_EQ(Import(document, false), 0);

  EXPECT_EQ(Count(table, CBaseTexture::kFamily, C3dTexture::kClassTag), 1u);
  EXPECT_EQ(Count(table, CBaseTexture::kFamily, CPictTexture::kClassTag), 1u);
  const std::vector<C3dObject*> o = Objects();
  ASSERT_EQ(o.size(), 3u);
  C3dMaterial* a = MaterialOf(o[0]);
  C3dMaterial* b = MaterialOf(o[1]);
  C3dMaterial* c = MaterialOf(o[2]);
  ASSERT_NE(a->GetChannelTexture(0), nullptr);
  EXPECT_EQ(NameOf(a->GetChannelTexture(0)), "grain");
  EXPECT_EQ(b->GetChannelTexture(1), a->GetChannelTexture(0));
  auto* picture = static_cast<CPictTexture*>(a->GetChannelTexture(2));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetClass(), CPictTexture::kClassTag);
  EXPECT_EQ(NameOf(picture), "bricks");
  EXPECT_EQ(b->GetChannelTexture(3), picture);
  EXPECT_EQ(double(RecordOf(a).component[2].scale), 0.5);
  // The picture's pixels are the source picture's.
  CFileSpec written;
  ASSERT_EQ(written.Set((folder + "/picture.bmp").c_str()), 0);
  ASSERT_EQ(SaveImageAsBmp(written, &picture->GetPicture(), true), 0);
  EXPECT_EQ(RunCommand("cd '" + folder + "' && compare -metric AE picture.ppm picture.bmp null: 2>&1").out, "0");
  // A picture that cannot be read leaves its channel empty; so does a texture block too short to be
  // a texture; the channel's value is still that of a picture channel.
  for (int channel = 0; channel < 4; ++channel) EXPECT_EQ(c->GetChannelTexture(channel), nullptr);
  EXPECT_EQ(double(RecordOf(c).component[0].scale), 0.5);
}

// Every swapped field of a texture record with a value of its own arrives in machine order.
TEST_F(OldDocument, TextureRecordsArriveInMachineOrder) {
  Bytes stored = TextureRecord("distinct");
  for (uint16_t i = 0; i < 7; ++i) PutBE16(stored, 4 + 2 * i, uint16_t(100 + i));
  PutFloat(stored, 20, 1.5f);
  PutFloat(stored, 24, -2.5f);
  for (uint32_t i = 0; i < 3; ++i) PutBE32(stored, 30 + 4 * i, 0x010203 * (i + 1));
  for (uint16_t c = 0; c < 3; ++c) {
    const size_t at = 44 + 52 * size_t(c);
    for (uint16_t i = 0; i < 6; ++i) PutBE16(stored, at + 2 * i, uint16_t(200 + 10 * c + i));
    for (uint16_t i = 0; i < 7; ++i) PutBE16(stored, at + 12 + 2 * i, uint16_t(300 + 10 * c + i));
    PutFloat(stored, at + 28, c + 0.25f);
    PutFloat(stored, at + 32, c + 0.75f);
    for (uint32_t i = 0; i < 3; ++i) PutBE32(stored, at + 38 + 4 * i, 0x0A0000u + 16 * c + i);
  }
  SOldDocument document;
  document.records = {OldRecord(5)};
  document.records[0].textures[0] = stored;
  ASSERT_EQ(Import(document, false), 0);
  C3dTexture* texture = Named<C3dTexture>("distinct");
  CHolder holder(texture, false, false);
  const STextureData& data = texture->GetTextureData();
  const SPhaseSpec& phase = data.globalPhase;
  EXPECT_EQ((std::vector<int32_t>{phase.code, phase.amount, phase.angleXY, phase.angleYZ, phase.frequency[0],
                                  phase.frequency[1], phase.frequency[2]}),
            (std::vector<int32_t>{100, 101, 102, 103, 104, 105, 106}));
  EXPECT_EQ(data.filter.a, 1.5f);
  EXPECT_EQ(data.filter.b, -2.5f);
  EXPECT_EQ(data.colour.colour[2], 0x030609u);
  for (int32_t c = 0; c < 3; ++c) {
    SCOPED_TRACE(c);
    const STextureComponent& component = data.component[c];
    EXPECT_EQ((std::vector<int32_t>{component.noiseCode, component.angleXY, component.angleYZ, component.frequency[0],
                                    component.frequency[1], component.frequency[2]}),
              (std::vector<int32_t>{200 + 10 * c, 201 + 10 * c, 202 + 10 * c, 203 + 10 * c, 204 + 10 * c, 205 + 10 * c}));
    EXPECT_EQ(component.phase.code, 300 + 10 * c);
    EXPECT_EQ(component.phase.frequency[2], 306 + 10 * c);
    EXPECT_EQ(component.filter.a, float(c) + 0.25f);
    EXPECT_EQ(component.filter.b, float(c) + 0.75f);
    EXPECT_EQ(component.colour.colour[0], 0x0A0000u + 16 * uint32_t(c));
    EXPECT_EQ(component.colour.colour[2], 0x0A0002u + 16 * uint32_t(c));
  }
}

// ---- settings

TEST_F(OldDocument, SettingsThings) {
  SOldDocument document;
  document.records.clear();
  PutDouble(document.settings, kSunDirection, 3.0);
  PutDouble(document.settings, kSunDirection + 8, 0.0);
  PutDouble(document.settings, kSunDirection + 16, 4.0);
  PutU8(document.settings, kSunFromCamera, 1);
  PutBE16(document.settings, kCentreX, 320);
  document.PutRect(kViewRect, 0, 0, 480, 640);
  ASSERT_EQ(Import(document), 0);

  for (const char* name : {"perspective", "top", "bottom", "front", "back", "right", "left", "dot0", "dot1", "dot2",
                           "dot3", "dot4", "dot5", "dot6", "dot7"})
    EXPECT_NE(Named<C3dCamera>(name), nullptr);
  struct SFixed {
    const char* name;
    vector3<double> position;
    vector3<double> direction;
    vector3<double> up;
    double scale;
  };
  const SFixed fixed[] = {
      {"top", {0, 500, 0}, {0, -1, 0}, {0, 0, 1}, 5.0},   {"bottom", {0, -500, 0}, {0, 1, 0}, {0, 0, 1}, 1.0},
      {"front", {0, 1, -500}, {0, 0, 1}, {0, 1, 0}, 1.0}, {"back", {0, 1, 500}, {0, 0, -1}, {0, 1, 0}, 1.0},
      {"right", {500, 1, 0}, {-1, 0, 0}, {0, 1, 0}, 1.0}, {"left", {-500, 1, 0}, {1, 0, 0}, {0, 1, 0}, 1.0},
  };
  for (const SFixed& f : fixed) {
    SCOPED_TRACE(f.name);
    C3dCamera* camera = Named<C3dCamera>(f.name);
    const SCameraView& view = camera->GetView();
    EXPECT_EQ(camera->GetTransformVector3(), f.position);
    EXPECT_EQ(view.direction, f.direction);
    EXPECT_EQ(view.up, f.up);
    EXPECT_EQ(view.fieldAngle, 0.17452777777777778);
    EXPECT_EQ(view.scale, f.scale);
    EXPECT_EQ(view.aspect, 1.0);
    EXPECT_EQ(view.offsetX, 0.0);
    EXPECT_EQ(view.offsetY, 0.0);
    EXPECT_EQ(view.extentX, 0.5);
    EXPECT_EQ(view.extentY, 0.5);
    EXPECT_EQ(camera->GetCreationWord(0), 16u);
    EXPECT_EQ(camera->GetCreationWord(1), FamilyColour(16));
  }
  for (const char* name : {"perspective", "top", "bottom", "front", "back", "right", "left"}) {
    C3dCamera* camera = Named<C3dCamera>(name);
    EXPECT_EQ(camera->GetFlags() & 4, 4u) << name;
    EXPECT_EQ(camera->GetStateFlags() & 0x1C001, 0x4001u) << name;
  }
  EXPECT_EQ(Named<C3dCamera>("dot3")->GetFlags(), 0u);

  C3dCamera* current = Named<C3dCamera>("perspective");
  const SCameraView& view = current->GetView();
  EXPECT_DOUBLE_EQ(view.fieldAngle, 1.0471975511964);
  EXPECT_EQ(view.offsetX, 0.0);
  EXPECT_EQ(view.offsetY, 0.0);
  EXPECT_EQ(view.extentX, 0.5);
  EXPECT_EQ(view.extentY, 0.5);
  ExpectNear(current->GetTransformVector3(), {0, 0, -10});
  ExpectNear(view.direction, {0, 0, 1});
  ExpectNear(view.up, {0, 1, 0});

  C3dSunLight* sun = Named<C3dSunLight>("sunlight");
  ExpectNear(sun->GetDirection(), {0.6, 0, 0.8}, 1e-12);
  EXPECT_EQ(sun->GetStateFlags(), 0x500u);
  C3dSky* sky = Named<C3dSky>("current sky");
  EXPECT_TRUE(sky->GetSettings().flags & C3dSky::kSunFromCamera);
  C3dTexture* high = Named<C3dTexture>("high cloud texture");
  C3dTexture* low = Named<C3dTexture>("low cloud texture");
  EXPECT_EQ(sky->GetCloudTexture(0), high);
  EXPECT_EQ(sky->GetCloudTexture(1), low);
  EXPECT_NE(TextureBytes(high), TextureBytes(low));
}

// A sky part whose every field holds a value of its own, and where each lands.
Bytes DistinctSkyPart() {
  Bytes part(158);
  PutBE32(part, 0, 1 * 1024);
  PutBE32(part, 4, 0x010203);
  PutBE16(part, 8, 2 * 1024);
  PutBE16(part, 10, 3 * 1024);
  PutU8(part, 12, 1);
  PutU8(part, 13, 1);
  PutU8(part, 14, 1);
  PutFloat(part, 16, 4);
  PutFloat(part, 20, 5);
  PutBE16(part, 24, 3);
  PutDouble(part, 26, 6);
  PutDouble(part, 34, 7 * 1024);
  PutDouble(part, 42, 8 * 1024);
  PutDouble(part, 50, 9 * 1024);
  PutBE32(part, 58, 0x1C1D1E);
  PutBE32(part, 62, 0x040506);
  PutBE32(part, 66, 0x070809);
  PutBE32(part, 70, 0x0A0B0C);
  PutBE32(part, 74, 0x0D0E0F);
  PutBE32(part, 82, 0x1F2021);
  PutDouble(part, 86, 0);
  PutDouble(part, 94, 2);
  PutDouble(part, 102, 0);
  PutBE32(part, 118, 0x101112);
  PutDouble(part, 122, 10);
  PutBE32(part, 130, 0x131415);
  PutFloat(part, 134, 11);
  PutBE32(part, 138, 12 * 1024);
  PutDouble(part, 142, 13);
  PutBE32(part, 150, 0x161718);
  PutBE32(part, 154, 0x191A1B);
  return part;
}

void ExpectDistinctSky(const SSkySettings& s, const C3dSunLight& sun) {
  auto colour = [](uint32_t c) {
    return vector3<float>{float(c >> 16) / 255, float((c >> 8) & 0xFF) / 255, float(c & 0xFF) / 255};
  };
  EXPECT_EQ(s.flags, C3dSky::kGraded | C3dSky::kGlowByElevationWarm | C3dSky::kAtmosphere | C3dSky::kClouds |
                         C3dSky::kCloudLayerA | C3dSky::kCloudLayerB);
  const double doubles[] = {s.cloudHeight, s.cloudOffsetX, s.cloudOffsetZ, s.cloudCover, s.cloudContrast,
                            s.cloudScale,  s.reserved[0],  s.reserved[1],  s.reserved[2], s.valueE,
                            s.valueF,      s.hazeAmount,   s.fogHeight,    s.fogDensity};
  for (size_t i = 0; i < std::size(doubles); ++i) EXPECT_EQ(doubles[i], i < 13 ? double(i + 1) : 1.0) << i;
  const vector3<float> colours[] = {s.cloudBShade, s.cloudA, s.zenith, s.horizon, s.skyLight,
                                    s.flat,        s.cloudBLight, s.haze, s.fog};
  for (uint32_t i = 0; i < std::size(colours); ++i) EXPECT_EQ(colours[i], colour(0x010203 + 0x030303 * i)) << i;
  EXPECT_EQ(sun.GetSecondSunColour(), colour(0x1C1D1E));
  EXPECT_EQ(sun.GetSunColour(), colour(0x1F2021));
  EXPECT_EQ(sun.GetColour(), colour(0x1F2021));
  ExpectNear(sun.GetDirection(), {0, 1, 0}, 1e-12);
}

// ---- the preset readers

TEST_F(OldDocument, ReadNextMaterialTakesRecordsInOrderWithReferencesResolved) {
  SOldDocument document;
  SOldRecord one = OldRecord(5, "one"), two = OldRecord(4, "two"), three = OldRecord(12, "three");
  PutU8(one.surface, kHasTextures, 1);
  one.textures[0] = TextureRecord("wood", 5);
  two.textures[0] = TextureRecord("stone", 6);
  three.textures[1] = NameBlock("wood");
  document.records = {one, two, three};
  COldQuarnFile reader(Write(document.Write()));
  ASSERT_TRUE(reader.IsOpen());
  CDupTextureTables area;
  std::vector<uint32_t> ids;
  std::vector<std::string> names;
  std::vector<Bytes> textures;
  for (int read = 0; read < 3; ++read) {
    ASSERT_EQ(reader.ReadNextMaterial(area), 0) << read;
    C3dMaterial* material = area.GetMaterial();
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetOwningTable(), nullptr);
    names.push_back(NameOf(material));
    ids.push_back(material->GetId());
    CBaseTexture* texture = material->GetChannelTexture(read == 2 ? 1 : 0);
    ASSERT_NE(texture, nullptr) << read;
    ids.push_back(texture->GetId());
    EXPECT_EQ(RecordOf(material).component[read == 2 ? 1 : 0].textureId, texture->GetId());
    textures.push_back(TextureBytes(texture));
  }
  EXPECT_EQ(reader.ReadNextMaterial(area), 25);
  EXPECT_EQ(reader.ReadNextMaterial(area), 25);
  EXPECT_EQ(names, (std::vector<std::string>{"one", "two", "three"}));
  for (uint32_t id : ids) EXPECT_NE(id, 0u);
  EXPECT_EQ(std::set<uint32_t>(ids.begin(), ids.end()).size(), ids.size());
  EXPECT_EQ(textures[2], textures[0]);
  EXPECT_NE(textures[1], textures[0]);
}

TEST_F(OldDocument, ReadNextSkyFillsTheSkyAndSunFromEachSkyRecord) {
  SOldDocument document;
  for (uint16_t seed : {11, 12}) {
    Bytes sky(694);
    const Bytes part = DistinctSkyPart(), first = TextureRecord("a", seed), second = TextureRecord("b", seed + 10);
    std::copy(part.begin(), part.end(), sky.begin() + 64);
    std::copy(first.begin(), first.end(), sky.begin() + 222);
    std::copy(second.begin(), second.end(), sky.begin() + 454);
    document.skies.push_back(sky);
  }
  C3dSky* sky = MakeObject<C3dSky>(table);
  C3dSunLight* sun = MakeObject<C3dSunLight>(table);
  C3dTexture* clouds[2] = {MakeObject<C3dTexture>(table), MakeObject<C3dTexture>(table)};
  const CFileSpec spec = Write(document.Write());
  EXPECT_EQ(COldQuarnFile(spec).ReadNextSky(sky, sun), 9);  // no cloud textures to fill
  COldQuarnFile reader(spec);
  ASSERT_TRUE(reader.IsOpen());
  sky->SetCloudTexture(clouds[0], 0);
  sky->SetCloudTexture(clouds[1], 1);
  std::vector<Bytes> seen;
  for (int read = 0; read < 2; ++read) {
    ASSERT_EQ(reader.ReadNextSky(sky, sun), 0);
    ExpectDistinctSky(sky->GetSettings(), *sun);
    seen.push_back(TextureBytes(clouds[0]));
    seen.push_back(TextureBytes(clouds[1]));
  }
  EXPECT_EQ(reader.ReadNextSky(sky, sun), 25);
  EXPECT_EQ(std::set<Bytes>(seen.begin(), seen.end()).size(), 4u);
}

TEST_F(OldDocument, TheSettingsSkyIsConvertedTheSameWay) {
  SOldDocument document;
  const Bytes part = DistinctSkyPart();
  std::copy(part.begin(), part.end(), document.settings.begin());
  ASSERT_EQ(Import(document), 0);
  ExpectDistinctSky(Named<C3dSky>("current sky")->GetSettings(), *Named<C3dSunLight>("sunlight"));
}

// ---- malformed files

struct SMalformedCase {
  const char* name;
  std::function<void(SOldDocument&)> change;
  int32_t code;
};

TEST_F(OldDocument, MalformedFilesAnswerTheirCode) {
  SPolygon five;
  five.count = 5;
  const SMalformedCase cases[] = {
      {"a total length below 518", [](SOldDocument& d) { d.records[0].totalLength = 517; }, 2},
      {"extra data past the record",
       [](SOldDocument& d) {
         d.records[0].extra = Bytes(20);
         d.records[0].extraLength = 21;
       },
       2},
      {"a mesh whose polygons do not fit",
       [](SOldDocument& d) {
         d.records[0].kind = 9;
         d.records[0].extra = MeshData({SPolygon{}}, 2);
       },
       2},
      {"a polygon of five vertices",
       [five](SOldDocument& d) {
         d.records[0].kind = 17;
         d.records[0].extra = MeshData({five});
       },
       2},
      {"a height field without its grid", [](SOldDocument& d) { d.records[0].kind = 10; }, 2},
      {"a NaN position", [](SOldDocument& d) { d.records[0].position[1] = std::nan(""); }, 2},
      {"an infinite matrix value", [](SOldDocument& d) { d.records[0].matrix[4] = INFINITY; }, 2},
      {"a NaN channel value", [](SOldDocument& d) { d.records[0].Channel(0, 0, 0, 0, 0, 0, std::nan("")); }, 2},
      {"a NaN camera position", [](SOldDocument& d) { PutDouble(d.settings, kCameraPosition, std::nan("")); }, 2},
      {"a NaN sun direction", [](SOldDocument& d) { PutDouble(d.settings, kSunDirection, std::nan("")); }, 2},
      {"an infinite sky float", [](SOldDocument& d) { PutFloat(d.settings, 16, INFINITY); }, 2},
      {"a channel block past the end",
       [](SOldDocument& d) {
         d.records[0].textures[1] = Bytes(10);
         d.records[0].textureLength[1] = 10000;
       },
       2},
      {"more records than the file holds", [](SOldDocument& d) { d.recordCount = 2; }, 2},
      {"a count of 0xFFFFFFFF records", [](SOldDocument& d) { d.recordCount = 0xFFFFFFFF; }, 2},
  };
  for (const SMalformedCase& c : cases) {
    SCOPED_TRACE(c.name);
    NewTable();
    EXPECT_EQ(Import(OneBall(c.change)), c.code);
  }
}

TEST_F(OldDocument, OddValuesImportWithDefaults) {
  SOldDocument document;
  SOldRecord named = OldRecord(5, std::string(40, 'n'));
  named.textures[0] = TextureRecord("t");
  named.textures[0].resize(100);
  document.records = {named};
  document.PutRect(kViewRect, 0, 10, 480, 10);
  PutDouble(document.settings, kViewScale, 0.0);
  PutDouble(document.settings, kSunDirection + 16, 0.0);
  // A record's name field whose length byte claims 200 characters.
  Bytes bytes = document.Write();
  bytes[88 + 6310 + 258] = 200;
  ASSERT_EQ(Import(bytes), 0);
  C3dMaterial* material = MaterialOf(Objects().at(0));
  EXPECT_EQ(NameOf(material), std::string(31, 'n'));
  EXPECT_EQ(material->GetChannelTexture(0), nullptr);
  const SCameraView& view = Named<C3dCamera>("perspective")->GetView();
  EXPECT_EQ(view.offsetX, 0.0);
  EXPECT_EQ(view.offsetY, 0.0);
  EXPECT_EQ(view.extentX, 1.0);
  EXPECT_EQ(view.extentY, 1.0);
  const vector3<double> d{40, 30, -20};
  ExpectNear(Named<C3dSunLight>("sunlight")->GetDirection(), d * (1 / std::sqrt(Dot(d, d))), 1e-12);
}

TEST_F(OldDocument, GroupChainsAtTheRelink) {
  struct SChainCase {
    const char* name;
    std::vector<std::array<int16_t, 4>> records;  // kind, own number, next sibling, first member
    int32_t code;
    std::vector<size_t> members;  // of the first group, by record index
  };
  const SChainCase cases[] = {
      {"a group of two", {{16, 1, -1, 2}, {5, 2, 3, -1}, {4, 3, -1, -1}}, 0, {1, 2}},
      {"a chain that comes back on itself", {{16, 1, -1, 2}, {5, 2, 3, -1}, {4, 3, 2, -1}}, 0, {1, 2}},
      {"groups that list each other", {{16, 1, -1, 2}, {16, 2, -1, 1}}, 2, {}},
      {"a chain into another group's member", {{16, 1, -1, 3}, {16, 2, -1, 4}, {5, 3, 4, -1}, {4, 4, -1, -1}}, 2, {}},
  };
  for (const SChainCase& c : cases) {
    SCOPED_TRACE(c.name);
    NewTable();
    SOldDocument document;
    document.records.clear();
    for (const auto& r : c.records) {
      SOldRecord record = OldRecord(uint8_t(r[0]));
      record.links = {r[1], r[2], r[3]};
      document.records.push_back(record);
    }
    ASSERT_EQ(Import(document, false), 0);
    EXPECT_EQ(C3dGroup::RelinkFromIds(table), c.code);
    if (c.code) continue;
    EXPECT_EQ(C3dGroup::RelinkGroups(table), 0);
    const std::vector<C3dObject*> o = Objects();
    auto* group = static_cast<C3dGroup*>(o[0]);
    ASSERT_EQ(group->GetMemberCount(), c.members.size());
    for (size_t i = 0; i < c.members.size(); ++i) {
      EXPECT_EQ(group->GetMember(uint32_t(i)), o[c.members[i]]);
      EXPECT_EQ(o[c.members[i]]->GetParent(), group);
    }
  }
}

TEST_F(OldDocument, TheOneFunctionImportsTheWholeFileAndHandsBackTheRectangles) {
  SOldDocument document;
  document.records = {OldRecord(5)};
  document.PutRect(kSecondRect, 1, 2, 203, 304);
  SOldDocumentRects rects;
  ASSERT_EQ(ImportOldDocument(Write(document.Write()), table, &rects), 0);
  EXPECT_EQ(Things(table).size(), kSettingsThings + 2);
  EXPECT_EQ(rects.view.right - rects.view.left, 640);
  EXPECT_EQ(rects.view.bottom - rects.view.top, 480);
  EXPECT_EQ(rects.second.right - rects.second.left, 302);
  EXPECT_EQ(rects.second.bottom - rects.second.top, 202);
  CFileSpec missing;
  ASSERT_EQ(missing.Set((folder + "/missing.doc").c_str()), 0);
  EXPECT_EQ(ImportOldDocument(missing, table, &rects), kErrFileNotFound);
}

}  // namespace
