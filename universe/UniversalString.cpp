// The universal string: the block's bytes as letters A..P, low nibble first, with two XOR check bytes.
#include <cstring>

#include "universe/UniversalConstants.h"

namespace {
constexpr size_t kUniversalStringLength = 708;

// Signed 8-bit character code minus 'A', as the format has always read it.
int Digit(char c) { return int(static_cast<signed char>(c)) - 65; }
int Pair(const std::string& s, size_t i) { return (Digit(s[i + 1]) * 16) | Digit(s[i]); }
}

CUniversalConstants* g_pConstants = nullptr;

std::string CUniversalConstants::EncodeUniversalString() const
{
    std::string s(kUniversalStringLength, 'A');
    const uint8_t* b = Bytes();
    uint8_t odd = 0, even = 0;
    for (size_t i = 0; i < kSize; ++i) {
        (i % 2 ? odd : even) ^= b[i];
        s[2 * i] = char(65 + (b[i] & 15));
        s[2 * i + 1] = char(65 + (b[i] >> 4));
    }
    s[704] = char(65 + (odd & 15));
    s[705] = char(65 + (odd >> 4));
    s[706] = char(65 + (even & 15));
    s[707] = char(65 + (even >> 4));
    return s;
}

void CUniversalConstants::DecodeUniversalString(const std::string& text)
{
    if (text.size() != kUniversalStringLength) throw 1;
    uint8_t bytes[kSize];
    int odd = 0, even = 0;
    for (size_t i = 0; i < kSize; ++i) {
        bytes[i] = uint8_t(Pair(text, 2 * i) & 0xFF);
        (i % 2 ? odd : even) ^= bytes[i];
    }
    if (Pair(text, 704) != odd || Pair(text, 706) != even) throw 2;
    std::memcpy(Bytes(), bytes, kSize);
}
