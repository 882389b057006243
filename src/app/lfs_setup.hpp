#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "app/session.hpp"

namespace bnx {

// What start-up found of LFS's InSim set-up: what the player is told while
// LFS does not answer.
enum class LfsSetup {
  kNoAutoexec,    // no data\script\autoexec.lfs here: not started from the LFS folder
  kPortLine,      // autoexec.lfs has an /insim line
  kLineAdded,     // "/insim 29999" has just been added
  kLineNotAdded,  // it had none, and none could be added
};

// Learns the InSim admin password from "cfg.txt" and the InSim port from
// data/script/autoexec.lfs (both relative to the current directory) and stores
// them in `session`. Adds "/insim 29999" to autoexec.lfs when it has no /insim line
// and tells the user on `out`. Files that cannot be opened are skipped silently;
// a file that opens but cannot be read is reported on `err` and counts as not found.
LfsSetup ReadLFSConfig(Session& session, std::ostream& out, std::ostream& err);

// What to do while LFS does not listen on `port`, after the first attempt failed.
std::string WaitingForLfsText(LfsSetup setup, std::uint32_t port);

}  // namespace bnx
