#pragma once

#include <string>

#include "patcher/cfg_rewrite.h"
#include "patcher/patch_options.h"

namespace cirrowisp {

// The smallest jet a run treats: both sections, CR LF line ends, a section after [effects].
inline const std::string kJet =
    "[GeneralEngineData]\r\nengine_type=1\r\n\r\n[effects]\r\nwake=fx_wake\r\n\r\n[end]\r\n";

// A whole aircraft.cfg as a pilot installs one: its title, the engine section, effects with a
// wake and a section after them, every line ended by `lineEnd`.
inline std::string sampleAircraft(const std::string& title, int engineType,
                                  const std::string& lineEnd = "\n") {
    const std::string lines =
        "[fltsim.0]\ntitle=" + title +
        "\n\n[GeneralEngineData]\nengine_type=" + std::to_string(engineType) +
        "\n\n[effects]\nwake=fx_wake\n\n[flight_tuning]\ncruise_lift_scalar=1.0\n";
    std::string text;
    for (char c : lines) {
        if (c == '\n') {
            text += lineEnd;
        } else {
            text += c;
        }
    }
    return text;
}

// What a run with `options` makes of `original`.
inline std::string patched(const std::string& original, const PatchOptions& options = {}) {
    std::string output;
    rewriteText(options, original, output);
    return output;
}

}  // namespace cirrowisp
