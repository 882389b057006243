#pragma once
#include <iosfwd>

#include "config/config.hpp"
#include "platform/system.hpp"
#include "update/windows_info.hpp"

namespace bnx::update {

constexpr const char* kProgramVersion = "2.4";

// 0 carry on, 1 open the update page and stop. Until the version query is
// built this finds nothing.
int CheckForUpdates(const WindowsInfo& info, Config& config, platform::Https& https,
                    std::ostream& out);

}  // namespace bnx::update
