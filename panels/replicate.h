// The replicate dialog: copies of the selection in a row, each moved, turned and sized one step further
// than the one before, made in one undoable step. Opening proposes as the step the difference between
// the first selected object's place and the one it had when it was made or last replicated, so a copy
// moved by hand shows its move; the quantity stays from the last use.
#pragma once

#include <cstdint>

#include "framework/core/vector3.h"
#include "framework/ui/layout_host_canvas.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"

class CDocumentHost;
class CImElement;
struct SReplicateSettings;

class CReplicate : public CLayoutHostCanvas {
 public:
  enum EField : uint32_t {
    kQuantity,
    kOffsetX,
    kScaleX = kOffsetX + 3,
    kRotateX = kScaleX + 3,
    kFieldCount = kRotateX + 3,
  };
  static constexpr int32_t kQuantityLimit = 999;
  static constexpr double kOffsetLimit = 99999;
  static constexpr double kRotateLimit = 999;
  static constexpr double kScaleLimit = 9999;
  static constexpr double kLeastScale = 0.001;
  // Offsets are shown in a unit of which a world unit holds 10.24.
  static constexpr double kOffsetUnit = 1024 * 0.01;

  CReplicate(CUICmFunction* owner, CResourceEnv* environment);
  ~CReplicate() override;

  // The document window whose selection it replicates.
  void SetOwner(CDocumentHost* owner) { fOwner = owner; }

  int32_t BuildControls(CResourceEnv* environment) override;
  int32_t HandleEvent(CUIMessage* message) override;
  bool Activate() override;

  // Built once and filled from the selection before the dialog shows: 0 or the build's code.
  int32_t Apply();
  // load: the step proposed from the first selected object; otherwise the copies made: 0 or the
  // replication's code.
  int32_t Exchange(bool load);
  // The step record the values give.
  SReplicateSettings GetStep() const;

  int32_t GetQuantity() const { return fQuantity; }
  double GetValue(uint32_t field) const { return field < kFieldCount ? fValues[field] : 0; }
  bool GetScaleTranslation() const { return fScaleTranslation; }
  CTextEdit* GetField(uint32_t field) const { return GetElementWindow(field < kFieldCount ? fElements[field] : nullptr); }
  static SNumericFields& Fields();

 private:
  void ReleaseFields();
  void OnFieldChanged(const char* name);
  void ShowFields();

  CDocumentHost* fOwner = nullptr;
  CTextEditTable fFields{SRange{0, 32}};
  CElement* fElements[kFieldCount] = {};
  CElement* fCheck = nullptr;
  int32_t fQuantity = 1;
  double fValues[kFieldCount] = {1, 0, 0, 0, 100, 100, 100, 0, 0, 0};
  bool fScaleTranslation = false;
};
