#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "patcher/patch_options.h"

namespace cirrowisp {

// One engine type as every front end knows it: the code aircraft files declare, the name
// --engines takes, the dialogs' check box (its caption and Windows control id), and the
// record's flag it sets.
struct EngineTypeRow {
    EngineType code;
    std::string_view cliName;
    std::string_view caption;
    int controlId;
    std::int32_t PatchOptions::*field;
};

// In code order, which is also the order of the check boxes on screen and in the tab chain, of
// their control ids and of the names in the command line's help and messages.
inline constexpr std::array<EngineTypeRow, 6> kEngineTypes = {{
    {kEnginePiston, "piston", "Piston", 1001, &PatchOptions::enginePiston},
    {kEngineJet, "jet", "Jet", 1002, &PatchOptions::engineJet},
    {kEngineNone, "none", "None", 1003, &PatchOptions::engineNone},
    {kEngineHeloTurbine, "helo-turbine", "Helo-Turbine", 1004, &PatchOptions::engineHeloTurbine},
    {kEngineRocket, "rocket", "Rocket", 1005, &PatchOptions::engineRocket},
    {kEngineTurboprop, "turboprop", "Turboprop", 1006, &PatchOptions::engineTurboprop},
}};

inline constexpr std::size_t kEngineTypeCount = kEngineTypes.size();

// The row of `code`, or kEngineTypeCount for a code no row has.
constexpr std::size_t engineTypeIndex(EngineType code) {
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        if (kEngineTypes[i].code == code)
            return i;
    }
    return kEngineTypeCount;
}

namespace engine_types_detail {
constexpr bool rowsAreConsistent() {
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (kEngineTypes[i].code == kEngineTypes[j].code ||
                kEngineTypes[i].cliName == kEngineTypes[j].cliName ||
                kEngineTypes[i].controlId == kEngineTypes[j].controlId ||
                kEngineTypes[i].field == kEngineTypes[j].field)
                return false;
        }
        if (kEngineTypes[i].code == kEngineUnknown)
            return false;
    }
    return true;
}
}  // namespace engine_types_detail

// Every code, name, control and flag belongs to one row, so each lookup is well defined.
static_assert(engine_types_detail::rowsAreConsistent());

}  // namespace cirrowisp
