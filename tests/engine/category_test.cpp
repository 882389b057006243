#include "engine/category.hpp"

#include <gtest/gtest.h>

#include <deque>

#include "engine/mode_tables.hpp"
#include "support/recording_sink.hpp"

namespace bnx::engine {
namespace {

using test::Message;

TEST(ClassifyNickname, TagsAnywhereInAnyCaseFirstTagWins) {
  struct Case {
    std::string nick;
    std::uint32_t category;
  };
  const Case cases[] = {
      {"[COP] Smith", 1},
      {"^1[cop]^7Name", 1},  // colour codes around the tag
      {"^3[HWA]^7 Smith", 1},
      {"x[vcu]", 1},
      {"[Med]Anna", 1},
      {"Bob [rEs]", 1},
      {"[tow] Joe", 2},
      {"[TOW][MED]", 1},  // Emergency tags are tested first
      {"[MED] and [TOW]", 1},
      {"", 3},
      {"Joe", 3},
      {"COP", 3},
      {"[COP", 3},
      {"[C^1OP]", 3},  // a code inside the tag breaks it
      {"[TO W]", 3},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyNickname(c.nick), c.category) << c.nick;
}

class CategoryTest : public ::testing::Test {
 protected:
  Config config;
  std::string nickname;
  std::uint8_t localUcid = kUnknownUcid;
  test::RecordingSink sink;
  int reapplied = 0;
  CategoryContext ctx{config, nickname, localUcid, sink, [this] { ++reapplied; }};

