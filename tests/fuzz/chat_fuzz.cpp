// libFuzzer: whole IS_MSO packets. At most one effect, only for "/o" lines;
// a print reply is only letters, digits, carets and bracketed codes.
#include <cstdlib>
#include <sstream>

#include "commands/chat_commands.hpp"

using namespace bnx;

struct Counting : commands::ChatActions, insim::PacketSink {
  void OpenMainMenuFromChat() override { ++acts; }
  void SetLightsMode(std::uint32_t mode) override { acts += mode <= 3 ? 1 : 100; }
  void RescanControllers() override { ++acts; }
  void SendTiny(std::uint8_t, std::uint8_t) override { acts += 100; }
  void SendSmall(std::uint8_t, std::uint32_t) override { acts += 100; }
  void SendButton(const insim::Button&) override { acts += 100; }
  void SendDeleteButtons(std::uint8_t u, std::uint8_t f, std::uint8_t l) override { acts += u == 0 && f == 0 && l == 200 ? 1 : 100; }
  bool SendLocalMessage(std::string_view text, std::uint8_t sound) override {
    const bool plain = text.find_first_not_of("^[]0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") == text.npos;
    acts += plain && sound == 1 ? 1 : 100;
    return false;
  }
  int acts = 0;
};  // a wrong argument counts 100

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Counting c;
  std::ostringstream err;
  commands::MessageOut(insim::Bytes(data, size), c, c, err);
  if (c.acts > 1 || (c.acts == 1 && !(size > 8 && data[6] == 3)) || !err.str().empty()) std::abort();
  return 0;
}
