#include "commands/status.hpp"

#include "engine/category.hpp"
#include "engine/engine.hpp"
#include "engine/mode_tables.hpp"

namespace bnx::commands {

namespace {

constexpr std::size_t kMaxLine = 126;  // IS_MSL holds 127 characters and a zero

std::string Named(const engine::ModeTable& table, std::uint32_t number) {
  const std::string_view name = engine::EntryName(table, number);
  return name.empty() ? std::to_string(number) : std::string(name);
}

std::string CategoryLine(const Status& s) {
  std::string line = "Category: " + Named(engine::CategoryTable(), s.category);
  if (s.category != engine::category::kAuto) return line;
  if (!s.nickname) return line + ", decided by your name once you join";
  const std::string_view tag = engine::DecidingTag(*s.nickname);
  const std::string gives = Named(engine::CategoryTable(), engine::ClassifyNickname(*s.nickname));
  return line +
         (tag.empty() ? ", no tag in your name" : ", " + std::string(tag) + " in your name") +
         ": " + gives;
}

std::string LightsMode(std::uint32_t mode) {
  std::string text = std::to_string(mode);
  const std::string_view name = engine::EntryName(engine::LightsModeTable(), mode);
  if (!name.empty()) text.append(" ").append(name);
  return text;
}

std::string Sounding(const Status& s) {
  if (s.horn == engine::horn::kPiercer) return "Piercer";
  if (s.siren == engine::siren::kSlow) return "Wail";
  if (s.siren == engine::siren::kFast) return "Yelp";
  return "off";
}

// Names from devices may hold anything: carets are doubled so LFS shows them,
// control bytes become '?', and the list is cut, never a doubled caret, to fit.
std::string ControllersLine(const std::vector<std::string>& names) {
  std::string line = "Controllers: " + std::to_string(names.size());
  const std::string more = "...";
  for (std::size_t i = 0; i < names.size(); ++i) {
    line += i == 0 ? ": " : ", ";
    for (const char c : names[i]) {
      const std::string shown = c == '^' ? "^^"
                                : (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                                    ? "?"
                                    : std::string(1, c);
      if (line.size() + shown.size() + more.size() > kMaxLine) return line + more;
      line += shown;
    }
  }
  return line;
}

std::string FileLine(const Status& s) {
  switch (s.file) {
    case FileState::kLoaded:
      return "Beaconix.cfg: loaded";
    case FileState::kSkippedLines:
      return "Beaconix.cfg: loaded, " + std::to_string(s.skippedLines) +
             (s.skippedLines == 1 ? " line" : " lines") + " skipped (the console says which)";
    case FileState::kMissing:
      return "Beaconix.cfg: not found, defaults in use until you Save";
    case FileState::kUnusable:
      return "Beaconix.cfg: could not be used, defaults in use (the console says why)";
    case FileState::kSaved:
      return "Beaconix.cfg: saved in this run";
  }
  return {};
}

}  // namespace

std::vector<std::string> StatusLines(const Status& s) {
  return {
      "^1[RZ]^7 Lights^9 status: Beaconix v" + s.version,
      CategoryLine(s),
      "Siren mode: " + Named(engine::SirenModeTable(), s.sirenMode) +
          "; lights mode: " + LightsMode(s.lightsMode),
      std::string("Flashing lights: ") + (s.flashing ? "on" : "off") + "; siren: " + Sounding(s),
      ControllersLine(s.controllers),
      FileLine(s),
  };
}

}  // namespace bnx::commands
