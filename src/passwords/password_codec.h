#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace veilora {

// Uniform draws in [0, 1); anything outside is clamped.
using RandomSource = std::function<double()>;

// The stored form of the password: two hex digits of mask, then a body of two
// hex digits per character with the 8 key digits placed around it by the mask.
// Characters are bytes of the ANSI code page; codes 0 and 255 are not told apart.
std::string encodePassword(std::string_view password, const RandomSource& random);
std::string encodePassword(std::string_view password);  // seeded from the clock

// A damaged stored text (odd length, not hexadecimal, too short to hold one
// character) decodes as empty, i.e. as "no password stored".
std::string decodePassword(std::string_view stored);

// Base-2 digits, most significant first, no leading zeros ("" for 0).
std::string numberToBits(std::uint64_t number);
// Any digit other than '1' counts as 0; digits beyond the 64th from the right are ignored.
std::uint64_t bitsToNumber(std::string_view bits);

}  // namespace veilora
