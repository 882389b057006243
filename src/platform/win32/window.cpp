#include "platform/win32/window.hpp"

#include <windows.h>

#include <algorithm>
#include <array>

namespace bnx::platform::win32 {

std::optional<std::string> WinForegroundWindow::Title(std::size_t buffer_chars) {
  HWND window = GetForegroundWindow();
  if (window == nullptr || buffer_chars == 0) return std::nullopt;
  // Read on the stack: this runs every tick.
  std::array<char, 256> buffer{};
  const int size = static_cast<int>(std::min(buffer_chars, buffer.size()));
  SetLastError(0);
  const int length = GetWindowTextA(window, buffer.data(), size);
  if (length <= 0) {
    if (GetLastError() != 0) return std::nullopt;
    return std::string();
  }
  return std::string(buffer.data(), static_cast<std::size_t>(std::min(length, size - 1)));
}

}  // namespace bnx::platform::win32
