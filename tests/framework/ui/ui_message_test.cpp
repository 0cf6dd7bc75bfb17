// UI messages and their broadcaster: registration order, the queue and its idle step.
#include "framework/ui/ui_message.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "platform/clock.h"
#include "tests/framework/ui/element_fixture.h"

namespace {

// A receiver that logs the messages it is offered and answers its own code; one may queue a
// message of its own on the first one it sees.
struct SReceiver {
  std::string name;
  int32_t answer = 0;
  CUICmFunction* queueOn = nullptr;
};
std::vector<std::string> gHeard;

int32_t Receive(void* owner, void* record, void*) {
  auto* receiver = static_cast<SReceiver*>(owner);
  const auto* message = static_cast<CUIMessage*>(record);
  gHeard.push_back(receiver->name + ":" + message->elementName + "/" + message->windowName + "/" + message->canvasName);
  if (CUICmFunction* queue = receiver->queueOn) {
    receiver->queueOn = nullptr;
    CUIMessage more;
    more.Init(0, "late", nullptr, nullptr, 0);
    queue->Enqueue(more);
  }
  return receiver->answer;
}

class UIMessageTest : public ElementTest {
 protected:
  void SetUp() override {
    ElementTest::SetUp();
    gHeard.clear();
    broadcaster = std::make_unique<CUICmFunction>(SRange{0, 16});
    ASSERT_TRUE(broadcaster->IsValid());
  }
  // The broadcaster's tables live in the application's pools.
  void TearDown() override {
    broadcaster.reset();
    ElementTest::TearDown();
  }
  static CUIMessage Named(const char* element) {
    CUIMessage message;
    message.Init(0, element, nullptr, nullptr, CUIMessage::kBroadcast);
    return message;
  }

