#include "support/recording_sink.hpp"

namespace bnx::test {

void RecordingSink::SendTiny(std::uint8_t reqi, std::uint8_t subt) {
  Sent s;
  s.kind = Sent::Kind::kTiny;
  s.reqi = reqi;
  s.subt = subt;
  sent_.push_back(std::move(s));
}

void RecordingSink::SendSmall(std::uint8_t subt, std::uint32_t uval) {
  Sent s;
  s.kind = Sent::Kind::kSmall;
  s.subt = subt;
  s.uval = uval;
  sent_.push_back(std::move(s));
}

void RecordingSink::SendButton(const insim::Button& button) {
  Sent s;
  s.kind = Sent::Kind::kButton;
  s.button = button;
  if (s.button.text.size() > insim::kBtnTextCopy) s.button.text.resize(insim::kBtnTextCopy);
  sent_.push_back(std::move(s));
}

void RecordingSink::SendDeleteButtons(std::uint8_t ucid, std::uint8_t clickId,
                                      std::uint8_t clickMax) {
  Sent s;
  s.kind = Sent::Kind::kDelete;
  s.ucid = ucid;
  s.clickId = clickId;
  s.clickMax = clickMax;
  sent_.push_back(std::move(s));
}

bool RecordingSink::SendLocalMessage(std::string_view text, std::uint8_t sound) {
  Sent s;
  s.kind = Sent::Kind::kMessage;
  s.cut = text.size() > insim::kMslTextMax;
  s.text.assign(text.substr(0, insim::kMslTextMax));
  s.sound = sound;
  const bool cut = s.cut;
  sent_.push_back(std::move(s));
  return cut;
}

std::vector<insim::Button> RecordingSink::buttons() const {
  std::vector<insim::Button> out;
  for (const auto& s : sent_)
    if (s.kind == Sent::Kind::kButton) out.push_back(s.button);
  return out;
}

std::vector<Delete> RecordingSink::deletes() const {
  std::vector<Delete> out;
  for (const auto& s : sent_)
    if (s.kind == Sent::Kind::kDelete) out.push_back({s.ucid, s.clickId, s.clickMax});
  return out;
}

std::vector<Message> RecordingSink::messages() const {
  std::vector<Message> out;
  for (const auto& s : sent_)
    if (s.kind == Sent::Kind::kMessage) out.push_back({s.text, s.sound});
  return out;
}

std::vector<Small> RecordingSink::smalls() const {
  std::vector<Small> out;
  for (const auto& s : sent_)
    if (s.kind == Sent::Kind::kSmall) out.push_back({s.subt, s.uval});
  return out;
}

std::vector<Tiny> RecordingSink::tinies() const {
  std::vector<Tiny> out;
  for (const auto& s : sent_)
    if (s.kind == Sent::Kind::kTiny) out.push_back({s.reqi, s.subt});
  return out;
}

std::vector<insim::Button> RecordingSink::buttonsWithId(std::uint8_t clickId) const {
  std::vector<insim::Button> out;
  for (const auto& s : sent_)
    if (s.kind == Sent::Kind::kButton && s.button.clickId == clickId) out.push_back(s.button);
  return out;
}

std::optional<insim::Button> RecordingSink::lastButton(std::uint8_t clickId) const {
  for (auto it = sent_.rbegin(); it != sent_.rend(); ++it)
    if (it->kind == Sent::Kind::kButton && it->button.clickId == clickId) return it->button;
  return std::nullopt;
}

bool RecordingSink::touched(std::uint8_t first, std::uint8_t last) const {
  for (const auto& s : sent_) {
    if (s.kind == Sent::Kind::kButton && s.button.clickId >= first && s.button.clickId <= last)
      return true;
    if (s.kind != Sent::Kind::kDelete) continue;
    // A range deletion [clickId, clickMax] or a single one (clickMax not above clickId).
    const std::uint8_t hi = s.clickMax > s.clickId ? s.clickMax : s.clickId;
    if (s.clickId <= last && hi >= first) return true;
  }
  return false;
}

}  // namespace bnx::test
