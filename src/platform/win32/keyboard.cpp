#include "platform/win32/keyboard.hpp"

#include <windows.h>

namespace bnx::platform::win32 {

std::uint16_t WinKeyboard::KeyState(std::uint8_t code) {
  return static_cast<std::uint16_t>(GetAsyncKeyState(code));
}

}  // namespace bnx::platform::win32