  std::unique_ptr<CUICmFunction> broadcaster;
};

TEST_F(UIMessageTest, MessagesNameTheirSenderAndCarryEightPayloadWords) {
  CUIMessage message;
  message.Init(3, nullptr, nullptr, nullptr, 1);
  EXPECT_EQ(message.kind, 3u);
  EXPECT_EQ(message.flags, 1u);
  for (const char* name : {message.elementName, message.windowName, message.canvasName}) EXPECT_STREQ(name, "");
  for (uint32_t i = 0; i < CUIMessage::kPayloadWords; ++i) EXPECT_EQ(message.GetPayloadWord(i), 0) << i;
  EXPECT_EQ(message.GetDataWord(), 0u);

  SElementDesc desc;
  CElement::MakeDescription(desc, {}, true, false, false, "ok button", "dialog", "objinfo");
  CElement sender(desc);
  message.InitWithPoints(0, &sender, {5, -6}, {7, 8}, 0);
  EXPECT_EQ(message.elementName, sender.GetName());
  EXPECT_STREQ(message.windowName, "dialog");
  EXPECT_STREQ(message.canvasName, "objinfo");
  message.SetPayloadWord(0, int32_t(FourCC("rprt")));
  message.SetPayloadWord(3, -1);
  const int32_t words[] = {int32_t(FourCC("rprt")), 0, 0, -1, 5, -6, 7, 8};
  for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(message.GetPayloadWord(i), words[i]) << i;
  message.SetPayloadWord(8, 9);
  EXPECT_EQ(message.GetPayloadWord(8), 0);
}

TEST_F(UIMessageTest, DispatchOffersAMessageInRegistrationOrderUntilOneAnswers) {
  CUIMessage message = Named("button");
  EXPECT_EQ(broadcaster->Dispatch(&message), 0);
  SReceiver first{"first"}, second{"second", 26}, third{"third"};
  for (SReceiver* r : {&first, &second, &third}) ASSERT_TRUE(broadcaster->Register(r, &Receive));
  // Priorities would put the third first; registration order counts here.
  (*broadcaster)[2].priority = -5;
  EXPECT_EQ(broadcaster->Dispatch(&message), 26);
  EXPECT_EQ(gHeard, (std::vector<std::string>{"first:button//", "second:button//"}));

  SReceiver stranger{"stranger"};
  EXPECT_FALSE(broadcaster->Unregister(&stranger));
  EXPECT_EQ(broadcaster->GetCount(), 3u);
  EXPECT_TRUE(broadcaster->Unregister(&second));
  gHeard.clear();
  EXPECT_EQ(broadcaster->Dispatch(&message), 0);
  EXPECT_EQ(gHeard, (std::vector<std::string>{"first:button//", "third:button//"}));
}

TEST_F(UIMessageTest, TheQueueDeliversInArrivalOrderUntilAReceiverAnswers) {
  SReceiver receiver{"r"};
  ASSERT_TRUE(broadcaster->Register(&receiver, &Receive));
  for (const char* name : {"one", "two", "three"}) ASSERT_TRUE(broadcaster->Enqueue(Named(name)));
  EXPECT_EQ(broadcaster->DispatchQueued(), 0);
  EXPECT_EQ(gHeard, (std::vector<std::string>{"r:one//", "r:two//", "r:three//"}));
  EXPECT_EQ(broadcaster->GetQueueCount(), 0u);

  // The second answers 7: the third waits for the next step.
  gHeard.clear();
  SReceiver picky{"p", 0};
  broadcaster->Unregister(&receiver);
  ASSERT_TRUE(broadcaster->Register(&picky, &Receive));
  for (const char* name : {"one", "two", "three"}) ASSERT_TRUE(broadcaster->Enqueue(Named(name)));
  struct SAnswerSeven {
    static int32_t Call(void*, void* record, void*) {
      return std::string(static_cast<CUIMessage*>(record)->elementName) == "two" ? 7 : 0;
    }
  };
  SReceiver seven{"seven"};
  ASSERT_TRUE(broadcaster->Register(&seven, &SAnswerSeven::Call));
  EXPECT_EQ(broadcaster->DispatchQueued(), 7);
  EXPECT_EQ(gHeard, (std::vector<std::string>{"p:one//", "p:two//"}));
  EXPECT_EQ(broadcaster->GetQueueCount(), 1u);
  EXPECT_EQ(broadcaster->DispatchQueued(), 0);
  EXPECT_EQ(gHeard.back(), "p:three//");
}

TEST_F(UIMessageTest, AMessageQueuedDuringTheDrainComesInTheSameStep) {
  SReceiver receiver{"r", 0, broadcaster.get()};
  ASSERT_TRUE(broadcaster->Register(&receiver, &Receive));
  // Enough messages that the one queued during the drain makes the queue grow.
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(broadcaster->Enqueue(Named("early")));
  EXPECT_EQ(broadcaster->DispatchQueued(), 0);
  ASSERT_EQ(gHeard.size(), 33u);
  EXPECT_EQ(gHeard.back(), "r:late//");
}

TEST_F(UIMessageTest, AnEmptyQueueWaitsTenMilliseconds) {
  app->Pump();
  const int64_t before = platform::NowMs();
  EXPECT_EQ(broadcaster->DispatchQueued(), 0);
  EXPECT_GE(platform::NowMs() - before, CUICmFunction::kIdleWaitMs);
}

TEST_F(UIMessageTest, AQueuedMessageKeepsItsNamesAfterItsSenderIsGone) {
  SReceiver receiver{"r"};
  ASSERT_TRUE(broadcaster->Register(&receiver, &Receive));
  {
    SElementDesc desc;
    CElement::MakeDescription(desc, {}, true, false, false, "apply", "sky window", "sky palette");
    auto* sender = new CElement(desc);
    CUIMessage message;
    message.InitFromElement(0, sender, CUIMessage::kBroadcast);
    ASSERT_TRUE(broadcaster->Enqueue(message));
    delete sender;
  }
  EXPECT_EQ(broadcaster->DispatchQueued(), 0);
  EXPECT_EQ(gHeard, (std::vector<std::string>{"r:apply/sky window/sky palette"}));
}

TEST_F(UIMessageTest, TheModalLevelNeverGoesBelowZero) {
  EXPECT_EQ(broadcaster->GetModalLevel(), 0u);
  broadcaster->RaiseModalLevel();
  broadcaster->LowerModalLevel();
  broadcaster->LowerModalLevel();
  EXPECT_EQ(broadcaster->GetModalLevel(), 0u);
}

}  // namespace
