#include "insim/packets.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace bnx::insim {
namespace {

std::size_t LengthOf(std::string_view text, std::uint8_t typeIn = 0) {
  std::array<std::uint8_t, kBtnTextMax> field{};
  std::memcpy(field.data(), text.data(), std::min(text.size(), kBtnTextCopy));
  return ButtonLength(field, typeIn);
}

TEST(ButtonLength, KeepsATerminatingZeroAndAMultipleOfFour) {
  EXPECT_EQ(LengthOf(""), 16u);
  EXPECT_EQ(LengthOf("abc"), 16u);
  EXPECT_EQ(LengthOf("abcd"), 20u);
  EXPECT_EQ(LengthOf(std::string(235, 'x')), 248u);
  EXPECT_EQ(LengthOf(std::string(236, 'x')), 252u);
  EXPECT_EQ(LengthOf(std::string(239, 'x')), 252u);
}

TEST(ButtonLength, CountsTheCaptionOfATypeInButton) {
  // "\0Cap\0ab": p = 2 + 3, n = 5 + 2 = 7 -> 12 + 4 + 4
  EXPECT_EQ(LengthOf(std::string_view("\0Cap\0ab", 7), 5), 20u);
  // Without TypeIn the leading zero is an empty text.
  EXPECT_EQ(LengthOf(std::string_view("\0Cap\0ab", 7), 0), 16u);
}

TEST(Reader, ReadsZerosPastTheEndAndTextsOnlyWithinThePacket) {
  const std::uint8_t mso[] = {3, 11, 0, 0, 7, 8, 3, 0, 'h', 'i'};  // short and unterminated
  Mso m = DecodeMso(mso);
  EXPECT_EQ(m.ucid, 7);
  EXPECT_EQ(m.userType, 3);
  EXPECT_EQ(m.msg, "hi");
  Reader r(mso);
  EXPECT_EQ(r.u32(8), std::uint32_t('h') | (std::uint32_t('i') << 8));
  EXPECT_EQ(r.u8(1000), 0);
}

TEST(Decode, NplFieldsAtTheirOffsets) {
  std::array<std::uint8_t, len::kNpl> npl{};
  npl[0] = 76; npl[1] = type::kNpl; npl[3] = 9; npl[4] = 2; npl[5] = kPTypeRemote;
  std::memcpy(&npl[8], "^1[cop]^7Name", 13);
  Npl n = DecodeNpl(npl);
  EXPECT_EQ(n.plid, 9);
  EXPECT_EQ(n.ucid, 2);
  EXPECT_EQ(n.ptype, kPTypeRemote);
  EXPECT_EQ(n.pname, "^1[cop]^7Name");
}

TEST(Decode, VerTextsStopAtTheirFieldWidth) {
  std::array<std::uint8_t, len::kVer> ver{};
  ver[0] = 20; ver[1] = type::kVer; ver[2] = 1;
  std::memcpy(&ver[4], "0.7F1234", 8);  // fills the field, no terminator
  std::memcpy(&ver[12], "S3", 2);
  ver[18] = 9;
  Ver v = DecodeVer(ver);
  EXPECT_EQ(v.version, "0.7F1234");
  EXPECT_EQ(v.product, "S3");
  EXPECT_EQ(v.insimVer, 9);
}

}  // namespace
}  // namespace bnx::insim
