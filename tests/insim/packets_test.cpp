// Button sizes and the choice of InSim version: pure functions, so tables. The
// answers of version 8, 9 and 10 hosts are run end to end (tests/e2e/link, startup).
#include "insim/packets.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "insim/version.hpp"

namespace bnx::insim {
namespace {

TEST(ButtonLength, KeepsATerminatingZeroAndAMultipleOfFourAndCountsATypeInCaption) {
  const std::tuple<std::string, std::uint8_t, std::size_t> cases[] = {
      {"", 0, 16}, {"abc", 0, 16}, {"abcd", 0, 20}, {std::string(235, 'x'), 0, 248}, {std::string(236, 'x'), 0, 252},
      {std::string(239, 'x'), 0, 252}, {std::string("\0Cap\0ab", 7), 5, 20}, {std::string("\0Cap\0ab", 7), 0, 16}};
  for (const auto& [text, typeIn, length] : cases) {
    std::array<std::uint8_t, kBtnTextMax> field{};
    std::memcpy(field.data(), text.data(), text.size());
    EXPECT_EQ(ButtonLength(field, typeIn), length) << text.size() << " " << int(typeIn);
  }
}

TEST(Version, StepAndConsoleLineForEachAnswer) {
  const std::tuple<int, std::uint8_t, std::uint8_t, VersionStep, std::string> cases[] = {  // unit, InSimVer, ReqI
      {4, 8, 1, VersionStep::kSwitchTo8, "InSim Supported Version: 8. Switching to v8"},
      {1, 9, 0, VersionStep::kNone, "InSim Version: 9"},  // not the answer to the IS_ISI
  };
  for (const auto& [unit, insimVer, reqi, expected, line] : cases) {
    const Ver ver{reqi, "0.7F", "S3", insimVer};
    const VersionStep step = ChooseVersionStep(unit, ver);
    EXPECT_EQ(step, expected) << line;
    const bool switching = step == VersionStep::kUpgradeTo9 || step == VersionStep::kSwitchTo8;
    EXPECT_EQ(switching ? SwitchLine(ver, step) : AcceptedLine(ver), "LFS Host Version: 0.7F S3, " + line);
  }
}

}  // namespace
}  // namespace bnx::insim
