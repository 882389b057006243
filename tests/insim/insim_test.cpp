// Button sizes and the choice of InSim version, as tables; the link against a
// loopback socket that plays LFS: what the end-to-end suite cannot see (split
// and joined reads, the buffer warning, limits). The answers
// of version 8, 9 and 10 hosts are run end to end (tests/e2e/link, startup).
#include "insim/link.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <thread>

#include "insim/version.hpp"
#include "platform/fake/system.hpp"
#include "support/loopback_lfs.hpp"

namespace bnx::insim {
namespace {

TEST(ButtonLength, KeepsATerminatingZeroAndAMultipleOfFourAndCountsATypeInCaption) {
  const std::tuple<std::string, std::uint8_t, std::size_t> cases[] = {
      {"", 0, 16}, {"abc", 0, 16}, {"abcd", 0, 20}, {std::string(235, 'x'), 0, 248}, {std::string(236, 'x'), 0, 252},
      {std::string(239, 'x'), 0, 252}, {std::string("\0Cap\0ab", 7), 5, 20}, {std::string("\0Cap\0ab", 7), 0, 16}};
  for (const auto& [text, typeIn, length] : cases) {
    std::array<std::uint8_t, kBtnTextMax> field{};
    std::memcpy(field.data(), text.data(), text.size());
    EXPECT_EQ(ButtonLength(field, typeIn), length) << text.size() << " " << int(typeIn);
  }
}

// What LFS (or anything on its port) puts in IS_VER reaches the player's
// terminal: control characters show as '?'.
TEST(Version, StepAndConsoleLineForEachAnswer) {
  const std::tuple<int, std::uint8_t, std::uint8_t, VersionStep, std::string> cases[] = {  // unit, InSimVer, ReqI
      {4, 8, 1, VersionStep::kSwitchTo8, "InSim Supported Version: 8. Switching to v8"},
      {1, 9, 0, VersionStep::kNone, "InSim Version: 9"},  // not the answer to the IS_ISI
  };
  const std::tuple<std::string, std::string, std::string> hosts[] = {  // Version, Product, as shown
      {"0.7F", "S3", "0.7F S3"}, {"0.7F\x1B]0;x\x07", std::string("S3\r\n\x7F\x1F ^7\xB0", 10), "0.7F?]0;x? S3???? ^7\xB0"}};
  for (const auto& [unit, insimVer, reqi, expected, line] : cases) {
    for (const auto& [version, product, shown] : hosts) {
      const Ver ver{reqi, version, product, insimVer};
      const VersionStep step = ChooseVersionStep(unit, ver);
      EXPECT_EQ(step, expected) << line;
      const bool switching = step == VersionStep::kUpgradeTo9 || step == VersionStep::kSwitchTo8;
      EXPECT_EQ(switching ? SwitchLine(ver, step) : AcceptedLine(ver), "LFS Host Version: " + shown + ", " + line);
    }
  }
}

using testing::ByteVec;

class LinkTest : public ::testing::Test {
 protected:
  void Connect(bool version9, std::string_view admin = "") {
    link_.SetPort(lfs_.port());
    link_.SetAdmin(admin);
    link_.SetSizeUnit(version9);
    ASSERT_EQ(link_.Connect(), ConnectResult::kConnected) << err_.str();
    lfs_.Accept();
    isi_ = lfs_.Read(44);
  }
  std::vector<ByteVec> Take(int count) {
    std::vector<ByteVec> got;
    for (int i = 0; i < count && link_.RecvPacket(); ++i) got.emplace_back(link_.Packet().begin(), link_.Packet().end());
    return got;
  }
  std::ostringstream out_, err_;
  platform::fake::FakeTimer timer_;
  InSimLink link_{timer_, out_, err_};
  testing::LoopbackLfs lfs_;
  ByteVec isi_;
};

TEST_F(LinkTest, HandsOutPacketsThatArriveTogetherOrInPieces) {  // the password: end to end
  Connect(false);
  lfs_.Write({4, 3, 1, 4, 8, 4, 0, 9, 1, 0, 0, 0});
  EXPECT_EQ(Take(2), (std::vector<ByteVec>{{4, 3, 1, 4}, {8, 4, 0, 9, 1, 0, 0, 0}}));
  std::thread later([&] {
    lfs_.Write({8, 42, 0});
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    lfs_.Write({2, 0, 5, 84, 0});
  });
  auto split = Take(1);
  later.join();
  EXPECT_EQ(split, (std::vector<ByteVec>{{8, 42, 0, 2, 0, 5, 84, 0}}));
}

TEST_F(LinkTest, WarnsOfAHalfFullBufferOncePerReadNotOncePerPacket) {
  Connect(false);
  ByteVec burst;
  for (int i = 0; i < 2600; ++i) burst.insert(burst.end(), {4, 3, 1, 4});  // 10400 bytes
  lfs_.Write(burst);
  EXPECT_EQ(Take(2600).size(), 2600u);
  EXPECT_EQ(out_.str(), "WARN: RecvPacket: buffer over 50% 8196\n");
}

TEST_F(LinkTest, DropsAPasswordThatDoesNotFitCutsTextsAndRefusesPacketsWithoutSizeOrType) {
  Connect(true, "sixteen-chars-xx");
  EXPECT_EQ(ByteVec(isi_.begin() + 12, isi_.begin() + 28), ByteVec(16, 0));
  EXPECT_TRUE(link_.SendLocalMessage(std::string(200, 'a'), 1));
  ByteVec msl = lfs_.Read(132);
  EXPECT_EQ((ByteVec{msl[0], msl[1], msl[3], msl[130], msl[131]}), (ByteVec{33, 40, 1, 'a', 0}));
  EXPECT_FALSE(link_.SendLocalMessage(std::string(127, 'b'), 0));
  lfs_.Read(132);
  Button b;
  b.clickId = 7;
  b.text = std::string(300, 'x');
  link_.SendButton(b);
  ByteVec btn = lfs_.Read(252);
  EXPECT_EQ((ByteVec{btn[0], btn[1], btn[4], btn[250], btn[251]}), (ByteVec{63, 45, 7, 'x', 0}));
  EXPECT_THROW(link_.SendPacket(ByteVec{0, 3, 0, 0}), std::runtime_error);
  EXPECT_THROW(link_.SendPacket(ByteVec{2, 3, 0, 0}), std::runtime_error);  // Size beyond the bytes given
}

}  // namespace
}  // namespace bnx::insim
