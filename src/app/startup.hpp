#pragma once
#include <iosfwd>
#include <optional>

#include "app/lfs_setup.hpp"

#include "platform/platform.hpp"

namespace bnx {

struct Config;

// The start-up steps up to the help lines, filling `config`; what it found of
// LFS's set-up. Nothing when the program is to end (exit code 0): another copy
// runs in this folder, or this version was refused and the update page has
// been opened.
std::optional<LfsSetup> StartUp(Config& config, platform::Platform& platform, std::ostream& out,
                                std::ostream& err);

// After `attempts` failed reconnection attempts in a row, the next one's
// number and how long to wait for it: 2, 3, 4, 5, 6 and 7 s, then 7 s for as
// long as LFS stays away.
int NextAttempt(int attempts);
platform::Nanos RetryDelay(int attempt);

// The whole program: start-up, then connect and reconnect until the player
// asks it to stop.
// Returns the exit code.
int RunBeaconix(platform::Platform& platform, std::ostream& out, std::ostream& err);

}  // namespace bnx
