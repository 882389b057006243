#pragma once
// A PacketSink that keeps every call, in order, as one line of what the link
// would put on the wire (button texts cut to 239 bytes, messages to 127):
// "btn ReqI UCID ClickID Inst BStyle TypeIn L T W H text", "del UCID ClickID
// ClickMax", "msl Sound text", "tiny ReqI SubT", "small SubT UVal".
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "insim/sink.hpp"

namespace bnx::test {

class RecordingSink : public insim::PacketSink {
 public:
  void SendTiny(std::uint8_t reqi, std::uint8_t subt) override { lines.push_back(Line("tiny", {reqi, subt})); }
  void SendSmall(std::uint8_t subt, std::uint32_t uval) override { lines.push_back(Line("small", {subt, uval})); }
  void SendButton(const insim::Button& b) override {
    buttons.push_back(b);
    buttons.back().text.resize(std::min(b.text.size(), insim::kBtnTextCopy));
    lines.push_back(Line("btn", {b.reqi, b.ucid, b.clickId, b.inst, b.style, b.typeIn, b.l, b.t, b.w, b.h}) + " " +
                    buttons.back().text);
  }
  void SendDeleteButtons(std::uint8_t ucid, std::uint8_t clickId, std::uint8_t clickMax) override {
    lines.push_back(Line("del", {ucid, clickId, clickMax}));
  }
  bool SendLocalMessage(std::string_view text, std::uint8_t sound) override {
    const bool cut = text.size() > insim::kMslTextMax;
    cuts += cut;
    lines.push_back(Line("msl", {sound}) + " " + std::string(text.substr(0, insim::kMslTextMax)));
    return cut;
  }

  void clear() { lines.clear(), buttons.clear(); }
  // The last button sent with that ClickID, if any.
  const insim::Button* lastButton(std::uint8_t clickId) const {
    const auto it = std::find_if(buttons.rbegin(), buttons.rend(), [&](const insim::Button& b) { return b.clickId == clickId; });
    return it == buttons.rend() ? nullptr : &*it;
  }

  static std::string Line(std::string kind, std::initializer_list<std::uint32_t> numbers) {
    for (std::uint32_t n : numbers) kind += " " + std::to_string(n);
    return kind;
  }

  std::vector<std::string> lines;
  std::vector<insim::Button> buttons;
  int cuts = 0;  // messages that had to be cut
};

}  // namespace bnx::test
