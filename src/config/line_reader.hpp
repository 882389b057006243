#pragma once
#include <cstddef>
#include <istream>
#include <string>

namespace bnx::config {

// Reads one line, keeping at most `maxChars` of it; the rest of a longer line
// is skipped (and `tooLong` set), so the lines after it are still read. False
// at end of input with nothing read.
inline bool ReadBoundedLine(std::istream& in, std::string& line, std::size_t maxChars,
                            bool& tooLong) {
  line.clear();
  tooLong = false;
  std::streambuf* buf = in.rdbuf();
  bool any = false;
  for (;;) {
    const int c = buf->sbumpc();
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
