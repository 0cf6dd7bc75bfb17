// The mesh smoothing panel: smooths the selected triangle meshes within an angle set on a vertical
// slider (0 to 180 degrees, 85 at start, kept between openings), or makes them flat, with the
// progress of the normal passes on its status line. Nothing is recorded for undo.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"
#include "scene/progress_stepper.h"

class C3dBaseSys;
class CDocumentHost;
class CImage;
class CTxElement;

class CEditPoly : public CLayoutHostCanvas, public CProgressReporter {
 public:
  // The status texts of the layout, by row.
  enum EText : uint32_t { kMeshesText, kFacesText, kMeshPrefix, kProgressText, kDoneText, kStartText, kAngleText, kTextCount };
  static constexpr int32_t kStartAngle = 85;
  static constexpr int32_t kMaxAngle = 180;
  static constexpr uint32_t kLineBytes = 64;
  static constexpr uint32_t kTextBytes = 72;
  static constexpr uint32_t kBarColour = 0x7F2020;
  // The drawing pass of the bar: the one after the layout's fill.
  static constexpr uint32_t kBarPass = 1;
  // A line of the end or of the angle stands this long before the counts come back.
  static constexpr int64_t kLineTicks = 60;
  // The slider's message kind while it moves.
  static constexpr uint32_t kSliderKind = 2;

  CEditPoly(CUICmFunction* owner, CResourceEnv* environment);
  ~CEditPoly() override;

  void SetOwner(CDocumentHost* owner) { fOwner = owner; }
  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;

  // The scene table whose selected meshes the panel edits; counts them: 0.
  int32_t SetMesh(C3dBaseSys* table);
  C3dBaseSys* GetTable() const { return fTable; }
  // Each selected mesh's face normals, then with smooth its vertex normals within the angle and
  // every face smooth, else every face flat: 0, or 1 when an object cannot be locked (the meshes
  // before it keep their normals).
  int32_t SmoothSelection(int32_t angle, bool smooth);
  // The status line: 'norm' the counts, 'prep' the start, 'proc' the progress (a mesh, b pass, c
  // percent), 'done' the end, 'sldr' the angle a; another code empties it. 0, or 1 without the texts.
  int32_t SetStatus(uint32_t code, int32_t a = 0, int32_t b = 0, int32_t c = 0);
  const char* GetStatusLine() const { return fLine; }
  int32_t GetAngle() const { return fAngle; }
  uint32_t GetMeshCount() const { return fMeshCount; }
  uint32_t GetFaceCount() const { return fFaceCount; }
  // The text the panel uses for a row: the layout's when its conversions fit the row, else its own.
  const char* GetText(uint32_t row) const { return row < kTextCount ? fTexts[row] : ""; }
  // Whether a text may stand for the row: only "%ld" conversions, as many as the row gives at most,
  // and "%%".
  static bool FitsRow(const char* text, uint32_t row);

  bool IsReporting() const override;
  void ReportProgress(uint32_t pass, uint32_t done, uint32_t total) override;

  static int32_t OnHeartbeat(void* panel, void* record, void*);
  static int32_t DrawSlider(CElement* element, uint32_t pass, CImage* port);

 private:
  void ReadTexts(CResourceEnv* environment);
  void ShowAngle(int32_t angle);
  void WriteLine(const char* line);
  void UpdateSelection(bool recount);

  static int32_t OnSliderPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
  static int32_t OnButtonPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);

  CDocumentHost* fOwner = nullptr;
  C3dBaseSys* fTable = nullptr;
  CTxElement* fStatus = nullptr;
  CElement* fSlider = nullptr;
  char fTexts[kTextCount][kTextBytes] = {};
  char fLine[kLineBytes] = {};
  uint32_t fLineCode = 0;
  int64_t fLineSince = 0;
  int32_t fAngle = kStartAngle;
  uint32_t fMeshCount = 0;
  uint32_t fFaceCount = 0;
  uint32_t fMeshNumber = 0;
  uint32_t fPass = 0;
  uint32_t fDone = 0;
  uint32_t fTotal = 0;
  bool fChanged = false;
};
