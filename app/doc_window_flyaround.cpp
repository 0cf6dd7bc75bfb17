// The fly-around: a camera of its own orbits the whole scene in the wireframe view, steered by the
// pointer and the keys, until it gives its pose to the main camera, is dropped, or records its orbit
// as a movie of wireframe or rendered frames. The loop pumps the messages itself and keeps the mouse
// and the keys to itself; nothing is recorded for undo.
#include <cmath>
#include <memory>

#include "app/doc_window.h"
#include "framework/core/appl.h"
#include "framework/core/box3d.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/core/timer.h"
#include "framework/image/avi_movie.h"
#include "framework/image/clipboard.h"
#include "framework/image/image.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/group.h"
#include "scene/object_family.h"

namespace {

constexpr const char* kFlyCameraName = "flyaround camera";
constexpr int32_t kFlyCameraFamily = 0;

constexpr double kFirstStep = -0.075;  // radians a frame
constexpr double kStepChange = 0.005;
constexpr double kTurnPerPixel = 0.01;
constexpr double kWiden = 1.1;
constexpr double kNarrow = 0.9;
// The eye above and beside the scene's box: centre + (1.25, 2, 1.25) × size, lifted by 1.5.
constexpr double kSideDistance = 1.25;
constexpr double kHeightDistance = 2.0;
constexpr double kLift = 1.5;
constexpr C3dBox kEmptySceneBox{{-1, -1, -1}, {1, 1, 1}};

// "objinfochanged": a drag step of the camera; the camera changed.
constexpr uint32_t kLiveStep = 0x80000004;
constexpr uint32_t kCameraChanged = 1;

// 600 / 40 = 15 frames a second, for three times the rate value: 1,800 frames.
constexpr uint32_t kMovieRate = 600;
constexpr double kMovieLength = 3.0;
constexpr int32_t kFrameDuration = 20;
constexpr uint32_t kMappedToCharacter = 2;

// The keys' characters.
enum : uint32_t {
  kEnterKey = 13,
  kEscapeKey = 27,
  kSpaceKey = 32,
  kUpKey = 38,
  kDownKey = 40,
  kWireframeMovieKey = 96,  // "`"
  kRenderedMovieKey = 126,  // "~"
};

enum class EMovie { kNone, kWireframe, kRendered };

struct SFlight {
  double step = kFirstStep;
  bool manual = false;
  bool keep = false;
  bool end = false;
  EMovie movie = EMovie::kNone;
  platform::SPoint pointer;
};

bool IsMouseMessage(uint32_t message) { return message >= platform::kWmMouseFirst && message <= platform::kWmMouseLast; }
bool IsKeyMessage(uint32_t message) { return message >= platform::kWmKeyFirst && message <= platform::kWmKeyLast; }

// The scene's box: of every object outside groups that is no camera, not hidden and bounded (an
// unbounded plane would put the eye at infinity); the unit box around the origin when there is none.
C3dBox SceneBox(C3dBaseSys* scene) {
  C3dBox box = C3dBox::Empty();
  CHolder lock(scene, false, false);
  for (uint32_t row = 0; lock.IsLocked() && row < scene->GetCount(); ++row) {
    C3dBase* thing = (*scene)[row].object;
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (!object || object->GetParent() || object->GetFamily() == C3dCamera::kFamily) continue;
    if ((object->GetFlags() & C3dObject::kHidden) || object->IsUnbounded()) continue;
    const C3dBox own = object->WorldBox();
    if (own.IsEmpty() || !std::isfinite(own.fMin.x + own.fMin.y + own.fMin.z + own.fMax.x + own.fMax.y + own.fMax.z))
      continue;
    box.Union(own);
  }
  return box.IsEmpty() ? kEmptySceneBox : box;
}

// One frame's steering: the automatic orbit, then the pointer's movement since the last frame.
void Steer(C3dCamera& camera, SFlight& flight, CAppl& app) {
  if (!flight.manual) camera.OrbitA(flight.step);
  int32_t dx = 0, dy = 0;
  if (app.IsActive()) {
    const platform::SPoint now = app.GetCursorPos();
    dx = now.x - flight.pointer.x;
    dy = now.y - flight.pointer.y;
    flight.pointer = now;
  }
  if (dy != 0) {
    if (app.IsControlDown()) {
      SCameraView& view = camera.GetView();
      const double factor = dy > 0 ? kWiden : kNarrow;
      view.extentX *= factor;
      view.extentY *= factor;
    } else {
      camera.OrbitB(dy * kTurnPerPixel);
    }
  }
  if (dx != 0 && flight.manual) {
    if (app.IsAltDown()) {
      camera.TurnA(dx * kTurnPerPixel);
      camera.TurnB(dy * kTurnPerPixel);
    } else {
      camera.OrbitA(dx * kTurnPerPixel);
    }
  }
}

// The character the key typed, Shift applied: the character message that translating the key-down
// queues next (the key mapping alone gives the unshifted one, and "~" could never be asked for); the
// virtual key for a key that types none.
uint32_t KeyCharacter(const platform::SMessage& keyDown) {
  platform::SMessage character;
  if (platform::TranslateMessage(keyDown) &&
      platform::PeekMessage(&character, nullptr, platform::kWmChar, platform::kWmChar, true))
    return uint32_t(character.wParam);
  const uint32_t mapped = platform::MapVirtualKey(uint32_t(keyDown.wParam), kMappedToCharacter);
  return mapped ? mapped : uint32_t(keyDown.wParam);
}

void ActOnKey(SFlight& flight, uint32_t character) {
  switch (character) {
    case kEnterKey:
      flight.keep = true;
      flight.end = true;
      break;
    case kEscapeKey: flight.end = true; break;
    case kSpaceKey: flight.manual = !flight.manual; break;
    case kUpKey: flight.step -= kStepChange; break;
    case kDownKey: flight.step += kStepChange; break;
    case kWireframeMovieKey: flight.movie = EMovie::kWireframe; break;
    case kRenderedMovieKey: flight.movie = EMovie::kRendered; break;
    default: break;
  }
}

// Every waiting message: the mouse's and the keys' are the fly-around's own, the others go on. A paint
// message stays until its window is painted; one whose painting does not take it would come back for
// ever, so a frame takes at most so many.
void PumpFlightMessages(SFlight& flight) {
  platform::SMessage message;
  for (int taken = 0; taken < platform::kMostPaintDispatches && platform::PeekMessage(&message, nullptr, 0, 0, true);
       ++taken) {
    if (!IsMouseMessage(message.message) && !IsKeyMessage(message.message)) {
      platform::TranslateMessage(message);
      platform::DispatchMessage(message);
      continue;
    }
    if (message.message == platform::kWmLButtonDown) flight.end = true;
    if (message.message == platform::kWmKeyDown) ActOnKey(flight, KeyCharacter(message));
  }
}

// The frame goes out bottom-up from a copy, so that the image shown (and later printed or saved)
// stays the right way up.
int32_t WriteFlipped(CAviMovie& movie, CImage* source, CImage* frame) {
  if (!frame->CopyFrom(source) || !FlipImageRows(frame)) return NonZeroError(frame->GetError());
  return movie.WriteFrame(frame, kFrameDuration);
}

int32_t SetCameraHidden(C3dCamera* camera, bool hidden) {
  CHolder lock(camera, true, false);
  if (!camera || !lock.IsLocked()) return kErrOutOfMemory;
  // Not looked through: left out of the wireframe and of every ray.
  camera->SetFlags(C3dObject::kNotDrawn, hidden);
  camera->SetStateFlags(C3dObject::kExcluded, hidden);
  return kNoErr;
}

}  // namespace

