#include "config/config_file.hpp"

#include "config/line_reader.hpp"

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

namespace bnx::config {
namespace {

namespace fs = std::filesystem;

bool ReadLine(std::istream& in, std::string& line, bool& tooLong) {
  return ReadBoundedLine(in, line, kMaxLineLength, tooLong);
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

struct ReadState {
  int version = 0;
  bool failed = false;
  bool sirenOrLights = false;
  bool activeMode = false;
  bool category = false;
  int problems = 0;  // lines reported and skipped
};

void Report(std::ostream& err, ReadState& st, int line, const char* message) {
  ++st.problems;
  err << "Error reading config at line: " << line << ": " << insim::ConsoleText(message) << std::endl;
}

std::string Shown(std::string_view s) {
  constexpr std::size_t kShown = 60;
  return std::string(s.substr(0, kShown)) + (s.size() > kShown ? "..." : "");
}

// A line that cannot be read costs that line only: it is reported and the
// rest of the file still loads.
void HandleLine(std::string_view s, ReadState& st, Config& cfg, BindingList& read) {
  if (s.empty()) return;
  if (s.size() < 3 || s[1] != ':') throw std::runtime_error("not a setting: " + Shown(s));
  if (s.size() == 3) {
    switch (s[0]) {
      case 'v':
        st.version = static_cast<int>(Digit(s[2]));
        return;
      case 'm': {
        const std::uint32_t v = Digit(s[2]);
        if (v >= 8) throw std::runtime_error("Unknown Siren Mode: " + std::to_string(v));
        cfg.sirenBehaviour = v;
        st.sirenOrLights = true;
        return;
      }
      case 'M': {
        const std::uint32_t v = Digit(s[2]);
        if (v >= 8) throw std::runtime_error("Unknown Siren Mode: " + std::to_string(v));
        cfg.activeSirenMode = v;
        st.activeMode = true;
        return;
      }
      case 'l': {
        const std::uint32_t v = Digit(s[2]);
        if (v >= 4) throw std::runtime_error("Unknown Lights Mode: " + std::to_string(v));
        cfg.lightsMode = v;
        st.sirenOrLights = true;
        return;
      }
      case 'c': {
        const std::uint32_t v = Digit(s[2]);
        if (v >= 4) throw std::runtime_error("Unknown Mode Category: " + std::to_string(v));
        cfg.modeCategory = v;
        st.category = true;
        return;
      }
      case 'o':
        // The old form only ever held options 0 to 7.
        if (s[2] < '0' || s[2] > '7') throw std::runtime_error("Unknown option: " + std::string(s));
        cfg.options[static_cast<std::size_t>(s[2] - '0')] = true;
        return;
      default:
        break;
    }
  } else if (st.version >= 1 && s.size() >= 5 && s[0] == 'o') {
    if (!IsDigit(s[2])) throw std::runtime_error("Unknown option: " + std::string(s));
    cfg.options[static_cast<std::size_t>(s[2] - '0')] = s[4] == '1';
    return;
  }
  Binding binding = ParseBindingLine(s);
  // Other lines of a setting's shape are dropped without a word, as always.
  if (binding.function == fn::kNone && (s[0] == 'k' || s[0] == 'b' || s[0] == 'p'))
    throw std::runtime_error("not a binding: " + Shown(s));
  read.push_back(std::move(binding));
}

// The file a chain of symbolic links ends at, so that a save replaces the
// target and keeps the link. A loop gives up after a while and saves there.
fs::path ThroughLinks(fs::path p) {
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
    const fs::path next = fs::read_symlink(p, ec);
    if (ec) break;
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  return p;
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
  BindingList read;
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
      HandleLine(Trim(raw), st, cfg, read);
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
  cfg.bindings = input::MergeBindings(read);
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

// Writes `text` over `path` (text mode: CR LF on Windows, as the file has
// always been written) and flushes it; false when any of it failed.
bool WriteWhole(const fs::path& path, const std::string& text, const detail::BufferWrap& wrap) {
  std::ofstream file(path, std::ios::out | std::ios::trunc);
  if (!file.is_open()) return false;
  {
    const std::unique_ptr<std::streambuf> wrapped = wrap ? wrap(*file.rdbuf()) : nullptr;
    std::ostream os(wrapped ? wrapped.get() : file.rdbuf());
    os.write(text.data(), static_cast<std::streamsize>(text.size()));
    os.flush();
    if (!os) return false;
  }
  file.close();
  return !file.fail();
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

// Where the file is kept before a save replaces it: the first free of
// ".bak", ".bak2" to ".bak9"; when all are taken, ".bak9" again (`replacing`).
fs::path KeptCopyPath(const fs::path& file, bool& replacing) {
  fs::path p;
  for (int n = 1; n <= 9; ++n) {
    p = file;
    p += n == 1 ? std::string(".bak") : ".bak" + std::to_string(n);
    std::error_code ec;
    if (!fs::exists(p, ec) && !ec) return p;
  }
  replacing = true;
  return p;
}

// A file with lines this version cannot read (a player's comment, a setting
// it does not know), or that did not load at all, is kept whole beside
// itself before its first save replaces it. False (reported) when it needed
// keeping and could not be kept: the save must then leave it alone.
bool KeepUnreadable(const fs::path& file, std::ostream& err, std::string& why) {
  std::ifstream in(file, std::ios::binary);
  std::error_code ec;
  if (!in.is_open() || fs::file_size(file, ec) == 0) return true;
  Config scratch;
  std::ostringstream quiet;
  const ReadState st = Read(scratch, in, quiet);
  if (st.problems == 0 && !st.failed) return true;
  in.close();
  bool replacing = false;
  const fs::path copy = KeptCopyPath(file, replacing);
  fs::copy_file(file, copy, replacing ? fs::copy_options::overwrite_existing : fs::copy_options::none, ec);
  if (ec) {
    why = "it has lines that could not be read, and no copy of it could be kept as " +
          copy.string() + ": " + ec.message() + "; it was left as it was";
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
  const fs::path target = ThroughLinks(fs::path(path));
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
    std::string why;
    if (exists && !KeepUnreadable(target, err, why)) return fail(why);
    std::ostringstream text;
    WriteConfig(cfg, text);

    dir = PrivateFolderBeside(target, ec);
    if (dir.empty()) {
      if (!exists || (ec != std::errc::permission_denied && ec != std::errc::operation_not_permitted))
        return fail("cannot create a temporary file beside " + target.string() + ": " + ec.message());
      // A folder the player may not write to, with the file made writable
      // (a shared install): write in place, and never leave a cut file.
      std::string old;
      if (!ReadWhole(target, old)) return fail("the file could not be read; it was left as it was");
      if (WriteWhole(target, text.str(), wrap)) return 0;
      return fail(WriteWhole(target, old, {})
                      ? "the file could not be written completely; the old one is kept"
                      : "the file could not be written completely, nor its old text put back");
    }
    if (!WriteWhole(dir / target.filename(), text.str(), wrap))
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

bool LoadStartupConfig(Config& cfg, std::ostream& out, std::ostream& err) {
  out << "\nLoading Config... ";
  if (LoadConfig(cfg, cfg.fileName, err) != 0) {
    out << "Failed. Loading defaults.\nType \"/o bnx config\" ingame to customise." << std::endl;
    LoadDefaults(cfg);
    return false;
  }
  out << std::endl;
  return true;
}

}  // namespace bnx::config
