#include "input/keys.hpp"

#include <algorithm>
#include <array>
#include <cstdio>

namespace bnx::input {
namespace {

constexpr std::array<KeyEntry, 158> kKeys{{
    {0x01, "LBUTTON", "L-Mouse"},
    {0x02, "RBUTTON", "R-Mouse"},
    {0x03, "CANCEL", ""},
    {0x04, "MBUTTON", "Mouse 3/Middle Mouse"},
    {0x05, "XBUTTON1", "Mouse 4/X1"},
    {0x06, "XBUTTON2", "Mouse 5/X2"},
    {0x08, "BACK", ""},
    {0x09, "TAB", ""},
    {0x0C, "CLEAR", ""},
    {0x0D, "RETURN", ""},
    {0x13, "PAUSE", ""},
    {0x14, "CAPITAL", ""},
    {0x1B, "ESCAPE", "Esc"},
    {0x1E, "ACCEPT", ""},
    {0x20, "SPACE", ""},
    {0x21, "PRIOR", "PgUp"},
    {0x22, "NEXT", "PgDn"},
    {0x23, "END", ""},
    {0x24, "HOME", ""},
    {0x25, "LEFT", ""},
    {0x26, "UP", ""},
    {0x27, "RIGHT", ""},
    {0x28, "DOWN", ""},
    {0x29, "SELECT", ""},
    {0x2A, "PRINT", ""},
    {0x2B, "EXECUTE", ""},
    {0x2C, "SNAPSHOT", ""},
    {0x2D, "INSERT", ""},
    {0x2E, "DELETE", ""},
    {0x2F, "HELP", ""},
    {0x30, "KEY_0", "0"},
    {0x31, "KEY_1", "1"},
    {0x32, "KEY_2", "2"},
    {0x33, "KEY_3", "3"},
    {0x34, "KEY_4", "4"},
    {0x35, "KEY_5", "5"},
    {0x36, "KEY_6", "6"},
    {0x37, "KEY_7", "7"},
    {0x38, "KEY_8", "8"},
    {0x39, "KEY_9", "9"},
    {0x41, "KEY_A", "A"},
    {0x42, "KEY_B", "B"},
    {0x43, "KEY_C", "C"},
    {0x44, "KEY_D", "D"},
    {0x45, "KEY_E", "E"},
    {0x46, "KEY_F", "F"},
    {0x47, "KEY_G", "G"},
    {0x48, "KEY_H", "H"},
    {0x49, "KEY_I", "I"},
    {0x4A, "KEY_J", "J"},
    {0x4B, "KEY_K", "K"},
    {0x4C, "KEY_L", "L"},
    {0x4D, "KEY_M", "M"},
    {0x4E, "KEY_N", "N"},
    {0x4F, "KEY_O", "O"},
    {0x50, "KEY_P", "P"},
    {0x51, "KEY_Q", "Q"},
    {0x52, "KEY_R", "R"},
    {0x53, "KEY_S", "S"},
    {0x54, "KEY_T", "T"},
    {0x55, "KEY_U", "U"},
    {0x56, "KEY_V", "V"},
    {0x57, "KEY_W", "W"},
    {0x58, "KEY_X", "X"},
    {0x59, "KEY_Y", "Y"},
    {0x5A, "KEY_Z", "Z"},
    {0x5B, "LWIN", "L-Win"},
    {0x5C, "RWIN", "R-Win"},
    {0x5D, "APPS", "Apps/Menu"},
    {0x60, "NUMPAD0", ""},
    {0x61, "NUMPAD1", ""},
    {0x62, "NUMPAD2", ""},
    {0x63, "NUMPAD3", ""},
    {0x64, "NUMPAD4", ""},
    {0x65, "NUMPAD5", ""},
    {0x66, "NUMPAD6", ""},
    {0x67, "NUMPAD7", ""},
    {0x68, "NUMPAD8", ""},
    {0x69, "NUMPAD9", ""},
    {0x6A, "MULTIPLY", ""},
    {0x6B, "ADD", ""},
    {0x6C, "SEPARATOR", ""},
    {0x6D, "SUBTRACT", ""},
    {0x6E, "DECIMAL", ""},
    {0x6F, "DIVIDE", ""},
    {0x70, "F1", ""},
    {0x71, "F2", ""},
    {0x72, "F3", ""},
    {0x73, "F4", ""},
    {0x74, "F5", ""},
    {0x75, "F6", ""},
    {0x76, "F7", ""},
    {0x77, "F8", ""},
    {0x78, "F9", ""},
    {0x79, "F10", ""},
    {0x7A, "F11", ""},
    {0x7B, "F12", ""},
    {0x7C, "F13", ""},
    {0x7D, "F14", ""},
    {0x7E, "F15", ""},
    {0x7F, "F16", ""},
    {0x80, "F17", ""},
    {0x81, "F18", ""},
    {0x82, "F19", ""},
    {0x83, "F20", ""},
    {0x84, "F21", ""},
    {0x85, "F22", ""},
    {0x86, "F23", ""},
    {0x87, "F24", ""},
    {0xA0, "LSHIFT", "L-Shift"},
    {0xA1, "RSHIFT", "R-Shift"},
    {0xA2, "LCONTROL", "L-Ctrl"},
    {0xA3, "RCONTROL", "R-Ctrl"},
    {0xA4, "LMENU", "L-Alt"},
    {0xA5, "RMENU", "R-Alt"},
    {0xA6, "BROWSER_BACK", ""},
    {0xA7, "BROWSER_FORWARD", ""},
    {0xA8, "BROWSER_REFRESH", ""},
    {0xA9, "BROWSER_STOP", ""},
    {0xAA, "BROWSER_SEARCH", ""},
    {0xAB, "BROWSER_FAVORITES", ""},
    {0xAC, "BROWSER_HOME", ""},
    {0xAD, "VOLUME_MUTE", ""},
    {0xAE, "VOLUME_DOWN", ""},
    {0xAF, "VOLUME_UP", ""},
    {0xB0, "MEDIA_NEXT_TRACK", ""},
    {0xB1, "MEDIA_PREV_TRACK", ""},
    {0xB2, "MEDIA_STOP", ""},
    {0xB3, "MEDIA_PLAY_PAUSE", ""},
    {0xB4, "LAUNCH_MAIL", ""},
    {0xB5, "LAUNCH_MEDIA_SELECT", ""},
    {0xB6, "LAUNCH_APP1", ""},
    {0xB7, "LAUNCH_APP2", ""},
    {0xBA, "OEM_1", "; (OEM 1)"},
    {0xBB, "OEM_PLUS", "+"},
    {0xBC, "OEM_COMMA", ","},
    {0xBD, "OEM_MINUS", "-"},
    {0xBE, "OEM_PERIOD", "."},
    {0xBF, "OEM_2", "/ (OEM 2)"},
    {0xC0, "OEM_3", "`(US) or '(UK) (OEM 3)"},
    {0xDB, "OEM_4", "[ (OEM 4)"},
    {0xDC, "OEM_5", "\\ (OEM 5)"},
    {0xDD, "OEM_6", "] (OEM 6)"},
    {0xDE, "OEM_7", "'(US) or #(UK) (OEM 7)"},
    {0xDF, "OEM_8", "` (OEM 8)"},
    {0xE1, "OEM_AX", ""},
    {0xE2, "OEM_102", "< or \\ (OEM 102)"},
    {0xE3, "ICO_HELP", "Help"},
    {0xE4, "ICO_00", "00"},
    {0xE6, "ICO_CLEAR", ""},
    {0xF6, "ATTN", ""},
    {0xF7, "CRSEL", ""},
    {0xF8, "EXSEL", ""},
    {0xF9, "EREOF", ""},
    {0xFA, "PLAY", ""},
    {0xFB, "ZOOM", ""},
    {0xFD, "PA1", ""},
    {0xFE, "OEM_CLEAR", ""},
}};

constexpr bool Ascending() {
  for (std::size_t i = 1; i < kKeys.size(); ++i)
    if (kKeys[i - 1].code >= kKeys[i].code) return false;
  return true;
}
static_assert(Ascending(), "FindKey searches the key table by bisection");

}  // namespace

std::span<const KeyEntry> KeyTable() { return kKeys; }

const KeyEntry* FindKey(std::uint32_t code) {
  if (code > 0xFF) return nullptr;
  auto it = std::lower_bound(kKeys.begin(), kKeys.end(), code,
                             [](const KeyEntry& e, std::uint32_t c) { return e.code < c; });
  if (it == kKeys.end() || it->code != code) return nullptr;
  return &*it;
}

std::string KeyText(std::uint32_t code) {
  const KeyEntry* key = FindKey(code);
  if (!key) return {};
  return std::string(key->display.empty() ? key->symbol : key->display);
}

std::string KeyLabel(std::uint32_t code) {
  if (const KeyEntry* key = FindKey(code))
    return std::string(key->display.empty() ? key->symbol : key->display);
  char text[16];
  std::snprintf(text, sizeof text, "Key 0x%02X", unsigned(code));
  return text;
}

bool IsKeyDown(platform::Keyboard& keyboard, std::uint32_t code) {
  if (code > 0xFF) return false;
  return (keyboard.KeyState(static_cast<std::uint8_t>(code)) & 0x8000) != 0;
}

std::vector<std::uint32_t> KeysDown(platform::Keyboard& keyboard) {
  std::vector<std::uint32_t> down;
  for (const KeyEntry& key : kKeys)
    if ((keyboard.KeyState(key.code) & 0xFF00) != 0) down.push_back(key.code);
  return down;
}

}  // namespace bnx::input
