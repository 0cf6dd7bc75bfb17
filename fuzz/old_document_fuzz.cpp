// Documents of the earlier version: the bytes as a file, imported whole into a fresh table as opening
// imports it, the groups relinked from their link numbers, and then read again by the preset
// readers, material after material and sky after sky. Seeds are documents the document tests'
// writer makes; the regression folder holds one with a PICT picture in a channel.
#include "document/old_quarn_file.h"
#include "framework/core/appl.h"
#include "framework/core/spool_sys.h"
#include "fuzz/fuzz_support.h"
#include "scene/base_sys.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"
#include "tests/document/old_document_writer.h"

namespace {

using namespace old_writer;

SOldRecord Kind(uint8_t kind, int16_t own, int16_t next, int16_t first) {
  SOldRecord record;
  record.kind = kind;
  record.links = {own, next, first};
  record.name = "kind " + std::to_string(kind);
  return record;
}

// A group of a sphere and a mesh, a torus, a terrain, two lights, a skipped kind, a texture defined
// and then named, and two sky records.
SOldDocument EveryKind() {
  SOldDocument document;
  SPolygon quad;
  quad.count = 4;
  quad.smooth = true;
  quad.points = {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}};
  quad.normals = {{{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}}};
  SOldRecord group = Kind(16, 1, -1, 2), sphere = Kind(5, 2, 3, -1), mesh = Kind(9, 3, -1, -1);
  mesh.extra = MeshData({quad});
  PutU8(sphere.surface, kHasTextures, 1);
  sphere.textures[0] = TextureRecord("grain", 3);
  SOldRecord torus = Kind(8, 4, -1, -1), terrain = Kind(19, 5, -1, -1), spot = Kind(21, 6, -1, -1);
  torus.shape = 300;
  torus.textures[2] = NameBlock("grain");
  terrain.extra = GridData(3, 200);
  SOldRecord square = Kind(22, 7, -1, -1), skipped = Kind(14, 8, -1, -1);
  PutU8(spot.surface, kLightIntensity, 128);
  document.records = {group, sphere, mesh, torus, terrain, spot, square, skipped};
  for (uint16_t seed : {1, 2}) {
    Bytes sky(694);
    const Bytes first = TextureRecord("a", seed), second = TextureRecord("b", seed);
    std::copy(first.begin(), first.end(), sky.begin() + 222);
    std::copy(second.begin(), second.end(), sky.begin() + 454);
    PutDouble(sky, 64 + kSunDirection, 1.0);
    document.skies.push_back(sky);
  }
  return document;
}

}  // namespace

void WriteFuzzSeeds(CFuzzSeeds& seeds) {
  seeds.Add("every-kind.doc", EveryKind().Write());
  SOldDocument objectsOnly = EveryKind();
  objectsOnly.hasSettings = false;
  seeds.Add("objects-only.doc", objectsOnly.Write());
  SOldDocument settingsOnly;
  seeds.Add("settings-only.doc", settingsOnly.Write());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzFramework();
  const CFileSpec spec = WriteFuzzFile(data, size, "input.doc");
  CSpoolSys* environment = GetApplication()->GetObjectsEnv();
  {
    C3dBaseSys table(environment);
    SOldDocumentRects rects;
    ImportOldDocument(spec, &table, &rects);
    if (C3dGroup::RelinkFromIds(&table) == 0) C3dGroup::RelinkGroups(&table);
  }
  COldQuarnFile reader(spec);
  CDupTextureTables area;
  while (reader.ReadNextMaterial(area) == 0) {
  }
  C3dBaseSys table(environment);
  C3dSky* sky = nullptr;
  C3dSunLight* sun = nullptr;
  C3dTexture* clouds[2] = {};
  SObjectKey key;
  SSpoolTableSpec creation;
  MakeCreationKey<C3dSky>(environment, key, creation);
  NewObject(&sky, &table, key, creation);
  MakeCreationKey<C3dSunLight>(environment, key, creation);
  NewObject(&sun, &table, key, creation);
  for (C3dTexture*& cloud : clouds) {
    MakeCreationKey<C3dTexture>(environment, key, creation);
    NewObject(&cloud, &table, key, creation);
  }
  if (!sky || !sun || !clouds[0] || !clouds[1]) return 0;
  sky->SetCloudTexture(clouds[0], 0);
  sky->SetCloudTexture(clouds[1], 1);
  while (reader.ReadNextSky(sky, sun) == 0) {
  }
  return 0;
}
