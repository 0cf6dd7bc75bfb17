// The sky and fog edit state against the sky's and sun light's fields: writing, reading back, the
// sun's side of the horizon, the sun light control's point, the random settings and the pictures the
// strips show.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "framework/core/four_cc.h"
#include "presets/sky_edit_state.h"

namespace {

struct SWritten {
  const char* name;
  std::function<void(CSkyParams&)> set;
  double SSkySettings::*field;
  double expected;
};

TEST(SkyEditState, WritesEachSettingIntoItsSkyField) {
  const std::vector<SWritten> cases = {
      {"cloud height 0", [](CSkyParams& p) { p.cloudHeight = 0; }, &SSkySettings::cloudHeight, 4.8828125},
      {"cloud height 100", [](CSkyParams& p) { p.cloudHeight = 100; }, &SSkySettings::cloudHeight, 161.1328125},
      {"cloud scale 0", [](CSkyParams& p) { p.cloudScale = 0; }, &SSkySettings::cloudScale, 1e-7},
      {"cloud scale 200", [](CSkyParams& p) { p.cloudScale = 200; }, &SSkySettings::cloudScale, 2.0},
      {"shadows 100", [](CSkyParams& p) { p.shadowIntensity = 100; }, &SSkySettings::valueF, 0.0},
      {"fog height 10", [](CSkyParams& p) { p.fogHeight = 10; }, &SSkySettings::fogHeight, 0.05},
      {"fog intensity 50", [](CSkyParams& p) { p.fogIntensity = 50; }, &SSkySettings::fogDensity, 0.5},
      {"haze 10", [](CSkyParams& p) { p.hazeIntensity = 10; }, &SSkySettings::hazeAmount, 0.5},
      {"cloud cover 40", [](CSkyParams& p) { p.cloudCover = 40; }, &SSkySettings::cloudCover, 1.0},
      {"amplitude -500", [](CSkyParams& p) { p.cloudAmplitude = -500; }, &SSkySettings::cloudContrast, -5.0},
  };
  for (const SWritten& c : cases) {
    CSkyParams params;
    c.set(params);
    SSkySettings sky;
    WriteSkyParams(params, false, &sky);
    EXPECT_DOUBLE_EQ(sky.*c.field, c.expected) << c.name;
  }
}

TEST(SkyEditState, FlagWordComesFromTheStateAndKeepsTheSkysOwnBits) {
  CSkyParams params;
  params.skyMode = FourCC("soft");
  params.stratusOn = 1;
  params.hazeIntensity = 10;
  SSkySettings sky;
  sky.flags = 0;
  WriteSkyParams(params, true, &sky);
  EXPECT_EQ(sky.flags, 0x2B3u);

  sky.flags = 0xFFF;
  params = CSkyParams();
  params.skyMode = FourCC("aoff");
  WriteSkyParams(params, false, &sky);
  EXPECT_EQ(sky.flags, 0xD00u) << "no haze or fog clears the atmosphere bit; 0x100, 0x400, 0x800 stay";

  params.cumulusOn = 1;
  params.skyMode = FourCC("cust");
  params.fogHeight = 1;
  WriteSkyParams(params, false, &sky);
  EXPECT_EQ(sky.flags, 0xD00u | 0x050 | 0x009 | 0x080);
}

TEST(SkyEditState, ReadsTheSkysValuesAndFlags) {
  SSkySettings sky;
  sky.flags = 0x001 | 0x080;
  sky.valueF = 0.667;
  sky.hazeAmount = 0.004;
  CSkyParams params;
  params.skyMode = FourCC("dark");
  bool linked = true;
  ReadSkyParams(sky, {}, &params, &linked);
  EXPECT_EQ(params.shadowIntensity, 33);
  EXPECT_EQ(params.hazeIntensity, 1) << "any haze reads as at least 1";
  EXPECT_EQ(params.skyMode, FourCC("dark")) << "0x001 alone names no mode";
  EXPECT_FALSE(linked);
  EXPECT_EQ(params.stratusOn + params.cumulusOn, 0);

  sky.valueF = 1 - 0.333;
  sky.hazeAmount = 0;
  sky.flags = 0x200 | 0x040 | 0x080 | 0x005;
  ReadSkyParams(sky, {}, &params, &linked);
  EXPECT_EQ(params.shadowIntensity, 33);
  EXPECT_EQ(params.hazeIntensity, 0);
  EXPECT_EQ(params.cumulusOn, 0) << "a layer bit without the clouds bit";
  EXPECT_EQ(params.skyMode, FourCC("dark"));
  EXPECT_TRUE(linked);

  sky.valueF = 0.333;
  sky.flags = 0x010 | 0x020;
  sky.hazeAmount = 3;
  sky.fogDensity = 0.5;
  sky.fogHeight = 0.05;
  ReadSkyParams(sky, {}, &params, &linked);
  EXPECT_EQ(params.shadowIntensity, 67);
  EXPECT_EQ(params.hazeIntensity + params.fogIntensity + params.fogHeight, 0) << "no atmosphere bit";
  EXPECT_EQ(params.skyMode, FourCC("aoff"));
  EXPECT_EQ(params.stratusOn, 1);
}

struct SRange {
  int32_t CSkyParams::*field;
  int32_t low;
  int32_t high;
};

TEST(SkyEditState, EveryEditorValueReadsBackUnchanged) {
  const SRange ranges[] = {
      {&CSkyParams::shadowIntensity, 0, 100}, {&CSkyParams::fogHeight, 0, 100},   {&CSkyParams::fogIntensity, 0, 100},
      {&CSkyParams::hazeIntensity, 0, 100},   {&CSkyParams::cloudHeight, 0, 100}, {&CSkyParams::cloudCover, 0, 100},
      {&CSkyParams::cloudScale, 0, 200},      {&CSkyParams::cloudAmplitude, -500, 500},
  };
  for (const SRange& range : ranges) {
    for (int32_t v = range.low; v <= range.high; ++v) {
      CSkyParams params;
      params.*range.field = v;
      // Any fog keeps the atmosphere bit on, so the fog and haze readouts are read.
      if (range.field != &CSkyParams::fogIntensity) params.fogIntensity = 1;
      SSkySettings sky;
      WriteSkyParams(params, false, &sky);
      CSkyParams back;
      bool linked = false;
      ReadSkyParams(sky, {}, &back, &linked);
      ASSERT_EQ(back.*range.field, v) << "range " << &range - ranges;
    }
  }
}

struct SColour {
  CImVector CSkyParams::*field;
  vector3<float> SSkySettings::*sky;  // or none: the sun's
  vector3<float> SSunFields::*sun;
};

TEST(SkyEditState, ColoursLandInTheirFieldsAndEveryByteSurvives) {
  const SColour colours[] = {
      {&CSkyParams::cloudCoverColor, &SSkySettings::cloudBShade, nullptr},
      {&CSkyParams::customColor2, &SSkySettings::zenith, nullptr},
      {&CSkyParams::customColor3, &SSkySettings::horizon, nullptr},
      {&CSkyParams::cloudHeightColor, &SSkySettings::cloudA, nullptr},
      {&CSkyParams::flatSkyColor, &SSkySettings::flat, nullptr},
      {&CSkyParams::shadowColor, &SSkySettings::skyLight, nullptr},
      {&CSkyParams::hazeColor, &SSkySettings::haze, nullptr},
      {&CSkyParams::fogColor, &SSkySettings::fog, nullptr},
      {&CSkyParams::sunColor, nullptr, &SSunFields::colour},
      {&CSkyParams::customColor1, nullptr, &SSunFields::secondColour},
  };
  for (const SColour& c : colours) {
    for (uint32_t byte = 0; byte < 256; ++byte) {
      CSkyParams params;
      params.sunDirection = {0, 1, 0};
      (params.*c.field).value = byte << 16 | (255 - byte) << 8 | (byte * 7 & 0xFF);
      SSkySettings sky;
      SSunFields sun;
      WriteSkyParams(params, false, &sky);
      WriteSunParams(params, &sun);
      const vector3<float>& written = c.sky ? sky.*c.sky : sun.*c.sun;
      ASSERT_NEAR(written.x, byte / 255.0, 1e-6);
      CSkyParams back;
      bool linked = false;
      ReadSkyParams(sky, sun, &back, &linked);
      ASSERT_EQ((back.*c.field).value, (params.*c.field).value) << byte;
    }
  }
  CSkyParams params;
  params.sunColor.value = 0x00102030;
  SSunFields sun;
  WriteSunParams(params, &sun);
  EXPECT_EQ(PackColour(sun.sunColour).value, 0x00102030u) << "the disc takes the light's colour";
}

TEST(SkyEditState, SunDirectionIsNormalisedAndSideOfTheHorizonFollowsIsSun) {
  struct SCase {
    uint8_t isSun;
    vector3<double> direction;
    vector3<double> written;
  };
  const SCase cases[] = {
      {1, {0.6, -0.8, 0}, {0.6, 0.8, 0}},
      {1, {0, 0, 2}, {0, 0, 1}},
      {0, {1, 0, 0}, {1, -0.0, 0}},
      {0, {0, 3, 4}, {0, -0.6, 0.8}},
  };
  for (const SCase& c : cases) {
    CSkyParams params;
    params.isSun = c.isSun;
    params.sunDirection = c.direction;
    SSunFields sun;
    WriteSunParams(params, &sun);
    EXPECT_NEAR(sun.direction.x, c.written.x, 1e-12);
    EXPECT_NEAR(sun.direction.y, c.written.y, 1e-12);
    EXPECT_NEAR(sun.direction.z, c.written.z, 1e-12);
    CSkyParams back;
    bool linked = false;
    ReadSkyParams(SSkySettings(), sun, &back, &linked);
    EXPECT_EQ(back.isSun, c.isSun) << "a moon on the horizon stays a moon";
  }

  CSkyParams zero;
  zero.isSun = 1;
  SSunFields sun;
  sun.direction = {0, -0.6, 0.8};
  WriteSunParams(zero, &sun);
  EXPECT_EQ(sun.direction.x, 0);
  EXPECT_DOUBLE_EQ(sun.direction.y, 0.6) << "the sun's own direction, put above the horizon";
  EXPECT_DOUBLE_EQ(sun.direction.z, 0.8);
}

TEST(SkyEditState, SunControlPointMapsToADirectionAndBack) {
  int32_t x = 100, y = 100;
  vector3<double> d;
  EXPECT_TRUE(MapSunControlPoint(&x, &y, &d, false));
  EXPECT_EQ(x, 70);
  EXPECT_EQ(y, 70);
  EXPECT_NEAR(d.x, 0.7, 1e-6);
  EXPECT_NEAR(d.y, std::sqrt(1 - 0.98), 1e-6);

  x = y = 0;
  EXPECT_FALSE(MapSunControlPoint(&x, &y, &d, false));
  EXPECT_EQ(d.x, 0);
  EXPECT_EQ(d.y, 1);
  EXPECT_EQ(d.z, 0);

  x = 100, y = 0;
  MapSunControlPoint(&x, &y, &d, false);
  EXPECT_GE(d.y, 0.0001) << "a sun on the rim stays just above the horizon";
  EXPECT_LT(d.y, 0.001);

  d = {0.5, 0.2, -0.459};
  EXPECT_TRUE(MapSunControlPoint(&x, &y, &d, true));
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, -45);
}

