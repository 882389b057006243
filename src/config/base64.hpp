#pragma once
#include <string>
#include <string_view>

namespace bnx::config {

// Standard alphabet, "=" padding to a multiple of four characters.
std::string Base64Encode(std::string_view bytes);

// Decoding stops at the first "="; a last group of two or three characters
// gives one or two bytes. Characters outside the alphabet count as "A".
std::string Base64Decode(std::string_view text);

}  // namespace bnx::config
