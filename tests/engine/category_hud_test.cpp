// What the nickname category and the HUD send to LFS.
#include "engine/category.hpp"

#include <gtest/gtest.h>

#include <deque>

#include "engine/hud.hpp"
#include "engine/mode_tables.hpp"
#include "support/recording_sink.hpp"

namespace bnx::engine {
namespace {

TEST(ClassifyNickname, TagsAnywhereInAnyCaseFirstTagWins) {
  const std::pair<std::string, std::uint32_t> cases[] = {
      {"[COP] Smith", 1}, {"^3[HWA]^7 Smith", 1}, {"x[vcu]", 1}, {"[Med]Anna", 1}, {"Bob [rEs]", 1},
      {"[tow] Joe", 2}, {"[TOW][MED]", 1}, {"[MED] and [TOW]", 1}, {"", 3}, {"Joe", 3}, {"COP", 3},
      {"[COP", 3}, {"[TO W]", 3}, {"[C^1OP]", 3}};  // a colour code inside the tag breaks it
  for (const auto& [nick, category] : cases) EXPECT_EQ(ClassifyNickname(nick), category) << nick;
}

class CategoryTest : public ::testing::Test {
 protected:
  Config config;
  std::string nickname;
  std::uint8_t localUcid = kUnknownUcid;
  test::RecordingSink sink;
  int reapplied = 0;
  CategoryContext ctx{config, nickname, localUcid, sink, [this] { ++reapplied; }};
  std::deque<std::string> names_;  // decoded names are views into the packet

  static std::string Announce(std::uint32_t mode) {
    return "msl 0 [RZ]Lights: Active siren mode changed to ^7" + std::string(EntryName(SirenModeTable(), mode));
  }
  void Join(std::string name, std::uint8_t ptype = 0) {
    insim::Npl n;
    n.ptype = ptype;
    n.pname = names_.emplace_back(std::move(name));
    OnNewPlayer(ctx, n);
  }
  void Rename(std::uint8_t ucid, std::string name) {
    insim::Cpr c;
    c.ucid = ucid;
    c.pname = names_.emplace_back(std::move(name));
    OnPlayerRename(ctx, c);
  }
};

TEST_F(CategoryTest, ApplyModeCategoryDerivesTheModeAndAnnouncesChangesOnly) {
  config.sirenBehaviour = 3;
  const std::tuple<std::string, std::uint32_t, std::uint32_t> steps[] = {
      {"", category::kAuto, 6},  // no nickname yet: Race/Civilian
      {"^3[HWA]^7 Smith", category::kAuto, 3}, {"[tow] Joe", category::kAuto, 5},
      {"", category::kEmergency, 3}, {"", category::kEmergency, 3}, {"", category::kRaceCivilian, 6},
      {"", category::kTow, 5}, {"", 4, 5}, {"", 0xFFFFFFFFu, 5}};  // unknown categories change nothing
  for (const auto& [nick, cat, mode] : steps) {
    nickname = nick;
    ApplyModeCategory(ctx, cat);
    EXPECT_EQ(config.activeSirenMode, mode) << nick << " " << cat;
  }
  SetActiveSirenMode(ctx, 9);  // no such row: empty name
  EXPECT_EQ(config.activeSirenMode, 9u);
  EXPECT_EQ(sink.lines, (std::vector<std::string>{Announce(6), Announce(3), Announce(5), Announce(3), Announce(6),
                                                   Announce(5), "msl 0 [RZ]Lights: Active siren mode changed to ^7"}));
  for (std::uint32_t m = 0; m <= 6; ++m) SetActiveSirenMode(ctx, m);
  EXPECT_EQ(sink.cuts, 0);  // every name fits
}

TEST_F(CategoryTest, NewLocalPlayerDerivesOnNewNameAndReappliesEveryTime) {
  config.modeCategory = category::kAuto;
  config.sirenBehaviour = 1;
  Join("[TOW] both", insim::kPTypeAi | insim::kPTypeRemote | 1);  // AI and remote alone: run end to end
  Join("^1[cop]^7Name", 1);  // bit 1 (female) is not a filter
  Join("^1[cop]^7Name");     // re-joining: no message
  EXPECT_EQ(reapplied, 2);
  config.modeCategory = category::kTow;  // the category only re-applies on a new name
  Join("^1[COP]^7Name");  // byte for byte, a new name
  EXPECT_EQ(nickname, "^1[COP]^7Name");
  EXPECT_EQ(sink.lines, (std::vector<std::string>{Announce(1), Announce(5)}));
}

TEST_F(CategoryTest, RenameOfTheLocalConnectionOnly) {
  config.modeCategory = category::kAuto;
  Rename(255, "[MED] ghost");  // local connection not known yet; another connection's: end to end
  localUcid = 3;
  EXPECT_TRUE(sink.lines.empty());
  Rename(3, "[TOW] me");
  Rename(3, "[TOW] me");  // same name: nothing
  EXPECT_EQ(nickname, "[TOW] me");
  EXPECT_EQ(sink.lines, std::vector<std::string>{Announce(5)});
  EXPECT_EQ(reapplied, 0);  // a rename does not touch the lights
}

// What each HUD call puts on the wire; the drawn strip's geometry is checked
// end to end against the simulated host.
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
  EXPECT_TRUE(sink.lines.empty()) << "Show HUD is off";
  config.options[opt::kShowHud] = true;  // read live
  play();
  // Style and geometry 0: the simulator keeps the drawn button and swaps the text.
  EXPECT_EQ(sink.lines, (std::vector<std::string>{
                     "btn 1 0 1 0 0 0 0 0 0 0 ^7*\xB7^0*", "btn 1 0 1 0 0 0 0 0 0 0 ^0*^7\xB7*", "btn 1 0 1 0 0 0 0 0 0 0 ^0*\xB7*",
                     "btn 1 0 2 0 0 0 0 0 0 0 ^7WAIL", "btn 1 0 2 0 0 0 0 0 0 0 ^7YELP", "btn 1 0 2 0 0 0 0 0 0 0 ^7PIER",
                     "btn 1 0 2 0 0 0 0 0 0 0 ^0SIREN", "btn 1 0 2 0 0 0 0 0 0 0 ^0SIREN",
                     "btn 1 0 3 0 0 0 90 197 3 3 ^2^K\xA2\xB8", "btn 1 0 4 0 0 0 107 197 3 3 ^2^K\xA2\xBA", "del 255 3 0"}));
}

}  // namespace
}  // namespace bnx::engine
