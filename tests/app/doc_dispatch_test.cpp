// The document window's message routing: which handler each canvas and element name reaches, in
// which order, and what the window's own handlers change.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "editing/group_action.h"
#include "editing/undo_history.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "platform/headless.h"
#include "scene/group.h"
#include "tests/app/doc_commands_fixture.h"

namespace {

constexpr uint32_t kAlt = 18, kF10 = 121;

// A window whose handlers of other commands only record that they were reached, and with what.
class CRoutingWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;
  using CDocWindow::Invalidate;
  using CDocWindow::Redraw;

  int32_t HandleCreateItem(CUIMessage* m) override {
    Log("HandleCreateItem", m->elementName);
    return std::string(m->elementName) == "sphere" ? kHandled : kNoErr;
  }
  int32_t HandleCameraControl(CUIMessage* m) override {
    Log("HandleCameraControl", std::to_string(m->kind) + " " + m->elementName);
    return kHandled;
  }
  int32_t HandleCameraMessage(CUIMessage* m) override { return Log("HandleCameraMessage", m->elementName); }
  // A code of 0 is none of theirs.
  int32_t HandleTransformOption(CUIMessage* m) override {
    Log("HandleTransformOption", m->elementName);
    return m->GetPayloadWord(0) ? kHandled : kNoErr;
  }
  int32_t LandSelection() override {
    Log("LandSelection");
    return landAnswer;
  }
  int32_t HandleRenderButton(CUIMessage* m) override { return Log("HandleRenderButton", m->elementName); }
  int32_t SetPreviewMode(int32_t state) override { return Log("SetPreviewMode", std::to_string(state)); }
  int32_t SetTexturesShown(int32_t state) override { return Log("SetTexturesShown", std::to_string(state)); }
  int32_t HandlePlopRenderMode(CUIMessage*) override {
    Log("HandlePlopRenderMode");
    return kNoErr;
  }
  int32_t HandleRenderOption(CUIMessage* m) override {
    return Log("HandleRenderOption", std::to_string(m->GetPayloadWord(0)));
  }
  int32_t RefreshViewImage(SPointHV window, SPointHV render) override {
    Log("RefreshViewImage", std::to_string(window.h) + "," + std::to_string(window.v) + " " +
                                std::to_string(render.h) + "," + std::to_string(render.v));
    return CDocWindow::RefreshViewImage(window, render);
  }
  int32_t EditSelection() override {
    Log("EditSelection");
    return editAnswer;
  }
  int32_t GroupSelection() override {
    Log("GroupSelection");
    return kNoErr;
  }
  int32_t UngroupSelection() override {
    Log("UngroupSelection");
    return kNoErr;
  }
  int32_t Zoom(bool zoomIn, bool reset) override {
    return Log("Zoom", std::to_string(zoomIn) + " " + std::to_string(reset));
  }
  void NotifyObjInfoChanged(uint32_t changes) override { Log("Notify", std::to_string(changes)); }
  void Invalidate(bool viewChanged) override {
    Log("Invalidate", std::to_string(viewChanged));
    CDocWindow::Invalidate(viewChanged);
  }
  int32_t Redraw(bool force) override {
    Log("Redraw", std::to_string(force));
    return kNoErr;
  }

  int32_t Log(const std::string& what, const std::string& detail = "") {
    calls.push_back(detail.empty() ? what : what + " " + detail);
    return kHandled;
  }

  std::vector<std::string> calls;
  int32_t landAnswer = kNoErr;
  int32_t editAnswer = kHandled;
};

class DocDispatch : public DocCommandsTest {
 protected:
  void TearDown() override {
    Keys("keyup", {kAlt, kF10});
    DocCommandsTest::TearDown();
  }
  // The keys pressed or let go, and the input taken in.
  void Keys(const char* how, const std::vector<uint32_t>& keys) {
    std::string script;
    for (uint32_t key : keys) script += std::string(how) + " " + std::to_string(key) + "\n";
    ASSERT_TRUE(platform::headless::AddScript(script));
    for (int i = 0; i < 400 && platform::headless::PendingInputs() > 0; ++i) app->PumpMessages();
    app->PumpMessages();
  }
  static CUIMessage Message(uint32_t kind, const char* element, const char* canvas,
                            const std::vector<std::pair<uint32_t, int32_t>>& words = {}) {
    CUIMessage message;
    message.Init(kind, element, nullptr, canvas, 0);
    for (const auto& [index, value] : words) message.SetPayloadWord(index, value);
    return message;
  }
};

