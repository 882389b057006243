// Click to screen, and what clicking does to the tick: the real receive and
// tick threads run against a loopback peer that clicks through the screens as
// fast as they answer. A click's time runs from writing its IS_BTC to reading
// the last IS_BTN of the screen it draws (a TINY_NONE sent behind each click
// marks where the answer ends). Tick lateness is how long after its due time
// each tick had finished, state lock waits included; seconds of clicking
// alternate with seconds without, so that both see the same machine load.
//   click_latency [clicking seconds, default 30]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "app/isapp.hpp"
#include "platform/fake/fake_platform.hpp"
#include "support/loopback_lfs.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using bnx::Nanos;

class LatenessTimer : public bnx::platform::Timer {
 public:
  explicit LatenessTimer(bnx::platform::Timer& real) : real_(real) {}
  void BeginPeriod(unsigned ms) override { real_.BeginPeriod(ms); }
  // The tick loop's first reading after a sleep is the tick's start.
  Nanos Now() override {
    const Nanos now = real_.Now();
    if (std::this_thread::get_id() == tickThread_ && awaitingStart_) {
      awaitingStart_ = false;
      start_ = now;
    }
    return now;
  }
  void SleepFor(Nanos d) override { real_.SleepFor(d); }
  // Called right after a tick, with the next one's due time.
  void SleepUntil(Nanos deadline) override {
    const Nanos now = real_.Now();
    {
      std::lock_guard lock(mutex_);
      if (due_ != 0 && phase_ >= 0) {
        samples_[phase_].push_back(double(now - due_) / 1e6);
        spans_[phase_].push_back(double(now - start_) / 1e6);
      }
      due_ = deadline;
    }
    tickThread_ = std::this_thread::get_id();
    real_.SleepUntil(deadline);
    awaitingStart_ = true;
  }
  void Phase(int p) {
    std::lock_guard lock(mutex_);
    phase_ = p;
  }
  std::vector<double> Samples(int p) {
    std::lock_guard lock(mutex_);
    return samples_[p];
  }
  // From the tick's start to its end: its work and its wait for the state lock.
  std::vector<double> Spans(int p) {
    std::lock_guard lock(mutex_);
    return spans_[p];
  }

 private:
  bnx::platform::Timer& real_;
  std::mutex mutex_;
  Nanos due_ = 0, start_ = 0;
  int phase_ = -1;
  std::vector<double> samples_[2], spans_[2];
  std::atomic<std::thread::id> tickThread_{};
  std::atomic<bool> awaitingStart_{false};
};

struct Click {
  std::uint8_t reqi, clickId;
};
// Through every screen and back, never saving; the last one closes the menu.
constexpr Click kCycle[] = {{1, 0},  {2, 23}, {8, 21}, {8, 12}, {2, 20}, {3, 42}, {3, 26},
                            {3, 12}, {2, 21}, {4, 24}, {4, 41}, {4, 12}, {2, 8}};

// One click and its whole answer; the time to its last IS_BTN, or 0 when it drew none.
double Exchange(bnx::testing::LoopbackLfs& lfs, Click c) {
  const auto sent = Clock::now();
  lfs.Write({8, 46, c.reqi, 0, c.clickId, 0, 0, 0});
  lfs.Write({4, 3, 0, 0});  // TINY_NONE, answered in kind after the click
  Clock::time_point lastButton = sent;
  for (;;) {
    const auto p = lfs.ReadPacket(1);
    if (p[1] == 45) lastButton = Clock::now();
    if (p[1] == 3 && p[3] == 0) break;
  }
  return std::chrono::duration<double, std::milli>(lastButton - sent).count();
}

double Pct(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, std::size_t(double(v.size()) * p))];
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  // Nothing here saves, but keep any Beaconix.cfg of the caller out of reach.
  const auto dir = std::filesystem::temp_directory_path() / "bnx-click-latency";
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);

  bnx::platform::fake::FakePlatform fakes;
  LatenessTimer timer(fakes.timer);
  bnx::platform::Platform platform = fakes.With(timer);
  bnx::testing::LoopbackLfs lfs;
  bnx::Session session;
  session.insimPort = lfs.port();
  std::ostringstream out, err;
  bnx::ISApp app(bnx::Config{}, session, platform, out, err);
  if (app.Connect() != bnx::insim::ConnectResult::kConnected) return 1;
  lfs.Accept();
  lfs.ReadPacket(1);
  std::thread receive(&bnx::ISApp::ReceiveLoop, &app);
  std::thread tick(&bnx::ISApp::TickLoop, &app);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  std::vector<double> clickMs;
  std::size_t i = 0;
  for (int second = 0; second < 2 * seconds; ++second) {
    const bool clicking = second % 2 == 1;
    timer.Phase(clicking ? 1 : 0);
    const auto end = Clock::now() + std::chrono::seconds(1);
    if (!clicking) std::this_thread::sleep_until(end);
    for (; clicking && Clock::now() < end; ++i) {
      if (const double ms = Exchange(lfs, kCycle[i % std::size(kCycle)]); ms > 0)
        clickMs.push_back(ms);
    }
    // The cycle ends with the menu closed; an idle second starts with no screen open.
    for (; i % std::size(kCycle) != 0; ++i) Exchange(lfs, kCycle[i % std::size(kCycle)]);
  }
  timer.Phase(-1);

  const std::vector<double> first(clickMs.begin(),
                                  clickMs.begin() + std::min<std::size_t>(1000, clickMs.size()));
  const auto idle = timer.Samples(0), busy = timer.Samples(1);
  std::printf("click to screen over %zu clicks: p50 %.3f ms  p99 %.3f ms  max %.3f ms\n",
              first.size(), Pct(first, 0.5), Pct(first, 0.99), Pct(first, 1));
  std::printf("clicks in %d s: %zu (p50 %.3f ms  p99 %.3f ms)\n", seconds, clickMs.size(),
              Pct(clickMs, 0.5), Pct(clickMs, 0.99));
  std::printf("tick lateness, no clicks: %zu ticks  p50 %.3f ms  p99 %.3f ms  max %.3f ms\n",
              idle.size(), Pct(idle, 0.5), Pct(idle, 0.99), Pct(idle, 1));
  std::printf("tick lateness, clicking:  %zu ticks  p50 %.3f ms  p99 %.3f ms  max %.3f ms\n",
              busy.size(), Pct(busy, 0.5), Pct(busy, 0.99), Pct(busy, 1));
  std::printf("p99 growth %.3f ms (limit 0.5)\n", Pct(busy, 0.99) - Pct(idle, 0.99));
  const auto idleSpan = timer.Spans(0), busySpan = timer.Spans(1);
  std::printf(
      "tick start to end (work + lock wait), no clicks: p50 %.3f ms  p99 %.3f ms  max %.3f ms\n",
      Pct(idleSpan, 0.5), Pct(idleSpan, 0.99), Pct(idleSpan, 1));
  std::printf(
      "tick start to end (work + lock wait), clicking:  p50 %.3f ms  p99 %.3f ms  max %.3f ms\n",
      Pct(busySpan, 0.5), Pct(busySpan, 0.99), Pct(busySpan, 1));
  std::fflush(stdout);
  app.link().Close();
  std::_Exit(0);
}
