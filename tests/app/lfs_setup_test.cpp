// The port from autoexec.lfs, the password from cfg.txt, and "/insim 29999" added when no
// port line is there (the config fuzz target checks that autoexec.lfs gains nothing else).
#include "app/lfs_setup.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "support/temp_folder.hpp"

namespace bnx {
namespace {

namespace fs = std::filesystem;

const std::string kAdded = "\n/insim 29999\n";
const std::string kPlease = "*** Please type /insim 29999 into LFS and ***\n  *** restart Beaconix if connection fails. ***\n\n";
const std::string kNotice = "\n    Default InSim port set in autoexec.lfs\n" + kPlease;

class LfsSetup : public test::TempFolder {
 protected:
  // Runs on a fresh Config; returns what was printed.
  std::string Run() {
    out_ = {}, err_ = {}, cfg_ = Config{};
    cfg_.adminPassword = "kept";
    ReadLFSConfig(cfg_, out_, err_);
    return out_.str();
  }

  const fs::path kAutoexec = fs::path("data") / "script" / "autoexec.lfs";
  Config cfg_;
  std::ostringstream out_, err_;
};

TEST_F(LfsSetup, FindsThePortInEveryAcceptedFormAndAddsALineOnlyWhenThereIsNone) {
  auto above = [](char line) { return std::string("InSim port 70000 in autoexec.lfs at line ") + line + " is above 65535 and is ignored.\n"; };
  const std::tuple<std::string, std::uint32_t, std::string> cases[] = {  // line(s), port (0: none), printed
      {"/insim=29999\n", 29999, ""}, {"/insim= 29997\n", 29997, ""}, {"   /insim 30000\n", 30000, ""},
      {"\t/insim=31000 # mine\n", 31000, ""}, {"/insim 400abc\n", 400, ""}, {"/insim=\t500\n", 500, ""},
      {"/insim 123456\n", 12345, ""}, {"/insim  \t 7\n", 7, ""}, {"/insim 65535\n", 65535, ""},
      {"/insim 30001\r\n/insim=30002\r\n", 30002, ""},
      {"/insim 30000\n/insim 70000\n", 30000, above('3')},
      {"/insim 70000", 0, above('2')}, {"/echo " + std::string(5000, 'x') + "\n/insim 30123\n", 30123, ""},
      {std::string(251, ' ') + "/insim 29990\n", 0, kNotice},  // only 255 characters of a line are matched
      {"/insim29999\n", 0, kNotice}, {"/INSIM 29999\n", 0, kNotice}, {"say /insim 29999\n", 0, kNotice},
      {"/insim =29999\n", 0, kNotice}, {"/insim\n", 0, kNotice}, {"/insim=", 0, kNotice}, {"", 0, kNotice},
  };
  for (const auto& [line, port, printed] : cases) {
    SCOPED_TRACE(line);
    const std::string text = "/echo hello\n" + line;
    Write(kAutoexec, text);
    EXPECT_EQ(Run(), printed);
    EXPECT_EQ(cfg_.insimPort, port);
    EXPECT_EQ(Read(kAutoexec), printed == kNotice ? text + kAdded : text);
    EXPECT_EQ(err_.str(), "");
  }
}

// A port line after Ctrl-Z is run end to end.
TEST_F(LfsSetup, ReadsCtrlZAndCrLfLikeAnyOtherByteAndAppendsWithTheFilesOwnLineEnds) {
  const std::pair<std::string, std::string> cases[] = {  // autoexec.lfs, what is added
      {"/echo a\r\n/echo b\r\n", "\r\n/insim 29999\r\n"}, {"/echo a\r\n/echo \x1a\n", "\n/insim 29999\n"},
      {"/echo a\r", "\r\n/insim 29999\r\n"}, {"", "\r\n/insim 29999\r\n"}};
  for (const auto& [text, added] : cases) {
    Write(kAutoexec, text);
    EXPECT_EQ(Run(), kNotice) << text;
    EXPECT_EQ(Read(kAutoexec), text + added);
  }
}

TEST_F(LfsSetup, ReadsTheAdminPasswordAndOutsideTheLfsFolderDoesNothingElse) {
  const std::pair<std::string, std::string> cases[] = {
      {"Game Admin secret\n", "secret"}, {"Game Admin \n", ""}, {"  Game Admin two words  \n", "two words  "},
      {"Game Admin first\nGame Admin second\n", "second"}, {"Game Admin last line without break", "last line without break"},
      {"Game Admin\n", "kept"}, {"Game Password x\n", "kept"}, {std::string(300, ' ') + "\nGame Admin pw\n", "pw"},
      {"Game Admin " + std::string(400, 'p') + "\n", std::string(255 - 11, 'p')},
  };
  EXPECT_EQ(Run(), "");
  EXPECT_TRUE(fs::is_empty("."));
  for (const auto& [text, password] : cases) {
    Write("cfg.txt", text);
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(cfg_.adminPassword, password) << text;
  }
  EXPECT_FALSE(fs::exists("data"));
  EXPECT_EQ(err_.str(), "");
}

TEST_F(LfsSetup, AFailedAppendIsNotReportedAsDone) {
  AsOrdinaryUser([this] {
    Write(kAutoexec, "/echo\n");
    fs::permissions(kAutoexec, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(Run(), kPlease);
    EXPECT_EQ(err_.str(), "\nCould not add /insim 29999 to autoexec.lfs\n");
    EXPECT_EQ(Read(kAutoexec), "/echo\n");
  });
}

}  // namespace
}  // namespace bnx
