#include "platform/fake/window.hpp"

#include <algorithm>

namespace bnx::platform::fake {

bool FakeForegroundWindow::Title(std::span<char> buffer) {
  if (!title_ || buffer.empty()) return false;
  // Like GetWindowTextA: the buffer keeps room for the terminating NUL.
  const std::size_t n = std::min(title_->size(), buffer.size() - 1);
  std::copy_n(title_->data(), n, buffer.data());
  buffer[n] = 0;
  return true;
}

}  // namespace bnx::platform::fake
