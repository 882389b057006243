#include "app/isapp.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <sstream>

#include "support/fake_platform.hpp"
#include "support/loopback_lfs.hpp"

namespace bnx {
namespace {

using testing::ByteVec;
constexpr Nanos kSecond = 1'000'000'000;
constexpr Nanos kMs = 1'000'000;

// Time moves only when the program sleeps, and jumps once when told to; the
// script ends the tick loop by failing a sleep.
class ScriptedTimer : public platform::Timer {
 public:
  void BeginPeriod(unsigned) override {}
  Nanos Now() override { return now_.load(); }
  void SleepFor(Nanos d) override { now_ += d; }
  void SleepUntil(Nanos deadline) override {
    if (deadline < now_.load()) ++lateSleeps;
    if (deadline > now_.load()) now_.store(deadline);
    if (++sleeps == jumpAt) now_ += jump;
    if (sleeps >= lastSleep) throw std::runtime_error("end of script");
  }
  int sleeps = 0, lateSleeps = 0, jumpAt = -1, lastSleep = 1000;
  Nanos jump = 0;

 private:
  std::atomic<Nanos> now_{1000 * kSecond};
};


// A connected ISApp whose threads are not started: the test plays both.
class ISAppTest : public ::testing::Test {
 protected:
  void Connect(platform::Platform* platform = nullptr) {
    config_.insimPort = lfs_.port();
    app_ = std::make_unique<ISApp>(config_, platform ? *platform : platform_, out_, err_);
    ASSERT_EQ(app_->Connect(), 0);
    lfs_.Accept();
    lfs_.ReadPacket(1);  // IS_ISI
  }
  platform::Platform WithTimer(platform::Timer& timer) {
    return {fakes_.keyboard, fakes_.window, fakes_.gameInput, timer,
            fakes_.console,  fakes_.shell,  fakes_.https,     fakes_.registry};
  }
  void Dispatch(ByteVec packet) { app_->DispatchPacket(packet); }
  static ByteVec Ver(std::uint8_t insimVer, std::uint8_t reqi = 1) {
    ByteVec v(20, 0);
    v[0] = 20; v[1] = 2; v[2] = reqi;
    std::memcpy(&v[4], "0.7F", 4);
    std::memcpy(&v[12], "S3", 2);
    v[18] = insimVer;
    return v;
  }

  Config config_;
  testing::FakePlatform fakes_;
  platform::Platform& platform_ = fakes_.platform;
  platform::fake::FakeKeyboard& keyboard_ = fakes_.keyboard;
  std::ostringstream out_, err_;
  testing::LoopbackLfs lfs_;
  std::unique_ptr<ISApp> app_;
};

TEST_F(ISAppTest, UpgradesToVersionNineWithTinyClose) {
  Connect();
  Dispatch(Ver(9));
  EXPECT_EQ(out_.str(), "LFS Host Version: 0.7F S3, InSim Supported Version: 9. Upgrading to v9\n");
  EXPECT_TRUE(app_->insimV9Mode());
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 0, 2}));
  EXPECT_EQ(app_->link().sizeUnit(), 4);
}

TEST_F(ISAppTest, AcceptsVersionEightAndBeginsWork) {
  Connect();
  Dispatch(Ver(8));
  EXPECT_EQ(out_.str(), "LFS Host Version: 0.7F S3, InSim Version: 8 (Compat v8)\n");
  EXPECT_FALSE(app_->insimV9Mode());
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 1, 7}));
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 1, 13}));
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 1, 14}));
  ByteVec msl = lfs_.ReadPacket(1);
  EXPECT_EQ(msl[1], 40);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&msl[4])),
            "^1[RZ]^7 Lights^9: to configure, type: /o bnx cfg");
}

TEST_F(ISAppTest, AVersionNotAnsweringTheIsiOnlyPrintsTheLine) {
  Connect();
  Dispatch(Ver(10, 0));
  EXPECT_EQ(out_.str(), "LFS Host Version: 0.7F S3, InSim Version: 10 (Compat v9)\n");
  EXPECT_TRUE(lfs_.Idle(std::chrono::milliseconds(50)));
}

TEST_F(ISAppTest, LearnsTheLocalConnectionOnlyFromALocalNcn) {
  Connect();
  ByteVec ncn(56, 0);
  ncn[0] = 56; ncn[1] = 18; ncn[3] = 7; ncn[54] = 4;  // remote
  Dispatch(ncn);
  EXPECT_EQ(app_->localUcid(), 255);
  ncn[54] = 0;
  Dispatch(ncn);
  EXPECT_EQ(app_->localUcid(), 7);
  // A truncated NCN reads as zeros: UCID 0 and local.
  Dispatch({4, 18, 0, 0});
  EXPECT_EQ(app_->localUcid(), 0);
}

TEST_F(ISAppTest, AnUnansweredPingIsReportedAndSentAgainEveryFiveSeconds) {
  Connect();
  const Nanos t0 = app_->link().lastSendTime() + 11 * kSecond;
  app_->Tick(t0);
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 1, 3}));
  app_->Tick(t0 + 5 * kSecond);  // exactly 5 s: not yet
  EXPECT_EQ(out_.str(), "");
  app_->Tick(t0 + 5 * kSecond + 1);
  EXPECT_EQ(out_.str(), "LFS did not respond to Ping request\n");
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 1, 3}));
  app_->Tick(t0 + 10 * kSecond);
  EXPECT_EQ(out_.str(), "LFS did not respond to Ping request\n");
  app_->Tick(t0 + 10 * kSecond + 2);
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 1, 3}));
}