struct SRoute {
  const char* what;
  uint32_t kind;
  const char* element;
  const char* canvas;
  std::vector<std::pair<uint32_t, int32_t>> words;
  std::vector<uint32_t> keys;  // held while the message arrives
  int32_t answer;
  std::vector<std::string> calls;
  std::function<void(CRoutingWindow&)> before = nullptr;
  std::function<void(CRoutingWindow&)> check = nullptr;
};

// One window takes the rows in order: the edit space and the shadow byte carry over from row to row.
TEST_F(DocDispatch, EachNameReachesItsHandlerInTheTablesOrder) {
  CRoutingWindow& w = Made<CRoutingWindow>();
  const int32_t res0 = int32_t(FourCC("res0")), land = int32_t(FourCC("land"));
  CRenderContext::SProgressiveState& progressive = w.GetRenderState().fContext.GetProgressive();
  auto midRender = [&](CRoutingWindow& window) {
    window.Invalidate(false);  // the wireframe shown
    window.SetRenderRequest(0);
    progressive.row = 5;
  };
  auto state = [&](CRoutingWindow& window) {
    return std::string((window.GetMode() & CDocWindow::kRenderedShown) ? "rendered" : "wireframe") +
           ((window.GetRenderRequest() & CDocWindow::kRenderNow) ? " requested" : "") + " row " +
           std::to_string(progressive.row);
  };

  // Hidden, the window takes nothing.
  w.calls.clear();
  for (const char* element : {"group chiclet", "sphere", "hide underground shadows"}) {
    CUIMessage message = Message(0, element, "doc image");
    EXPECT_EQ(w.HandleEvent(&message), 0) << element;
  }
  EXPECT_TRUE(w.calls.empty());
  EXPECT_FALSE(w.IsHidingUnderground());
  Show();

  const std::vector<SRoute> rows = {
      {"kind 4 clears the pop-up byte", 4, "1 selected", "", {}, {}, 0, {},
       [](CRoutingWindow& x) { x.SetInfoShown(true); }, [](CRoutingWindow& x) { EXPECT_FALSE(x.IsInfoShown()); }},
      {"background choice, then on down the table", 0, "background selector", "doc window", {{0, 2}}, {}, 0,
       {"Invalidate 0", "Redraw 0", "Notify 4", "HandleCreateItem background selector"}, nullptr,
       [](CRoutingWindow& x) {
         EXPECT_EQ(x.GetBackgroundChoice(), 2);
         EXPECT_TRUE(x.IsBackgroundChanged());
       }},
      {"a backdrop stream keeps the choice", 0, "background selector", "doc window", {{0, 5}, {1, 77}}, {}, 0,
       {"Invalidate 0", "Redraw 0", "Notify 4", "HandleCreateItem background selector"}, nullptr,
       [](CRoutingWindow& x) { EXPECT_EQ(x.GetBackgroundChoice(), 2); }},
      {"edit space 1: the object's axes", 0, "edit space", "doc window", {{0, 1}}, {}, 0,
       {"Invalidate 0", "HandleCreateItem edit space"}, nullptr,
       [](CRoutingWindow& x) { EXPECT_EQ(x.GetEditSpace(), 1); }},
      {"edit space 2: the world's", 0, "edit space", "doc window", {{0, 2}}, {}, 0,
       {"Invalidate 0", "HandleCreateItem edit space"}, nullptr,
       [](CRoutingWindow& x) { EXPECT_EQ(x.GetEditSpace(), 0); }},
      {"edit space 3: the camera's", 0, "edit space", "doc window", {{0, 3}}, {}, 0,
       {"Invalidate 0", "HandleCreateItem edit space"}, nullptr,
       [](CRoutingWindow& x) { EXPECT_EQ(x.GetEditSpace(), 2); }},
      {"edit space 9 changes nothing", 0, "edit space", "doc window", {{0, 9}}, {}, 0,
       {"Invalidate 0", "HandleCreateItem edit space"}, nullptr,
       [](CRoutingWindow& x) { EXPECT_EQ(x.GetEditSpace(), 2); }},
      {"patch render 0 renders from the start", 0, "patch render", "doc image", {{4, 0}}, {}, 26, {}, midRender,
       [&](CRoutingWindow& x) { EXPECT_EQ(state(x), "rendered requested row 0"); }},
      {"patch render 1 resumes", 0, "patch render", "doc image", {{4, 1}}, {}, 26, {}, midRender,
       [&](CRoutingWindow& x) { EXPECT_EQ(state(x), "rendered requested row 5"); }},
      {"patch render 5 changes nothing", 0, "patch render", "doc image", {{4, 5}}, {}, 26, {}, midRender,
       [&](CRoutingWindow& x) { EXPECT_EQ(state(x), "wireframe row 5"); }},
      {"underground shadows hidden, no notice", 0, "hide underground shadows", "display palette", {}, {}, 26,
       {"Invalidate 0"}, nullptr, [](CRoutingWindow& x) { EXPECT_TRUE(x.IsHidingUnderground()); }},
      {"shown again, F10 held notifies", 0, "hide underground shadows", "selection palette", {}, {kF10}, 26,
       {"Notify 4", "Invalidate 0"}, nullptr, [](CRoutingWindow& x) { EXPECT_FALSE(x.IsHidingUnderground()); }},
      {"the window's notify flag notifies too", 0, "hide underground shadows", "", {}, {}, 26,
       {"Notify 4", "Invalidate 0"}, [](CRoutingWindow& x) { x.SetFlags(CDocWindow::kNotifyDrags); },
       [](CRoutingWindow& x) {
         EXPECT_TRUE(x.IsHidingUnderground());
         x.ClearFlags(CDocWindow::kNotifyDrags);
       }},
      {"zoom in with Alt resets", 0, "zoom in", "display palette", {}, {kAlt}, 26, {"Zoom 1 1"}},
      {"zoom out", 0, "zoom out", "display palette", {}, {}, 26, {"Zoom 0 0"}},
      {"plop render mode", 0, "plop render mode", "display palette", {}, {}, 0, {"HandlePlopRenderMode"}},
      {"family chiclet goes on", 0, "family chiclet", "doc image", {}, {}, 0, {"HandleCreateItem family chiclet"}},
      {"nano preview options menu goes on", 0, "nano preview options menu", "control palette", {}, {}, 0,
       {"HandleCreateItem nano preview options menu"}},
      {"terrain editor's ok goes on", 0, "ok", "terrain editor", {}, {}, 0, {"HandleCreateItem ok"}},
      {"group chiclet", 0, "group chiclet", "doc image", {}, {}, 26, {"GroupSelection"}},
      {"ungroup chiclet", 0, "ungroup chiclet", "doc image", {}, {}, 26, {"UngroupSelection"}},
      {"edit chiclet", 0, "edit chiclet", "doc image", {}, {}, 26, {"EditSelection"}},
      {"an editor that fails is not handled", 0, "edit chiclet", "doc image", {}, {}, 27, {"EditSelection"},
       [](CRoutingWindow& x) { x.editAnswer = kErrNotImplemented; }},
      {"land up chiclet", 0, "land up chiclet", "doc image", {}, {}, 26, {"LandSelection"}},
      {"land down chiclet that fails", 0, "land down chiclet", "doc image", {}, {}, 9, {"LandSelection"},
       [](CRoutingWindow& x) { x.landAnswer = kErrFailedCreation; }},
      {"size document", 0, "size document", "doc window", {{4, 480}, {5, 360}, {6, 480}, {7, 360}}, {}, 0,
       {"Invalidate 1", "RefreshViewImage 480,360 480,360"}},
      {"an unknown name", 0, "no such element", "doc window", {}, {}, 0, {"HandleCreateItem no such element"}},
      {"zoom to selection", 0, "zoom to selection", "doc window", {}, {}, 26, {"HandleCameraMessage zoom to selection"}},
      {"zoom to selection of another canvas", 0, "zoom to selection", "control palette", {}, {}, 0,
       {"HandleCreateItem zoom to selection"}},
      {"reset camera", 0, "reset camera", "doc window", {}, {}, 26, {"HandleCameraMessage reset camera"}},
      {"view dot", 0, "view dot", "doc window", {}, {}, 26, {"HandleCameraMessage view dot"}},
      {"view control", 0, "view control", "doc window", {{0, 7}}, {}, 26, {"HandleCameraMessage view control"}},
      {"camera options menu from any canvas", 0, "camera options menu", "control palette", {}, {}, 26,
       {"HandleCameraMessage camera options menu"}},
      {"trackball options menu", 0, "trackball options menu", "", {}, {}, 26,
       {"HandleCameraMessage trackball options menu"}},
      {"textures button", 0, "textures on/off button", "doc window", {{0, 2}}, {}, 26, {"SetTexturesShown 2"}},
      {"preview mode button", 0, "preview mode button", "doc window", {{0, 0}}, {}, 26, {"SetPreviewMode 0"}},
      {"render all button", 0, "render all button", "doc window", {}, {}, 26, {"HandleRenderButton render all button"}},
      {"clear & render button", 0, "clear & render button", "doc window", {}, {}, 26,
       {"HandleRenderButton clear & render button"}},
      {"render options menu from any canvas", 0, "render options menu", "control palette", {{0, res0}}, {}, 26,
       {"HandleRenderOption " + std::to_string(res0)}},
      {"a rotate code not theirs goes on", 0, "rotate options", "doc window", {}, {}, 0,
       {"HandleTransformOption rotate options", "HandleCreateItem rotate options"}},
      {"a resize code not theirs stops", 0, "resize options", "doc window", {}, {}, 0,
       {"HandleTransformOption resize options"}},
      {"align options", 0, "align options", "doc window", {{0, land}}, {}, 26, {"HandleTransformOption align options"}},
      {"press on the trackball", 1, "trackball control", "control palette", {}, {}, 26,
       {"HandleCameraControl 1 trackball control"}},
      {"drag on the banking button", 2, "banking button", "control palette", {}, {}, 26,
       {"HandleCameraControl 2 banking button"}},
      {"release of the camera XY control", 3, "camera XY control", "control palette", {}, {}, 26,
       {"HandleCameraControl 3 camera XY control"}},
      {"a press elsewhere goes down the tree", 1, "sphere", "create palette", {}, {}, 0, {}},
      {"a create item from its palette", 0, "sphere", "create palette", {}, {}, 26, {"HandleCreateItem sphere"}},
      {"a create item from the window", 0, "sphere", "doc window", {}, {}, 26, {"HandleCreateItem sphere"}},
      {"a create item from doc image", 0, "sphere", "doc image", {}, {}, 26, {"HandleCreateItem sphere"}},
      {"save replies ignored", 0, "save", "save changes", {}, {}, 0, {},
       [](CRoutingWindow& x) { x.SetFlags(CDocWindow::kIgnoreSaveReplies | CDocWindow::kUnsavedChanges); },
       [](CRoutingWindow& x) {
         EXPECT_TRUE(x.GetFlags() & CDocWindow::kUnsavedChanges);
         x.ClearFlags(CDocWindow::kIgnoreSaveReplies | CDocWindow::kUnsavedChanges);
       }},
  };
  for (const SRoute& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.before) row.before(w);
    Keys("key", row.keys);
    w.calls.clear();
    CUIMessage message = Message(row.kind, row.element, row.canvas, row.words);
    EXPECT_EQ(w.HandleEvent(&message), row.answer);
    EXPECT_EQ(w.calls, row.calls);
    if (row.check) row.check(w);
    Keys("keyup", row.keys);
  }
}

