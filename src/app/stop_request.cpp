#include "app/stop_request.hpp"

#include <chrono>
#include <ostream>

#include "config/safe_write.hpp"

namespace bnx {

namespace {
// However the stop goes, the program is gone by then: Windows ends a closing
// console's process about 5 s after the close.
constexpr auto kStopBound = std::chrono::seconds(2);
// A Save being written is a local file, and what the player asked for: it is
// given until shortly before Windows would end the process.
constexpr auto kSaveBound = std::chrono::seconds(4);
constexpr auto kSavePoll = std::chrono::milliseconds(20);
}  // namespace

StopRequest::StopRequest(platform::StopSignals& signals, std::ostream& out)
    : signals_(signals), out_(out) {
  // Watching first: natively the thread below must inherit the blocked signals.
  signals_.Watch([this] { Request(); });
  thread_ = std::thread(&StopRequest::Run, this);
}

StopRequest::~StopRequest() {
  signals_.Watch({});
  {
    std::lock_guard lock(mutex_);
    phase_ = Phase::kEnding;
  }
  wake_.notify_all();
  thread_.join();
}

void StopRequest::Request() {
  {
    std::lock_guard lock(mutex_);
    requested_ = true;
    if (leave_) leave_();
    if (phase_ == Phase::kConnected) phase_ = Phase::kStopping;
  }
  wake_.notify_all();
}

bool StopRequest::requested() {
  std::lock_guard lock(mutex_);
  return requested_;
}

void StopRequest::SetLeave(std::function<void()> leave) {
  {
    std::lock_guard lock(mutex_);
    leave_ = std::move(leave);
    // Once stopping, the main thread is on its way out whatever it attaches.
    if (phase_ == Phase::kWaiting || phase_ == Phase::kConnected) {
      if (!leave_) {
        phase_ = Phase::kWaiting;
      } else if (requested_) {
        leave_();
        phase_ = Phase::kStopping;
      } else {
        phase_ = Phase::kConnected;
      }
    }
  }
  wake_.notify_all();
}

bool StopRequest::SleepFor(platform::Nanos duration) {
  std::unique_lock lock(mutex_);
  const Phase before = phase_;
  phase_ = Phase::kSleeping;
  wake_.wait_for(lock, std::chrono::nanoseconds(duration), [this] { return requested_; });
  phase_ = requested_ ? Phase::kStopping : before;
  return !requested_;
}

int StopRequest::Stopped() {
  {
    std::lock_guard lock(mutex_);
    SayStopped();
    phase_ = Phase::kEnding;
  }
  wake_.notify_all();
  return 0;
}

void StopRequest::SayStopped() {
  if (said_) return;
  said_ = true;
  out_ << "Beaconix stopped." << std::endl;
}

void StopRequest::Run() {
  std::unique_lock lock(mutex_);
  const auto ending = [this] { return phase_ == Phase::kEnding; };
  wake_.wait(lock, [&] { return requested_ || ending(); });
  const auto requestedAt = std::chrono::steady_clock::now();
  wake_.wait_until(lock, requestedAt + kStopBound,
                   [&] { return ending() || phase_ == Phase::kWaiting; });
  while (!ending() && config::SavesUnderway() > 0 &&
         std::chrono::steady_clock::now() < requestedAt + kSaveBound)
    wake_.wait_for(lock, kSavePoll);
  if (ending()) return;
  if (config::SavesUnderway() > 0) out_ << "The last Save was not written." << std::endl;
  // In a wait that nothing cuts short, or a stop that did not finish in time
  // (a send that LFS never takes): nothing is left to do but to go.
  SayStopped();
  signals_.ExitNow();
}

}  // namespace bnx
