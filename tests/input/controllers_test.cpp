#include "input/controllers.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake/game_input.hpp"

namespace bnx::input {
namespace {

using platform::Guid;
using platform::fake::FakeGameInput;

Guid Instance(std::uint32_t n) { return Guid{n, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}}; }
// A USB product GUID: vendor and product id in Data1, "PIDVID" at the end of Data4.
Guid UsbProduct(std::uint16_t vid, std::uint16_t pid) {
  return Guid{(std::uint32_t{pid} << 16) | vid, 0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
}

TEST(GuidToText, PadsOnlyTheFirstByteOfData4) {
  EXPECT_EQ(GuidToText(UsbProduct(0x046D, 0xC24F)), "C24F046D-0000-0000-000-504944564944");
  EXPECT_EQ(GuidToText(Guid{0x1, 0xA, 0xB0, {0x05, 0x00, 0x01, 0x0A, 0x0F, 0x10, 0x00, 0xFF}}),
            "00000001-000A-00B0-050-1AF100FF");
  EXPECT_EQ(GuidToText(Guid{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}),
            "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF");
  EXPECT_EQ(GuidToText(Guid{}), "00000000-0000-0000-000-000000");
}

TEST(ControllerList, EnumeratesAttachedControllersWithTheirCounts) {
  FakeGameInput input;
  input.Plug(Instance(1), UsbProduct(0x046D, 0xC24F), "G29 Racing Wheel", 25, 1);
  input.Plug(Instance(2), UsbProduct(0x1234, 0x0001), "Button Box", 32, 0);
  input.Plug(Instance(3), UsbProduct(0x1234, 0x0002), "Gone", 4, 0);
  input.Unplug(Instance(3));
  std::ostringstream out;
  ControllerList list(input);
  ASSERT_TRUE(CreateControllers(list, out));
  EXPECT_EQ(out.str(), "");
  ASSERT_EQ(list.controllers().size(), 2u);
  const Controller& wheel = list.controllers()[0];
  EXPECT_EQ(wheel.productName, "G29 Racing Wheel");
  EXPECT_EQ(wheel.productGuid, "C24F046D-0000-0000-000-504944564944");
  EXPECT_EQ(wheel.buttonCount, 25u);
  EXPECT_EQ(wheel.povCount, 1u);
  EXPECT_FALSE(wheel.acquired);  // nothing is acquired before the first poll
  EXPECT_EQ(list.controllers()[1].productName, "Button Box");
}

TEST(ControllerList, ReportsADeviceThatCannotBeOpenedAndGoesOn) {
  FakeGameInput input;
  input.Plug(Instance(1), UsbProduct(1, 1), "Broken", 8, 0);
  input.Plug(Instance(2), UsbProduct(2, 2), "Fine", 8, 0);
  input.SetOpenFails(Instance(1), true);
  std::ostringstream out;
  ControllerList list(input);
  list.Create(out);
  EXPECT_EQ(out.str(), "Failed to enumerate controller\n");
  ASSERT_EQ(list.controllers().size(), 1u);
  EXPECT_EQ(list.controllers()[0].productName, "Fine");
}

TEST(ControllerList, FailedCreationLeavesNoControllersAndRefreshRetries) {
  FakeGameInput input;
  input.Plug(Instance(1), UsbProduct(1, 1), "Pad", 8, 0);
  input.SetCreateFails(true);
  std::ostringstream out;
  ControllerList list(input);
  EXPECT_FALSE(list.Create(out));
  EXPECT_FALSE(list.available());
  EXPECT_TRUE(list.controllers().empty());
  list.PollAll();  // harmless without controllers

  EXPECT_FALSE(RefreshControllers(list, out));
  EXPECT_EQ(input.create_calls(), 2);
  input.SetCreateFails(false);
  EXPECT_TRUE(RefreshControllers(list, out));
  EXPECT_TRUE(list.available());
  ASSERT_EQ(list.controllers().size(), 1u);
  EXPECT_EQ(input.create_calls(), 3);
  EXPECT_TRUE(RefreshControllers(list, out));  // no second interface once it exists
  EXPECT_EQ(input.create_calls(), 3);
}

TEST(ControllerList, RefreshReplacesTheDevicesAndDestructionReleasesDevicesFirst) {
  FakeGameInput input;
  input.Plug(Instance(1), UsbProduct(1, 1), "Pad", 8, 0);
  std::ostringstream out;
  {
    ControllerList list(input);
    list.Create(out);
    EXPECT_EQ(input.open_devices(), 1);
    input.Plug(Instance(2), UsbProduct(2, 2), "Wheel", 12, 1);
    list.Refresh(out);
    EXPECT_EQ(list.controllers().size(), 2u);
    EXPECT_EQ(input.open_devices(), 2);
  }
  EXPECT_EQ(input.open_devices(), 0);
  EXPECT_EQ(input.late_releases(), 0);
  EXPECT_FALSE(input.created());
}

TEST(Controller, ButtonsAndHatsReadOnlyWithinTheirCountsAndWhileAcquired) {
  FakeGameInput input;
  input.Plug(Instance(1), UsbProduct(1, 1), "Wheel", 12, 1);
  std::ostringstream out;
  ControllerList list(input);
  list.Create(out);
  input.SetButton(Instance(1), 11, true);
  input.SetButton(Instance(1), 12, true);  // reported by the state, beyond the count
  input.SetPov(Instance(1), 0, 4500);
  input.SetPov(Instance(1), 1, 9000);      // beyond the POV count
  list.PollAll();
  const Controller& c = list.controllers()[0];
  EXPECT_TRUE(c.acquired);
  EXPECT_TRUE(ButtonHeld(c, 11));
  EXPECT_FALSE(ButtonHeld(c, 12));
  EXPECT_FALSE(ButtonHeld(c, 0));
  EXPECT_FALSE(ButtonHeld(c, 0xFFFFFFFF));
  EXPECT_EQ(PovDirection(c, 0), 45u);
  EXPECT_EQ(PovDirection(c, 1), std::nullopt);
  EXPECT_EQ(PovDirection(c, 7), std::nullopt);
  input.SetPov(Instance(1), 0, 0xFFFFFFFF);
  list.PollAll();
  EXPECT_EQ(PovDirection(c, 0), std::nullopt);
  input.SetPov(Instance(1), 0, 35999);  // hundredths: the remainder is dropped
  list.PollAll();
  EXPECT_EQ(PovDirection(c, 0), 359u);
}

TEST(Controller, AnUnpluggedDeviceReadsAsNotHeldUntilItAnswersAgain) {
  FakeGameInput input;
  input.Plug(Instance(1), UsbProduct(1, 1), "Pad", 8, 1);
  std::ostringstream out;
  ControllerList list(input);
  list.Create(out);
  input.SetButton(Instance(1), 3, true);
  input.SetPov(Instance(1), 0, 18000);
  list.PollAll();
  Controller& c = list.controllers()[0];
  ASSERT_TRUE(ButtonHeld(c, 3));

  input.Unplug(Instance(1));
  EXPECT_EQ(Poll(c), 1);
  EXPECT_EQ(ReadState(c), 1);
  EXPECT_FALSE(c.acquired);
  EXPECT_FALSE(ButtonHeld(c, 3));  // the stale state still says held
  EXPECT_EQ(PovDirection(c, 0), std::nullopt);

  input.Plug(Instance(1), UsbProduct(1, 1), "Pad", 8, 1);
  EXPECT_EQ(Poll(c), 0);
  EXPECT_EQ(ReadState(c), 0);
  EXPECT_TRUE(ButtonHeld(c, 3));
}

}  // namespace
}  // namespace bnx::input
