#include "config/safe_write.hpp"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "platform/files.hpp"

namespace bnx::config {
namespace {

namespace fs = std::filesystem;

std::atomic<int> savesUnderway{0};

struct SaveUnderway {
  SaveUnderway() { ++savesUnderway; }
  ~SaveUnderway() { --savesUnderway; }
  SaveUnderway(const SaveUnderway&) = delete;
  SaveUnderway& operator=(const SaveUnderway&) = delete;
};

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
    std::snprintf(token, sizeof token, ".%08x%08x-%u-%d.tmp", unsigned(rd()), unsigned(rd()), save,
                  attempt);
    fs::path dir = file;
    dir += token;
    if (fs::create_directory(dir, ec)) return dir;
    if (ec && ec != std::errc::file_exists) return {};
  }
  if (!ec) ec = std::make_error_code(std::errc::file_exists);
  return {};
}

// Writes what `fill` puts out over `path` and flushes it; false when any of it
// failed.
template <typename Fill>
bool WriteWhole(const fs::path& path, std::ios::openmode mode, const BufferWrap& wrap, Fill fill) {
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
bool WriteText(const fs::path& path, std::string_view text, const BufferWrap& wrap,
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
bool KeepCopy(const fs::path& file, const fs::path& dir, const std::string& reason,
              std::ostream& notes, const BufferWrap& wrap, std::string& why) {
  const fs::path kept = dir / "kept";
  std::ifstream in(file, std::ios::binary);
  const bool copied =
      in.is_open() && WriteWhole(kept, std::ios::binary, wrap, [&](std::ostream& os) {
        char block[16384];
        while (in.read(block, sizeof block) || in.gcount() > 0) os.write(block, in.gcount());
        return !in.bad();
      });
  bool replacing = false;
  const fs::path copy = KeptCopyPath(file, replacing);
  std::error_code ec;
  if (copied) fs::rename(kept, copy, ec);
  if (!copied || ec) {
    why = "it has " + reason + ", and no copy of it could be kept as " + copy.string() +
          (ec ? ": " + ec.message() : std::string()) + "; it was left as it was";
    return false;
  }
  notes << file.string() << " had " << reason << ": the old file is kept as "
        << fs::absolute(copy, ec).string() << (replacing ? " (replacing an older copy)" : "")
        << std::endl;
  return true;
}

}  // namespace

bool SafeReplace(const fs::path& path, std::string_view text, const KeepOld& keep,
                 std::ostream& notes, std::string& why, const BufferWrap& wrap) {
  const SaveUnderway underway;
  const fs::path target = platform::FileBehindLinks(path);
  fs::path dir;
  auto fail = [&](std::string reason) {
    std::error_code ignored;
    if (!dir.empty()) fs::remove_all(dir, ignored);
    why = std::move(reason);
    return false;
  };
  try {
    std::error_code ec;
    const bool exists = fs::exists(target, ec);
    if (exists && !Writable(target)) return fail("the file is read-only; it was left as it was");
    const bool keepOld = exists && keep.wanted && keep.wanted(target);

    dir = PrivateFolderBeside(target, ec);
    if (dir.empty()) {
      if (keepOld)
        return fail("it has " + keep.reason + ", and no copy of it could be kept beside it: " +
                    ec.message() + "; it was left as it was");
      if (!exists ||
          (ec != std::errc::permission_denied && ec != std::errc::operation_not_permitted))
        return fail("cannot create a temporary file beside " + target.string() + ": " +
                    ec.message());
      // A folder the player may not write to, with the file made writable
      // (a shared install): write in place, and never leave a cut file.
      std::string old;
      if (!ReadWhole(target, old)) return fail("the file could not be read; it was left as it was");
      if (WriteText(target, text, wrap)) return true;
      // Byte for byte: in text mode Windows would put a CR before every CR LF.
      return fail(WriteText(target, old, {}, std::ios::binary)
                      ? "the file could not be written completely; the old one is kept"
                      : "the file could not be written completely, nor its old text put back");
    }
    std::string notKept;
    if (keepOld && !KeepCopy(target, dir, keep.reason, notes, wrap, notKept)) return fail(notKept);
    if (!WriteText(dir / target.filename(), text, wrap))
      return fail("the file could not be written completely; the old one is kept");
    // Replaces the old file in one step (on Windows too: MoveFileEx with
    // MOVEFILE_REPLACE_EXISTING underneath).
    fs::rename(dir / target.filename(), target, ec);
    if (ec) return fail(ec.message());
    fs::remove(dir, ec);
    return true;
  } catch (const std::exception& e) {
    return fail(e.what());
  } catch (...) {
    return fail("Unknown exception");
  }
}

int SavesUnderway() { return savesUnderway.load(); }

}  // namespace bnx::config
