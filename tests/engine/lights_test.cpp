#include <gtest/gtest.h>

#include "engine/timeline.hpp"
#include "platform/fake/window.hpp"

namespace bnx::engine::test {
namespace {

// Presses each key 100 ms apart and collects the headlight state after each.
std::vector<std::uint32_t> Headlights(Timeline& t, std::initializer_list<ControlFunction> keys) {
  std::vector<std::uint32_t> out;
  int ms = 0;
  for (ControlFunction k : keys) {
    t.Tap(k, ms);
    out.push_back(t.L(ms).headlights);
    ms += 100;
  }
  return out;
}

TEST(Headlights, KeysFollowTheirCycles) {
  using V = std::vector<std::uint32_t>;
  constexpr auto kCycle = fn::kHeadlightsCycle;
  Timeline plain;
  EXPECT_EQ(Headlights(plain, {kCycle, kCycle, kCycle, kCycle, kCycle}), (V{1, 2, 3, 0, 1}));
  Timeline running;
  running.config.options[opt::kRunningLights] = true;  // set after start: state still off
  EXPECT_EQ(Headlights(running, {kCycle, kCycle, kCycle, kCycle, kCycle, fn::kDippedBeam}),
            (V{1, 2, 3, 1, 2, 0}));
  Timeline direct;
  EXPECT_EQ(Headlights(direct, {fn::kSidelights, fn::kSidelights, fn::kDippedBeam, fn::kFullBeam,
                                fn::kFullBeam, fn::kFlash}),
            (V{1, 0, 2, 3, 0, 0}));
  EXPECT_EQ(direct.F(500).lights, 0u) << "Flash has no behaviour";
  EXPECT_EQ(direct.F(500).switches, 0u);
}

TEST(Headlights, SameTickLastWriteWinsInOneValue) {
  Timeline t;
  t.Press(fn::kHeadlightsCycle, 0).Press(fn::kFullBeam, 0);
  EXPECT_EQ(t.F(0).lights, (3u << lcl::kHeadlightsShift) | lcl::kHeadlightsChange);
}

TEST(Headlights, RunningLightsAtStart) {
  Timeline t(WithOptions({opt::kRunningLights}));
  EXPECT_EQ(t.engine.light().headlights, head::kSide);
  EXPECT_EQ(t.F(0).lights, 0u) << "nothing is sent at start";
}

TEST(Lights, FogsExtraAndIndicatorPriority) {
  Timeline t;
  t.Tap(fn::kFrontFog, 0).Tap(fn::kRearFog, 100).Tap(fn::kExtra, 100).Tap(fn::kFrontFog, 200);
  EXPECT_EQ(t.F(0).lights, lcl::kFrontFogOn | lcl::kFrontFogChange);
  EXPECT_EQ(t.F(100).lights, lcl::kRearFogOn | lcl::kRearFogChange | lcl::kExtraOn | lcl::kExtraChange);
  EXPECT_EQ(t.F(200).lights, lcl::kFrontFogChange);

  t.Press(fn::kLeftIndicator, 300).Press(fn::kHazards, 300).Release(fn::kLeftIndicator, 400);
  EXPECT_EQ(t.L(300).indicators, ind::kLeft) << "one indicator per tick, left first";
  t.Press(fn::kRightIndicator, 500).Press(fn::kLeftIndicator, 500);
  EXPECT_EQ(t.L(500).indicators, ind::kOff) << "left again cancels left";
  t.Release(fn::kLeftIndicator, 600).Release(fn::kRightIndicator, 600).Release(fn::kHazards, 600);
  t.Tap(fn::kHazards, 700);
  EXPECT_EQ(t.F(700).lights, (3u << lcl::kIndicatorsShift) | lcl::kIndicatorsChange);
}

TEST(Lights, HornAndFogInOneTickGiveBothValues) {
  Timeline t;
  t.Press(fn::kSiren, 0).Press(fn::kRearFog, 0);
  EXPECT_NE(t.F(0).switches, 0u);
  EXPECT_NE(t.F(0).lights, 0u);
}

TEST(Flashing, HeadlightKeysInertOtherKeysAct) {
  Timeline t(WithOptions({}, 0, 2));  // Extra Beacon
  t.Tap(fn::kDippedBeam, 0).Tap(fn::kLights, 100);
  t.Tap(fn::kSidelights, 200).Tap(fn::kHeadlightsCycle, 300).Tap(fn::kLeftIndicator, 300);
  EXPECT_EQ(t.L(200).headlights, head::kDipped) << "the pattern owns the headlights";
  EXPECT_EQ(t.F(200).lights, 0u);
  EXPECT_EQ(t.L(300).indicators, ind::kLeft);
  EXPECT_EQ(t.L(300).savedHeadlights, head::kDipped);
  t.Tap(fn::kLights, 1000);
  const Frame& stop = t.F(1000);
  EXPECT_FALSE(stop.light.flashing);
  EXPECT_EQ(stop.light.headlights, head::kDipped) << "restored";
  EXPECT_EQ(stop.lights & (lcl::kExtraChange | lcl::kExtraOn), lcl::kExtraChange)
      << "extra written off even though it was off";
  EXPECT_EQ(stop.light.indicators, ind::kLeft) << "o:0 clear: indicators untouched";
  EXPECT_EQ(t.hud.Of(HudCall::kBar).back(), (HudCall{HudCall::kBar, 0, 1000}));
}

TEST(Flashing, StopClearsWhatTheModeOwns) {
  Timeline t(WithOptions({opt::kHazardsWithLights}, 0, 1));  // fog bar
  t.Tap(fn::kHazards, 0).Tap(fn::kLights, 100).Tap(fn::kLights, 700);
  EXPECT_TRUE(t.L(650).rearFog);
  const Frame& stop = t.F(700);
  EXPECT_FALSE(stop.light.rearFog);
  EXPECT_FALSE(stop.light.frontFog);
  EXPECT_EQ(stop.light.indicators, ind::kOff);
  EXPECT_EQ(stop.light.headlights, head::kOff);
}

TEST(Flashing, ModeSixStopsAndForbidsThem) {
  Timeline t;
  t.Tap(fn::kLights, 0).Mode(300, 6).Tap(fn::kLights, 500);
  EXPECT_TRUE(t.L(290).flashing);
  EXPECT_FALSE(t.L(300).flashing);
  EXPECT_EQ(t.L(300).headlights, head::kOff);
  EXPECT_FALSE(t.L(500).flashing);
}

TEST(Reapply, HeadlightsAndRunningLights) {
  struct Row {
    bool runningOption, flashing;
    std::uint32_t state, reapply, stateAfterReapply, apply, stateAfterApply;
  };
  for (const Row& r : {Row{false, false, 0, 0, 0, 0, 0}, Row{true, false, 0, 0x40004, 1, 0, 1},
                       Row{false, false, 2, 0x80004, 2, 0, 2}, Row{false, false, 1, 0x40004, 1, 0x4, 0},
                       Row{true, true, 0, 0, 3, 0, 3}}) {
    Timeline t;
    if (r.state != 0) t.Tap(r.state == 1 ? fn::kSidelights : fn::kDippedBeam, 0);
    if (r.flashing) t.Tap(fn::kLights, 0);
    t.RunTo(100);
    t.config.options[opt::kRunningLights] = r.runningOption;
    EXPECT_EQ(t.engine.ReapplyHeadlights(), r.reapply);
    EXPECT_EQ(t.engine.light().headlights, r.stateAfterReapply);
    EXPECT_EQ(t.engine.ApplyRunningLights(), r.apply);
    EXPECT_EQ(t.engine.light().headlights, r.stateAfterApply);
  }
  Timeline off;  // state off, o:8 turned on: ApplyRunningLights switches sidelights on
  off.config.options[opt::kRunningLights] = true;
  EXPECT_EQ(off.engine.ApplyRunningLights(), 0x40004u);
}

TEST(InputGate, OptionsFlagsAndTitle) {
  struct Row {
    bool textEntryOption, allowInactive;
    std::uint16_t flags;
    std::optional<std::string> title;
    bool ignored;
  };
  const std::string lfs = "Live for Speed";
  for (const Row& r : {Row{false, false, 0x8010, lfs, false}, Row{true, false, 0x0010, lfs, true},
                       Row{true, false, 0x8000, lfs, true}, Row{true, false, 0x0001, lfs, false},
                       Row{false, false, 0, "Live for Speed 0.7F", true},
                       Row{false, false, 0, "Live for Spee", true}, Row{false, false, 0, "", true},
                       Row{false, false, 0, "live for speed", true},
                       Row{false, false, 0, std::nullopt, true},
                       Row{false, true, 0, std::nullopt, false},
                       Row{true, true, 0x8000, std::nullopt, true}}) {
    Config c = WithOptions({});
    c.options[opt::kIgnoreInTextEntry] = r.textEntryOption;
    c.options[opt::kAllowInactive] = r.allowInactive;
    EXPECT_EQ(InputIgnored(c, r.flags, r.title ? r.title->c_str() : nullptr), r.ignored)
        << r.flags << " " << r.title.value_or("<none>");
  }
}

TEST(InputGate, FakeWindowReadsLikeGetWindowText) {
  platform::fake::FakeForegroundWindow window;
  const Config c;
  std::array<char, kTitleBuffer> title{};
  ASSERT_TRUE(window.Title(title));
  EXPECT_FALSE(InputIgnored(c, 0, title.data()));
  window.SetTitle("Live for Speed - S3 edition");
  ASSERT_TRUE(window.Title(title));
  EXPECT_STREQ(title.data(), "Live for Speed - S3");  // 19 characters
  EXPECT_TRUE(InputIgnored(c, 0, title.data()));
  window.SetNoWindow();
  EXPECT_FALSE(window.Title(title));
}

TEST(InputGate, KeyHeldWhileFocusReturnsGivesNoPress) {
  Timeline t(WithOptions({}, 0, 0));
  t.Tap(fn::kLights, 0).Ignore(100, 500).Press(fn::kFrontFog, 200).Release(fn::kFrontFog, 700);
  t.Press(fn::kFrontFog, 900);
  EXPECT_EQ(t.L(490).headlights, head::kFull);
  EXPECT_EQ(t.L(500).headlights, head::kOff) << "the pattern ran on while input was ignored";
  EXPECT_FALSE(t.L(800).frontFog);
  EXPECT_TRUE(t.L(900).frontFog);
}

}  // namespace
}  // namespace bnx::engine::test
