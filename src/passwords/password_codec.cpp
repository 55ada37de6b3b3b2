#include "passwords/password_codec.h"

#include <chrono>
#include <random>

namespace veilora {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kKeyLength = 8;
// Mask digits, key digits and the two digits of one character.
constexpr std::size_t kShortestStored = 2 + kKeyLength + 2;

// A whole number from 0 to n - 1; a source that strays outside [0, 1) is clamped.
int draw(const RandomSource& random, int n) {
    const double r = random ? random() : 0.0;
    if (!(r > 0.0)) return 0;  // also NaN
    if (!(r < 1.0)) return n - 1;
    const int v = static_cast<int>(r * n);
    return v < n ? v : n - 1;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void appendHexByte(std::string& out, int value) {
    out.push_back(kHexDigits[(value >> 4) & 0xF]);
    out.push_back(kHexDigits[value & 0xF]);
}

// The same walk both ways: the key repeats every 8 characters and the sign
// alternates, starting with add when encoding and subtract when decoding.
// The modulus is 255, which is why codes 0 and 255 collide.
int shift(int code, char keyChar, bool add) {
    const int keyCode = static_cast<unsigned char>(keyChar);
    int v = add ? code + keyCode : code - keyCode;
    if (v > 255) {
        v -= 255;
    } else if (v < 0) {
        v += 255;
    }
    return v;
}

}  // namespace

std::string encodePassword(std::string_view password, const RandomSource& random) {
    if (password.empty()) return {};

    std::string key(kKeyLength, '0');
    std::string mask(kKeyLength, '0');
    for (std::size_t i = 0; i < kKeyLength; ++i) {
        key[i] = kHexDigits[draw(random, 16)];
        mask[i] = draw(random, 2) == 1 ? '1' : '0';
    }

    std::string body;
    body.reserve(password.size() * 2);
    bool add = false;
    for (std::size_t i = 0; i < password.size(); ++i) {
        add = !add;
        appendHexByte(body,
                      shift(static_cast<unsigned char>(password[i]), key[i % kKeyLength], add));
    }

    std::string front;
    std::string back;
    for (std::size_t i = 0; i < kKeyLength; ++i) {
        if (mask[i] == '1') {
            front.insert(front.begin(), key[i]);
        } else {
            back.push_back(key[i]);
        }
    }

    std::string stored;
    appendHexByte(stored, static_cast<int>(bitsToNumber(mask)));
    return stored + front + body + back;
}

std::string encodePassword(std::string_view password) {
    thread_local std::mt19937_64 engine(
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    return encodePassword(password, [&] { return uniform(engine); });
}

std::string decodePassword(std::string_view stored) {
    if (stored.size() < kShortestStored || stored.size() % 2 != 0) return {};
    std::string text;
    text.reserve(stored.size());
    for (char c : stored) {
        const int v = hexValue(c);
        if (v < 0) return {};
        // The key digits are used by character code, so lower case must become
        // the upper case that was encoded.
        text.push_back(kHexDigits[v]);
    }

    // Two hex digits never give more than 8 bits.
    const std::string maskBits = numberToBits(hexValue(text[0]) * 16 + hexValue(text[1]));
    const std::string mask = std::string(kKeyLength - maskBits.size(), '0') + maskBits;
    std::string_view rest = std::string_view(text).substr(2);

    std::string key(kKeyLength, '0');
    for (std::size_t i = kKeyLength; i-- > 0;) {
        if (mask[i] == '1') {
            key[i] = rest.front();
            rest.remove_prefix(1);
        } else {
            key[i] = rest.back();
            rest.remove_suffix(1);
        }
    }

    std::string password;
    password.reserve(rest.size() / 2);
    bool add = true;
    for (std::size_t i = 0; i + 1 < rest.size(); i += 2) {
        add = !add;
        const int code = hexValue(rest[i]) * 16 + hexValue(rest[i + 1]);
        password.push_back(static_cast<char>(shift(code, key[(i / 2) % kKeyLength], add)));
    }
    return password;
}

std::string numberToBits(std::uint64_t number) {
    std::string bits;
    for (; number != 0; number >>= 1) bits.insert(bits.begin(), (number & 1) != 0 ? '1' : '0');
    return bits;
}

std::uint64_t bitsToNumber(std::string_view bits) {
    std::uint64_t number = 0;
    const std::size_t count = bits.size() < 64 ? bits.size() : 64;
    for (std::size_t i = 0; i < count; ++i) {
        if (bits[bits.size() - 1 - i] == '1') number |= std::uint64_t{1} << i;
    }
    return number;
}

}  // namespace veilora
