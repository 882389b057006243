#pragma once
// A PacketSink that keeps every call, in order, as the link would put it on
// the wire (button texts cut to 239 bytes, messages to 127).
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "insim/sink.hpp"

namespace bnx::test {

struct Sent {
  enum class Kind { kTiny, kSmall, kButton, kDelete, kMessage };
  Kind kind = Kind::kTiny;
  // kTiny: reqi, subt. kSmall: subt, uval.
  std::uint8_t reqi = 0, subt = 0;
  std::uint32_t uval = 0;
  // kButton.
  insim::Button button;
  // kDelete: IS_BFN BFN_DEL_BTN.
  std::uint8_t ucid = 0, clickId = 0, clickMax = 0;
  // kMessage: IS_MSL.
  std::string text;
  std::uint8_t sound = 0;
  bool cut = false;
};

struct Delete {
  std::uint8_t ucid, clickId, clickMax;
  bool operator==(const Delete&) const = default;
};
struct Message {
  std::string text;
  std::uint8_t sound;
  bool operator==(const Message&) const = default;
};
struct Small {
  std::uint8_t subt;
  std::uint32_t uval;
  bool operator==(const Small&) const = default;
};
struct Tiny {
  std::uint8_t reqi, subt;
  bool operator==(const Tiny&) const = default;
};

// Every field of a button, comparable and printable in test assertions.
inline auto Fields(const insim::Button& b) {
  return std::make_tuple(b.reqi, b.ucid, b.clickId, b.inst, b.style, b.typeIn, b.l, b.t, b.w, b.h,
                         b.text);
}

class RecordingSink : public insim::PacketSink {
 public:
  void SendTiny(std::uint8_t reqi, std::uint8_t subt) override;
  void SendSmall(std::uint8_t subt, std::uint32_t uval) override;
  void SendButton(const insim::Button& button) override;
  void SendDeleteButtons(std::uint8_t ucid, std::uint8_t clickId, std::uint8_t clickMax) override;
  bool SendLocalMessage(std::string_view text, std::uint8_t sound) override;

  // Every call, in order.
  const std::vector<Sent>& sent() const { return sent_; }
  std::size_t size() const { return sent_.size(); }
  bool empty() const { return sent_.empty(); }
  void clear() { sent_.clear(); }

  // Each kind on its own, in order.
  std::vector<insim::Button> buttons() const;
  std::vector<Delete> deletes() const;
  std::vector<Message> messages() const;
  std::vector<Small> smalls() const;
  std::vector<Tiny> tinies() const;

  // Buttons sent with that ClickID, in order; the last one, if any.
  std::vector<insim::Button> buttonsWithId(std::uint8_t clickId) const;
  std::optional<insim::Button> lastButton(std::uint8_t clickId) const;
  // Whether any button or deletion touched a ClickID in [first, last].
  bool touched(std::uint8_t first, std::uint8_t last) const;

 private:
  std::vector<Sent> sent_;
};

}  // namespace bnx::test
