#include <gtest/gtest.h>

#include "engine/timeline.hpp"

namespace bnx::engine::test {
namespace {

using C = HudCall;
using Calls = std::vector<HudCall>;

Calls Arrows(const Timeline& t) {
  Calls out;
  for (const HudCall& c : t.hud.calls)
    if (c.kind == C::kShowLeft || c.kind == C::kShowRight || c.kind == C::kHide) out.push_back(c);
  return out;
}

TEST(Blink, ShownFor49TicksHiddenFor51) {
  Timeline t;
  t.Tap(fn::kLeftIndicator, 100).RunTo(2099);
  EXPECT_EQ(Arrows(t), (Calls{{C::kShowLeft, 3, 100}, {C::kHide, 4, 100},
                              {C::kHide, 3, 590}, {C::kHide, 4, 590},
                              {C::kShowLeft, 3, 1100}, {C::kHide, 4, 1100},
                              {C::kHide, 3, 1590}, {C::kHide, 4, 1590}}));
}

TEST(Blink, EachIndicatorKeyRestartsTheRhythm) {
  Timeline t;
  t.Tap(fn::kLeftIndicator, 0).Tap(fn::kRightIndicator, 300).Tap(fn::kHazards, 1000);
  t.Tap(fn::kHazards, 1200).RunTo(2000);
  EXPECT_EQ(Arrows(t), (Calls{{C::kShowLeft, 3, 0}, {C::kHide, 4, 0},
                              {C::kShowRight, 4, 300}, {C::kHide, 3, 300},
                              {C::kHide, 3, 790}, {C::kHide, 4, 790},
                              {C::kShowLeft, 3, 1000}, {C::kShowRight, 4, 1000},
                              {C::kHide, 3, 1200}, {C::kHide, 4, 1200}}));
  EXPECT_EQ(t.L(2000).blinkCounter, -1);
}

TEST(Blink, RemovedWhenIndicatorsGoOffByTheLightsStopping) {
  Timeline t(WithOptions({opt::kHazardsWithLights}));
  t.Tap(fn::kLights, 0).Tap(fn::kHazards, 200).Tap(fn::kLights, 800).RunTo(800);
  EXPECT_EQ(t.hud.At(800), (Calls{{C::kBar, 0, 800}, {C::kHide, 3, 800}, {C::kHide, 4, 800}}));
}

TEST(Blink, PatternHazardsDoNotStartIt) {
  Timeline t(WithOptions({}, 5));
  t.Tap(fn::kLights, 0).RunTo(3000);
  EXPECT_EQ(t.L(600).indicators, ind::kHazard);
  EXPECT_TRUE(Arrows(t).empty());
}

TEST(Blink, GoesOnWhileInputIsIgnored) {
  Timeline t;
  t.Tap(fn::kLeftIndicator, 0).Ignore(100, 5000).RunTo(1000);
  EXPECT_EQ(t.hud.At(1000), (Calls{{C::kShowLeft, 3, 1000}, {C::kHide, 4, 1000}}));
}

TEST(SirenLabel, SentOnlyInTheTickTheToneChanges) {
  Timeline t;
  t.Tap(fn::kSiren, 0).Hold(fn::kSiren, 1000, 1500).RunTo(2000);
  EXPECT_EQ(t.hud.Of(C::kLabel), (Calls{{C::kLabel, tone::kWail, 50}}))
      << "a bullhorn hold changes no tone";
}

}  // namespace
}  // namespace bnx::engine::test