TEST(SkyEditState, RandomSettingsStayInTheEditorsRanges) {
  SRandomState random{12345, 0, 0};
  for (int i = 0; i < 200; ++i) {
    CSkyParams before;
    before.sunPointX = 17;
    before.sunPointY = -3;
    const CSkyParams p = RandomSkyParams(before, random);
    EXPECT_EQ(p.sunPointX, 17);
    EXPECT_EQ(p.sunPointY, -3);
    for (int32_t v : {p.shadowIntensity, p.fogHeight, p.fogIntensity, p.hazeIntensity, p.cloudHeight, p.cloudCover}) {
      ASSERT_GE(v, 0);
      ASSERT_LT(v, 100);
    }
    ASSERT_GE(p.cloudAmplitude, 0);
    ASSERT_LT(p.cloudAmplitude, 500);
    ASSERT_LT(p.cloudScale, 200);
    ASSERT_LE(p.stratusOn + p.cumulusOn + p.isSun, 3);
    ASSERT_LT(p.sunColor.value, 0x01000000u);
    ASSERT_EQ(kSkyModes[SkyModeIndex(p.skyMode)], p.skyMode);
    const vector3<double>& d = p.sunDirection;
    ASSERT_NEAR(d.x * d.x + d.y * d.y + d.z * d.z, 1.0, 1e-9);
  }
}

TEST(SkyEditState, StripsAndTheFogStripShowTheirPictures) {
  struct SCase {
    int32_t value;
    int32_t picture;
  };
  for (const SCase& c : {SCase{0, 0}, {1, 1}, {10, 1}, {11, 2}, {20, 2}, {21, 3}, {100, 10}, {150, 10}}) {
    EXPECT_EQ(StripPicture(c.value, 11), c.picture) << c.value;
  }
  EXPECT_EQ(StripPicture(1, 2), 1);
  EXPECT_EQ(FogPicture(100, 100, 72), 71);
  EXPECT_EQ(FogPicture(50, 100, 72), 69);
  EXPECT_EQ(FogPicture(50, 0, 72), 3);
  EXPECT_EQ(FogPicture(51, 0, 72), 4);
  EXPECT_EQ(FogPicture(0, 100, 72), 66) << "column 0 whatever the height";
  EXPECT_EQ(FogPicture(100, 100, 40), 39);
}

}  // namespace
