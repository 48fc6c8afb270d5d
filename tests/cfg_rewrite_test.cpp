#include "patcher/cfg_rewrite.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "patcher/file_error.h"
#include "patcher/line_io.h"
#include "patcher/text_encoding.h"
#include "tests/support/named_rows.h"
#include "tests/support/rewrite_invariants.h"
#include "tests/support/samples.h"

namespace cirrowisp {
namespace {

std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

struct RewriteCase {
    const char* name;
    std::function<void(PatchOptions&)> choose;
    std::string input;
    std::string expected;  // written with LF; every line must come out with CR LF
    int contrails;
    int temperatures;
    // Input and expected lines are given as text and stored in this encoding.
    TextEncoding encoding = TextEncoding::plain;
};

class RewriteRulesTest : public testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteRulesTest, WritesExpectedLinesAndCounts) {
    const RewriteCase& c = GetParam();
    PatchOptions options;
    if (c.choose)
        c.choose(options);
    const std::string input = inEncoding(c.input, c.encoding);
    const std::string expected = inEncoding(crlf(c.expected), c.encoding);
    for (const LineScan scan : runnableLineScans()) {
        SCOPED_TRACE("line scan " + std::to_string(static_cast<int>(scan)));
        StringSink output;
        const FileRewrite rewrite = rewriteFile(options, input, output, scan);
        EXPECT_EQ(output.data(), expected);
        EXPECT_EQ(rewrite.unreadable, "");
        EXPECT_EQ(rewrite.result.contrailsAdded, c.contrails);
        EXPECT_EQ(rewrite.result.temperaturesChanged, c.temperatures);
        StringSink again;
        rewriteFile(options, expected, again, scan);
        EXPECT_EQ(again.data(), expected) << "a second run changed the file";
    }
}

const auto defaults = std::function<void(PatchOptions&)>{};
const auto jetOff = [](PatchOptions& o) { o.engineJet = 0; };
const auto allOff = [](PatchOptions& o) { selectEngines(o, 0); };

INSTANTIATE_TEST_SUITE_P(
    Rules, RewriteRulesTest,
    testing::Values(
        RewriteCase{
            "WorkedExample", defaults,
            "[fltsim.0]\ntitle=Sample\n\n[GeneralEngineData]\nengine_type = 1\n"
            "min_throttle_limit=-0.25\n\n[effects]\nwake=fx_wake\n\n[flight_tuning]\n"
            "cruise_lift_scalar=1.0\n",
            "\n[fltsim.0]\ntitle=Sample\n\n[GeneralEngineData]\nengine_type = 1\n"
            "min_throttle_limit=-0.25\nmax_contrail_temperature=-27\n\n[effects]\n"
            "wake=fx_wake\ncontrail=fx_Cirrowisp\n\n[flight_tuning]\ncruise_lift_scalar=1.0\n",
            1, 1},
        RewriteCase{"NoKnownSectionsOnlyNormalised", defaults, "\n\n[a]\n\n\nx=1\n   \n[b]\ny=2",
                    "\n[a]\nx=1\n   \n\n[b]\ny=2\n", 0, 0},
        RewriteCase{"EffectsLastGetsNothing", defaults, "[effects]\nwake=1\n",
                    "\n[effects]\nwake=1\n", 0, 0},
        RewriteCase{
            "ExistingContrailKeepsItsName", [](PatchOptions& o) { o.effectName = "fx_new"; },
            "[effects]\ncontrail=fx_old\n[x]\n", "\n[effects]\ncontrail=fx_old\n\n[x]\n", 0, 0},
        RewriteCase{"UnselectedTypeLosesContrailKeepsTemperature", jetOff,
                    "[GENERALENGINEDATA]\nengine_type=1\nmax_contrail_temperature=-10\n"
                    "[EFFECTS]\ncontrail=fx\n[x]\n",
                    "\n[GENERALENGINEDATA]\nengine_type=1\nmax_contrail_temperature=-10\n\n"
                    "[EFFECTS]\n\n[x]\n",
                    0, 0},
        RewriteCase{"EffectsBeforeEngineDataUsesUnknownType", jetOff,
                    "[EFFECTS]\ncontrail=fx\n[GENERALENGINEDATA]\nengine_type=1\n[x]\n",
                    "\n[EFFECTS]\ncontrail=fx\n\n[GENERALENGINEDATA]\nengine_type=1\n\n[x]\n", 0,
                    0},
        RewriteCase{"BlankBeforeEqualsNotRecognised", defaults, "[effects]\ncontrail =fx\n[x]\n",
                    "\n[effects]\ncontrail =fx\ncontrail=fx_Cirrowisp\n\n[x]\n", 1, 0},
        RewriteCase{
            "EqualTemperatureStays", defaults,
            "[GeneralEngineData]\nmax_contrail_temperature=-27.0 ; set\nengine_type=1\n[x]\n",
            "\n[GeneralEngineData]\nmax_contrail_temperature=-27.0 ; set\nengine_type=1\n\n[x]\n",
            0, 0},
        RewriteCase{"DifferentTemperatureMovesToSectionEnd", defaults,
                    "[GeneralEngineData]\nmax_contrail_temperature=-40\nengine_type=1\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type=1\nmax_contrail_temperature=-27\n\n[x]\n",
                    0, 1},
        RewriteCase{"FractionalEngineTypeTruncates", jetOff,
                    "[GeneralEngineData]\nengine_type=1.9\n[effects]\ncontrail=a\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type=1.9\n\n[effects]\n\n[x]\n", 0, 0},
        RewriteCase{"EngineTypeWithoutEqualsIsPiston", [](PatchOptions& o) { o.enginePiston = 0; },
                    "[GeneralEngineData]\nengine_type 5\n[effects]\ncontrail=a\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type 5\n\n[effects]\n\n[x]\n", 0, 0},
        RewriteCase{"HexEngineTypeIsPiston", defaults,
                    "[GeneralEngineData]\nengine_type=0x1\n[effects]\ncontrail=a\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type=0x1\n\n[effects]\n\n[x]\n", 0, 0},
        RewriteCase{
            "AllTypesOffStillTreatsUnknownType", allOff,
            "[GeneralEngineData]\nengine_type=9\n[effects]\nwake=1\n[x]\n",
            "\n[GeneralEngineData]\nengine_type=9\nmax_contrail_temperature=-27\n\n[effects]\n"
            "wake=1\ncontrail=fx_Cirrowisp\n\n[x]\n",
            1, 1},
        RewriteCase{"HeaderWithCommentIsNoHeader", defaults, "[x]\n[EFFECTS] ; fx\nwake=1\n[y]\n",
                    "\n[x]\n[EFFECTS] ; fx\nwake=1\n\n[y]\n", 0, 0},
        RewriteCase{"HeaderWithLeadingBlankIsNoHeader", defaults, " [EFFECTS]\n[y]\n",
                    " [EFFECTS]\n\n[y]\n", 0, 0},
        RewriteCase{"CommentedKeyCounts", defaults, "[effects]\n; contrail=old\n[y]\n",
                    "\n[effects]\n; contrail=old\n\n[y]\n", 0, 0},
        RewriteCase{
            "OneLinePerSection", defaults,
            "[effects]\na=1\n[GENERALENGINEDATA]\nb=1\n[effects]\nc=1\n[generalenginedata]\n",
            "\n[effects]\na=1\ncontrail=fx_Cirrowisp\n\n[GENERALENGINEDATA]\nb=1\n"
            "max_contrail_temperature=-27\n\n[effects]\nc=1\ncontrail=fx_Cirrowisp\n\n"
            "[generalenginedata]\n",
            2, 1},
        RewriteCase{"EmptyEffectName", [](PatchOptions& o) { o.effectName.clear(); },
                    "[effects]\n[x]\n", "\n[effects]\ncontrail=\n\n[x]\n", 1, 0},
        RewriteCase{"TemperatureWrittenInDecimal",
                    [](PatchOptions& o) { o.maxContrailTemperature = -5; },
                    "[GeneralEngineData]\n[x]\n",
                    "\n[GeneralEngineData]\nmax_contrail_temperature=-5\n\n[x]\n", 0, 1},
        RewriteCase{"OtherLinesKeepTheirCase", defaults, "[A]\nMiXeD=CaSe\n", "\n[A]\nMiXeD=CaSe\n",
                    0, 0},
        // A temperature line dropped before the engine type is known waits for the outcome.
        RewriteCase{"DroppedLineRestoredForUnselectedType", jetOff,
                    "[GeneralEngineData]\nmax_contrail_temperature=-40\nfuel=1\nengine_type=1\n"
                    "more=2\n[x]\n",
                    "\n[GeneralEngineData]\nmax_contrail_temperature=-40\nfuel=1\nengine_type=1\n"
                    "more=2\n\n[x]\n",
                    0, 0},
        RewriteCase{"DroppedLinesDroppedWhenWantedFollows", defaults,
                    "[GeneralEngineData]\nmax_contrail_temperature=-40\na=1\n"
                    "max_contrail_temperature=-27\nb=2\n[x]\n",
                    "\n[GeneralEngineData]\na=1\nmax_contrail_temperature=-27\nb=2\n\n[x]\n", 0, 0},
        RewriteCase{"SectionAtEndOfFileGetsLastLine", defaults,
                    "[GeneralEngineData]\nmax_contrail_temperature=-40\nengine_type=1",
                    "\n[GeneralEngineData]\nengine_type=1\nmax_contrail_temperature=-27\n", 0, 1},
        RewriteCase{"SectionAtEndOfFileUnselectedKeepsLine", jetOff,
                    "[GeneralEngineData]\nmax_contrail_temperature=-40\nengine_type=1",
                    "\n[GeneralEngineData]\nmax_contrail_temperature=-40\nengine_type=1\n", 0, 0},
        RewriteCase{"SectionAtEndOfFileWithoutDropGetsNothing", defaults,
                    "[GeneralEngineData]\nengine_type=1\n",
                    "\n[GeneralEngineData]\nengine_type=1\n", 0, 0},
        RewriteCase{"CtrlZEndsTheFile", defaults, "[a]\nx=1\x1a\n[effects]\n", "\n[a]\nx=1\n", 0,
                    0},
        // Found by the fuzzer: each of these made a second run disagree with the first.
        RewriteCase{"EveryContrailOfUnselectedTypeGoes", jetOff,
                    "[GeneralEngineData]\nengine_type=1\n[effects]\ncontrail=a\ncontrail=b\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type=1\n\n[effects]\n\n[x]\n", 0, 0},
        RewriteCase{"TemperatureLineHoldingEngineTypeStays", defaults,
                    "[GeneralEngineData]\nengine_type=1 max_contrail_temperature=-40\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type=1 max_contrail_temperature=-40\n"
                    "max_contrail_temperature=-27\n\n[x]\n",
                    0, 1},
        // Found by differential testing: the end of the file must close the section as a
        // header does.
        RewriteCase{"TemperatureLineHoldingEngineTypeAtEndOfFile", defaults,
                    "[GeneralEngineData]\r\nengine_type=1 ; max_contrail_temperature=-5\r\n",
                    "\n[GeneralEngineData]\nengine_type=1 ; max_contrail_temperature=-5\n"
                    "max_contrail_temperature=-27\n",
                    0, 1},
        // Long enough, and in CR LF, for the block copy to meet the header itself.
        RewriteCase{"SectionNamedAfterOtherText", defaults,
                    "[x]\r\n; a comment that takes the copy of ordinary lines past one block\r\n"
                    "\r\n[fltsim.0][effects]\r\nwake=1\r\n[y]\r\n",
                    "\n[x]\n; a comment that takes the copy of ordinary lines past one block\n"
                    "\n[fltsim.0][effects]\nwake=1\ncontrail=fx_Cirrowisp\n\n[y]\n",
                    1, 0},
        RewriteCase{"HeaderNamingBothSectionsOpensNeither", jetOff,
                    "[GeneralEngineData]\nengine_type=1\n[effects][GeneralEngineData]\ncontrail=a\n"
                    "engine_type=0\nmax_contrail_temperature=-5\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type=1\n\n[effects][GeneralEngineData]\n"
                    "contrail=a\nengine_type=0\nmax_contrail_temperature=-5\n\n[x]\n",
                    0, 0},
        // Each engine type is chosen by its own option: one row per type that is off by default.
        RewriteCase{"DeselectedTurbopropLosesContrail",
                    [](PatchOptions& o) { o.engineTurboprop = 0; },
                    "[GeneralEngineData]\nengine_type=5\n[effects]\ncontrail=a\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type=5\n\n[effects]\n\n[x]\n", 0, 0},
        RewriteCase{"HeloTurbineSelectedByItsOwnOption",
                    [](PatchOptions& o) { o.engineHeloTurbine = 1; },
                    "[GeneralEngineData]\nengine_type=3\n[effects]\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type=3\nmax_contrail_temperature=-27\n\n"
                    "[effects]\ncontrail=fx_Cirrowisp\n\n[x]\n",
                    1, 1},
        RewriteCase{"NoneSelectedByItsOwnOption", [](PatchOptions& o) { o.engineNone = 1; },
                    "[GeneralEngineData]\nengine_type=2\n[effects]\n[x]\n",
                    "\n[GeneralEngineData]\nengine_type=2\nmax_contrail_temperature=-27\n\n"
                    "[effects]\ncontrail=fx_Cirrowisp\n\n[x]\n",
                    1, 1},
        // Removing contrails is a rule of the [EFFECTS] section only; a key of that name
        // elsewhere belongs to someone else.
        RewriteCase{"RemovalEndsWithTheEffectsSection", jetOff,
                    "[GeneralEngineData]\nengine_type=1\n[effects]\ncontrail=a\n[other]\n"
                    "contrail=b\n",
                    "\n[GeneralEngineData]\nengine_type=1\n\n[effects]\n\n[other]\ncontrail=b\n", 0,
                    0},
        RewriteCase{"HeaderNamedLikeKeyIsOnlyHeader", jetOff,
                    "[GeneralEngineData]\nengine_type=1\n[effects]\n[contrail=x]\nwake=1\n"
                    "[GeneralEngineData]\n[engine_type=0]\n",
                    "\n[GeneralEngineData]\nengine_type=1\n\n[effects]\n\n[contrail=x]\nwake=1\n\n"
                    "[GeneralEngineData]\nmax_contrail_temperature=-27\n\n[engine_type=0]\n",
                    0, 1},
        // Files saved by editors in other encodings: each comes back in its own. Lines the pass
        // writes are ASCII; characters outside it, a surrogate pair too, go back as they were.
        RewriteCase{"Utf16LittleEndian", defaults,
                    "[fltsim.0]\ntitle=Fl\xC3\xBCgel \xF0\x9F\x9B\xA9\n[GeneralEngineData]\n"
                    "engine_type=1\n[effects]\nwake=fx_wake\n",
                    "\n[fltsim.0]\ntitle=Fl\xC3\xBCgel \xF0\x9F\x9B\xA9\n\n[GeneralEngineData]\n"
                    "engine_type=1\nmax_contrail_temperature=-27\n\n[effects]\nwake=fx_wake\n",
                    0, 1, TextEncoding::utf16Little},
        RewriteCase{"Utf16LittleEndianWithoutFinalLineEnd", defaults,
                    "[effects]\nwake=fx_wake\n[end]",
                    "\n[effects]\nwake=fx_wake\ncontrail=fx_Cirrowisp\n\n[end]\n", 1, 0,
                    TextEncoding::utf16Little},
        RewriteCase{"Utf16BigEndian", jetOff,
                    "[GeneralEngineData]\nengine_type=1\n[effects]\ncontrail=a\n[end]\n",
                    "\n[GeneralEngineData]\nengine_type=1\n\n[effects]\n\n[end]\n", 0, 0,
                    TextEncoding::utf16Big},
        RewriteCase{"Utf16BigEndianWithoutFinalLineEnd", defaults,
                    "[GeneralEngineData]\nengine_type=1\nmax_contrail_temperature=-10",
                    "\n[GeneralEngineData]\nengine_type=1\nmax_contrail_temperature=-27\n", 0, 1,
                    TextEncoding::utf16Big},
        RewriteCase{"Utf8MarkBeforeAHeaderOnTheFirstLine", defaults,
                    "[EFFECTS]\nwake=fx_wake\n[end]\n",
                    "\n[EFFECTS]\nwake=fx_wake\ncontrail=fx_Cirrowisp\n\n[end]\n", 1, 0,
                    TextEncoding::utf8Marked},
        RewriteCase{"Utf8MarkAlone", defaults, "", "", 0, 0, TextEncoding::utf8Marked},
        RewriteCase{"Utf16MarkAlone", defaults, "", "", 0, 0, TextEncoding::utf16Little}),
    RowName{});

// UTF-16 that a conversion would change is not rewritten: nothing is written, and the reason
// says where the file is broken.
using UnreadableCase = TextRow<std::string>;  // the fault named

class UnreadableUtf16 : public testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableUtf16, IsNotRewritten) {
    StringSink output;
    const FileRewrite rewrite = rewriteFile(PatchOptions{}, GetParam().text, output);
    EXPECT_EQ(output.data(), "");
    EXPECT_EQ(rewrite.unreadable, GetParam().yields);
}

