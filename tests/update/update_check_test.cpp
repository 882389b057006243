#include "update/update_check.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "app/startup.hpp"
#include "platform/fake/fake_platform.hpp"
#include "support/temp_folder.hpp"

namespace bnx::update {
namespace {

const std::string kPage = BuildSite().releasePage;
// This build's version, and ones it is not: the rows hold whatever project() says.
const std::string kV = kProgramVersion, kNewer = kV + ".1", kLonger = kV + "1";
const std::string kRefused = "***  Your version of Beaconix has been blacklisted.  ***\n"
                             "***       This version can no-longer be used.        ***\n\n";
const std::string kOpen = "Press any key to open update page...\n";
const std::string kUnreadable = "Update check: the update host sent an unreadable version.\n";
// The refusal line is a pattern made of the version, so its dots match any character.
std::string AnyDot(std::string version) {
  std::replace(version.begin(), version.end(), '.', 'x');
  return version;
}
std::string Notice(const std::string& version) {
  return "***  There is a new Release version of Beaconix available: " + version + "  ***\n" +
         "     Download the latest version at: " + kPage + "\n\n";
}

// Start-up with the update host giving each answer: what it prints between the
// banner and loading the configuration, what it keeps, whether it stops.
class CheckForUpdates : public test::TempFolder {};

TEST_F(CheckForUpdates, StartUpTranscriptForEachAnswer) {
  struct Case { std::string answer, printed, newVersion; bool stops; };
  const Case cases[] = {
      {"Beaconix-LatestVersion:" + kV + "\n", "", "", false},
      {"x\r\nBeaconix-LatestVersion:2.3\r\nBeaconix-LatestVersion:2.6\r\n", Notice("2.3"), "2.3", false},  // the first counts
      {"Beaconix-DoNotUseVersion:" + kV, kRefused + kOpen, "", true},
      {"Beaconix-LatestBetaVersion:3b\nBeaconix-XDev\nBeaconix-DoNotUseVersion:" + AnyDot(kV) + "\n", kRefused + kOpen, "", true},
      {"Beaconix-DoNotUseVersion:" + kV + "\nBeaconix-LatestVersion:" + kNewer + "\n", kRefused + Notice(kNewer) + kOpen, kNewer, true},
      {"Beaconix-DoNotUseVersion:" + kLonger + "\n Beaconix-LatestVersion:" + kNewer + "\nBeaconix-LatestCV::2.9\n", "", "", false},
      {"", "", "", false},
      // Only a plausible version is taken: at most 24 printable ASCII characters, no space, no "^".
      {"Beaconix-LatestVersion:2.5\x1b[2J\x1b[31mRED\x07\n", kUnreadable, "", false},
      {"Beaconix-LatestVersion:^12.5\n", kUnreadable, "", false}, {"Beaconix-LatestVersion:2.5^L\n", kUnreadable, "", false},
      {"Beaconix-LatestVersion:2.5 beta\n", kUnreadable, "", false}, {"Beaconix-LatestVersion:2.\xe9\n", kUnreadable, "", false},
      {"Beaconix-LatestVersion:" + std::string(25, '7') + "\n", kUnreadable, "", false},
      {"Beaconix-LatestVersion:" + std::string(24, '7') + "\n", Notice(std::string(24, '7')), std::string(24, '7'), false},
      {"Beaconix-LatestVersion:2.5-rc.1+b~!\n", Notice("2.5-rc.1+b~!"), "2.5-rc.1+b~!", false},
      {"Beaconix-LatestVersion:2.5" + std::string(1, '\0') + "junk\r\nBeaconix-DoNotUseVersion:" + kV, kUnreadable + kRefused + kOpen, "", true},
      {"<html><head><title>502 Bad Gateway</title></head>\n<body>" + std::string(100000, 'x') +
           "\nBeaconix-LatestVersion:" + std::string(300, '9') + "\n</body></html>\n", "", "", false},
  };
  for (const Case& c : cases) {
    platform::fake::FakePlatform fake;
    platform::fake::FakeConsole console;
    const platform::Platform& p = fake.platform;
    platform::Platform withConsole{p.keyboard, p.window, p.game_input, p.timer, console,
                                   p.shell, p.https, p.registry, p.stop_signals, p.folder_lock};
    fake.registry.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProductName"] = "Windows 10 Pro\x1b[2J";
    fake.registry.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\CurrentBuild"] = "19045";
    fake.https.body = c.answer;
    Config settings;
    Session session;
    std::ostringstream out, err;
    EXPECT_EQ(StartUp(settings, session, withConsole, out, err).has_value(), !c.stops) << c.answer;
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("Windows 10 Pro?[2J 19045 x64\n\n   Beaconix v" + kV + " ", 0), 0u) << text;
    EXPECT_NE(text.find(" (" + std::string(WebSite()) + ")\n"), text.npos) << "the banner names the site the pages are on";
    const std::size_t from = text.find('\n', text.find("Beaconix v" + kV)) + 1;
    EXPECT_EQ(text.substr(from, c.stops ? text.npos : text.find("\nLoading Config") - from), c.printed) << c.answer;
    EXPECT_EQ(session.update.newVersion + " " + session.update.page, c.newVersion + " " + (c.newVersion.empty() && !c.stops ? "" : kPage));
    EXPECT_EQ(fake.shell.opened.size() + console.anyKeys, c.stops ? 2u : 0u);
    EXPECT_EQ(fake.shell.opened, c.stops ? std::vector{kPage} : std::vector<std::string>{});
    const auto& r = fake.https.requests.at(0);  // one request, to the update host
    EXPECT_EQ(r.host + r.path + " " + r.userAgent, BuildSite().host + "/version/ Beaconix/" + kV + " (19045x64)");
  }
}

}  // namespace
}  // namespace bnx::update
