// The engine as timelines, run tick by tick (10 ms): each row is a
// configuration, a script of key holds, mode changes and ignored spans, and
// what the car and the HUD must show at given ticks.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "engine/engine.hpp"
#include "engine/mode_tables.hpp"
#include "input/binding.hpp"

namespace bnx::engine::test {
namespace {

// Each HUD call as a tick and a short token: "B1" light bar, "T2" siren label,
// "<" and ">" arrows shown, "x3" arrow hidden.
class RecordingHud : public HudOutput {
 public:
  std::vector<std::pair<int, std::string>> calls;
  int ms = 0;
  void SetLightBar(LightBar bar) override { calls.push_back({ms, "B" + std::to_string(static_cast<int>(bar))}); }
  void SetSirenLabel(std::uint32_t tone) override { calls.push_back({ms, "T" + std::to_string(tone)}); }
  void ShowLeftArrow() override { calls.push_back({ms, "<"}); }
  void ShowRightArrow() override { calls.push_back({ms, ">"}); }
  void HideArrow(std::uint8_t id) override { calls.push_back({ms, "x" + std::to_string(id)}); }
  // "ms:token" for every call but the light bar's, space-separated.
  std::string Script() const {
    std::string out;
    for (const auto& [at, token] : calls)
      if (token[0] != 'B') out += (out.empty() ? "" : " ") + std::to_string(at) + ":" + token;
    return out;
  }
};

struct Frame { std::uint32_t switches, lights; LightState light; SirenState siren; bool hint; };

struct Ev { char op; int arg, ms, to; };  // h hold a key, i ignore input, m siren mode, l lights mode, x switch off
constexpr Ev Hold(ControlFunction f, int ms, int to) { return {'h', f, ms, to}; }
constexpr Ev Tap(ControlFunction f, int ms) { return Hold(f, ms, ms + 50); }
constexpr Ev Ignore(int ms, int to) { return {'i', 0, ms, to}; }
constexpr Ev SirenMode(int ms, int mode) { return {'m', mode, ms, 0}; }
constexpr Ev LightsMode(int ms, int mode) { return {'l', mode, ms, 0}; }
constexpr Ev SwitchOff(int ms) { return {'x', 0, ms, 0}; }  // the tick switches off, as when the program ends

class Timeline {
 public:
  Timeline(Config c, std::vector<Ev> events) : config(std::move(c)), engine(config, hud), events_(std::move(events)) {}
  Timeline(const Timeline&) = delete;  // the engine refers to our config and HUD

  // Events act before the tick they fall in, as a change from another thread would.
  Timeline& RunTo(int ms) {
    constexpr Nanos kBase = 1000 * 1000 * kMilli;  // far from zero, as a steady clock is
    for (; now_ <= ms; now_ += 10) {
      const auto due = [this](int at) { return at > now_ - 10 && at <= now_; };
      bool off = false;
      for (const Ev& e : events_) {
        if (e.op == 'h' && due(e.ms)) word_ |= 1u << e.arg;
        if (e.op == 'h' && due(e.to)) word_ &= ~(1u << e.arg);
        if (e.op == 'i' && (due(e.ms) || due(e.to))) ignored_ = due(e.ms);
        if (e.op == 'm' && due(e.ms)) config.activeSirenMode = static_cast<std::uint32_t>(e.arg);
        if (e.op == 'l' && due(e.ms)) config.lightsMode = static_cast<std::uint32_t>(e.arg);
        off |= e.op == 'x' && due(e.ms);
      }
      hud.ms = now_;
      std::uint32_t switches = 0, lights = 0;
      if (off)
        engine.SwitchOff(switches, lights);
      else
        engine.LightsTick(word_, ignored_, switches, lights, kBase + now_ * kMilli);
      frames.push_back({switches, lights, engine.light(), engine.sirenState(), engine.modeHintDue()});
      engine.ClearModeHint();  // as the connection does once it has sent the hint
    }
    return *this;
  }
  const Frame& F(int ms) { return RunTo(ms).frames.at(static_cast<std::size_t>(ms / 10)); }

  Config config;
  RecordingHud hud;
  Engine engine;
  std::vector<Frame> frames;

