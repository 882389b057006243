#pragma once
#include <cstddef>
#include <istream>
#include <string>

namespace bnx::config {

// How a line read by ReadBoundedLine ended.
enum class LineEnd { kNone, kLf, kCrLf, kCr };

// Reads one line, keeping at most `maxChars` of it; the rest of a longer line
// is skipped (and `tooLong` set), so the lines after it are still read. CR LF
// ends a line like LF, so that a file opened in binary mode reads the same on
// every platform (a text-mode stream on Windows would also stop at a Ctrl-Z
// byte); a lone CR is kept, or ends the line too with `loneCrEnds`. False at end of input with nothing read, and on a
// read error, which also sets badbit: the file stream throws from its buffer
// when the disk, the share or a folder opened as a file fails a read, and that
// must not end the program.
inline bool ReadBoundedLine(std::istream& in, std::string& line, std::size_t maxChars,
                            bool& tooLong, LineEnd* end = nullptr, bool loneCrEnds = false) {
  line.clear();
  tooLong = false;
  if (end) *end = LineEnd::kNone;
  std::streambuf* buf = in.rdbuf();
  constexpr int kEof = std::char_traits<char>::eof();
  bool any = false;
  for (;;) {
    int c, next = kEof;
    try {
      c = buf ? buf->sbumpc() : kEof;
      if (c == '\r') next = buf->sgetc();
      if (next == '\n') buf->sbumpc();
    } catch (...) {
      in.setstate(std::ios::badbit);
      return false;
    }
    if (c == kEof) {
      in.setstate(std::ios::eofbit);
      return any;
    }
    any = true;
    if (c == '\n' || next == '\n' || (c == '\r' && loneCrEnds)) {
      if (end) *end = c == '\n' ? LineEnd::kLf : next == '\n' ? LineEnd::kCrLf : LineEnd::kCr;
      return true;
    }
    if (line.size() < maxChars)
      line.push_back(static_cast<char>(c));
    else
      tooLong = true;
  }
}

}  // namespace bnx::config
