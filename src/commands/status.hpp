#pragma once
// What "/o bnx status" answers: what the connection is doing now, and why.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/config.hpp"

namespace bnx::commands {

struct Status {
  std::string version;
  std::uint32_t category = 0, sirenMode = 0, lightsMode = 0;
  std::optional<std::string> nickname;  // none until the local player is seen
  bool flashing = false;
  std::uint32_t siren = 0, horn = 0;     // what sounds: the siren value and the horn number
  std::vector<std::string> controllers;  // product names, as the devices give them
  FileState file = FileState::kMissing;
  int skippedLines = 0;
};

// One local message each, every one under 127 characters and free of control bytes.
std::vector<std::string> StatusLines(const Status& status);

}  // namespace bnx::commands
