// The engine as timelines: each row is a configuration, a script of key
// presses, mode changes and ignored spans, and what the car and the HUD must
// show at given ticks.
#include <gtest/gtest.h>

#include "engine/timeline.hpp"
#include "platform/fake/window.hpp"

namespace bnx::engine::test {
namespace {

enum Field { kHorn, kSiren, kTone, kHead, kInd, kFlash, kFront, kRear, kExtra, kFlashing, kEngaged,
             kOffByDT, kSaved, kSwitches, kLights, kBlink, kCounter, kBar, kBars };
constexpr const char* kFieldNames[] = {"horn", "siren", "tone", "head", "ind", "flash", "front",
                                       "rear", "extra", "flashing", "engaged", "offByDT", "saved",
                                       "switches", "lights", "blink", "counter", "bar", "bars"};

// `value` at tick `ms`, or at every tick from `ms` to `to`.
struct Check {
  int ms;
  Field field;
  std::int64_t value;
  int to = 0;
};

struct Ev {
  char op;  // t tap, h hold, p press, r release, i ignore, m siren mode, l lights mode
  int arg, ms, to;
};
constexpr Ev Tap(ControlFunction f, int ms) { return {'h', f, ms, ms + 50}; }
constexpr Ev Hold(ControlFunction f, int ms, int to) { return {'h', f, ms, to}; }
constexpr Ev Press(ControlFunction f, int ms) { return {'p', f, ms, 0}; }
constexpr Ev Release(ControlFunction f, int ms) { return {'r', f, ms, 0}; }
constexpr Ev Ignore(int ms, int to) { return {'i', 0, ms, to}; }
constexpr Ev SirenMode(int ms, int mode) { return {'m', mode, ms, 0}; }
constexpr Ev LightsMode(int ms, int mode) { return {'l', mode, ms, 0}; }

struct Row {
  std::string name;
  Config config;
  std::vector<Ev> events;
  std::vector<Check> checks;
  const char* hud = nullptr;  // every siren label and arrow call, "ms:token"
};

std::int64_t Read(Timeline& t, int ms, Field f) {
  const Frame& fr = t.F(ms);
  const LightState& l = fr.light;
  switch (f) {
    case kHorn: return l.horn;
    case kSiren: return l.siren;
    case kTone: return fr.siren.tone;
    case kHead: return l.headlights;
    case kInd: return l.indicators;
    case kFlash: return l.flash;
    case kFront: return l.frontFog;
    case kRear: return l.rearFog;
    case kExtra: return l.extra;
    case kFlashing: return l.flashing;
    case kEngaged: return fr.siren.engaged;
    case kOffByDT: return fr.siren.offByDoubleTap;
    case kSaved: return l.savedHeadlights;
    case kSwitches: return fr.switches;
    case kLights: return fr.lights;
    case kBlink: return l.blinkCounter;
    case kCounter: return l.patternCounter;
    case kBars: return t.hud.Bars(ms);
    case kBar: {
      std::int64_t bar = -1;
      for (const auto& c : t.hud.calls)
        if (c.ms == ms && c.token[0] == 'B') bar = c.token[1] - '0';
      return bar;
    }
  }
  return -2;
}

constexpr ControlFunction S = fn::kSiren, B = fn::kBullhorn, Li = fn::kLights, C = fn::kHeadlightsCycle;
constexpr int kO0 = opt::kHazardsWithLights, kO1 = opt::kFastYelp, kO3 = opt::kFlashWithHorn,
              kO4 = opt::kBullhornInterrupts, kO8 = opt::kRunningLights, kO9 = opt::kExtraInLights;

// What each siren mode does with taps, a double tap, holds and the Bullhorn key.
struct ModeRow {
  std::uint32_t mode;
  std::array<std::uint32_t, 4> tones, sirens;        // after four spaced taps
  std::uint32_t holdHorn, holdSiren, afterHoldHorn;  // long press with the siren on
  std::uint32_t tapHoldHorn;                         // tap, then long press
  std::uint32_t bullhornHorn;                        // Bullhorn key held
};

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
struct Look {
  std::uint32_t head;
  bool front, rear, extra;
  std::uint32_t ind;
  char bar;  // L, R, or '-' for no light bar call
};
constexpr Look F(bool front, bool rear, bool extra, std::uint32_t head, char bar) { return {head, front, rear, extra, 0, bar}; }
constexpr Look Hd(std::uint32_t head, std::uint32_t ind, char bar) { return {head, false, false, false, ind, bar}; }

struct PatternRow {
  const char* name;
  std::uint32_t lightsMode;
  Config config;
  int sirenTaps;           // 1 Wail, 2 Yelp, 3 Piercer (mode 3)
  ControlFunction before;  // a key tapped before the lights start
  std::array<Look, 4> at;
};

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
      {"BullhornReleaseAfterModeChangeSilencesIt", WithOptions({kO4}, 1),
       {Tap(S, 0), Press(B, 1000), SirenMode(1200, 6), Release(B, 1500)},
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
      {"LightsModeChangeSwitchesOffOldPatternLights", WithOptions({kO9}, 0, 1), {Tap(Li, 0), LightsMode(100, 0)},
       {{0, kFront, 1}, {0, kExtra, 1}, {100, kLights, lcl::kFrontFogChange | lcl::kExtraChange}, {100, kFront, 0, 1500},
        {100, kExtra, 0, 1500}, {1000, kHead, head::kFull}}},
      // Lights keys
      {"HeadlightsCycle", {}, {Tap(C, 0), Tap(C, 100), Tap(C, 200), Tap(C, 300), Tap(C, 400)},
       {{0, kHead, 1}, {100, kHead, 2}, {200, kHead, 3}, {300, kHead, 0}, {400, kHead, 1}}},
      {"RunningLightsCycleAndStart", WithOptions({kO8}), {Tap(C, 100), Tap(C, 200), Tap(C, 300), Tap(C, 400), Tap(fn::kDippedBeam, 500)},
       {{0, kHead, 1}, {0, kLights, 0}, {100, kHead, 2}, {200, kHead, 3}, {300, kHead, 1}, {400, kHead, 2}, {500, kHead, 0}}},
      {"DirectHeadlightKeysAndInertFlash", {},
       {Tap(fn::kSidelights, 0), Tap(fn::kSidelights, 100), Tap(fn::kDippedBeam, 200), Tap(fn::kFullBeam, 300),
        Tap(fn::kFullBeam, 400), Tap(fn::kFlash, 500)},
       {{0, kHead, 1}, {100, kHead, 0}, {200, kHead, 2}, {300, kHead, 3}, {400, kHead, 0}, {500, kLights, 0}, {500, kSwitches, 0}}},
      {"SameTickLastHeadlightWriteWins", {}, {Tap(C, 0), Tap(fn::kFullBeam, 0)}, {{0, kLights, 0xC0004}}},
      {"FogsExtraHornAndIndicatorPriority", {},
       {Tap(fn::kFrontFog, 0), Tap(S, 0), Tap(fn::kRearFog, 100), Tap(fn::kExtra, 100), Tap(fn::kFrontFog, 200),
        Press(fn::kLeftIndicator, 300), Press(fn::kHazards, 300), Release(fn::kLeftIndicator, 400),
        Press(fn::kRightIndicator, 500), Press(fn::kLeftIndicator, 500), Release(fn::kLeftIndicator, 600),
        Release(fn::kRightIndicator, 600), Release(fn::kHazards, 600), Tap(fn::kHazards, 700)},
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
      {"KeyHeldWhileFocusReturnsGivesNoPress", {}, {Tap(Li, 0), Ignore(100, 500), Hold(fn::kFrontFog, 200, 700), Press(fn::kFrontFog, 900)},
       {{490, kHead, 3}, {500, kHead, 0}, {800, kFront, 0}, {900, kFront, 1}}},
      // HUD arrows: shown 49 ticks, hidden 51, also while input is ignored
      {"BlinkRhythm", {}, {Tap(fn::kLeftIndicator, 100), Ignore(200, 2100)}, {{2090, kInd, 1}},
       "100:< 100:x4 590:x3 590:x4 1100:< 1100:x4 1590:x3 1590:x4"},
      {"EveryIndicatorKeyRestartsTheBlink", {},
       {Tap(fn::kLeftIndicator, 0), Tap(fn::kRightIndicator, 300), Tap(fn::kHazards, 1000), Tap(fn::kHazards, 1200)},
       {{2000, kBlink, -1}}, "0:< 0:x4 300:> 300:x3 790:x3 790:x4 1000:< 1000:> 1200:x3 1200:x4"},
      {"BlinkEndsWhenStoppingLightsClearHazards", WithOptions({kO0}), {Tap(Li, 0), Tap(fn::kHazards, 200), Tap(Li, 800)},
       {{800, kBar, 0}, {800, kInd, 0}}, "200:< 200:> 690:x3 690:x4 800:x3 800:x4"},
      // Patterns
      {"ClassicOnFullBeamStartsQuietly", WithOptions({kO0}), {Tap(fn::kFullBeam, 0), Tap(Li, 1000)}, {{1000, kLights, 0}, {1000, kBars, 1}}},
      {"VariantIsChosenAtEveryStep", WithOptions({kO1}, 0, 2), {Tap(S, 0), Tap(Li, 1000), Tap(S, 1100)},
       {{1090, kSiren, siren::kSlow}, {1250, kHead, head::kFull}, {1250, kExtra, 0}}},
      {"UnknownLightsModeRunsNoStepButCounts", WithOptions({}, 0, 4), {Tap(Li, 0)},
       {{0, kLights, 0, 1000}, {370, kCounter, 38}, {990, kCounter, 0}}},
  };
  for (const ModeRow& m : {ModeRow{0, {1, 2, 1, 2}, {2, 1, 2, 1}, 4, 2, 0, 5, 0}, ModeRow{1, {1, 2, 1, 2}, {2, 1, 2, 1}, 5, 0, 5, 5, 4},
                           ModeRow{2, {1, 2, 1, 2}, {2, 1, 2, 1}, 1, 2, 0, 5, 4}, ModeRow{3, {1, 2, 3, 1}, {2, 1, 0, 2}, 4, 2, 0, 4, 0},
                           ModeRow{4, {1, 2, 3, 1}, {2, 1, 0, 2}, 1, 2, 0, 1, 4}, ModeRow{5, {}, {}, 1, 0, 0, 1, 0},
                           ModeRow{6, {}, {}, 1, 0, 0, 1, 0}})
    AddModeRows(rows, m);
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
  Timeline t(r.config);
  for (const Ev& e : r.events) {
    const auto f = static_cast<ControlFunction>(e.arg);
    switch (e.op) {
      case 'h': t.Hold(f, e.ms, e.to); break;
      case 'p': t.Press(f, e.ms); break;
      case 'r': t.Release(f, e.ms); break;
      case 'i': t.Ignore(e.ms, e.to); break;
      case 'm': t.At(e.ms, [&t, e] { t.config.activeSirenMode = static_cast<std::uint32_t>(e.arg); }); break;
      case 'l': t.At(e.ms, [&t, e] { t.config.lightsMode = static_cast<std::uint32_t>(e.arg); }); break;
    }
  }
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

TEST(Reapply, HeadlightsAndRunningLights) {
  struct Row {
    bool runningOption, flashing;
    std::uint32_t state, reapply, stateAfterReapply, apply, stateAfterApply;
  };
  for (const Row& r : {Row{false, false, 0, 0, 0, 0, 0}, Row{true, false, 0, 0x40004, 1, 0, 1},
                       Row{false, false, 2, 0x80004, 2, 0, 2}, Row{false, false, 1, 0x40004, 1, 0x4, 0},
                       Row{true, true, 0, 0, 3, 0, 3}}) {
    Timeline t;
    if (r.state != 0) t.Tap(r.state == 1 ? fn::kSidelights : fn::kDippedBeam, 0);
    if (r.flashing) t.Tap(fn::kLights, 0);
    t.RunTo(100);
    t.config.options[opt::kRunningLights] = r.runningOption;
    EXPECT_EQ(t.engine.ReapplyHeadlights(), r.reapply);
    EXPECT_EQ(t.engine.light().headlights, r.stateAfterReapply);
    EXPECT_EQ(t.engine.ApplyRunningLights(), r.apply);
    EXPECT_EQ(t.engine.light().headlights, r.stateAfterApply);
  }
  Timeline off;  // o:8 turned on while off: sidelights
  off.config.options[opt::kRunningLights] = true;
  EXPECT_EQ(off.engine.ApplyRunningLights(), 0x40004u);
}

TEST(InputGate, OptionsFlagsAndTitle) {
  struct Row {
    bool textEntryOption, allowInactive;
    std::uint16_t flags;
    const char* title;
    bool ignored;
  };
  const char* lfs = "Live for Speed";
  for (const Row& r : {Row{false, false, 0x8010, lfs, false}, Row{true, false, 0x0010, lfs, true},
                       Row{true, false, 0x8000, lfs, true}, Row{true, false, 0x0001, lfs, false},
                       Row{false, false, 0, "Live for Speed 0.7F", true}, Row{false, false, 0, "Live for Spee", true},
                       Row{false, false, 0, "", true}, Row{false, false, 0, "live for speed", true},
                       Row{false, false, 0, nullptr, true}, Row{false, true, 0, nullptr, false},
                       Row{true, true, 0x8000, nullptr, true}}) {
    Config c = WithOptions({});
    c.options[opt::kIgnoreInTextEntry] = r.textEntryOption;
    c.options[opt::kAllowInactive] = r.allowInactive;
    EXPECT_EQ(InputIgnored(c, r.flags, r.title), r.ignored) << r.flags << " " << (r.title ? r.title : "<none>");
  }
  // The fake window cuts a title as GetWindowTextA does with a 20-character buffer.
  platform::fake::FakeForegroundWindow window;
  std::array<char, kTitleBuffer> title{};
  window.SetTitle("Live for Speed - S3 edition");
  ASSERT_TRUE(window.Title(title));
  EXPECT_STREQ(title.data(), "Live for Speed - S3");
  window.SetNoWindow();
  EXPECT_FALSE(window.Title(title));
}

}  // namespace
}  // namespace bnx::engine::test
