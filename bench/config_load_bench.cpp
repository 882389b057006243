// Loading and saving a Beaconix.cfg of many lines: the reading (line by line,
// every binding merged), the merge alone, and a Save (which reads the old file
// again to see whether it must be kept). The baseline is the line splitting
// alone on the same text; each figure is also fitted to N to show the growth.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "config/config_file.hpp"
#include "config/config_format.hpp"
#include "config/line_reader.hpp"
#include "input/bindings.hpp"
#include "input/functions.hpp"

namespace {

namespace fs = std::filesystem;
using namespace bnx;

// A file as a player with many controllers might have it, or a generator
// gone wild: the settings, then `lines` bindings over 15 functions, keys,
// 500 devices' buttons and hats, one line in ten a repeat.
std::string File(std::int64_t lines) {
  std::string text =
      "v:1\nm:1\nM:1\nc:0\nl:2\no:0:1\no:1:0\no:2:0\no:3:0\no:4:0\no:5:0\no:6:0\no:7:1\n";
  std::mt19937 rng(7);
  std::string previous;
  for (std::int64_t i = 0; i < lines; ++i) {
    if (i % 10 == 9) {
      text += previous;
      continue;
    }
    const std::string key(input::FunctionConfigKey(static_cast<ControlFunction>(1 + rng() % 14)));
    char guid[48];
    std::snprintf(guid, sizeof guid, "{%08X-0000-0000-0000-504944564944}", unsigned(rng() % 500));
    switch (rng() % 3) {
      case 0:
        previous = "k:" + key + ":" + std::to_string(0x41 + rng() % 26) + "\n";
        break;
      case 1:
        previous = "b:" + key + ":" + guid + ":UGFk:" + std::to_string(rng() % 128) + "\n";
        break;
      default:
        previous = "p:" + key + ":" + guid + ":UGFk:" + std::to_string(rng() % 4) + ":" +
                   std::to_string(rng() % 8 * 45) + "\n";
    }
    text += previous;
  }
  return text;
}

void LineSplit(benchmark::State& state) {
  const std::string text = File(state.range(0));
  for (auto _ : state) {
    std::istringstream in(text);
    std::string line;
    bool tooLong = false;
    std::int64_t n = 0;
    while (config::ReadBoundedLine(in, line, config::kMaxLineLength, tooLong, nullptr, true)) ++n;
    benchmark::DoNotOptimize(n);
  }
  state.SetComplexityN(state.range(0));
}

void ReadConfig(benchmark::State& state) {
  const std::string text = File(state.range(0));
  std::size_t records = 0;
  for (auto _ : state) {
    std::istringstream in(text);
    std::ostringstream err;
    Config cfg;
    if (config::ReadConfig(cfg, in, err) != config::LoadResult::kLoaded || !err.str().empty())
      state.SkipWithError("did not load");
    records = cfg.bindings.size();
  }
  state.counters["records"] = double(records);
  state.SetComplexityN(state.range(0));
}

void MergeBindings(benchmark::State& state) {
  const std::string text = File(state.range(0));
  BindingList list;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line[0] == 'k' || line[0] == 'b' || line[0] == 'p')
      list.push_back(config::ParseBindingLine(line));
  for (auto _ : state) benchmark::DoNotOptimize(input::MergeBindings(list));
  state.SetComplexityN(state.range(0));
}

// The file the Save replaces holds the same many lines.
void SaveConfig(benchmark::State& state) {
  const fs::path dir =
      fs::temp_directory_path() / ("bnx-bench-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const std::string file = (dir / "Beaconix.cfg").string();
  Config cfg;
  std::istringstream in(File(state.range(0)));
  std::ostringstream err;
  config::ReadConfig(cfg, in, err);
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(file, std::ios::binary) << File(state.range(0));
    state.ResumeTiming();
    if (config::SaveConfig(cfg, file, err) != config::SaveResult::kWritten)
      state.SkipWithError("did not save");
  }
  fs::remove_all(dir);
  state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(LineSplit)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(ReadConfig)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(MergeBindings)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(SaveConfig)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK_MAIN();
