#include "patcher/utf16_text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/long_path.h"
#include "tests/support/named_rows.h"

namespace cirrowisp {
namespace {

// A name as a listing hands it over (UTF-16) and as the program keeps it (UTF-8).
struct RoundTripRow {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

class Utf16RoundTrip : public ::testing::TestWithParam<RoundTripRow> {};

TEST_P(Utf16RoundTrip, BothWaysAndTheLengthWindowsCounts) {
    const RoundTripRow& row = GetParam();
    EXPECT_EQ(utf16FromUtf8(row.utf8), row.utf16);
    EXPECT_EQ(utf8FromUtf16(row.utf16), row.utf8);
    EXPECT_EQ(utf16Length(row.utf8), row.utf16.size());
}

INSTANTIATE_TEST_SUITE_P(
    Names, Utf16RoundTrip,
    ::testing::Values(
        RoundTripRow{"Ascii", "Alpha_B737", u"Alpha_B737"},
        RoundTripRow{"Cyrillic", "\xD0\xA2\xD1\x83-154\xD0\x9C", u"\u0422\u0443-154\u041C"},
        RoundTripRow{"Japanese", "\xE6\x97\xA5\xE6\x9C\xAC_B767", u"\u65E5\u672C_B767"},
        RoundTripRow{"AccentedLatin", "Cr\xC3\xA8me", u"Cr\u00E8me"},
        // Outside the Basic Multilingual Plane: four bytes, two units.
        RoundTripRow{"SurrogatePair", "\xF0\x9F\x9B\xA9_Skyhawk", u"\U0001F6E9_Skyhawk"},
        // Not valid UTF-16, but a name NTFS can hold: it must come back to open the file.
        RoundTripRow{"LoneHighSurrogate",
                     "a\xED\xA0\xBD"
                     "b",
                     std::u16string{u'a', 0xD83D, u'b'}},
        RoundTripRow{"LoneLowSurrogate", "\xED\xBB\xA9", std::u16string{0xDEE9}},
        RoundTripRow{"Empty", "", u""}),
    RowName{});

TEST(Utf16FromUtf8, BytesThatAreNoCharacterBecomeReplacementCharacters) {
    const struct {
        std::string bytes;
        std::u16string expected;
    } rows[] = {
        {"a\x80"
         "b",
         u"a\uFFFDb"},                                      // a continuation byte alone
        {"\xC3", u"\uFFFD"},                                // cut short at the end
        {"\xC3x", u"\uFFFDx"},                              // cut short by an ASCII byte
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // an over-long '/'
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\x82\xA0", u"\uFFFD\uFFFD"},                      // Shift-JIS, not UTF-8
    };
    for (const auto& row : rows) {
        EXPECT_EQ(utf16FromUtf8(row.bytes), row.expected) << row.bytes;
    }
}

TEST(ExtendedLengthPath, AbsolutePathsGetThePrefixAndTheRulesItSwitchesOff) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"C:\\sim\\SimObjects\\Airplanes", "\\\\?\\C:\\sim\\SimObjects\\Airplanes"},
        {"c:/sim//Airplanes/./Jet/", "\\\\?\\c:\\sim\\Airplanes\\Jet"},
        // The scan visits "." and ".." of a root like any folder.
        {"C:\\sim\\Airplanes\\..\\aircraft.cfg", "\\\\?\\C:\\sim\\aircraft.cfg"},
        {"C:\\..\\..\\x", "\\\\?\\C:\\x"},
        {"C:\\", "\\\\?\\C:\\"},
        // A listing may deliver names the system's rules would trim.
        {"C:\\sim\\Jet. \\aircraft.cfg", "\\\\?\\C:\\sim\\Jet. \\aircraft.cfg"},
        {"C:\\\xD0\xA1\xD0\xB8\xD0\xBC\\\xF0\x9F\x9B\xA9",
         "\\\\?\\C:\\\xD0\xA1\xD0\xB8\xD0\xBC\\\xF0\x9F\x9B\xA9"},
        {"\\\\server\\share\\sim\\..\\Jet", "\\\\?\\UNC\\server\\share\\Jet"},
        {"//server/share/..", "\\\\?\\UNC\\server\\share\\"},
        // Not fully qualified, or already in a form the system takes as it is.
        {"\\\\server", "\\\\server"},
        {"\\\\server\\", "\\\\server\\"},
        {"\\\\?\\C:\\a\\..\\b", "\\\\?\\C:\\a\\..\\b"},
        {"\\\\.\\COM1", "\\\\.\\COM1"},
        {"sim\\Airplanes", "sim\\Airplanes"},
        {"C:sim", "C:sim"},
        {"\\sim", "\\sim"},
        {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(extendedLengthPath(row.in), row.out) << row.in;
    }
}

}  // namespace
}  // namespace cirrowisp
