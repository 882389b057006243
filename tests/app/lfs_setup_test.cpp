// The port from autoexec.lfs, the password from cfg.txt, and "/insim 29999" added when no
// port line is there (the config fuzz target checks that autoexec.lfs gains nothing else);
// what was found, for the text shown while LFS does not listen (run end to end but for the
// failed append).
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
const std::string kNotice = "\n    Default InSim port set in autoexec.lfs\n\n";

class LfsFiles : public test::TempFolder {
 protected:
  // Runs on a fresh Session; returns what was printed.
  std::string Run() {
    out_ = {}, err_ = {}, session_ = Session{};
    session_.adminPassword = "kept";
    found_ = ReadLFSConfig(session_, out_, err_);
    return out_.str();
  }

  const fs::path kAutoexec = fs::path("data") / "script" / "autoexec.lfs";
  Session session_;
  LfsSetup found_ = LfsSetup::kNoAutoexec;
  std::ostringstream out_, err_;
};

TEST_F(LfsFiles, FindsThePortInEveryAcceptedFormAndAddsALineOnlyWhenThereIsNone) {
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
    EXPECT_EQ(session_.insimPort, port);
    EXPECT_EQ(Read(kAutoexec), printed == kNotice ? text + kAdded : text);
    EXPECT_EQ(found_, printed == kNotice ? LfsSetup::kLineAdded : LfsSetup::kPortLine);
    EXPECT_EQ(err_.str(), "");
  }
}

// A port line after Ctrl-Z is run end to end.
TEST_F(LfsFiles, ReadsCtrlZAndCrLfLikeAnyOtherByteAndAppendsWithTheFilesOwnLineEnds) {
  const std::pair<std::string, std::string> cases[] = {  // autoexec.lfs, what is added
      {"/echo a\r\n/echo b\r\n", "\r\n/insim 29999\r\n"}, {"/echo a\r\n/echo \x1a\n", "\n/insim 29999\n"},
      {"/echo a\r", "\r\n/insim 29999\r\n"}, {"", "\r\n/insim 29999\r\n"}};
  for (const auto& [text, added] : cases) {
    Write(kAutoexec, text);
    EXPECT_EQ(Run(), kNotice) << text;
    EXPECT_EQ(Read(kAutoexec), text + added);
  }
}

// A password IS_ISI cannot carry (16 characters or more) is said, never shown.
TEST_F(LfsFiles, ReadsTheAdminPasswordAndOutsideTheLfsFolderDoesNothingElse) {
  const std::string tooLong = "The admin password in cfg.txt is longer than 15 characters and cannot be\n"
                              "sent by InSim, so LFS will close the connection: choose one of at most 15.\n";
  const std::tuple<std::string, std::string, bool> cases[] = {  // cfg.txt, password, too long
      {"Game Admin secret\n", "secret", false}, {"Game Admin \n", "", false}, {"  Game Admin two words  \n", "two words  ", false},
      {"Game Admin first\nGame Admin second\n", "second", false}, {"Game Admin last line without break", "last line without break", true},
      {"Game Admin\n", "kept", false}, {"Game Password x\n", "kept", false}, {std::string(300, ' ') + "\nGame Admin pw\n", "pw", false},
      {"Game Admin " + std::string(400, 'p') + "\n", std::string(255 - 11, 'p'), true},
      {"Game Admin " + std::string(15, 'x') + "\r\n", std::string(15, 'x'), false},
      {"Game Admin " + std::string(16, 'x') + "\r\n", std::string(16, 'x'), true},
  };
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(found_, LfsSetup::kNoAutoexec);
  EXPECT_TRUE(fs::is_empty("."));
  for (const auto& [text, password, warned] : cases) {
    Write("cfg.txt", text);
    EXPECT_EQ(Run(), warned ? tooLong : "") << text;
    EXPECT_EQ(session_.adminPassword, password) << text;
  }
  EXPECT_FALSE(fs::exists("data"));
  EXPECT_EQ(err_.str(), "");
}

TEST_F(LfsFiles, AFailedAppendIsNotReportedAsDone) {
  AsOrdinaryUser([this] {
    Write(kAutoexec, "/echo\n");
    fs::permissions(kAutoexec, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(err_.str(), "\nCould not add /insim 29999 to autoexec.lfs\n");
    EXPECT_EQ(Read(kAutoexec), "/echo\n");
    EXPECT_EQ(WaitingForLfsText(found_, 29999),
              "LFS is not listening on port 29999. Start LFS, or if it is running, type\n/insim 29999 in LFS (each time: "
              "the line could not be added to\nautoexec.lfs). Beaconix keeps trying and connects by itself as soon as LFS\n"
              "listens. Ctrl+C quits.\n");
  });
}

}  // namespace
}  // namespace bnx
