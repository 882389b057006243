// The per-tick step, the light writes and the keys that switch lights directly.
#include <bit>
#include <cstring>

#include "engine/engine.hpp"
#include "engine/mode_tables.hpp"
#include "input/binding.hpp"
#include "insim/packets.hpp"

namespace bnx::engine {

namespace {
constexpr std::uint32_t Bit(ControlFunction f) { return 1u << f; }
constexpr std::uint8_t kLeftArrow = 3, kRightArrow = 4;
constexpr char kLfsTitle[] = "Live for Speed";
// The arrows go dark halfway through the blink cycle.
constexpr std::int32_t kArrowsOffTick = kPatternCycle / 2 - 1;

// One field of a SMALL_LCS or SMALL_LCL value: its bits and the bit that
// tells LFS to change it.
struct Field {
  std::uint32_t mask, change;
};
constexpr Field kIndicators{lcl::kIndicatorsMask, lcl::kIndicatorsChange};
constexpr Field kHeadlights{lcl::kHeadlightsMask, lcl::kHeadlightsChange};
constexpr Field kFrontFog{lcl::kFrontFogOn, lcl::kFrontFogChange};
constexpr Field kRearFog{lcl::kRearFogOn, lcl::kRearFogChange};
constexpr Field kExtra{lcl::kExtraOn, lcl::kExtraChange};
constexpr Field kFlash{lcs::kFlashOn, lcs::kFlashChange};
constexpr Field kHorn{lcs::kHornMask, lcs::kHornChange};
constexpr Field kSiren{lcs::kSirenMask, lcs::kSirenChange};

// Writes `v`, cut to the field's width, and returns what the field now holds.
std::uint32_t Put(std::uint32_t& word, Field f, std::uint32_t v) {
  const int shift = std::countr_zero(f.mask);
  word = (word & ~f.mask) | ((v << shift) & f.mask) | f.change;
  return (word & f.mask) >> shift;
}

// The lights modes whose pattern drives the fog lights.
bool DrivesFogs(std::uint32_t lightsMode) {
  return lightsMode == lights_mode::kFogLightbar || lightsMode == lights_mode::kExtraBeaconFogs;
}
}  // namespace

bool InputIgnored(const Config& config, std::uint16_t staFlags, const char* foregroundTitle) {
  if (config.option(opt::kIgnoreInTextEntry) &&
      (staFlags & (insim::kStaDialog | insim::kStaTextEntry)) != 0)
    return true;
  if (!config.option(opt::kAllowInactive)) {
    if (!foregroundTitle) return true;
    // Compared as C text: the title is what GetWindowTextA left in its buffer.
    if (std::strncmp(foregroundTitle, kLfsTitle, kTitleBuffer) != 0) return true;
  }
  return false;
}

Engine::Engine(const Config& config, HudOutput& hud) : config_(config), hud_(hud) {
  if (Option(opt::kRunningLights)) light_.headlights = head::kSide;
}

bool Engine::Pressed(std::uint32_t bit) const {
  return (light_.controlWord & bit) != 0 && (light_.previousWord & bit) == 0;
}
bool Engine::Released(std::uint32_t bit) const {
  return (light_.controlWord & bit) == 0 && (light_.previousWord & bit) != 0;
}
bool Engine::Held(std::uint32_t bit) const {
  return (light_.controlWord & bit) != 0 && (light_.previousWord & bit) != 0;
}

void Engine::WriteIndicators(std::uint32_t& lights, std::uint32_t v) {
  light_.indicators = Put(lights, kIndicators, v);
}
void Engine::WriteHeadlights(std::uint32_t& lights, std::uint32_t v) {
  light_.headlights = Put(lights, kHeadlights, v);
}
void Engine::WriteFrontFog(std::uint32_t& lights, bool on) {
  light_.frontFog = Put(lights, kFrontFog, on) != 0;
}
void Engine::WriteRearFog(std::uint32_t& lights, bool on) {
  light_.rearFog = Put(lights, kRearFog, on) != 0;
}
void Engine::WriteExtra(std::uint32_t& lights, bool on) {
  light_.extra = Put(lights, kExtra, on) != 0;
}
void Engine::WriteFlash(std::uint32_t& switches, bool on) {
  light_.flash = Put(switches, kFlash, on) != 0;
}
void Engine::WriteHorn(std::uint32_t& switches, std::uint32_t number) {
  light_.horn = Put(switches, kHorn, number);
}
void Engine::WriteSiren(std::uint32_t& switches, std::uint32_t value) {
  light_.siren = Put(switches, kSiren, value);
}
void Engine::WritePiercer(std::uint32_t& switches) {
  WriteHorn(switches, horn::kPiercer);
  WriteSiren(switches, siren::kOff);
}

void Engine::LightsTick(std::uint32_t controlWord, bool inputIgnored, std::uint32_t& switches,
                        std::uint32_t& lights, Nanos now) {
  light_.controlWord = controlWord;
  const std::uint32_t toneAtStart = siren_.tone;
  const std::uint32_t mode = Mode();

  if (!inputIgnored) {
    SirenKey(switches, now);
    BullhornKey(switches);
  }
  // Up in this tick, seen or not: the next press is a new one.
  if ((controlWord & Bit(fn::kSiren)) == 0) siren_.pressSeen = false;
  SirenShutDown(switches);
  PiercerTimeout(switches, now);

  // The lights mode may have changed between ticks (chat command, lights
  // screen); the old pattern's lights go before anything else acts on them.
  if (light_.flashing && light_.patternLightsMode != config_.lightsMode) {
    LeavePattern(lights, light_.patternLightsMode);
    light_.patternLightsMode = config_.lightsMode;
  }
  // Race/Civilian, and any mode beyond it, has no flashing lights.
  if (mode < siren_mode::kRaceCivilian) {
    if (!inputIgnored && Pressed(Bit(fn::kLights))) {
      if (light_.flashing)
        StopFlashingLights(lights);
      else
        StartFlashingLights();
    }
    if (light_.flashing) {
      PatternStep(lights);
      if (++light_.patternCounter >= kPatternCycle) light_.patternCounter = 0;
    }
  } else {
    if (!inputIgnored && Pressed(Bit(fn::kLights))) NoteDisabledKey();
    if (light_.flashing) StopFlashingLights(lights);
  }
  if (light_.patternHazards && !PatternHazardsApply()) {
    if (light_.indicators == ind::kHazard) WriteIndicators(lights, ind::kOff);
    light_.patternHazards = false;
  }

  if (!inputIgnored) {
    if (!light_.flashing) HeadlightKeys(lights);
    OtherLightKeys(lights);
  }

  if (siren_.tone != toneAtStart) hud_.SetSirenLabel(siren_.tone);
  BlinkIndicators();

  light_.previousWord = light_.controlWord;
}

void Engine::HeadlightKeys(std::uint32_t& lights) {
  if (Pressed(Bit(fn::kHeadlightsCycle))) {
    std::uint32_t next = head::kOff;
    switch (light_.headlights) {
      case head::kOff:
        next = head::kSide;
        break;
      case head::kSide:
        next = head::kDipped;
        break;
      case head::kDipped:
        next = head::kFull;
        break;
      default:
        next = Option(opt::kRunningLights) ? head::kSide : head::kOff;
        break;
    }
    WriteHeadlights(lights, next);
  }
  if (Pressed(Bit(fn::kSidelights)))
    WriteHeadlights(lights, light_.headlights == head::kSide ? head::kOff : head::kSide);
  if (Pressed(Bit(fn::kDippedBeam)))
    WriteHeadlights(lights, light_.headlights == head::kDipped ? head::kOff : head::kDipped);
  if (Pressed(Bit(fn::kFullBeam)))
    WriteHeadlights(lights, light_.headlights == head::kFull ? head::kOff : head::kFull);
}

void Engine::OtherLightKeys(std::uint32_t& lights) {
  if (Pressed(Bit(fn::kFrontFog))) WriteFrontFog(lights, !light_.frontFog);
  if (Pressed(Bit(fn::kRearFog))) WriteRearFog(lights, !light_.rearFog);
  if (Pressed(Bit(fn::kExtra))) WriteExtra(lights, !light_.extra);

  auto toggle = [&](std::uint32_t state) {
    WriteIndicators(lights, light_.indicators == state ? ind::kOff : state);
    light_.blinkCounter = 0;
    light_.patternHazards = false;
  };
  if (Pressed(Bit(fn::kLeftIndicator)))
    toggle(ind::kLeft);
  else if (Pressed(Bit(fn::kRightIndicator)))
    toggle(ind::kRight);
  else if (Pressed(Bit(fn::kHazards)))
    toggle(ind::kHazard);
}

void Engine::BlinkIndicators() {
  if (light_.blinkCounter < 0) return;
  if (light_.indicators == ind::kOff) {
    hud_.HideArrow(kLeftArrow);
    hud_.HideArrow(kRightArrow);
    light_.blinkCounter = -1;
    return;
  }
  const std::int32_t o = light_.blinkCounter++;
  if (o == 0) {
    switch (light_.indicators) {
      case ind::kLeft:
        hud_.ShowLeftArrow();
        hud_.HideArrow(kRightArrow);
        break;
      case ind::kRight:
        hud_.ShowRightArrow();
        hud_.HideArrow(kLeftArrow);
        break;
      default:
        hud_.ShowLeftArrow();
        hud_.ShowRightArrow();
        break;
    }
  }
  if (o == kArrowsOffTick) {
    hud_.HideArrow(kLeftArrow);
    hud_.HideArrow(kRightArrow);
  }
  if (o >= kPatternCycle - 1) light_.blinkCounter = 0;
}

void Engine::StartFlashingLights() {
  light_.flashing = true;
  light_.patternCounter = 0;
  light_.savedHeadlights = light_.headlights;
  light_.patternLightsMode = config_.lightsMode;
  hud_.SetLightBar(LightBar::kLeft);
}

bool Engine::PatternHazardsApply() const {
  return light_.flashing && config_.lightsMode == lights_mode::kClassic &&
         (Option(opt::kHazardsWithLights) || Mode() == siren_mode::kTow);
}

// Switches off what the previous mode's pattern drives and the new one may not.
void Engine::LeavePattern(std::uint32_t& lights, std::uint32_t oldMode) {
  if (DrivesFogs(oldMode)) {
    if (light_.frontFog) WriteFrontFog(lights, false);
    if (light_.rearFog) WriteRearFog(lights, false);
  }
  const bool ownsExtra = oldMode == lights_mode::kExtraBeacon ||
                         oldMode == lights_mode::kExtraBeaconFogs ||
                         (oldMode == lights_mode::kFogLightbar && Option(opt::kExtraInLights));
  if (ownsExtra && light_.extra) WriteExtra(lights, false);
}

void Engine::StopFlashingLights(std::uint32_t& lights) {
  const std::uint32_t lightsMode = config_.lightsMode;
  if ((Option(opt::kHazardsWithLights) || Mode() == siren_mode::kTow) &&
      light_.indicators != ind::kOff)
    WriteIndicators(lights, ind::kOff);
  if ((Option(opt::kExtraInLights) && light_.extra) || lightsMode == lights_mode::kExtraBeacon ||
      lightsMode == lights_mode::kExtraBeaconFogs)
    WriteExtra(lights, false);
  if (light_.headlights != light_.savedHeadlights) WriteHeadlights(lights, light_.savedHeadlights);
  if (DrivesFogs(lightsMode)) {
    if (light_.frontFog) WriteFrontFog(lights, false);
    if (light_.rearFog) WriteRearFog(lights, false);
  }
  light_.flashing = false;
  hud_.SetLightBar(LightBar::kUnlit);
}

void Engine::SwitchOff(std::uint32_t& switches, std::uint32_t& lights) {
  if (light_.flashing) {
    if (light_.patternLightsMode != config_.lightsMode)
      LeavePattern(lights, light_.patternLightsMode);
    StopFlashingLights(lights);
  }
  if (light_.patternHazards) {
    if (light_.indicators == ind::kHazard) WriteIndicators(lights, ind::kOff);
    light_.patternHazards = false;
  }
  if (light_.siren != siren::kOff) WriteSiren(switches, siren::kOff);
  if (light_.horn != horn::kOff) WriteHorn(switches, horn::kOff);
  if (light_.flash) WriteFlash(switches, false);
  // As after a double tap, and no key held now counts until it is pressed again.
  const std::uint32_t tone = siren_.tone;
  siren_ = SirenState{};
  if (tone != tone::kNone) hud_.SetSirenLabel(tone::kNone);
}

std::uint32_t Engine::ReapplyHeadlights() {
  if (light_.flashing) return 0;
  if (light_.headlights == head::kOff) {
    if (!Option(opt::kRunningLights)) return 0;
    light_.headlights = head::kSide;
  }
  std::uint32_t lights = 0;
  WriteHeadlights(lights, light_.headlights);
  return lights;
}

std::uint32_t Engine::ApplyRunningLights() {
  if (light_.flashing) return 0;
  std::uint32_t lights = 0;
  if (light_.headlights == head::kOff && Option(opt::kRunningLights))
    WriteHeadlights(lights, head::kSide);
  else if (light_.headlights == head::kSide && !Option(opt::kRunningLights))
    WriteHeadlights(lights, head::kOff);
  return lights;
}

}  // namespace bnx::engine
