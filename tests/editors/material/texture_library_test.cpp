// The texture library data/textures.dat: Stratus and Cumulus as 1 and 2, then the textures for
// objects from 3, each named in the type table and in its own name block, and each reading back,
// preparing and evaluating to finite values.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "tests/editors/material/edit_3d_texture_fixture.h"
#include "scene/texture/texture_evaluate.h"

namespace {

class TextureLibrary : public Edit3dTextureTest {
 protected:
  struct SEntry {
    uint32_t id;
    std::string name;
  };
  std::vector<SEntry> Entries() {
    std::vector<SEntry> entries;
    CResTypeTable* table = nullptr;
    EXPECT_TRUE(library->FindType(C3dTexture::kTypeName, &table, nullptr));
    if (!table) return entries;
    CHolder rows(table, false, false);
    for (uint32_t i = 0; rows.IsLocked() && i < table->GetCount(); ++i)
      entries.push_back({(*table)[i].number, std::string((*table)[i].name, strnlen((*table)[i].name, 32))});
    return entries;
  }
};

TEST_F(TextureLibrary, HoldsTheCloudsFirstAndTwelveTexturesOfOursAfterThem) {
  const std::vector<SEntry> entries = Entries();
  ASSERT_GE(entries.size(), kLibraryCount);
  EXPECT_EQ(entries[0].id, 1u);
  EXPECT_EQ(entries[0].name, "Stratus");
  EXPECT_EQ(entries[1].id, 2u);
  EXPECT_EQ(entries[1].name, "Cumulus");
  std::set<uint32_t> ids;
  std::set<std::string> names;
  for (size_t i = 2; i < entries.size(); ++i) {
    EXPECT_GE(entries[i].id, 3u) << entries[i].name;
    EXPECT_LE(entries[i].name.size(), 66u);
    ids.insert(entries[i].id);
    names.insert(entries[i].name);
  }
  EXPECT_EQ(ids.size(), entries.size() - 2);
  EXPECT_EQ(names.size(), entries.size() - 2);
}

// Every texture reads back under its name, prepares and evaluates to finite values over a grid; the
// library holds one-, two- and three-component textures, coloured and value-only components, and a
// global phase with noise.
TEST_F(TextureLibrary, EveryTextureReadsBackAndEvaluates) {
  std::set<int32_t> counts;
  bool coloured = false, valueOnly = false, globalNoise = false;
  for (const SEntry& entry : Entries()) {
    SCOPED_TRACE(entry.name);
    CBaseTexture* stored = nullptr;
    ASSERT_EQ(ResolveTextureSelection(entry.id, library, nullptr, &stored), 0);
    auto* texture = dynamic_cast<C3dTexture*>(stored);
    ASSERT_NE(texture, nullptr);
    CBaseTexture* copy = nullptr;
    ASSERT_EQ(texture->Duplicate(&copy), 0);
    CBaseTexture::ReleaseUse(stored);
    std::unique_ptr<CBaseTexture> owned(copy);
    auto* edited = static_cast<C3dTexture*>(copy);
    EXPECT_EQ(NameOf(edited), entry.name);
    CHolder held(edited, true, false);
    ASSERT_TRUE(held.IsLocked());
    edited->PrepareEvaluation(true);
    STextureData& data = edited->GetTextureData();
    counts.insert(data.count);
    for (int32_t c = 0; c < data.count; ++c) {
      const STextureComponent& component = data.component[c];
      if ((component.kinds & kKindColour) && component.colour.mapKind) coloured = true;
      if (component.kinds == kKindValue) valueOnly = true;
    }
    if ((data.globalPhase.code >> 2 & 63) && data.globalPhase.amount) globalNoise = true;
    for (double x = -2; x <= 2; x += 0.5) {
      for (double y = -2; y <= 2; y += 0.5) {
        for (double z = -1; z <= 1; z += 0.5) {
          EvaluateTexture(x, y, z, data);
          // The packed record's doubles are read by value.
          const STextureResult result = data.result;
          ASSERT_TRUE(std::isfinite(result.value)) << x << " " << y << " " << z;
          for (int i = 0; i < 3; ++i) ASSERT_TRUE(std::isfinite(result.gradient[i]));
        }
      }
    }
  }
  EXPECT_EQ(counts, (std::set<int32_t>{1, 2, 3}));
  EXPECT_TRUE(coloured);
  EXPECT_TRUE(valueOnly);
  EXPECT_TRUE(globalNoise);
}

// The library's listing names each texture with its id, as the build's check reads it.
TEST_F(TextureLibrary, ResdumpListsEveryTexture) {
  const std::string command = std::string(RESDUMP_PATH) + " " + QUARN2_DATA_DIR "/textures.dat";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string listing;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe)) listing += buffer;
  EXPECT_EQ(pclose(pipe), 0);
  for (const SEntry& entry : Entries())
    EXPECT_NE(listing.find("C3dTexture " + std::to_string(entry.id) + " " + entry.name + " "), std::string::npos)
        << entry.name;
}

}  // namespace
