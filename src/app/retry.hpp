#pragma once
// When the outer loop tries LFS again, and what it says meanwhile.
#include <cstdint>
#include <string_view>

#include "platform/system.hpp"

namespace bnx {

// How one attempt of the outer loop ended.
enum class Attempt : std::uint8_t {
  kAnswered,    // connected, and LFS answered before the connection ended
  kUnanswered,  // connected, and LFS ended it before it answered (a wrong admin password, say)
  kRefused,     // nothing listens on the port
  kFailed,      // any other failure, already reported
  kError,       // an error of the loop itself, already reported
};

struct Retry {
  platform::Nanos wait = 0;  // before the next attempt
  std::string_view said;     // the refusal line, or nothing
  bool explain = false;      // a first start's help on what to do while LFS does not listen
};

class RetryPolicy {
 public:
  // Whether the next attempt begins with "Connecting to LFS on port ...".
  bool announce() const { return attempts_ == 0; }
  // As soon as a connection is made, so that an error while it runs does not lose it.
  void Connected();
  Retry After(Attempt attempt);

 private:
  int attempts_ = 0;    // failed attempts in a row
  int unanswered_ = 0;  // connections in a row that LFS ended before it answered
  bool everConnected_ = false;
};

}  // namespace bnx
