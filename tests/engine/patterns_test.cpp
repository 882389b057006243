#include <gtest/gtest.h>

#include "engine/timeline.hpp"

namespace bnx::engine::test {
namespace {

// What the car shows at a step, and the light bar call of that tick ('-' none).
struct Look {
  std::uint32_t head;
  bool front, rear, extra;
  std::uint32_t ind;
  char bar;
  bool operator==(const Look&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Look& l) {
  return os << "{head " << l.head << " fogs " << l.front << l.rear << " extra " << l.extra
            << " ind " << l.ind << " bar " << l.bar << "}";
}

enum class Sound { kNone, kWail, kYelp, kPiercer };
constexpr std::uint32_t O(int n) { return 1u << n; }

struct PatternRow {
  const char* name;
  std::uint32_t lightsMode, options, sirenMode;
  Sound sound;
  ControlFunction before;  // a key tapped before the lights start
  std::array<Look, 4> at;  // ticks 0, 25, 50, 75
};

constexpr int kStart = 3000;

Look Observe(Timeline& t, int ms) {
  const LightState& l = t.L(ms);
  char bar = '-';
  for (const HudCall& c : t.hud.At(ms))
    if (c.kind == HudCall::kBar) bar = "ULR"[c.arg];
  return {l.headlights, l.frontFog, l.rearFog, l.extra, l.indicators, bar};
}

class PatternSchedule : public ::testing::TestWithParam<PatternRow> {};

TEST_P(PatternSchedule, LightsAtEachStep) {
  const PatternRow& r = GetParam();
  Config c = WithOptions({}, r.sound == Sound::kPiercer ? 3 : r.sirenMode, r.lightsMode);
  for (int o = 0; o < opt::kCount; ++o) c.options[static_cast<std::size_t>(o)] = (r.options & O(o)) != 0;
  Timeline t(c);
  const int taps = r.sound == Sound::kNone ? 0 : r.sound == Sound::kWail ? 1 : r.sound == Sound::kYelp ? 2 : 3;
  for (int i = 0; i < taps; ++i) t.Tap(fn::kSiren, i * 1000);
  if (r.before != fn::kNone) t.Tap(r.before, 2500);
  t.Tap(fn::kLights, kStart);
  for (int step = 0; step < 4; ++step)
    EXPECT_EQ(Observe(t, kStart + step * 250), r.at[static_cast<std::size_t>(step)]) << "tick " << step * 25;
  EXPECT_EQ(Observe(t, kStart + 1000), r.at[0]) << "next cycle";
  for (const Frame& f : t.frames)
    if (f.ms > kStart && (f.ms - kStart) % 250 != 0) {
      EXPECT_EQ(f.lights, 0u) << "between steps, " << f.ms;
    }
}

constexpr ControlFunction kNo = fn::kNone;
constexpr Look F(bool front, bool rear, bool extra, std::uint32_t head, char bar) {
  return {head, front, rear, extra, 0, bar};
}
constexpr Look Hd(std::uint32_t head, std::uint32_t ind, char bar) { return {head, false, false, false, ind, bar}; }

INSTANTIATE_TEST_SUITE_P(
    LightsModes, PatternSchedule,
    ::testing::Values(
        PatternRow{"ClassicNormal", 0, 0, 0, Sound::kNone, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 0, 'R'), Hd(0, 0, '-')}},
        PatternRow{"ClassicHazards", 0, O(0), 0, Sound::kNone, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 3, 'R'), Hd(0, 3, '-')}},
        PatternRow{"ClassicWailStaysNormal", 0, O(1), 0, Sound::kWail, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 0, 'R'), Hd(0, 0, '-')}},
        PatternRow{"ClassicYelpNeedsOption1", 0, 0, 0, Sound::kYelp, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 0, 'R'), Hd(0, 0, '-')}},
        PatternRow{"ClassicFastYelp", 0, O(1), 0, Sound::kYelp, kNo, {Hd(3, 0, 'L'), Hd(0, 0, 'R'), Hd(3, 0, 'L'), Hd(0, 0, 'R')}},
        PatternRow{"ClassicFastPiercer", 0, O(1), 0, Sound::kPiercer, kNo, {Hd(3, 0, 'L'), Hd(0, 0, 'R'), Hd(3, 0, 'L'), Hd(0, 0, 'R')}},
        PatternRow{"ClassicTowForcesHazards", 0, 0, 5, Sound::kNone, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 3, 'R'), Hd(0, 3, '-')}},
        PatternRow{"ClassicTowLeftIndicatorSuspends", 0, 0, 5, Sound::kNone, fn::kLeftIndicator, {Hd(3, 1, 'L'), Hd(3, 1, '-'), Hd(0, 1, 'R'), Hd(0, 1, '-')}},
        PatternRow{"ClassicAlreadyFull", 0, O(0), 0, Sound::kNone, fn::kFullBeam, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 3, 'R'), Hd(0, 3, '-')}},
        PatternRow{"FogBarNormal", 1, 0, 0, Sound::kNone, kNo, {F(1, 0, 0, 0, 'L'), F(1, 0, 0, 3, '-'), F(0, 1, 0, 3, 'R'), F(0, 1, 0, 0, '-')}},
        PatternRow{"FogBarNormalExtra", 1, O(9), 0, Sound::kNone, kNo, {F(1, 0, 1, 0, 'L'), F(1, 0, 0, 3, '-'), F(0, 1, 0, 3, 'R'), F(0, 1, 1, 0, '-')}},
        PatternRow{"FogBarYelp", 1, O(1), 0, Sound::kYelp, kNo, {F(1, 0, 0, 0, 'L'), F(0, 1, 0, 3, 'R'), F(1, 0, 0, 3, 'L'), F(0, 1, 0, 0, 'R')}},
        PatternRow{"FogBarPiercer", 1, O(1) | O(9), 0, Sound::kPiercer, kNo, {F(1, 0, 1, 0, 'L'), F(0, 1, 0, 3, 'R'), F(1, 0, 1, 0, 'L'), F(0, 1, 0, 3, 'R')}},
        PatternRow{"BeaconNormal", 2, O(9), 0, Sound::kWail, kNo, {F(0, 0, 1, 0, 'L'), F(0, 0, 1, 0, '-'), F(0, 0, 0, 3, 'R'), F(0, 0, 0, 3, '-')}},
        PatternRow{"BeaconFastYelp", 2, O(1), 0, Sound::kYelp, kNo, {F(0, 0, 1, 0, 'L'), F(0, 0, 0, 3, 'R'), F(0, 0, 1, 0, 'L'), F(0, 0, 0, 3, 'R')}},
        PatternRow{"BeaconFastPiercer", 2, O(1), 0, Sound::kPiercer, kNo, {F(0, 0, 1, 0, 'L'), F(0, 0, 0, 3, 'R'), F(0, 0, 1, 0, 'L'), F(0, 0, 0, 3, 'R')}},
        PatternRow{"BeaconFogsNormal", 3, 0, 0, Sound::kNone, kNo, {F(1, 1, 0, 0, 'L'), F(1, 1, 1, 0, '-'), F(0, 0, 1, 3, 'R'), F(0, 0, 0, 3, '-')}},
        PatternRow{"BeaconFogsYelp", 3, O(1), 0, Sound::kYelp, kNo, {F(1, 1, 0, 0, 'R'), F(1, 1, 1, 0, 'L'), F(0, 0, 0, 3, 'R'), F(0, 0, 1, 3, 'L')}},
        PatternRow{"BeaconFogsPiercer", 3, O(1), 0, Sound::kPiercer, kNo, {F(1, 1, 0, 0, 'R'), F(0, 0, 1, 3, 'L'), F(1, 1, 0, 0, 'R'), F(0, 0, 1, 3, 'L')}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Patterns, ClassicStartedOnFullBeamStartsQuietly) {
  Timeline t(WithOptions({opt::kHazardsWithLights}));
  t.Tap(fn::kFullBeam, 0).Tap(fn::kLights, 1000);
  EXPECT_EQ(t.F(1000).lights, 0u);
  EXPECT_EQ(t.hud.At(1000).size(), 1u) << "only the start lights the bar";
}

