#pragma once
// A PacketSink that keeps every call, in order, as the link would put it on
// the wire (button texts cut to 239 bytes, messages to 127).
#include <cstdint>
#include <optional>
#include <algorithm>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "insim/sink.hpp"

namespace bnx::test {

struct Sent {
  enum class Kind { kTiny, kSmall, kButton, kDelete, kMessage };
  Kind kind = Kind::kTiny;
  insim::Button button{};
  std::uint8_t ucid = 0, clickId = 0, clickMax = 0;  // kDelete: IS_BFN BFN_DEL_BTN
  std::string text{};                                // kMessage: IS_MSL
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

// Every field of a button, comparable and printable in test assertions.
inline auto Fields(const insim::Button& b) {
  return std::make_tuple(b.reqi, b.ucid, b.clickId, b.inst, b.style, b.typeIn, b.l, b.t, b.w, b.h, b.text);
}

class RecordingSink : public insim::PacketSink {
  using K = Sent::Kind;

 public:
  void SendTiny(std::uint8_t, std::uint8_t) override { sent_.push_back({.kind = K::kTiny}); }
  void SendSmall(std::uint8_t, std::uint32_t) override { sent_.push_back({.kind = K::kSmall}); }
  void SendButton(const insim::Button& button) override {
    sent_.push_back({.kind = K::kButton, .button = button});
    if (button.text.size() > insim::kBtnTextCopy) sent_.back().button.text.resize(insim::kBtnTextCopy);
  }
  void SendDeleteButtons(std::uint8_t ucid, std::uint8_t clickId, std::uint8_t clickMax) override {
    sent_.push_back({.kind = K::kDelete, .ucid = ucid, .clickId = clickId, .clickMax = clickMax});
  }
  bool SendLocalMessage(std::string_view text, std::uint8_t sound) override {
    const bool cut = text.size() > insim::kMslTextMax;
    sent_.push_back({.kind = K::kMessage, .text = std::string(text.substr(0, insim::kMslTextMax)), .sound = sound, .cut = cut});
    return cut;
  }

  // Every call, in order, and each kind on its own.
  const std::vector<Sent>& sent() const { return sent_; }
  bool empty() const { return sent_.empty(); }
  void clear() { sent_.clear(); }
  std::vector<insim::Button> buttons() const { return Of(K::kButton, [](const Sent& s) { return s.button; }); }
  std::vector<Delete> deletes() const { return Of(K::kDelete, [](const Sent& s) { return Delete{s.ucid, s.clickId, s.clickMax}; }); }
  std::vector<Message> messages() const { return Of(K::kMessage, [](const Sent& s) { return Message{s.text, s.sound}; }); }
  // The last button sent with that ClickID, if any.
  std::optional<insim::Button> lastButton(std::uint8_t clickId) const {
    const auto b = buttons();
    const auto it = std::find_if(b.rbegin(), b.rend(), [&](const insim::Button& x) { return x.clickId == clickId; });
    return it == b.rend() ? std::nullopt : std::optional(*it);
  }

 private:
  template <typename F>
  std::vector<std::invoke_result_t<F, const Sent&>> Of(K kind, F f) const {
    std::vector<std::invoke_result_t<F, const Sent&>> out;
    for (const Sent& s : sent_)
      if (s.kind == kind) out.push_back(f(s));
    return out;
  }
  std::vector<Sent> sent_;
};

}  // namespace bnx::test
