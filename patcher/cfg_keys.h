#pragma once

#include <string_view>

#include "patcher/byte_text.h"

namespace cirrowisp {

// The keys and section names the pass looks for, and how a line is matched against them. The
// rules, the AVX2 line copy (which lets sections it leaves alone through by itself) and the
// restore's comparison must all read a line the same way, or a restore would call a pass's own
// edit the pilot's.

inline constexpr std::string_view kContrailKey = "CONTRAIL=";
inline constexpr std::string_view kEngineTypeKey = "ENGINE_TYPE";
inline constexpr std::string_view kTemperatureKey = "MAX_CONTRAIL_TEMPERATURE";
inline constexpr std::string_view kEffectsHeader = "[EFFECTS]";
inline constexpr std::string_view kEngineDataHeader = "[GENERALENGINEDATA]";

// Whether `line` holds the ASCII needle in any letter case, by the code page's characters.
inline bool containsUpper(std::string_view line, std::string_view upperNeedle) {
    return findUpper(line, upperNeedle) != std::string_view::npos;
}

// Whether `line` starts with the ASCII needle in any letter case. The first byte of a line
// starts a character in every code page, and so does each byte of an ASCII match after it.
bool startsWithUpper(std::string_view line, std::string_view upperNeedle);

// Taken as the line stands: blanks before "[" or anything after "]" make it an ordinary line.
inline bool isHeader(std::string_view line) {
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

// A header only opens a section, even one whose name holds a key such as "[engine_type]":
// read as a key line it could be removed (merging two sections) or change the engine type as
// it closes the section, and a second run over the result would then disagree with the first.
inline bool isKeyLine(std::string_view line, std::string_view upperKey) {
    return !isHeader(line) && containsUpper(line, upperKey);
}

// The number after the first "=", or the whole line read as a number when there is none.
double keyValue(std::string_view line);

}  // namespace cirrowisp
