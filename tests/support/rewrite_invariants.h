#pragma once

#include <string>
#include <vector>

#include "patcher/cfg_rewrite.h"
#include "patcher/patch_options.h"

namespace cirrowisp {

// What every rewrite must keep, whatever the input: checked by the fuzzer and the property
// tests alike. Runs the pass twice over `input` with the code page that is active and returns
// a description of the first broken promise, or an empty string:
//  - every line scan the processor runs writes the same bytes and counts, in memory and over a
//    stream;
//  - every output line ends in CR LF;
//  - an empty line stands before every section header and nowhere else;
//  - lines other than empty lines and contrail/temperature key lines come through unchanged
//    and in order (a section header is never a key line);
//  - the counts are the contrail and temperature lines actually inserted;
//  - a second pass over the output writes the same bytes and counts nothing.
// If an input line equals the contrail line the pass would insert, `_` is appended to the
// effect name first: a removed copy and an inserted one could not be told apart otherwise.
//  - restore's comparison (firstEditedLine) finds nothing edited between input and output.
std::string checkRewriteInvariants(PatchOptions options, const std::string& input);

// The line scans this processor runs, the portable one first.
std::vector<LineScan> runnableLineScans();

// Whether two files hold the same lines once line ends, empty lines and contrail/temperature key
// lines are left out, worked out here independently of the program: what restore's comparison
// must agree with.
bool sameKeptLines(const std::string& a, const std::string& b);

}  // namespace cirrowisp
