#include <gtest/gtest.h>

#include "engine/timeline.hpp"

namespace bnx::engine::test {
namespace {

constexpr ControlFunction kSiren = fn::kSiren, kBullhorn = fn::kBullhorn;

struct ModeRow {
  std::uint32_t mode;
  std::array<std::uint32_t, 4> tones, sirens;  // after four spaced taps
  std::uint32_t holdHorn, holdSiren, afterHoldHorn;  // long press with the siren on
  std::uint32_t tapHoldHorn;                         // tap, then long press
  std::uint32_t bullhornHorn;                        // Bullhorn key held
};

class WhatModesDo : public ::testing::TestWithParam<ModeRow> {};

TEST_P(WhatModesDo, TapsCycle) {
  const ModeRow& r = GetParam();
  Timeline t(WithOptions({}, r.mode));
  for (int i = 0; i < 4; ++i) {
    t.Tap(kSiren, i * 1000);
    EXPECT_EQ(t.L(i * 1000).horn, 1u) << "every press sounds the horn, tap " << i;
    EXPECT_EQ(t.S(i * 1000 + 60).tone, r.tones[i]) << "tap " << i;
    EXPECT_EQ(t.L(i * 1000 + 60).siren, r.sirens[i]) << "tap " << i;
  }
  EXPECT_EQ(t.L(2060).horn, r.tones[2] == tone::kPiercer ? horn::kPiercer : horn::kOff);
}

TEST_P(WhatModesDo, DoubleTapSwitchesOff) {
  const ModeRow& r = GetParam();
  Timeline t(WithOptions({}, r.mode));
  t.Tap(kSiren, 0).Tap(kSiren, 1000).Tap(kSiren, 1200);
  EXPECT_EQ(t.L(1100).siren, r.sirens[1]);
  EXPECT_EQ(t.L(1300).siren, 0u);
  EXPECT_EQ(t.S(1300).tone, 0u);
  EXPECT_FALSE(t.S(1300).engaged);
}

TEST_P(WhatModesDo, LongPressWithSirenOn) {
  const ModeRow& r = GetParam();
  Timeline t(WithOptions({}, r.mode));
  t.Tap(kSiren, 0).Hold(kSiren, 1000, 1500);
  EXPECT_EQ(t.L(1300).horn, r.holdHorn);
  EXPECT_EQ(t.L(1300).siren, r.holdSiren);
  EXPECT_EQ(t.L(1600).horn, r.afterHoldHorn);
}

TEST_P(WhatModesDo, TapThenLongPress) {
  const ModeRow& r = GetParam();
  Timeline t(WithOptions({}, r.mode));
  t.Tap(kSiren, 0).Tap(kSiren, 1000).Hold(kSiren, 1150, 1600);
  EXPECT_EQ(t.L(1400).horn, r.tapHoldHorn);
}

TEST_P(WhatModesDo, BullhornKey) {
  const ModeRow& r = GetParam();
  Timeline t(WithOptions({}, r.mode));
  t.Tap(kSiren, 0).Hold(kBullhorn, 1000, 1500);
  EXPECT_EQ(t.L(1200).horn, r.bullhornHorn);
  EXPECT_EQ(t.F(1500).switches != 0, r.bullhornHorn != 0) << "the release writes horn off";
  EXPECT_EQ(t.L(1600).horn, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    SirenModes, WhatModesDo,
    ::testing::Values(ModeRow{0, {1, 2, 1, 2}, {2, 1, 2, 1}, 4, 2, 0, 5, 0},
                      ModeRow{1, {1, 2, 1, 2}, {2, 1, 2, 1}, 5, 0, 5, 5, 4},
                      ModeRow{2, {1, 2, 1, 2}, {2, 1, 2, 1}, 1, 2, 0, 5, 4},
                      ModeRow{3, {1, 2, 3, 1}, {2, 1, 0, 2}, 4, 2, 0, 4, 0},
                      ModeRow{4, {1, 2, 3, 1}, {2, 1, 0, 2}, 1, 2, 0, 1, 4},
                      ModeRow{5, {0, 0, 0, 0}, {0, 0, 0, 0}, 1, 0, 0, 1, 0},
                      ModeRow{6, {0, 0, 0, 0}, {0, 0, 0, 0}, 1, 0, 0, 1, 0}),
    [](const auto& info) { return "Mode" + std::to_string(info.param.mode); });

TEST(SirenKey, PressWritesOnlyThePlainHorn) {
  Timeline t;
  t.Hold(kSiren, 0, 500);
  EXPECT_EQ(t.F(0).switches, lcs::kHornChange | (1u << lcs::kHornShift));
  EXPECT_EQ(t.F(0).lights, 0u);
  EXPECT_EQ(t.F(500).switches, lcs::kHornChange) << "horn off, siren untouched";
  EXPECT_EQ(t.L(500).siren, 0u) << "a hold with the siren off is only the horn";
}

TEST(SirenKey, HoldThresholdIsExclusive) {
  // Released at 170 ms: a tap. At exactly 180 ms: a long press that counts no tap.
  for (auto [hold, tone] : {std::pair{170, 1u}, {180, 0u}, {190, 0u}}) {
    Timeline t;
    t.Hold(kSiren, 0, hold);
    EXPECT_EQ(t.S(300).tone, tone) << hold;
    EXPECT_EQ(t.L(300).horn, 0u) << hold;
  }
  // With the siren on, the bullhorn needs more than 180 ms of holding.
  Timeline t;
  t.Tap(kSiren, 0).Hold(kSiren, 1000, 1500);
  EXPECT_EQ(t.L(1180).horn, 1u);
  EXPECT_EQ(t.L(1190).horn, horn::kBullhorn);
}

TEST(SirenKey, DoubleTapWindowRunsFromPressToRelease) {
  // First press of the pair at 1000; the second release at 1440 is inside, 1450 not.
  for (auto [release, tone] : {std::pair{1440, 0u}, {1450, 1u}}) {
    Timeline t;
    t.Tap(kSiren, 0).Tap(kSiren, 1000).Hold(kSiren, 1300, release);
    EXPECT_EQ(t.S(1500).tone, tone) << release;  // Wail, Yelp, then off or Wail
  }
}

TEST(SirenKey, TapAfterLongPressIsNoDoubleTap) {
  Timeline t;
  t.Tap(kSiren, 0).Hold(kSiren, 1000, 1250).Tap(kSiren, 1300);
  EXPECT_EQ(t.L(1200).horn, horn::kBullhorn);
  EXPECT_EQ(t.S(1400).tone, tone::kYelp);
}

TEST(SirenKey, TapThenHoldWindowBoundary) {
  // Tap pressed at 1000; the hold passes 180 ms at press + 190.
  for (auto [press, horn] : {std::pair{1250, horn::kPiercer}, {1260, horn::kBullhorn}}) {
    Timeline t;
    t.Tap(kSiren, 0).Tap(kSiren, 1000).Hold(kSiren, press, 2000);
    EXPECT_EQ(t.L(press + 200).horn, horn) << press;
  }
}

TEST(SirenKey, HoldStartedPiercerReturnsToPreviousSiren) {
  // Mode 0: Wail, tap to Yelp, then hold: the piercer outlives the press and
  // after 5 s Yelp comes back; the tone never changed.
  Timeline t;
  t.Tap(kSiren, 0).Tap(kSiren, 1000).Hold(kSiren, 1100, 1500);
  EXPECT_EQ(t.L(1290).horn, horn::kPiercer);
  EXPECT_EQ(t.L(1290).siren, 0u);
  EXPECT_EQ(t.L(1600).horn, horn::kPiercer);
  EXPECT_EQ(t.L(6290).horn, horn::kPiercer) << "exactly 5 s is not over";
  EXPECT_EQ(t.L(6300).horn, 0u);
  EXPECT_EQ(t.L(6300).siren, siren::kFast);
  EXPECT_EQ(t.S(6300).tone, tone::kYelp);

  Timeline wail(WithOptions({}, 1));  // mode 1: a plain hold from Wail
  wail.Tap(kSiren, 0).Hold(kSiren, 1000, 1300);
  EXPECT_EQ(wail.L(1190).horn, horn::kPiercer);
  EXPECT_EQ(wail.L(6200).siren, siren::kSlow);
}

TEST(SirenKey, TapDuringPiercerBringsBackTheTone) {
  Timeline t(WithOptions({}, 1));
  t.Tap(kSiren, 0).Tap(kSiren, 1000).Hold(kSiren, 2000, 2400).Tap(kSiren, 3000);
  EXPECT_EQ(t.L(2300).horn, horn::kPiercer);
  EXPECT_EQ(t.L(3000).horn, 1u) << "pressing stops the burst at once";
  EXPECT_EQ(t.L(3060).siren, siren::kFast);
  EXPECT_EQ(t.L(3060).horn, 0u);
}

TEST(SirenKey, CyclePiercerEndsWithYelpAndNextTapStartsAnother) {
  Timeline t(WithOptions({}, 3));
  t.Tap(kSiren, 0).Tap(kSiren, 1000).Tap(kSiren, 2000);
  EXPECT_EQ(t.L(2060).horn, horn::kPiercer);
  EXPECT_EQ(t.L(7060).horn, 0u);
  EXPECT_EQ(t.L(7060).siren, siren::kFast);
  EXPECT_EQ(t.S(7060).tone, tone::kPiercer) << "the HUD keeps the piercer label";
  t.Tap(kSiren, 8000);
  EXPECT_EQ(t.L(8060).horn, horn::kPiercer);
}

TEST(SirenKey, DoubleTapBlocksTapThenHoldPiercer) {
  Timeline t;
  t.Tap(kSiren, 0).Tap(kSiren, 1000).Tap(kSiren, 1200);  // on, Yelp, off
  t.Tap(kSiren, 3000).Hold(kSiren, 3100, 3500);           // on, then hold
  EXPECT_TRUE(t.S(1300).offByDoubleTap);
  EXPECT_EQ(t.L(3400).horn, horn::kBullhorn);
  t.Tap(kSiren, 5000).Hold(kSiren, 5100, 5500);  // a tone change clears the block
  EXPECT_EQ(t.L(5400).horn, horn::kPiercer);
}

TEST(SirenKey, LightsWithSirenAndFlashWithHorn) {
  Timeline t(WithOptions({opt::kLightsWithSiren, opt::kFlashWithHorn}));
  t.Hold(kSiren, 0, 50);
  EXPECT_TRUE(t.L(0).flash);
  EXPECT_EQ(t.F(0).switches & (lcs::kFlashChange | lcs::kFlashOn), lcs::kFlashChange | lcs::kFlashOn);
  EXPECT_FALSE(t.L(50).flash);
  EXPECT_TRUE(t.L(50).flashing);
  EXPECT_EQ(t.L(50).headlights, head::kFull) << "the first pattern step runs in the same tick";
}

TEST(Bullhorn, RestoreWithAndWithoutInterrupt) {
  Timeline on(WithOptions({opt::kBullhornInterrupts}, 1));
  on.Tap(kSiren, 0).Tap(kSiren, 1000).Hold(kBullhorn, 2000, 2500);
  EXPECT_EQ(on.L(2000).horn, horn::kBullhorn);
  EXPECT_EQ(on.L(2000).siren, 0u);
  EXPECT_EQ(on.L(2500).horn, 0u);
  EXPECT_EQ(on.L(2500).siren, siren::kFast);
  EXPECT_EQ(on.S(2500).tone, tone::kYelp);

  Timeline off(WithOptions({}, 1));
  off.Tap(kSiren, 0).Hold(kBullhorn, 1000, 1500);
  EXPECT_EQ(off.L(1000).siren, siren::kSlow);
  EXPECT_EQ(off.F(1500).switches, lcs::kHornChange) << "only the horn goes off";
  EXPECT_EQ(off.L(1500).siren, siren::kSlow);
}

TEST(Bullhorn, ReplacesPiercerAndBringsItBack) {
  Timeline t(WithOptions({}, 1));
  t.Tap(kSiren, 0).Hold(kSiren, 1000, 1300).Hold(kBullhorn, 2000, 2500);
  EXPECT_EQ(t.L(2200).horn, horn::kBullhorn);
  EXPECT_EQ(t.L(2500).horn, horn::kPiercer);
  EXPECT_EQ(t.L(6190).horn, horn::kPiercer) << "with its old start (1190)";
  EXPECT_EQ(t.L(6200).horn, 0u);
  EXPECT_EQ(t.L(6200).siren, siren::kSlow);
}

TEST(Bullhorn, ReleaseAfterModeChangeStillSilencesIt) {
  Timeline t(WithOptions({opt::kBullhornInterrupts}, 1));
  t.Tap(kSiren, 0).Press(kBullhorn, 1000).Mode(1200, 6).Release(kBullhorn, 1500);
  EXPECT_EQ(t.L(1400).horn, horn::kBullhorn);
  EXPECT_EQ(t.L(1500).horn, 0u);
  EXPECT_EQ(t.L(1500).siren, 0u) << "no siren brought back where sirens are disabled";
}

TEST(ShutDown, ModeWithoutSirensSilencesAndClearsTone) {
  Timeline t;
  t.Tap(kSiren, 0).Mode(1000, 5);
  EXPECT_EQ(t.L(990).siren, siren::kSlow);
  EXPECT_EQ(t.L(1000).siren, 0u);
  EXPECT_EQ(t.S(1000).tone, 0u);
  EXPECT_EQ(t.hud.Of(HudCall::kLabel), (std::vector<HudCall>{{HudCall::kLabel, 1, 50},
                                                             {HudCall::kLabel, 0, 1000}}));
}

TEST(ShutDown, PiercerBurstEndsWithoutWailOrYelp) {
  for (std::uint32_t target : {5u, 6u}) {
    Timeline t;
    t.Tap(kSiren, 0).Tap(kSiren, 1000).Hold(kSiren, 1100, 1500).Mode(2000, target);
    EXPECT_EQ(t.L(1990).horn, horn::kPiercer);
    EXPECT_EQ(t.L(2000).horn, 0u) << target;
    EXPECT_EQ(t.S(2000).tone, 0u);
    t.RunTo(8000);
    for (const Frame& f : t.frames)
      if (f.ms >= 2000) {
        EXPECT_EQ(f.light.siren, 0u) << f.ms;
      }
  }
}

TEST(InputGateSiren, HornSoundingWhenInputIsIgnoredKeepsSounding) {
  Timeline t;
  t.Press(kSiren, 1000).Ignore(1100, 2000).Release(kSiren, 1200);
  t.Hold(kSiren, 2500, 2550);
  EXPECT_EQ(t.L(1990).horn, 1u);
  EXPECT_EQ(t.L(2400).horn, 1u) << "the release was never seen";
  EXPECT_EQ(t.L(2550).horn, 0u);
}

}  // namespace
}  // namespace bnx::engine::test
