#include "config/base64.hpp"

#include <algorithm>
#include <cstdint>

namespace bnx::config {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::uint32_t Sextet(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<std::uint32_t>(c - 'A');
  if (c >= 'a' && c <= 'z') return static_cast<std::uint32_t>(c - 'a' + 26);
  if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0' + 52);
  if (c == '+') return 62;
  if (c == '/') return 63;
  return 0;
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t v = static_cast<std::uint8_t>(bytes[i]) << 16 |
                            static_cast<std::uint8_t>(bytes[i + 1]) << 8 |
                            static_cast<std::uint8_t>(bytes[i + 2]);
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += kAlphabet[v >> 6 & 63];
    out += kAlphabet[v & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t v = static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])) << 16;
    if (rest == 2) v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + 1])) << 8;
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += rest == 2 ? kAlphabet[v >> 6 & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  std::size_t padding = 0;
  while (padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
  // The stored length rule: the whole text's bits, less one byte per trailing "=".
  const std::size_t bits = text.size() * 6 / 8;
  const std::size_t length = bits > padding ? bits - padding : 0;

  const std::size_t end = std::min(text.find('='), text.size());
  std::string out;
  out.reserve(end / 4 * 3 + 2);
  std::uint32_t acc = 0;
  int held = 0;
  for (std::size_t i = 0; i < end; ++i) {
    acc = acc << 6 | Sextet(text[i]);
    if (++held == 4) {
      out += static_cast<char>(acc >> 16 & 0xFF);
      out += static_cast<char>(acc >> 8 & 0xFF);
      out += static_cast<char>(acc & 0xFF);
      acc = 0;
      held = 0;
    }
  }
  if (held == 2) {
    out += static_cast<char>(acc >> 4 & 0xFF);
  } else if (held == 3) {
    out += static_cast<char>(acc >> 10 & 0xFF);
    out += static_cast<char>(acc >> 2 & 0xFF);
  }
  if (out.size() > length) out.resize(length);
  return out;
}

}  // namespace bnx::config
