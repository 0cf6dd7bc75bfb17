// The fly-around camera: its place over the scene's box, the keys and the pointer in its loop, how it
// ends, and the movies it records, read back with ffprobe and ffmpeg.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "editing/undo_history.h"
#include "framework/core/result_codes.h"
#include "platform/avi_file.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "platform/window.h"
#include "render/render_driver.h"
#include "scene/factory.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

constexpr SPointHV kImageSize{64, 48};
constexpr SPointHV kRenderSize{16, 12};
constexpr const char* kFlyName = "flyaround camera";
constexpr double kTolerance = 1e-9;

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}
std::string Press(uint32_t key) { return "key " + std::to_string(key) + "\nkeyup " + std::to_string(key) + "\n"; }
const std::string kEscape = Press(27);
const std::string kSpace = Press(32);
const std::string kWireframeMovie = Press(0xC0);
const std::string kRenderedMovie = "key 16\n" + Press(0xC0) + "keyup 16\n";

struct SPose {
  vector3<double> eye;
  SCameraView view;
  int64_t tick = 0;
  std::string name;
};

SPose PoseOf(C3dCamera* camera) {
  SPose pose{camera->GetTransformVector3(), camera->GetView(), platform::NowTicks(), {}};
  CHolder lock(camera, false, false);
  if (lock.IsLocked()) pose.name = reinterpret_cast<const char*>(camera->GetData());
  return pose;
}

bool Near(const vector3<double>& a, const vector3<double>& b) {
  return std::fabs(a.x - b.x) <= kTolerance && std::fabs(a.y - b.y) <= kTolerance && std::fabs(a.z - b.z) <= kTolerance;
}
::testing::AssertionResult SamePose(const SPose& a, const SPose& b) {
  const SCameraView& u = a.view;
  const SCameraView& v = b.view;
  if (Near(a.eye, b.eye) && Near(u.direction, v.direction) && Near(u.up, v.up) && Near(u.target, v.target) &&
      std::fabs(u.extentX - v.extentX) <= kTolerance && std::fabs(u.extentY - v.extentY) <= kTolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "eye (" << a.eye.x << ", " << a.eye.y << ", " << a.eye.z << ") against ("
                                       << b.eye.x << ", " << b.eye.y << ", " << b.eye.z << "), extents " << u.extentX
                                       << " against " << v.extentX;
}

// The pixels of an image as 0x00RRGGBB, rows from the top.
std::vector<uint32_t> Pixels(CImage* image) {
  std::vector<uint32_t> out;
  CImNavigator pixels(image, nullptr, false, false);
  for (uint32_t y = 0; pixels.IsUsable() && y < image->GetHeight(); ++y)
    for (uint32_t x = 0; x < image->GetWidth(); ++x) out.push_back(pixels.Cells(y)[x].value & 0xFFFFFF);
  return out;
}

// A binary PPM as ffmpeg writes it, as 0x00RRGGBB; empty when it is not one of that size.
std::vector<uint32_t> ReadPpm(const std::string& path, SPointHV size) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int32_t width = 0, height = 0, depth = 0;
  in >> magic >> width >> height >> depth;
  in.get();
  if (magic != "P6" || width != size.h || height != size.v || depth != 255) return {};
  std::vector<uint32_t> out;
  for (int32_t i = 0; i < width * height; ++i) {
    unsigned char rgb[3];
    if (!in.read(reinterpret_cast<char*>(rgb), 3)) return {};
    out.push_back(uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2]);
  }
  return out;
}

