#pragma once
// Loading and saving Beaconix.cfg: what a file loads as, what is reported,
// and when the old file is kept before a save replaces it. The lines
// themselves are config_format's; the replacing is safe_write's.
#include <istream>
#include <ostream>
#include <string>

#include "config/config.hpp"
#include "config/safe_write.hpp"

namespace bnx::config {

// Whether a file loaded. kLoaded may still have skipped lines, each reported.
enum class LoadResult { kLoaded, kNotLoaded };
// Whether a Save reached the disk.
enum class SaveResult { kWritten, kNotWritten };

// Reads Beaconix.cfg into `cfg`; fields the file does not set keep their values,
// the bindings are replaced by the file's, merged. kNotLoaded when the file
// cannot be opened or read, or has no accepted "m:" or "l:" line. Problems with
// single lines are reported on `err`.
LoadResult LoadConfig(Config& cfg, const std::string& path, std::ostream& err);
// The same, from an open stream.
LoadResult ReadConfig(Config& cfg, std::istream& in, std::ostream& err);

// Replaces the file safely (safe_write). A file with lines that did not load
// exactly is first kept as ".bak". kNotWritten is reported on `err`.
SaveResult SaveConfig(const Config& cfg, const std::string& path, std::ostream& err);

// Siren modes and category 0; the bindings become PageDown for the flashing
// lights and PageUp for the siren. Lights mode and options stay.
void LoadDefaults(Config& cfg);

// Start-up: "Loading Config... ", then the defaults when `cfg.fileName` does not
// load. Returns how the file stood.
FileStatus LoadStartupConfig(Config& cfg, std::ostream& out, std::ostream& err);

namespace detail {
SaveResult SaveConfigThrough(const Config& cfg, const std::string& path, std::ostream& err,
                             const BufferWrap& wrap);
}  // namespace detail

}  // namespace bnx::config
