#include "app/retry.hpp"

#include <algorithm>
#include <chrono>

namespace bnx {

using namespace std::chrono_literals;
using platform::ToNanos;

namespace {
// 2, 3, 4, 5, 6 and 7 s, then 7 s for as long as LFS stays away.
constexpr int kMaxStep = 6;
platform::Nanos Delay(int step) { return (step + 1) * ToNanos(1s); }
}  // namespace

void RetryPolicy::Connected() {
  everConnected_ = true;
  attempts_ = 0;
}

Retry RetryPolicy::After(Attempt attempt) {
  Retry next;
  switch (attempt) {
    case Attempt::kAnswered:
      unanswered_ = 0;
      break;
    case Attempt::kUnanswered:
      // LFS ending every connection before it answers is tried again at once
      // the first time, then at the pace of refused attempts, not many times
      // a second.
      unanswered_ = std::min(unanswered_ + 1, kMaxStep + 1);
      if (unanswered_ > 1) next.wait = Delay(unanswered_ - 1);
      break;
    case Attempt::kRefused:
    case Attempt::kFailed:
      if (attempts_ == 0) {
        if (attempt == Attempt::kRefused) {
          next.said = everConnected_ ? "Connection refused (will continue trying)\n"
                                     : "Connection refused\n";
        }
        // On a first start LFS has often not opened its port yet: say once
        // what to do, and keep trying as after a lost connection.
        next.explain = !everConnected_;
      }
      attempts_ = std::min(attempts_ + 1, kMaxStep);
      next.wait = Delay(attempts_);
      break;
    case Attempt::kError:
      // Whatever failed may fail again at once: do not spin.
      next.wait = ToNanos(1s);
      break;
  }
  return next;
}

}  // namespace bnx
