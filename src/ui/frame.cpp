#include "ui/frame.hpp"

namespace bnx::ui {

std::string CheckText(bool on) {
  std::string s = on ? "^2" : "";
  s += kCheckGlyph;
  return s;
}

void ConfigWindow::Send(insim::PacketSink& sink, std::uint8_t clickId, std::uint8_t style,
                        std::uint8_t l, std::uint8_t t, std::uint8_t w, std::uint8_t h,
                        std::string_view text) const {
  sink.SendButton({reqi, 0, clickId, 0, style, 0, l, t, w, h, std::string(text)});
}

void DrawWindowFrame(ConfigWindow& w, insim::PacketSink& sink) {
  w.Send(sink, click::kBackground, style::kDark, w.left, w.top, w.width, w.height, "");
  w.Send(sink, click::kTitleBar, style::kTitleBar, w.left, w.top, w.width, w.titleBarHeight,
         w.title);
  if (w.showClose)
    w.Send(sink, click::kClose, style::kClose, u8(w.left + w.width - 5), w.top, 5, 5, kCloseGlyph);
  w.drawn = true;
}

void ClearScreen(insim::PacketSink& sink) {
  sink.SendDeleteButtons(255, click::kTitleBar, click::kLast);
}

namespace {
std::uint8_t ButtonRowTop(const ConfigWindow& w) { return u8(w.top + w.height - 7); }
std::uint8_t CancelLeft(const ConfigWindow& w) { return u8(w.left + w.width - 13); }
std::uint8_t SaveLeft(const ConfigWindow& w) { return u8(w.left + w.width - 26); }
}  // namespace

void DrawCancel(const ConfigWindow& w, insim::PacketSink& sink) {
  w.Send(sink, click::kCancel, style::kCancel, CancelLeft(w), ButtonRowTop(w), 12, 6, "Cancel");
}

void DrawSave(const ConfigWindow& w, insim::PacketSink& sink) {
  w.Send(sink, click::kSave, style::kOk, SaveLeft(w), ButtonRowTop(w), 12, 6, "Save");
}

void DrawOk(const ConfigWindow& w, insim::PacketSink& sink) {
  w.Send(sink, click::kOk, style::kOk, SaveLeft(w), ButtonRowTop(w), 12, 6, "OK");
}

void DrawHeading(const ConfigWindow& w, insim::PacketSink& sink, std::uint8_t style,
                 std::string_view text) {
  w.Send(sink, click::kHeading, style, w.left, u8(w.top + 6), w.width, 8, text);
}

void DrawCheckOption(const ConfigWindow& w, insim::PacketSink& sink, const CheckOption& at, bool on,
                     std::string_view label, std::uint8_t index) {
  w.Send(sink, u8(click::kFirstItem + index), style::kCheck, at.boxLeft, at.rowTop, at.boxWidth,
         at.boxHeight, CheckText(on));
  w.Send(sink, u8(click::kFirstLabel + index), style::kLabel, u8(at.boxLeft + at.boxWidth - 1),
         u8(at.rowTop + 2), at.labelWidth, at.labelHeight, label);
}

}  // namespace bnx::ui
