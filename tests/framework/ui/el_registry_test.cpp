#include "framework/core/el_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/ex_system.h"
#include "framework/core/progress.h"
#include "framework/ui/element_types.h"
#include "tests/framework/core/resource_fixture.h"

namespace {

// What the test factories were asked for.
struct SAsked {
  std::string factory;
  uint32_t id = 0;
  std::string description;
};
std::vector<SAsked> gAsked;

constexpr const char kButton[] = "button";
constexpr const char kSlider[] = "slider";

int32_t Build(const char* className, void* record) {
  if (!CElRegistry::IsRequestFor(record, className)) return 0;
  SElementRequest* request = static_cast<SElementRegistryRecord*>(record)->request;
  SAsked asked{className, 0, ""};
  if (request->byDescription) asked.description.assign(reinterpret_cast<const char*>(request->description), 32);
  else asked.id = request->elementId;
  gAsked.push_back(asked);
  request->element = new CElement(SElementDesc{});
  return 1;
}

int32_t ButtonFactory(void*, void* record, void*) { return Build(kButton, record); }
int32_t SliderFactory(void*, void* record, void*) { return Build(kSlider, record); }

class ElRegistryTest : public ResourceTest {
 protected:
  void SetUp() override {
    ResourceTest::SetUp();
    gAsked.clear();
    registry = app->GetElementRegistry();
    ASSERT_TRUE(registry->Register(kButton, &ButtonFactory));
    ASSERT_TRUE(registry->Register(kSlider, &SliderFactory));
    env = Open("panel.res");
  }
  void TearDown() override {
    env.reset();
    registry->Unregister(kButton);
    registry->Unregister(kSlider);
    ResourceTest::TearDown();
  }
  void PutSet(uint32_t id, const std::vector<uint8_t>& bytes) { Store(*env, Key("eset", id), bytes); }

