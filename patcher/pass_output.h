#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "patcher/byte_stream.h"
#include "patcher/line_io.h"

namespace cirrowisp {

// The output of one pass. While a dropped temperature line waits for its section's outcome,
// everything written after it is held here too, so the line can go back to its own place if
// the aircraft turns out to be of a type we leave alone. Defined here, whole, so that the line
// copies in their own files still inline every write.
class PassOutput {
public:
    explicit PassOutput(ByteSink& sink) : writer_(sink) {}
    PassOutput(ByteSink& sink, LineWriter::HandRunsOn handRunsOn) : writer_(sink, handRunsOn) {}

    void write(std::string_view line) {
        if (holding()) {
            held_.push_back({std::string(line), false});
        } else {
            writer_.writeLine(line.data(), line.size());
        }
    }

    // Whole lines that already end in CR LF, passed on as they stand; never while holding.
    void copyLines(const char* data, std::size_t size) { writer_.writeLines(data, size); }

    void holdDroppedLine(std::string_view line) { held_.push_back({std::string(line), true}); }

    bool holding() const { return !held_.empty(); }

    // Ends the wait. The dropped lines are written back when `keepDropped`, left out otherwise.
    void release(bool keepDropped) {
        for (const HeldLine& line : held_) {
            if (keepDropped || !line.dropped) {
                writer_.writeLine(line.text);
            }
        }
        held_.clear();
    }

    void finish() {
        release(false);
        writer_.flush();
    }

private:
    struct HeldLine {
        std::string text;
        bool dropped;
    };

    LineWriter writer_;
    std::vector<HeldLine> held_;
};

}  // namespace cirrowisp
