#include "platform/win32/window.hpp"

#include <windows.h>

namespace bnx::platform::win32 {

bool WinForegroundWindow::Title(std::span<char> buffer) {
  HWND window = GetForegroundWindow();
  if (window == nullptr || buffer.empty()) return false;
  buffer[0] = 0;
  SetLastError(0);
  const int length = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
  // An empty title is a title; a failed read is none.
  return length > 0 || GetLastError() == 0;
}

}  // namespace bnx::platform::win32
