#pragma once
#include <ostream>

#include "config/config.hpp"

namespace bnx {

// Learns the InSim admin password from "cfg.txt" and the InSim port from
// data/script/autoexec.lfs (both relative to the current directory) and stores
// them in `cfg`. Adds "/insim 29999" to autoexec.lfs when it has no /insim line
// and tells the user on `out`. Files that cannot be opened are skipped silently;
// a file that opens but cannot be read is reported on `err` and counts as not found.
void ReadLFSConfig(Config& cfg, std::ostream& out, std::ostream& err);

}  // namespace bnx
