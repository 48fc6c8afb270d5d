#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "patcher/byte_stream.h"
#include "patcher/patch_options.h"

namespace cirrowisp {

// How many lines one pass inserted: one per [EFFECTS] / [GENERALENGINEDATA] section at most.
struct RewriteResult {
    std::int32_t contrailsAdded = 0;
    std::int32_t temperaturesChanged = 0;
};

// The ways a pass can find the runs of lines it copies as they stand. All give the same bytes;
// they differ in speed and in the processors that run them.
enum class LineScan { portable, avx2 };
inline constexpr std::array<LineScan, 2> kLineScans = {LineScan::portable, LineScan::avx2};

// Whether this processor runs `scan`: the portable one everywhere, AVX2 where the processor
// has it (and the build targets x86-64).
bool lineScanRuns(LineScan scan);
// The fastest scan this processor runs, what a pass takes unless told otherwise.
LineScan bestLineScan();

// Copies one aircraft.cfg from `input` to `output` line by line, adding, replacing or removing
// the contrail and temperature lines as `options` ask, and normalising blank lines. Read and
// write failures propagate as FileError. It neither closes nor renames anything; the output is
// complete once it returns.
// `scan` must be one the processor runs.
RewriteResult CfgRewritePass(const PatchOptions& options, ByteSource& input, ByteSink& output,
                             LineScan scan = bestLineScan());
// The same over a whole file held in memory, with the same bytes out. Runs of lines that pass
// unchanged reach `output` as pieces of `input` itself, in as many writes as there are runs.
RewriteResult CfgRewritePass(const PatchOptions& options, std::string_view input, ByteSink& output,
                             LineScan scan = bestLineScan());

// What the pass over a whole file did. `unreadable` says why the file was not rewritten (its
// bytes do not read back exactly in its encoding), and is empty when it was.
struct FileRewrite {
    RewriteResult result;
    std::string unreadable;
};

// The pass over a whole aircraft.cfg held in memory, in the file's own encoding (see
// textEncodingOf): plain bytes go to the pass as above; a UTF-8 mark is written back first and
// is not part of the first line; UTF-16 reaches the pass as UTF-8 and is written back as UTF-16
// with its own mark, or, when it does not convert exactly, not at all.
FileRewrite rewriteFile(const PatchOptions& options, std::string_view bytes, ByteSink& output,
                        LineScan scan = bestLineScan());

// Convenience for tests and tools: the pass over a string.
RewriteResult rewriteText(const PatchOptions& options, const std::string& input,
                          std::string& output, LineScan scan = bestLineScan());

// Whether `current` differs from `original` in more than a pass can change. Lines are read as
// the pass reads them, each file in its own encoding (see FileTextSource), and what a pass adds,
// removes or rewrites is left out of the comparison: line ends, empty lines, contrail and
// temperature key lines (matched as the pass matches them), and anything after a Ctrl-Z. Returns 0
// when nothing else differs; otherwise the number of the line of `current` (from 1, every line
// counted) where the first other difference shows, or one past its last line when `original` holds
// more. Memory is bounded by the longest line.
std::size_t firstEditedLine(ByteSource& original, ByteSource& current);

// The same over two strings.
std::size_t firstEditedLineOfText(const std::string& original, const std::string& current);

}  // namespace cirrowisp
