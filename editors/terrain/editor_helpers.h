// Small helpers that the terrain editor's files share: the keys and the pointer as the application
// reports them, element lookups by kind, and the wait of a press that acts until its release.
#pragma once

#include <cstdint>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/im_element.h"
#include "platform/clock.h"

namespace terrain {

// Drags poll the pointer this often.
inline constexpr int64_t kPollMs = 5;

inline CAppl* App() { return GetApplication(); }

inline bool IsKeyHeld(uint32_t key) {
  CAppl* app = App();
  return app && app->IsKeyDown(key);
}

inline bool SameText(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// A step that succeeded is a message handled.
inline int32_t HandledOr(int32_t result) { return result == kNoErr ? kHandled : result; }

inline CImElement* AsImage(CElement* element) { return dynamic_cast<CImElement*>(element); }

// The element's own picture, none for an element without one.
inline CImage* PictureOf(CElement* element) {
  CImElement* image = AsImage(element);
  return image ? image->GetImage() : nullptr;
}

inline SPointHV PointerOnScreen() {
  CAppl* app = App();
  const platform::SPoint p = app ? app->GetCursorPos() : platform::SPoint{};
  return {p.x, p.y};
}

// The pointer in the element's coordinates (a host canvas's root lies at its window's place on the
// screen).
inline SPointHV PointerIn(CElement* element) {
  SPointHV local;
  element->RootToLocalPoint(&local, PointerOnScreen());
  return local;
}

inline SPointHV OnScreen(CElement* element, SPointHV local) {
  SPointHV screen;
  element->LocalToRootPoint(&screen, local);
  return screen;
}

inline void WaitForRelease() {
  CAppl* app = App();
  while (app && app->IsStillDown()) platform::SleepMs(kPollMs);
}

// A button shows its pressed picture (the entry after its normal one) for the length of a scope;
// nothing for an element without state pictures.
class CPressedPicture {
 public:
  explicit CPressedPicture(CElement* element) : fButton(AsImage(element)) {
    CIxImage* states = fButton ? fButton->GetImageList() : nullptr;
    if (!states) fButton = nullptr;
    else fNormal = states->Selected() == CIxImage::kNone ? 0 : states->Selected();
    if (fButton) fButton->SelectEntry(fNormal + 1, false, false, true);
  }
  ~CPressedPicture() {
    if (fButton) fButton->SelectEntry(fNormal, false, false, true);
  }
  CPressedPicture(const CPressedPicture&) = delete;
  CPressedPicture& operator=(const CPressedPicture&) = delete;

 private:
  CImElement* fButton = nullptr;
  uint32_t fNormal = 0;
};

// Hides the pointer for a drag unless it is hidden already; the end puts it back where the drag
// began (a screen point) and shows it again if it was shown.
class CHiddenPointer {
 public:
  explicit CHiddenPointer(SPointHV home) : fApp(App()), fHome(home) {
    fWasHidden = !fApp || fApp->IsCursorHidden();
    if (!fWasHidden) fApp->HideCursor();
  }
  ~CHiddenPointer() {
    SetCursorPosition(fHome.h, fHome.v);
    if (!fWasHidden) fApp->ShowCursor();
  }
  CHiddenPointer(const CHiddenPointer&) = delete;
  CHiddenPointer& operator=(const CHiddenPointer&) = delete;
  SPointHV Home() const { return fHome; }

 private:
  CAppl* fApp;
  SPointHV fHome;
  bool fWasHidden = true;
};

}  // namespace terrain