 private:
  std::vector<Ev> events_;
  std::uint32_t word_ = 0;
  bool ignored_ = false;
  int now_ = 0;
};

inline Config WithOptions(std::initializer_list<int> options, std::uint32_t sirenMode = 0, std::uint32_t lightsMode = 0) {
  Config c;
  for (int o : options) c.options[static_cast<std::size_t>(o)] = true;
  c.activeSirenMode = sirenMode;
  c.lightsMode = lightsMode;
  return c;
}

enum Field { kHorn, kSiren, kTone, kHead, kInd, kFlash, kFront, kRear, kExtra, kFlashing, kEngaged, kOffByDT, kSaved,
             kSwitches, kLights, kBlink, kCounter, kBar, kBars, kHint };
constexpr const char* kFieldNames[] = {"horn", "siren", "tone", "head", "ind", "flash", "front", "rear", "extra", "flashing",
                                       "engaged", "offByDT", "saved", "switches", "lights", "blink", "counter", "bar", "bars", "hint"};

struct Check { int ms; Field field; std::int64_t value; int to = 0; };  // at `ms`, or every tick from `ms` to `to`

// hud: every siren label and arrow call of the run, "ms:token", when not null.
struct Row { std::string name; Config config; std::vector<Ev> events; std::vector<Check> checks; const char* hud = nullptr; };
void PrintTo(const Row& r, std::ostream* os) { *os << r.name; }

std::int64_t Read(Timeline& t, int ms, Field f) {
  const Frame& fr = t.F(ms);
  const LightState& l = fr.light;
  std::int64_t bar = -1, bars = 0;  // the last light bar text set in the tick, and how often
  for (const auto& [at, token] : t.hud.calls)
    if (at == ms && token[0] == 'B') bar = token[1] - '0', ++bars;
  const std::int64_t values[] = {l.horn, l.siren, fr.siren.tone, l.headlights, l.indicators, l.flash, l.frontFog,
                                 l.rearFog, l.extra, l.flashing, fr.siren.engaged, fr.siren.offByDoubleTap,
                                 l.savedHeadlights, fr.switches, fr.lights, l.blinkCounter, l.patternCounter, bar, bars, fr.hint};
  return values[f];
}

constexpr ControlFunction S = fn::kSiren, B = fn::kBullhorn, Li = fn::kLights, C = fn::kHeadlightsCycle;
constexpr int kO0 = opt::kHazardsWithLights, kO1 = opt::kFastYelp, kO3 = opt::kFlashWithHorn,
              kO4 = opt::kBullhornInterrupts, kO8 = opt::kRunningLights, kO9 = opt::kExtraInLights;

// What each siren mode does with taps, a double tap, holds and the Bullhorn key.
// tones and sirens after four spaced taps; the horn and siren during a long press with the siren on, the horn after
// it; the horn when a tap is followed by a long press; the horn while the Bullhorn key is held.
struct ModeRow { std::uint32_t mode; std::array<std::uint32_t, 4> tones, sirens; std::uint32_t holdHorn, holdSiren,
                 afterHoldHorn, tapHoldHorn, bullhornHorn; };

void AddModeRows(std::vector<Row>& rows, const ModeRow& m) {
  const std::string n = "Mode" + std::to_string(m.mode);
  const Config c = WithOptions({}, m.mode);
  Row taps{n + "Taps", c, {Tap(S, 0), Tap(S, 1000), Tap(S, 2000), Tap(S, 3000)}, {}};
  for (int i = 0; i < 4; ++i) {
    taps.checks.push_back({i * 1000, kHorn, 1});  // every press sounds the horn
    taps.checks.push_back({i * 1000 + 60, kTone, m.tones[i]});
    taps.checks.push_back({i * 1000 + 60, kSiren, m.sirens[i]});
  }
  taps.checks.push_back({2060, kHorn, m.tones[2] == tone::kPiercer ? horn::kPiercer : 0});
  rows.push_back(taps);
  rows.push_back({n + "DoubleTap", c, {Tap(S, 0), Tap(S, 1000), Tap(S, 1200)},
                  {{1100, kSiren, m.sirens[1]}, {1300, kSiren, 0}, {1300, kTone, 0}, {1300, kEngaged, 0}}});
  rows.push_back({n + "LongPress", c, {Tap(S, 0), Hold(S, 1000, 1500)},
                  {{1300, kHorn, m.holdHorn}, {1300, kSiren, m.holdSiren}, {1600, kHorn, m.afterHoldHorn}}});
  rows.push_back({n + "TapThenLongPress", c, {Tap(S, 0), Tap(S, 1000), Hold(S, 1150, 1600)},
                  {{1400, kHorn, m.tapHoldHorn}}});
  rows.push_back({n + "BullhornKey", c, {Tap(S, 0), Hold(B, 1000, 1500)},
                  {{1200, kHorn, m.bullhornHorn},
                   {1500, kSwitches, m.bullhornHorn ? lcs::kHornChange : 0},  // horn off, siren kept
                   {1500, kSiren, m.sirens[0]},
                   {1600, kHorn, 0}}});
}

// One flashing-light pattern: what the car shows at ticks 0, 25, 50 and 75.
struct Look { std::uint32_t head; bool front, rear, extra; std::uint32_t ind; char bar; };  // bar L, R or '-' (no call)
constexpr Look F(bool front, bool rear, bool extra, std::uint32_t head, char bar) { return {head, front, rear, extra, 0, bar}; }
constexpr Look Hd(std::uint32_t head, std::uint32_t ind, char bar) { return {head, false, false, false, ind, bar}; }

// Siren taps before the start: 1 Wail, 2 Yelp, 3 Piercer (in mode 3); `before`: a key tapped just before it.
struct PatternRow { const char* name; std::uint32_t lightsMode; Config config; int sirenTaps; ControlFunction before;
                    std::array<Look, 4> at; };

void AddPatternRow(std::vector<Row>& rows, PatternRow p) {
  constexpr int kStart = 3000;
  p.config.lightsMode = p.lightsMode;
  if (p.sirenTaps == 3) p.config.activeSirenMode = 3;
  Row r{std::string("Pattern") + p.name, p.config, {Tap(Li, kStart)}, {}};
  for (int i = 0; i < p.sirenTaps; ++i) r.events.push_back(Tap(S, i * 1000));
  if (p.before != fn::kNone) r.events.push_back(Tap(p.before, 2500));
  for (int step = 0; step <= 4; ++step) {
    const Look& l = p.at[static_cast<std::size_t>(step % 4)];
    const int ms = kStart + step * 250;
    for (auto [f, v] : {std::pair{kHead, l.head}, {kFront, l.front}, {kRear, l.rear}, {kExtra, l.extra}, {kInd, l.ind}})
      r.checks.push_back({ms, f, v});
    r.checks.push_back({ms, kBar, l.bar == 'L' ? 1 : l.bar == 'R' ? 2 : -1});
    if (step < 4) r.checks.push_back({ms + 10, kLights, 0, ms + 240});  // nothing between steps
  }
  rows.push_back(r);
}

std::vector<Row> Rows() {
  std::vector<Row> rows = {
      // Horn/Siren key
      {"PressOf180msIsALongPress", {}, {Hold(S, 0, 180)},
       {{0, kSwitches, 0x10008}, {0, kLights, 0}, {180, kSwitches, lcs::kHornChange}, {180, kTone, 0, 300}, {300, kSiren, 0}}},
      {"PressOf170msIsATap", {}, {Hold(S, 0, 170)}, {{300, kTone, 1}, {300, kHorn, 0}}},
      {"BullhornAfter180msThenTapIsNoDoubleTap", {}, {Tap(S, 0), Hold(S, 1000, 1250), Tap(S, 1300)},
       {{1180, kHorn, 1}, {1190, kHorn, horn::kBullhorn}, {1190, kSiren, siren::kSlow}, {1250, kHorn, 0}, {1400, kTone, tone::kYelp}},
       "50:T1 1350:T2"},
      {"DoubleTapWindowEndsAtSecondRelease", {}, {Tap(S, 0), Tap(S, 1000), Hold(S, 1300, 1440)}, {{1500, kTone, 0}}},
      {"DoubleTapWindowIsExclusive", {}, {Tap(S, 0), Tap(S, 1000), Hold(S, 1300, 1450)}, {{1500, kTone, 1}}},
      {"TapThenHoldPiercerReturnsToYelp", {}, {Tap(S, 0), Tap(S, 1000), Hold(S, 1250, 1500)},
       {{1440, kHorn, horn::kPiercer}, {1440, kSiren, 0}, {1600, kHorn, horn::kPiercer}, {6440, kHorn, horn::kPiercer},
        {6450, kHorn, 0}, {6450, kSiren, siren::kFast}, {6450, kTone, tone::kYelp}}},
      {"TapThenHoldPastWindowIsBullhorn", {}, {Tap(S, 0), Tap(S, 1000), Hold(S, 1260, 2000)}, {{1460, kHorn, horn::kBullhorn}}},
      {"TapDuringPiercerBringsBackTheTone", WithOptions({}, 1), {Tap(S, 0), Tap(S, 1000), Hold(S, 2000, 2400), Tap(S, 3000)},
       {{2300, kHorn, horn::kPiercer}, {3000, kHorn, 1}, {3060, kSiren, siren::kFast}, {3060, kHorn, 0}}},
      {"CyclePiercerEndsWithYelpUnderPiercerLabel", WithOptions({}, 3), {Tap(S, 0), Tap(S, 1000), Tap(S, 2000), Tap(S, 8000)},
       {{2060, kHorn, horn::kPiercer}, {7060, kHorn, 0}, {7060, kSiren, siren::kFast}, {7060, kTone, tone::kPiercer},
        {8060, kHorn, horn::kPiercer}}},
      {"DoubleTapBlocksTapThenHoldPiercer", {},
       {Tap(S, 0), Tap(S, 1000), Tap(S, 1200), Tap(S, 3000), Hold(S, 3100, 3500), Tap(S, 5000), Hold(S, 5100, 5500)},
       {{1300, kOffByDT, 1}, {3400, kHorn, horn::kBullhorn}, {5400, kHorn, horn::kPiercer}}},
      {"LightsWithSirenAndFlashWithHorn", WithOptions({opt::kLightsWithSiren, kO3}), {Tap(S, 0)},
       {{0, kFlash, 1}, {0, kSwitches, 0x1040A}, {50, kFlash, 0}, {50, kFlashing, 1}, {50, kHead, head::kFull}}},
      // Bullhorn key
      {"BullhornInterruptsAndRestoresYelp", WithOptions({kO4}, 1), {Tap(S, 0), Tap(S, 1000), Hold(B, 2000, 2500)},
       {{2000, kHorn, horn::kBullhorn}, {2000, kSiren, 0}, {2500, kHorn, 0}, {2500, kSiren, siren::kFast}, {2500, kTone, tone::kYelp}}},
      {"BullhornReplacesPiercerWhichKeepsItsStart", WithOptions({}, 1), {Tap(S, 0), Hold(S, 1000, 1300), Hold(B, 2000, 2500)},
       {{2200, kHorn, horn::kBullhorn}, {2500, kHorn, horn::kPiercer}, {6190, kHorn, horn::kPiercer}, {6200, kHorn, 0},
        {6200, kSiren, siren::kSlow}}},
      {"BullhornReleaseAfterModeChangeSilencesIt", WithOptions({kO4}, 1), {Tap(S, 0), Hold(B, 1000, 1500), SirenMode(1200, 6)},
       {{1400, kHorn, horn::kBullhorn}, {1500, kHorn, 0}, {1500, kSiren, 0}}},
      // Modes without sirens
      {"ShutDownSilencesAndClearsTone", {}, {Tap(S, 0), SirenMode(1000, 5)},
       {{990, kSiren, siren::kSlow}, {1000, kSiren, 0}, {1000, kTone, 0}}, "50:T1 1000:T0"},
      {"ShutDownEndsPiercerWithoutASiren", {}, {Tap(S, 0), Tap(S, 1000), Hold(S, 1100, 1500), SirenMode(2000, 5)},
       {{1990, kHorn, horn::kPiercer}, {2000, kHorn, 0}, {2000, kTone, 0}, {2000, kSiren, 0, 8000}}},
      // Faults mended: an unseen press is no press
      {"UnseenPressGivesNoBullhorn", {}, {Tap(S, 0), Tap(S, 1000), Ignore(2000, 2300), Hold(S, 2100, 2600), Tap(S, 3000)},
       {{2300, kHorn, 0, 2590}, {2700, kTone, tone::kYelp}, {2700, kSiren, siren::kFast}, {3060, kTone, tone::kWail}}},
      {"TowHazardsEndWithTheirMode", WithOptions({}, 5),
       {Tap(Li, 0), SirenMode(700, 0), SirenMode(1000, 5), SirenMode(1700, 6)},
       {{500, kInd, ind::kHazard}, {700, kInd, 0, 990}, {1500, kInd, ind::kHazard}, {1700, kInd, 0, 1800}, {1700, kFlashing, 0}},
       ""},  // the pattern's hazards show no arrows
      {"FlashFollowsTheHornAcrossFlashingLights", WithOptions({kO3}, 1),
       {Hold(S, 0, 500), Tap(Li, 100), Tap(Li, 700), Hold(B, 1000, 1500), Tap(Li, 1100), Tap(Li, 1700)},
       {{0, kFlash, 1}, {500, kFlash, 0, 900}, {1000, kFlash, 1}, {1500, kFlash, 0, 1900}}},
      {"BullhornRestoresNoSirenSwitchedOffMeanwhile", WithOptions({kO4}, 1),
       {Tap(S, 0), Hold(B, 1000, 1500), Tap(S, 1100), Tap(S, 1250)},
       {{1300, kSiren, 0}, {1500, kSiren, 0, 2000}, {1500, kHorn, 0}, {1500, kTone, 0}}},
      // The tone resumes: the burst was cut by the player, not a switch-off.
      {"LongPressDuringPiercerResumesTheTone", {}, {Tap(S, 0), Tap(S, 1000), Hold(S, 1100, 1500), Hold(S, 2000, 2500)},
       {{1290, kHorn, horn::kPiercer}, {2190, kHorn, 1}, {2500, kHorn, 0}, {2500, kSiren, siren::kFast}, {2500, kTone, tone::kYelp}}},
      // A horn sounding when input becomes ignored sounds until a new press ends.
      {"MissedReleaseLeavesNextHoldWorking", WithOptions({kO3}),
       {Tap(S, 0), Hold(S, 1000, 1400), Ignore(1300, 1500), Hold(S, 2000, 2500)},
       {{1400, kHorn, horn::kBullhorn, 1990}, {1990, kFlash, 1}, {2000, kHorn, 1}, {2190, kHorn, horn::kBullhorn},
        {2500, kHorn, 0}, {2500, kFlash, 0}}},
      {"LightsModeChangeSwitchesOffOldPatternLights", WithOptions({kO9}, 0, 1),
       {Tap(Li, 0), LightsMode(100, 0), LightsMode(2000, 1), LightsMode(2300, 2), Tap(Li, 2300)},  // then with a stop
       {{0, kFront, 1}, {0, kExtra, 1}, {100, kLights, lcl::kFrontFogChange | lcl::kExtraChange}, {100, kFront, 0, 1500},
        {100, kExtra, 0, 1500}, {1000, kHead, head::kFull}, {2000, kFront, 1}, {2300, kFront, 0}, {2300, kFlashing, 0}}},
      // Lights keys
      {"HeadlightsCycleAndSameTickLastWriteWins", {}, {Tap(C, 0), Tap(fn::kFullBeam, 0), Tap(C, 100), Tap(C, 200), Tap(C, 300), Tap(C, 400)},
       {{0, kLights, 0xC0004}, {100, kHead, 0}, {200, kHead, 1}, {300, kHead, 2}, {400, kHead, 3}}},
      {"RunningLightsCycleAndStart", WithOptions({kO8}), {Tap(C, 100), Tap(C, 200), Tap(C, 300), Tap(C, 400), Tap(fn::kDippedBeam, 500)},
       {{0, kHead, 1}, {0, kLights, 0}, {100, kHead, 2}, {200, kHead, 3}, {300, kHead, 1}, {400, kHead, 2}, {500, kHead, 0}}},
      {"DirectHeadlightKeysAndInertFlash", {},
       {Tap(fn::kSidelights, 0), Tap(fn::kSidelights, 100), Tap(fn::kDippedBeam, 200), Tap(fn::kFullBeam, 300),
        Tap(fn::kFullBeam, 400), Tap(fn::kFlash, 500)},
       {{0, kHead, 1}, {100, kHead, 0}, {200, kHead, 2}, {300, kHead, 3}, {400, kHead, 0}, {500, kLights, 0}, {500, kSwitches, 0}}},
      {"FogsExtraHornAndIndicatorPriority", {},
       {Tap(fn::kFrontFog, 0), Tap(S, 0), Tap(fn::kRearFog, 100), Tap(fn::kExtra, 100), Tap(fn::kFrontFog, 200),
        Hold(fn::kLeftIndicator, 300, 400), Hold(fn::kHazards, 300, 600), Hold(fn::kRightIndicator, 500, 600),
        Hold(fn::kLeftIndicator, 500, 600), Tap(fn::kHazards, 700)},
       {{0, kLights, 0x200020}, {0, kSwitches, 0x10008}, {100, kLights, 0x500050}, {200, kLights, lcl::kFrontFogChange},
        {300, kInd, ind::kLeft}, {500, kInd, 0}, {700, kLights, 0x30001}}},
      {"FlashingLightsOwnTheHeadlights", WithOptions({}, 0, 2),
       {Tap(fn::kDippedBeam, 0), Tap(Li, 100), Tap(fn::kSidelights, 200), Tap(C, 300), Tap(fn::kLeftIndicator, 300), Tap(Li, 1000)},
       {{200, kHead, 2}, {200, kLights, 0}, {300, kInd, 1}, {300, kSaved, 2}, {1000, kFlashing, 0},
        {1000, kLights, 0x80044}, {1000, kInd, 1}, {1000, kBar, 0}}},  // extra written off although off
      {"StopClearsWhatTheModeOwns", WithOptions({kO0}, 0, 1), {Tap(fn::kHazards, 0), Tap(Li, 100), Tap(Li, 700)},
       {{650, kRear, 1}, {700, kRear, 0}, {700, kFront, 0}, {700, kInd, 0}, {700, kHead, 0}}},
      {"ModeSixStopsAndForbidsFlashingLights", {}, {Tap(Li, 0), SirenMode(300, 6), Tap(Li, 500)},
       {{290, kFlashing, 1}, {300, kFlashing, 0}, {300, kHead, 0}, {500, kFlashing, 0, 600}}},
      // A key that does nothing in its mode asks for the hint once per engine; a hold is a plain horn.
      {"DisabledKeysAskForTheHintOnce", WithOptions({}, 6), {Tap(Li, 0), Tap(Li, 500), Tap(S, 1000)},
       {{0, kHint, 1}, {10, kHint, 0, 1500}}},
      {"OnlyATowSirenTapAsksForTheHint", WithOptions({}, 6),
       {Ignore(0, 100), Tap(Li, 50), SirenMode(200, 5), Tap(Li, 300), Hold(S, 500, 900), Tap(S, 1000)},
       {{0, kHint, 0, 1040}, {1050, kHint, 1}}},
      {"KeyHeldWhileFocusReturnsGivesNoPress", {}, {Tap(Li, 0), Ignore(100, 500), Hold(fn::kFrontFog, 200, 700), Hold(fn::kFrontFog, 900, 950)},
       {{490, kHead, 3}, {500, kHead, 0}, {800, kFront, 0}, {900, kFront, 1}}},
      // HUD arrows: shown 49 ticks, hidden 51, also while input is ignored
      {"BlinkRhythm", {}, {Tap(fn::kLeftIndicator, 100), Ignore(200, 2100)}, {{2090, kInd, 1}},
       "100:< 100:x4 590:x3 590:x4 1100:< 1100:x4 1590:x3 1590:x4"},
      {"EveryIndicatorKeyRestartsTheBlink", {},
       {Tap(fn::kLeftIndicator, 0), Tap(fn::kRightIndicator, 300), Tap(fn::kHazards, 1000), Tap(fn::kHazards, 1200)},
       {{2000, kBlink, -1}}, "0:< 0:x4 300:> 300:x3 790:x3 790:x4 1000:< 1000:> 1200:x3 1200:x4"},
      {"BlinkEndsWhenStoppingLightsClearHazards", WithOptions({kO0}), {Tap(Li, 0), Tap(fn::kHazards, 200), Tap(Li, 800)},
       {{800, kBar, 0}, {800, kInd, 0}}, "200:< 200:> 690:x3 690:x4 800:x3 800:x4"},
      // Switching off as the program ends: what the engine switched on goes, the player's own lights stay
      {"SwitchOffEndsWailAndGivesBackThePlayersBeam", {}, {Tap(S, 0), Tap(fn::kDippedBeam, 100), Tap(Li, 200), SwitchOff(450)},
       {{440, kHead, head::kFull}, {450, kSwitches, lcs::kSirenChange}, {450, kLights, 0x80004}, {450, kFlashing, 0},
        {450, kBar, 0}, {450, kTone, 0}, {450, kEngaged, 0}}, "50:T1 450:T0"},
      {"SwitchOffEndsBullhornFlashAndBeaconFogs", WithOptions({kO3}, 1, 3), {Hold(B, 0, 2000), Tap(Li, 100), SwitchOff(400)},
       {{390, kExtra, 1}, {400, kSwitches, lcs::kHornChange | lcs::kFlashChange}, {400, kLights, 0x70},
        {400, kHorn, 0, 2000}, {400, kFlash, 0, 2000}, {2000, kSwitches, 0}}},  // the key's release sounds nothing
      {"SwitchOffEndsAPiercerWhoseKeyThenCountsNoMore", {}, {Tap(S, 0), Tap(S, 1000), Hold(S, 1100, 1500), SwitchOff(1400)},
       {{1390, kHorn, horn::kPiercer}, {1400, kSwitches, lcs::kHornChange}, {1400, kTone, 0}, {1400, kHorn, 0, 7000},
        {1400, kSiren, 0, 7000}}},
      {"SwitchOffEndsTowHazards", WithOptions({}, 5), {Tap(Li, 0), SwitchOff(600)}, {{590, kInd, ind::kHazard}, {600, kLights, 0x1}}},
      {"SwitchOffAfterALightsModeChangeEndsTheOldPattern", WithOptions({}, 0, 1), {Tap(Li, 0), LightsMode(100, 0), SwitchOff(100)},
       {{90, kFront, 1}, {100, kLights, lcl::kFrontFogChange}, {100, kFront, 0}}},
      {"SwitchOffLeavesThePlayersOwnLights", {},
       {Tap(fn::kFullBeam, 0), Tap(fn::kFrontFog, 0), Tap(fn::kLeftIndicator, 0), SwitchOff(100)},
       {{100, kSwitches, 0}, {100, kLights, 0}, {100, kHead, head::kFull}, {100, kFront, 1}, {100, kInd, ind::kLeft}}},
      // Patterns
      {"ClassicOnFullBeamStartsQuietly", WithOptions({kO0}), {Tap(fn::kFullBeam, 0), Tap(Li, 1000)}, {{1000, kLights, 0}, {1000, kBars, 1}}},
      {"VariantIsChosenAtEveryStep", WithOptions({kO1}, 0, 2), {Tap(S, 0), Tap(Li, 1000), Tap(S, 1100)},
       {{1090, kSiren, siren::kSlow}, {1250, kHead, head::kFull}, {1250, kExtra, 0}}},
      {"UnknownLightsModeRunsNoStepButCounts", WithOptions({}, 0, 4), {Tap(Li, 0)},
       {{0, kLights, 0, 1000}, {370, kCounter, 38}, {990, kCounter, 0}}},
  };
  {
    using namespace siren_mode;
    constexpr std::array<std::uint32_t, 4> kCycle2{tone::kWail, tone::kYelp, tone::kWail, tone::kYelp},
        kCycle3{tone::kWail, tone::kYelp, tone::kPiercer, tone::kWail},
        kSirens2{siren::kSlow, siren::kFast, siren::kSlow, siren::kFast},
        kSirens3{siren::kSlow, siren::kFast, siren::kOff, siren::kSlow}, kSilent{};
    constexpr std::uint32_t kCarHorn = 1 /* Config's hornType */, kOff = horn::kOff, kBull = horn::kBullhorn, kPiercer = horn::kPiercer;
    // Mode, tones, sirens; then holdHorn, holdSiren, afterHoldHorn, tapHoldHorn, bullhornHorn.
    for (const ModeRow& m : {ModeRow{kWailYelp, kCycle2, kSirens2, kBull, siren::kSlow, kOff, kPiercer, kOff},
                             ModeRow{kBullhornA, kCycle2, kSirens2, kPiercer, siren::kOff, kPiercer, kPiercer, kBull},
                             ModeRow{kBullhornB, kCycle2, kSirens2, kCarHorn, siren::kSlow, kOff, kPiercer, kBull},
                             ModeRow{kPiercerCycle, kCycle3, kSirens3, kBull, siren::kSlow, kOff, kBull, kOff},
                             ModeRow{kPiercerCycleBullhorn, kCycle3, kSirens3, kCarHorn, siren::kSlow, kOff, kCarHorn, kBull},
                             ModeRow{kTow, kSilent, kSilent, kCarHorn, siren::kOff, kOff, kCarHorn, kOff},
                             ModeRow{kRaceCivilian, kSilent, kSilent, kCarHorn, siren::kOff, kOff, kCarHorn, kOff}})
      AddModeRows(rows, m);
  }
  const Config none, fast = WithOptions({kO1}), o0 = WithOptions({kO0}), o9 = WithOptions({kO9}),
                     o19 = WithOptions({kO1, kO9}), tow = WithOptions({}, 5);
  constexpr ControlFunction kNo = fn::kNone;
  for (const PatternRow& p : std::initializer_list<PatternRow>{
           {"ClassicNormal", 0, none, 0, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 0, 'R'), Hd(0, 0, '-')}},
           {"ClassicHazards", 0, o0, 0, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 3, 'R'), Hd(0, 3, '-')}},
           {"ClassicWailStaysNormal", 0, fast, 1, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 0, 'R'), Hd(0, 0, '-')}},
           {"ClassicYelpNeedsOption1", 0, none, 2, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 0, 'R'), Hd(0, 0, '-')}},
           {"ClassicFastYelp", 0, fast, 2, kNo, {Hd(3, 0, 'L'), Hd(0, 0, 'R'), Hd(3, 0, 'L'), Hd(0, 0, 'R')}},
           {"ClassicFastPiercer", 0, fast, 3, kNo, {Hd(3, 0, 'L'), Hd(0, 0, 'R'), Hd(3, 0, 'L'), Hd(0, 0, 'R')}},
           {"ClassicTowForcesHazards", 0, tow, 0, kNo, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 3, 'R'), Hd(0, 3, '-')}},
           {"ClassicTowLeftSuspends", 0, tow, 0, fn::kLeftIndicator, {Hd(3, 1, 'L'), Hd(3, 1, '-'), Hd(0, 1, 'R'), Hd(0, 1, '-')}},
           {"ClassicAlreadyFull", 0, o0, 0, fn::kFullBeam, {Hd(3, 0, 'L'), Hd(3, 0, '-'), Hd(0, 3, 'R'), Hd(0, 3, '-')}},
           {"FogBarNormal", 1, none, 0, kNo, {F(1, 0, 0, 0, 'L'), F(1, 0, 0, 3, '-'), F(0, 1, 0, 3, 'R'), F(0, 1, 0, 0, '-')}},
           {"FogBarNormalExtra", 1, o9, 0, kNo, {F(1, 0, 1, 0, 'L'), F(1, 0, 0, 3, '-'), F(0, 1, 0, 3, 'R'), F(0, 1, 1, 0, '-')}},
           {"FogBarYelp", 1, fast, 2, kNo, {F(1, 0, 0, 0, 'L'), F(0, 1, 0, 3, 'R'), F(1, 0, 0, 3, 'L'), F(0, 1, 0, 0, 'R')}},
           {"FogBarPiercer", 1, o19, 3, kNo, {F(1, 0, 1, 0, 'L'), F(0, 1, 0, 3, 'R'), F(1, 0, 1, 0, 'L'), F(0, 1, 0, 3, 'R')}},
           {"BeaconNormal", 2, o9, 1, kNo, {F(0, 0, 1, 0, 'L'), F(0, 0, 1, 0, '-'), F(0, 0, 0, 3, 'R'), F(0, 0, 0, 3, '-')}},
           {"BeaconFastYelp", 2, fast, 2, kNo, {F(0, 0, 1, 0, 'L'), F(0, 0, 0, 3, 'R'), F(0, 0, 1, 0, 'L'), F(0, 0, 0, 3, 'R')}},
           {"BeaconFastPiercer", 2, fast, 3, kNo, {F(0, 0, 1, 0, 'L'), F(0, 0, 0, 3, 'R'), F(0, 0, 1, 0, 'L'), F(0, 0, 0, 3, 'R')}},
           {"BeaconFogsNormal", 3, none, 0, kNo, {F(1, 1, 0, 0, 'L'), F(1, 1, 1, 0, '-'), F(0, 0, 1, 3, 'R'), F(0, 0, 0, 3, '-')}},
           {"BeaconFogsYelp", 3, fast, 2, kNo, {F(1, 1, 0, 0, 'R'), F(1, 1, 1, 0, 'L'), F(0, 0, 0, 3, 'R'), F(0, 0, 1, 3, 'L')}},
           {"BeaconFogsPiercer", 3, fast, 3, kNo, {F(1, 1, 0, 0, 'R'), F(0, 0, 1, 3, 'L'), F(1, 1, 0, 0, 'R'), F(0, 0, 1, 3, 'L')}}})
    AddPatternRow(rows, p);
  return rows;
}

