#include "patcher/cfg_rewrite.h"

#include <charconv>
#include <string>
#include <string_view>

#include "patcher/byte_text.h"
#include "patcher/cfg_keys.h"
#include "patcher/engine_types.h"
#include "patcher/line_io.h"
#include "patcher/line_scan.h"
#include "patcher/pass_output.h"
#include "patcher/text_encoding.h"

namespace cirrowisp {

namespace {

// The pass itself, over either kind of reader.
RewriteResult rewriteLines(const PatchOptions& options, LineReader& reader, PassOutput& out,
                           OrdinaryLineCopy copyOrdinaryLines) {
    RewriteResult result;
    EngineType engineType = kEngineUnknown;
    bool inEffects = false;
    bool inEngineData = false;
    // Set once a contrail line of an unselected aircraft has been removed from the current
    // section: any further contrail line there goes too, or a second run would find and remove
    // it, and the aircraft would keep a contrail its type was deselected for.
    bool removingContrails = false;
    // Set when the current [GENERALENGINEDATA] section kept a temperature line that differs
    // from the wanted one because it also declares the engine type: the wanted line is owed at
    // the end of the section, whether a header or the end of the file closes it.
    bool temperatureOwed = false;

    std::string contrailLine = "contrail=" + options.effectName;
    std::string temperatureLine = "max_contrail_temperature=";
    {
        char digits[16];
        const auto end =
            std::to_chars(digits, digits + sizeof digits, options.maxContrailTemperature).ptr;
        temperatureLine.append(digits, end);
    }
    const auto wantedTemperature = static_cast<double>(options.maxContrailTemperature);

    std::string_view line;
    for (;;) {
        if (!inEffects && !inEngineData && !removingContrails && !out.holding()) {
            copyOrdinaryLines(reader, out);
        }
        if (!reader.next(line)) {
            break;
        }
        if (removingContrails && isKeyLine(line, kContrailKey)) {
            line = {};
        }
        if (inEffects) {
            if (isKeyLine(line, kContrailKey)) {
                if (engineTypeIndex(engineType) != kEngineTypeCount &&
                    !options.isEngineSelected(engineType)) {
                    line = {};
                    removingContrails = true;
                }
                // A section with a contrail line never receives a second one.
                inEffects = false;
            }
            if (isHeader(line) && options.isEngineSelected(engineType)) {
                out.write(contrailLine);
                ++result.contrailsAdded;
            }
        }

        if (inEngineData) {
            bool unselectedHere = false;
            if (isKeyLine(line, kEngineTypeKey)) {
                engineType = engineCodeFromValue(keyValue(line));
                if (!options.isEngineSelected(engineType)) {
                    // From here on this aircraft's temperature is left alone.
                    inEngineData = false;
                    unselectedHere = true;
                }
            }
            if (isKeyLine(line, kTemperatureKey)) {
                if (keyValue(line) == wantedTemperature) {
                    inEngineData = false;
                } else if (isKeyLine(line, kEngineTypeKey)) {
                    // The line also declares the engine type: dropping it would lose the type,
                    // and a second run would then judge the aircraft differently. It stays, and
                    // the wanted temperature still follows at the end of the section.
                    temperatureOwed = true;
                } else {
                    out.holdDroppedLine(line);
                    line = {};
                }
            }
            if (out.holding() && !inEngineData) {
                // Settled within the section: an unselected type keeps its old lines, a line
                // that already holds the wanted temperature makes them redundant.
                out.release(unselectedHere);
            }
            if (isHeader(line)) {
                out.release(false);
                out.write(temperatureLine);
                ++result.temperaturesChanged;
            }
        }

        if (isHeader(line)) {
            removingContrails = false;
            temperatureOwed = false;
            // A header that names both sections opens neither: inside one, the engine type
            // could change between removing a contrail line and the end of the section, where
            // a second run would then add one back.
            const bool effects = containsUpper(line, kEffectsHeader);
            const bool engineData = containsUpper(line, kEngineDataHeader);
            inEffects = effects && !engineData;
            inEngineData = engineData && !effects;
            out.write({});
        }

        if (!line.empty()) {
            out.write(line);
        }
    }

    if (inEngineData && (out.holding() || temperatureOwed)) {
        // The section ran to the end of the file after its old temperature line was dropped or
        // passed over: the aircraft must not be left without the wanted one.
        out.release(false);
        out.write(temperatureLine);
        ++result.temperaturesChanged;
    }
    out.finish();
    return result;
}

}  // namespace

RewriteResult CfgRewritePass(const PatchOptions& options, ByteSource& input, ByteSink& output,
                             LineScan scan) {
    LineReader reader(input);
    PassOutput out(output);
    return rewriteLines(options, reader, out, ordinaryLineCopy(scan));
}

RewriteResult CfgRewritePass(const PatchOptions& options, std::string_view input, ByteSink& output,
                             LineScan scan) {
    LineReader reader(input);
    PassOutput out(output, LineWriter::HandRunsOn{});
    return rewriteLines(options, reader, out, ordinaryLineCopy(scan));
}

FileRewrite rewriteFile(const PatchOptions& options, std::string_view bytes, ByteSink& output,
                        LineScan scan) {
    FileRewrite rewrite;
    const TextEncoding encoding = textEncodingOf(bytes);
    if (encoding == TextEncoding::plain) {
        rewrite.result = CfgRewritePass(options, bytes, output, scan);
    } else if (!isUtf16(encoding)) {
        // Left on the first line, the mark would hide a header there from the pass.
        const std::string_view mark = byteOrderMark(encoding);
        output.write(mark.data(), mark.size());
        rewrite.result = CfgRewritePass(options, bytes.substr(mark.size()), output, scan);
    } else if (const std::optional<std::string> text = utf16FileText(bytes, &rewrite.unreadable)) {
        // Read as bytes, UTF-16 would get single-byte line ends, each shifting every character
        // after it by a byte. Lines the pass writes are ASCII, and the rest of the text goes
        // back as it came.
        StringSink converted;
        rewrite.result = CfgRewritePass(options, std::string_view(*text), converted, scan);
        const std::string out = utf16FileBytes(converted.data(), encoding);
        output.write(out.data(), out.size());
    }
    return rewrite;
}

RewriteResult rewriteText(const PatchOptions& options, const std::string& input,
                          std::string& output, LineScan scan) {
    StringSink sink;
    const RewriteResult result = CfgRewritePass(options, std::string_view(input), sink, scan);
    output = sink.data();
    return result;
}

}  // namespace cirrowisp
