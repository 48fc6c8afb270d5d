#include "patcher/byte_text.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace cirrowisp {
namespace {

using DecimalCase = TextRow<double>;

class ParseDecimalTest : public testing::TestWithParam<DecimalCase> {};

TEST_P(ParseDecimalTest, ReadsLikeStrtodForDecimalsOnly) {
    const DecimalCase& c = GetParam();
    const double value = parseDecimal(c.text);
    if (std::isinf(c.yields)) {
        EXPECT_EQ(value, c.yields);
    } else {
        EXPECT_DOUBLE_EQ(value, c.yields) << "text: " << c.text;
    }
}

const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Table, ParseDecimalTest,
    testing::Values(
        DecimalCase{"Integer", "-27", -27.0}, DecimalCase{"Fraction", "-27.0", -27.0},
        DecimalCase{"LeadingBlanks", " \t 1.9", 1.9},
        DecimalCase{"AllCWhiteSpace", "\n\v\f\r5", 5.0}, DecimalCase{"PlusSign", "+5", 5.0},
        DecimalCase{"PointFirst", ".5", 0.5}, DecimalCase{"PointLast", "5.", 5.0},
        DecimalCase{"PointAlone", ".", 0.0}, DecimalCase{"SignAlone", "-", 0.0},
        DecimalCase{"Empty", "", 0.0}, DecimalCase{"Letters", "abc", 0.0},
        DecimalCase{"TrailingComment", "1 ; jet", 1.0}, DecimalCase{"HexIsNotANumber", "0x5", 0.0},
        DecimalCase{"InfIsNotANumber", "INF", 0.0}, DecimalCase{"NanIsNotANumber", "nan", 0.0},
        DecimalCase{"Exponent", "1.5E2", 150.0}, DecimalCase{"ExponentSign", "15e-1", 1.5},
        DecimalCase{"ExponentWithoutDigits", "7e", 7.0},
        DecimalCase{"ExponentSignWithoutDigits", "7e+", 7.0},
        DecimalCase{"CommaIsNotAPoint", "1,5", 1.0},
        DecimalCase{"RoundsCorrectly", "0.99999999999999999999", 1.0},
        DecimalCase{"Overflow", "1e400", kInf}, DecimalCase{"NegativeOverflow", "-1e400", -kInf},
        DecimalCase{"LongMantissaOverflow", "123456789e399", kInf},
        DecimalCase{"Underflow", "1e-400", 0.0},
        DecimalCase{"SmallFractionUnderflow", "0.0001e-400", 0.0},
        DecimalCase{"HugeExponentDigits", "1e999999999999999999999", kInf},
        DecimalCase{"ZeroWithHugeExponent", "0e999999", 0.0}),
    RowName{});

TEST(ParseDecimal, IgnoresTheProcessLocale) {
    // A toolkit may switch the process to the user's locale, where the separator is a comma.
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German_Germany.1252"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    const double value = parseDecimal("-27.5");
    std::setlocale(LC_ALL, "C");
    EXPECT_DOUBLE_EQ(value, -27.5) << "locale " << chosen;
}

struct EngineCase {
    const char* name;
    double value;
    std::int32_t expected;
};

class EngineCodeTest : public testing::TestWithParam<EngineCase> {};

TEST_P(EngineCodeTest, TruncatesThroughSigned64Bits) {
    EXPECT_EQ(engineCodeFromValue(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EngineCodeTest,
    testing::Values(EngineCase{"Whole", 5.0, 5}, EngineCase{"TowardZero", 1.9, 1},
                    EngineCase{"NegativeTowardZero", -1.9, -1},
                    EngineCase{"Low32BitsOnly", 4294967301.0, 5},
                    EngineCase{"NegativeLow32Bits", -4294967295.0, 1},
                    EngineCase{"LargestBelowLimit", 9223372036854774784.0, -1024},
                    EngineCase{"AtUpperLimit", 9223372036854775808.0, 0},
                    EngineCase{"AtLowerLimit", -9223372036854775808.0, 0},
                    EngineCase{"BeyondLowerLimit", -1e19, 0}, EngineCase{"Infinity", kInf, 0},
                    EngineCase{"NegativeInfinity", -kInf, 0}),
    RowName{});

CodePage shiftJis() {
    CodePage codePage;
    for (int b = 0x81; b <= 0x9F; ++b) codePage.setLeadByte(static_cast<unsigned char>(b), true);
    for (int b = 0xE0; b <= 0xFC; ++b) codePage.setLeadByte(static_cast<unsigned char>(b), true);
    return codePage;
}

struct FindCase {
    const char* name;
    std::string text;
    bool doubleByte;
    std::size_t expected;
};

class FindUpperTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindUpperTest, MatchesOnlyAtCharacterStarts) {
    const FindCase& c = GetParam();
    const CodePage codePage = c.doubleByte ? shiftJis() : CodePage{};
    EXPECT_EQ(findUpper(c.text, "CONTRAIL=", codePage), c.expected);
}

constexpr auto npos = std::string::npos;

INSTANTIATE_TEST_SUITE_P(
    Table, FindUpperTest,
    testing::Values(
        FindCase{"LowerCase", "contrail=fx", false, 0},
        FindCase{"MixedCase", "x Contrail=", false, 2},
        FindCase{"Absent", "contrail =fx", false, npos},
        FindCase{"HighBytesAsciiHost",
                 "\x83\x63"
                 "ontrail=",
                 false, 1},
        // 0x83 0x63 is one character: its trail byte 'c' is neither upper-cased nor a start.
        FindCase{"TrailByteNeverStartsMatch",
                 "\x83\x63"
                 "ONTRAIL=",
                 true, npos},
        FindCase{"AfterDoubleByteChar",
                 "\x83\x63"
                 "contrail=",
                 true, 2},
        FindCase{"LeadByteAtEnd", "contrail=\x83", true, 0},
        FindCase{"NulInside", std::string("a\0contrail=", 11), false, 2}),
    RowName{});

TEST(FindEquals, SkipsTrailBytes) {
    CodePage codePage;
    codePage.setLeadByte(0x81, true);
    EXPECT_EQ(findEquals("\x81=a=1", codePage), 3u);
    EXPECT_EQ(findEquals("\x81=a=1", CodePage{}), 1u);
    EXPECT_EQ(findEquals("abc", CodePage{}), npos);
}

}  // namespace
}  // namespace cirrowisp

#ifndef _WIN32
namespace cirrowisp {
namespace {

// glibc's strtod in the C locale is the reference for every decimal text; the alphabet leaves
// out the letters of hexadecimal, INF and NAN, which we deliberately do not read.
TEST(ParseDecimal, AgreesWithStrtodOnRandomDecimalText) {
    std::setlocale(LC_NUMERIC, "C");
    const std::string alphabet = " \t+-.0123456789eE;,";
    std::uint32_t state = 12345;
    auto nextRandom = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const std::size_t length = nextRandom() % 24;
        for (std::size_t i = 0; i < length; ++i) text += alphabet[nextRandom() % alphabet.size()];
        const double expected = std::strtod(text.c_str(), nullptr);
        const double actual = parseDecimal(text);
        ASSERT_TRUE(actual == expected || (std::isnan(actual) && std::isnan(expected)))
            << "text '" << text << "': " << actual << " vs " << expected;
        ASSERT_EQ(std::signbit(actual), std::signbit(expected)) << "text '" << text << "'";
    }
}

}  // namespace
}  // namespace cirrowisp
#endif