int32_t CDocWindow::NewFlyCamera(C3dBaseSys* scene, C3dCamera** out) {
  *out = nullptr;
  const C3dBox box = SceneBox(scene);
  C3dCamera* camera = nullptr;
  if (NewCamera(scene, &camera) || !camera) return kErrOutOfMemory;
  CHolder lock(camera, true, false);
  if (!lock.IsLocked()) {
    scene->RemoveObject(camera, true, false);
    return kErrOutOfMemory;
  }
  const vector3<double> centre = (box.fMin + box.fMax) * 0.5;
  const vector3<double> size = box.fMax - box.fMin;
  camera->SetTransformVector3({centre.x + kSideDistance * size.x, centre.y + kHeightDistance * size.y + kLift,
                               centre.z + kSideDistance * size.z});
  camera->SetOrigin(centre);
  NameThing(*camera, kFlyCameraName);
  SetObjectFamily(*camera, kFlyCameraFamily);
  *out = camera;
  return kNoErr;
}

int32_t CDocWindow::FlyAround() {
  CAppl* app = GetApplication();
  C3dCamera* previous = fCurrentCamera;
  if (!app || !fScene || !previous) return kErrOutOfMemory;
  while (app->IsMouseDown()) {
  }
  // The camera looked through until now is seen in the views while the fly camera flies.
  if (SetCameraHidden(previous, false)) return kErrOutOfMemory;
  C3dCamera* fly = nullptr;
  if (NewFlyCamera(fScene.get(), &fly)) {
    SetCameraHidden(previous, true);
    return kErrOutOfMemory;
  }
  fCurrentCamera = fly;
  fDragging = 1;
  SFlight flight;
  flight.pointer = app->GetCursorPos();
  int32_t result = kNoErr;
  while (!flight.end && !app->IsMouseDown()) {
    CTimer frame;
    frame.Start();
    {
      CHolder lock(fly, true, false);
      if (!lock.IsLocked()) {
        result = kErrOutOfMemory;
        break;
      }
      Steer(*fly, flight, *app);
    }
    NotifyDragStep(kLiveStep);
    if (flight.movie != EMovie::kNone) {
      result = RecordFlight(fly, flight.step, flight.movie == EMovie::kRendered);
      flight.keep = false;
      break;
    }
    Invalidate(true);
    Redraw(false);
    PumpFlightMessages(flight);
    while (frame.ElapsedTicks() < 1) platform::SleepMs(1);
  }
  EndFlight(fly, previous, flight.keep && result == kNoErr);
  return result;
}

