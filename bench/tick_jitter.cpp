// The 10 ms absolute-deadline loop of ISApp::TickLoop on the platform's timer,
// empty tick: each period's deviation from 10 ms (p50, p99, max), each start
// against its deadline (negative: early), the drift. "compare" first runs it on
// the standard library's sleep_until (tick_jitter_steady), in the same process.
// Usage: tick_jitter [seconds, default 30] [compare]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.hpp"
#include "platform/steady_timer.hpp"

namespace {
using bnx::platform::Nanos;
using bnx::platform::ToNanos;
using namespace std::chrono_literals;
constexpr Nanos kPeriod = ToNanos(10ms);

double At(const std::vector<double>& sorted, double q) {
  return sorted[std::min(sorted.size() - 1, std::size_t(q * double(sorted.size())))];
}

void Measure(const char* name, bnx::platform::Timer& timer, std::size_t ticks) {
  std::vector<Nanos> starts, deadlines;
  starts.reserve(ticks), deadlines.reserve(ticks);
  timer.SleepFor(ToNanos(100ms));
  Nanos deadline = timer.Now();
  for (std::size_t i = 0; i < ticks; ++i) {
    deadlines.push_back(deadline);
    starts.push_back(timer.Now());  // Tick(now) would run here
    deadline += kPeriod;
    timer.SleepUntil(deadline);
  }
  std::vector<double> deviation, late;
  std::size_t early = 0, over11 = 0;
  for (std::size_t i = 1; i < ticks; ++i) {
    const double period = double(starts[i] - starts[i - 1]) / 1e6,
                 l = double(starts[i] - deadlines[i]) / 1e6;
    deviation.push_back(std::fabs(period - 10.0));
    late.push_back(l);
    over11 += period > 11.0;
    early += l < 0;
  }
  std::sort(deviation.begin(), deviation.end()), std::sort(late.begin(), late.end());
  const double drift = double(starts.back() - starts.front() - Nanos(ticks - 1) * kPeriod) / 1e6;
  std::printf(
      "RESULT %s periods=%zu period_dev_ms p50=%.3f p99=%.3f max=%.3f late_ms p50=%.3f p99=%.3f "
      "min=%.3f max=%.3f early_starts=%zu periods_over_11ms=%zu drift_ms=%.3f\n",
      name, deviation.size(), At(deviation, 0.5), At(deviation, 0.99), deviation.back(),
      At(late, 0.5), At(late, 0.99), late.front(), late.back(), early, over11, drift);
  std::fflush(stdout);  // Wine's pipe buffers otherwise
}
}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  const std::size_t ticks = std::size_t(std::max(1, seconds)) * 100 + 1;
  auto& timer = bnx::platform::SystemPlatform().timer;
  timer.BeginPeriod(10);
  if (argc > 2 && std::strcmp(argv[2], "compare") == 0) {
    struct : bnx::platform::SteadyTimer {
      void BeginPeriod(unsigned) override {}
    } steady;  // the period stays set
    Measure("tick_jitter_steady", steady, ticks);
  }
  Measure("tick_jitter", timer, ticks);
  return 0;
}