// A window that notes the pose it looks through at every redraw of the fly-around, the window image
// of the first redraw after a movie's file was chosen, and the answers of its render slices.
class CFlightWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;

  int32_t Redraw(bool force) override {
    const int32_t result = CDocWindow::Redraw(force);
    C3dCamera* camera = GetCurrentCamera();
    if (IsDragging() && camera) frames.push_back(PoseOf(camera));
    if (firstMovieFrame.empty() && platform::headless::AskedDialogs().size() > dialogsBefore)
      firstMovieFrame = Pixels(GetWindowImage());
    return result;
  }
  int32_t RenderSlice() override {
    // The user's stop, as a key during the render gives it.
    if (stopAfter && completeSlices == stopAfter) {
      ++slices;
      SetRenderRequest(0);
      return kSilentCode24;
    }
    const int32_t result = CDocWindow::RenderSlice();
    ++slices;
    if (result == kNoErr) ++completeSlices;
    return result;
  }
  void Watch() {
    frames.clear();
    firstMovieFrame.clear();
    dialogsBefore = platform::headless::AskedDialogs().size();
    slices = completeSlices = 0;
  }

  std::vector<SPose> frames;
  std::vector<uint32_t> firstMovieFrame;
  size_t dialogsBefore = 0;
  uint32_t slices = 0;
  uint32_t completeSlices = 0;
  uint32_t stopAfter = 0;  // complete slices before the user stops one; 0: never
};

// A camera outside any table, to play the expected moves on.
class CScratchCamera {
 public:
  CScratchCamera() {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<C3dCamera>(GetApplication()->GetObjectsEnv(), key, spec);
    EXPECT_EQ(NewObject(&fCamera, nullptr, key, spec), 0);
  }
  ~CScratchCamera() { delete fCamera; }
  CScratchCamera(const CScratchCamera&) = delete;
  CScratchCamera& operator=(const CScratchCamera&) = delete;

  C3dCamera& From(const SPose& pose) {
    fCamera->SetTransformVector3(pose.eye);
    fCamera->GetView() = pose.view;
    return *fCamera;
  }
  SPose Pose() const { return {fCamera->GetTransformVector3(), fCamera->GetView(), 0, {}}; }

 private:
  C3dCamera* fCamera = nullptr;
};

struct CCountingReport : CRenderReportHook {
  int32_t Open() override {
    ++opened;
    return 0;
  }
  int32_t Fill(const char*, const CRenderStats*) override {
    ++filled;
    return 0;
  }
  int opened = 0;
  int filled = 0;
};

class FlyAround : public DocCommandsTest {
 protected:
  void SetUp() override {
    DocCommandsTest::SetUp();
    if (HasFatalFailure()) return;
    // 1,800 renders of 16 × 12 pixels: helper threads would cost more than the pixels.
    setenv("QUARN2_THREADS", "1", 1);
    w = &Made<CFlightWindow>(kImageSize, kRenderSize);
    Show({0, 0, kImageSize.v, kImageSize.h});
    Answer("move 300 200\n");
    Settle();
    mainPose = PoseOf(w->GetViewCamera(CDocWindow::kPerspective));
    boxes = platform::headless::ShownBoxes().size();
  }
  void TearDown() override {
    Answer("keyup 16\nkeyup 17\nkeyup 18\n");
    Settle();
    platform::ResetFileTestHooks();
    platform::SetTestAviSizeLimit(0);
    unsetenv("QUARN2_THREADS");
    DocCommandsTest::TearDown();
  }

