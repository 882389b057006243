#include "input/capture.hpp"

#include <gtest/gtest.h>

#include <iostream>

#include "platform/fake/game_input.hpp"
#include "platform/fake/keyboard.hpp"

namespace bnx::input {
namespace {

using platform::Guid;

TEST(CaptureBinding, KeysFirstThenEachControllerButtonsBeforeHats) {
  const Guid wheel{1, 0, 0, {1}}, box{2, 0, 0, {2}};
  platform::fake::FakeKeyboard keys;
  platform::fake::FakeGameInput pads;
  pads.Plug(wheel, wheel, "Wheel", 12, 1);
  pads.Plug(box, box, "Box", 8, 4);
  ControllerList list{pads};
  list.Create(std::cerr);
  const auto key = [](std::uint32_t code) { return Binding{"", "", fn::kHazards, {}, {}, {code}}; };
  const auto pad = [&](int n, std::vector<std::uint32_t> buttons, std::vector<PovInput> povs) {
    const Controller& c = list.controllers()[std::size_t(n)];
    return Binding{c.productGuid, c.productName, fn::kHazards, std::move(buttons), std::move(povs), {}};
  };
  struct Case {
    std::vector<std::uint8_t> keys;
    std::vector<std::pair<Guid, std::uint32_t>> buttons;
    std::vector<std::tuple<Guid, std::uint32_t, std::uint32_t>> hats;
    Binding want;  // function 0: nothing captured, nothing held
  };
  const std::vector<Case> cases = {
      {{0x74}, {}, {}, key(0x74)},
      {{0x01}, {}, {}, key(0x01)},                       // a mouse button binds like a key
      {{0xA2, 0xA5}, {}, {}, key(0xA5)},                 // AltGr: right Alt only
      {{0xA2}, {}, {}, key(0xA2)}, {{0xA2, 0x41}, {}, {}, key(0x41)},  // else the lower code
      {{0x41}, {{wheel, 3}}, {}, key(0x41)},
      {{}, {{wheel, 3}}, {}, pad(0, {3}, {})},
      {{}, {{wheel, 12}}, {}, {}},                       // beyond the button count
      {{}, {}, {{box, 0, 9000}}, pad(1, {}, {{0, 90}})},
      {{}, {}, {{box, 0, 4500}}, pad(1, {}, {{0, 45}})},
      {{}, {}, {{box, 3, 18099}}, pad(1, {}, {{3, 180}})},
      {{}, {{box, 5}}, {{box, 0, 9000}}, pad(1, {5}, {})},
      {{}, {}, {{wheel, 0, 0xFFFF}}, {}},                // centred, as some drivers report it
      {{}, {}, {{wheel, 0, 36000}}, {}}, {{}, {}, {{wheel, 0, 4294901700u}}, {}},  // no direction: centred
      {{}, {{box, 1}}, {{wheel, 0, 27000}}, pad(0, {}, {{0, 270}})},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    for (auto k : c.keys) keys.Hold(k);
    for (auto [p, b] : c.buttons) pads.SetButton(p, b, true);
    for (auto [p, hat, raw] : c.hats) pads.SetPov(p, hat, raw);
    EXPECT_EQ(CaptureBinding(list, keys, fn::kHazards), c.want) << "case " << i;
    EXPECT_EQ(AnyInputHeld(list, keys), c.want.function != 0) << "case " << i;
    keys.ReleaseAll();
    for (auto [p, b] : c.buttons) pads.SetButton(p, b, false);
    for (auto [p, hat, raw] : c.hats) pads.SetPov(p, hat, 0xFFFFFFFF);
  }
}

}  // namespace
}  // namespace bnx::input
