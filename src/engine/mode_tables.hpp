#pragma once
// The siren-mode, lights-mode and category tables: names and description lines
// exactly as the simulator shows them (InSim text bytes, code-page switches
// included). Built once, read by the category rules and the selection screens.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bnx::engine {

struct ModeEntry {
  std::uint32_t number = 0;
  std::string name;
  std::vector<std::string> lines;  // an empty line is a blank row
};

using ModeTable = std::vector<ModeEntry>;

// Siren modes, named as the siren-mode table shows them.
namespace siren_mode {
constexpr std::uint32_t kWailYelp = 0;              // Wail<>Yelp Cycle (1-key, Default)
constexpr std::uint32_t kBullhornA = 1;             // Wail<>Yelp Cycle + BullHorn A (2-key)
constexpr std::uint32_t kBullhornB = 2;             // Wail<>Yelp Cycle + BullHorn B (2-key)
constexpr std::uint32_t kPiercerCycle = 3;          // Wail>Yelp>Piercer Cycle (1-key)
constexpr std::uint32_t kPiercerCycleBullhorn = 4;  // W>Y>P Cycle + Bullhorn (2-key)
constexpr std::uint32_t kTow = 5;                   // TOW: no sirens, hazards in the strobe
constexpr std::uint32_t kRaceCivilian = 6;          // Race/Civilian: no strobe, no sirens
}  // namespace siren_mode

// Flashing-lights modes, named as the lights-mode table shows them.
namespace lights_mode {
constexpr std::uint32_t kClassic = 0, kFogLightbar = 1, kExtraBeacon = 2, kExtraBeaconFogs = 3;
}

const ModeTable& SirenModeTable();   // siren modes 0 to 6
const ModeTable& LightsModeTable();  // lights modes 0 to 3
const ModeTable& CategoryTable();    // categories 0 to 3

// The entry with that number, or nullptr.
const ModeEntry* FindEntry(const ModeTable& table, std::uint32_t number);
// Its name, or an empty text when the table has no such entry.
std::string_view EntryName(const ModeTable& table, std::uint32_t number);

}  // namespace bnx::engine
