#pragma once
// What the native program asks of the system itself rather than of the
// in-memory fakes: ending it and running a second copy are what its tests do.
#include <functional>

#include "platform/process.hpp"

namespace bnx::platform::native {

// SIGINT, SIGTERM and SIGHUP, blocked in every thread and taken by a thread
// of its own (sigwait). Watch must come before the program starts any other
// thread, which then inherits the blocking.
class SignalStopSignals : public StopSignals {
 public:
  void Watch(std::function<void()> request) override;
  [[noreturn]] void ExitNow() override;
};

// An advisory lock (flock) on the current folder itself; it goes with the
// process, or with this object.
class FolderFlock : public FolderLock {
 public:
  FolderFlock() = default;
  ~FolderFlock() override;
  FolderFlock(const FolderFlock&) = delete;
  FolderFlock& operator=(const FolderFlock&) = delete;
  bool Take() override;

 private:
  int fd_ = -1;
};

}  // namespace bnx::platform::native
