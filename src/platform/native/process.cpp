#include "platform/native/process.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace bnx::platform::native {

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

FolderFlock::~FolderFlock() {
  if (fd_ >= 0) close(fd_);
}

bool FolderFlock::Take() {
  // The folder itself, opened for reading: whoever may run the program here
  // can open it, also where nothing may be written, and every path to the
  // folder leads to the one lock.
  const int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;  // a folder that cannot be listed cannot be guarded
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
    return true;
  }
  const bool held = errno == EWOULDBLOCK;
  close(fd);
  return !held;
}

}  // namespace bnx::platform::native
