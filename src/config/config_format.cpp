#include "config/config_format.hpp"

#include <algorithm>
#include <stdexcept>

#include "config/ascii.hpp"
#include "config/base64.hpp"
#include "config/line_reader.hpp"
#include "input/functions.hpp"
#include "input/keys.hpp"
#include "insim/console_text.hpp"

namespace bnx::config {
namespace {

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

[[noreturn]] void NotASetting(std::string_view s) {
  throw std::runtime_error("not a setting: " + Shown(s));
}

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

Line Set(int slot, std::uint32_t value) { return {Line::kSetting, slot, value, {}}; }

}  // namespace

// CR alone ends a line too: a file from an old Mac editor is lines, not one.
bool ReadLine(std::istream& in, std::string& line, bool& tooLong) {
  return ReadBoundedLine(in, line, kMaxLineLength, tooLong, nullptr, true);
}

std::string Shown(std::string_view s) {
  constexpr std::size_t kShown = 60;
  return insim::ConsoleText(s.substr(0, kShown)) + (s.size() > kShown ? "..." : "");
}

Line ParseLine(std::string_view s, int version) {
  if (s.empty()) return {};
  if (s.size() < 3 || s[1] != ':') NotASetting(s);
  switch (s[0]) {
    case 'v':
      if (s.size() != 3) NotASetting(s);
      return Set(setting::kVersion, Digit(s[2]));
    case 'm':
      return Set(setting::kSirenBehaviour, Value(s, 8, "Unknown Siren Mode: "));
    case 'M':
      return Set(setting::kActiveMode, Value(s, 8, "Unknown Siren Mode: "));
    case 'l':
      return Set(setting::kLights, Value(s, 4, "Unknown Lights Mode: "));
    case 'c':
      return Set(setting::kCategory, Value(s, 4, "Unknown Mode Category: "));
    case 'o': {
      // "o:N" (the old form, options 0 to 7 only, on) or "o:N:0" / "o:N:1".
      const bool old = s.size() == 3 && s[2] >= '0' && s[2] <= '7';
      const bool current =
          s.size() == 5 && IsDigit(s[2]) && s[3] == ':' && (s[4] == '0' || s[4] == '1');
      if (!old && !current) throw std::runtime_error("Unknown option: " + Shown(s));
      if (current && version < 1)
        throw std::runtime_error("option before the v:1 line: " + Shown(s));
      return Set(setting::kOption0 + (s[2] - '0'), old || s[4] == '1');
    }
    case 'k':
    case 'b':
    case 'p':
      break;
    default:
      NotASetting(s);
  }
  Line line{Line::kBinding, setting::kVersion, 0, ParseBindingLine(s)};
  if (line.binding.function == fn::kNone) throw std::runtime_error("not a binding: " + Shown(s));
  return line;
}

void Store(Config& cfg, int slot, std::uint32_t value) {
  switch (slot) {
    case setting::kVersion:
      return;
    case setting::kSirenBehaviour:
      cfg.sirenBehaviour = value;
      return;
    case setting::kActiveMode:
      cfg.activeSirenMode = value;
      return;
    case setting::kLights:
      cfg.lightsMode = value;
      return;
    case setting::kCategory:
      cfg.modeCategory = value;
      return;
    default:
      cfg.options[static_cast<std::size_t>(slot - setting::kOption0)] = value != 0;
  }
}

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
  const std::string device =
      ":{" + binding.deviceGuid + "}:" + Base64Encode(binding.deviceName) + ":";
  for (std::uint32_t index : binding.buttons)
    out += "b:" + key + device + std::to_string(index) + "\n";
  for (const PovInput& p : binding.povs)
    out += "p:" + key + device + std::to_string(p.index) + ":" + std::to_string(p.degrees) + "\n";
  return out;
}

void WriteConfig(const Config& cfg, std::ostream& os) {
  os << "v:"
     << "1" << std::endl;
  os << "m:" << cfg.sirenBehaviour << std::endl;
  os << "M:" << cfg.activeSirenMode << std::endl;
  os << "c:" << cfg.modeCategory << std::endl;
  if (cfg.lightsMode > 0) os << "l:" << cfg.lightsMode << std::endl;
  for (int i = 0; i < 8; ++i) os << "o:" << i << ":" << (cfg.option(i) ? "1" : "0") << std::endl;
  if (cfg.option(opt::kRunningLights))
    os << "o:8:"
       << "1" << std::endl;
  if (cfg.option(opt::kExtraInLights))
    os << "o:9:"
       << "1" << std::endl;
  for (const Binding& b : cfg.bindings) os << BindingToText(b);
}

}  // namespace bnx::config
