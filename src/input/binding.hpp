#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace bnx {

// 0 none, 1 Flashing Lights ... 14 Extra Light.
using ControlFunction = std::uint8_t;

namespace fn {
constexpr ControlFunction kNone = 0, kLights = 1, kSiren = 2, kBullhorn = 3, kLeftIndicator = 4,
                          kRightIndicator = 5, kHeadlightsCycle = 6, kHazards = 7, kSidelights = 8,
                          kDippedBeam = 9, kFullBeam = 10, kFlash = 11, kFrontFog = 12,
                          kRearFog = 13, kExtra = 14;
constexpr int kCount = 15;
}  // namespace fn

struct PovInput {
  std::uint32_t index = 0;    // 0-based hat number
  std::uint32_t degrees = 0;  // 0 up, clockwise
  bool operator==(const PovInput&) const = default;
};

// One control function tied to the inputs of one device; an empty deviceGuid
// is the keyboard and mouse.
struct Binding {
  std::string deviceGuid;
  std::string deviceName;
  ControlFunction function = fn::kNone;
  std::vector<std::uint32_t> buttons;
  std::vector<PovInput> povs;
  std::vector<std::uint32_t> keys;
  bool operator==(const Binding&) const = default;
};

using BindingList = std::vector<Binding>;

}  // namespace bnx
