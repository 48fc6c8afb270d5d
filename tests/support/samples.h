#pragma once

#include <string>

#include "patcher/cfg_rewrite.h"
#include "patcher/patch_options.h"

namespace cirrowisp {

// The smallest jet a run treats: both sections, CR LF line ends, a section after [effects].
inline const std::string kJet =
    "[GeneralEngineData]\r\nengine_type=1\r\n\r\n[effects]\r\nwake=fx_wake\r\n\r\n[end]\r\n";

// What a run with `options` makes of `original`.
inline std::string patched(const std::string& original, const PatchOptions& options = {}) {
    std::string output;
    rewriteText(options, original, output);
    return output;
}

}  // namespace cirrowisp