  int32_t Fly(const std::string& script) {
    w->Watch();
    Answer(script);
    return w->FlyAround();
  }
  // Every object but the cameras left out of the scene's box.
  void HideAllButCameras() {
    C3dBaseSys* table = w->GetSceneTable();
    CHolder holder(table, false, false);
    for (uint32_t row = 0; holder.IsLocked() && row < table->GetCount(); ++row) {
      C3dObject* object = (*table)[row].object ? (*table)[row].object->AsObject() : nullptr;
      if (object && object->GetFamily() != C3dCamera::kFamily) object->SetFlags(C3dObject::kHidden);
    }
  }
  bool FlyCameraInScene() {
    for (C3dBase* camera : Things(C3dCamera::kFamily)) {
      if (NameOf(camera) == kFlyName) return true;
    }
    return false;
  }
  // What every end leaves: the window's own camera current, hidden from the views, no drag, nothing
  // recorded, and nothing shown.
  void ExpectEnded(const std::string& what) {
    C3dCamera* perspective = w->GetViewCamera(CDocWindow::kPerspective);
    EXPECT_FALSE(FlyCameraInScene()) << what;
    EXPECT_EQ(w->GetCurrentCamera(), perspective) << what;
    EXPECT_TRUE(perspective->GetFlags() & C3dObject::kNotDrawn) << what;
    EXPECT_TRUE(perspective->GetStateFlags() & C3dObject::kExcluded) << what;
    EXPECT_FALSE(w->IsDragging()) << what;
    EXPECT_EQ(w->GetDocument()->GetUndoHistory().GetCurrentAction(), nullptr) << what;
    EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes) << what;
    EXPECT_TRUE(w->GetDirtyBits() & CDocWindow::kDirtyView) << what;
  }
  std::map<std::string, std::string> Probe(const std::string& movie) {
    const SRun probe = RunCommand("ffprobe -v error -count_frames -show_entries "
                                  "stream=codec_type,width,height,r_frame_rate,nb_read_frames -of "
                                  "default=noprint_wrappers=1 '" + movie + "' 2>&1");
    std::map<std::string, std::string> found;
    EXPECT_EQ(probe.status, 0) << probe.out;
    std::istringstream lines(probe.out);
    for (std::string line; std::getline(lines, line);) {
      const size_t equals = line.find('=');
      if (equals != std::string::npos) found[line.substr(0, equals)] = line.substr(equals + 1);
    }
    found["lines"] = std::to_string(std::count(probe.out.begin(), probe.out.end(), '\n'));
    return found;
  }
  // The movie's first or last frame through ffmpeg.
  std::vector<uint32_t> Frame(const std::string& movie, bool last, SPointHV size) {
    const std::string out = Path(last ? "last.ppm" : "first.ppm");
    const std::string command = last ? "ffmpeg -v error -y -sseof -1 -i '" + movie + "' -update 1 '" + out + "' 2>&1"
                                     : "ffmpeg -v error -y -i '" + movie + "' -frames:v 1 '" + out + "' 2>&1";
    const SRun run = RunCommand(command);
    EXPECT_EQ(run.status, 0) << run.out;
    return ReadPpm(out, size);
  }
  void ExpectMainCameraKept(const std::string& what) {
    EXPECT_TRUE(SamePose(PoseOf(w->GetViewCamera(CDocWindow::kPerspective)), mainPose)) << what;
  }

  CFlightWindow* w = nullptr;
  SPose mainPose;
  size_t boxes = 0;
};

// The fly camera starts above and beside the scene's box, looking at its centre, and each frame
// orbits by the step; the keys change the step and switch the orbit off and on.
TEST_F(FlyAround, SetUpAndKeys) {
  HideAllButCameras();
  struct SScene {
    const char* what;
    bool cube;
    vector3<double> eye;
    vector3<double> centre;
  } scenes[] = {
      {"no object", false, {2.5, 5.5, 2.5}, {0, 0, 0}},
      {"one cube from (0, 0, 0) to (2, 2, 2)", true, {3.5, 6.5, 3.5}, {1, 1, 1}},
  };
  for (const SScene& scene : scenes) {
    if (scene.cube) {
      C3dCube* cube = AddShape<C3dCube>("cube", {1, 1, 1});
      CHolder lock(cube, true, false);
      cube->SetScaledSize({2, 2, 2});
    }
    ASSERT_EQ(Fly(kEscape), 0) << scene.what;
    ASSERT_FALSE(w->frames.empty()) << scene.what;
    EXPECT_EQ(w->frames[0].name, kFlyName);
    CScratchCamera expected;
    SPose start{scene.eye, {}, 0, {}};
    C3dCamera& camera = expected.From(start);
    camera.SetOrigin(scene.centre);
    camera.OrbitA(-0.075);
    EXPECT_TRUE(SamePose(w->frames[0], expected.Pose())) << scene.what;
    EXPECT_TRUE(Near(w->frames[0].view.target, scene.centre)) << scene.what;
    ExpectEnded(scene.what);
    ExpectMainCameraKept(scene.what);
  }

  // Each case: the keys, then the step of the frames after them (0: the camera stands still).
  struct SKeys {
    const char* what;
    std::string keys;
    double step;
  } keys[] = {
      {"fifteen Up presses", Repeat(Press(38), 15), -0.15},
      {"fifteen Down presses", Repeat(Press(40), 15), 0.0},
      {"Space", kSpace, 0.0},
      {"Space twice", kSpace + kSpace, -0.075},
  };
  for (const SKeys& c : keys) {
    ASSERT_EQ(Fly(c.keys + "wait 100\n" + kEscape), 0) << c.what;
    const std::vector<SPose>& frames = w->frames;
    ASSERT_GE(frames.size(), 4u) << c.what;
    for (size_t i = 1; i < frames.size(); ++i) EXPECT_GT(frames[i].tick, frames[i - 1].tick) << c.what << " " << i;
    const SPose& before = frames[frames.size() - 2];
    CScratchCamera expected;
    expected.From(before).OrbitA(c.step);
    EXPECT_TRUE(SamePose(frames.back(), c.step == 0.0 ? before : expected.Pose())) << c.what;
    ExpectEnded(c.what);
  }
}

