// The document settings record "quarndocset": the two image sizes of a document (its window image and
// its rendered image), the render region, where a progressive render stands, the render option bits
// and further words and texts that are kept as they are. Stored as one 416-byte big-endian record:
// 39 words (156 bytes), then four texts of 65 bytes copied byte for byte.
//
// The record is the settings object's stored header in the document, under the key ("quarndocset",
// 1); the record-type handler answers the header messages of the spool protocol.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/subscriber.h"
#include "render/render_context.h"

class CMemBlock;
class CResourceEnv;

class CDocSettings : public CSubscriber {
 public:
  static constexpr const char* kTypeName = "quarndocset";
  static constexpr uint32_t kId = 1;
  static constexpr uint32_t kRecordBytes = 416;
  static constexpr uint32_t kWordCount = 39;
  static constexpr uint32_t kTextCount = 4;
  static constexpr uint32_t kTextBytes = 65;
  static constexpr uint32_t kDefaultBlockSize = 16;

  // Word indices.
  enum EWord : uint32_t {
    kImageWidth = 0,
    kImageHeight = 1,
    kRenderWidth = 2,
    kRenderHeight = 3,
    kRegionTop = 4,  // then left, bottom, right
    kBlockSize = 8,
    kCounters = 9,  // five words
    kRenderOptions = 14,
    kFurtherWords = 15,  // 24 words kept as they are
  };

  // In an environment of the application; the sizes and region start at zero, as does the rest.
  explicit CDocSettings(const SSpoolLayout& layout);

  // Message 8 loads the record from the stored block, 9 saves it into the block, 10 answers its
  // size; the others go to the default handler.
  static uint32_t HandleMessage(CSpoolMem* object, uint32_t message, void* argument);
  // From the stored bytes: false, with error 2 and the settings as they were, for fewer than 416.
  bool Load(const CMemBlock& stored);
  bool Save(CMemBlock& stored) const;

  // Into a document open for writing, writing over a record that is there: 0 or the failing step's
  // code; the settings stay in their own environment.
  int32_t Store(CResourceEnv& document);
  // From a document: 0; 6 when it has no settings record, 2 for one shorter than 416 bytes (a
  // longer one is read in its first 416), else the file's code. The settings change only on 0.
  int32_t Fetch(CResourceEnv& document);

  uint32_t GetWord(uint32_t index) const { return index < kWordCount ? fWords[index] : 0; }
  void SetWord(uint32_t index, uint32_t value) {
    if (index < kWordCount) fWords[index] = value;
  }
  // Text 0 to 3 up to its terminator, and never more than 64 characters: a stored field need not
  // hold a terminator.
  std::string GetText(uint32_t index) const;
  // At most 64 characters are kept, and the rest of the field is zeroed.
  void SetText(uint32_t index, const char* text);
  // Every word and text of the other settings; the settings object's own state stays.
  void CopyRecord(const CDocSettings& other);
  // Image size, render size, and the render region over the whole rendered image.
  void SetSizes(int32_t imageWidth, int32_t imageHeight, int32_t renderWidth, int32_t renderHeight);

  // The progressive state (block size and the five counters) taken from a render context, and given
  // back to one: a block size of 0 then starts the render over, at 16 with the counters cleared.
  void TakeProgressive(const CRenderContext::SProgressiveState& state);
  void GiveProgressive(CRenderContext::SProgressiveState& state);

 private:
  uint32_t fWords[kWordCount] = {};
  char fTexts[kTextCount][kTextBytes] = {};
};
