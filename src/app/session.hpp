#pragma once
// What start-up finds for the run, apart from the player's settings: nothing
// here is stored in Beaconix.cfg.
#include <cstdint>
#include <string>

#include "config/config.hpp"
#include "update/update_check.hpp"

namespace bnx {

struct Session {
  std::uint32_t insimPort = 0;  // from autoexec.lfs; 0 means 29999
  std::string adminPassword;    // from LFS's cfg.txt
  update::Notice update;
  // The InSim version the next connection opens with: a version switch
  // carries it from one connection to the next.
  bool insimV9 = false;
  FileStatus file;  // kSaved once a Save in the run succeeded
};

}  // namespace bnx
