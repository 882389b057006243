#pragma once
// Drives the engine tick by tick (10 ms) from a script of key presses and
// releases at given milliseconds; records every tick and every HUD call.
#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

#include "engine/engine.hpp"
#include "input/binding.hpp"

namespace bnx::engine::test {

struct HudCall {
  enum Kind { kBar, kLabel, kShowLeft, kShowRight, kHide } kind;
  std::uint32_t arg;  // LightBar, tone or ClickID
  int ms;
  bool operator==(const HudCall& o) const { return kind == o.kind && arg == o.arg && ms == o.ms; }
};

inline std::ostream& operator<<(std::ostream& os, const HudCall& c) {
  static const char* const kNames[] = {"Bar", "Label", "ShowLeft", "ShowRight", "Hide"};
  return os << kNames[c.kind] << "(" << c.arg << ")@" << c.ms;
}

class RecordingHud : public HudOutput {
 public:
  std::vector<HudCall> calls;
  int ms = 0;
  void SetLightBar(LightBar bar) override { calls.push_back({HudCall::kBar, static_cast<std::uint32_t>(bar), ms}); }
  void SetSirenLabel(std::uint32_t tone) override { calls.push_back({HudCall::kLabel, tone, ms}); }
  void ShowLeftArrow() override { calls.push_back({HudCall::kShowLeft, 3, ms}); }
  void ShowRightArrow() override { calls.push_back({HudCall::kShowRight, 4, ms}); }
  void HideArrow(std::uint8_t id) override { calls.push_back({HudCall::kHide, id, ms}); }
  std::vector<HudCall> At(int at) const {
    std::vector<HudCall> out;
    for (const auto& c : calls)
      if (c.ms == at) out.push_back(c);
    return out;
  }
  std::vector<HudCall> Of(HudCall::Kind kind) const {
    std::vector<HudCall> out;
    for (const auto& c : calls)
      if (c.kind == kind) out.push_back(c);
    return out;
  }
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
  Timeline& operator=(const Timeline&) = delete;

  Timeline& At(int ms, std::function<void()> action) {
    events_.push_back({ms, std::move(action)});
    std::stable_sort(events_.begin() + static_cast<std::ptrdiff_t>(next_), events_.end(),
                     [](const Event& a, const Event& b) { return a.ms < b.ms; });
    return *this;
  }
  Timeline& Press(ControlFunction f, int ms) {
    return At(ms, [this, f] { word_ |= 1u << f; });
  }
  Timeline& Release(ControlFunction f, int ms) {
    return At(ms, [this, f] { word_ &= ~(1u << f); });
  }
  Timeline& Hold(ControlFunction f, int from, int to) { return Press(f, from).Release(f, to); }
  Timeline& Tap(ControlFunction f, int ms) { return Hold(f, ms, ms + 50); }
  Timeline& Ignore(int from, int to) {
    return At(from, [this] { ignored_ = true; }).At(to, [this] { ignored_ = false; });
  }
  Timeline& Mode(int ms, std::uint32_t mode) {
    return At(ms, [this, mode] { config.activeSirenMode = mode; });
  }

  // Runs every tick up to and including the one at `ms`.
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
  const SirenState& S(int ms) { return F(ms).siren; }

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
