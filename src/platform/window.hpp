#pragma once
#include <cstddef>
#include <span>

namespace bnx::platform {

class ForegroundWindow {
 public:
  virtual ~ForegroundWindow() = default;
  // Reads the foreground window's title into `buffer` as GetWindowTextA does
  // (at most size - 1 characters, then a zero byte); false when there is no
  // foreground window or its title cannot be read. The caller's buffer keeps
  // the tick free of allocations.
  virtual bool Title(std::span<char> buffer) = 0;
};

}  // namespace bnx::platform
