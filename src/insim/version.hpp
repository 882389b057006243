#pragma once
// InSim version negotiation: the program speaks version 8 (Size in bytes) or
// 9 (Size in 4-byte units) and follows what LFS's IS_VER says it supports.
#include <cstdint>
#include <string>
#include <string_view>

#include "insim/console_text.hpp"
#include "insim/packets.hpp"

namespace bnx::insim {

enum class VersionStep { kBegin, kSwitchTo8, kUpgradeTo9, kNone };

// What to do with an IS_VER received while connected with `sizeUnit`.
VersionStep ChooseVersionStep(int sizeUnit, const Ver& ver);

// The console line for a switch ("... Switching to v8" / "... Upgrading to v9").
std::string SwitchLine(const Ver& ver, VersionStep step);
// The console line for an accepted version, with its compatibility suffix.
std::string AcceptedLine(const Ver& ver);

std::string GreetingText();
// The two notice messages; empty texts when there is no new version.
std::string NewVersionText(const std::string& newVersion);
std::string UpdatePageText(const std::string& page);

}  // namespace bnx::insim
