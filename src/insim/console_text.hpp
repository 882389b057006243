#pragma once
#include <string>
#include <string_view>

namespace bnx::insim {

// A text from outside (the wire, the update host, a file, the registry) as it
// may be printed to the console: control characters (below 0x20, and 0x7F)
// become '?', so nobody can move the cursor, clear the screen, ring the bell
// or forge lines in the player's terminal.
inline std::string ConsoleText(std::string_view outside) {
  std::string shown(outside);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return shown;
}

}  // namespace bnx::insim
