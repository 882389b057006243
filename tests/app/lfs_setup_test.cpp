#include "app/lfs_setup.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace bnx {
namespace {

namespace fs = std::filesystem;

// Every test runs in a fresh folder of its own and returns to where it was.
class LfsSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("bnx-lfs-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(home_);
    std::error_code ec;
    fs::permissions(autoexec(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  static fs::path autoexec() { return fs::path("data") / "script" / "autoexec.lfs"; }
  static void Write(const fs::path& p, const std::string& text) {
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void Run() {
    out_.str("");
    err_.str("");
    ReadLFSConfig(cfg_, out_, err_);
  }

  Config cfg_;
  std::ostringstream out_, err_;

 private:
  fs::path home_, dir_;
};

const char* const kNotice =
    "\n    Default InSim port set in autoexec.lfs\n"
    "*** Please type /insim 29999 into LFS and ***\n"
    "  *** restart Beaconix if connection fails. ***\n\n";

TEST_F(LfsSetup, FindsThePortInEveryAcceptedForm) {
  struct Case {
    const char* line;
    std::uint32_t port;  // 0: no port line
  } const cases[] = {
      {"/insim=29999", 29999},      {"/insim 29998", 29998},       {"/insim= 29997", 29997},
      {"   /insim 30000", 30000},   {"\t/insim=31000 # mine", 31000}, {"/insim 400abc", 400},
      {"/insim=\t500", 500},        {"/insim 123456", 12345},      {"/insim  \t 7", 7},
      {"/insim29999", 0},           {"/INSIM 29999", 0},           {"say /insim 29999", 0},
      {"/insim =29999", 0},         {"/insim", 0},                 {"/insim=", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    cfg_ = Config{};
    Write(autoexec(), std::string("/echo hello\n") + c.line + "\n");
    Run();
    EXPECT_EQ(cfg_.insimPort, c.port);
    EXPECT_EQ(out_.str(), c.port ? "" : kNotice);
    EXPECT_EQ(err_.str(), "");
  }
}

TEST_F(LfsSetup, TheLastPortLineWinsAndNothingIsAdded) {
  const std::string text = "/insim 30001\r\n/insim=30002\r\n/echo x\r\n";
  Write(autoexec(), text);
  Run();
  EXPECT_EQ(cfg_.insimPort, 30002u);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(Read(autoexec()), text);
}

TEST_F(LfsSetup, APortAboveTheRangeIsReportedAndIgnored) {
  Write(autoexec(), "/insim 70000\n");
  Run();
  EXPECT_EQ(cfg_.insimPort, 0u);
  EXPECT_EQ(out_.str(), "InSim port 70000 in autoexec.lfs at line 1 is above 65535 and is ignored.\n");
  EXPECT_EQ(Read(autoexec()), "/insim 70000\n");  // the user's own line: nothing added

  Write(autoexec(), "/insim 30000\n/insim 65536\n");
  Run();
  EXPECT_EQ(cfg_.insimPort, 30000u);
  Write(autoexec(), "/insim 65535\n");
  Run();
  EXPECT_EQ(cfg_.insimPort, 65535u);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(LfsSetup, ReadsTheAdminPassword) {
  struct Case {
    const char* text;
    const char* password;
  } const cases[] = {
      {"Game Admin secret\n", "secret"},
      {"Game Admin \n", ""},
      {"  Game Admin two words  \n", "two words  "},
      {"Game Admin pw\r\n", "pw"},
      {"Game Admin first\nGame Admin second\n", "second"},
      {"Game Admin last line without break", "last line without break"},
      {"Game Admin\n", "kept"},
      {"Game Password x\n", "kept"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    cfg_.adminPassword = "kept";
    Write("cfg.txt", c.text);
    Run();
    EXPECT_EQ(cfg_.adminPassword, c.password);
  }
  EXPECT_FALSE(fs::exists("data"));
  EXPECT_EQ(out_.str(), "");
}

TEST_F(LfsSetup, AddsTheInsimLineOnceAndKeepsWhatWasThere) {
  Write(autoexec(), "/echo one\n/echo two\n");
  Run();
  EXPECT_EQ(Read(autoexec()), "/echo one\n/echo two\n\n/insim 29999\n");
  EXPECT_EQ(out_.str(), kNotice);
  EXPECT_EQ(cfg_.insimPort, 0u);

  Run();  // the next start finds the line it added
  EXPECT_EQ(cfg_.insimPort, 29999u);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(Read(autoexec()), "/echo one\n/echo two\n\n/insim 29999\n");
}

TEST_F(LfsSetup, TheAddedLineStandsOnItsOwnLine) {
  Write(autoexec(), "/echo no break at the end");
  Run();
  EXPECT_EQ(Read(autoexec()), "/echo no break at the end\n/insim 29999\n");
  Write(autoexec(), "");
  Run();
  EXPECT_EQ(Read(autoexec()), "\n/insim 29999\n");
  Run();
  EXPECT_EQ(cfg_.insimPort, 29999u);
}

TEST_F(LfsSetup, ALongLineDoesNotHideTheLinesAfterIt) {
  const std::string text = "/echo " + std::string(5000, 'x') + "\n/insim 30123\n";
  Write(autoexec(), text);
  Write("cfg.txt", std::string(300, ' ') + "\nGame Admin pw\n");
  Run();
  EXPECT_EQ(cfg_.insimPort, 30123u);
  EXPECT_EQ(cfg_.adminPassword, "pw");
  EXPECT_EQ(Read(autoexec()), text);
}

TEST_F(LfsSetup, OnlyTheFirst255CharactersOfALineAreMatched) {
  Write("cfg.txt", "Game Admin " + std::string(400, 'p') + "\n");
  Write(autoexec(), std::string(251, ' ') + "/insim 29990\n");
  Run();
  EXPECT_EQ(cfg_.adminPassword, std::string(255 - 11, 'p'));
  EXPECT_EQ(cfg_.insimPort, 0u);  // the digits lie beyond the matched part
}

TEST_F(LfsSetup, OutsideTheLfsFolderNothingHappens) {
  cfg_.adminPassword = "a";
  cfg_.insimPort = 5;
  Run();
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(cfg_.adminPassword, "a");
  EXPECT_EQ(cfg_.insimPort, 5u);
  EXPECT_TRUE(fs::is_empty(fs::current_path()));
}

TEST_F(LfsSetup, AFailedAppendIsNotReportedAsDone) {
  Write(autoexec(), "/echo\n");
  fs::permissions(autoexec(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  if (std::ofstream(autoexec(), std::ios::app).is_open()) GTEST_SKIP() << "cannot make a file read-only here";
  Run();
  EXPECT_EQ(err_.str(), "\nCould not add /insim 29999 to autoexec.lfs\n");
  EXPECT_EQ(out_.str(),
            "*** Please type /insim 29999 into LFS and ***\n"
            "  *** restart Beaconix if connection fails. ***\n\n");
  EXPECT_EQ(Read(autoexec()), "/echo\n");
}

}  // namespace
}  // namespace bnx
