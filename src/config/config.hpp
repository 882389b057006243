#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "input/binding.hpp"

namespace bnx {

// Option numbers, as stored under "o:N:".
namespace opt {
constexpr int kHazardsWithLights = 0, kFastYelp = 1, kLightsWithSiren = 2, kFlashWithHorn = 3,
              kBullhornInterrupts = 4, kIgnoreInTextEntry = 5, kAllowInactive = 6, kShowHud = 7,
              kRunningLights = 8, kExtraInLights = 9;
constexpr int kCount = 10;
}  // namespace opt

// How Beaconix.cfg stood at start-up; a Save in the run makes it kSaved.
enum class FileState : std::uint8_t { kLoaded, kSkippedLines, kMissing, kUnusable, kSaved };

// What "/o bnx status" says of the file; never stored.
struct FileStatus {
  FileState state = FileState::kMissing;
  int skippedLines = 0;
  bool loaded() const { return state == FileState::kLoaded || state == FileState::kSkippedLines; }
};

// The player's settings: what a Save writes to Beaconix.cfg and makes live.
// The entry point owns one; every connection works on a copy and hands it to
// the next. What start-up finds for the run is kept apart (app/session.hpp).
struct Config {
  BindingList bindings;
  std::uint32_t activeSirenMode = 0;  // "M:"
  std::uint32_t sirenBehaviour = 0;   // "m:"
  std::uint32_t modeCategory = 0;     // "c:"
  std::uint32_t lightsMode = 0;       // "l:"
  std::uint8_t hornType = 1;          // no line of its own: every horn is horn 1
  std::string fileName = "Beaconix.cfg";
  std::array<bool, opt::kCount> options{};  // o:0 to o:9

  bool option(int n) const { return options[static_cast<std::size_t>(n)]; }
};

}  // namespace bnx
