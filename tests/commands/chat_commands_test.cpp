#include "commands/chat_commands.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "app/isapp.hpp"
#include "engine/category.hpp"
#include "platform/fake/fake_platform.hpp"
#include "support/recording_sink.hpp"

namespace bnx::commands {
namespace {

// A whole IS_MSO: the text from byte 8, zero-terminated when it fits.
std::vector<std::uint8_t> Mso(const std::string& text, std::uint8_t textStart = 0, std::uint8_t userType = 3) {
  std::vector<std::uint8_t> p(insim::len::kMsoMax, 0);
  p[0] = std::uint8_t(p.size() / 4);
  p[1] = insim::type::kMso;
  p[6] = userType;
  p[7] = textStart;
  for (std::size_t i = 0; i < text.size() && 8 + i < p.size(); ++i) p[8 + i] = std::uint8_t(text[i]);
  return p;
}

struct Log : ChatActions {
  void OpenMainMenuFromChat() override { text += "menu"; }
  void SetLightsMode(std::uint32_t m) override { text += "lights " + std::to_string(m); }
  std::size_t RescanControllers() override { text += "rescan "; return status.controllers.size(); }
  void ClearButtons() override { text += "clear"; }
  Status ReadStatus() override { return status; }
  // What was done, then every message sent, "|" between them.
  std::string Run(const std::vector<std::uint8_t>& mso) {
    text.clear();
    test::RecordingSink sink;
    MessageOut(mso, *this, sink, err);
    for (std::size_t i = 0; i < sink.lines.size(); ++i) text += (i ? "|" : "") + sink.lines[i];
    return text;
  }
  std::string text;
  std::ostringstream err;
  Status status{"2.4", 0, 0, 1, "^1[cop]^7Joe", true, 2, 0, {"Wheel", "Pad"}, FileState::kSkippedLines, 1};
};

const std::string kReply = "msl 1 ^1[RZ]^7 Lights^9: ";
const std::string kRange = kReply + "lightsmode takes one number, 0 to 3 (/o bnx lightsmode 2); the mode stays";

TEST(MessageOut, ParsesActsAndEscapes) {
  struct Case { std::string line; std::uint8_t textStart, userType; std::string did; };
  // Unknown words, other user types, words after clear, no terminator and print's escaping: also end to end.
  const Case cases[] = {
      {"Player : bnx cfg", 9, 3, "menu"}, {"bnx", 0, 3, ""}, {"bnx    ", 0, 3, ""}, {"bnx   cfg", 0, 3, "menu"},
      {"BNX CONFIGURE x", 0, 3, "menu"}, {"bnx\tconfig", 0, 3, "menu"}, {"bnx cfg", 6, 3, ""} /* one character after TextStart */,
      {"bnx lightsmode\t 0 \r", 0, 3, "lights 0"}, {"bnx lightsmode 4", 0, 3, kRange}, {"bnx lightsmode", 0, 3, kRange},
      {"bnx lightsmode a", 0, 3, kRange}, {"bnx lightsmode 02", 0, 3, kRange}, {"bnx lightsmode -1", 0, 3, kRange},
      {"bnx rescan all", 0, 3, "rescan " + kReply + "2 game controllers found"}, {"bnx print  a b ", 0, 3, "msl 1 a[32]b"},
      {"bnx print \xE9\x80\xFF\x01!Az09", 0, 3, "msl 1 [233][128][255][1][33]Az09"}, {"bnx print", 0, 3, "msl 1 "},
      {"bnx printx", 0, 3, kReply + "no command \"printx\"; /o bnx help lists them"}, {"ab bnx cfg", 200, 3, ""},
      {"abcbnx cfg", 3, 3, "menu"}, {"bnx Con.fig", 0, 3, kReply + "no such command; /o bnx help lists them"},
      {"bnx abcdefghijklmnopq", 0, 3, kReply + "no such command; /o bnx help lists them"},
      {"bnx STATUS", 0, 3, "msl 1 ^1[RZ]^7 Lights^9 status: Beaconix v2.4|msl 1 Category: Auto, [COP] in your name: Emergency|"
                           "msl 1 Siren mode: Wail^K\xA1\xEA^LYelp Cycle (1-key, Default); lights mode: 1 Fog lights are lightbar|"
                           "msl 1 Flashing lights: on; siren: Wail|msl 1 Controllers: 2: Wheel, Pad|"
                           "msl 1 Beaconix.cfg: loaded, 1 line skipped (the console says which)"},
  };
  Log log;
  for (const Case& c : cases) EXPECT_EQ(log.Run(Mso(c.line, c.textStart, c.userType)), c.did) << c.line;
  auto cut = Mso("bnx print abcdef");
  cut.resize(20);  // the text ends with the packet
  EXPECT_EQ(log.Run(cut), "msl 1 ab");
  EXPECT_EQ(log.err.str(), "");
}

// What status says for each case, and every text sent to the chat on the player's behalf
// (help, status, the disabled-key hint) fits one IS_MSL, with no control byte in it.
TEST(ChatTexts, StatusCasesAndHintsFitOneMessage) {
  const auto with = [](auto change) { Status s; s.version = "2.4"; change(s); return s; };
  const std::string w(200, 'w');
  const std::tuple<Status, std::size_t, std::string> cases[] = {  // status, line, text
      {with([](Status&) {}), 1, "Category: Auto, decided by your name once you join"},
      {with([](Status& s) { s.nickname = "Joe"; }), 1, "Category: Auto, no tag in your name: Race/Civilian"},
      {with([](Status& s) { s.nickname = "^3[tow]^7[med]"; }), 1, "Category: Auto, [MED] in your name: Emergency"},
      {with([](Status& s) { s.category = 2, s.nickname = "[COP]"; }), 1, "Category: TOW"},
      {with([](Status& s) { s.category = 9, s.sirenMode = 9, s.lightsMode = 9; }), 2, "Siren mode: 9; lights mode: 9"},
      {with([](Status& s) { s.sirenMode = 6; }), 2, "Siren mode: Race/Civilian; lights mode: 0 Classic"},
      {with([](Status& s) { s.siren = 1; }), 3, "Flashing lights: off; siren: Yelp"},
      {with([](Status& s) { s.horn = 5; }), 3, "Flashing lights: off; siren: Piercer"},
      {with([&](Status& s) { s.controllers = {"^Wheel\x01\x7F\xE9" + w, "Pad"}; }), 4,
       "Controllers: 2: ^^Wheel??\xE9" + std::string(97, 'w') + "..."},
      {with([](Status&) {}), 4, "Controllers: 0"},
      {with([](Status& s) { s.controllers = {"", "^"}; }), 4, "Controllers: 2: , ^^"},
      {with([](Status&) {}), 5, "Beaconix.cfg: not found, defaults in use until you Save"},
      {with([](Status& s) { s.file = FileState::kLoaded; }), 5, "Beaconix.cfg: loaded"},
      {with([](Status& s) { s.file = FileState::kSkippedLines, s.skippedLines = 3; }), 5,
       "Beaconix.cfg: loaded, 3 lines skipped (the console says which)"},
      {with([](Status& s) { s.file = FileState::kUnusable; }), 5, "Beaconix.cfg: could not be used, defaults in use (the console says why)"},
      {with([](Status& s) { s.file = FileState::kSaved; }), 5, "Beaconix.cfg: saved in this run"},
  };
  std::vector<std::string> texts = HelpLines();
  for (const auto& [status, line, text] : cases) {
    const std::vector<std::string> lines = StatusLines(status);
    EXPECT_EQ(lines.at(line), text);
    texts.insert(texts.end(), lines.begin(), lines.end());
  }
  const std::tuple<std::uint32_t, std::uint32_t, std::string> hints[] = {  // category, active mode, hint
      {0, 6, "Race/Civilian: no siren or flashing lights (Auto, no [COP]-like tag in name). Tag it, or /o bnx cfg > Siren Mode > Emergency"},
      {0, 5, "TOW: no siren (Auto, [TOW] in your name). For Emergency: a [COP]-like tag, or /o bnx cfg > Siren Mode > Emergency"},
      {3, 6, "Race/Civilian: no siren or flashing lights (your chosen category). Change it: /o bnx cfg > Siren Mode > Emergency"},
      {2, 5, "TOW: no siren (your chosen category). Change it: /o bnx cfg > Siren Mode > Emergency"},
  };
  for (const auto& [category, mode, hint] : hints) {
    Config c;
    c.modeCategory = category, c.activeSirenMode = mode;
    EXPECT_EQ(engine::ModeHintText(c), hint);
    texts.push_back(hint);
  }
  for (const std::string& t : texts) {
    EXPECT_LT(t.size(), 127u) << t;
    EXPECT_TRUE(std::none_of(t.begin(), t.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) << t;
  }
}

TEST(MessageOut, WiredIntoTheConnection) {
  platform::fake::FakePlatform fake;
  std::ostringstream out, err;
  ISApp app(Config{}, Session{}, fake.platform, out, err);  // never connected
  app.DispatchPacket(Mso("bnx lightsmode 3"));
  EXPECT_EQ(app.activeConfig().lightsMode, 3u);
  app.DispatchPacket(Mso("bnx config"));  // the screen opens; its buttons wait in the queue
  EXPECT_EQ(app.uiScreen(), 2);
  app.DispatchPacket(Mso("bnx clear"));  // closes the screen, or keys would drive nothing
  EXPECT_EQ(app.uiScreen(), 0);
  EXPECT_EQ(out.str() + err.str(), "");
}

}  // namespace
}  // namespace bnx::commands
