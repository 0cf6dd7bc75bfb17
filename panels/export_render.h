// The export render dialog: the pixel size, resolution and printed size of a picture rendered
// straight into a file, kept in the document image's proportions; it shows the document's title, the
// aspect ratio and the memory the picture takes, and "ok" starts the render to the file.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"

class CDocumentHost;
class CImElement;
class CTxElement;

class CExportRender : public CLayoutHostCanvas {
 public:
  enum EField : uint32_t { kSizeX, kSizeY, kDpi, kOutsizeX, kOutsizeY, kFieldCount };
  static constexpr int32_t kMaxPixels = 65535;
  static constexpr int32_t kMaxDpi = 9999;
  static constexpr float kMaxInches = 9999;
  static constexpr int32_t kDefaultDpi = 72;
  static constexpr uint32_t kFieldChars = 8;

  CExportRender(CUICmFunction* owner, CResourceEnv* environment);
  ~CExportRender() override;

  // The document window the dialog works on; none: the current one.
  void SetDocumentHost(CDocumentHost* host) { fHost = host; }

  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;
  bool Activate() override;

  // With fill set, every value and text from the document window; 0.
  int32_t Prepare(bool fill);
  // One typed value stored, kept in range and carried to the others.
  void OnFieldChanged(const char* name, double value);
  // The values into the fields, but for the named one unless force; force also selects every field's
  // text and beeps, for a value corrected in place.
  void ShowFields(const char* name, bool force);
  // 'titl' the document's title, 'inf1' the aspect ratio, 'inf2' the image memory; text for 'titl'.
  int32_t SetInfoText(uint32_t code, const char* text);

  int32_t GetWidth() const { return fWidth; }
  int32_t GetHeight() const { return fHeight; }
  int32_t GetResolution() const { return fResolution; }
  float GetPrintedWidth() const { return fPrintedWidth; }
  float GetPrintedHeight() const { return fPrintedHeight; }
  float GetAspectNumerator() const { return fAspectX; }
  float GetAspectDenominator() const { return fAspectY; }
  uint64_t GetImageMemory() const { return fMemory; }
  bool IsAutoRotate() const { return fAutoRotate; }
  CTextEdit* GetField(uint32_t field) const { return GetElementWindow(field < kFieldCount ? fFields[field] : nullptr); }
  static SNumericFields& Fields();

 private:
  void ReleaseFields();
  CDocumentHost* Host() const;
  double FieldValue(uint32_t field) const;
  void KeepProportions(uint32_t typed, bool* clamped);

  CDocumentHost* fHost = nullptr;
  CTextEditTable fFieldTable{SRange{0, 32}};
  CElement* fFields[kFieldCount] = {};
  CImElement* fAutoRotateCheck = nullptr;
  CTxElement* fTitle = nullptr;
  CTxElement* fInfo1 = nullptr;
  CTxElement* fInfo2 = nullptr;
  int32_t fWidth = 0;
  int32_t fHeight = 0;
  int32_t fResolution = kDefaultDpi;
  float fPrintedWidth = 0;
  float fPrintedHeight = 0;
  float fAspectX = 0;
  float fAspectY = 0;
  // 64 bits: the largest picture takes 17 GB.
  uint64_t fMemory = 0;
  bool fAutoRotate = false;
};
