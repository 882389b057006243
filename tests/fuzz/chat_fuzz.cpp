// libFuzzer: whole IS_MSO packets. At most one effect, only for "/o" lines; a
// print reply is only letters, digits, carets and bracketed codes, with sound 1;
// help is all of its lines in order.
#include <cstdlib>
#include <sstream>

#include "commands/chat_commands.hpp"
#include "support/recording_sink.hpp"

using namespace bnx;

struct Actions : commands::ChatActions {
  void OpenMainMenuFromChat() override { ++acts; }
  void SetLightsMode(std::uint32_t mode) override { acts += mode <= 3 ? 1 : 100; }
  void RescanControllers() override { ++acts; }
  void ClearButtons() override { ++acts; }
  int acts = 0;
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Actions a;
  test::RecordingSink sink;
  std::ostringstream err;
  commands::MessageOut(insim::Bytes(data, size), a, sink, err);
  const auto& help = commands::HelpLines();
  std::size_t helped = 0;
  for (const std::string& line : sink.lines) {  // a reply is "msl 1 text"
    const bool reply = line.starts_with("msl 1 ");
    const std::string text = reply ? line.substr(6) : "";
    const bool helpLine = reply && helped < help.size() && text == help[helped];
    if (helpLine && ++helped < help.size()) continue;  // the last line counts as help's one effect
    const bool print = reply && text.find_first_not_of("^[]0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") == text.npos;
    a.acts += helpLine || print ? 1 : 100;
  }
  if (a.acts > 1 || (helped != 0 && helped != help.size()) || (a.acts == 1 && !(size > 8 && data[6] == 3)) || !err.str().empty()) std::abort();
  return 0;
}
