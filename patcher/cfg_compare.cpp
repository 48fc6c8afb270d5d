#include <cstddef>
#include <string>
#include <string_view>

#include "patcher/cfg_keys.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/line_io.h"
#include "patcher/text_encoding.h"

namespace cirrowisp {

namespace {

// A line that some pass may add, drop or rewrite, whatever its options.
bool isPassLine(std::string_view line) {
    return line.empty() || isKeyLine(line, kContrailKey) || isKeyLine(line, kTemperatureKey);
}

// The next line that no pass touches; `number` counts every line read.
bool nextKeptLine(LineReader& reader, std::string_view& line, std::size_t& number) {
    while (reader.next(line)) {
        ++number;
        if (!isPassLine(line)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::size_t firstEditedLine(ByteSource& original, ByteSource& current) {
    // Read as bytes, no line of a UTF-16 file is a contrail line, and a UTF-8 mark makes a line
    // of its own of the empty line a run writes before a first header: restore would take a
    // run's own lines for the pilot's edits.
    FileTextSource originalText(original);
    FileTextSource currentText(current, originalText);
    LineReader originalLines(originalText);
    LineReader currentLines(currentText);
    std::size_t originalNumber = 0;
    std::size_t currentNumber = 0;
    std::string_view originalLine;
    std::string_view currentLine;
    for (;;) {
        // Each view stays valid until its own reader moves on.
        const bool originalMore = nextKeptLine(originalLines, originalLine, originalNumber);
        const bool currentMore = nextKeptLine(currentLines, currentLine, currentNumber);
        if (!originalMore && !currentMore) {
            return 0;
        }
        if (!currentMore) {
            return currentNumber + 1;
        }
        if (!originalMore || originalLine != currentLine) {
            return currentNumber;
        }
    }
}

std::size_t firstEditedLineOfText(const std::string& original, const std::string& current) {
    StringSource originalSource(original);
    StringSource currentSource(current);
    return firstEditedLine(originalSource, currentSource);
}

}  // namespace cirrowisp
