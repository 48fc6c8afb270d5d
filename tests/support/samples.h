#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "patcher/cfg_rewrite.h"
#include "patcher/engine_types.h"
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

// Every choice of engine types is a number below this: bit i selects kEngineTypes[i].
inline constexpr std::uint32_t kEngineChoices = std::uint32_t{1} << kEngineTypeCount;

// Selects exactly the engine types of `choice`, so a type added to the table is chosen too.
inline void selectEngines(PatchOptions& options, std::uint32_t choice) {
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        options.*kEngineTypes[i].field = static_cast<std::int32_t>((choice >> i) & 1u);
    }
}

// What a run with `options` makes of `original`.
inline std::string patched(const std::string& original, const PatchOptions& options = {}) {
    std::string output;
    rewriteText(options, original, output);
    return output;
}

}  // namespace cirrowisp
