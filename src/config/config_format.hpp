#pragma once
// The lines of Beaconix.cfg: how one is read and how the file is written.
// What a file as a whole loads as, and what is reported, is config_file's.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "config/config.hpp"

namespace bnx::config {

// Longest line read from Beaconix.cfg. The writer's longest line (a 260-byte
// product name) is about 420 characters; longer lines are reported and skipped.
constexpr std::size_t kMaxLineLength = 4096;

// Reads the next line, ended by LF, CR LF or CR alone; false at the end or on
// a read error. `tooLong`: the line was longer than kMaxLineLength and skipped.
bool ReadLine(std::istream& in, std::string& line, bool& tooLong);

// Each setting a line can set: v, m, M, l, c, then options 0 to 9.
namespace setting {
constexpr int kVersion = 0, kSirenBehaviour = 1, kActiveMode = 2, kLights = 3, kCategory = 4,
              kOption0 = 5;
constexpr int kCount = kOption0 + opt::kCount;
}  // namespace setting

// One line, read exactly as written: a setting and its value, a binding, or
// nothing (a blank line).
struct Line {
  enum Kind { kBlank, kSetting, kBinding } kind = kBlank;
  int slot = setting::kVersion;  // of a kSetting line
  std::uint32_t value = 0;
  Binding binding;
};

// A trimmed line; `version` is the file's "v:" so far (option lines of the
// current form need v:1). Throws, with the message to report, for a line that
// cannot be read exactly.
Line ParseLine(std::string_view line, int version);
// Puts a setting's value in its field of `cfg` (setting::kVersion has none).
void Store(Config& cfg, int slot, std::uint32_t value);
// A line as a message may quote it: short, and without the bytes (a NUL, say)
// that would cut the message or upset the console.
std::string Shown(std::string_view line);

// The file's lines, in order.
void WriteConfig(const Config& cfg, std::ostream& os);

// The "k:", "b:" and "p:" lines of one binding, each ending in a line feed.
std::string BindingToText(const Binding& binding);
// One "k:", "b:" or "p:" line; the empty record (function 0) for anything else.
Binding ParseBindingLine(std::string_view line);
// The function whose config key this is, in any letter case; 0 when none is.
ControlFunction FunctionFromKey(std::string_view key);

}  // namespace bnx::config
