#include "insim/link.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

#include "platform/fake/system.hpp"
#include "support/loopback_lfs.hpp"

namespace bnx::insim {
namespace {

using testing::ByteVec;

// A link connected to a loopback socket that plays LFS.
class LinkTest : public ::testing::Test {
 protected:
  void Connect(bool version9 = false) {
    link_.SetPort(lfs_.port());
    link_.SetAdmin(admin_);
    link_.SetIName("Beaconix");
    link_.SetSizeUnit(version9);
    ASSERT_EQ(link_.Connect(), 0) << err_.str();
    lfs_.Accept();
    isi_ = Read(44);
  }
  ByteVec Read(std::size_t n) { return lfs_.Read(n); }
  void Write(const ByteVec& b) { lfs_.Write(b); }
  std::vector<ByteVec> Take(int count) {
    std::vector<ByteVec> got;
    for (int i = 0; i < count && link_.RecvPacket(); ++i) {
      got.emplace_back(link_.Packet().begin(), link_.Packet().end());
    }
    return got;
  }

  std::string admin_;
  std::ostringstream out_, err_;
  platform::fake::FakeTimer timer_;
  InSimLink link_{timer_, out_, err_};
  testing::LoopbackLfs lfs_;
  ByteVec isi_;
};

TEST_F(LinkTest, OpensInSimWithTheIsiLayout) {
  admin_ = "secret";
  Connect();
  ByteVec expected(44, 0);
  expected[0] = 44; expected[1] = 1; expected[2] = 1;
  expected[6] = 4;    // ISF_LOCAL
  expected[8] = 8;    // InSimVer
  expected[9] = '!';  // prefix
  std::memcpy(&expected[12], "secret", 6);
  std::memcpy(&expected[28], "Beaconix", 8);
  EXPECT_EQ(isi_, expected);
}

TEST_F(LinkTest, VersionNineCountsSizeInFourByteUnitsAndDropsAnOverlongAdmin) {
  admin_ = "sixteen-chars-xx";
  Connect(true);
  EXPECT_EQ(isi_[0], 11);
  EXPECT_EQ(isi_[8], 9);
  EXPECT_EQ(ByteVec(isi_.begin() + 12, isi_.begin() + 28), ByteVec(16, 0));
  // Size 2 under version 9 is an 8-byte packet.
  ByteVec two{2, 4, 0, 9, 1, 2, 3, 4, 5, 5};
  two.resize(8 + 20);
  Write(two);
  auto got = Take(2);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].size(), 8u);
  EXPECT_EQ(got[1].size(), 20u);
  EXPECT_EQ(got[1][1], 5);
}

TEST_F(LinkTest, HandsOutPacketsThatArriveTogetherOrInPieces) {
  Connect();
  Write({4, 3, 1, 4, 8, 4, 0, 9, 1, 0, 0, 0});  // TINY_REPLY and SMALL in one write
  auto got = Take(2);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], (ByteVec{4, 3, 1, 4}));
  EXPECT_EQ(got[1], (ByteVec{8, 4, 0, 9, 1, 0, 0, 0}));

  // A packet split across reads is handed out whole, after its second part.
  std::thread later([&] {
    Write({8, 42, 0});
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Write({2, 0, 5, 84, 0});
  });
  auto split = Take(1);
  later.join();
  ASSERT_EQ(split.size(), 1u);
  EXPECT_EQ(split[0], (ByteVec{8, 42, 0, 2, 0, 5, 84, 0}));
}

TEST_F(LinkTest, AnswersKeepAliveAndStillHandsItOut) {
  Connect();
  Write({4, 3, 0, 0});
  auto got = Take(1);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], (ByteVec{4, 3, 0, 0}));
  EXPECT_EQ(Read(4), (ByteVec{4, 3, 0, 0}));
}

TEST_F(LinkTest, WarnsOfAHalfFullBufferOncePerReadNotOncePerPacket) {
  Connect();
  ByteVec burst;
  for (int i = 0; i < 2600; ++i) burst.insert(burst.end(), {4, 3, 1, 4});  // 10400 bytes
  Write(burst);
  EXPECT_EQ(Take(2600).size(), 2600u);
  const std::string printed = out_.str();
  EXPECT_EQ(printed.find("WARN: RecvPacket: buffer over 50% 8196\n"), 0u) << printed;
  EXPECT_EQ(printed.find("WARN", 1), std::string::npos) << printed;
}