// The chiclets reach the real grouping: two cubes become one selected group and back.
TEST_F(DocDispatch, GroupChicletsGroupAndUngroupTheSelection) {
  CDocWindow& w = Made();
  Show();
  C3dCube* left = AddShape<C3dCube>("left", {-2, 0, 0});
  C3dCube* right = AddShape<C3dCube>("right", {2, 1, 0});
  ASSERT_EQ(w.FindSceneParts(true), 0);
  Selection().Add(left, 0, 0);
  Selection().Add(right, 0, 0);
  CUIMessage group = Message(0, "group chiclet", "doc image");
  EXPECT_EQ(w.HandleEvent(&group), kHandled);
  ASSERT_EQ(Selection().GetCount(), 1u);
  EXPECT_STREQ(Selection().GetObject(0)->TypeName(), "C3dGroupType");
  EXPECT_NE(dynamic_cast<CGroupAction*>(w.GetDocument()->GetUndoHistory().GetCurrentAction()), nullptr);

  CUIMessage ungroup = Message(0, "ungroup chiclet", "doc image");
  EXPECT_EQ(w.HandleEvent(&ungroup), kHandled);
  EXPECT_EQ(Selection().GetCount(), 2u);
  EXPECT_TRUE(left->IsSelected() && right->IsSelected());
}

}  // namespace
