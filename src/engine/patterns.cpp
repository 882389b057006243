// The flashing-light patterns of the four lights modes. A pattern acts only at
// ticks 0, 25, 50 and 75 of its 100-tick cycle; the variant is chosen anew at
// every step so a change of siren changes the rhythm without a restart.
#include <array>

#include "engine/engine.hpp"
#include "engine/mode_tables.hpp"

namespace bnx::engine {

namespace {

enum class Act : std::uint8_t {
  kEnd,
  kFrontOn,
  kFrontOff,
  kRearOn,
  kRearOff,
  kExtraOn,
  kExtraOff,
  kExtraOnIf9,
  kExtraOffIf9,
  kFullOn,
  kFullOff,
  kHudLeft,
  kHudRight,
};

using Step = std::array<Act, 6>;
using Variant = std::array<Step, 4>;  // ticks 0, 25, 50, 75
enum VariantIndex { kNormal = 0, kFast = 1, kPiercerVariant = 2 };

using A = Act;
constexpr Step kNothing{};

// Fog lights are lightbar: the fogs are the two sides of the bar.
constexpr std::array<Variant, 3> kFogBar{{
    {{
        {A::kFrontOn, A::kRearOff, A::kHudLeft, A::kExtraOnIf9},
        {A::kFullOn, A::kExtraOffIf9},
        {A::kFrontOff, A::kRearOn, A::kHudRight},
        {A::kExtraOnIf9, A::kFullOff},
    }},
    {{
        {A::kFrontOn, A::kRearOff, A::kHudLeft, A::kExtraOnIf9},
        {A::kFrontOff, A::kRearOn, A::kHudRight, A::kFullOn, A::kExtraOffIf9},
        {A::kFrontOn, A::kRearOff, A::kHudLeft},
        {A::kFrontOff, A::kRearOn, A::kHudRight, A::kExtraOnIf9, A::kFullOff},
    }},
    {{
        {A::kFrontOn, A::kRearOff, A::kHudLeft, A::kExtraOnIf9, A::kFullOff},
        {A::kFrontOff, A::kRearOn, A::kHudRight, A::kExtraOffIf9, A::kFullOn},
        {A::kFrontOn, A::kRearOff, A::kHudLeft, A::kExtraOnIf9, A::kFullOff},
        {A::kFrontOff, A::kRearOn, A::kHudRight, A::kExtraOffIf9, A::kFullOn},
    }},
}};

// Extra Beacon: extra light and full beam in opposite phase.
constexpr Step kBeaconOn{A::kExtraOn, A::kFullOff, A::kHudLeft};
constexpr Step kBeaconOff{A::kExtraOff, A::kFullOn, A::kHudRight};
constexpr std::array<Variant, 3> kBeacon{{
    {{kBeaconOn, kNothing, kBeaconOff, kNothing}},
    {{kBeaconOn, kBeaconOff, kBeaconOn, kBeaconOff}},
    {{kBeaconOn, kBeaconOff, kBeaconOn, kBeaconOff}},  // modes 0 and 2 have no piercer variant
}};

// Extra Beacon + OEM Fogs: both fogs together, extra light, full beam.
constexpr std::array<Variant, 3> kBeaconFogs{{
    {{
        {A::kFrontOn, A::kRearOn, A::kHudLeft, A::kFullOff},
        {A::kExtraOn},
        {A::kFrontOff, A::kRearOff, A::kHudRight, A::kFullOn},
        {A::kExtraOff},
    }},
    {{
        {A::kFrontOn, A::kRearOn, A::kExtraOff, A::kHudRight, A::kFullOff},
        {A::kExtraOn, A::kHudLeft},
        {A::kFrontOff, A::kRearOff, A::kExtraOff, A::kHudRight, A::kFullOn},
        {A::kExtraOn, A::kHudLeft},
    }},
    {{
        {A::kFrontOn, A::kRearOn, A::kExtraOff, A::kHudRight, A::kFullOff},
        {A::kFrontOff, A::kRearOff, A::kExtraOn, A::kHudLeft, A::kFullOn},
        {A::kFrontOn, A::kRearOn, A::kExtraOff, A::kHudRight, A::kFullOff},
        {A::kFrontOff, A::kRearOff, A::kExtraOn, A::kHudLeft, A::kFullOn},
    }},
}};

// Which of the four acting ticks the counter is at, -1 for none.
constexpr int StepIndex(std::int32_t counter) {
  return counter % 25 == 0 && counter >= 0 && counter < kPatternCycle ? counter / 25 : -1;
}

}  // namespace

void Engine::PatternStep(std::uint32_t& lights) {
  const int step = StepIndex(light_.patternCounter);
  if (step < 0) return;
  if (config_.lightsMode == lights_mode::kClassic)
    ClassicStep(lights, step);
  else if (config_.lightsMode <= lights_mode::kExtraBeaconFogs)
    TablePatternStep(lights, step);
}

void Engine::ClassicStep(std::uint32_t& lights, std::int32_t step) {
  const bool fast =
      Option(opt::kFastYelp) && (light_.siren == siren::kFast || light_.horn == horn::kPiercer);
  const bool onStep = step == 0 || (fast && step == 2);
  const bool offStep = step == 2 ? !fast : (fast && (step == 1 || step == 3));
  // A left or right indicator chosen by the user suspends the hazards.
  const bool hazards = (Option(opt::kHazardsWithLights) || Mode() == siren_mode::kTow) &&
                       light_.indicators != ind::kLeft && light_.indicators != ind::kRight;
  if (onStep && light_.headlights != head::kFull) {
    WriteHeadlights(lights, head::kFull);
    hud_.SetLightBar(LightBar::kLeft);
    if (hazards) {
      WriteIndicators(lights, ind::kOff);
      light_.patternHazards = false;
    }
  } else if (offStep && light_.headlights == head::kFull) {
    WriteHeadlights(lights, head::kOff);
    hud_.SetLightBar(LightBar::kRight);
    if (hazards) {
      WriteIndicators(lights, ind::kHazard);
      light_.patternHazards = true;
    }
  }
}

void Engine::TablePatternStep(std::uint32_t& lights, std::int32_t step) {
  const std::uint32_t mode = config_.lightsMode;
  const bool fastYelp = Option(opt::kFastYelp);
  int variant = kNormal;
  if (mode == lights_mode::kExtraBeacon) {
    if (fastYelp && (light_.siren == siren::kFast || light_.horn == horn::kPiercer))
      variant = kFast;
  } else if (fastYelp && light_.siren == siren::kFast) {
    variant = kFast;
  } else if (fastYelp && light_.horn == horn::kPiercer) {
    variant = kPiercerVariant;
  }
  const auto& table = mode == lights_mode::kFogLightbar   ? kFogBar
                      : mode == lights_mode::kExtraBeacon ? kBeacon
                                                          : kBeaconFogs;
  const bool extraInLights = Option(opt::kExtraInLights);
  for (Act act : table[static_cast<std::size_t>(variant)][static_cast<std::size_t>(step)]) {
    switch (act) {
      case A::kEnd:
        return;
      case A::kFrontOn:
        if (!light_.frontFog) WriteFrontFog(lights, true);
        break;
      case A::kFrontOff:
        if (light_.frontFog) WriteFrontFog(lights, false);
        break;
      case A::kRearOn:
        if (!light_.rearFog) WriteRearFog(lights, true);
        break;
      case A::kRearOff:
        if (light_.rearFog) WriteRearFog(lights, false);
        break;
      case A::kExtraOnIf9:
        if (!extraInLights) break;
        [[fallthrough]];
      case A::kExtraOn:
        if (!light_.extra) WriteExtra(lights, true);
        break;
      case A::kExtraOffIf9:
        if (!extraInLights) break;
        [[fallthrough]];
      case A::kExtraOff:
        if (light_.extra) WriteExtra(lights, false);
        break;
      case A::kFullOn:
        if (light_.headlights != head::kFull) WriteHeadlights(lights, head::kFull);
        break;
      case A::kFullOff:
        if (light_.headlights == head::kFull) WriteHeadlights(lights, head::kOff);
        break;
      case A::kHudLeft:
        hud_.SetLightBar(LightBar::kLeft);
        break;
      case A::kHudRight:
        hud_.SetLightBar(LightBar::kRight);
        break;
    }
  }
}

}  // namespace bnx::engine
