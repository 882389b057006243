#pragma once
#include <iosfwd>

#include "platform/platform.hpp"

namespace bnx {

// The whole program: start-up, then connect and reconnect until the first
// connection fails before any has succeeded. Returns the exit code.
int RunBeaconix(platform::Platform& platform, std::ostream& out, std::ostream& err);

}  // namespace bnx
