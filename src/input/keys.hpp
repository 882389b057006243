#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/keyboard.hpp"

namespace bnx::input {

// One bindable Windows virtual-key code (keys and mouse buttons alike).
struct KeyEntry {
  std::uint8_t code;
  std::string_view symbol;   // the VK_ constant without its prefix; KEY_0..KEY_9, KEY_A..KEY_Z
  std::string_view display;  // may be empty: then the symbol is shown
};

// The 158 bindable codes in ascending code order.
std::span<const KeyEntry> KeyTable();

// The row of `code`, or nullptr for any code that is not in the table.
const KeyEntry* FindKey(std::uint32_t code);

// Display name, else symbolic name; empty for a code outside the table.
std::string KeyText(std::uint32_t code);
// KeyText, or "Key 0x" and the code in two or more uppercase hex digits for a
// code outside the table, so that the screens never show a blank input.
std::string KeyLabel(std::uint32_t code);

// Down at the moment of the call (bit 0x8000). Codes above 0xFF are never down.
bool IsKeyDown(platform::Keyboard& keyboard, std::uint32_t code);

// Every table code that is down now, in table order.
std::vector<std::uint32_t> KeysDown(platform::Keyboard& keyboard);

}  // namespace bnx::input
