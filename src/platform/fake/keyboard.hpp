#pragma once
#include <array>
#include <atomic>
#include <cstdint>

#include "platform/keyboard.hpp"

namespace bnx::platform::fake {

// Keys held and released by the test, from any thread (as a real keyboard
// changes under the tick thread); a held key reports 0x8000.
class FakeKeyboard : public Keyboard {
 public:
  std::uint16_t KeyState(std::uint8_t code) override;

  void Hold(std::uint8_t code);
  void Release(std::uint8_t code);
  void ReleaseAll();
  // Any raw state, for tests of the bits other than 0x8000.
  void SetState(std::uint8_t code, std::uint16_t state);
  // How many times KeyState was asked, over all codes.
  std::uint64_t reads() const { return reads_.load(); }

 private:
  std::array<std::atomic<std::uint16_t>, 256> state_{};
  std::atomic<std::uint64_t> reads_{0};
};

}  // namespace bnx::platform::fake
