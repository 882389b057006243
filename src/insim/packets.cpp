#include "insim/packets.hpp"

#include <algorithm>
#include <cstring>

namespace bnx::insim {

namespace {

// The header every packet starts with.
constexpr std::size_t kSize = 0, kType = 1, kReqI = 2, kSubT = 3;

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, std::uint16_t(v));
  Put16(p + 2, std::uint16_t(v >> 16));
}

// Zero-filled, cut so that a terminating zero always fits.
void PutText(std::uint8_t* field, std::size_t width, std::string_view text) {
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

template <std::size_t N>
std::array<std::uint8_t, N> Header(std::uint8_t type, std::uint8_t reqi, int unit) {
  std::array<std::uint8_t, N> p{};
  p[kSize] = std::uint8_t(N / std::size_t(unit));
  p[kType] = type;
  p[kReqI] = reqi;
  return p;
}

}  // namespace

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

// IS_ISI: Zero, UDPPort (2), Flags (2), InSimVer, Prefix, Interval (2), Admin, IName.
namespace isi {
constexpr std::size_t kFlags = 6, kInSimVer = 8, kPrefix = 9, kAdmin = 12, kIName = 28;
static_assert(kIName + kIsiTextWidth == len::kIsi);
}  // namespace isi

std::array<std::uint8_t, len::kIsi> EncodeIsi(const Isi& in, int unit) {
  auto p = Header<len::kIsi>(type::kIsi, in.reqi, unit);
  Put16(&p[isi::kFlags], in.flags);
  p[isi::kInSimVer] = in.insimVer;
  p[isi::kPrefix] = std::uint8_t(in.prefix);
  PutText(&p[isi::kAdmin], kIsiTextWidth, in.admin);
  PutText(&p[isi::kIName], kIsiTextWidth, in.iname);
  return p;
}

// IS_VER: Zero, Version (8), Product (6), InSimVer, Spare.
Ver DecodeVer(Bytes p) {
  Reader r(p);
  return {r.u8(kReqI), r.text(4, 8), r.text(12, 6), r.u8(18)};
}

// IS_TINY: SubT.
std::array<std::uint8_t, len::kTiny> EncodeTiny(const Tiny& tiny, int unit) {
  auto p = Header<len::kTiny>(type::kTiny, tiny.reqi, unit);
  p[kSubT] = tiny.subt;
  return p;
}

Tiny DecodeTiny(Bytes p) {
  Reader r(p);
  return {r.u8(kReqI), r.u8(kSubT)};
}

// IS_SMALL: SubT, UVal (4).
std::array<std::uint8_t, len::kSmall> EncodeSmall(std::uint8_t subt, std::uint32_t uval, int unit) {
  auto p = Header<len::kSmall>(type::kSmall, 0, unit);
  p[kSubT] = subt;
  Put32(&p[4], uval);
  return p;
}

// IS_STA: ReplaySpeed (4), Flags (2), ...
Sta DecodeSta(Bytes p) { return {Reader(p).u16(8)}; }

// IS_MSO: Zero, UCID, PLID, UserType, TextStart, Msg (up to 128).
Mso DecodeMso(Bytes p) {
  Reader r(p);
  constexpr std::size_t kMsg = 8;
  static_assert(len::kMsoMax == kMsg + 128);
  return {r.u8(4), r.u8(5), r.u8(6), r.u8(7), r.view(kMsg, len::kMsoMax - kMsg)};
}

// IS_NCN: UCID, UName (24), PName (24), Admin, Total, Flags, Sp3.
Ncn DecodeNcn(Bytes p) {
  Reader r(p);
  return {r.u8(3), r.u8(54)};
}

// IS_CPR: UCID, PName (24), Plate (8).
Cpr DecodeCpr(Bytes p) {
  Reader r(p);
  return {r.u8(3), r.view(4, 24)};
}

// IS_NPL: PLID, UCID, PType, Flags (2), PName (24), ...
Npl DecodeNpl(Bytes p) {
  Reader r(p);
  return {r.u8(3), r.u8(4), r.u8(5), r.view(8, 24)};
}

// IS_MSL: Sound, Msg (128).
std::array<std::uint8_t, len::kMsl> EncodeMsl(std::string_view text, std::uint8_t sound, int unit) {
  auto p = Header<len::kMsl>(type::kMsl, 0, unit);
  p[3] = sound;
  std::memcpy(&p[4], text.data(), std::min(text.size(), kMslTextMax));
  return p;
}

// IS_BFN: SubT, UCID, ClickID, ClickMax, Inst.
std::array<std::uint8_t, len::kBfn> EncodeBfn(const Bfn& bfn, int unit) {
  auto p = Header<len::kBfn>(type::kBfn, 0, unit);
  p[kSubT] = bfn.subt;
  p[4] = bfn.ucid;
  p[5] = bfn.clickId;
  p[6] = bfn.clickMax;
  return p;
}

Bfn DecodeBfn(Bytes p) {
  Reader r(p);
  return {r.u8(kSubT), r.u8(4), r.u8(5), r.u8(6)};
}

// IS_BTN: UCID, ClickID, Inst, BStyle, TypeIn, L, T, W, H, Text (240).
namespace btn {
constexpr std::size_t kText = 12;
static_assert(kText + kBtnTextMax == len::kBtnMax);
}  // namespace btn

std::size_t EncodeButton(const Button& b, int unit, ButtonBytes& out) {
  out = Header<len::kBtnMax>(type::kBtn, b.reqi, unit);
  const std::uint8_t fields[] = {b.ucid, b.clickId, b.inst, b.style, b.typeIn, b.l, b.t, b.w, b.h};
  static_assert(3 + sizeof fields == btn::kText);
  std::memcpy(&out[3], fields, sizeof fields);
  std::array<std::uint8_t, kBtnTextMax> text{};
  std::memcpy(text.data(), b.text.data(), std::min(b.text.size(), kBtnTextCopy));
  std::memcpy(&out[btn::kText], text.data(), text.size());
  const std::size_t length = ButtonLength(text, b.typeIn);
  out[kSize] = std::uint8_t(length / std::size_t(unit));
  return length;
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
  if (n < kBtnTextMax) return btn::kText + (n / 4) * 4 + 4;
  return len::kBtnMax;
}

// IS_BTC: UCID, ClickID, Inst, CFlags, Sp3.
Btc DecodeBtc(Bytes p) {
  Reader r(p);
  return {r.u8(kReqI), r.u8(3), r.u8(4), r.u8(5), r.u8(6)};
}

}  // namespace bnx::insim
