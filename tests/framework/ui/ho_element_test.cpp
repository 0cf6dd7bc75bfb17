// The roots of host canvases: hit tests and clipping that end at the canvas, UI messages that end at
// the canvas or go to the owner's broadcast, and the UI host canvas's own root.
#include "framework/ui/ho_element.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/el_registry.h"
#include "framework/core/result_codes.h"
#include "tests/framework/ui/host_fixture.h"

namespace {

constexpr uint32_t kPopup = 0x80000000;
constexpr SRect kFrame{100, 100, 200, 300};  // 200 × 100 at (100, 100)

class LoggingHoCanvas : public CHoCanvas {
 public:
  using CHoCanvas::CHoCanvas;
  int32_t OnElementMessage(CUIMessage* message, CElement* sender) override {
    received.push_back(message->elementName);
    senders.push_back(sender);
    return CHoCanvas::OnElementMessage(message, sender);
  }
  std::vector<std::string> received;
  std::vector<CElement*> senders;
};

std::vector<std::string> gReceiverLog;
int32_t LateReceiver(void*, void* record, void*) {
  gReceiverLog.push_back(static_cast<CUIMessage*>(record)->elementName);
  return 1;
}

class HoElementTest : public HostTest {
 protected:
  static CElement* AddNamedChild(CElement* parent, const char* name) {
    SElementDesc desc;
    CElement::MakeDescription(desc, {10, 10, 30, 40}, true, false, false, name, nullptr, nullptr);
    auto* child = new CElement(desc);
    EXPECT_EQ(parent->AddChild(child, 0, 0, 0, ElementContainerLayout()), kNoErr);
    return child;
  }
};

TEST_F(HoElementTest, TheRootsRectIsHalfOpenOnTheCanvas) {
  CHoCanvas canvas(kFrame, nullptr, true, kPopup, nullptr, 10);
  CHoElement* root = canvas.GetRoot();
  ASSERT_EQ(root->GetRect(), (SRect{0, 0, 100, 200}));
  struct SCase {
    SPointHV point;
    bool inside;
  } cases[] = {{{0, 0}, true}, {{199, 99}, true}, {{200, 50}, false}, {{50, 100}, false}, {{-1, 10}, false}};
  for (const SCase& c : cases) {
    EXPECT_EQ(root->IsPointInRects(c.point, nullptr), c.inside) << c.point.h << " " << c.point.v;
    EXPECT_EQ(root->IsPointInBounds(c.point, nullptr), c.inside) << c.point.h << " " << c.point.v;
  }
  SRect clipped;
  const SRect empty{40, 50, 40, 80};
  root->ClipToRects(&clipped, empty, nullptr);
  EXPECT_EQ(clipped, empty);
  root->ClipToRects(&clipped, {-10, 150, 50, 400}, nullptr);
  EXPECT_EQ(clipped, (SRect{0, 150, 50, 200}));
  // The screen is the root space.
  SPointHV local;
  root->RootToLocalPoint(&local, {130, 120});
  EXPECT_EQ(local, (SPointHV{30, 20}));
}

TEST_F(HoElementTest, APlainRootEndsAMessageAtItsCanvas) {
  LoggingHoCanvas canvas(kFrame, nullptr, true, kPopup, nullptr, 10);
  CElement* child = AddNamedChild(canvas.GetRoot(), "sender");
  CUIMessage message;
  message.InitFromElement(0, child, CUIMessage::kBroadcast);
  EXPECT_EQ(child->SendMessageUp(&message, child), kNoErr);
  EXPECT_EQ(canvas.received, std::vector<std::string>{"sender"});
  EXPECT_EQ(canvas.senders, std::vector<CElement*>{child});
}

TEST_F(HoElementTest, AMessageGoesToItsOwnCanvasOrToEveryRegisteredCanvasInTurn) {
  CUICmFunction owner(SRange{0, 16});
  TestDialog first(&owner, env.get()), second(&owner, env.get());
  int late = 0;
  ASSERT_TRUE(owner.Register(&late, &LateReceiver));
  gReceiverLog.clear();
  CElement* child = AddNamedChild(second.GetRoot(), "ok");
  CUIMessage message;
  message.InitFromElement(0, child, 0);
  EXPECT_EQ(child->SendMessageUp(&message, child), kNoErr);
  EXPECT_TRUE(first.received.empty());
  EXPECT_EQ(second.received, std::vector<std::string>{"ok"});

  message.InitFromElement(0, child, CUIMessage::kBroadcast);
  EXPECT_EQ(child->SendMessageUp(&message, child), 1);
  EXPECT_EQ(first.received, std::vector<std::string>{"ok"});
  EXPECT_EQ(second.received, (std::vector<std::string>{"ok", "ok"}));
  EXPECT_EQ(gReceiverLog, std::vector<std::string>{"ok"});
  // The first row that answers ends the round.
  first.answer = kErrObjectBusy;
  EXPECT_EQ(child->SendMessageUp(&message, child), kErrObjectBusy);
  EXPECT_EQ(second.received.size(), 2u);
  EXPECT_EQ(gReceiverLog.size(), 1u);
  owner.Unregister(&late);
}

TEST_F(HoElementTest, AUIHostCanvasHasARootOfItsOwnAndARowInItsOwnersTable) {
  CUICmFunction owner(SRange{0, 16});
  {
    TestDialog dialog(&owner, env.get());
    ASSERT_TRUE(dialog.IsReady());
    auto* root = dynamic_cast<CUIHostElement*>(dialog.GetRoot());
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->GetName(), CHoCanvas::kRootName);
    EXPECT_EQ(root->GetLayoutFlags(), 0xFu);
    EXPECT_EQ(root->GetSizeProportions(), (SProportionsHV{1.0f, 1.0f}));
    EXPECT_EQ(root->GetPositionProportions(), (SProportionsHV{0.0f, 0.0f}));
    EXPECT_TRUE(root->AcceptsEvents(kEventMaskChar | kEventMaskHover | kEventMaskMessage));
    // Hidden while its window is, though its own shown byte is set.
    EXPECT_FALSE(root->IsShown());
    dialog.Show();
    EXPECT_TRUE(root->IsShown());
    EXPECT_TRUE(dialog.IsInOwnerTable());
    ASSERT_EQ(owner.GetCount(), 1u);
    EXPECT_EQ(owner[0].owner, &dialog);
    EXPECT_EQ(owner[0].callback, &UIHostForwardToHandler);
  }
  EXPECT_EQ(owner.GetCount(), 0u);
}

}  // namespace
