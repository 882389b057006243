#include <iostream>

#include "app/startup.hpp"
#include "platform/platform.hpp"

#ifndef _WIN32
#include <csignal>
#endif

int main(int, char**) {
#ifndef _WIN32
  // A write to a socket that LFS has closed must fail, not end the process.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  // Declined at start-up or stopped by the player, it ends as meant to: 0.
  bnx::RunBeaconix(bnx::platform::SystemPlatform(), std::cout, std::cerr);
  return 0;
}
