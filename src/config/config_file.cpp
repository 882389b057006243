#include "config/config_file.hpp"

#include <array>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "config/ascii.hpp"
#include "config/config_format.hpp"
#include "input/bindings.hpp"
#include "insim/console_text.hpp"

namespace bnx::config {
namespace {

namespace fs = std::filesystem;

struct ReadState {
  int version = 0;
  bool failed = false;
  bool sirenOrLights = false;
  bool activeMode = false;
  bool category = false;
  int problems = 0;  // lines reported
  // The line that last set each setting (0: none yet), and its value there.
  std::array<std::pair<int, std::uint32_t>, setting::kCount> setBy{};
};

void Report(std::ostream& err, ReadState& st, int line, const std::string& message) {
  ++st.problems;
  err << "Error reading config at line: " << line << ": " << insim::ConsoleText(message)
      << std::endl;
}

// A line that cannot be read exactly as written costs that line only: it is
// reported, and the rest of the file still loads. So is a line that sets
// again what an earlier one set otherwise; the later one counts.
void HandleLine(std::string_view s, int number, ReadState& st, Config& cfg,
                input::BindingMerger& read, std::ostream& err) {
  const Line line = ParseLine(s, st.version);
  if (line.kind == Line::kBlank) return;
  if (line.kind == Line::kBinding) {
    read.Add(line.binding);
    return;
  }
  Store(cfg, line.slot, line.value);
  auto& [earlier, was] = st.setBy[static_cast<std::size_t>(line.slot)];
  if (earlier != 0 && was != line.value)
    Report(err, st, number, Shown(s) + " overrides line " + std::to_string(earlier));
  earlier = number;
  was = line.value;
  switch (line.slot) {
    case setting::kVersion:
      st.version = static_cast<int>(line.value);
      break;
    case setting::kSirenBehaviour:
    case setting::kLights:
      st.sirenOrLights = true;
      break;
    case setting::kActiveMode:
      st.activeMode = true;
      break;
    case setting::kCategory:
      st.category = true;
      break;
  }
}

ReadState Read(Config& cfg, std::istream& in, std::ostream& err) {
  ReadState st;
  input::BindingMerger read;
  std::string raw;
  bool tooLong = false;
  int number = 0;
  while (in.good() && ReadLine(in, raw, tooLong)) {
    ++number;
    // Some editors start a UTF-8 file with a byte-order mark.
    if (number == 1 && raw.starts_with("\xEF\xBB\xBF")) raw.erase(0, 3);
    if (tooLong) {
      Report(err, st, number, "line too long, skipped");
      continue;
    }
    try {
      HandleLine(Trim(raw), number, st, cfg, read, err);
    } catch (const std::exception& e) {
      Report(err, st, number, e.what());
    } catch (...) {
      ++st.problems;
      err << "Unknown exception:\n"
          << "Error reading config at line: " << number << std::endl;
    }
  }
  if (in.bad()) {
    Report(err, st, number + 1, "the file could not be read");
    st.failed = true;
  }
  cfg.bindings = read.Take();
  if (st.sirenOrLights && cfg.sirenBehaviour >= 5) cfg.sirenBehaviour = 0;
  if (!st.activeMode) cfg.activeSirenMode = cfg.sirenBehaviour;
  if (!st.category) cfg.modeCategory = 0;
  if (!st.sirenOrLights) st.failed = true;
  return st;
}

// Whether a file has lines this version does not read exactly (a player's
// comment, a setting it does not know), or did not load at all: then it is
// kept whole beside itself before its first save replaces it.
bool NeedsKeeping(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::error_code ec;
  if (!in.is_open() || fs::file_size(file, ec) == 0) return false;
  Config scratch;
  std::ostringstream quiet;
  const ReadState st = Read(scratch, in, quiet);
  return st.problems != 0 || st.failed;
}

}  // namespace

LoadResult ReadConfig(Config& cfg, std::istream& in, std::ostream& err) {
  return Read(cfg, in, err).failed ? LoadResult::kNotLoaded : LoadResult::kLoaded;
}

LoadResult LoadConfig(Config& cfg, const std::string& path, std::ostream& err) {
  // Binary, so that Windows reads the whole file (a text stream stops at a
  // Ctrl-Z byte); a CR before the LF is blank and trimmed.
  std::ifstream in{fs::path(path), std::ios::binary};
  if (!in.is_open()) return LoadResult::kNotLoaded;
  return ReadConfig(cfg, in, err);
}

namespace detail {

SaveResult SaveConfigThrough(const Config& cfg, const std::string& path, std::ostream& err,
                             const BufferWrap& wrap) {
  std::string why;
  try {
    std::ostringstream text;
    WriteConfig(cfg, text);
    if (SafeReplace(fs::path(path), text.str(), {NeedsKeeping, "lines that could not be read"}, err,
                    why, wrap))
      return SaveResult::kWritten;
  } catch (const std::exception& e) {
    why = e.what();
  }
  err << "Error writing config file " << path << ":\n" << why << std::endl;
  return SaveResult::kNotWritten;
}

}  // namespace detail

SaveResult SaveConfig(const Config& cfg, const std::string& path, std::ostream& err) {
  return detail::SaveConfigThrough(cfg, path, err, {});
}

void LoadDefaults(Config& cfg) {
  cfg.activeSirenMode = 0;
  cfg.sirenBehaviour = 0;
  cfg.modeCategory = 0;
  cfg.bindings.clear();
  Binding lights;
  lights.function = fn::kLights;
  lights.keys = {0x22};  // PageDown
  Binding siren;
  siren.function = fn::kSiren;
  siren.keys = {0x21};  // PageUp
  cfg.bindings.push_back(lights);
  cfg.bindings.push_back(siren);
}

FileStatus LoadStartupConfig(Config& cfg, std::ostream& out, std::ostream& err) {
  out << "\nLoading Config... ";
  std::ifstream in{fs::path(cfg.fileName), std::ios::binary};
  const ReadState st = in.is_open() ? Read(cfg, in, err) : ReadState{};
  FileStatus file;
  file.skippedLines = st.problems;
  if (!in.is_open() || st.failed) {
    file.state = in.is_open() ? FileState::kUnusable : FileState::kMissing;
    out << "Failed. Loading defaults.\nType \"/o bnx config\" ingame to customise." << std::endl;
    LoadDefaults(cfg);
    return file;
  }
  file.state = st.problems > 0 ? FileState::kSkippedLines : FileState::kLoaded;
  out << std::endl;
  return file;
}

}  // namespace bnx::config
