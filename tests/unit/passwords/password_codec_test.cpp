#include "passwords/password_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "support/fixed_draws.h"

namespace veilora {
namespace {

using test::draws;

const std::vector<int> kKey12345678 = {1, 2, 3, 4, 5, 6, 7, 8};
const std::vector<int> kNoBits(8, 0);

// Each character added to and subtracted from, under fresh random keys and masks, under stray
// draws (below 0, 1 and above, not a number), and under the clock's own source.
TEST(PasswordCodec, EveryCharacterFrom1To254SurvivesAnyKeyAndMask) {
    std::string password;
    for (int code = 1; code <= 254; ++code) password.push_back(static_cast<char>(code));
    std::mt19937 engine(12345);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<RandomSource> sources(16, [&] { return uniform(engine); });
    for (double value : {0.0, 0.999999, -1.0, 1.0, 7.5, std::nan("")})
        sources.push_back([value] { return value; });
    for (const auto& random : sources) {
        for (const std::string& text : {password, password.substr(1) + password[0]}) {
            const std::string stored = encodePassword(text, random);
            ASSERT_EQ(stored.size(), 10 + 2 * text.size());
            ASSERT_EQ(decodePassword(stored), text) << stored;
        }
    }
}

// Known stored texts: where the mask puts each key character, how sums wrap by 255 (exactly
// 255 and exactly 0 do not wrap), and the key coming round again at the 9th character.
TEST(PasswordCodec, StoredTextsFollowTheMaskTheKeyAndTheWrap) {
    // 'A' + '1' = 0x72; 'B' - '2' = 0x10.
    EXPECT_EQ(encodePassword("AB", draws(kKey12345678, std::vector<int>(8, 1))), "FF876543217210");
    EXPECT_EQ(encodePassword("AB", draws(kKey12345678, kNoBits)), "00721012345678");
    EXPECT_EQ(encodePassword("A", draws(kKey12345678, {1, 0, 1, 0, 0, 0, 0, 1})), "A18317224567");
    EXPECT_EQ(decodePassword("A18317224567"), "A");

    // Key "FFFFFFFF" (70): 0xB9 + 70 = 255; 10 - 70 -> 195; 250 + 70 -> 65; 'F' - 70 = 0.
    const std::string wraps = "\xB9\x0A\xFA" "F";
    const std::string stored = encodePassword(wraps, draws(std::vector<int>(8, 15), kNoBits));
    EXPECT_EQ(stored, "00FFC34100FFFFFFFF");
    EXPECT_EQ(decodePassword(stored), wraps);

    // 1 + '1' (49) = 0x32, the 9th character added to like the 1st.
    EXPECT_EQ(encodePassword(std::string(9, '\x01'), draws(kKey12345678, kNoBits)).substr(18, 2),
              "32");

    // The mask's bits: only ones count, and only the last 64 digits; 0 has no digit.
    EXPECT_EQ(numberToBits(0), "");
    EXPECT_EQ(numberToBits(5), "101");
    EXPECT_EQ(bitsToNumber("1x2"), 4u);
    EXPECT_EQ(bitsToNumber("1" + std::string(64, '0') + "1"), 1u);
}

TEST(PasswordCodec, EmptyAndDamagedStoredTextsMeanNoPassword) {
    EXPECT_EQ(encodePassword("", [] { return 0.5; }), "");
    for (const char* stored : {"", "00", "00FFFFFFFF", "0041FFFFFFF", "0041C3FFFFFFFFF",
                               "0041FFFFFFFFFX", "00 1FFFFFFFFFF", "damaged text"}) {
        EXPECT_EQ(decodePassword(stored), "") << stored;
    }
    EXPECT_EQ(decodePassword("0041c3ffffffff"), "\xFA\x0A");
}

}  // namespace
}  // namespace veilora
