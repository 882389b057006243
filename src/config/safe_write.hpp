#pragma once
// Replacing a file the player keeps, whatever its contents: an interrupted
// write leaves the old file, links are followed and kept, a read-only file is
// never replaced, and an old file worth keeping is put beside it first.
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace bnx::config {

// Test seam: lets a test put a failing buffer between the writer and the file.
using BufferWrap = std::function<std::unique_ptr<std::streambuf>(std::streambuf& file)>;

struct KeepOld {
  // Whether the existing file (links followed) is kept before it is replaced.
  std::function<bool(const std::filesystem::path& file)> wanted;
  // What is wrong with such a file, for the messages: "it has <reason>".
  std::string reason;
};

// Writes `text` (text mode: CR LF on Windows) beside the file first, in a
// temporary folder of its own, and then puts it in place in one step. A file
// that `keep` wants is first kept as ".bak" (".bak2" to ".bak9" when taken),
// and said so on `notes`. In a folder the player may not write to, a writable
// file is written in place, and put back when that fails. True when replaced;
// false, with `why`, when the file was left as it was (or put back).
bool SafeReplace(const std::filesystem::path& path, std::string_view text, const KeepOld& keep,
                 std::ostream& notes, std::string& why, const BufferWrap& wrap = {});

// Replacements being written now, by any thread: a stop lets them finish.
int SavesUnderway();

}  // namespace bnx::config
