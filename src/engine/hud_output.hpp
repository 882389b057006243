#pragma once
#include <cstdint>

namespace bnx::engine {

enum class LightBar { kUnlit, kLeft, kRight };

// The HUD as the engine drives it. The real one sends IS_BTN/IS_BFN (and does
// nothing while "Show HUD" is off); tests record the calls.
class HudOutput {
 public:
  virtual ~HudOutput() = default;
  virtual void SetLightBar(LightBar bar) = 0;
  virtual void SetSirenLabel(std::uint32_t tone) = 0;
  virtual void ShowLeftArrow() = 0;
  virtual void ShowRightArrow() = 0;
  virtual void HideArrow(std::uint8_t clickId) = 0;
};

}  // namespace bnx::engine
