#pragma once
// Drives the engine tick by tick (10 ms) from a script of key presses and
// releases at given milliseconds; records every tick and the HUD calls.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "input/binding.hpp"

namespace bnx::engine::test {

// Each HUD call as a short token: "B1" bar, "T2" siren label, "<" and ">"
// arrows shown, "x3" arrow hidden.
class RecordingHud : public HudOutput {
 public:
  struct Call {
    int ms;
    std::string token;
  };
  std::vector<Call> calls;
  int ms = 0;
  void SetLightBar(LightBar bar) override { Add("B" + std::to_string(static_cast<int>(bar))); }
  void SetSirenLabel(std::uint32_t tone) override { Add("T" + std::to_string(tone)); }
  void ShowLeftArrow() override { Add("<"); }
  void ShowRightArrow() override { Add(">"); }
  void HideArrow(std::uint8_t id) override { Add("x" + std::to_string(id)); }
  // "ms:token" for every call but the light bar's, space-separated.
  std::string Script() const {
    std::string out;
    for (const auto& c : calls)
      if (c.token[0] != 'B') out += (out.empty() ? "" : " ") + std::to_string(c.ms) + ":" + c.token;
    return out;
  }
  int Bars(int at) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [at](const Call& c) { return c.ms == at && c.token[0] == 'B'; }));
  }

 private:
  void Add(std::string token) { calls.push_back({ms, std::move(token)}); }
};

struct Frame {
  int ms;
  std::uint32_t switches, lights;
  LightState light;
  SirenState siren;
};

// Far from zero, as a steady clock is.
constexpr Nanos kBase = 1000 * 1000 * kMilli;

class Timeline {
 public:
  explicit Timeline(Config c = {}) : config(std::move(c)), engine(config, hud) {}
  Timeline(const Timeline&) = delete;  // the engine refers to our config and HUD

  // Actions run before the tick at `ms`, as a change from another thread would.
  Timeline& At(int ms, std::function<void()> action) {
    events_.push_back({ms, std::move(action)});
    std::stable_sort(events_.begin() + static_cast<std::ptrdiff_t>(next_), events_.end(),
                     [](const Event& a, const Event& b) { return a.ms < b.ms; });
    return *this;
  }
  Timeline& Press(ControlFunction f, int ms) { return At(ms, [this, f] { word_ |= 1u << f; }); }
  Timeline& Release(ControlFunction f, int ms) { return At(ms, [this, f] { word_ &= ~(1u << f); }); }
  Timeline& Hold(ControlFunction f, int from, int to) { return Press(f, from).Release(f, to); }
  Timeline& Tap(ControlFunction f, int ms) { return Hold(f, ms, ms + 50); }
  Timeline& Ignore(int from, int to) {
    return At(from, [this] { ignored_ = true; }).At(to, [this] { ignored_ = false; });
  }

  Timeline& RunTo(int ms) {
    for (; now_ <= ms; now_ += 10) {
      while (next_ < events_.size() && events_[next_].ms <= now_) events_[next_++].action();
      hud.ms = now_;
      std::uint32_t switches = 0, lights = 0;
      engine.LightsTick(word_, ignored_, switches, lights, kBase + now_ * kMilli);
      frames.push_back({now_, switches, lights, engine.light(), engine.sirenState()});
    }
    return *this;
  }
  const Frame& F(int ms) {
    RunTo(ms);
    return frames.at(static_cast<std::size_t>(ms / 10));
  }
  const LightState& L(int ms) { return F(ms).light; }

  Config config;
  RecordingHud hud;
  Engine engine;
  std::vector<Frame> frames;

 private:
  struct Event {
    int ms;
    std::function<void()> action;
  };
  std::vector<Event> events_;
  std::size_t next_ = 0;
  std::uint32_t word_ = 0;
  bool ignored_ = false;
  int now_ = 0;
};

inline Config WithOptions(std::initializer_list<int> options, std::uint32_t sirenMode = 0,
                          std::uint32_t lightsMode = 0) {
  Config c;
  for (int o : options) c.options[static_cast<std::size_t>(o)] = true;
  c.activeSirenMode = sirenMode;
  c.lightsMode = lightsMode;
  return c;
}

}  // namespace bnx::engine::test
