#pragma once
// Text helpers that know only ASCII: bytes above 0x7F belong to code pages
// (or are halves of two-byte glyphs) and must not be touched by a locale.
#include <string>
#include <string_view>

namespace bnx {

// The blanks of C's isspace: space, tab, LF, VT, FF, CR.
constexpr std::string_view kAsciiBlanks = " \t\n\v\f\r";

inline bool IsAsciiBlank(char c) { return kAsciiBlanks.find(c) != std::string_view::npos; }

inline std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kAsciiBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kAsciiBlanks) - first + 1);
}

// Only A to Z change.
inline std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

// Only a to z change.
inline std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return out;
}

}  // namespace bnx
