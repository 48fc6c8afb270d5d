// Whether a folder's report says its file was rewritten, and what the file then holds. The scan
// compares the new bytes with the old ones it read (in 64 KB chunks) as they come, so files
// larger than a chunk, odd sizes, rewrites that keep the length and rewrites that only drop the
// last line all have to come out right; beyond kSpoolLimit a file is replaced as it is written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patcher/aircraft_scan.h"
#include "patcher/aircraft_update.h"
#include "patcher/cfg_rewrite.h"
#include "platform/host_file_system.h"
#include "tests/support/named_rows.h"
#include "tests/support/samples.h"
#include "tests/support/temp_tree.h"

namespace cirrowisp {
namespace {

// A finished file of about `size` bytes: what a run writes, so a second run leaves it as it is.
std::string settledFile(std::size_t size) {
    std::string text = "\r\n[fltsim.0]\r\n";
    for (std::size_t i = 0; text.size() < size; ++i) {
        text +=
            "description_" + std::to_string(i) + "=odd length " + std::string(i % 7, 'x') + "\r\n";
    }
    text +=
        "\r\n[GeneralEngineData]\r\nengine_type=1\r\nmax_contrail_temperature=-27\r\n"
        "\r\n[effects]\r\nwake=fx_wake\r\ncontrail=fx_Cirrowisp\r\n";
    return text;
}

// Every line followed by an empty one, with LF ends: the rewrite drops the empty lines and
// writes CR LF, so the new file has exactly the old length but other bytes; the last line is
// the same in both, so only the hash can tell them apart.
std::string sameLengthRewrite(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely about "literal" + string.
        text += 'k';
        text += std::to_string(i);
        text += '=';
        text.append(i % 5, 'v');
        text += "\n\n";
    }
    return text + "last_line_the_same_in_both=1\r\n";
}

// The same lines with LF ends: the rewrite gives them back their CRs.
std::string withLfEnds(std::string text) {
    std::erase(text, '\r');
    return text;
}

struct ReportCase {
    const char* name;
    std::string bytes;
};

class ScanReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ScanReport, SaysWhetherTheFileChanged) {
    testing::TempTree tree;
    tree.write("sim/MyTraffic/Aircraft/Plane/aircraft.cfg", GetParam().bytes);
    PatchOptions options;
    options.simulatorPath = tree.path("sim");
    std::vector<FolderReport> treated;
    const auto fileSystem = makeHostFileSystem();
    AircraftScan(options, *fileSystem, [&](const FolderReport& report) {
        if (report.treated) {
            treated.push_back(report);
        }
    });
    ASSERT_EQ(treated.size(), 1u);
    const std::string expected = patched(GetParam().bytes, options);
    EXPECT_EQ(tree.read("sim/MyTraffic/Aircraft/Plane/aircraft.cfg"), expected);
    EXPECT_EQ(treated[0].rewritten,
              expected != GetParam().bytes || GetParam().bytes.size() > kSpoolLimit);
}

// A piston aircraft, which a run leaves without contrails, whose contrail line is its last: the
// rewrite is the file without that line, the same bytes as far as it goes.
const std::string kContrailLastLine =
    "\r\n[GeneralEngineData]\r\nengine_type=0\r\n\r\n[effects]\r\nwake=fx_wake\r\n"
    "contrail=fx_old\r\n";

std::string withExtraBlankLine(std::string text) {
    const std::size_t lineEnd = text.find("\r\n", text.size() / 2);
    return text.insert(lineEnd + 2, "\r\n");
}

// Sizes around the spool limit follow it, so the rows keep reaching the streaming path if it
// moves.
INSTANTIATE_TEST_SUITE_P(
    Table, ScanReport,
    ::testing::Values(
        ReportCase{"SmallSettledFile", settledFile(100)},
        ReportCase{"SettledFileOverSeveralChunks", settledFile(200'003)},
        ReportCase{"OneBlankLineMoreInALargeFile", withExtraBlankLine(settledFile(150'001))},
        ReportCase{"SameLengthOtherBytes", sameLengthRewrite(140'000)},
        ReportCase{"RewriteIsTheFileWithoutItsLastLine", kContrailLastLine},
        // Beyond what the scan holds in memory: the new file is written as the rewrite goes.
        ReportCase{"SettledFileOverTheMemoryLimit", settledFile(kSpoolLimit + kSpoolLimit / 4)},
        ReportCase{"ChangedFileOverTheMemoryLimit",
                   withExtraBlankLine(settledFile(kSpoolLimit + 7))},
        // Held in memory (its CRs, a thirtieth of it, are missing), and its rewrite grows past
        // what the scan holds.
        ReportCase{"GrowsPastTheMemoryLimit", withLfEnds(settledFile(kSpoolLimit + 1))},
        ReportCase{"LastByteMissing",
                   settledFile(70'000).substr(0, settledFile(70'000).size() - 1)},
        // Past the limit, UTF-16 is still converted whole, and a UTF-8 mark still kept off the
        // first line, a header here.
        ReportCase{"ChangedUtf16OverTheMemoryLimit",
                   inEncoding(withExtraBlankLine(settledFile(kSpoolLimit / 2 + 7)),
                              TextEncoding::utf16Big)},
        ReportCase{"Utf8MarkOverTheMemoryLimit",
                   inEncoding(settledFile(kSpoolLimit + 7).substr(2), TextEncoding::utf8Marked)}),
    RowName{});

}  // namespace
}  // namespace cirrowisp
