#include "platform/win32/system.hpp"

#include <windows.h>
#include <conio.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <chrono>
#include <iostream>
#include <string>

namespace bnx::platform::win32 {

namespace {

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, Windows 10 1803 and later; older
// headers lack it and older systems refuse it.
constexpr DWORD kHighResolutionTimer = 0x00000002;

// One per thread, since a timer wait belongs to the thread that set it.
struct ThreadTimer {
  HANDLE handle = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
  ~ThreadTimer() {
    if (handle) CloseHandle(handle);
  }
};

ThreadTimer& ThisThreadTimer() {
  thread_local ThreadTimer timer;
  return timer;
}

}  // namespace

void WinTimer::BeginPeriod(unsigned ms) { timeBeginPeriod(ms); }

bool WinTimer::HighResolution() { return ThisThreadTimer().handle != nullptr; }

// A wait may end early (Sleep rounds to the system timer, which runs at 10 ms
// here), so the clock decides when the deadline has come, never the wait.
void WinTimer::SleepUntil(Nanos deadline) {
  ThreadTimer& timer = ThisThreadTimer();
  for (Nanos left = deadline - Now(); left > 0; left = deadline - Now()) {
    if (timer.handle) {
      LARGE_INTEGER due;
      due.QuadPart = -((left + 99) / 100);  // relative, in 100 ns units
      if (SetWaitableTimer(timer.handle, &due, 0, nullptr, nullptr, FALSE) &&
          WaitForSingleObject(timer.handle, INFINITE) == WAIT_OBJECT_0)
        continue;
    }
    // Whole milliseconds while one is left, then the rest of each time slice
    // until the deadline: at most about a millisecond of spinning per tick.
    const auto ms = std::chrono::floor<std::chrono::milliseconds>(std::chrono::nanoseconds(left));
    Sleep(static_cast<DWORD>(ms.count()));
  }
}

// _getch reads the console itself and never returns when standard input is a
// pipe, a file or nothing (a launcher, the tests): then one byte of standard
// input is the key, and its end counts as one.
void WinConsole::WaitAnyKey() {
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode))
    _getch();
  else
    std::cin.get();
}

void WinConsole::WaitEnter() {
  std::string line;
  std::getline(std::cin, line);
}

void WinShell::Open(const std::string& address) {
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace bnx::platform::win32
