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

const ModeTable& SirenModeTable();   // modes 0 to 6
const ModeTable& LightsModeTable();  // modes 0 to 3
const ModeTable& CategoryTable();    // categories 0 to 3

// The entry with that number, or nullptr.
const ModeEntry* FindEntry(const ModeTable& table, std::uint32_t number);
// Its name, or an empty text when the table has no such entry.
std::string_view EntryName(const ModeTable& table, std::uint32_t number);

}  // namespace bnx::engine
