#include "engine/mode_tables.hpp"

namespace bnx::engine {
namespace {

// Korean code-page glyphs; "^K" selects the page, "^L" returns to Latin-1.
constexpr const char* kDoubleArrow = "^K\xA1\xEA";
constexpr const char* kRightArrow = "^K\xA1\xE6";
constexpr const char* kBullet = "\x95";  // Windows-1252

std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string s;
  for (auto p : parts) s += p;
  return s;
}

ModeTable BuildSiren() {
  const std::string wailYelp = Cat({"Wail", kDoubleArrow, "^LYelp Cycle"});
  const std::string piercerHold = Cat({"^3", "Hold ", "^6", "SirenCombo", "^3", " for Piercer"});
  const std::string piercerTapHold =
      Cat({"^3", "Tap", kRightArrow, "^LLong-Press ", "^6", "SirenCombo", "^3", " for Piercer"});
  return {
      {siren_mode::kWailYelp,
       wailYelp + " (1-key, Default)",
       {"1 Key: SirenCombo", "", "Tap to turn siren on.", "Tap to cycle between Wail and Yelp.",
        "Double-Tap to turn siren off.", "Hold to use bullhorn", "Tap->Long-Press to use piercer",
        "    Tap again to turn off Piercer"}},
      {siren_mode::kBullhornA,
       wailYelp + " + BullHorn A (2-key)",
       {"2 Keys: SirenCombo, BullHorn", "", piercerHold, "    Tap to turn off Piercer", "",
        "Dedicated BullHorn key"}},
      {siren_mode::kBullhornB,
       wailYelp + " + BullHorn B (2-key)",
       {"2 Keys: SirenCombo, BullHorn", "", piercerTapHold, "    Tap to turn off Piercer", "",
        "Dedicated BullHorn key"}},
      {siren_mode::kPiercerCycle,
       Cat({"Wail", kRightArrow, "^LYelp", kRightArrow, "^LPiercer Cycle (1-key)"}),
       {"1 Key: SirenCombo", "", "Tap to turn siren on.", "Tap to cycle between Wail and Yelp.",
        "Double-Tap to turn siren off.", "Hold to use bullhorn"}},
      {siren_mode::kPiercerCycleBullhorn,
       Cat({"W", kRightArrow, "^LY", kRightArrow, "^LP Cycle + Bullhorn (2-key)"}),
       {"2 Keys: SirenCombo, BullHorn", "", "Dedicated BullHorn key"}},
      {siren_mode::kTow, "TOW", {"Sirens disabled", "Hazards enforced in strobe pattern"}},
      {siren_mode::kRaceCivilian,
       "Race/Civilian",
       {"Strobe & Sirens disabled", "", "Standard lights/indicators only"}},
  };
}

ModeTable BuildLights() {
  return {
      {lights_mode::kClassic,
       "Classic",
       {"For LFS versions older than 0.7D50 and/or mods with either:",
        Cat({kBullet, " no dedicated flashing lights,"}),
        Cat({kBullet, " or lights mapped to indicators"}), "", "Flashes headlights (full)",
        "Optional: Flashes hazards in sync.",
        Cat({kBullet, "  See: \"Use Hazards with Flashing Lights\" option."}),
        Cat({kBullet, "  Manually using left/right indicators will override"}),
        Cat({kBullet, "  hazards until cancelled"})}},
      {lights_mode::kFogLightbar,
       "Fog lights are lightbar",
       {"Main lightbar left/right sides are mapped to foglights.", "",
        "Flashes left/right and FullBeam", "Optional: Flash ExtraLight in sequence",
        Cat({kBullet, "  See: \"Include Extra in Flashing Lights\" option."})}},
      {lights_mode::kExtraBeacon,
       "Extra Beacon",
       {"Extra Light is mapped to a flashing light/beacon.", "",
        "Flashes Extra Light and FullBeam"}},
      {lights_mode::kExtraBeaconFogs,
       "Extra Beacon + OEM Fogs",
       {"Extra Light is mapped to a flashing light/beacon,", "Car has normal fog lights", "",
        "Flashes ExtraLight, FullBeam and Front+Rear Fog lights."}},
  };
}

ModeTable BuildCategories() {
  return {
      {0, "Auto", {"Mode automatically selected", "based on player nickname"}},
      {1,
       "Emergency",
       {"Full Lights & Sirens", "", "Siren functionality based on", "selected Siren Behaviour"}},
      {2, "TOW", {"Sirens disabled", "Hazards enforced in strobe pattern"}},
      {3, "Race/Civilian", {"Strobe & Sirens disabled", "", "Standard lights/indicators only"}},
  };
}

}  // namespace

// Function-local statics: built on first use, thread-safe, never changed.
const ModeTable& SirenModeTable() {
  static const ModeTable table = BuildSiren();
  return table;
}

const ModeTable& LightsModeTable() {
  static const ModeTable table = BuildLights();
  return table;
}

const ModeTable& CategoryTable() {
  static const ModeTable table = BuildCategories();
  return table;
}

const ModeEntry* FindEntry(const ModeTable& table, std::uint32_t number) {
  for (const auto& e : table)
    if (e.number == number) return &e;
  return nullptr;
}

std::string_view EntryName(const ModeTable& table, std::uint32_t number) {
  const ModeEntry* e = FindEntry(table, number);
  return e ? std::string_view(e->name) : std::string_view();
}

}  // namespace bnx::engine