  static Message Announce(std::uint32_t mode) {
    return {"[RZ]Lights: Active siren mode changed to ^7" +
                std::string(EntryName(SirenModeTable(), mode)),
            0};
  }
  // Decoded names are views into the packet: keep the bytes alive.
  insim::Npl Npl(std::string name, std::uint8_t ptype = 0) {
    insim::Npl n;
    n.ptype = ptype;
    n.pname = names_.emplace_back(std::move(name));
    return n;
  }
  insim::Cpr Cpr(std::uint8_t ucid, std::string name) {
    insim::Cpr c;
    c.ucid = ucid;
    c.pname = names_.emplace_back(std::move(name));
    return c;
  }
  std::deque<std::string> names_;
};

TEST_F(CategoryTest, SetActiveSirenModeAnnouncesChangesOnly) {
  SetActiveSirenMode(ctx, 3);
  EXPECT_EQ(config.activeSirenMode, 3u);
  SetActiveSirenMode(ctx, 3);  // unchanged: silent
  SetActiveSirenMode(ctx, 9);  // no such row: empty name
  EXPECT_EQ(config.activeSirenMode, 9u);
  EXPECT_EQ(sink.messages(),
            (std::vector<Message>{
                {"[RZ]Lights: Active siren mode changed to ^7Wail^K\xA1\xE6^LYelp^K\xA1\xE6"
                 "^LPiercer Cycle (1-key)",
                 0},
                {"[RZ]Lights: Active siren mode changed to ^7", 0}}));
  EXPECT_EQ(sink.size(), 2u);

  for (std::uint32_t m = 0; m <= 6; ++m) SetActiveSirenMode(ctx, m);
  for (const auto& s : sink.sent()) EXPECT_FALSE(s.cut) << s.text;  // every name fits
}

TEST_F(CategoryTest, ApplyModeCategoryDerivesTheMode) {
  config.sirenBehaviour = 3;
  struct Step {
    std::string nick;
    std::uint32_t category, mode;
  };
  const Step steps[] = {
      {"", category::kAuto, 6},  // no nickname yet: Race/Civilian
      {"^3[HWA]^7 Smith", category::kAuto, 3},
      {"[tow] Joe", category::kAuto, 5},
      {"", category::kEmergency, 3},
      {"", category::kRaceCivilian, 6},
      {"", category::kTow, 5},
      {"", 4, 5},  // unknown categories change nothing
      {"", 0xFFFFFFFFu, 5},
  };
  for (const auto& s : steps) {
    nickname = s.nick;
    ApplyModeCategory(ctx, s.category);
    EXPECT_EQ(config.activeSirenMode, s.mode) << s.nick << " " << s.category;
  }
  EXPECT_EQ(sink.messages(), (std::vector<Message>{Announce(6), Announce(3), Announce(5),
                                                   Announce(3), Announce(6), Announce(5)}));
}

TEST_F(CategoryTest, EmergencyWithTheActiveBehaviourIsSilent) {
  config.sirenBehaviour = 0;
  config.activeSirenMode = 0;
  ApplyModeCategory(ctx, category::kEmergency);
  EXPECT_TRUE(sink.empty());
}

TEST_F(CategoryTest, NewLocalPlayerDerivesOnceAndReappliesEveryTime) {
  config.modeCategory = category::kAuto;
  config.sirenBehaviour = 1;
  OnNewPlayer(ctx, Npl("^1[cop]^7Name"));
  EXPECT_EQ(nickname, "^1[cop]^7Name");
  EXPECT_EQ(config.activeSirenMode, 1u);
  EXPECT_EQ(reapplied, 1);
  OnNewPlayer(ctx, Npl("^1[cop]^7Name"));  // re-joining: no message
  EXPECT_EQ(reapplied, 2);
  EXPECT_EQ(sink.messages(), (std::vector<Message>{Announce(1)}));
}

TEST_F(CategoryTest, NicknamesCompareByteForByte) {
  config.modeCategory = category::kRaceCivilian;
  OnNewPlayer(ctx, Npl("Name"));
  EXPECT_EQ(config.activeSirenMode, 6u);
  config.modeCategory = category::kTow;  // the category only re-applies on a change
  OnNewPlayer(ctx, Npl("name"));
  EXPECT_EQ(nickname, "name");
  EXPECT_EQ(config.activeSirenMode, 5u);
}

TEST_F(CategoryTest, AiAndRemotePlayersAreIgnored) {
  config.modeCategory = category::kAuto;
  OnNewPlayer(ctx, Npl("[TOW] bot", insim::kPTypeAi));
  OnNewPlayer(ctx, Npl("[TOW] other", insim::kPTypeRemote));
  OnNewPlayer(ctx, Npl("[TOW] both", insim::kPTypeAi | insim::kPTypeRemote | 1));
  EXPECT_EQ(nickname, "");
  EXPECT_EQ(reapplied, 0);
  EXPECT_TRUE(sink.empty());
  OnNewPlayer(ctx, Npl("[TOW] me", 1));  // bit 1 (female) is not a filter
  EXPECT_EQ(config.activeSirenMode, 5u);
  EXPECT_EQ(reapplied, 1);
}

TEST_F(CategoryTest, RenameOfTheLocalConnectionOnly) {
  config.modeCategory = category::kAuto;
  OnPlayerRename(ctx, Cpr(255, "[MED] ghost"));  // local connection not known yet
  OnPlayerRename(ctx, Cpr(0, "[MED] host"));
  EXPECT_TRUE(sink.empty());
  EXPECT_EQ(nickname, "");

  localUcid = 3;
  OnPlayerRename(ctx, Cpr(4, "[MED] someone"));
  EXPECT_TRUE(sink.empty());
  OnPlayerRename(ctx, Cpr(3, "[TOW] me"));
  EXPECT_EQ(nickname, "[TOW] me");
  EXPECT_EQ(config.activeSirenMode, 5u);
  OnPlayerRename(ctx, Cpr(3, "[TOW] me"));  // same name: nothing
  EXPECT_EQ(sink.messages(), (std::vector<Message>{Announce(5)}));
  EXPECT_EQ(reapplied, 0);  // a rename does not touch the lights
}

}  // namespace
}  // namespace bnx::engine
