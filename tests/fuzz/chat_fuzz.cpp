// libFuzzer: whole IS_MSO packets. At most one effect, only for "/o" lines: an
// action, or what is sent back (all with sound 1): a print reply of only letters,
// digits, carets and bracketed codes, one prefixed reply, help's or status's lines
// in order; a rescan is its action and its count.
#include <cstdlib>
#include <sstream>

#include "commands/chat_commands.hpp"
#include "support/recording_sink.hpp"

using namespace bnx;

struct Actions : commands::ChatActions {
  void OpenMainMenuFromChat() override { ++acts; }
  void SetLightsMode(std::uint32_t mode) override { acts += mode <= 3 ? 1 : 100; }
  std::size_t RescanControllers() override { return ++rescans + 1; }
  void ClearButtons() override { ++acts; }
  commands::Status ReadStatus() override { return {}; }
  int acts = 0, rescans = 0;
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Actions a;
  test::RecordingSink sink;
  std::ostringstream err;
  commands::MessageOut(insim::Bytes(data, size), a, sink, err);
  const std::string reply = "^1[RZ]^7 Lights^9: ";
  std::vector<std::string> texts;
  bool sound1 = true;
  for (const std::string& line : sink.lines) {  // "msl 1 text"
    sound1 = sound1 && line.starts_with("msl 1 ");
    texts.push_back(line.substr(std::min<std::size_t>(6, line.size())));
  }
  const bool one = texts.size() == 1;
  const bool print = one && texts[0].find_first_not_of("^[]0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") == std::string::npos;
  const bool sent = texts.empty() || texts == commands::HelpLines() || texts == commands::StatusLines({}) || print ||
                    (one && texts[0].starts_with(reply));
  const int effects = a.rescans ? (texts == std::vector{reply + "2 game controllers found"} ? 1 : 100) + a.acts
                                : a.acts + !texts.empty();
  if (!sound1 || !sent || effects > 1 || (effects == 1 && !(size > 8 && data[6] == 3)) || !err.str().empty()) std::abort();
  return 0;
}
