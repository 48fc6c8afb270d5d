#pragma once

#include "patcher/cfg_rewrite.h"
#include "patcher/line_io.h"
#include "patcher/pass_output.h"

namespace cirrowisp {

// Outside [EFFECTS] and [GENERALENGINEDATA] only a header changes anything besides the line
// ends and the empty lines, and most of a file is such lines (liveries, descriptions, flight
// model). A line copy takes them straight from the reader's buffer up to the first line that
// may be a header, and leaves the reader there. Every copy must write the very bytes the pass
// would write line by line: tests/cfg_rewrite_test.cpp runs each one over the same inputs.
using OrdinaryLineCopy = void (*)(LineReader& reader, PassOutput& out);

// 64 bytes a step as bit masks: SSE2 where the compiler offers it, a byte at a time elsewhere.
void copyOrdinaryLinesPortable(LineReader& reader, PassOutput& out);

// The copy for `scan`; `scan` must be one the processor runs (lineScanRuns).
OrdinaryLineCopy ordinaryLineCopy(LineScan scan);

}  // namespace cirrowisp
