#pragma once
// Ending the program and the one-copy-per-folder lock, for the tests.
#include <cstdlib>
#include <functional>

#include "platform/process.hpp"

namespace bnx::platform::fake {

// Keeps the request, for a test to make.
class FakeStopSignals : public StopSignals {
 public:
  void Watch(std::function<void()> r) override { request = std::move(r); }
  [[noreturn]] void ExitNow() override { std::_Exit(0); }
  std::function<void()> request;
};

// A folder that another copy holds while `held` is set.
class FakeFolderLock : public FolderLock {
 public:
  bool Take() override { return !held; }
  bool held = false;
};

}  // namespace bnx::platform::fake
