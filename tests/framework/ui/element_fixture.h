// Element trees for the element tests: descriptions, the container that element sets give their
// parents, children added under order keys, and layout records written by the resource compiler
// into a layout file, with the test code fragment's callbacks and routines at hand.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/appl.h"
#include "framework/ui/element.h"
#include "framework/ui/ui_message.h"
#include "tests/framework/core/resource_fixture.h"
#include "tools/res_compiler.h"

inline SElementDesc Desc(const SRect& rect, bool shown = true, const char* name = nullptr) {
  SElementDesc desc;
  CElement::MakeDescription(desc, rect, shown, false, false, name, nullptr, nullptr);
  return desc;
}

// Each event once, to the element: press, character, deactivate, activate, hover and message; what
// they answered, and the handled words of press, character and message.
inline std::vector<int32_t> SendEachEvent(CElement& element, SPointHV point,
                                          std::vector<CElement*>* handled = nullptr) {
  std::vector<int32_t> codes;
  SWinEvent event;
  CUIMessage message;
  message.Init(0, nullptr, nullptr, nullptr, 0);
  CElement* taken[3] = {};
  codes.push_back(element.HandlePress(&taken[0], point, &event));
  codes.push_back(element.HandleChar(&taken[1], &event));
  codes.push_back(element.HandleDeactivate(&event));
  codes.push_back(element.HandleActivate(&event));
  codes.push_back(element.HandleHover(point));
  codes.push_back(element.HandleMessage(&taken[2], point, &message));
  if (handled) handled->assign(taken, taken + 3);
  return codes;
}

class ElementTest : public ResourceTest {
 protected:
  // A source of any kind the resource compiler takes (layout records and menus besides the indexed
  // lists), compiled as resbuild compiles it.
  static std::vector<uint8_t> Compiled(const std::string& kind, const std::string& source) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(CompileSource(kind, source, &bytes, &error)) << error;
    return bytes;
  }
  // An empty table of element rows in the objects environment, as element sets give their parents.
  SDynTableLayout Container() const {
    SDynTableLayout layout;
    layout.SetSized(ObjectsEnv(), sizeof(CExSystemEntry), 0);
    layout.range = SRange{0, 16};
    return layout;
  }
  // Adds child to parent with the order key; the parent's container owns it from then on.
  template <typename T>
  T* Add(CElement& parent, T* child, int32_t orderKey = 0) {
    EXPECT_EQ(parent.AddChild(child, 0, orderKey, 0, Container()), 0);
    return child;
  }
};

// A layout file "layout.dat" of records that the resource compiler writes, and the test code
// fragment "uifrag" in QUARN2_UI_FRAGMENTS_DIR (its entries log to a file and answer what
// QUARN2_TEST_FRAGMENT_ANSWER says).
class LayoutTest : public ElementTest {
 protected:
  void SetUp() override {
    ElementTest::SetUp();
    env = Open("layout.dat");
    ASSERT_TRUE(env->IsOpen());
    log = Path("fragment.log");
    setenv("QUARN2_TEST_FRAGMENT_LOG", log.c_str(), 1);
    unsetenv("QUARN2_TEST_FRAGMENT_ANSWER");
  }
  void TearDown() override {
    app->CAppl::DeleteFragmentSystem();
    env.reset();
    unsetenv("QUARN2_TEST_FRAGMENT_LOG");
    unsetenv("QUARN2_TEST_FRAGMENT_ANSWER");
    ElementTest::TearDown();
  }

  // A record compiled from its source and stored as resbuild stores it, in place of one stored before.
  void Put(const char* kind, uint32_t number, const char* name, const std::string& source) {
    env->DeleteResource(Key(kind, number));
    ASSERT_EQ(StoreCompiled(*env, Key(kind, number, name), kind, Compiled(kind, source)), kNoErr) << source;
  }
  // The same with the compiled bytes (machine order) changed first.
  template <typename F>
  void PutChanged(const char* kind, uint32_t number, const char* name, const std::string& source, F change) {
    std::vector<uint8_t> bytes = Compiled(kind, source);
    change(bytes);
    ASSERT_EQ(StoreCompiled(*env, Key(kind, number, name), kind, bytes), kNoErr) << source;
  }
  // A record's stored bytes, which a test may spoil and store again as they are.
  std::vector<uint8_t> Stored(const char* kind, uint32_t number) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(LoadResource(*env, Key(kind, number), &bytes), kNoErr);
    return bytes;
  }
  // The application's resource file with the fragments' search path, and its fragment system.
  void UseFragments(const std::vector<std::pair<SSpoolKey, std::vector<uint8_t>>>& more = {}) {
    auto resources = more;
    resources.push_back({Key("ixtx", 130, "fragments_"), Compiled("ixtx", "0 \"" QUARN2_UI_FRAGMENTS_DIR "\"\n")});
    OpenSystemFile(resources);
    app->CAppl::CreateFragmentSystem(nullptr);
    ASSERT_NE(app->GetFragmentSys(), nullptr);
  }
  std::vector<std::string> Log() const {
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void ClearLog() const { std::remove(log.c_str()); }
  // A line as the fragment writes it: the entry, the element and what follows.
  static std::string Line(const char* entry, const void* element, const std::string& rest = "") {
    char pointer[32];
    std::snprintf(pointer, sizeof pointer, "%p", element);
    return std::string(entry) + " " + pointer + rest;
  }

  std::unique_ptr<CResourceEnv> env;
  std::string log;
};
