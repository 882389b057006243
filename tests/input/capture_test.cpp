#include "input/capture.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"

namespace bnx::input {
namespace {

using platform::Guid;

const Guid kWheel{1, 0, 0, {1}}, kBox{2, 0, 0, {2}};

struct Rig {
  platform::fake::FakeKeyboard keys;
  platform::fake::FakeGameInput pads;
  ControllerList list{pads};
  Rig() {
    pads.Plug(kWheel, kWheel, "Wheel", 12, 1);
    pads.Plug(kBox, kBox, "Box", 8, 4);
    std::ostringstream out;
    list.Create(out);
  }
  Binding Pad(const char* name, std::vector<std::uint32_t> buttons, std::vector<PovInput> povs) {
    const auto& c = list.controllers()[name[0] == 'W' ? 0 : 1];
    return {c.productGuid, c.productName, fn::kHazards, std::move(buttons), std::move(povs), {}};
  }
};

Binding Key(std::uint32_t code) { return {"", "", fn::kHazards, {}, {}, {code}}; }

TEST(CaptureBinding, KeysFirstThenEachControllerButtonsBeforeHats) {
  struct Case {
    std::vector<std::uint8_t> keys;
    std::vector<std::pair<Guid, std::uint32_t>> buttons;
    std::vector<std::tuple<Guid, std::uint32_t, std::uint32_t>> hats;
    const char* pad;  // nullptr: want is a key; "": nothing
    Binding want;
  };
  Rig rig;
  const std::vector<Case> cases = {
      {{0x74}, {}, {}, nullptr, Key(0x74)},
      {{0x01}, {}, {}, nullptr, Key(0x01)},                // a mouse button binds like a key
      {{0xA2, 0xA5}, {}, {}, nullptr, Key(0xA5)},          // AltGr: right Alt only
      {{0xA2}, {}, {}, nullptr, Key(0xA2)},
      {{0xA2, 0x41}, {}, {}, nullptr, Key(0x41)},          // the lower code
      {{0xA0, 0xA2, 0xA5}, {}, {}, nullptr, Key(0xA0)},
      {{0x41}, {{kWheel, 3}}, {}, nullptr, Key(0x41)},
      {{}, {{kWheel, 3}}, {}, "W", rig.Pad("W", {3}, {})},
      {{}, {{kWheel, 12}}, {}, "", {}},                    // beyond the button count
      {{}, {}, {{kBox, 0, 9000}}, "B", rig.Pad("B", {}, {{0, 90}})},
      {{}, {}, {{kBox, 0, 4500}}, "B", rig.Pad("B", {}, {{0, 45}})},
      {{}, {}, {{kBox, 3, 18099}}, "B", rig.Pad("B", {}, {{3, 180}})},
      {{}, {{kBox, 5}}, {{kBox, 0, 9000}}, "B", rig.Pad("B", {5}, {})},
      {{}, {}, {{kWheel, 0, 0xFFFF}}, "", {}},             // centred, as some drivers say it
      {{}, {{kBox, 1}}, {{kWheel, 0, 27000}}, "W", rig.Pad("W", {}, {{0, 270}})},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    for (auto k : c.keys) rig.keys.Hold(k);
    for (auto [pad, b] : c.buttons) rig.pads.SetButton(pad, b, true);
    for (auto [pad, p, raw] : c.hats) rig.pads.SetPov(pad, p, raw);
    EXPECT_EQ(CaptureBinding(rig.list, rig.keys, fn::kHazards), c.want) << "case " << i;
    EXPECT_EQ(AnyInputHeld(rig.list, rig.keys), c.want.function != 0 || c.pad == nullptr) << i;
    rig.keys.ReleaseAll();
    for (auto [pad, b] : c.buttons) rig.pads.SetButton(pad, b, false);
    for (auto [pad, p, raw] : c.hats) rig.pads.SetPov(pad, p, 0xFFFFFFFF);
  }
  EXPECT_FALSE(AnyInputHeld(rig.list, rig.keys));
}

}  // namespace
}  // namespace bnx::input
