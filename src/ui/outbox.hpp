#pragma once
// Holds what a click sends while the state lock is held, so that the socket
// writes happen after the lock is released and never hold up a tick.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "insim/sink.hpp"

namespace bnx::ui {

class Outbox : public insim::PacketSink {
 public:
  void SendTiny(std::uint8_t reqi, std::uint8_t subt) override;
  void SendSmall(std::uint8_t subt, std::uint32_t uval) override;
  void SendButton(const insim::Button& button) override;
  void SendDeleteButtons(std::uint8_t ucid, std::uint8_t clickId, std::uint8_t clickMax) override;
  // Always reports the text as not cut: the link decides that when it sends.
  bool SendLocalMessage(std::string_view text, std::uint8_t sound) override;

  // Sends everything held, in order, and empties the box.
  void SendTo(insim::PacketSink& sink);
  bool empty() const { return items_.empty(); }
  void Swap(Outbox& other) noexcept { items_.swap(other.items_); }

 private:
  enum class Kind : std::uint8_t { kTiny, kSmall, kButton, kDelete, kMessage };
  struct Item {
    Kind kind = Kind::kTiny;
    std::uint8_t a = 0, b = 0, c = 0;
    std::uint32_t value = 0;
    insim::Button button;  // kButton; kMessage keeps its text here
  };
  Item& Add(Kind kind, std::uint8_t a = 0, std::uint8_t b = 0, std::uint8_t c = 0);
  std::vector<Item> items_;
};

}  // namespace bnx::ui
