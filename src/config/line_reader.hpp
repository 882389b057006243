#pragma once
#include <cstddef>
#include <istream>
#include <string>

namespace bnx::config {

// Reads one line, keeping at most `maxChars` of it; the rest of a longer line
// is skipped (and `tooLong` set), so the lines after it are still read. False
// at end of input with nothing read, and on a read error, which also sets
// badbit: the file stream throws from its buffer when the disk, the share or
// a folder opened as a file fails a read, and that must not end the program.
inline bool ReadBoundedLine(std::istream& in, std::string& line, std::size_t maxChars,
                            bool& tooLong) {
  line.clear();
  tooLong = false;
  std::streambuf* buf = in.rdbuf();
  bool any = false;
  for (;;) {
    int c;
    try {
      c = buf ? buf->sbumpc() : std::char_traits<char>::eof();
    } catch (...) {
      in.setstate(std::ios::badbit);
      return false;
    }
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return any;
    }
    any = true;
    if (c == '\n') return true;
    if (line.size() < maxChars)
      line.push_back(static_cast<char>(c));
    else
      tooLong = true;
  }
}

}  // namespace bnx::config
