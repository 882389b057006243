#pragma once
#include <functional>

#include "platform/process.hpp"

namespace bnx::platform::win32 {

// A console control handler (SetConsoleCtrlHandler): Ctrl+C, Ctrl+Break,
// closing the console, log-off and shut-down.
class WinStopSignals : public StopSignals {
 public:
  void Watch(std::function<void()> request) override;
  [[noreturn]] void ExitNow() override;
};

// A named mutex keyed by the current folder itself, whatever path leads to it.
class WinFolderLock : public FolderLock {
 public:
  bool Take() override;
};

}  // namespace bnx::platform::win32