class Timelines : public ::testing::TestWithParam<Row> {};

TEST_P(Timelines, Run) {
  const Row& r = GetParam();
  Timeline t(r.config, r.events);
  int end = 0;
  for (const Check& c : r.checks) end = std::max({end, c.ms, c.to});
  t.RunTo(end);
  for (const Check& c : r.checks)
    for (int ms = c.ms; ms <= std::max(c.ms, c.to); ms += 10) {
      const std::int64_t got = Read(t, ms, c.field);
      EXPECT_EQ(got, c.value) << kFieldNames[c.field] << " at " << ms;
      if (got != c.value) break;  // one report per check
    }
  if (r.hud) {
    EXPECT_EQ(t.hud.Script(), r.hud);
  }
}

INSTANTIATE_TEST_SUITE_P(Engine, Timelines, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

// The SMALL_LCL value that sets the headlights to `h`.
constexpr std::uint32_t SetHead(std::uint32_t h) { return lcl::kHeadlightsChange | h << 18; }

TEST(Reapply, HeadlightsAndRunningLights) {
  // o:8, the flashing lights on, a headlight key tapped; each call's value and the headlights after it.
  struct ReapplyRow { bool runningLights, flashing; ControlFunction tapped; std::uint32_t reapply, headAfter, running, headThen; };
  constexpr std::uint32_t kNothing = 0;
  const ReapplyRow rows[] = {{false, false, fn::kNone, kNothing, head::kOff, kNothing, head::kOff},
                      {true, false, fn::kNone, SetHead(head::kSide), head::kSide, kNothing, head::kSide},
                      {false, false, fn::kDippedBeam, SetHead(head::kDipped), head::kDipped, kNothing, head::kDipped},
                      {false, false, fn::kSidelights, SetHead(head::kSide), head::kSide, SetHead(head::kOff), head::kOff},
                      {true, true, fn::kNone, kNothing, head::kFull, kNothing, head::kFull}};
  for (const ReapplyRow& r : rows) {
    std::vector<Ev> events;
    if (r.tapped != fn::kNone) events.push_back(Tap(r.tapped, 0));
    if (r.flashing) events.push_back(Tap(fn::kLights, 0));
    Timeline t({}, events);
    t.RunTo(100).config.options[opt::kRunningLights] = r.runningLights;
    EXPECT_EQ(t.engine.ReapplyHeadlights(), r.reapply);
    EXPECT_EQ(t.engine.light().headlights, r.headAfter);
    EXPECT_EQ(t.engine.ApplyRunningLights(), r.running);
    EXPECT_EQ(t.engine.light().headlights, r.headThen);
  }
  Timeline off({}, {});  // o:8 turned on while off: sidelights
  off.config.options[opt::kRunningLights] = true;
  EXPECT_EQ(off.engine.ApplyRunningLights(), SetHead(head::kSide));
}

TEST(InputGate, OptionsFlagsAndTitle) {
  const char* lfs = "Live for Speed";  // rows: o:5, o:6, IS_STA flags, title, ignored
  const std::tuple<bool, bool, std::uint16_t, const char*, bool> rows[] = {
      {false, false, 0x8010, lfs, false}, {true, false, 0x0010, lfs, true}, {true, false, 0x8000, lfs, true},
      {true, false, 0x0001, lfs, false}, {false, false, 0, "Live for Speed 0.7F", true}, {false, false, 0, "Live for Spee", true},
      {false, false, 0, "", true}, {false, false, 0, "live for speed", true}, {false, false, 0, nullptr, true},
      {false, true, 0, nullptr, false}, {true, true, 0x8000, nullptr, true}};
  for (const auto& [textEntry, inactive, flags, title, ignored] : rows) {
    Config c = WithOptions({});
    c.options[opt::kIgnoreInTextEntry] = textEntry;
    c.options[opt::kAllowInactive] = inactive;
    EXPECT_EQ(InputIgnored(c, flags, title), ignored) << flags << " " << (title ? title : "<none>");
  }
}

}  // namespace
}  // namespace bnx::engine::test
