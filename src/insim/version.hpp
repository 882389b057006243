#pragma once
// InSim version negotiation: the program speaks version 8 (Size in bytes) or
// 9 (Size in 4-byte units) and follows what LFS's IS_VER says it supports.
#include <cstdint>
#include <string>
#include <string_view>

#include "insim/packets.hpp"

namespace bnx::insim {

enum class VersionStep { kBegin, kSwitchTo8, kUpgradeTo9, kNone };

// What to do with an IS_VER received while connected with `sizeUnit`.
VersionStep ChooseVersionStep(int sizeUnit, const Ver& ver);

// A text from the wire as it may be printed to the console: control
// characters (below 0x20, and 0x7F) become '?', so a peer cannot move the
// cursor, clear the screen or forge lines in the player's terminal.
std::string ConsoleText(std::string_view wire);

// The console line for a switch ("... Switching to v8" / "... Upgrading to v9").
std::string SwitchLine(const Ver& ver, VersionStep step);
// The console line for an accepted version, with its compatibility suffix.
std::string AcceptedLine(const Ver& ver);

std::string GreetingText();
// The two notice messages; empty texts when there is no new version.
std::string NewVersionText(const std::string& newVersion);
std::string UpdatePageText(const std::string& page);

}  // namespace bnx::insim
