#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "patcher/cfg_rewrite.h"
#include "patcher/engine_types.h"
#include "patcher/line_io.h"
#include "patcher/patch_options.h"
#include "patcher/text_encoding.h"
#include "patcher/utf16_text.h"

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

// What a run with `options` makes of `original`, in its own encoding; a file a run leaves alone
// stays as it is.
inline std::string patched(const std::string& original, const PatchOptions& options = {}) {
    StringSink output;
    const FileRewrite rewrite = rewriteFile(options, original, output);
    return rewrite.unreadable.empty() ? output.data() : original;
}

// `text` (UTF-8) as the bytes of a file in `encoding`: the mark, then the text. UTF-16 goes
// through the conversion of Windows paths (tested on its own); the byte order is written out
// here, apart from the product's.
inline std::string inEncoding(const std::string& text, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::plain:
            return text;
        case TextEncoding::utf8Marked:
            return "\xEF\xBB\xBF" + text;
        case TextEncoding::utf16Little:
        case TextEncoding::utf16Big:
            break;
    }
    const bool little = encoding == TextEncoding::utf16Little;
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : utf16FromUtf8(text)) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

}  // namespace cirrowisp
