#include "update/update_check.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/startup.hpp"
#include "support/fake_platform.hpp"

namespace bnx::update {
namespace {

namespace fs = std::filesystem;

const std::string kRefused =
    "***  Your version of Beaconix has been blacklisted.  ***\n"
    "***       This version can no-longer be used.        ***\n\n";
std::string Notice(const std::string& version) {
  return "***  There is a new Release version of Beaconix available: " + version + "  ***\n" +
         "     Download the latest version at: " + BuildSite().releasePage + "\n\n";
}
const std::string kOpen = "Press any key to open update page...\n";

// Start-up with the update host giving each answer: what it prints between
// the banner and loading the configuration, what it keeps, whether it stops.
TEST(CheckForUpdates, StartUpTranscriptForEachAnswer) {
  struct Case {
    const char* name;
    std::string answer, printed, newVersion;
    bool stops;
  };
  const Case cases[] = {
      {"newer", "Beaconix-LatestVersion:2.5\n", Notice("2.5"), "2.5", false},
      {"same", "Beaconix-LatestVersion:2.4\n", "", "", false},
      {"older", "x\r\nBeaconix-LatestVersion:2.3\r\nBeaconix-LatestVersion:2.6\r\n", Notice("2.3"), "2.3", false},
      {"refused", "Beaconix-DoNotUseVersion:2.4", kRefused + kOpen, "", true},
      {"refused 2x4", "Beaconix-LatestBetaVersion:3b\nBeaconix-DoNotUseVersion:2x4\n", kRefused + kOpen, "", true},
      {"refused, newer", "Beaconix-DoNotUseVersion:2.4\nBeaconix-LatestVersion:2.5\n",
       kRefused + Notice("2.5") + kOpen, "2.5", true},
      {"not this version", "Beaconix-DoNotUseVersion:2.41\n Beaconix-LatestVersion:2.5\n", "", "", false},
      {"empty", "", "", "", false},
      {"HTML error page",
       "<html><head><title>502 Bad Gateway</title></head>\n<body>" + std::string(100000, 'x') +
           "Beaconix-LatestVersion:9\n</body></html>\n",
       "", "", false},
      {"empty variant tag", "Beaconix-LatestCV::2.9\n", "", "", false},
  };
  const fs::path lfsFolder = fs::temp_directory_path() / "bnx-update-test";
  fs::create_directories(lfsFolder);
  const fs::path before = fs::current_path();
  fs::current_path(lfsFolder);
  for (const Case& c : cases) {
    testing::FakePlatform fake;
    platform::fake::FakeConsole console;
    platform::Platform p = fake.platform;
    platform::Platform withConsole{p.keyboard, p.window, p.game_input, p.timer, console, p.shell, p.https, p.registry};
    fake.registry.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProductName"] = "Windows 10 Pro";
    fake.registry.values["SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\CurrentBuild"] = "19045";
    fake.https.body = c.answer;
    Config config;
    std::ostringstream out, err;
    EXPECT_EQ(StartUp(config, withConsole, out, err), !c.stops) << c.name;

    const std::string text = out.str();
    ASSERT_EQ(text.rfind("Windows 10 Pro 19045 x64\n\n   Beaconix v2.4", 0), 0u) << text;
    const std::size_t from = text.find('\n', text.find("Beaconix v2.4")) + 1;
    const std::size_t to = c.stops ? text.size() : text.find("\nLoading Config");
    EXPECT_EQ(text.substr(from, to - from), c.printed) << c.name;
    EXPECT_EQ(config.newVersion, c.newVersion) << c.name;
    EXPECT_EQ(config.updatePage, c.newVersion.empty() && !c.stops ? "" : BuildSite().releasePage) << c.name;
    EXPECT_EQ(console.anyKeys, c.stops ? 1 : 0) << c.name;
    EXPECT_EQ(fake.shell.opened, c.stops ? std::vector{BuildSite().releasePage} : std::vector<std::string>{})
        << c.name;
    ASSERT_EQ(fake.https.requests.size(), 1u);
    EXPECT_EQ(fake.https.requests[0].host, BuildSite().host);
    EXPECT_EQ(fake.https.requests[0].path, "/version/");
    EXPECT_EQ(fake.https.requests[0].userAgent, "Beaconix/2.4 (19045x64)");
  }
  fs::current_path(before);
  fs::remove_all(lfsFolder);
}

TEST(CheckForUpdates, VariantBuildsNoticeTheirOwnVersion) {
  UpdateSite site = BuildSite();
  site.variantTag = "police";
  struct Case {
    std::string answer, printed;
  };
  const std::string notice = "***  There is a new version of Beaconix available ***\n"
                             "     Download the latest version at: " + site.releasePage + "\n\n";
  for (const Case& c : {Case{"Beaconix-LatestCV:police:2.5\nBeaconix-LatestVersion:2.6", notice},
                        Case{"Beaconix-LatestCV:police:2.4\nBeaconix-LatestVersion:2.6", ""},
                        Case{"Beaconix-LatestCV::2.5", ""}}) {
    Config config;
    std::ostringstream out;
    EXPECT_EQ(ReadUpdateAnswer(c.answer, config, out, site), 0);
    EXPECT_EQ(out.str(), c.printed) << c.answer;
  }
  site.variantTag = "(";  // a tag that is no pattern
  Config config;
  std::ostringstream out;
  EXPECT_EQ(ReadUpdateAnswer("Beaconix-DoNotUseVersion:2.4", config, out, site), 0);
  EXPECT_EQ(out.str().rfind("Error checking for updates:\n", 0), 0u);
  EXPECT_EQ(out.str().substr(out.str().size() - 2), "\n\n");
}

}  // namespace
}  // namespace bnx::update
