#pragma once
// What every configuration screen shares: the window frame, the click-id
// scheme, the styles, the standard controls and the glyphs.
#include <cstdint>
#include <string>
#include <string_view>

#include "insim/sink.hpp"

namespace bnx::ui {

namespace click {
constexpr std::uint8_t kHudTitle = 0, kTitleBar = 5, kBackground = 6, kHeading = 7, kClose = 8,
                       kOk = 9, kCancel = 12, kSave = 15, kFirstItem = 20, kFirstLabel = 40,
                       kDetails = 50, kSubHeading = 79, kLast = 84;
}

namespace style {
constexpr std::uint8_t kPlain = 0, kTitle = 1, kText = 6, kUnavailable = 7, kCheck = 10,
                       kTitleBar = 17, kLightButton = 24, kMenuEntry = 25, kOk = 28, kCancel = 29,
                       kDark = 32, kClose = 40, kRefresh = 46, kFunction = 89, kLeftDark = 96,
                       kLabel = 102, kRow = 110, kRightDark = 160;
}

// "^1" and the Latin-1 multiplication sign.
constexpr std::string_view kCloseGlyph = "^1\xD7";
// "^K" and the filled square of the Korean code page.
constexpr std::string_view kCheckGlyph = "^K\xA1\xE1";
std::string CheckText(bool on);

// Positions are worked out modulo 256, as the simulator's bytes hold them.
constexpr std::uint8_t u8(int v) { return static_cast<std::uint8_t>(v); }

// One screen's frame, built fresh each time the screen is drawn. Its ReqI
// (the screen number) goes on every button drawn with it.
struct ConfigWindow {
  std::uint8_t reqi = 0;
  std::uint8_t top = 50, left = 50, height = 100, width = 100;
  std::uint8_t titleBarHeight = 5;
  bool showClose = true;
  std::string title = "Untitled";
  bool drawn = false;

  void Send(insim::PacketSink& sink, std::uint8_t clickId, std::uint8_t style, std::uint8_t l,
            std::uint8_t t, std::uint8_t w, std::uint8_t h, std::string_view text) const;
};

// Background, title bar and close button, in that order.
void DrawWindowFrame(ConfigWindow& window, insim::PacketSink& sink);
// Removes any configuration screen (ClickIDs 5 to 84) and leaves the HUD.
void ClearScreen(insim::PacketSink& sink);

void DrawCancel(const ConfigWindow& window, insim::PacketSink& sink);
void DrawSave(const ConfigWindow& window, insim::PacketSink& sink);
// "OK" in Save's place.
void DrawOk(const ConfigWindow& window, insim::PacketSink& sink);
// One unit below the title bar, the window's full width.
void DrawHeading(const ConfigWindow& window, insim::PacketSink& sink, std::uint8_t style,
                 std::string_view text);

struct CheckOption {
  std::uint8_t rowTop, boxLeft, boxWidth, boxHeight, labelHeight, labelWidth;
};
// Box ClickID 20 + index (clickable), label 40 + index.
void DrawCheckOption(const ConfigWindow& window, insim::PacketSink& sink, const CheckOption& at,
                     bool on, std::string_view label, std::uint8_t index);

}  // namespace bnx::ui