TEST(Patterns, VariantIsChosenAtEveryStepWithoutRestart) {
  Timeline t(WithOptions({opt::kFastYelp}, 0, 2));
  t.Tap(fn::kSiren, 0).Tap(fn::kLights, 1000).Tap(fn::kSiren, 1100);  // Wail, then Yelp
  EXPECT_EQ(t.L(1090).siren, siren::kSlow);
  EXPECT_EQ(t.L(1250).headlights, head::kFull) << "fast off step at 25";
  EXPECT_FALSE(t.L(1250).extra);
}

TEST(Patterns, UnknownLightsModeRunsNoStepButCounts) {
  Timeline t(WithOptions({}, 0, 4));
  t.Tap(fn::kLights, 0);
  t.RunTo(1000);
  for (const Frame& f : t.frames) EXPECT_EQ(f.lights, 0u) << f.ms;
  EXPECT_EQ(t.L(370).patternCounter, 38);
  EXPECT_EQ(t.L(990).patternCounter, 0) << "wraps from 100 to 0";
}

TEST(Patterns, LightsModeChangeTakesEffectAtNextStep) {
  Timeline t(WithOptions({}, 0, 1));
  t.Tap(fn::kLights, 0).At(100, [&] { t.config.lightsMode = 2; });
  EXPECT_TRUE(t.L(490).frontFog) << "left on by the previous mode";
  EXPECT_EQ(t.L(500).headlights, head::kFull);  // Extra Beacon off step
  EXPECT_TRUE(t.L(500).frontFog);
}

}  // namespace
}  // namespace bnx::engine::test
