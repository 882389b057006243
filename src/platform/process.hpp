#pragma once
#include <functional>

namespace bnx::platform {

// The player asking the program to end: Ctrl+C, Ctrl+Break, closing the
// console, log-off and shut-down on Windows; SIGINT, SIGTERM and SIGHUP natively.
class StopSignals {
 public:
  virtual ~StopSignals() = default;
  // From now on each request calls `request` on an ordinary thread, never
  // inside a signal handler; `request` must return at once. An empty function
  // stops the watching.
  virtual void Watch(std::function<void()> request) = 0;
  // Ends the process at once with exit code 0, waiting for nothing: not for a
  // thread stuck in a console read, nor for the runtime's own clean-up.
  [[noreturn]] virtual void ExitNow() = 0;
};

// One running copy of the program per folder.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
  // Takes the current folder for the rest of this process; false when another
  // running copy holds it. The system lets go when the process ends, however
  // it ends.
  virtual bool Take() = 0;
};

}  // namespace bnx::platform
