#include "input/functions.hpp"

#include <array>
#include <utility>

namespace bnx::input {
namespace {

using Entry = std::pair<ControlFunction, std::string_view>;

constexpr std::array<Entry, fn::kCount> kConfigKeys{{
    {fn::kNone, "none"},
    {fn::kLights, "lights"},
    {fn::kSiren, "siren"},
    {fn::kBullhorn, "siren2"},
    {fn::kLeftIndicator, "indl"},
    {fn::kRightIndicator, "indr"},
    {fn::kHeadlightsCycle, "headl"},
    {fn::kHazards, "haz"},
    {fn::kSidelights, "side"},
    {fn::kDippedBeam, "dip"},
    {fn::kFullBeam, "full"},
    {fn::kFlash, "flash"},
    {fn::kFrontFog, "ffog"},
    {fn::kRearFog, "rfog"},
    {fn::kExtra, "extra"},
}};

constexpr std::array<Entry, fn::kCount> kDisplayNames{{
    {fn::kNone, "None"},
    {fn::kLights, "Flashing Lights"},
    {fn::kSiren, "Horn/Siren"},
    {fn::kBullhorn, "Bullhorn"},
    {fn::kLeftIndicator, "Left Indicator"},
    {fn::kRightIndicator, "Right Indicator"},
    {fn::kHeadlightsCycle, "Headlights Cycle"},
    {fn::kHazards, "Hazards"},
    {fn::kSidelights, "Sidelights"},
    {fn::kDippedBeam, "Dipped Beam"},
    {fn::kFullBeam, "Full Beam"},
    {fn::kFlash, "Flash"},
    {fn::kFrontFog, "Front Fog"},
    {fn::kRearFog, "Rear Fog"},
    {fn::kExtra, "Extra Light"},
}};

std::string_view Find(const std::array<Entry, fn::kCount>& table, ControlFunction function) {
  for (const auto& [id, text] : table)
    if (id == function) return text;
  return {};
}

}  // namespace

std::string_view FunctionConfigKey(ControlFunction function) { return Find(kConfigKeys, function); }

std::string_view FunctionDisplayName(ControlFunction function) {
  return Find(kDisplayNames, function);
}

}  // namespace bnx::input
