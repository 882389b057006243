#include "engine/hud.hpp"

namespace bnx::engine {
namespace {

constexpr std::uint8_t kDark = 32, kDarkClickable = 40;
constexpr std::uint8_t kRow = 197, kHeight = 3;

constexpr std::string_view kTitleText = "^1[RZ] ^7Lights";
// 0xB7 is the middle dot of Windows-1252, the simulator's default page.
constexpr std::string_view kUnlit = "^0*\xB7*";
constexpr std::string_view kLeftLit = "^7*\xB7^0*";
constexpr std::string_view kRightLit = "^0*^7\xB7*";
// Triangles of the Korean code page.
constexpr std::string_view kLeftArrowText = "^2^K\xA2\xB8";
constexpr std::string_view kRightArrowText = "^2^K\xA2\xBA";

insim::Button HudButton(std::uint8_t clickId, std::uint8_t style, std::uint8_t l, std::uint8_t w,
                        std::string_view text) {
  return {hud::kReqI, 0, clickId, 0, style, 0, l, kRow, w, kHeight, std::string(text)};
}

}  // namespace

std::string_view LightBarText(LightBar bar) {
  switch (bar) {
    case LightBar::kLeft:
      return kLeftLit;
    case LightBar::kRight:
      return kRightLit;
    case LightBar::kUnlit:
      break;
  }
  return kUnlit;
}

std::string_view SirenLabelText(std::uint32_t tone) {
  switch (tone) {
    case 1:
      return "^7WAIL";
    case 2:
      return "^7YELP";
    case 3:
      return "^7PIER";
    default:
      return "^0SIREN";
  }
}

void Hud::DrawHud() {
  sink_.SendButton(HudButton(hud::kTitle, kDarkClickable, 92, 8, kTitleText));
  sink_.SendButton(HudButton(hud::kLightBar, kDark, 100, 3, kUnlit));
  sink_.SendButton(HudButton(hud::kSirenLabel, kDark, 103, 5, SirenLabelText(0)));
}

// Style and geometry all 0: the simulator keeps the existing button's place
// and style and changes only its text.
void Hud::SendText(std::uint8_t clickId, std::string_view text) {
  insim::Button b;
  b.reqi = hud::kReqI;
  b.clickId = clickId;
  b.text.assign(text);
  sink_.SendButton(b);
}

void Hud::SetLightBar(LightBar bar) {
  if (shown()) SendText(hud::kLightBar, LightBarText(bar));
}

void Hud::SetSirenLabel(std::uint32_t tone) {
  if (shown()) SendText(hud::kSirenLabel, SirenLabelText(tone));
}

void Hud::ShowLeftArrow() {
  if (shown()) sink_.SendButton(HudButton(hud::kLeftArrow, 0, 90, 3, kLeftArrowText));
}

void Hud::ShowRightArrow() {
  if (shown()) sink_.SendButton(HudButton(hud::kRightArrow, 0, 107, 3, kRightArrowText));
}

void Hud::HideArrow(std::uint8_t clickId) {
  if (shown()) sink_.SendDeleteButtons(255, clickId, 0);
}

}  // namespace bnx::engine