int32_t CDocWindow::RecordFlight(C3dCamera* fly, double step, bool rendered) {
  CImage* source = rendered ? fRenderedImage : fWindowImage;
  if (!source) return kErrOutOfMemory;
  const int32_t width = int32_t(source->GetWidth()), height = int32_t(source->GetHeight());
  auto movie = std::make_unique<CAviMovie>();
  if (movie->Reset() != 1) return kErrOutOfMemory;
  int32_t result = movie->Open(nullptr);
  // A cancelled choice of the file or the compression is no failure: nothing is recorded or shown.
  if (result) return result == kSilentCode24 ? kNoErr : result;
  result = movie->CreateStream(width, height, kMovieRate);
  if (!result) result = movie->SetFormat(nullptr, source);
  if (result) {
    movie->ReleaseStream();
    return result == kSilentCode24 ? kNoErr : result;
  }
  std::unique_ptr<CImage> frame(NewImage({width, height}));
  if (!frame) result = kErrOutOfMemory;
  const uint32_t mode = fMode;
  if (rendered && !result) {
    fMode &= ~kWireframeShown;
    result = SetCameraHidden(fly, true);
  }
  const uint32_t frames = uint32_t(double(kMovieRate) * kMovieLength);
  for (uint32_t i = 0; i < frames && !result; ++i) {
    result = DrawFlightFrame(fly, step, rendered);
    if (!result) result = WriteFlipped(*movie, source, frame.get());
  }
  // A render the user stopped ends the movie where it is, as any failing frame does, but is no failure.
  if (result == kSilentCode24) result = kNoErr;
  if (rendered) {
    SetCameraHidden(fly, false);
    fMode |= mode & kWireframeShown;
  }
  const int32_t released = movie->ReleaseStream();
  return result ? result : released;
}

int32_t CDocWindow::DrawFlightFrame(C3dCamera* fly, double step, bool rendered) {
  {
    CHolder lock(fly, true, false);
    if (!lock.IsLocked()) return kErrOutOfMemory;
    fly->OrbitA(step);
  }
  if (!rendered) {
    Invalidate(true);
    return Redraw(false);
  }
  fRender.fContext.ResetProgressive();
  fRenderRequest |= kRenderDrawAll | kRenderNow;
  CacheCameraState();
  fDirty |= kDirtyView;
  if (const int32_t err = Redraw(false)) return err;
  return RenderSlice();
}

// Every end leaves the window looking through its own camera again, its render camera taken from it,
// and the view redrawn: neither the fly camera's view nor its pose outlives it.
void CDocWindow::EndFlight(C3dCamera* fly, C3dCamera* previous, bool keep) {
  fDragging = 0;
  SetCameraHidden(previous, true);
  fCurrentCamera = previous;
  C3dCamera* main = fViewCameras[kPerspective];
  if (keep && main) {
    CHolder flyLock(fly, false, false);
    CHolder mainLock(main, true, false);
    if (flyLock.IsLocked() && mainLock.IsLocked()) {
      main->SetTransformVector3(fly->GetTransformVector3());
      SCameraView& view = main->GetView();
      view.direction = fly->GetView().direction;
      view.up = fly->GetView().up;
      view.target = fly->GetView().target;
    }
  }
  CacheCameraState();
  if (keep) NotifyObjInfoChanged(kCameraChanged);
  Invalidate(true);
  fScene->RemoveObject(fly, true, false);
}
