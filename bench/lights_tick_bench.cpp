// One LightsTick in the busiest case: pattern running with its fast variants,
// the siren machine pressed, held and released, indicators blinking, and every
// HUD call made (to an output that only counts). Also counts heap allocations
// per tick, which must be none.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/engine.hpp"
#include "input/binding.hpp"

namespace {
std::atomic<std::size_t> g_allocations{0};
}

// Every allocation of the program goes through here; the default array and
// aligned forms forward to these.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace bnx;
using namespace bnx::engine;

class CountingHud : public HudOutput {
 public:
  void SetLightBar(LightBar) override { ++calls; }
  void SetSirenLabel(std::uint32_t) override { ++calls; }
  void ShowLeftArrow() override { ++calls; }
  void ShowRightArrow() override { ++calls; }
  void HideArrow(std::uint8_t) override { ++calls; }
  std::uint64_t calls = 0;
};

constexpr std::size_t kScriptTicks = 400;
constexpr std::uint32_t Bit(ControlFunction f) { return 1u << f; }

// Per 100 ticks: a siren tap, a left-indicator tap, a long siren press
// (bullhorn or piercer) and an extra-light tap; Wail and Yelp alternate, so
// the pattern keeps switching variants.
std::array<std::uint32_t, kScriptTicks> Script() {
  std::array<std::uint32_t, kScriptTicks> words{};
  for (std::size_t i = 0; i < kScriptTicks; ++i) {
    const std::size_t t = i % 100;
    std::uint32_t w = 0;
    if (t < 5) w |= Bit(fn::kSiren);
    if (t >= 50 && t < 75) w |= Bit(fn::kSiren);
    if (t >= 10 && t < 12) w |= Bit(fn::kLeftIndicator);
    if (t >= 30 && t < 32) w |= Bit(fn::kExtra);
    words[i] = w;
  }
  return words;
}

void Run(benchmark::State& state, std::uint32_t lightsMode, bool busy) {
  Config config;
  for (int o : {opt::kHazardsWithLights, opt::kFastYelp, opt::kFlashWithHorn, opt::kShowHud,
                opt::kExtraInLights})
    config.options[static_cast<std::size_t>(o)] = true;
  config.lightsMode = lightsMode;
  CountingHud hud;
  Engine engine(config, hud);
  const auto script = Script();
  Nanos now = 1'000'000'000'000;
  std::uint32_t sink = 0;
  auto tick = [&](std::uint32_t word) {
    std::uint32_t switches = 0, lights = 0;
    engine.LightsTick(word, false, switches, lights, now);
    now += 10 * kMilli;
    sink ^= switches ^ lights;
  };
  if (busy) {
    tick(Bit(fn::kLights));
    tick(0);
  }

  std::size_t i = 0;
  const std::size_t before = g_allocations.load();
  for (auto _ : state) {
    tick(busy ? script[i] : 0);
    if (++i == kScriptTicks) i = 0;
  }
  const std::size_t allocations = g_allocations.load() - before;
  benchmark::DoNotOptimize(sink);
  state.counters["allocs_per_tick"] =
      benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
  state.counters["hud_calls_per_tick"] =
      benchmark::Counter(static_cast<double>(hud.calls), benchmark::Counter::kAvgIterations);
  state.counters["flashing"] = engine.light().flashing ? 1 : 0;
}

void BM_LightsTickIdle(benchmark::State& state) { Run(state, 0, false); }
void BM_LightsTickBusy(benchmark::State& state) {
  Run(state, static_cast<std::uint32_t>(state.range(0)), true);
}

BENCHMARK(BM_LightsTickIdle);
BENCHMARK(BM_LightsTickBusy)->DenseRange(0, 3);

}  // namespace

BENCHMARK_MAIN();
