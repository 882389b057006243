#include "engine/hud.hpp"

#include <gtest/gtest.h>

#include "support/recording_sink.hpp"

namespace bnx::engine {
namespace {

// What each HUD call puts on the wire, as a golden list; the drawn strip's
// geometry is checked end to end against the simulated host.
TEST(Hud, CallsSendTextsArrowsAndDeletionsOnlyWhileShown) {
  Config config;
  test::RecordingSink sink;
  Hud hud{sink, config};
  auto play = [&] {
    for (LightBar bar : {LightBar::kLeft, LightBar::kRight, LightBar::kUnlit}) hud.SetLightBar(bar);
    for (std::uint32_t tone : {1u, 2u, 3u, 0u, 4u}) hud.SetSirenLabel(tone);
    hud.ShowLeftArrow();
    hud.ShowRightArrow();
    hud.HideArrow(hud::kLeftArrow);
  };
  play();
  EXPECT_TRUE(sink.empty()) << "Show HUD is off";
  config.options[opt::kShowHud] = true;  // read live
  play();
  std::vector<std::string> got;
  for (const auto& s : sink.sent()) {
    std::string line = s.kind == test::Sent::Kind::kDelete ? "del" : "";
    const auto& b = s.button;
    for (int v : s.kind == test::Sent::Kind::kDelete ? std::vector<int>{s.ucid, s.clickId, s.clickMax}
                                                     : std::vector<int>{b.reqi, b.ucid, b.clickId, b.inst, b.style,
                                                                        b.typeIn, b.l, b.t, b.w, b.h})
      line += (line.empty() ? "" : " ") + std::to_string(v);
    got.push_back(s.kind == test::Sent::Kind::kDelete ? line : line + " " + b.text);
  }
  // Style and geometry 0: the simulator keeps the drawn button and swaps the text.
  EXPECT_EQ(got, (std::vector<std::string>{
                     "1 0 1 0 0 0 0 0 0 0 ^7*\xB7^0*", "1 0 1 0 0 0 0 0 0 0 ^0*^7\xB7*", "1 0 1 0 0 0 0 0 0 0 ^0*\xB7*",
                     "1 0 2 0 0 0 0 0 0 0 ^7WAIL", "1 0 2 0 0 0 0 0 0 0 ^7YELP", "1 0 2 0 0 0 0 0 0 0 ^7PIER",
                     "1 0 2 0 0 0 0 0 0 0 ^0SIREN", "1 0 2 0 0 0 0 0 0 0 ^0SIREN",
                     "1 0 3 0 0 0 90 197 3 3 ^2^K\xA2\xB8", "1 0 4 0 0 0 107 197 3 3 ^2^K\xA2\xBA", "del 255 3 0"}));
}

}  // namespace
}  // namespace bnx::engine
