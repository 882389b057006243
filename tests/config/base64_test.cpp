#include "config/base64.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace bnx::config {
namespace {

TEST(Base64, MatchesTheStandardVectors) {
  struct Case {
    const char* plain;
    const char* encoded;
  } const cases[] = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
      {"Logitech Dual Action", "TG9naXRlY2ggRHVhbCBBY3Rpb24="},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Base64Encode(c.plain), c.encoded) << c.plain;
    EXPECT_EQ(Base64Decode(c.encoded), c.plain) << c.encoded;
  }
  EXPECT_EQ(Base64Encode(std::string("\xFF\xFE\x00\x3E\x3F", 5)), "//4APj8=");
  EXPECT_EQ(Base64Decode("//4APj8="), std::string("\xFF\xFE\x00\x3E\x3F", 5));
}

TEST(Base64, RoundTripsEveryLengthAndByte) {
  std::mt19937 rng(7);
  for (std::size_t n = 0; n < 64; ++n) {
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    const std::string text = Base64Encode(bytes);
    EXPECT_EQ(text.size(), (n + 2) / 3 * 4);
    EXPECT_EQ(text.size() - text.find_last_not_of('=') - 1, n == 0 ? 0u : (3 - n % 3) % 3) << n;
    EXPECT_EQ(Base64Decode(text), bytes) << n;
  }
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Base64Decode(Base64Encode(all)), all);
}

TEST(Base64, DecodesShortAndOddlyPaddedText) {
  EXPECT_EQ(Base64Decode("Zg"), "f");
  EXPECT_EQ(Base64Decode("Zm8"), "fo");
  EXPECT_EQ(Base64Decode("Z"), "");
  EXPECT_EQ(Base64Decode("Zg=="), "f");
  EXPECT_EQ(Base64Decode("Zg="), "f");
  EXPECT_EQ(Base64Decode("Zg==Zm8="), "f");  // stops at the first "="
  // The length rule counts every character, padding included.
  EXPECT_EQ(Base64Decode("QUJD="), "AB");
  EXPECT_EQ(Base64Decode("="), "");
  EXPECT_EQ(Base64Decode("=="), "");
  EXPECT_EQ(Base64Decode(""), "");
}

}  // namespace
}  // namespace bnx::config
