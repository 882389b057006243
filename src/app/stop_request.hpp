#pragma once
// The player's request to end the program (Ctrl+C, closing the console, a
// signal) and how it is carried out. While an ISApp is connected, it switches
// off what it switched on and leaves LFS, and the main thread then ends the
// program, as it does when the request cuts a sleep between attempts short.
// During a wait that nothing cuts short (the console's, the update check's)
// there is nothing to switch off, and a thread of this object's ends the
// program at once.
#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <thread>

#include "platform/process.hpp"
#include "platform/system.hpp"

namespace bnx {

class ISApp;

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
  // While `app` is set (null: none), a request asks it to leave and the main
  // thread ends the program after it.
  void SetApp(ISApp* app);
  // Sleeps up to `duration`; false when a request cut it short.
  bool SleepFor(platform::Nanos duration);
  // Prints the stop line, once, and gives the exit code.
  int Stopped();

 private:
  void Run();
  void SayStopped();  // mutex_ held

  platform::StopSignals& signals_;
  std::ostream& out_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool requested_ = false, said_ = false, ending_ = false, sleeping_ = false;
  ISApp* app_ = nullptr;
  std::thread thread_;
};

}  // namespace bnx
