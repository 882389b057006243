// ISApp's two threads, the stop request's own way out, where the main thread
// cannot end the program, and the native folder lock. Version handling, start-up requests, pings,
// lost connections, the local connection's renames and the main thread's stops
// are covered end to end.
#include "app/isapp.hpp"
#include "app/retry.hpp"
#include "app/stop_request.hpp"

#include "config/config_file.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "platform/fake/fake_platform.hpp"
#include "platform/native/process.hpp"
#include "support/loopback_lfs.hpp"
#include "support/temp_folder.hpp"
#include "ui/frame.hpp"

namespace bnx {
namespace {

using testing::ByteVec;
constexpr Nanos kMs = 1'000'000;

// Time moves only when the program sleeps, and jumps once when told to; the
// script ends the tick loop by failing a sleep.
struct ScriptedTimer : platform::Timer {
  void BeginPeriod(unsigned) override {}
  Nanos Now() override { return now.load(); }
  void SleepFor(Nanos d) override { now += d; }
  void SleepUntil(Nanos deadline) override {
    if (deadline < now.load()) ++lateSleeps;
    now.store(std::max(now.load(), deadline));
    if (++sleeps == jumpAt) now += jump;
    if (sleeps >= lastSleep) throw std::runtime_error("end of script");
  }
  std::atomic<Nanos> now{1'000'000 * kMs};
  int sleeps = 0, lateSleeps = 0, jumpAt = -1, lastSleep = 1000;
  Nanos jump = 0;
};

// A connected ISApp whose threads the test starts, or plays itself.
class ISAppTest : public ::testing::Test {
 protected:
  void Connect(bool realTime = false) {
    session_.insimPort = lfs_.port();
    app_ = std::make_unique<ISApp>(config_, session_, realTime ? fakes_.platform : platform_, out_, err_);
    ASSERT_EQ(app_->Connect(), insim::ConnectResult::kConnected);
    lfs_.Accept();
    lfs_.ReadPacket(1);  // IS_ISI
  }

