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

// The settings of one run. The entry point owns one; every connection works on a copy.
struct Config {
  BindingList bindings;
  std::uint32_t activeSirenMode = 0;  // "M:"
  std::uint32_t sirenBehaviour = 0;   // "m:"
  std::uint32_t modeCategory = 0;     // "c:"
  std::uint32_t lightsMode = 0;       // "l:"
  std::string adminPassword;          // from LFS's cfg.txt
  std::uint32_t insimPort = 0;        // from autoexec.lfs; 0 means 29999
  std::uint8_t hornType = 1;
  std::string fileName = "Beaconix.cfg";
  std::array<bool, opt::kCount> options{};  // o:0 to o:9
  bool insimV9Mode = false;                 // carried between connections, never stored
  std::string newVersion;                   // from the update check
  std::string updatePage;
  std::uint32_t updateChannel = 0;  // 0 Release, 1 Beta, 2 Dev
  std::string variantVersion;
  FileState fileState = FileState::kMissing;  // what "/o bnx status" reports, never stored
  int skippedLines = 0;

  bool option(int n) const { return options[static_cast<std::size_t>(n)]; }
};

}  // namespace bnx
