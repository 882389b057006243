#include "platform/fake/window.hpp"

namespace bnx::platform::fake {

std::optional<std::string> FakeForegroundWindow::Title(std::size_t buffer_chars) {
  if (!title_ || buffer_chars == 0) return std::nullopt;
  // Like GetWindowTextA: the buffer keeps room for the terminating NUL.
  return title_->substr(0, buffer_chars - 1);
}

}  // namespace bnx::platform::fake
