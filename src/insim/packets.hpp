#pragma once
// InSim packet catalogue: type numbers, lengths, and explicit little-endian
// encoding and decoding, each packet's encoder beside its decoder (packets.cpp).
// Nothing here casts wire bytes to structs, and nothing outside reads a packet
// by its offsets.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace bnx::insim {

using Bytes = std::span<const std::uint8_t>;

namespace type {
constexpr std::uint8_t kIsi = 1, kVer = 2, kTiny = 3, kSmall = 4, kSta = 5, kMso = 11, kNcn = 18,
                       kCpr = 20, kNpl = 21, kMsl = 40, kBfn = 42, kBtn = 45, kBtc = 46;
}
namespace tiny {
constexpr std::uint8_t kNone = 0, kClose = 2, kPing = 3, kReply = 4, kSst = 7, kNcn = 13, kNpl = 14;
}
namespace small {
constexpr std::uint8_t kLcs = 9, kLcl = 10;
}
namespace bfn {
constexpr std::uint8_t kDelBtn = 0, kUserClear = 2;
}

// Full record lengths in bytes.
namespace len {
constexpr std::size_t kIsi = 44, kVer = 20, kTiny = 4, kSmall = 8, kSta = 28, kMsoMax = 136,
                      kNcn = 56, kCpr = 36, kNpl = 76, kMsl = 132, kBfn = 8, kBtnMin = 16,
                      kBtnMax = 252, kBtc = 8;
}
constexpr std::size_t kBtnTextMax = 240;   // Text field of IS_BTN
constexpr std::size_t kBtnTextCopy = 239;  // what callers may put in it
constexpr std::size_t kMslTextMax = 127;
constexpr std::size_t kIsiTextWidth = 16;  // Admin and IName of IS_ISI, zero included

// What we send must be whole size units of 4 under InSim 9.
static_assert(len::kIsi % 4 == 0 && len::kTiny % 4 == 0 && len::kSmall % 4 == 0 &&
              len::kMsl % 4 == 0 && len::kBfn % 4 == 0 && len::kBtnMax % 4 == 0);
static_assert(len::kBtnMax == 12 + kBtnTextMax && len::kMsl == 4 + kMslTextMax + 1);

constexpr std::uint16_t kIsfLocal = 4;
constexpr std::uint8_t kNcnRemote = 4;
constexpr std::uint8_t kPTypeAi = 2, kPTypeRemote = 4;
constexpr std::uint16_t kStaDialog = 0x0010, kStaTextEntry = 0x8000;
constexpr std::uint8_t kMsoO = 3;  // UserType of a "/o" line

// Bounds-checked little-endian reader: past the end of the packet every byte
// reads as zero, so a short packet reads as zeros in its missing fields.
class Reader {
 public:
  explicit Reader(Bytes b) : b_(b) {}
  std::uint8_t u8(std::size_t off) const { return off < b_.size() ? b_[off] : 0; }
  std::uint16_t u16(std::size_t off) const { return std::uint16_t(u8(off) | (u8(off + 1) << 8)); }
  std::uint32_t u32(std::size_t off) const {
    return std::uint32_t(u16(off)) | (std::uint32_t(u16(off + 2)) << 16);
  }
  // A zero-terminated text of a field of `width` bytes, read only within the packet.
  std::string text(std::size_t off, std::size_t width) const;
  // The same as a view into the packet's bytes: no allocation.
  std::string_view view(std::size_t off, std::size_t width) const;
  std::size_t size() const { return b_.size(); }

 private:
  Bytes b_;
};

// Every packet starts with Size (in size units), Type and ReqI.
inline std::uint8_t PacketType(Bytes p) { return Reader(p).u8(1); }

// The packets, as the program describes them. `unit` is the size unit of
// the connection (1, or 4 under InSim 9): Size is the length divided by it.

// IS_ISI: asks LFS for the connection.
struct Isi {
  std::uint8_t reqi = 1;
  std::uint16_t flags = kIsfLocal;
  std::uint8_t insimVer = 8;
  char prefix = '!';
  std::string admin, iname;  // cut to 15 characters
};
std::array<std::uint8_t, len::kIsi> EncodeIsi(const Isi& isi, int unit);

struct Ver {
  std::uint8_t reqi = 0;
  std::string version, product;
  std::uint8_t insimVer = 0;
};
Ver DecodeVer(Bytes p);

struct Tiny {
  std::uint8_t reqi = 0, subt = 0;
};
std::array<std::uint8_t, len::kTiny> EncodeTiny(const Tiny& tiny, int unit);
Tiny DecodeTiny(Bytes p);

// IS_SMALL; its ReqI is always 0.
std::array<std::uint8_t, len::kSmall> EncodeSmall(std::uint8_t subt, std::uint32_t uval, int unit);

struct Sta {
  std::uint16_t flags = 0;
};
Sta DecodeSta(Bytes p);

struct Mso {
  std::uint8_t ucid = 0, plid = 0, userType = 0, textStart = 0;
  std::string_view msg;  // within the packet: a chat line costs no allocation
};
Mso DecodeMso(Bytes p);

struct Ncn {
  std::uint8_t ucid = 0, flags = 0;
};
Ncn DecodeNcn(Bytes p);

// Names are views into the received packet, valid while it is.
struct Cpr {
  std::uint8_t ucid = 0;
  std::string_view pname;
};
Cpr DecodeCpr(Bytes p);

struct Npl {
  std::uint8_t plid = 0, ucid = 0, ptype = 0;
  std::string_view pname;
};
Npl DecodeNpl(Bytes p);

// IS_MSL, its text cut to 127 bytes.
std::array<std::uint8_t, len::kMsl> EncodeMsl(std::string_view text, std::uint8_t sound, int unit);

// IS_BFN: sent to delete buttons, received when the player clears them.
struct Bfn {
  std::uint8_t subt = bfn::kDelBtn, ucid = 0, clickId = 0, clickMax = 0;
};
std::array<std::uint8_t, len::kBfn> EncodeBfn(const Bfn& bfn, int unit);
Bfn DecodeBfn(Bytes p);

// IS_BTN.
struct Button {
  std::uint8_t reqi = 1, ucid = 0, clickId = 0, inst = 0, style = 0, typeIn = 0;
  std::uint8_t l = 0, t = 0, w = 0, h = 0;
  std::string text;  // may hold "\0caption\0text" when typeIn is set; cut to 239 bytes
};
using ButtonBytes = std::array<std::uint8_t, len::kBtnMax>;
// Fills `out` and returns the length to send: the text up to its terminating
// zero, in whole units of four.
std::size_t EncodeButton(const Button& button, int unit, ButtonBytes& out);
// Length in bytes of an IS_BTN whose 240-byte Text field holds `text`.
std::size_t ButtonLength(const std::array<std::uint8_t, kBtnTextMax>& text, std::uint8_t typeIn);

struct Btc {
  std::uint8_t reqi = 0, ucid = 0, clickId = 0, inst = 0, cflags = 0;
};
Btc DecodeBtc(Bytes p);

}  // namespace bnx::insim
