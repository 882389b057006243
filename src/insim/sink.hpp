#pragma once
#include <cstdint>
#include <string_view>

#include "insim/packets.hpp"

namespace bnx::insim {

// What the engine, the HUD, the screens and the commands may send. The link
// implements it over the socket; tests record it.
class PacketSink {
 public:
  virtual ~PacketSink() = default;
  virtual void SendTiny(std::uint8_t reqi, std::uint8_t subt) = 0;
  virtual void SendSmall(std::uint8_t subt, std::uint32_t uval) = 0;
  // Text is cut to 239 bytes.
  virtual void SendButton(const Button& button) = 0;
  // IS_BFN BFN_DEL_BTN.
  virtual void SendDeleteButtons(std::uint8_t ucid, std::uint8_t clickId,
                                 std::uint8_t clickMax) = 0;
  // IS_MSL; true when the text had to be cut to 127 characters.
  virtual bool SendLocalMessage(std::string_view text, std::uint8_t sound) = 0;
};

}  // namespace bnx::insim