const std::string kEffectsLittle = inEncoding("[effects]\n", TextEncoding::utf16Little);

INSTANTIATE_TEST_SUITE_P(
    Rows, UnreadableUtf16,
    testing::Values(
        UnreadableCase{"OddLength", kEffectsLittle + "x", "an odd number of bytes"},
        UnreadableCase{"OddLengthBigEndian",
                       inEncoding("[effects]\n", TextEncoding::utf16Big) + std::string(1, '\0'),
                       "an odd number of bytes"},
        UnreadableCase{"LoneHighSurrogateAtTheEnd", kEffectsLittle + "\x3D\xD8",
                       "a lone surrogate at byte 22"},
        UnreadableCase{"HighSurrogateBeforeAnAsciiCharacter",
                       kEffectsLittle + std::string("\x3D\xD8[\0", 4),
                       "a lone surrogate at byte 22"},
        UnreadableCase{"LoneLowSurrogateBigEndian", std::string("\xFE\xFF\xDC\x00\0[", 6),
                       "a lone surrogate at byte 2"}),
    RowName{});

TEST(RewritePass, SecondPassChangesNothing) {
    const std::string input =
        "[fltsim.0]\r\ntitle=Sample\r\n\r\n[GeneralEngineData]\r\nengine_type = 1\r\n"
        "max_contrail_temperature=-3\r\n\r\n[effects]\r\nwake=fx_wake\r\n\r\n[x]\r\n";
    PatchOptions options;
    std::string first;
    std::string second;
    rewriteText(options, input, first);
    const RewriteResult again = rewriteText(options, first, second);
    EXPECT_EQ(second, first);
    EXPECT_EQ(again.contrailsAdded, 0);
    EXPECT_EQ(again.temperaturesChanged, 0);
}

