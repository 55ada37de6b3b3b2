// A random source for the password codec that gives chosen key characters and mask bits.
#pragma once

#include <cstddef>
#include <vector>

#include "passwords/password_codec.h"

namespace veilora::test {

// Fixed draws: for each key character a digit draw (0 to 15), then a mask draw (a bit).
inline RandomSource draws(std::vector<int> digits, std::vector<int> maskBits) {
    std::vector<double> sequence;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        sequence.push_back((digits[i] + 0.5) / 16.0);
        sequence.push_back(maskBits[i] != 0 ? 0.75 : 0.25);
    }
    return [sequence, next = std::size_t{0}]() mutable { return sequence.at(next++); };
}

}  // namespace veilora::test