// Enter hands the pose to camera 0; Escape and a click drop it.
TEST_F(FlyAround, EndsWithOrWithoutThePose) {
  struct SEnd {
    const char* what;
    std::string input;
    bool keep;
  } ends[] = {
      {"Enter", Press(13), true},
      {"Escape", kEscape, false},
      {"a left click", "down left\nup left\n", false},
  };
  for (const SEnd& end : ends) {
    mainPose = PoseOf(w->GetViewCamera(CDocWindow::kPerspective));
    ASSERT_EQ(Fly("wait 50\n" + end.input), 0) << end.what;
    ASSERT_FALSE(w->frames.empty()) << end.what;
    const SPose now = PoseOf(w->GetViewCamera(CDocWindow::kPerspective));
    if (end.keep) {
      const SPose& flown = w->frames.back();
      EXPECT_TRUE(Near(now.eye, flown.eye)) << end.what;
      EXPECT_TRUE(Near(now.view.direction, flown.view.direction)) << end.what;
      EXPECT_TRUE(Near(now.view.up, flown.view.up)) << end.what;
      EXPECT_TRUE(Near(now.view.target, flown.view.target)) << end.what;
    } else {
      EXPECT_TRUE(SamePose(now, mainPose)) << end.what;
    }
    ExpectEnded(end.what);
    Settle();
  }
}

// The pointer's movement between two frames steers the camera; in manual mode only the pointer moves
// it, so exactly one pair of frames differs.
TEST_F(FlyAround, PointerAndKeysInTheLoop) {
  struct SMove {
    const char* what;
    std::string held;
    int32_t dx, dy;
    void (*expect)(C3dCamera&);
  } moves[] = {
      {"dy orbits up", "", 0, 30, [](C3dCamera& c) { c.OrbitB(0.30); }},
      {"dy orbits down", "", 0, -20, [](C3dCamera& c) { c.OrbitB(-0.20); }},
      {"Ctrl with dy > 0 widens", "17", 0, 10,
       [](C3dCamera& c) {
         c.GetView().extentX *= 1.1;
         c.GetView().extentY *= 1.1;
       }},
      {"Ctrl with dy < 0 narrows", "17", 0, -10,
       [](C3dCamera& c) {
         c.GetView().extentX *= 0.9;
         c.GetView().extentY *= 0.9;
       }},
      {"dx orbits about the vertical axis", "", 20, 0, [](C3dCamera& c) { c.OrbitA(0.20); }},
      {"Alt turns", "18", 20, -10,
       [](C3dCamera& c) {
         c.OrbitB(-0.10);
         c.TurnA(0.20);
         c.TurnB(-0.10);
       }},
  };
  for (const SMove& move : moves) {
    const std::string hold = move.held.empty() ? "" : "key " + move.held + "\n";
    const std::string release = move.held.empty() ? "" : "keyup " + move.held + "\n";
    const std::string script = kSpace + hold + "wait 50\nrmove " + std::to_string(move.dx) + " " +
                               std::to_string(move.dy) + "\nwait 50\n" + release + kEscape;
    ASSERT_EQ(Fly(script), 0) << move.what;
    const std::vector<SPose>& frames = w->frames;
    std::vector<size_t> changed;
    for (size_t i = 1; i < frames.size(); ++i) {
      if (!SamePose(frames[i], frames[i - 1])) changed.push_back(i);
    }
    ASSERT_EQ(changed.size(), 1u) << move.what;
    CScratchCamera expected;
    move.expect(expected.From(frames[changed[0] - 1]));
    EXPECT_TRUE(SamePose(frames[changed[0]], expected.Pose())) << move.what;
    ExpectEnded(move.what);
  }

  // In the automatic orbit the pointer's dx does nothing beyond it.
  ASSERT_EQ(Fly("wait 50\nrmove 25 0\nwait 50\n" + kEscape), 0);
  for (size_t i = 1; i < w->frames.size(); ++i) {
    CScratchCamera expected;
    expected.From(w->frames[i - 1]).OrbitA(-0.075);
    EXPECT_TRUE(SamePose(w->frames[i], expected.Pose())) << i;
  }
}

