// Measures how late a 10 ms absolute-deadline loop, as the tick thread runs
// it, wakes up on this system: p50, p99 and max over the given seconds.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/platform.hpp"

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  auto& timer = bnx::platform::SystemPlatform().timer;
  timer.BeginPeriod(10);
  constexpr bnx::platform::Nanos kPeriod = 10'000'000;
  std::vector<double> lateMs;
  lateMs.reserve(std::size_t(seconds) * 100);
  bnx::platform::Nanos deadline = timer.Now();
  for (int i = 0; i < seconds * 100; ++i) {
    deadline += kPeriod;
    timer.SleepUntil(deadline);
    lateMs.push_back(double(timer.Now() - deadline) / 1e6);
  }
  std::sort(lateMs.begin(), lateMs.end());
  auto at = [&](double q) { return lateMs[std::min(lateMs.size() - 1, std::size_t(q * lateMs.size()))]; };
  std::printf("ticks %zu  late p50 %.3f ms  p99 %.3f ms  max %.3f ms\n", lateMs.size(), at(0.5), at(0.99),
              lateMs.back());
  return 0;
}