  Config config_;
  Session session_;
  platform::fake::FakePlatform fakes_;
  ScriptedTimer timer_;
  platform::Platform platform_ = fakes_.With(timer_);
  std::ostringstream out_, err_;
  testing::LoopbackLfs lfs_;
  std::unique_ptr<ISApp> app_;
};

// Keys drive nothing while a screen is open; the player clearing the buttons
// gives them back, and "Refresh Controllers" finds a pad plugged in after the
// start. Clicks for screens that are not open are run end to end.
TEST_F(ISAppTest, AnOpenScreenHoldsTheEngineUntilThePlayerClearsIt) {
  const platform::Guid pad{7, 0, 0, {}}, product{0x1234, 0, 0, {}};
  config_.bindings = {Binding{"", "", fn::kLights, {}, {}, {0x22}},
                      Binding{input::GuidToText(product), "Pad", fn::kHazards, {3}, {}, {}}};
  Connect();
  const Nanos t = app_->link().lastSendTime();
  auto click = [&](std::uint8_t reqi, std::uint8_t id) { app_->DispatchPacket(ByteVec{8, 46, reqi, 0, id, 0, 0, 0}); };
  click(1, 0);
  EXPECT_EQ(app_->uiScreen(), 2);
  fakes_.game_input.Plug(pad, product, "Pad", 8, 0);
  fakes_.game_input.SetButton(pad, 3, true);
  click(2, 24);
  click(2, 24);
  fakes_.keyboard.Hold(0x22);
  app_->Tick(t);
  EXPECT_EQ(app_->controlWord(), 0u);
  app_->DispatchPacket(ByteVec{8, 42, 0, 2, 0, 0, 0, 0});  // BFN_USER_CLEAR
  EXPECT_EQ(app_->uiScreen(), 0);
  app_->Tick(t + 10 * kMs);
  EXPECT_EQ(app_->controlWord(), (1u << fn::kLights) | (1u << fn::kHazards));
}

TEST_F(ISAppTest, AFailedReadStopsTheTickThreadToo) {
  Connect(true);
  std::thread receive(&ISApp::ReceiveLoop, app_.get());
  std::thread tick(&ISApp::TickLoop, app_.get());
  lfs_.Write({4, 3, 1, 4, 0, 3, 0, 0});  // a Size of 0 after a packet ends the connection
  tick.join();
  receive.join();
  EXPECT_TRUE(app_->ended());
  EXPECT_NE(out_.str().find("InSim protocol error: received a packet of Size 0"), std::string::npos) << out_.str();
}

TEST_F(ISAppTest, AFailedTickClosesInSimAndEndsTheReceiveThreadQuietly) {
  timer_.lastSleep = 5;
  Connect();
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

// How LFS going away reads, whichever way the system reports it.
TEST_F(ISAppTest, ALostConnectionReadsTheSameOnEverySystem) {
  struct Failing : insim::InSimLink::Stream {
    std::size_t ReadSome(std::uint8_t*, std::size_t) override { throw std::system_error(error); }
    void Write(const std::uint8_t*, std::size_t) override {}
    std::error_code error;
  } stream;
  const std::pair<std::error_code, const char*> cases[] = {
      {asio::error::eof, "LFS Connection Closed. Please check LFS for error messages.\n"},
      {asio::error::connection_reset, "Connection forcibly closed by LFS.\n"},
      {asio::error::broken_pipe, "Connection forcibly closed by LFS.\n"}};
  for (const auto& [error, said] : cases) {
    ISApp app(config_, session_, platform_, out_, err_);
    stream.error = error;
    app.link().UseStream(&stream);
    out_.str("");
    app.ReceiveLoop();
    EXPECT_EQ(out_.str() + err_.str(), said);
  }
}

// Ctrl+C with the siren wailing and the lights flashing, as a click and a car
// joining arrive: the siren goes and the player's own beam comes back, then the
// buttons go and TINY_CLOSE, and nothing after them, whatever the click drew
// meanwhile. Under ThreadSanitizer: the join's handler reads the light state
// that the switch-off writes.
TEST_F(ISAppTest, AStopSwitchesOffThenLeavesWhileAClickArrives) {
  config_.bindings = {Binding{"", "", fn::kLights, {}, {}, {0x22}}, Binding{"", "", fn::kSiren, {}, {}, {0x21}},
                      Binding{"", "", fn::kDippedBeam, {}, {}, {0x44}}};
  Connect(true);
  std::thread receive(&ISApp::ReceiveLoop, app_.get());
  std::thread tick(&ISApp::TickLoop, app_.get());
  const auto small = [](const ByteVec& p, std::uint8_t subt, std::uint32_t mask) {
    return p[1] == 4 && p[3] == subt ? (p[4] | p[5] << 8 | p[6] << 16 | std::uint32_t(p[7]) << 24) & mask : ~0u;
  };
  for (const auto& [key, subt, mask, value] : {std::tuple{0x21, 9, 0x300010u, 0x200010u},  // Wail
                                                {0x44, 10, ~0u, 0x80004u}, {0x22, 10, ~0u, 0xc0004u}}) {  // dipped, flashing full beam
    for (bool hold : {true, false}) {  // each seen by a whole tick (three keys read per tick)
      hold ? fakes_.keyboard.Hold(std::uint8_t(key)) : fakes_.keyboard.Release(std::uint8_t(key));
      for (const auto reads = fakes_.keyboard.reads(); fakes_.keyboard.reads() < reads + 6;)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    while (small(lfs_.ReadPacket(1), std::uint8_t(subt), mask) != value) {}
  }
  lfs_.Write({8, 46, 1, 0, 0, 0, 0, 0, 12, 21, 0, 1, 0, 0, 0, 0, 'm', 'e', 0, 0});  // the HUD title; IS_NPL
  app_->Leave();
  std::vector<ByteVec> sent;
  try {
    for (;;) sent.push_back(lfs_.ReadPacket(1));
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code(), asio::error::eof);
  }
  tick.join();
  receive.join();
  std::erase_if(sent, [](const ByteVec& p) { return p[1] != 4 && p[1] != 42 && p[1] != 3; });  // the menu, a message
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(small(sent.end()[-4], 9, 0x300010), 0x10u) << "siren off";
  EXPECT_EQ(small(sent.end()[-3], 10, ~0u), 0x80004u) << "dipped beam back";
  EXPECT_EQ(sent.end()[-2], (ByteVec{8, 42, 0, 0, 0, 0, 239, 0}));
  EXPECT_EQ(sent.end()[-1], (ByteVec{4, 3, 0, 2}));
  EXPECT_EQ(err_.str(), "");
}

// An LFS that never reads while clicks keep coming: the queue fills and the
// connection ends with a line of its own (false), or the player stops it
// (true); memory stays bounded, and neither end waits for LFS.
class StalledLfs : public ISAppTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StalledLfs, EndsTheConnectionInTime) {
  using Clock = std::chrono::steady_clock;
  Connect(true);
  std::thread receive(&ISApp::ReceiveLoop, app_.get());
  std::thread tick(&ISApp::TickLoop, app_.get());
  const auto start = Clock::now();
  lfs_.Write({8, 46, 1, 0, 0, 0, 0, 0});  // the main menu, then Other Options and its Cancel, paced
  ByteVec clicks;
  for (int i = 0; i < 10; ++i) clicks.insert(clicks.end(), {8, 46, 2, 0, 23, 0, 0, 0, 8, 46, 8, 0, 12, 0, 0, 0});
  try {
    while (!app_->ended() && Clock::now() - start < std::chrono::seconds(30)) {
      const std::size_t queued = app_->link().queued();
      EXPECT_LE(queued, insim::kSendQueueLimit);
      if (GetParam() && queued > insim::kSendQueueLimit / 16) break;  // the writer is stuck
      lfs_.Write(clicks);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  } catch (const std::system_error&) {  // the program has closed its end
  }
  const auto ending = Clock::now();
  app_->Leave();  // the player's stop, or a test that failed
  tick.join();
  receive.join();
  EXPECT_LT(Clock::now() - ending, std::chrono::milliseconds(1500));
  std::string said = out_.str();  // a slow machine falls behind the clicks and warns of it
  for (std::size_t at; (at = said.find("WARN: RecvPacket")) != std::string::npos;) said.erase(at, said.find('\n', at) + 1 - at);
  const std::string line = "LFS stopped reading: the connection is ended.\n";
  EXPECT_TRUE(said == line || (GetParam() && said.empty())) << out_.str();  // clicks under way may fill the queue first
  EXPECT_EQ(err_.str(), "");
}

INSTANTIATE_TEST_SUITE_P(ISAppTest, StalledLfs, ::testing::Bool());

// One copy per folder also where the folder cannot be written to, and for a
// copy of another user (CI runs the tests as root).
class FolderLockTest : public test::TempFolder {};

TEST_F(FolderLockTest, HoldsInAReadOnlyFolderAndAgainstAnotherUser) {
  platform::native::FolderFlock mine;
  ASSERT_TRUE(mine.Take());
  AsOrdinaryUser([] {
    std::filesystem::permissions(".", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    platform::native::FolderFlock first, second, outside;
    EXPECT_TRUE(first.Take());
    EXPECT_FALSE(second.Take());
    std::filesystem::current_path("..");
    EXPECT_FALSE(outside.Take());
  });
}

// A Save's file is written whatever becomes of the click's buttons (this
// ISApp never connected: they are never sent), and "/o bnx status" says so on
// the next connection too.
class SaveThenDrop : public test::TempFolder {};

TEST_F(SaveThenDrop, EveryScreensSaveReachesTheDisk) {
  using namespace ui;
  struct Click { std::uint8_t screen, id; };
  // The HUD's title opens the main menu; its entries are the first items.
  const Click hud{engine::hud::kReqI, click::kHudTitle}, siren{screen::kMainMenu, click::kFirstItem},
      lights{screen::kMainMenu, click::kFirstItem + 1}, controls{screen::kMainMenu, click::kFirstItem + 2},
      other{screen::kMainMenu, click::kFirstItem + 3};
  const std::string options = "o:0:0\no:1:0\no:2:0\no:3:0\no:4:0\no:5:0\no:6:0\no:7:0\n";
  const std::pair<std::vector<Click>, std::string> cases[] = {
      {{hud, other, {screen::kMiscOptions, click::kFirstItem + opt::kFastYelp}, {screen::kMiscOptions, click::kSave}},
       "v:1\nm:0\nM:0\nc:0\no:0:0\no:1:1\no:2:0\no:3:0\no:4:0\no:5:0\no:6:0\no:7:0\nk:lights:34\n"},
      {{hud, siren, {screen::kSirenMode, click::kFirstItem + 3}, {screen::kSirenMode, click::kSave}},
       "v:1\nm:3\nM:6\nc:0\n" + options + "k:lights:34\n"},
      {{hud, lights, {screen::kLightsMode, click::kFirstItem + 3}, {screen::kLightsMode, click::kSave}},
       "v:1\nm:0\nM:0\nc:0\nl:3\n" + options + "k:lights:34\n"},
      // The flashing lights' bindings: Clear All, OK.
      {{hud, controls, {screen::kControllerOptions, click::kFirstItem}, {screen::kFunctionBindings, click::kFirstItem},
        {screen::kFunctionBindings, click::kOk}, {screen::kControllerOptions, click::kSave}},
       "v:1\nm:0\nM:0\nc:0\n" + options}};
  for (const auto& [clicks, saved] : cases) {
    Write("Beaconix.cfg", "v:1\nm:0\nc:0\nk:lights:34\n");
    Config config;
    ASSERT_EQ(config::LoadConfig(config, config.fileName, std::cerr), config::LoadResult::kLoaded);
    platform::fake::FakePlatform fake;
    std::ostringstream out, err;
    ISApp app(config, Session{}, fake.platform, out, err);
    for (const Click& c : clicks) app.DispatchPacket(ByteVec{8, 46, c.screen, 0, c.id, 0, 0, 0});
    EXPECT_EQ(app.HandOver().session.file.state, FileState::kSaved);
    EXPECT_EQ(Read("Beaconix.cfg"), saved);
    EXPECT_EQ(err.str(), "");
  }
}

// The outer loop's pace and words, one attempt's end a row, in order: a first
// start with LFS away, a connection, LFS away again, then connections that LFS
// ends before it answers (a wrong admin password, say).
TEST(RetryPolicy, AttemptsFollowAfterTwoToSevenSecondsAndTheTroubleIsSaidOnce) {
  const std::string kRefused = "Connection refused\n", kStill = "Connection refused (will continue trying)\n";
  struct Row { Attempt ended; Nanos waitS; std::string said; bool explained, announces; };
  const Row rows[] = {
      {Attempt::kError, 1, "", false, true},  // the loop's own error counts nothing
      {Attempt::kRefused, 2, kRefused, true, false}, {Attempt::kFailed, 3, "", false, false},
      {Attempt::kRefused, 4, "", false, false}, {Attempt::kRefused, 5, "", false, false},
      {Attempt::kRefused, 6, "", false, false}, {Attempt::kRefused, 7, "", false, false},
      {Attempt::kError, 1, "", false, false}, {Attempt::kRefused, 7, "", false, false},
      {Attempt::kAnswered, 0, "", false, true}, {Attempt::kRefused, 2, kStill, false, false},
      {Attempt::kRefused, 3, "", false, false}, {Attempt::kUnanswered, 0, "", false, true},
      {Attempt::kUnanswered, 2, "", false, true}, {Attempt::kUnanswered, 3, "", false, true},
      {Attempt::kFailed, 2, "", false, false},  // a failure between leaves the unanswered count
      {Attempt::kUnanswered, 4, "", false, true}, {Attempt::kUnanswered, 5, "", false, true},
      {Attempt::kUnanswered, 6, "", false, true}, {Attempt::kUnanswered, 7, "", false, true},
      {Attempt::kUnanswered, 7, "", false, true}, {Attempt::kAnswered, 0, "", false, true},
      {Attempt::kUnanswered, 0, "", false, true}};
  RetryPolicy policy;
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& r = rows[i];
    if (r.ended == Attempt::kAnswered || r.ended == Attempt::kUnanswered) policy.Connected();
    const Retry next = policy.After(r.ended);
    EXPECT_EQ(next.wait, r.waitS * 1000 * kMs) << "row " << i;
    EXPECT_EQ(next.said, r.said) << "row " << i;
    EXPECT_EQ(next.explain, r.explained) << "row " << i;
    EXPECT_EQ(policy.announce(), r.announces) << "row " << i;
  }
  const Retry failed = RetryPolicy().After(Attempt::kFailed);  // reported already: only the help
  EXPECT_TRUE(failed.said.empty() && failed.explain);
}

// Runs the tick loop through a jump of the clock; how many ticks then ran late.
class TickRhythm : public ISAppTest, public ::testing::WithParamInterface<std::pair<Nanos, int>> {};

TEST_P(TickRhythm, LateTicksAreMadeUpButAStallIsNot) {
  timer_.jumpAt = 100;
  timer_.jump = GetParam().first;
  timer_.lastSleep = 300;
  Connect();
  app_->TickLoop();
  EXPECT_EQ(timer_.lateSleeps, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Jumps, TickRhythm, ::testing::Values(std::pair{50 * kMs, 4}, std::pair{10'000 * kMs, 0}));

// In a child process: a stop request, with a leave set that never ends the
// program when `stuck`, and a Save underway for `saveMs` (-1: for ever) into a folder named
// after the test's process; the child must end by itself, with exit code 0.
std::filesystem::path SaveFolder(pid_t test) {
  return std::filesystem::temp_directory_path() / ("bnx-stop-save-" + std::to_string(test));
}

void RequestAndWait(bool stuck, int saveMs = 0) {
  platform::fake::FakePlatform fakes;
  StopRequest stop(fakes.stop_signals, std::cerr);
  if (stuck) stop.SetLeave([] {});
  if (saveMs != 0) {
    const auto file = SaveFolder(getppid()) / "Beaconix.cfg";
    std::filesystem::create_directories(file.parent_path());
    std::thread([file, saveMs] {
      config::detail::SaveConfigThrough(Config{}, file.string(), std::cerr, [saveMs](std::streambuf&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(saveMs < 0 ? 60'000 : saveMs));
        return std::unique_ptr<std::streambuf>();
      });
    }).detach();
  }
  fakes.stop_signals.request();
  std::this_thread::sleep_for(std::chrono::seconds(30));
}

TEST(StopRequestDeathTest, EndsTheProgramAtOnceWhenIdleAndInTimeWhenAStopHangsButLetsASaveFinish) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RequestAndWait(false), ::testing::ExitedWithCode(0), "^Beaconix stopped.\n$");
  // In time: Windows ends a closing console's process about 5 s after the close.
  using Clock = std::chrono::steady_clock;
  auto start = Clock::now();
  EXPECT_EXIT(RequestAndWait(true), ::testing::ExitedWithCode(0), "^Beaconix stopped.\n$");
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(3500));
  // A Save still being written when the stop's own bound is up is waited for; one that never ends is said.
  start = Clock::now();
  EXPECT_EXIT(RequestAndWait(true, 2500), ::testing::ExitedWithCode(0), "^Beaconix stopped.\n$");
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(2500));
  EXPECT_TRUE(std::filesystem::exists(SaveFolder(getpid()) / "Beaconix.cfg"));
  start = Clock::now();
  EXPECT_EXIT(RequestAndWait(true, -1), ::testing::ExitedWithCode(0), "^The last Save was not written.\nBeaconix stopped.\n$");
  EXPECT_GE(Clock::now() - start, std::chrono::seconds(4));
  std::filesystem::remove_all(SaveFolder(getpid()));
}

}  // namespace
}  // namespace bnx