  CElRegistry* registry = nullptr;
  std::unique_ptr<CResourceEnv> env;
};

TEST_F(ElRegistryTest, ASetBuildsItsEntriesInOrderAndPlacesThemInTheParent) {
  const std::string description = std::string(62, '4') + "41";  // 31 bytes 0x44 and 'A'
  PutSet(1, Compiled("eset", "button 7 place 3 20\n"
                             "slider 9 description " + description + " place 4 -1 flags 1\n"
                             "button 8 place 5 10\n"));
  CElement parent{SElementDesc{}};
  ASSERT_EQ(registry->LoadElementSet(env.get(), 1, nullptr, &parent), kNoErr);
  ASSERT_EQ(gAsked.size(), 3u);
  EXPECT_EQ(gAsked[0].factory, kButton);
  EXPECT_EQ(gAsked[0].id, 7u);
  EXPECT_EQ(gAsked[1].factory, kSlider);
  EXPECT_EQ(gAsked[1].description, std::string(31, 'D') + "A");
  EXPECT_EQ(gAsked[2].id, 8u);
  CExSystem* children = parent.GetChildren();
  ASSERT_NE(children, nullptr);
  ASSERT_EQ(children->GetCount(), 3u);
  const std::pair<uint32_t, int32_t> placed[] = {{3, 20}, {4, -1}, {5, 10}};
  for (uint32_t i = 0; i < 3; ++i) {
    CExSystemEntry row;
    ASSERT_EQ(children->GetEntry(i, &row), kNoErr);
    EXPECT_EQ(row.classData, placed[i].first) << i;
    EXPECT_EQ(row.orderKey, placed[i].second) << i;
    EXPECT_EQ(row.element->GetParent(), &parent) << i;
    EXPECT_EQ(row.element->GetOwner(), children) << i;
  }
  CExSystemEntry first;
  uint32_t index = 0;
  ASSERT_EQ(children->GetSorted(&index, &first), kNoErr);
  EXPECT_EQ(first.orderKey, -1);
}

TEST_F(ElRegistryTest, AClassNoFactoryTakesEndsTheLoadingWithUnexpectedType) {
  PutSet(1, Compiled("eset", "button 1\ngauge 2\nbutton 3\n"));
  CElement parent{SElementDesc{}};
  EXPECT_EQ(registry->LoadElementSet(env.get(), 1, nullptr, &parent), kErrUnexpectedType);
  EXPECT_EQ(gAsked.size(), 1u);
  EXPECT_EQ(parent.GetChildren()->GetCount(), 1u);
}

TEST_F(ElRegistryTest, AnEmptySetOpensAndClosesAProgressLevel) {
  static std::vector<uint32_t> messages;
  messages.clear();
  ASSERT_TRUE(ProgressSubscribe(&messages, [](void*, void* record, void*) -> int32_t {
    messages.push_back(static_cast<SProgressRecord*>(record)->message);
    return 0;
  }));
  PutSet(2, Compiled("eset", ""));
  Store(*env, Key("eset", 3, "named_"), Compiled("eset", "slider 1\n"));
  CElement parent{SElementDesc{}};
  EXPECT_EQ(registry->LoadElementSet(env.get(), 2, nullptr, &parent), kNoErr);
  ProgressUnsubscribe(&messages);
  EXPECT_EQ(messages.front(), uint32_t(kProgressOutermostOpened));
  EXPECT_EQ(messages.back(), uint32_t(kProgressOutermostClosed));
  EXPECT_EQ(parent.GetChildren(), nullptr);
  EXPECT_EQ(registry->LoadElementSet(env.get(), 0, "named_", &parent), kNoErr);
  EXPECT_EQ(parent.GetChildren()->GetCount(), 1u);
  EXPECT_EQ(registry->LoadElements(env.get(), 4, &parent), kErrObjectNotFound);
}

// The record is checked before a word of it is converted.
TEST_F(ElRegistryTest, MalformedSetsAreRefusedWithoutReadingPastThem) {
  const std::vector<uint8_t> good = Compiled("eset", "button 1\n");
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  std::vector<uint8_t> version = good;
  version[7] = '1';
  std::vector<uint8_t> huge(good.begin(), good.begin() + 76);
  huge[72] = 0x00, huge[73] = 0x0F, huge[74] = 0x42, huge[75] = 0x40;  // 1,000,000 entries
  std::vector<uint8_t> shorter(good.begin(), good.begin() + 75);
  // Never paged in, so only the loader itself can see that nothing is there.
  const std::vector<uint8_t> empty;
  const std::vector<uint8_t>* cases[] = {&longer, &version, &huge, &shorter, &empty};
  uint32_t id = 10;
  for (const auto* bytes : cases) {
    PutSet(++id, *bytes);
    CElement parent{SElementDesc{}};
    EXPECT_EQ(registry->LoadElementSet(env.get(), id, nullptr, &parent), kErrInvalidFormat) << id;
  }
  EXPECT_TRUE(gAsked.empty());
}

class ExSystemTest : public SpoolAppTest {
 protected:
  void SetUp() override {
    SpoolAppTest::SetUp();
    SDynTableLayout layout;
    layout.SetSized(ObjectsEnv(), sizeof(CExSystemEntry), 0);
    layout.range = SRange{0, 4};
    table = std::make_unique<CExSystem>(layout);
    ASSERT_TRUE(table->IsValid());
  }
  void TearDown() override {
    table.reset();
    SpoolAppTest::TearDown();
  }
  std::unique_ptr<CExSystem> table;
};

TEST_F(ExSystemTest, OrderKeysSortWithoutOverflow) {
  CElement* elements[3] = {new CElement(SElementDesc{}), new CElement(SElementDesc{}), new CElement(SElementDesc{})};
  const int32_t keys[] = {0x7FFFFFFF, -5, 0};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(table->AddEntry(elements[i], 0, keys[i]), kNoErr);
  EXPECT_TRUE(table->IsUnsorted());
  const int32_t sorted[] = {-5, 0, 0x7FFFFFFF};
  for (uint32_t i = 0; i < 3; ++i) {
    CExSystemEntry row;
    uint32_t index = i;
    ASSERT_EQ(table->GetSorted(&index, &row), kNoErr);
    EXPECT_EQ(row.orderKey, sorted[i]);
  }
  EXPECT_FALSE(table->IsUnsorted());
  EXPECT_EQ(table->SetEntryOrder(1, 0), kNoErr);  // its own key
  EXPECT_FALSE(table->IsUnsorted());
  EXPECT_EQ(table->SetEntryOrder(1, 9), kNoErr);
  EXPECT_TRUE(table->IsUnsorted());
  EXPECT_EQ(table->SetEntryOrder(3, 9), kErrInvalidParameter);
}

// Rows with equal keys keep the order they came in (the later one is drawn over the earlier), and a
// table that is being walked by index is not reordered under the walk.
TEST_F(ExSystemTest, EqualKeysKeepTheirOrderAndABusyTableWaitsToBeSorted) {
  CElement* elements[8];
  for (int i = 0; i < 8; ++i) {
    elements[i] = new CElement(SElementDesc{});
    ASSERT_EQ(table->AddEntry(elements[i], 0, i % 2 ? 1 : 0), kNoErr);
  }
  table->RaiseBusy();
  EXPECT_EQ(table->Sort(), kNoErr);
  EXPECT_TRUE(table->IsUnsorted());
  table->LowerBusy();
  ASSERT_EQ(table->Sort(), kNoErr);
  EXPECT_FALSE(table->IsUnsorted());
  const int order[] = {0, 2, 4, 6, 1, 3, 5, 7};
  for (uint32_t i = 0; i < 8; ++i) {
    CExSystemEntry row;
    ASSERT_EQ(table->GetEntry(i, &row), kNoErr);
    EXPECT_EQ(row.element, elements[order[i]]) << i;
  }
}

TEST_F(ExSystemTest, LookingUpByNameFromEitherEnd) {
  const char* names[] = {"a", "b", "a"};
  CElement* elements[3];
  for (int i = 0; i < 3; ++i) {
    SElementDesc desc;
    CElement::MakeDescription(desc, {}, false, false, false, names[i], nullptr, nullptr);
    elements[i] = new CElement(desc);
    ASSERT_EQ(table->AddEntry(elements[i], 0, 0), kNoErr);
  }
  uint32_t index = 9;
  CElement* found = nullptr;
  ASSERT_EQ(table->Lookup("a", false, &index, &found), kNoErr);
  EXPECT_EQ(index, 0u);
  EXPECT_EQ(found, elements[0]);
  ASSERT_EQ(table->Lookup("a", true, &index, &found), kNoErr);
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(found, elements[2]);
  EXPECT_EQ(table->Lookup("c", false, &index, &found), kErrObjectNotFound);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(table->Lookup(nullptr, false, &index, &found), kErrInvalidParameter);
  EXPECT_EQ(table->Lookup("a", false, nullptr, &found), kErrInvalidParameter);
}

TEST_F(ExSystemTest, FindingAddingAndRemoving) {
  CElement absent{SElementDesc{}};
  int32_t index = 5;
  EXPECT_EQ(table->FindIndex(&absent, &index), kErrObjectNotFound);
  EXPECT_EQ(index, -1);
  uint32_t sortedIndex = 3;
  CExSystemEntry row;
  EXPECT_EQ(table->GetSorted(&sortedIndex, &row), kErrObjectNotFound);
  EXPECT_EQ(sortedIndex, 0u);

  CElement* kept = new CElement(SElementDesc{});
  CElement* dropped = new CElement(SElementDesc{});
  ASSERT_EQ(table->AddEntry(kept, 1, 1), kNoErr);
  ASSERT_EQ(table->AddEntry(dropped, 2, 2), kNoErr);
  EXPECT_EQ(table->AddEntry(kept, 1, 1), kNoErr);  // already there
  EXPECT_EQ(table->GetCount(), 2u);
  EXPECT_EQ(table->FindIndex(&absent, &index), kErrObjectNotFound);
  ASSERT_EQ(table->FindIndex(dropped, &index), kNoErr);
  EXPECT_EQ(index, 1);
  bool found = false;
  EXPECT_EQ(table->Contains(kept, &found), kNoErr);
  EXPECT_TRUE(found);

  // An element another table holds cannot join this one.
  SDynTableLayout layout;
  layout.SetSized(ObjectsEnv(), sizeof(CExSystemEntry), 0);
  layout.range = SRange{0, 4};
  CExSystem other(layout);
  EXPECT_EQ(other.AddEntry(kept, 0, 0), kErrObjectInUse);

  const uint32_t second[] = {1};
  ASSERT_EQ(table->RemoveEntries(second, 1, true, true), kNoErr);  // deletes `dropped`
  EXPECT_EQ(table->GetCount(), 1u);
  EXPECT_EQ(table->GetCapacity(), 1u);
  ASSERT_EQ(table->RemoveAll(false, false), kNoErr);
  EXPECT_EQ(kept->GetOwner(), nullptr);
  EXPECT_EQ(other.AddEntry(kept, 0, 0), kNoErr);  // `other` deletes it
  EXPECT_FALSE(table->RemoveRange(0, 1));
}

}  // namespace
