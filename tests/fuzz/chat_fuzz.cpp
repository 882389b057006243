// libFuzzer target: whole IS_MSO packets through the chat commands. Besides
// "no crash, no sanitizer report": nothing is sent or done unless the text
// after TextStart is a "/o bnx" line, and a print reply is only letters,
// digits, carets and bracketed codes.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "commands/chat_commands.hpp"

using namespace bnx;

namespace {

struct Counting : commands::ChatActions, insim::PacketSink {
  void OpenMainMenuFromChat() override { ++acts; }
  void SetLightsMode(std::uint32_t mode) override { acts += mode <= 3 ? 1 : 1000; }
  void RescanControllers() override { ++acts; }
  void SendTiny(std::uint8_t, std::uint8_t) override { acts += 1000; }
  void SendSmall(std::uint8_t, std::uint32_t) override { acts += 1000; }
  void SendButton(const insim::Button&) override { acts += 1000; }
  void SendDeleteButtons(std::uint8_t u, std::uint8_t f, std::uint8_t l) override {
    acts += (u == 0 && f == 0 && l == 200) ? 1 : 1000;
  }
  bool SendLocalMessage(std::string_view text, std::uint8_t sound) override {
    if (text.find_first_not_of("^[]0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") !=
            std::string_view::npos || sound != 1) {
      std::abort();
    }
    ++acts;
    return false;
  }
  int acts = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Counting c;
  std::ostringstream err;
  commands::MessageOut(insim::Bytes(data, size), c, c, err);
  const std::string text = insim::Reader(insim::Bytes(data, size)).text(8, 128);
  const bool forUs = size > 7 && data[6] == 3 && text.size() > std::size_t(data[7]) + 1 &&
                     text.find_first_of("bB", data[7]) != std::string::npos;
  if (c.acts > 1 || (c.acts == 1 && !forUs) || !err.str().empty()) std::abort();
  return 0;
}
