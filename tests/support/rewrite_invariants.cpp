#include "tests/support/rewrite_invariants.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "patcher/byte_text.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/line_io.h"
#include "patcher/text_encoding.h"

namespace cirrowisp {

namespace {

// Lines as the simulator reads them, written here independently of LineReader: the input ends
// at the first Ctrl-Z, a line at LF, one CR before the LF belongs to the line end, and a last
// line without a line end still counts.
std::vector<std::string> splitLines(std::string_view text) {
    const std::size_t ctrlZ = text.find('\x1a');
    if (ctrlZ != std::string_view::npos) {
        text = text.substr(0, ctrlZ);
    }
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        if (lf == std::string_view::npos) {
            lines.emplace_back(text);
            break;
        }
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        text.remove_prefix(lf + 1);
    }
    return lines;
}

// The upper-case copy of a line in which every double-byte character is masked, so an ASCII key
// can only be found where the program may find it: at a character start, never in a trail byte.
std::string maskedUpper(std::string_view line, const CodePage& codePage) {
    std::string upper(line);
    for (std::size_t i = 0; i < upper.size(); ++i) {
        if (codePage.isLeadByte(static_cast<unsigned char>(upper[i])) && i + 1 < upper.size()) {
            upper[i] = upper[i + 1] = '\x01';
            ++i;
        } else if (upper[i] >= 'a' && upper[i] <= 'z') {
            upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
        }
    }
    return upper;
}

bool isHeaderLine(std::string_view line) {
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

bool isKeyLine(std::string_view line, const CodePage& codePage) {
    if (isHeaderLine(line)) {
        return false;  // a header stays a header, whatever its name holds
    }
    const std::string upper = maskedUpper(line, codePage);
    return upper.find("CONTRAIL=") != std::string::npos ||
           upper.find("MAX_CONTRAIL_TEMPERATURE") != std::string::npos;
}

// What the pass must leave alone: every line that is neither empty nor a contrail or
// temperature key line.
std::vector<std::string> keptLines(const std::vector<std::string>& lines,
                                   const CodePage& codePage) {
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        if (!line.empty() && !isKeyLine(line, codePage)) {
            kept.push_back(line);
        }
    }
    return kept;
}

std::int32_t countExact(const std::vector<std::string>& lines, const std::string& wanted) {
    std::int32_t count = 0;
    for (const std::string& line : lines) {
        count += line == wanted ? 1 : 0;
    }
    return count;
}

}  // namespace

std::vector<LineScan> runnableLineScans() {
    std::vector<LineScan> scans;
    for (const LineScan scan : kLineScans) {
        if (lineScanRuns(scan)) {
            scans.push_back(scan);
        }
    }
    return scans;
}

bool sameKeptLines(const std::string& a, const std::string& b) {
    const CodePage& codePage = CodePage::active();
    return keptLines(splitLines(a), codePage) == keptLines(splitLines(b), codePage);
}

std::string checkRewriteInvariants(PatchOptions options, const std::string& input) {
    const std::vector<std::string> inputLines = splitLines(input);
    std::string contrailLine;
    const std::string temperatureLine =
        "max_contrail_temperature=" + std::to_string(options.maxContrailTemperature);
    // An input line identical to the one we insert could be removed while another is inserted,
    // which no line count can tell apart; make the inserted one unique instead.
    while (countExact(inputLines, contrailLine = "contrail=" + options.effectName) != 0) {
        options.effectName += '_';
    }

    std::string output;
    const RewriteResult first = rewriteText(options, input, output, LineScan::portable);
    const CodePage& codePage = CodePage::active();
    const auto sameAsFirst = [&](const std::string& bytes, const RewriteResult& result) {
        return bytes == output && result.contrailsAdded == first.contrailsAdded &&
               result.temperaturesChanged == first.temperaturesChanged;
    };
    for (const LineScan scan : runnableLineScans()) {
        std::string inMemory;
        const RewriteResult memoryResult = rewriteText(options, input, inMemory, scan);
        StringSource stream(input);
        StringSink streamed;
        const RewriteResult streamResult = CfgRewritePass(options, stream, streamed, scan);
        if (!sameAsFirst(inMemory, memoryResult) || !sameAsFirst(streamed.data(), streamResult)) {
            return "line scan " + std::to_string(static_cast<int>(scan)) +
                   " differs from the portable one, in memory or over a stream";
        }
    }

    // Every line ends in CR LF, and there is no other LF.
    if (!output.empty() &&
        (output.size() < 2 || output.compare(output.size() - 2, 2, "\r\n") != 0)) {
        return "output does not end in CR LF";
    }
    for (std::size_t lf = output.find('\n'); lf != std::string::npos;
         lf = output.find('\n', lf + 1)) {
        if (lf == 0 || output[lf - 1] != '\r') {
            return "a line of the output ends in a bare LF";
        }
    }

    const std::vector<std::string> outputLines = splitLines(output);
    for (std::size_t i = 0; i < outputLines.size(); ++i) {
        const bool headerNext = i + 1 < outputLines.size() && isHeaderLine(outputLines[i + 1]);
        if (outputLines[i].empty() != headerNext) {
            return headerNext ? "a section header without an empty line before it"
                              : "an empty line that is not before a section header";
        }
    }
    if (keptLines(inputLines, codePage) != keptLines(outputLines, codePage)) {
        return "a line other than a blank or key line was changed, dropped, added or moved";
    }
    // A file with a UTF-16 mark never meets the byte pass whole: a run reads it as UTF-16
    // (rewriteFile), and so does the comparison, which the byte pass's output would not match.
    if (!isUtf16(textEncodingOf(input)) && firstEditedLineOfText(input, output) != 0) {
        return "restore would take the output for an edited file";
    }

    // An input line that already holds the wanted temperature is never removed, and no input
    // line equals the contrail line, so the surplus of each in the output is what was inserted.
    if (countExact(outputLines, contrailLine) != first.contrailsAdded) {
        return "contrail count differs from the contrail lines inserted";
    }
    if (countExact(outputLines, temperatureLine) - countExact(inputLines, temperatureLine) !=
        first.temperaturesChanged) {
        return "temperature count differs from the temperature lines inserted";
    }

    std::string again;
    const RewriteResult second = rewriteText(options, output, again);
    if (again != output) {
        return "a second pass over the output changed it";
    }
    if (second.contrailsAdded != 0 || second.temperaturesChanged != 0) {
        return "a second pass over the output counted insertions";
    }
    return {};
}

}  // namespace cirrowisp
