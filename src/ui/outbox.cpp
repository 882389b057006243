#include "ui/outbox.hpp"

namespace bnx::ui {

Outbox::Item& Outbox::Add(Kind kind, std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  Item& i = items_.emplace_back();
  i.kind = kind;
  i.a = a;
  i.b = b;
  i.c = c;
  return i;
}

void Outbox::SendTiny(std::uint8_t reqi, std::uint8_t subt) { Add(Kind::kTiny, reqi, subt); }

void Outbox::SendSmall(std::uint8_t subt, std::uint32_t uval) {
  Add(Kind::kSmall, subt).value = uval;
}

void Outbox::SendButton(const insim::Button& button) { Add(Kind::kButton).button = button; }

void Outbox::SendDeleteButtons(std::uint8_t ucid, std::uint8_t clickId, std::uint8_t clickMax) {
  Add(Kind::kDelete, ucid, clickId, clickMax);
}

bool Outbox::SendLocalMessage(std::string_view text, std::uint8_t sound) {
  Add(Kind::kMessage, sound).button.text.assign(text);
  return false;
}

void Outbox::SendTo(insim::PacketSink& sink) {
  // Emptied first: a send that throws ends the connection, and nothing may be sent twice.
  std::vector<Item> items;
  items.swap(items_);
  for (const Item& i : items) {
    switch (i.kind) {
      case Kind::kTiny:
        sink.SendTiny(i.a, i.b);
        break;
      case Kind::kSmall:
        sink.SendSmall(i.a, i.value);
        break;
      case Kind::kButton:
        sink.SendButton(i.button);
        break;
      case Kind::kDelete:
        sink.SendDeleteButtons(i.a, i.b, i.c);
        break;
      case Kind::kMessage:
        sink.SendLocalMessage(i.button.text, i.a);
        break;
    }
  }
}

}  // namespace bnx::ui