// Mouse and key messages waiting during the loop are its own; every other message goes to its window.
std::vector<uint32_t> gProbeMessages;
intptr_t ProbeProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message >= platform::kWmKeyFirst) gProbeMessages.push_back(message);
  return platform::DefWindowProc(window, message, wParam, lParam);
}

TEST_F(FlyAround, KeepsMouseAndKeyMessagesAndDispatchesTheOthers) {
  platform::SWindowClass probeClass;
  probeClass.name = "FlightProbe";
  probeClass.procedure = &ProbeProcedure;
  ASSERT_TRUE(platform::RegisterWindowClass(probeClass));
  platform::WindowHandle probe = platform::CreateWindow(0, "FlightProbe", "probe", platform::kWsPopup, 0, 0, 10, 10,
                                                        nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(probe, nullptr);
  gProbeMessages.clear();
  const uint32_t posted = platform::kWmUser + 7;
  ASSERT_TRUE(platform::PostMessage(probe, platform::kWmKeyDown, 'A', 1));
  ASSERT_TRUE(platform::PostMessage(probe, platform::kWmMouseMove, 0, 0));
  ASSERT_TRUE(platform::PostMessage(probe, platform::kWmLButtonUp, 0, 0));
  ASSERT_TRUE(platform::PostMessage(probe, posted, 0, 0));
  EXPECT_EQ(Fly("wait 50\n" + kEscape), 0);
  EXPECT_EQ(gProbeMessages, std::vector<uint32_t>{posted});
  platform::DestroyWindow(probe);
}

// The wireframe movie: 1,800 frames at 15 a second of the window image, the first the view after the
// first orbit step, each written the right way up without leaving the window image upside down.
TEST_F(FlyAround, WireframeMovie) {
  const std::string movie = Path("orbit.avi");
  ASSERT_EQ(Fly(kWireframeMovie + "save " + movie + "\ncompression full\n"), 0);
  ExpectEnded("wireframe movie");
  ExpectMainCameraKept("wireframe movie");
  std::map<std::string, std::string> found = Probe(movie);
  EXPECT_EQ(found["codec_type"], "video");
  EXPECT_EQ(found["width"], "64");
  EXPECT_EQ(found["height"], "48");
  EXPECT_EQ(found["r_frame_rate"], "15/1");
  EXPECT_EQ(found["nb_read_frames"], "1800");
  EXPECT_EQ(found["lines"], "5");

  ASSERT_FALSE(w->firstMovieFrame.empty());
  EXPECT_EQ(Frame(movie, false, kImageSize), w->firstMovieFrame);
  const std::vector<uint32_t> last = Frame(movie, true, kImageSize);
  EXPECT_EQ(last, Pixels(w->GetWindowImage()));
  EXPECT_NE(last, w->firstMovieFrame);
}

// A cancelled file or compression choice records nothing and leaves no file.
TEST_F(FlyAround, ACancelledChoiceRecordsNothing) {
  const std::vector<std::string> before = Files();
  const std::string movie = Path("never.avi");
  for (const std::string& answers : {std::string("cancel\n"), "save " + movie + "\ncompression cancel\n"}) {
    EXPECT_EQ(Fly(kWireframeMovie + answers), 0) << answers;
    EXPECT_EQ(Files(), before) << answers;
    ExpectEnded(answers);
    ExpectMainCameraKept(answers);
  }
}

// A frame the writer refuses ends the movie with the frames before it, which plays, and the
// fly-around answers the writer's code.
TEST_F(FlyAround, ARefusedFrameEndsAPlayableMovie) {
  const uint32_t frameBytes = uint32_t(kImageSize.h * kImageSize.v * 4);
  // Room for ten frames with the headers and the indexes, not for eleven.
  const uint64_t tenFrames = 4620 + 10 * (8 + uint64_t(frameBytes)) + (8 + 24 + 8 * 10) + (8 + 16 * 10);
  struct SRefusal {
    const char* what;
    void (*arrange)(uint64_t);
    int32_t code;
  } refusals[] = {
      {"past the largest size", [](uint64_t limit) { platform::SetTestAviSizeLimit(limit); }, kErrInvalidSize},
      // Two writes a frame: the eleventh frame's first.
      {"a write failing", [](uint64_t) { platform::SetTestFailingWriteOnce(21); }, kErrDiskFull},
  };
  for (const SRefusal& refusal : refusals) {
    const std::string movie = Path(std::string(refusal.what) + ".avi");
    refusal.arrange(tenFrames);
    EXPECT_EQ(Fly(kWireframeMovie + "save " + movie + "\ncompression full\n"), refusal.code) << refusal.what;
    platform::ResetFileTestHooks();
    platform::SetTestAviSizeLimit(0);
    EXPECT_EQ(Probe(movie)["nb_read_frames"], "10") << refusal.what;
    ExpectMainCameraKept(refusal.what);
    EXPECT_FALSE(FlyCameraInScene()) << refusal.what;
  }
}

// The rendered movie: every frame a complete render, with its beep and report; afterwards the rendered
// image is the movie's last frame the right way up, and the next render looks through camera 0 again.
TEST_F(FlyAround, RenderedMovie) {
  CCountingReport report;
  w->GetRenderState().fReport = &report;
  w->GetRenderState().fReportWanted = true;
  CUIMessage render;
  render.Init(0, "render all button", nullptr, "doc window", 0);
  ASSERT_EQ(w->HandleRenderButton(&render), kHandled);
  ASSERT_EQ(w->RenderSlice(), 0);
  const std::vector<uint32_t> throughMain = Pixels(w->GetRenderedImage());
  const uint32_t beeps = platform::BeepCount();
  const int filled = report.filled;

  const std::string movie = Path("rendered.avi");
  ASSERT_EQ(Fly(kRenderedMovie + "save " + movie + "\ncompression full\n"), 0);
  ExpectEnded("rendered movie");
  ExpectMainCameraKept("rendered movie");
  EXPECT_EQ(w->completeSlices, 1800u);
  EXPECT_EQ(platform::BeepCount(), beeps + 1800);
  EXPECT_EQ(report.filled, filled + 1800);
  EXPECT_TRUE(w->GetMode() & CDocWindow::kWireframeShown);
  std::map<std::string, std::string> found = Probe(movie);
  EXPECT_EQ(found["width"], "16");
  EXPECT_EQ(found["height"], "12");
  EXPECT_EQ(found["nb_read_frames"], "1800");
  EXPECT_EQ(Frame(movie, true, kRenderSize), Pixels(w->GetRenderedImage()));

  ASSERT_EQ(w->HandleRenderButton(&render), kHandled);
  ASSERT_EQ(w->RenderSlice(), 0);
  EXPECT_EQ(Pixels(w->GetRenderedImage()), throughMain);
}

// A render the user stops (a key during it) ends the movie with the frames before it; no failure is
// reported.
TEST_F(FlyAround, AStoppedRenderEndsARenderedMovie) {
  const std::string movie = Path("stopped.avi");
  w->stopAfter = 12;
  ASSERT_EQ(Fly(kRenderedMovie + "save " + movie + "\ncompression full\n"), 0);
  ExpectEnded("stopped movie");
  ExpectMainCameraKept("stopped movie");
  EXPECT_EQ(w->slices, 13u);
  EXPECT_EQ(Probe(movie)["nb_read_frames"], "12");
}

}  // namespace
