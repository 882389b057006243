#pragma once
#include <cstdint>
#include <iosfwd>
#include <optional>

#include "app/lfs_setup.hpp"
#include "app/session.hpp"

#include "platform/platform.hpp"

namespace bnx {

// The start-up steps up to the help lines, filling the settings and the
// session; what it found of LFS's set-up. Nothing when the program is to end:
// another copy runs in this folder, or this version was refused and the update
// page has been opened.
std::optional<LfsSetup> StartUp(Config& settings, Session& session, platform::Platform& platform,
                                std::ostream& out, std::ostream& err);

// How the program ended; each way ends it with exit code 0.
enum class Ending : std::uint8_t {
  kDeclined,  // start-up ended it (see StartUp)
  kStopped,   // the player asked it to stop
};

// The whole program: start-up, then connect and reconnect until the player
// asks it to stop.
Ending RunBeaconix(platform::Platform& platform, std::ostream& out, std::ostream& err);

}  // namespace bnx
