#include "commands/chat_commands.hpp"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

#include "app/isapp.hpp"
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
  void RescanControllers() override { text += "rescan"; }
  void ClearButtons() override { text += "clear"; }
  std::string Run(const std::vector<std::uint8_t>& mso) {
    text.clear();
    test::RecordingSink sink;
    MessageOut(mso, *this, sink, err);
    for (const auto& line : sink.lines) text += line;
    return text;
  }
  std::string text;
  std::ostringstream err;
};

TEST(MessageOut, ParsesActsAndEscapes) {
  struct Case { std::string line; std::uint8_t textStart, userType; std::string did; };
  // Unknown words, other user types, words after clear, no terminator and print's escaping: also end to end.
  const Case cases[] = {
      {"Player : bnx cfg", 9, 3, "menu"}, {"bnx", 0, 3, ""}, {"bnx    ", 0, 3, ""}, {"bnx   cfg", 0, 3, "menu"},
      {"BNX CONFIGURE x", 0, 3, "menu"}, {"bnx\tconfig", 0, 3, "menu"}, {"bnx cfg", 6, 3, ""} /* one character after TextStart */,
      {"bnx lightsmode\t 0 \r", 0, 3, "lights 0"}, {"bnx lightsmode 4", 0, 3, ""}, {"bnx lightsmode", 0, 3, ""},
      {"bnx lightsmode a", 0, 3, ""}, {"bnx rescan all", 0, 3, "rescan"}, {"bnx print  a b ", 0, 3, "msl 1 a[32]b"},
      {"bnx print \xE9\x80\xFF\x01!Az09", 0, 3, "msl 1 [233][128][255][1][33]Az09"}, {"bnx print", 0, 3, "msl 1 "},
      {"bnx printx", 0, 3, ""}, {"ab bnx cfg", 200, 3, ""}, {"abcbnx cfg", 3, 3, "menu"},
  };
  Log log;
  for (const Case& c : cases) EXPECT_EQ(log.Run(Mso(c.line, c.textStart, c.userType)), c.did) << c.line;
  auto cut = Mso("bnx print abcdef");
  cut.resize(20);  // the text ends with the packet
  EXPECT_EQ(log.Run(cut), "msl 1 ab");
  EXPECT_EQ(log.err.str(), "");
}

TEST(MessageOut, WiredIntoTheConnection) {
  platform::fake::FakePlatform fake;
  std::ostringstream out, err;
  ISApp app(Config{}, fake.platform, out, err);  // never connected
  app.DispatchPacket(Mso("bnx lightsmode 3"));
  EXPECT_EQ(app.activeConfig().lightsMode, 3u);
  app.DispatchPacket(Mso("bnx config"));  // the screen opens, its sends fail
  EXPECT_EQ(app.uiScreen(), 2);
  app.DispatchPacket(Mso("bnx clear"));  // closes the screen, or keys would drive nothing
  EXPECT_EQ(app.uiScreen(), 0);
  EXPECT_TRUE(std::regex_match(err.str(), std::regex(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC ISApp::MessageOut Exception: .+\n){2})")))
      << err.str();
}

}  // namespace
}  // namespace bnx::commands
