#include "platform/posix/process.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace bnx::platform::posix {

namespace {

// Never freed: a signal may come while the process is ending.
struct Watching {
  std::mutex mutex;
  std::function<void()> request;
  bool started = false;
};
Watching& State() {
  static Watching* watching = new Watching;
  return *watching;
}

}  // namespace

void SignalStopSignals::Watch(std::function<void()> request) {
  Watching& w = State();
  std::lock_guard lock(w.mutex);
  w.request = std::move(request);
  if (w.started) return;
  w.started = true;
  sigset_t set;
  sigemptyset(&set);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) {
    // One that the program was started with ignored (nohup, a shell's
    // background job) stays ignored.
    struct sigaction current {};
    if (sigaction(s, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&set, s);
  }
  // No handler runs anywhere, so no read, write or sleep is ever interrupted.
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set, &w] {
    for (;;) {
      int signal = 0;
      if (sigwait(&set, &signal) != 0) continue;
      std::lock_guard lock(w.mutex);
      if (w.request) w.request();
    }
  }).detach();
}

void SignalStopSignals::ExitNow() { std::_Exit(0); }

bool LockFileFolderLock::Take() {
  const int fd = open("Beaconix.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  // A folder that cannot be written to cannot be guarded: the copy runs.
  if (fd < 0) return true;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;  // kept open: held as long as the process
  const bool held = errno == EWOULDBLOCK;
  close(fd);
  return !held;
}

}  // namespace bnx::platform::posix
