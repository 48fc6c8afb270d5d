#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cirrowisp {

// Engine code an aircraft file declares with its engine_type key.
using EngineType = std::int32_t;

inline constexpr EngineType kEnginePiston = 0;
inline constexpr EngineType kEngineJet = 1;
inline constexpr EngineType kEngineNone = 2;
inline constexpr EngineType kEngineHeloTurbine = 3;
inline constexpr EngineType kEngineRocket = 4;
inline constexpr EngineType kEngineTurboprop = 5;
// The starting value of every file: no engine_type line seen yet.
inline constexpr EngineType kEngineUnknown = 6;

inline constexpr std::int32_t kMinContrailTemperature = -50;
inline constexpr std::int32_t kMaxContrailTemperature = 0;

// A temperature as the user typed it, in a dialog or on the command line, and what it reads as.
struct TemperatureReading {
    enum class Kind { accepted, notAnInteger, outOfRange };
    Kind kind = Kind::notAnInteger;
    std::int32_t value = 0;  // when accepted
};

// One rule for every front end, that of the Windows dialog framework's int fields: blanks
// around it, an optional sign, ASCII digits. A number of any length that is out of range is
// out of range, never "not an integer", so the user is told the range.
TemperatureReading readTemperature(std::string_view text);

// The user's choices for one run: what to write, which engine types to treat and where the
// simulator lives. Strings are byte strings in the system's ANSI code page, never converted.
struct PatchOptions {
    std::int32_t maxContrailTemperature = -27;
    // One flag per engine type; engine_types.h ties each to its code, name and check box.
    std::int32_t engineHeloTurbine = 0;
    std::int32_t engineNone = 0;
    std::int32_t engineJet = 1;
    std::int32_t enginePiston = 0;
    std::int32_t engineRocket = 0;
    std::int32_t engineTurboprop = 1;
    std::int32_t includeFlyable = 0;
    // Whether a Start also reads the simulator's configuration into simObjectPaths.
    std::int32_t includeSimObjectPaths = 0;
    std::string effectName = "fx_Cirrowisp";
    std::string simulatorPath;
    // Further folders whose direct subfolders are aircraft folders, as the simulator's own
    // configuration lists them (relative to simulatorPath, or absolute host paths).
    std::vector<std::string> simObjectPaths;

    // A code outside 0..5 (none seen yet, or one we do not know) counts as selected: such an
    // aircraft is treated rather than silently left out.
    bool isEngineSelected(EngineType code) const;
};

}  // namespace cirrowisp
