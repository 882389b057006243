#include "config/config_file.hpp"

#include "config/line_reader.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "config/ascii.hpp"
#include "config/base64.hpp"
#include "insim/console_text.hpp"
#include "input/bindings.hpp"
#include "input/functions.hpp"
#include "input/keys.hpp"
#include "platform/files.hpp"

namespace bnx::config {
namespace {

namespace fs = std::filesystem;

// CR alone ends a line too: a file from an old Mac editor is lines, not one.
bool ReadLine(std::istream& in, std::string& line, bool& tooLong) {
  return ReadBoundedLine(in, line, kMaxLineLength, tooLong, nullptr, true);
}

// The value of a one-character number, failing as std::stoi would.
std::uint32_t Digit(char c) {
  if (c < '0' || c > '9') throw std::invalid_argument("invalid stoi argument");
  return static_cast<std::uint32_t>(c - '0');
}

std::uint32_t Decimal(std::string_view digits) {
  std::uint32_t v = 0;
  for (char c : digits) v = v * 10 + static_cast<std::uint32_t>(c - '0');
  return v;
}

// A hand-written matcher for the three binding-line patterns: a backtracking
// regex engine needs stack in proportion to the line, which a long line in a
// hand-edited file would exhaust.
class Cursor {
 public:
  explicit Cursor(std::string_view s) : s_(s) {}
  bool Lit(std::string_view text) {
    if (s_.substr(pos_, text.size()) != text) return false;
    pos_ += text.size();
    return true;
  }
  template <typename Pred>
  std::string_view Run(Pred in) {
    const std::size_t start = pos_;
    while (pos_ < s_.size() && in(s_[pos_])) ++pos_;
    return s_.substr(start, pos_ - start);
  }
  bool AtEnd() const { return pos_ == s_.size(); }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsKeyChar(char c) { return (c >= 'a' && c <= 'z') || IsDigit(c); }
bool IsGuidChar(char c) { return (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '-'; }
bool IsBase64Char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '+' || c == '/';
}

bool Key(Cursor& c, std::string_view& key) {
  key = c.Run(IsKeyChar);
  return key.size() >= 3 && key.size() <= 8 && c.Lit(":");
}

bool Number(Cursor& c, std::string_view& digits, std::size_t maxDigits) {
  digits = c.Run(IsDigit);
  return !digits.empty() && digits.size() <= maxDigits;
}

// "{GUID}:name:" of a controller line. The name field may be empty: that is
// how a controller without a product name is written.
bool Device(Cursor& c, std::string_view& guid, std::string_view& name) {
  if (!c.Lit("{")) return false;
  guid = c.Run(IsGuidChar);
  if (guid.empty() || !c.Lit("}:")) return false;
  name = c.Run(IsBase64Char);
  if (!name.empty()) {
    const std::string_view pad = c.Run([](char ch) { return ch == '='; });
    if (pad.size() > 2) return false;
    name = std::string_view(name.data(), name.size() + pad.size());
  }
  return c.Lit(":");
}

// Each setting a line can set: v, m, M, l, c, then options 0 to 9.
enum Slot { kVersion, kSirenBehaviour, kActiveMode, kLights, kCategory, kOption0, kSlots = kOption0 + opt::kCount };

struct ReadState {
  int version = 0;
  bool failed = false;
  bool sirenOrLights = false;
  bool activeMode = false;
  bool category = false;
  int problems = 0;  // lines reported
  // The line that last set each setting (0: none yet), and its value there.
  std::array<std::pair<int, std::uint32_t>, kSlots> setBy{};
};

void Report(std::ostream& err, ReadState& st, int line, const char* message) {
  ++st.problems;
  err << "Error reading config at line: " << line << ": " << insim::ConsoleText(message) << std::endl;
}

// A line as a message may quote it: short, and without the bytes (a NUL, say)
// that would cut the message or upset the console.
std::string Shown(std::string_view s) {
  constexpr std::size_t kShown = 60;
  return insim::ConsoleText(s.substr(0, kShown)) + (s.size() > kShown ? "..." : "");
}

[[noreturn]] void NotASetting(std::string_view s) { throw std::runtime_error("not a setting: " + Shown(s)); }

// The value of "m:", "M:", "l:" and "c:": one digit below `limit`. A longer
// number is as unknown as a digit out of range; anything after it makes the
// line something else.
std::uint32_t Value(std::string_view s, std::uint32_t limit, const char* unknown) {
  const std::string_view v = s.substr(2);
  const bool number = std::all_of(v.begin(), v.end(), IsDigit);
  if (v.size() == 1 || !number) {
    if (v.size() != 1) NotASetting(s);
    const std::uint32_t d = Digit(v[0]);
    if (d < limit) return d;
  }
  throw std::runtime_error(unknown + Shown(v));
}

// A line that cannot be read exactly as written costs that line only: it is
// reported, and the rest of the file still loads. So is a line that sets
// again what an earlier one set otherwise; the later one counts.
void HandleLine(std::string_view s, int line, ReadState& st, Config& cfg, input::BindingMerger& read,
                std::ostream& err) {
  if (s.empty()) return;
  if (s.size() < 3 || s[1] != ':') NotASetting(s);
  auto set = [&](int slot, std::uint32_t value) {
    auto& [earlier, was] = st.setBy[static_cast<std::size_t>(slot)];
    if (earlier != 0 && was != value)
      Report(err, st, line, (Shown(s) + " overrides line " + std::to_string(earlier)).c_str());
    earlier = line;
    was = value;
  };
  switch (s[0]) {
    case 'v':
      if (s.size() != 3) NotASetting(s);
      st.version = static_cast<int>(Digit(s[2]));
      set(kVersion, static_cast<std::uint32_t>(st.version));
      return;
    case 'm':
      cfg.sirenBehaviour = Value(s, 8, "Unknown Siren Mode: ");
      set(kSirenBehaviour, cfg.sirenBehaviour);
      st.sirenOrLights = true;
      return;
    case 'M':
      cfg.activeSirenMode = Value(s, 8, "Unknown Siren Mode: ");
      set(kActiveMode, cfg.activeSirenMode);
      st.activeMode = true;
      return;
    case 'l':
      cfg.lightsMode = Value(s, 4, "Unknown Lights Mode: ");
      set(kLights, cfg.lightsMode);
      st.sirenOrLights = true;
      return;
    case 'c':
      cfg.modeCategory = Value(s, 4, "Unknown Mode Category: ");
      set(kCategory, cfg.modeCategory);
      st.category = true;
      return;
    case 'o': {
      // "o:N" (the old form, options 0 to 7 only, on) or "o:N:0" / "o:N:1".
      const bool old = s.size() == 3 && s[2] >= '0' && s[2] <= '7';
      const bool current = s.size() == 5 && IsDigit(s[2]) && s[3] == ':' && (s[4] == '0' || s[4] == '1');
      if (!old && !current) throw std::runtime_error("Unknown option: " + Shown(s));
      if (current && st.version < 1) throw std::runtime_error("option before the v:1 line: " + Shown(s));
      const int n = s[2] - '0';
      cfg.options[static_cast<std::size_t>(n)] = old || s[4] == '1';
      set(kOption0 + n, cfg.options[static_cast<std::size_t>(n)]);
      return;
    }
    case 'k':
    case 'b':
    case 'p':
      break;
    default:
      NotASetting(s);
  }
  Binding binding = ParseBindingLine(s);
  if (binding.function == fn::kNone) throw std::runtime_error("not a binding: " + Shown(s));
  read.Add(binding);
}

// A new, empty folder next to `file`, for the file's next contents. Making a
// folder fails when the name is taken, on every system, so the name is ours
// alone whatever else runs; the folder shares the file's disk, so the rename
// out of it stays one step. Empty when none could be made.
fs::path PrivateFolderBeside(const fs::path& file, std::error_code& ec) {
  static std::atomic<unsigned> saves{0};
  std::random_device rd;
  const unsigned save = ++saves;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char token[48];
    std::snprintf(token, sizeof token, ".%08x%08x-%u-%d.tmp", unsigned(rd()), unsigned(rd()), save, attempt);
    fs::path dir = file;
    dir += token;
    if (fs::create_directory(dir, ec)) return dir;
    if (ec && ec != std::errc::file_exists) return {};
  }
  if (!ec) ec = std::make_error_code(std::errc::file_exists);
  return {};
}

}  // namespace

ControlFunction FunctionFromKey(std::string_view key) {
  const std::string lower = AsciiLower(key);
  for (int f = 0; f < fn::kCount; ++f) {
    const auto id = static_cast<ControlFunction>(f);
    if (input::FunctionConfigKey(id) == lower) return id;
  }
  return fn::kNone;
}

Binding ParseBindingLine(std::string_view line) {
  Binding b;
  Cursor c(line);
  std::string_view key, guid, name, digits, pov;
  if (c.Lit("k:")) {
    if (!Key(c, key) || !Number(c, digits, 3) || !c.AtEnd()) return {};
    const std::uint32_t code = Decimal(digits);
    if (input::FindKey(code) == nullptr) return {};
    b.keys.push_back(code);
  } else if (c.Lit("b:")) {
    if (!Key(c, key) || !Device(c, guid, name) || !Number(c, digits, 3) || !c.AtEnd()) return {};
    b.buttons.push_back(Decimal(digits));
  } else if (c.Lit("p:")) {
    if (!Key(c, key) || !Device(c, guid, name) || !Number(c, pov, 1) || !c.Lit(":") ||
        !Number(c, digits, 3) || !c.AtEnd())
      return {};
    // A controller has up to four hats and capture binds any of them.
    const std::uint32_t index = Decimal(pov);
    if (index > 3) return {};
    b.povs.push_back({index, Decimal(digits)});
  } else {
    return {};
  }
  b.function = FunctionFromKey(key);
  if (b.function == fn::kNone) return {};
  b.deviceGuid = guid;
  b.deviceName = Base64Decode(name);
  return b;
}

std::string BindingToText(const Binding& binding) {
  const std::string key(input::FunctionConfigKey(binding.function));
  std::string out;
  for (std::uint32_t code : binding.keys) out += "k:" + key + ":" + std::to_string(code) + "\n";
  if (binding.buttons.empty() && binding.povs.empty()) return out;
  const std::string device = ":{" + binding.deviceGuid + "}:" + Base64Encode(binding.deviceName) + ":";
  for (std::uint32_t index : binding.buttons) out += "b:" + key + device + std::to_string(index) + "\n";
  for (const PovInput& p : binding.povs)
    out += "p:" + key + device + std::to_string(p.index) + ":" + std::to_string(p.degrees) + "\n";
  return out;
}

namespace {

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
      err << "Unknown exception:\n" << "Error reading config at line: " << number << std::endl;
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

}  // namespace

int ReadConfig(Config& cfg, std::istream& in, std::ostream& err) {
  return Read(cfg, in, err).failed ? 1 : 0;
}

int LoadConfig(Config& cfg, const std::string& path, std::ostream& err) {
  // Binary, so that Windows reads the whole file (a text stream stops at a
  // Ctrl-Z byte); a CR before the LF is blank and trimmed.
  std::ifstream in{fs::path(path), std::ios::binary};
  if (!in.is_open()) return 1;
  return ReadConfig(cfg, in, err);
}

void WriteConfig(const Config& cfg, std::ostream& os) {
  os << "v:" << "1" << std::endl;
  os << "m:" << cfg.sirenBehaviour << std::endl;
  os << "M:" << cfg.activeSirenMode << std::endl;
  os << "c:" << cfg.modeCategory << std::endl;
  if (cfg.lightsMode > 0) os << "l:" << cfg.lightsMode << std::endl;
  for (int i = 0; i < 8; ++i) os << "o:" << i << ":" << (cfg.option(i) ? "1" : "0") << std::endl;
  if (cfg.option(opt::kRunningLights)) os << "o:8:" << "1" << std::endl;
  if (cfg.option(opt::kExtraInLights)) os << "o:9:" << "1" << std::endl;
  for (const Binding& b : cfg.bindings) os << BindingToText(b);
}

namespace {

std::atomic<int> savesUnderway{0};

struct SaveUnderway {
  SaveUnderway() { ++savesUnderway; }
  ~SaveUnderway() { --savesUnderway; }
  SaveUnderway(const SaveUnderway&) = delete;
  SaveUnderway& operator=(const SaveUnderway&) = delete;
};

// Writes what `fill` puts out over `path` and flushes it; false when any of it
// failed.
template <typename Fill>
bool WriteWhole(const fs::path& path, std::ios::openmode mode, const detail::BufferWrap& wrap, Fill fill) {
  std::ofstream file(path, mode | std::ios::out | std::ios::trunc);
  if (!file.is_open()) return false;
  {
    const std::unique_ptr<std::streambuf> wrapped = wrap ? wrap(*file.rdbuf()) : nullptr;
    std::ostream os(wrapped ? wrapped.get() : file.rdbuf());
    if (!fill(os)) return false;
    os.flush();
    if (!os) return false;
  }
  file.close();
  return !file.fail();
}

// Text mode by default: CR LF on Windows, as the file has always been written.
bool WriteText(const fs::path& path, const std::string& text, const detail::BufferWrap& wrap,
               std::ios::openmode mode = {}) {
  return WriteWhole(path, mode, wrap, [&](std::ostream& os) {
    os.write(text.data(), static_cast<std::streamsize>(text.size()));
    return true;
  });
}

bool ReadWhole(const fs::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return false;
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return !in.bad();
}

// A save may replace the file only when it can write to it: a player makes
// the file read-only to protect a setup, and a rename would replace it anyway.
bool Writable(const fs::path& file) {
  std::ofstream probe(file, std::ios::out | std::ios::app);
  return probe.is_open();
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

// Anything under the name counts, a link to nothing too.
bool Taken(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found;
}

// Where the file is kept: the first free of ".bak", ".bak2" to ".bak9"; when
// all are taken, ".bak9" again (`replacing`).
fs::path KeptCopyPath(const fs::path& file, bool& replacing) {
  fs::path p;
  for (int n = 1; n <= 9; ++n) {
    p = file;
    p += n == 1 ? std::string(".bak") : ".bak" + std::to_string(n);
    if (!Taken(p)) return p;
  }
  replacing = true;
  return p;
}

// Copies `file` whole into the save's own folder `dir` and then moves the copy
// to its name in one step, so that a copy cut short (a full disk) never lies
// under that name. False (with `why`) when it could not be kept: the save must
// then leave the file alone.
bool KeepCopy(const fs::path& file, const fs::path& dir, std::ostream& err, const detail::BufferWrap& wrap,
              std::string& why) {
  const fs::path kept = dir / "kept";
  std::ifstream in(file, std::ios::binary);
  const bool copied = in.is_open() && WriteWhole(kept, std::ios::binary, wrap, [&](std::ostream& os) {
    char block[16384];
    while (in.read(block, sizeof block) || in.gcount() > 0) os.write(block, in.gcount());
    return !in.bad();
  });
  bool replacing = false;
  const fs::path copy = KeptCopyPath(file, replacing);
  std::error_code ec;
  if (copied) fs::rename(kept, copy, ec);
  if (!copied || ec) {
    why = "it has lines that could not be read, and no copy of it could be kept as " + copy.string() +
          (ec ? ": " + ec.message() : std::string()) + "; it was left as it was";
    return false;
  }
  err << file.string() << " had lines that could not be read: the old file is kept as "
      << fs::absolute(copy, ec).string() << (replacing ? " (replacing an older copy)" : "") << std::endl;
  return true;
}

}  // namespace

namespace detail {

int SaveConfigThrough(const Config& cfg, const std::string& path, std::ostream& err,
                      const BufferWrap& wrap) {
  const SaveUnderway underway;
  const fs::path target = platform::FileBehindLinks(fs::path(path));
  fs::path dir;
  auto fail = [&](const std::string& why) {
    std::error_code ignored;
    if (!dir.empty()) fs::remove_all(dir, ignored);
    err << "Error writing config file " << path << ":\n" << why << std::endl;
    return 1;
  };
  try {
    std::error_code ec;
    const bool exists = fs::exists(target, ec);
    if (exists && !Writable(target)) return fail("the file is read-only; it was left as it was");
    const bool keep = exists && NeedsKeeping(target);
    std::ostringstream text;
    WriteConfig(cfg, text);

    dir = PrivateFolderBeside(target, ec);
    if (dir.empty()) {
      if (keep)
        return fail("it has lines that could not be read, and no copy of it could be kept beside it: " +
                    ec.message() + "; it was left as it was");
      if (!exists || (ec != std::errc::permission_denied && ec != std::errc::operation_not_permitted))
        return fail("cannot create a temporary file beside " + target.string() + ": " + ec.message());
      // A folder the player may not write to, with the file made writable
      // (a shared install): write in place, and never leave a cut file.
      std::string old;
      if (!ReadWhole(target, old)) return fail("the file could not be read; it was left as it was");
      if (WriteText(target, text.str(), wrap)) return 0;
      // Byte for byte: in text mode Windows would put a CR before every CR LF.
      return fail(WriteText(target, old, {}, std::ios::binary)
                      ? "the file could not be written completely; the old one is kept"
                      : "the file could not be written completely, nor its old text put back");
    }
    std::string why;
    if (keep && !KeepCopy(target, dir, err, wrap, why)) return fail(why);
    if (!WriteText(dir / target.filename(), text.str(), wrap))
      return fail("the file could not be written completely; the old one is kept");
    // Replaces the old file in one step (on Windows too: MoveFileEx with
    // MOVEFILE_REPLACE_EXISTING underneath).
    fs::rename(dir / target.filename(), target, ec);
    if (ec) return fail(ec.message());
    fs::remove(dir, ec);
    return 0;
  } catch (const std::exception& e) {
    return fail(e.what());
  } catch (...) {
    return fail("Unknown exception");
  }
}

}  // namespace detail

int SavesUnderway() { return savesUnderway.load(); }

int SaveConfig(const Config& cfg, const std::string& path, std::ostream& err) {
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
