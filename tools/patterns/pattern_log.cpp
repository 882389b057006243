// Runs the lights engine itself through each flashing-light mode and variant
// and prints what it would send, as the simulated host logs it, so the pattern
// pictures in docs/ are drawn from the code rather than from a description.
// Usage: pattern_log <lights mode 0-3> <normal|yelp|piercer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "engine/engine.hpp"
#include "input/binding.hpp"

namespace {

using namespace bnx;

struct NoHud : engine::HudOutput {
  void SetLightBar(engine::LightBar) override {}
  void SetSirenLabel(std::uint32_t) override {}
  void ShowLeftArrow() override {}
  void ShowRightArrow() override {}
  void HideArrow(std::uint8_t) override {}
};

// A key held over [down, up) in ms.
struct Press {
  int function, down, up;
  const char* name;
};

void Note(long ms, const char* key) {
  std::printf("{\"t\":%ld,\"event\":\"note\",\"key\":\"%s\"}\n", ms, key);
}

void Small(long ms, const char* subT, std::uint32_t v) {
  std::printf("{\"t\":%ld,\"dir\":\"recv\",\"type\":\"IS_SMALL\",\"subT\":\"%s\",\"UVal\":%u}\n",
              ms, subT, static_cast<unsigned>(v));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pattern_log <lights mode 0-3> <normal|yelp|piercer>\n");
    return 2;
  }
  const std::string_view variant = argv[2];
  Config config;
  config.lightsMode = static_cast<std::uint32_t>(std::atoi(argv[1]));
  config.options[opt::kFastYelp] = true;
  config.options[opt::kExtraInLights] = true;
  // Mode 1 turns a long press into a piercer burst while the siren sounds.
  config.activeSirenMode = variant == "piercer" ? 1 : 0;

  // The siren is brought to the wanted tone first; the picture starts when
  // the flashing lights are switched on, at `start`.
  Press presses[4] = {};
  int count = 0, start = 0;
  if (variant == "yelp") {
    presses[count++] = {fn::kSiren, 0, 60, "Horn/Siren"};
    presses[count++] = {fn::kSiren, 700, 760, "Horn/Siren"};
    start = 1200;
  } else if (variant == "piercer") {
    presses[count++] = {fn::kSiren, 0, 60, "Horn/Siren"};
    presses[count++] = {fn::kSiren, 700, 1000, "Horn/Siren"};
    start = 1200;
  }
  presses[count++] = {fn::kLights, start, start + 60, "Flashing Lights"};
  const int end = start + 2000;

  NoHud hud;
  engine::Engine engine(config, hud);
  for (int ms = 0; ms <= end; ms += 10) {
    std::uint32_t word = 0;
    for (int i = 0; i < count; ++i) {
      if (ms >= presses[i].down && ms < presses[i].up) word |= 1u << presses[i].function;
      if (ms == presses[i].down && ms >= start) Note(ms - start, presses[i].name);
    }
    std::uint32_t switches = 0, lights = 0;
    engine.LightsTick(word, false, switches, lights, ms * engine::kMilli);
    // The lead-in before `start` sets the siren; only its last state matters.
    const long t = ms < start ? 0 : ms - start;
    if (switches) Small(t, "SMALL_LCS", switches);
    if (lights) Small(t, "SMALL_LCL", lights);
  }
  return 0;
}
