#include <gtest/gtest.h>

#include <string>

#include "framework/core/char_set.h"
#include "framework/core/ordax.h"
#include "framework/core/random.h"
#include "framework/core/system_info.h"
#include "platform/clock.h"
#include "platform/system.h"

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(char(b));
  return s;
}

TEST(CharSet, MacRomanToAnsiAndBack) {
  char out[8] = {'x', 'x'};
  MacRomanToAnsi(out, "");
  EXPECT_STREQ(out, "");
  const std::string mac = Bytes({0x8E, 0x20, 0x41});
  MacRomanToAnsi(out, mac.c_str());
  EXPECT_EQ(std::string(out), Bytes({0xE9, 0x20, 0x41}));
  MacRomanToAnsi(out, nullptr);  // does nothing
  EXPECT_EQ(std::string(out), Bytes({0xE9, 0x20, 0x41}));

  const std::pair<int, int> ansiToMac[] = {{0xFF, 0xA7}, {0xDF, 0xA7}, {0x2A, 0xA5}, {0xE8, 0x8F}, {0x41, 0x41}};
  for (const auto& [ansi, mac] : ansiToMac) EXPECT_EQ(AnsiToMacRomanByte(uint8_t(ansi)), mac) << ansi;
  EXPECT_EQ(MacRomanToAnsiByte(0xA7), 0xDF);  // the first matching pair wins

  for (int mac : {0xE8, 0x8F}) EXPECT_EQ(AnsiToMacRomanByte(MacRomanToAnsiByte(uint8_t(mac))), mac);
  EXPECT_EQ(MacRomanToAnsiByte(0xE8), 0xCB);
  EXPECT_EQ(AnsiToMacRoman(Bytes({0x2A, 0x60, 0xFF})), Bytes({0xA5, 0xE3, 0xA7}));
}

// 32 of the 35 pairs agree with Python's mac_roman and cp1252 codecs; these three are the
// program's own and stored texts depend on them.
TEST(CharSet, TheThreeDeliberateExceptions) {
  EXPECT_EQ(MacRomanToAnsiByte(0xA5), 0x2A);  // Mac bullet ↔ asterisk
  EXPECT_EQ(MacRomanToAnsiByte(0xE3), 0x60);  // Mac low double quote ↔ grave accent
  EXPECT_EQ(AnsiToMacRomanByte(0xFF), 0xA7);  // ANSI y-diaeresis ↔ Mac German double s
}

TEST(SystemInfo, ModuleList) {
  CSystemInfo& info = CSystemInfo::Get();
  static const char modules[7] = {};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(info.AddModule(&modules[i]), 1) << i;
  EXPECT_EQ(info.AddModule(&modules[6]), 0);
  EXPECT_EQ(info.AddModule(&modules[2]), 0);
  EXPECT_EQ(info.RemoveModule(&modules[2]), 1);
  EXPECT_EQ(info.RemoveModule(&modules[2]), 0);
  EXPECT_EQ(info.AddModule(&modules[6]), 1);
  EXPECT_EQ(info.LoadCursorById(1), nullptr);
  for (const char& m : modules) info.RemoveModule(&m);
}

TEST(SystemInfo, Probe) {
  const CSystemInfo& info = CSystemInfo::Get();
  EXPECT_TRUE(info.HasNewShell());
  EXPECT_EQ(info.GetPlatform(), CSystemInfo::kPlatformNT);
  EXPECT_EQ(info.GetAllocMode(), 1u);
  EXPECT_EQ(info.GetOSName(), platform::SystemName());
  EXPECT_EQ(info.GetProcessorName(), "Unknown Processor");
  EXPECT_GE(info.GetProcessorCount(), 1u);
  EXPECT_EQ(info.GetScreenDepth(), 24u);
  EXPECT_EQ(info.GetDrawDib(), nullptr);
  EXPECT_STREQ(CSystemInfo::ProcessorName(586), "Intel Pentium");
}

TEST(Startup, DibRowBytes) {
  EXPECT_EQ(DibRowBytes(3, 8), 4u);
  EXPECT_EQ(DibRowBytes(1, 24), 4u);
  EXPECT_EQ(DibRowBytes(5, 24), 16u);
  EXPECT_EQ(DibRowBytes(33, 1), 8u);
}

TEST(Startup, InitAndTermOrdax) {
  platform::UseVirtualClock(0x123456789);
  EXPECT_FALSE(IsOrdaxInitialized());
  EXPECT_EQ(InitOrdax(), 0);
  EXPECT_TRUE(IsOrdaxInitialized());
  const SRandomState& state = GetRandomState();
  EXPECT_EQ(state.x, 0x23456789u);
  EXPECT_EQ(state.i, 1u);
  EXPECT_EQ(state.j, 1u);
  TermOrdax();
  EXPECT_FALSE(IsOrdaxInitialized());
  platform::UseRealClock();
}

TEST(Startup, BeepGoesToThePlatform) {
  const uint32_t before = platform::BeepCount();
  Beep();
  EXPECT_EQ(platform::BeepCount(), before + 1);
}

}  // namespace
