// Cost of building the control word once per tick, and proof that it allocates nothing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <sstream>

#include "input/bindings.hpp"
#include "input/controllers.hpp"
#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"

namespace {
std::atomic<std::uint64_t> g_allocations{0};
}

// Counting replacements of the global allocation functions; GCC mistakes the
// malloc/free pairing inside them for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using bnx::Binding;
using bnx::BindingList;
using bnx::input::ControllerList;
using bnx::platform::Guid;

const Guid kWheel{1, 0, 0, {}};
const Guid kBox{2, 0, 0, {}};
const Guid kWheelProduct{0xC24F046D, 0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
const Guid kBoxProduct{0x00011234, 0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};

struct Rig {
  bnx::platform::fake::FakeGameInput input;
  bnx::platform::fake::FakeKeyboard keyboard;
  ControllerList list{input};
  BindingList bindings;

  Rig() {
    input.Plug(kWheel, kWheelProduct, "Wheel", 25, 1);
    input.Plug(kBox, kBoxProduct, "Button Box", 32, 2);
    std::ostringstream out;
    list.Create(out);
    const std::string wheel = bnx::input::GuidToText(kWheelProduct);
    const std::string box = bnx::input::GuidToText(kBoxProduct);
    // The defaults, then 30 more spread over all functions and both devices.
    bindings.push_back(Binding{"", "", 1, {}, {}, {0x22}});
    bindings.push_back(Binding{"", "", 2, {}, {}, {0x21}});
    for (std::uint32_t i = 0; i < 30; ++i) {
      auto function = static_cast<bnx::ControlFunction>(1 + i % 14);
      switch (i % 3) {
        case 0:
          bindings.push_back(Binding{"", "", function, {}, {}, {0x41 + i % 26}});
          break;
        case 1:
          bindings.push_back(Binding{i % 2 ? wheel : box, "", function, {i % 20}, {}, {}});
          break;
        case 2:
          bindings.push_back(Binding{box, "", function, {}, {{i % 2, (i % 8) * 45}}, {}});
          break;
      }
    }
    bindings = bnx::input::MergeBindings(bindings);
    // Something held on each kind of input, none of it an early answer for all.
    keyboard.Hold(0x21);
    input.SetButton(kWheel, 7, true);
    input.SetPov(kBox, 1, 9000);
    list.PollAll();
  }
};

// Baseline: one keyboard read per bound input, the least any evaluation must do.
void BM_BaselineOneReadPerInput(benchmark::State& state) {
  Rig rig;
  for (auto _ : state)
    for (std::uint8_t code = 0x40; code < 0x40 + 32; ++code)
      benchmark::DoNotOptimize(rig.keyboard.KeyState(code));
}
BENCHMARK(BM_BaselineOneReadPerInput);

void BM_ReadControlWord(benchmark::State& state) {
  std::uint64_t setup = g_allocations.load();
  Rig rig;
  state.counters["setup_allocs"] = double(g_allocations.load() - setup);  // the counter works
  std::uint64_t before = g_allocations.load();
  for (auto _ : state)
    benchmark::DoNotOptimize(bnx::input::ReadControlWord(rig.list, rig.bindings, rig.keyboard));
  state.counters["allocs_per_call"] =
      benchmark::Counter(double(g_allocations.load() - before) / double(state.iterations()));
  state.counters["records"] = double(rig.bindings.size());
}
BENCHMARK(BM_ReadControlWord);

void BM_PollAllAndReadControlWord(benchmark::State& state) {
  Rig rig;
  std::uint64_t before = g_allocations.load();
  for (auto _ : state) {
    rig.list.PollAll();
    benchmark::DoNotOptimize(bnx::input::ReadControlWord(rig.list, rig.bindings, rig.keyboard));
  }
  state.counters["allocs_per_call"] =
      benchmark::Counter(double(g_allocations.load() - before) / double(state.iterations()));
}
BENCHMARK(BM_PollAllAndReadControlWord);

}  // namespace

BENCHMARK_MAIN();
