// Universal string: known vectors, round trips and every way a pasted string can be damaged.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>

#include "tools/ToolCommands.h"
#include "universe/UniversalConstants.h"

namespace {
CUniversalConstants RandomBlock(std::mt19937& rng)
{
    CUniversalConstants b;
    for (size_t i = 0; i < CUniversalConstants::kSize; ++i) b.Bytes()[i] = uint8_t(rng());
    return b;
}

void ExpectThrowsCode(CUniversalConstants& b, const std::string& s, int code)
{
    CUniversalConstants before = b;
    try {
        b.DecodeUniversalString(s);
        FAIL() << "decode accepted a damaged string";
    } catch (int c) {
        EXPECT_EQ(c, code);
    }
    EXPECT_EQ(0, std::memcmp(before.Bytes(), b.Bytes(), CUniversalConstants::kSize)) << "block changed on failure";
}
}

TEST(UniversalString, KnownVectors)
{
    CUniversalConstants b;
    std::memset(b.Bytes(), 0, CUniversalConstants::kSize);
    EXPECT_EQ(b.EncodeUniversalString(), std::string(708, 'A'));
    b.Bytes()[0] = 0x3C;
    b.Bytes()[1] = 0xA5;
    const std::string s = b.EncodeUniversalString();
    EXPECT_EQ(s.substr(0, 4), "MDFK");
    // Check bytes: E = 0x3C (even), O = 0xA5 (odd), written low nibble first.
    EXPECT_EQ(s.substr(704, 4), "FKMD");
}

TEST(UniversalString, RoundTripOfRandomBlocksKeepsEveryByte)
{
    std::mt19937 rng(7);
    for (int n = 0; n < 200; ++n) {
        CUniversalConstants b = RandomBlock(rng);
        const std::string s = b.EncodeUniversalString();
        ASSERT_EQ(s.size(), 708u);
        for (char c : s) ASSERT_TRUE(c >= 'A' && c <= 'P');
        CUniversalConstants d;
        d.DecodeUniversalString(s);
        ASSERT_EQ(0, std::memcmp(b.Bytes(), d.Bytes(), CUniversalConstants::kSize));
    }
}

TEST(UniversalString, WrongLengthFailsWithCodeOne)
{
    CUniversalConstants b;
    const std::string s = b.EncodeUniversalString();
    ExpectThrowsCode(b, s.substr(0, 707), 1);
    ExpectThrowsCode(b, s + "A", 1);
    ExpectThrowsCode(b, " " + s, 1);
    ExpectThrowsCode(b, "", 1);
}

TEST(UniversalString, DamageFailsWithCodeTwoAndLeavesBlock)
{
    std::mt19937 rng(11);
    CUniversalConstants b;
    const std::string good = b.EncodeUniversalString();
    for (int n = 0; n < 300; ++n) {
        std::string s = good;
        const size_t i = rng() % 704;
        char c;
        do c = char('A' + rng() % 16); while (c == s[i]);
        s[i] = c;
        ExpectThrowsCode(b, s, 2);
    }
    // Swapped check pairs fail unless both check bytes agree.
    std::string swapped = good.substr(0, 704) + good.substr(706, 2) + good.substr(704, 2);
    if (good.substr(704, 2) != good.substr(706, 2)) ExpectThrowsCode(b, swapped, 2);
    // A check character below 'A' or above 127 makes the check value negative.
    std::string low = good;
    low[705] = '0';
    ExpectThrowsCode(b, low, 2);
    std::string high = good;
    high[707] = char(0xC3);
    ExpectThrowsCode(b, high, 2);
}

TEST(UniversalString, CharactersOutsideTheAlphabetDecodeWhenChecksAgree)
{
    // 'Q' in a low nibble reads as 16: its byte keeps only the low 8 bits of (high*16 | 16).
    CUniversalConstants zero;
    std::memset(zero.Bytes(), 0, CUniversalConstants::kSize);
    std::string s = zero.EncodeUniversalString();
    s[2] = 'Q';  // byte 1 becomes (0*16)|16 = 16
    s[704] = 'A';
    s[705] = 'B';  // O = 16
    CUniversalConstants d;
    d.DecodeUniversalString(s);
    EXPECT_EQ(d.Bytes()[1], 16);
}

TEST(UniversalString, ToolDecodeSurvivesAnyInput)
{
    std::mt19937 rng(3);
    for (int n = 0; n < 500; ++n) {
        std::string junk(rng() % 1500, '\0');
        for (char& c : junk) c = char(rng());
        std::istringstream in(junk);
        std::ostringstream out, err;
        const int rc = ToolDecode(in, out, err);
        ASSERT_TRUE(rc == 0 || rc == 1 || rc == 2);
        if (rc) { ASSERT_FALSE(err.str().empty()); }
    }
}

TEST(UniversalString, ToolTrimsWhiteSpaceAndReportsFailures)
{
    CUniversalConstants b;
    std::istringstream in("  \n" + b.EncodeUniversalString() + "\r\n\t");
    std::ostringstream out, err;
    EXPECT_EQ(ToolDecode(in, out, err), 0);
    EXPECT_EQ(out.str().size(), CUniversalConstants::kSize);
    EXPECT_EQ(0, std::memcmp(out.str().data(), b.Bytes(), CUniversalConstants::kSize));

    std::istringstream shortIn("ABC");
    std::ostringstream out2, err2;
    EXPECT_EQ(ToolDecode(shortIn, out2, err2), 1);
    EXPECT_NE(err2.str().find("right number of bytes"), std::string::npos);
}
