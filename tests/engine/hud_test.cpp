#include "engine/hud.hpp"

#include <gtest/gtest.h>

#include "support/recording_sink.hpp"

namespace bnx::engine {
namespace {

using test::Delete;
using test::Fields;

insim::Button Btn(std::uint8_t id, std::uint8_t style, std::uint8_t l, std::uint8_t t,
                  std::uint8_t w, std::uint8_t h, std::string text) {
  insim::Button b;
  b.reqi = 1;  // every HUD button: ReqI 1, UCID 0, Inst 0, TypeIn 0
  b.ucid = b.inst = b.typeIn = 0;
  b.clickId = id;
  b.style = style;
  b.l = l;
  b.t = t;
  b.w = w;
  b.h = h;
  b.text = std::move(text);
  return b;
}

class HudTest : public ::testing::Test {
 protected:
  HudTest() { config.options[opt::kShowHud] = true; }
  Config config;
  test::RecordingSink sink;
  Hud hud{sink, config};

  void ExpectButtons(const std::vector<insim::Button>& want) {
    const auto got = sink.buttons();
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(Fields(got[i]), Fields(want[i])) << i;
  }
};

TEST_F(HudTest, DrawHudSendsTitleBarAndLabelInOrder) {
  hud.DrawHud();
  ExpectButtons({
      Btn(0, 40, 92, 197, 8, 3, "^1[RZ] ^7Lights"),
      Btn(1, 32, 100, 197, 3, 3, "^0*\xB7*"),
      Btn(2, 32, 103, 197, 5, 3, "^0SIREN"),
  });
  EXPECT_EQ(sink.size(), 3u);
}

// Style and geometry 0: the simulator keeps the drawn button and swaps the text.
TEST_F(HudTest, LightBarAndSirenLabelChangeOnlyTheText) {
  hud.SetLightBar(LightBar::kLeft);
  hud.SetLightBar(LightBar::kRight);
  hud.SetLightBar(LightBar::kUnlit);
  for (std::uint32_t tone : {1u, 2u, 3u, 0u, 4u, 0xFFFFFFFFu}) hud.SetSirenLabel(tone);
  EXPECT_EQ(LightBarText(LightBar::kUnlit).size(), 5u);
  EXPECT_EQ(LightBarText(LightBar::kLeft).size(), 7u);
  ExpectButtons({
      Btn(1, 0, 0, 0, 0, 0, "^7*\xB7^0*"),
      Btn(1, 0, 0, 0, 0, 0, "^0*^7\xB7*"),
      Btn(1, 0, 0, 0, 0, 0, "^0*\xB7*"),
      Btn(2, 0, 0, 0, 0, 0, "^7WAIL"),
      Btn(2, 0, 0, 0, 0, 0, "^7YELP"),
      Btn(2, 0, 0, 0, 0, 0, "^7PIER"),
      Btn(2, 0, 0, 0, 0, 0, "^0SIREN"),
      Btn(2, 0, 0, 0, 0, 0, "^0SIREN"),
      Btn(2, 0, 0, 0, 0, 0, "^0SIREN"),
  });
}

TEST_F(HudTest, ArrowsAreSentInFullAndDeletedSingly) {
  hud.ShowLeftArrow();
  hud.ShowRightArrow();
  hud.HideArrow(hud::kLeftArrow);
  hud.HideArrow(hud::kRightArrow);
  ExpectButtons({
      Btn(3, 0, 90, 197, 3, 3, "^2^K\xA2\xB8"),
      Btn(4, 0, 107, 197, 3, 3, "^2^K\xA2\xBA"),
  });
  EXPECT_EQ(sink.deletes(), (std::vector<Delete>{{255, 3, 0}, {255, 4, 0}}));
  ASSERT_EQ(sink.size(), 4u);
  EXPECT_EQ(sink.sent()[2].kind, test::Sent::Kind::kDelete);  // in call order
}

TEST_F(HudTest, NothingWhileTheHudIsOff) {
  config.options[opt::kShowHud] = false;
  hud.SetLightBar(LightBar::kLeft);
  hud.SetSirenLabel(1);
  hud.ShowLeftArrow();
  hud.ShowRightArrow();
  hud.HideArrow(3);
  hud.HideArrow(4);
  EXPECT_TRUE(sink.empty());
  hud.DrawHud();  // its callers test the option
  EXPECT_EQ(sink.buttons().size(), 3u);
  sink.clear();

  config.options[opt::kShowHud] = true;  // read live, no re-creation needed
  hud.SetSirenLabel(2);
  EXPECT_TRUE(sink.touched(hud::kSirenLabel, hud::kSirenLabel));
  EXPECT_EQ(sink.size(), 1u);
}

// The HUD checks above rely on the recorder's range test.
TEST(RecordingSink, TouchedSeesButtonsSingleAndRangeDeletions) {
  test::RecordingSink s;
  s.SendDeleteButtons(255, 5, 84);
  EXPECT_FALSE(s.touched(0, 4));
  EXPECT_TRUE(s.touched(84, 90));
  s.clear();
  s.SendDeleteButtons(255, 4, 0);
  EXPECT_TRUE(s.touched(0, 4));
  EXPECT_FALSE(s.touched(5, 9));
  s.clear();
  s.SendDeleteButtons(0, 0, 200);
  EXPECT_TRUE(s.touched(3, 3));
  s.clear();
  s.SendButton(Btn(7, 0, 0, 0, 0, 0, std::string(300, 'x')));
  EXPECT_FALSE(s.touched(0, 4));
  EXPECT_EQ(s.lastButton(7)->text.size(), insim::kBtnTextCopy);
  EXPECT_FALSE(s.lastButton(4).has_value());
}

}  // namespace
}  // namespace bnx::engine
