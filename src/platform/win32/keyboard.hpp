#pragma once
#include "platform/keyboard.hpp"

namespace bnx::platform::win32 {

// GetAsyncKeyState: sees keys pressed while another window has the focus.
class WinKeyboard : public Keyboard {
 public:
  std::uint16_t KeyState(std::uint8_t code) override;
};

}  // namespace bnx::platform::win32
