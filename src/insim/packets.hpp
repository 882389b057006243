#pragma once
// InSim packet catalogue: type numbers, lengths, and explicit little-endian
// encoding and decoding. Nothing here casts wire bytes to structs.
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
constexpr std::size_t kBtnTextMax = 240;  // Text field of IS_BTN
constexpr std::size_t kBtnTextCopy = 239;  // what callers may put in it
constexpr std::size_t kMslTextMax = 127;

static_assert(len::kIsi % 4 == 0 && len::kTiny % 4 == 0 && len::kSmall % 4 == 0 &&
              len::kMsl % 4 == 0 && len::kBfn % 4 == 0 && len::kBtnMax % 4 == 0);
static_assert(len::kBtnMax == 12 + kBtnTextMax);

constexpr std::uint8_t kIsfLocal = 4;
constexpr std::uint8_t kNcnRemote = 4;
constexpr std::uint8_t kPTypeAi = 2, kPTypeRemote = 4;
constexpr std::uint16_t kStaDialog = 0x0010, kStaTextEntry = 0x8000;

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

inline void put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v) {
  put16(p, std::uint16_t(v));
  put16(p + 2, std::uint16_t(v >> 16));
}

// Decoded packets that the program reads.
struct Ver {
  std::uint8_t reqi = 0;
  std::string version, product;
  std::uint8_t insimVer = 0;
};
struct Mso {
  std::uint8_t ucid = 0, plid = 0, userType = 0, textStart = 0;
  std::string msg;
};
struct Ncn {
  std::uint8_t ucid = 0, flags = 0;
};
// Names are views into the received packet, valid while it is.
struct Cpr {
  std::uint8_t ucid = 0;
  std::string_view pname;
};
struct Npl {
  std::uint8_t plid = 0, ucid = 0, ptype = 0;
  std::string_view pname;
};
struct Btc {
  std::uint8_t reqi = 0, ucid = 0, clickId = 0, inst = 0, cflags = 0;
};

Ver DecodeVer(Bytes p);
Mso DecodeMso(Bytes p);
Ncn DecodeNcn(Bytes p);
Cpr DecodeCpr(Bytes p);
Npl DecodeNpl(Bytes p);
Btc DecodeBtc(Bytes p);
inline std::uint16_t StaFlags(Bytes sta) { return Reader(sta).u16(8); }

// A button as the program describes it; encoded by EncodeButton.
struct Button {
  std::uint8_t reqi = 1, ucid = 0, clickId = 0, inst = 0, style = 0, typeIn = 0;
  std::uint8_t l = 0, t = 0, w = 0, h = 0;
  std::string text;  // may hold "\0caption\0text" when typeIn is set
};

// Length in bytes of an IS_BTN whose 240-byte Text field holds `text`.
std::size_t ButtonLength(const std::array<std::uint8_t, kBtnTextMax>& text, std::uint8_t typeIn);

}  // namespace bnx::insim