TEST_F(LinkTest, ASizeOfZeroIsAProtocolErrorNotAnEndlessLoop) {
  Connect();
  Write({4, 3, 1, 4, 0, 3, 0, 0});
  EXPECT_EQ(Take(1).size(), 1u);
  EXPECT_THROW(link_.RecvPacket(), std::runtime_error);
}

TEST_F(LinkTest, EndOfFileIsReportedAsAsioMisc) {
  Connect();
  lfs_.Close();
  try {
    link_.RecvPacket();
    FAIL() << "expected end of file";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code(), asio::error::eof);
    EXPECT_STREQ(e.code().category().name(), "asio.misc");
  }
}

TEST_F(LinkTest, LocalMessagesAreCutTo127Characters) {
  Connect();
  EXPECT_TRUE(link_.SendLocalMessage(std::string(200, 'a'), 1));
  ByteVec msl = Read(132);
  EXPECT_EQ(msl[0], 132);
  EXPECT_EQ(msl[1], 40);
  EXPECT_EQ(msl[3], 1);
  EXPECT_EQ(std::string(msl.begin() + 4, msl.begin() + 131), std::string(127, 'a'));
  EXPECT_EQ(msl[131], 0);
  EXPECT_FALSE(link_.SendLocalMessage(std::string(127, 'b'), 0));
}

TEST_F(LinkTest, ButtonsAreSizedByTheirText) {
  Connect(true);
  Button b;
  b.clickId = 7; b.style = 32; b.l = 1; b.t = 2; b.w = 3; b.h = 4;
  b.text = "abcd";
  link_.SendButton(b);
  ByteVec got = Read(20);
  EXPECT_EQ(got, (ByteVec{5, 45, 1, 0, 7, 0, 32, 0, 1, 2, 3, 4, 'a', 'b', 'c', 'd', 0, 0, 0, 0}));
  b.text = std::string(300, 'x');  // cut to 239
  link_.SendButton(b);
  got = Read(252);
  EXPECT_EQ(got[0], 63);
  EXPECT_EQ(got[251], 0);
  EXPECT_EQ(got[250], 'x');
}

TEST_F(LinkTest, RefusesToSendAPacketWithoutSizeOrType) {
  Connect();
  const ByteVec empty{0, 3, 0, 0};
  try {
    link_.SendPacket(empty);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "SendPacket Error: size [0] or type [3] is empty");
  }
  // A Size claiming more bytes than were given must not read past them.
  EXPECT_THROW(link_.SendPacket(ByteVec{8, 3, 0, 0}), std::runtime_error);
}

TEST_F(LinkTest, PingsOnlyAfterTenSecondsOfSilenceAndOnlyOnce) {
  Connect();
  const Nanos last = link_.lastSendTime();
  link_.SendPingIfIdle(1, last + 10'000'000'000);
  EXPECT_EQ(link_.pingOutstanding(), 0);
  link_.SendPingIfIdle(1, last + 10'000'000'001);
  EXPECT_EQ(link_.pingOutstanding(), 1);
  EXPECT_EQ(Read(4), (ByteVec{4, 3, 1, 3}));
  link_.SendPingIfIdle(1, last + 30'000'000'000);  // still outstanding: no second ping
  link_.PingAnswered(2);
  EXPECT_EQ(link_.pingOutstanding(), 1);
  link_.PingAnswered(1);
  EXPECT_EQ(link_.pingOutstanding(), 0);
}

TEST(LinkConnect, RefusedWithoutAMessage) {
  std::uint16_t port;
  {
    testing::LoopbackLfs gone;
    port = gone.port();
  }
  std::ostringstream out, err;
  platform::fake::FakeTimer timer;
  InSimLink link(timer, out, err);
  link.SetPort(port);
  EXPECT_EQ(link.Connect(), 2);
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace bnx::insim
