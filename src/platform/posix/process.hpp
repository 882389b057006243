#pragma once
// What the native program asks of the system itself rather than of the
// in-memory fakes: ending it and running a second copy are what its tests do.
#include <functional>

#include "platform/process.hpp"

namespace bnx::platform::posix {

// SIGINT, SIGTERM and SIGHUP, blocked in every thread and taken by a thread
// of its own (sigwait). Watch must come before the program starts any other
// thread, which then inherits the blocking.
class SignalStopSignals : public StopSignals {
 public:
  void Watch(std::function<void()> request) override;
  [[noreturn]] void ExitNow() override;
};

// An advisory lock (flock) on Beaconix.lock in the current folder; the file
// stays, the lock goes with the process.
class LockFileFolderLock : public FolderLock {
 public:
  bool Take() override;
};

}  // namespace bnx::platform::posix
