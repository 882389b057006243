#include "insim/packets.hpp"

#include <algorithm>

namespace bnx::insim {

std::string Reader::text(std::size_t off, std::size_t width) const {
  std::string out;
  const std::size_t end = std::min(off + width, b_.size());
  for (std::size_t i = off; i < end && b_[i] != 0; ++i) out.push_back(char(b_[i]));
  return out;
}

std::string_view Reader::view(std::size_t off, std::size_t width) const {
  if (off >= b_.size()) return {};
  const std::size_t end = std::min(off + width, b_.size());
  std::size_t n = 0;
  while (off + n < end && b_[off + n] != 0) ++n;
  return {reinterpret_cast<const char*>(b_.data() + off), n};
}

Ver DecodeVer(Bytes p) {
  Reader r(p);
  return {r.u8(2), r.text(4, 8), r.text(12, 6), r.u8(18)};
}

Mso DecodeMso(Bytes p) {
  Reader r(p);
  return {r.u8(4), r.u8(5), r.u8(6), r.u8(7), r.text(8, 128)};
}

Ncn DecodeNcn(Bytes p) {
  Reader r(p);
  return {r.u8(3), r.u8(54)};
}

Cpr DecodeCpr(Bytes p) {
  Reader r(p);
  return {r.u8(3), r.view(4, 24)};
}

Npl DecodeNpl(Bytes p) {
  Reader r(p);
  return {r.u8(3), r.u8(4), r.u8(5), r.view(8, 24)};
}

Btc DecodeBtc(Bytes p) {
  Reader r(p);
  return {r.u8(2), r.u8(3), r.u8(4), r.u8(5), r.u8(6)};
}

std::size_t ButtonLength(const std::array<std::uint8_t, kBtnTextMax>& text, std::uint8_t typeIn) {
  auto cstrlen = [&](std::size_t from) {
    std::size_t n = 0;
    while (from + n < text.size() && text[from + n] != 0) ++n;
    return n;
  };
  std::size_t p = 0;
  if (typeIn != 0 && text[0] == 0) p = 2 + cstrlen(1);
  const std::size_t n = p + (p < text.size() ? cstrlen(p) : 0);
  if (n < kBtnTextMax) return 12 + (n / 4) * 4 + 4;
  return len::kBtnMax;
}

}  // namespace bnx::insim
