#pragma once

#include <cstdint>

#include "patcher/patch_options.h"

namespace cirrowisp {

// Temperatures as a user types them into a dialog or after --temperature, and what each reads
// as: every front end runs these rows, so the rule is the same everywhere.
struct TemperatureRow {
    const char* text;
    TemperatureReading::Kind kind;
    std::int32_t value;  // when accepted
};

inline constexpr auto kAccepted = TemperatureReading::Kind::accepted;
inline constexpr auto kNotAnInteger = TemperatureReading::Kind::notAnInteger;
inline constexpr auto kOutOfRange = TemperatureReading::Kind::outOfRange;

inline constexpr TemperatureRow kTemperatureRows[] = {
    {"-27", kAccepted, -27},
    {"0", kAccepted, 0},
    {"-50", kAccepted, -50},
    {"  -40", kAccepted, -40},
    {"-40\t ", kAccepted, -40},
    {"+0", kAccepted, 0},
    {"-0", kAccepted, 0},
    {"-050", kAccepted, -50},
    {"\t-1 ", kAccepted, -1},
    {"-00000000000000000049", kAccepted, -49},
    {"", kNotAnInteger, 0},
    {"  ", kNotAnInteger, 0},
    {"-", kNotAnInteger, 0},
    {"+", kNotAnInteger, 0},
    {"abc", kNotAnInteger, 0},
    {"-2 7", kNotAnInteger, 0},
    {"-27x", kNotAnInteger, 0},
    {"-5C", kNotAnInteger, 0},
    {"1.5", kNotAnInteger, 0},
    {"--5", kNotAnInteger, 0},
    {"0x10", kNotAnInteger, 0},
    {"-27\n", kNotAnInteger, 0},
    {"5", kOutOfRange, 0},
    {"-51", kOutOfRange, 0},
    {"1", kOutOfRange, 0},
    {"4294967246", kOutOfRange, 0},  // -50 once wrapped to 32 bits
    {"99999999999", kOutOfRange, 0},
    {"-99999999999", kOutOfRange, 0},
};

}  // namespace cirrowisp
