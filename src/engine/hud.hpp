#pragma once
// The HUD strip at the bottom of the simulator's screen: title, light bar,
// siren label and the two indicator arrows (ClickIDs 0 to 4).
#include <cstdint>
#include <string_view>

#include "config/config.hpp"
#include "engine/hud_output.hpp"
#include "insim/sink.hpp"

namespace bnx::engine {

namespace hud {
constexpr std::uint8_t kTitle = 0, kLightBar = 1, kSirenLabel = 2, kLeftArrow = 3, kRightArrow = 4;
constexpr std::uint8_t kFirst = kTitle, kLast = kRightArrow;
constexpr std::uint8_t kReqI = 1;
}  // namespace hud

// InSim text bytes of the light bar and of the siren label for a tone.
std::string_view LightBarText(LightBar bar);
std::string_view SirenLabelText(std::uint32_t tone);

// Sends nothing while "Show HUD" (o:7) is off, except DrawHud, whose callers
// test the option themselves. The option is read live from `config`.
class Hud : public HudOutput {
 public:
  Hud(insim::PacketSink& sink, const Config& config) : sink_(sink), config_(config) {}

  // Title, unlit light bar and "^0SIREN", whatever the engine's state.
  void DrawHud();

  void SetLightBar(LightBar bar) override;
  void SetSirenLabel(std::uint32_t tone) override;
  void ShowLeftArrow() override;
  void ShowRightArrow() override;
  void HideArrow(std::uint8_t clickId) override;

 private:
  bool shown() const { return config_.option(opt::kShowHud); }
  void SendText(std::uint8_t clickId, std::string_view text);

  insim::PacketSink& sink_;
  const Config& config_;
};

}  // namespace bnx::engine
