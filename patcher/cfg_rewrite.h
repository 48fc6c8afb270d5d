#pragma once

#include <cstdint>
#include <string>

#include "patcher/byte_stream.h"
#include "patcher/patch_options.h"

namespace cirrowisp {

// How many lines one pass inserted: one per [EFFECTS] / [GENERALENGINEDATA] section at most.
struct RewriteResult {
    std::int32_t contrailsAdded = 0;
    std::int32_t temperaturesChanged = 0;
};

// Copies one aircraft.cfg from `input` to `output` line by line, adding, replacing or removing
// the contrail and temperature lines as `options` ask, and normalising blank lines. Read and
// write failures propagate as FileError. It neither closes nor renames anything; the output is
// complete once it returns.
RewriteResult CfgRewritePass(const PatchOptions& options, ByteSource& input, ByteSink& output);

// Convenience for tests and tools: the pass over a string.
RewriteResult rewriteText(const PatchOptions& options, const std::string& input, std::string& output);

}  // namespace cirrowisp