TEST_F(ISAppTest, EachTickReadsTheBoundKeysIntoTheControlWord) {
  config_.bindings = {Binding{"", "", fn::kLights, {}, {}, {0x22}},
                      Binding{"", "", fn::kHazards, {}, {}, {0x41}}};
  Connect();
  const Nanos t = app_->link().lastSendTime();
  keyboard_.Hold(0x22);
  keyboard_.Hold(0x41);
  app_->Tick(t);
  EXPECT_EQ(app_->controlWord(), (1u << fn::kLights) | (1u << fn::kHazards));
  keyboard_.Release(0x22);
  app_->Tick(t + 10'000'000);
  EXPECT_EQ(app_->controlWord(), 1u << fn::kHazards);
}

// Keys drive nothing while a screen is open; the player clearing the buttons
// gives them back. Clicks for screens that are not open leave it alone, and
// "Refresh Controllers" finds a pad plugged in after the start.
TEST_F(ISAppTest, AnOpenScreenHoldsTheEngineUntilThePlayerClearsIt) {
  const platform::Guid pad{7, 0, 0, {}}, product{0x1234, 0, 0, {}};
  config_.bindings = {Binding{"", "", fn::kLights, {}, {}, {0x22}},
                      Binding{input::GuidToText(product), "Pad", fn::kHazards, {3}, {}, {}}};
  Connect();
  const Nanos t = app_->link().lastSendTime();
  auto click = [&](std::uint8_t reqi, std::uint8_t id) { Dispatch({8, 46, reqi, 0, id, 0, 0, 0}); };
  click(2, 20);
  click(1, 0);
  EXPECT_EQ(app_->uiScreen(), 2);
  click(0, 23);
  click(9, 23);
  EXPECT_EQ(app_->uiScreen(), 2);
  fakes_.gameInput.Plug(pad, product, "Pad", 8, 0);
  fakes_.gameInput.SetButton(pad, 3, true);
  click(2, 24);
  click(2, 24);
  keyboard_.Hold(0x22);
  app_->Tick(t);
  EXPECT_EQ(app_->controlWord(), 0u);
  Dispatch({8, 42, 0, 2, 0, 0, 0, 0});  // BFN_USER_CLEAR
  EXPECT_EQ(app_->uiScreen(), 0);
  app_->Tick(t + 10 * kMs);
  EXPECT_EQ(app_->controlWord(), (1u << fn::kLights) | (1u << fn::kHazards));
}

TEST_F(ISAppTest, AFailedReadStopsTheTickThreadToo) {
  Connect();
  std::thread receive(&ISApp::ReceiveLoop, app_.get());
  std::thread tick(&ISApp::TickLoop, app_.get());
  lfs_.Write({4, 3, 0, 0});
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 0, 0}));  // keep-alive answered on the way
  lfs_.Write({0, 3, 0, 0});                              // a Size of 0 ends the connection
  tick.join();
  receive.join();
  EXPECT_TRUE(app_->stopped());
  EXPECT_NE(out_.str().find("InSim protocol error"), std::string::npos) << out_.str();
}

TEST_F(ISAppTest, AFailedTickClosesInSimAndEndsTheReceiveThreadQuietly) {
  ScriptedTimer timer;
  timer.lastSleep = 5;
  platform::Platform withTimer = WithTimer(timer);
  Connect(&withTimer);
  std::thread receive(&ISApp::ReceiveLoop, app_.get());
  lfs_.Write({4, 3, 0, 0});
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 0, 0}));  // the receive thread is reading
  std::thread tick(&ISApp::TickLoop, app_.get());
  EXPECT_EQ(lfs_.ReadPacket(1), (ByteVec{4, 3, 0, 2}));  // TINY_CLOSE, while LFS stays connected
  tick.join();
  receive.join();
  EXPECT_EQ(out_.str(), "TickLoop: Exception: end of script\n");
  EXPECT_EQ(err_.str(), "");
}

// Runs the tick loop through a jump of the clock; how many ticks then ran late.
class TickRhythmTest : public ISAppTest, public ::testing::WithParamInterface<std::pair<Nanos, int>> {};

TEST_P(TickRhythmTest, LateTicksAreMadeUpButAStallIsNot) {
  ScriptedTimer timer;
  timer.jumpAt = 100;
  timer.jump = GetParam().first;
  timer.lastSleep = 300;
  platform::Platform withTimer = WithTimer(timer);
  Connect(&withTimer);
  app_->TickLoop();
  EXPECT_EQ(timer.lateSleeps, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Jumps, TickRhythmTest,
                         ::testing::Values(std::pair{50 * kMs, 4}, std::pair{10 * kSecond, 0}));

TEST_F(ISAppTest, LfsClosingBeforeItsVersionAsksToCheckLfs) {
  Connect();
  std::thread tick(&ISApp::TickLoop, app_.get());
  lfs_.Close();
  app_->ReceiveLoop();
  tick.join();
  EXPECT_EQ(out_.str(), "LFS Connection Closed. Please check LFS for error messages.\n");
}

}  // namespace
}  // namespace bnx
