#pragma once
// The lights and siren engine: one step per 10 ms tick turns the control word
// into light and sound changes. It reads no clock and owns no socket.
#include <cstdint>
#include <optional>
#include <string>

#include "config/config.hpp"
#include "engine/hud_output.hpp"

namespace bnx::engine {

using Nanos = std::int64_t;

// What the car was last told to show and sound.
struct LightState {
  std::uint32_t indicators = 0;  // 0 off, 1 left, 2 right, 3 hazard
  std::uint32_t headlights = 0;  // 0 off, 1 side, 2 dipped, 3 full
  bool flash = false, frontFog = false, rearFog = false, extra = false;
  std::uint32_t horn = 0;   // horn number last sent
  std::uint32_t siren = 0;  // 0 off, 1 fast (Yelp), 2 slow (Wail)
  bool flashing = false;
  std::uint32_t savedHeadlights = 0;
  std::int32_t patternCounter = 0;
  std::int32_t blinkCounter = -1;
  std::uint32_t controlWord = 0, previousWord = 0;
};

class Engine {
 public:
  // Applies the start-up options (running lights) to the light state.
  Engine(const Config& config, HudOutput& hud);

  // One step. switches/lights start at 0 and are written by the step; 0 at the
  // end means nothing to send.
  void LightsTick(std::uint32_t controlWord, bool inputIgnored, std::uint32_t& switches,
                  std::uint32_t& lights, Nanos now);

  // Each returns the SMALL_LCL value to send at once, 0 for none.
  std::uint32_t ReapplyHeadlights();
  std::uint32_t ApplyRunningLights();

  const LightState& light() const;
  // (The implementation adds siren state and the rest.)
};

// Whether this tick's input is ignored (text-entry gate, focus gate).
bool InputIgnored(const Config& config, std::uint16_t staFlags,
                  const std::optional<std::string>& foregroundTitle);
constexpr std::size_t kTitleBuffer = 20;

}  // namespace bnx::engine
