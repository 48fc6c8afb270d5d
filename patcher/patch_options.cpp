#include "patcher/patch_options.h"

#include "patcher/engine_types.h"

namespace cirrowisp {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

TemperatureReading readTemperature(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t digitsStart = pos;
    // Stops growing once past the range, so that twenty digits cannot overflow it.
    std::int64_t magnitude = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (magnitude <= std::int64_t{1} << 32)
            magnitude = magnitude * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == digitsStart)
        return {};
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    if (pos != text.size())
        return {};
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < kMinContrailTemperature || value > kMaxContrailTemperature)
        return {TemperatureReading::Kind::outOfRange, 0};
    return {TemperatureReading::Kind::accepted, static_cast<std::int32_t>(value)};
}

bool PatchOptions::isEngineSelected(EngineType code) const {
    const std::size_t index = engineTypeIndex(code);
    return index == kEngineTypeCount || this->*kEngineTypes[index].field != 0;
}

}  // namespace cirrowisp
