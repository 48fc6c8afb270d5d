#pragma once

#include <array>
#include <string>

#include "tests/support/draw.h"

namespace cirrowisp {

// Generated aircraft.cfg contents, one builder for the property tests and the fuzzers.

// One line of the pieces real files are made of: section headers in several spellings, key
// lines with odd values, commented keys, blank lines, stray CRs, NUL and high bytes.
std::string randomCfgLine(Draw& draw);

// Up to 40 such lines with mixed line ends, now and then without a last line end or with a
// Ctrl-Z somewhere.
std::string randomCfgFile(Draw& draw);

// Whole files a run meets in a tree: a plain jet, an LF turboprop with another temperature, a
// piston with a contrail, a file a run finished, a binary one with a tail after Ctrl-Z, an
// empty one.
const std::array<std::string, 6>& sampleAircraftFiles();

// One of sampleAircraftFiles(), or now and then one longer than a read, or than the scan holds
// in memory, so its files are created mid-rewrite.
std::string randomAircraftFile(Draw& draw);

}  // namespace cirrowisp
