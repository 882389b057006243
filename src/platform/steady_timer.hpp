#pragma once
#include <chrono>
#include <thread>

#include "platform/system.hpp"

namespace bnx::platform {

// The standard library's steady clock and sleeps; the timer resolution is the
// only part that differs between systems.
class SteadyTimer : public Timer {
 public:
  Nanos Now() override {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  void SleepFor(Nanos d) override { std::this_thread::sleep_for(std::chrono::nanoseconds(d)); }
  void SleepUntil(Nanos deadline) override {
    std::this_thread::sleep_until(
        std::chrono::steady_clock::time_point(std::chrono::nanoseconds(deadline)));
  }
};

}  // namespace bnx::platform
