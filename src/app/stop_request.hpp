#pragma once
// The player's request to end the program (Ctrl+C, closing the console, a
// signal) and how it is carried out. While a connection runs, its leave
// switches off what it switched on and leaves LFS, and the main thread then
// ends the program, as it does when the request cuts a sleep between attempts
// short. During a wait that nothing cuts short (the console's, the update
// check's) there is nothing to switch off, and a thread of this object's ends
// the program at once. However the main thread fares, the program is gone
// within a bound.
#include <condition_variable>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <thread>

#include "platform/process.hpp"
#include "platform/system.hpp"

namespace bnx {

class StopRequest {
 public:
  StopRequest(platform::StopSignals& signals, std::ostream& out);
  // Stops the watching and the thread: the program is ending anyway.
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // Flags the request and wakes whatever waits; the platform calls it.
  void Request();
  bool requested();
  // While `leave` is set (empty: none), a request calls it (under this
  // object's lock: it only asks) and the main thread ends the program after.
  void SetLeave(std::function<void()> leave);
  // Sleeps up to `duration`; false when a request cut it short.
  bool SleepFor(platform::Nanos duration);
  // Prints the stop line, once, and gives the exit code.
  int Stopped();

 private:
  // What the main thread is doing, as the stop thread sees it.
  enum class Phase {
    kWaiting,    // a wait nothing cuts short: a request ends the program at once
    kConnected,  // a connection runs: a request asks it to leave
    kSleeping,   // between attempts: a request cuts the sleep short
    kStopping,   // after a request, on its way to Stopped()
    kEnding,     // Stopped() or the destructor: the stop thread has nothing to do
  };
  void Run();
  void SayStopped();  // mutex_ held

  platform::StopSignals& signals_;
  std::ostream& out_;
  std::mutex mutex_;
  std::condition_variable wake_;
  Phase phase_ = Phase::kWaiting;
  bool requested_ = false, said_ = false;
  std::function<void()> leave_;
  std::thread thread_;
};

}  // namespace bnx
