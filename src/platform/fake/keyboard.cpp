#include "platform/fake/keyboard.hpp"

namespace bnx::platform::fake {

std::uint16_t FakeKeyboard::KeyState(std::uint8_t code) {
  ++reads_;
  return state_[code].load(std::memory_order_relaxed);
}

void FakeKeyboard::Hold(std::uint8_t code) { state_[code] = 0x8000; }
void FakeKeyboard::Release(std::uint8_t code) { state_[code] = 0; }
void FakeKeyboard::ReleaseAll() {
  for (auto& s : state_) s = 0;
}
void FakeKeyboard::SetState(std::uint8_t code, std::uint16_t state) { state_[code] = state; }

}  // namespace bnx::platform::fake
