#pragma once
#include <cstdint>

namespace bnx::platform {

// Asynchronous key state by virtual-key code, as GetAsyncKeyState reports it:
// bit 0x8000 set while the key or mouse button is down.
class Keyboard {
 public:
  virtual ~Keyboard() = default;
  virtual std::uint16_t KeyState(std::uint8_t code) = 0;
};

}  // namespace bnx::platform
