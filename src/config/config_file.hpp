#pragma once
#include <cstddef>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "config/config.hpp"

namespace bnx::config {

// Longest line read from Beaconix.cfg. The writer's longest line (a 260-byte
// product name) is about 420 characters; longer lines are reported and skipped.
constexpr std::size_t kMaxLineLength = 4096;

// Reads Beaconix.cfg into `cfg`; fields the file does not set keep their values,
// the bindings are replaced by the file's, merged. 0 on success; 1 when the file
// cannot be opened, has a malformed line, or has no accepted "m:" or "l:" line.
// Problems with single lines are reported on `err`.
int LoadConfig(Config& cfg, const std::string& path, std::ostream& err);
// The same, from an open stream.
int ReadConfig(Config& cfg, std::istream& in, std::ostream& err);

// Writes the file beside itself first, in a temporary folder of its own, and
// then puts it in place, so an interrupted save leaves the old file. A path
// that is a symbolic link saves to the link's target and keeps the link. A
// file with lines that did not load exactly is first kept as ".bak" (".bak2"
// to ".bak9" when taken). 0 when written; 1 (reported on `err`) when it could
// not be.
int SaveConfig(const Config& cfg, const std::string& path, std::ostream& err);
// Saves being written now, by any thread: a stop lets them finish.
int SavesUnderway();
// The file's lines, in order.
void WriteConfig(const Config& cfg, std::ostream& os);

// Siren modes and category 0; the bindings become PageDown for the flashing
// lights and PageUp for the siren. Lights mode and options stay.
void LoadDefaults(Config& cfg);

// Start-up: "Loading Config... ", then the defaults when `cfg.fileName` does not
// load. Returns how the file stood.
FileStatus LoadStartupConfig(Config& cfg, std::ostream& out, std::ostream& err);

// The "k:", "b:" and "p:" lines of one binding, each ending in a line feed.
std::string BindingToText(const Binding& binding);
// One "k:", "b:" or "p:" line; the empty record (function 0) for anything else.
Binding ParseBindingLine(std::string_view line);
// The function whose config key this is, in any letter case; 0 when none is.
ControlFunction FunctionFromKey(std::string_view key);

namespace detail {
// Test seam: lets a test put a failing buffer between the writer and the file.
using BufferWrap = std::function<std::unique_ptr<std::streambuf>(std::streambuf& file)>;
int SaveConfigThrough(const Config& cfg, const std::string& path, std::ostream& err,
                      const BufferWrap& wrap);
}  // namespace detail

}  // namespace bnx::config
