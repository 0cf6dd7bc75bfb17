// The 416-byte settings record: its stored layout, its round trip byte for byte, the size query, a
// record too short, and the progressive state it hands to a render context.
#include "document/doc_settings.h"

#include <gtest/gtest.h>

#include "document_fixture.h"

namespace {

class DocSettings : public DocumentTest {
 protected:
  std::unique_ptr<CDocSettings> NewSettings() {
    return std::make_unique<CDocSettings>(SSpoolLayout{ObjectsEnv(), 0, 0});
  }
  // The stored record's bytes.
  Bytes StoredRecord() {
    SSpoolKey key;
    key.Set(CDocSettings::kTypeName, CDocSettings::kId, false);
    CResEntry entry{};
    EXPECT_TRUE(document->GetResourceInfo(key, &entry));
    return EntryBytes(document.get(), entry.second);
  }
  void StoreRecord(const Bytes& bytes) {
    SSpoolKey key;
    key.Set(CDocSettings::kTypeName, CDocSettings::kId, false);
    CResEntry entry{};
    ASSERT_TRUE(document->GetResourceInfo(key, &entry));
    CCmFile* file = document->GetCmFile();
    ASSERT_EQ(file->SetEntrySize(entry.second, uint32_t(bytes.size())), 0);
    CMemBlock block(uint32_t(bytes.size()), nullptr);
    std::memcpy(block.GetData(), bytes.data(), bytes.size());
    ASSERT_EQ(file->WriteEntryFromData(entry.second, block), 0);
  }
  static Bytes Slice(const Bytes& bytes, size_t at) { return Bytes(bytes.begin() + at, bytes.begin() + at + 4); }
};

TEST_F(DocSettings, TheRecordIsStoredBigEndianAndLoadsBackByteForByte) {
  std::unique_ptr<CDocSettings> settings = NewSettings();
  settings->SetSizes(480, 360, 640, 480);
  settings->SetWord(CDocSettings::kBlockSize, 16);
  settings->SetWord(CDocSettings::kRenderOptions, 9151);
  settings->SetText(0, "abc");
  ASSERT_EQ(settings->Store(*document), 0);
  Bytes bytes = StoredRecord();
  ASSERT_EQ(bytes.size(), 416u);
  EXPECT_EQ(Slice(bytes, 0), (Bytes{0, 0, 0x01, 0xE0}));
  EXPECT_EQ(Slice(bytes, 8), (Bytes{0, 0, 0x02, 0x80}));
  EXPECT_EQ(Slice(bytes, 16), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Slice(bytes, 24), (Bytes{0, 0, 0x01, 0xE0}));
  EXPECT_EQ(Slice(bytes, 28), (Bytes{0, 0, 0x02, 0x80}));
  EXPECT_EQ(Slice(bytes, 56), (Bytes{0, 0, 0x23, 0xBF}));
  EXPECT_EQ(Slice(bytes, 156), (Bytes{'a', 'b', 'c', 0}));
  EXPECT_EQ(settings->GetEnvironment(), ObjectsEnv());

  // Whatever lies behind a text's terminator, and in the further words, comes back.
  for (size_t i = 160; i < 221; ++i) bytes[i] = uint8_t(i);
  std::fill(bytes.begin() + 351, bytes.begin() + 416, 'z');
  bytes[100] = 0x7F;
  StoreRecord(bytes);
  std::unique_ptr<CDocSettings> loaded = NewSettings();
  ASSERT_EQ(loaded->Fetch(*document), 0);
  EXPECT_EQ(loaded->GetWord(CDocSettings::kRenderWidth), 640u);
  EXPECT_EQ(loaded->GetWord(CDocSettings::kRenderOptions), 9151u);
  EXPECT_EQ(loaded->GetText(0), "abc");
  EXPECT_EQ(loaded->GetText(3), std::string(64, 'z'));
  ASSERT_EQ(loaded->Store(*document), 0);
  EXPECT_EQ(StoredRecord(), bytes);
}

TEST_F(DocSettings, ItsSizeIs416AndAShortRecordLeavesTheSettings) {
  std::unique_ptr<CDocSettings> settings = NewSettings();
  uint32_t size = 0;
  EXPECT_EQ(CDocSettings::HandleMessage(settings.get(), 10, &size), 1u);
  EXPECT_EQ(size, 416u);

  settings->SetWord(CDocSettings::kRenderOptions, 959);
  EXPECT_EQ(settings->Fetch(*document), 6);
  ASSERT_EQ(settings->Store(*document), 0);
  Bytes bytes = StoredRecord();
  bytes[59] = 0x01;
  bytes.push_back(0xEE);
  StoreRecord(bytes);
  ASSERT_EQ(settings->Fetch(*document), 0);
  EXPECT_EQ(settings->GetWord(CDocSettings::kRenderOptions), 0x301u);

  bytes.resize(415);
  bytes[59] = 0x02;
  StoreRecord(bytes);
  EXPECT_EQ(settings->Fetch(*document), 2);
  EXPECT_EQ(settings->GetWord(CDocSettings::kRenderOptions), 0x301u);
}

TEST_F(DocSettings, ABlockSizeOfZeroStartsTheRenderOver) {
  std::unique_ptr<CDocSettings> settings = NewSettings();
  for (uint32_t i = 0; i < 5; ++i) settings->SetWord(CDocSettings::kCounters + i, 7 + i);
  CRenderContext::SProgressiveState state;
  state.blockSize = 4;
  state.lastDrawnRow = 33;
  settings->GiveProgressive(state);
  EXPECT_EQ(state.blockSize, 16u);
  EXPECT_EQ(state.blockMask, 0u);
  EXPECT_EQ(state.column, 0u);
  EXPECT_EQ(state.antialiasRow, 0u);
  EXPECT_EQ(settings->GetWord(CDocSettings::kBlockSize), 16u);
  EXPECT_EQ(settings->GetWord(CDocSettings::kCounters), 0u);

  const CRenderContext::SProgressiveState midway{2, 1, 40, 50, 3, 4, 0};
  settings->TakeProgressive(midway);
  CRenderContext::SProgressiveState restored;
  settings->GiveProgressive(restored);
  EXPECT_EQ(restored.blockSize, 2u);
  EXPECT_EQ(restored.column, 40u);
  EXPECT_EQ(restored.row, 50u);
  EXPECT_EQ(restored.antialiasColumn, 3u);
  EXPECT_EQ(restored.antialiasRow, 4u);
}

}  // namespace
