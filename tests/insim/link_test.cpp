// The link against a loopback socket that plays LFS: what the end-to-end suite
// cannot see (the password, split and joined reads, the buffer warning, limits).
#include "insim/link.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "platform/fake/system.hpp"
#include "support/loopback_lfs.hpp"

namespace bnx::insim {
namespace {

using testing::ByteVec;

class LinkTest : public ::testing::Test {
 protected:
  void Connect(bool version9, std::string_view admin = "") {
    link_.SetPort(lfs_.port());
    link_.SetAdmin(admin);
    link_.SetSizeUnit(version9);
    ASSERT_EQ(link_.Connect(), 0) << err_.str();
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

TEST_F(LinkTest, SendsThePasswordAndHandsOutPacketsThatArriveTogetherOrInPieces) {
  Connect(false, "secret");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&isi_[12])), "secret");
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