// Ordinary lines are scanned in blocks of bytes; each row is put after a line that moves it
// across the first two block boundaries, so its CR LF pair, empty line or '[' falls on every
// side of one.
using BoundaryCase = TextRow<std::string>;  // the rewritten lines

class BlockBoundaryTest : public testing::TestWithParam<BoundaryCase> {};

TEST_P(BlockBoundaryTest, LineEndsAndEmptyLinesAtEveryOffset) {
    const BoundaryCase& c = GetParam();
    for (const LineScan scan : runnableLineScans()) {
        for (std::size_t filler = 0; filler <= 140; ++filler) {
            const std::string line(filler, 'x');
            const std::string kept = filler > 0 ? line + "\r\n" : "";  // an empty line is dropped
            std::string output;
            // The first line is read on its own, before any block: the blocks begin after it.
            rewriteText(PatchOptions{}, "a\r\n" + line + "\r\n" + c.text, output, scan);
            ASSERT_EQ(output, "a\r\n" + kept + c.yields)
                << "after a line of " << filler << " bytes, line scan " << static_cast<int>(scan);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, BlockBoundaryTest,
    testing::Values(BoundaryCase{"EmptyLineWithCr", "\r\na\r\n", "a\r\n"},
                    BoundaryCase{"EmptyLineWithoutCr", "\na\r\n", "a\r\n"},
                    BoundaryCase{"LineWithoutCr", "ab\nc\r\n", "ab\r\nc\r\n"},
                    BoundaryCase{"StrayCrAtLineEnd", "ab\r\r\n\r\r\n", "ab\r\r\n\r\r\n"},
                    BoundaryCase{"Header", "[fltsim.1]\r\nb\r\n", "\r\n[fltsim.1]\r\nb\r\n"},
                    BoundaryCase{"BracketInsideALine", "a[b]\r\n", "a[b]\r\n"},
                    BoundaryCase{"NoFinalLineEnd", "a\r\nbc", "a\r\nbc\r\n"}),
    RowName{});

// A sink that fails once a given number of bytes went through, like a full disk.
class FailingSink : public ByteSink {
public:
    explicit FailingSink(std::size_t capacity) : capacity_(capacity) {}
    void write(const char*, std::size_t size) override {
        if (size > capacity_)
            throw FileError("new_aircraft.cfg", "No space left on device");
        capacity_ -= size;
    }

private:
    std::size_t capacity_;
};

TEST(RewritePass, WriteFailurePropagates) {
    PatchOptions options;
    StringSource source(std::string(200000, 'x') + "\n[effects]\n[x]\n");
    FailingSink sink(1000);
    EXPECT_THROW(CfgRewritePass(options, source, sink), FileError);
}

}  // namespace
}  // namespace cirrowisp
