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

constexpr Nanos kMilli = 1'000'000;
constexpr Nanos kHoldThreshold = 180 * kMilli;
constexpr Nanos kDoubleTapWindow = 450 * kMilli;
constexpr Nanos kPiercerDuration = 5000 * kMilli;
constexpr std::int32_t kPatternCycle = 100;  // ticks

// Bits of the SMALL_LCS value (switches).
namespace lcs {
constexpr std::uint32_t kFlashChange = 0x2, kHornChange = 0x8, kSirenChange = 0x10,
                        kFlashOn = 0x400;
constexpr std::uint32_t kHornMask = 0x70000, kSirenMask = 0x300000;
}  // namespace lcs

// Bits of the SMALL_LCL value (lights).
namespace lcl {
constexpr std::uint32_t kIndicatorsChange = 0x1, kHeadlightsChange = 0x4, kRearFogChange = 0x10,
                        kFrontFogChange = 0x20, kExtraChange = 0x40;
constexpr std::uint32_t kIndicatorsMask = 0x30000, kHeadlightsMask = 0xC0000;
constexpr std::uint32_t kRearFogOn = 0x100000, kFrontFogOn = 0x200000, kExtraOn = 0x400000;
}  // namespace lcl

// Light state values.
namespace ind {
constexpr std::uint32_t kOff = 0, kLeft = 1, kRight = 2, kHazard = 3;
}
namespace head {
constexpr std::uint32_t kOff = 0, kSide = 1, kDipped = 2, kFull = 3;
}
namespace siren {
constexpr std::uint32_t kOff = 0, kFast = 1, kSlow = 2;  // the siren value: Yelp is fast, Wail slow
}
namespace horn {
constexpr std::uint32_t kOff = 0, kBullhorn = 4, kPiercer = 5;
}
// The tone the user selected (what the HUD shows).
namespace tone {
constexpr std::uint32_t kNone = 0, kWail = 1, kYelp = 2, kPiercer = 3;
}

// What the car was last told to show and sound.
struct LightState {
  std::uint32_t indicators = 0;  // 0 off, 1 left, 2 right, 3 hazard
  std::uint32_t headlights = 0;  // 0 off, 1 side, 2 dipped, 3 full
  bool flash = false, frontFog = false, rearFog = false, extra = false;
  std::uint32_t horn = 0;   // horn number last sent
  std::uint32_t siren = 0;  // 0 off, 1 fast (Yelp), 2 slow (Wail)
  bool flashing = false;
  // The hazards on now were switched on by the Classic pattern, not the player.
  bool patternHazards = false;
  std::uint32_t patternLightsMode = 0;  // the lights mode the pattern last ran with
  std::uint32_t savedHeadlights = 0;
  std::int32_t patternCounter = 0;
  std::int32_t blinkCounter = -1;
  std::uint32_t controlWord = 0, previousWord = 0;
};

// The Horn/Siren and Bullhorn key machines.
struct SirenState {
  std::uint32_t tone = 0;  // 0 none, 1 Wail, 2 Yelp, 3 Piercer
  bool engaged = false;
  Nanos pressTime = 0, previousPressTime = 0;
  bool longPressHandled = false;
  // The key's current press was seen going down; one that went down while
  // input was ignored is no press, and neither its hold nor its release counts.
  bool pressSeen = false;
  bool lastPressWasTap = false;
  bool offByDoubleTap = false;
  Nanos piercerStart = 0;
  std::uint32_t toneBeforePiercer = 0;     // tone::kNone, kWail or kYelp
  std::uint32_t restoreAfterBullhorn = 0;  // the tone the bullhorn cut, kNone for nothing
  // The Bullhorn key's press was acted on and its release not yet, so the
  // release is honoured even after a change to a mode without that key.
  bool bullhornDown = false;
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

  // Also used by the siren when it switches the lights on with the siren.
  void StartFlashingLights();
  void StopFlashingLights(std::uint32_t& lights);

  // Switches off what the engine switched on, as the keys and the patterns'
  // own rules switch it off: the siren, the horns, the flash, the flashing
  // lights and what they drive. The player's own lights stay as they are.
  void SwitchOff(std::uint32_t& switches, std::uint32_t& lights);

  const LightState& light() const { return light_; }
  const SirenState& sirenState() const { return siren_; }

  // Set the first time the Flashing Lights key, or a tap of the siren key, does
  // nothing because the active siren mode disables it; never again for this
  // engine (one connection). The caller tells the player and clears it.
  bool modeHintDue() const { return modeHintDue_; }
  void ClearModeHint() { modeHintDue_ = false; }

 private:
  std::uint32_t Mode() const { return config_.activeSirenMode; }
  bool Option(int n) const { return config_.option(n); }
  bool Pressed(std::uint32_t bit) const;
  bool Released(std::uint32_t bit) const;
  bool Held(std::uint32_t bit) const;

  // Writes into a value and records the new state.
  void WriteIndicators(std::uint32_t& lights, std::uint32_t v);
  void WriteHeadlights(std::uint32_t& lights, std::uint32_t v);
  void WriteFrontFog(std::uint32_t& lights, bool on);
  void WriteRearFog(std::uint32_t& lights, bool on);
  void WriteExtra(std::uint32_t& lights, bool on);
  void WriteFlash(std::uint32_t& switches, bool on);
  void WriteHorn(std::uint32_t& switches, std::uint32_t number);
  void WriteSiren(std::uint32_t& switches, std::uint32_t value);
  void WritePiercer(std::uint32_t& switches);
  void WritePlainHorn(std::uint32_t& switches) { WriteHorn(switches, config_.hornType); }

  // lights.cpp
  void HeadlightKeys(std::uint32_t& lights);
  void OtherLightKeys(std::uint32_t& lights);
  void BlinkIndicators();
  bool PatternHazardsApply() const;
  void LeavePattern(std::uint32_t& lights, std::uint32_t oldMode);
  void NoteDisabledKey() {
    if (!modeHinted_) modeHintDue_ = modeHinted_ = true;
  }

  // siren.cpp
  void SirenKey(std::uint32_t& switches, Nanos now);
  void TapRule(std::uint32_t& switches, Nanos now);
  void StartPiercerBurst(std::uint32_t& switches, Nanos now);
  void BullhornKey(std::uint32_t& switches);
  void BullhornRelease(std::uint32_t& switches);
  void SirenShutDown(std::uint32_t& switches);
  void ResumeTone(std::uint32_t& switches);
  void PiercerTimeout(std::uint32_t& switches, Nanos now);

  // patterns.cpp
  void PatternStep(std::uint32_t& lights);
  void ClassicStep(std::uint32_t& lights, std::int32_t step);
  void TablePatternStep(std::uint32_t& lights, std::int32_t step);

  const Config& config_;
  HudOutput& hud_;
  LightState light_;
  SirenState siren_;
  bool modeHintDue_ = false, modeHinted_ = false;
};

// Whether this tick's input is ignored (text-entry gate, focus gate).
bool InputIgnored(const Config& config, std::uint16_t staFlags,
                  const char* foregroundTitle);  // nullptr: no foreground window
constexpr std::size_t kTitleBuffer = 20;

}  // namespace bnx::engine
