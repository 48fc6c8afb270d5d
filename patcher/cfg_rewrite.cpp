#include "patcher/cfg_rewrite.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "patcher/byte_text.h"
#include "patcher/engine_types.h"
#include "patcher/line_io.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
// 32 bytes a step where the processor has AVX2, chosen at run time: the build targets every
// x86-64 processor, and only the functions marked for AVX2 use it.
#define CIRROWISP_AVX2_SCAN 1
#include <immintrin.h>
#endif

namespace cirrowisp {

namespace {

constexpr std::string_view kContrailKey = "CONTRAIL=";
constexpr std::string_view kEngineTypeKey = "ENGINE_TYPE";
constexpr std::string_view kTemperatureKey = "MAX_CONTRAIL_TEMPERATURE";
constexpr std::string_view kEffectsHeader = "[EFFECTS]";
constexpr std::string_view kEngineDataHeader = "[GENERALENGINEDATA]";

bool contains(std::string_view line, std::string_view upperNeedle) {
    return findUpper(line, upperNeedle) != std::string_view::npos;
}

// Whether `line` starts with the ASCII needle in any letter case. The first byte of a line
// starts a character in every code page, and so does each byte of an ASCII match after it.
bool startsWithUpper(std::string_view line, std::string_view upperNeedle) {
    if (line.size() < upperNeedle.size()) {
        return false;
    }
    for (std::size_t i = 0; i < upperNeedle.size(); ++i) {
        const char c = line[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c) != upperNeedle[i]) {
            return false;
        }
    }
    return true;
}

// Taken as the line stands: blanks before "[" or anything after "]" make it an ordinary line.
bool isHeader(std::string_view line) {
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

// A header only opens a section, even one whose name holds a key such as "[engine_type]":
// read as a key line it could be removed (merging two sections) or change the engine type as
// it closes the section, and a second run over the result would then disagree with the first.
bool isKeyLine(std::string_view line, std::string_view upperKey) {
    return !isHeader(line) && contains(line, upperKey);
}

// The number after the first "=", or the whole line read as a number when there is none.
double keyValue(std::string_view line) {
    const std::size_t equals = findEquals(line);
    return parseDecimal(equals == std::string_view::npos ? line : line.substr(equals + 1));
}

// The output of one pass. While a dropped temperature line waits for its section's outcome,
// everything written after it is held here too, so the line can go back to its own place if
// the aircraft turns out to be of a type we leave alone.
class PassOutput {
public:
    explicit PassOutput(ByteSink& sink) : writer_(sink) {}
    PassOutput(ByteSink& sink, LineWriter::HandRunsOn handRunsOn) : writer_(sink, handRunsOn) {}

    void write(std::string_view line) {
        if (holding()) {
            held_.push_back({std::string(line), false});
        } else {
            writer_.writeLine(line.data(), line.size());
        }
    }

    // Whole lines that already end in CR LF, passed on as they stand; never while holding.
    void copyLines(const char* data, std::size_t size) { writer_.writeLines(data, size); }

    void holdDroppedLine(std::string_view line) { held_.push_back({std::string(line), true}); }

    bool holding() const { return !held_.empty(); }

    // Ends the wait. The dropped lines are written back when `keepDropped`, left out otherwise.
    void release(bool keepDropped) {
        for (const HeldLine& line : held_) {
            if (keepDropped || !line.dropped) {
                writer_.writeLine(line.text);
            }
        }
        held_.clear();
    }

    void finish() {
        release(false);
        writer_.flush();
    }

private:
    struct HeldLine {
        std::string text;
        bool dropped;
    };

    LineWriter writer_;
    std::vector<HeldLine> held_;
};

// The bytes of a 64-byte block that the copy of ordinary lines looks at, one bit per byte.
struct BlockMasks {
    std::uint64_t lf = 0;
    std::uint64_t cr = 0;
    std::uint64_t bracket = 0;
};

#if defined(__GNUC__)
#define CIRROWISP_ALWAYS_INLINE [[gnu::always_inline]] inline
#else
#define CIRROWISP_ALWAYS_INLINE inline
#endif

// Sixteen bytes a compare: SSE2 where the compiler offers it (every x86-64), one byte at a
// time elsewhere.
struct BaseBlocks {
    CIRROWISP_ALWAYS_INLINE static BlockMasks classify(const char* block) {
        BlockMasks masks;
#if defined(__SSE2__)
        const auto load = [&](int offset) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + offset));
        };
        const __m128i a = load(0);
        const __m128i b = load(16);
        const __m128i c = load(32);
        const __m128i d = load(48);
        const auto matches = [&](char byte) {
            const __m128i wanted = _mm_set1_epi8(byte);
            const auto bits = [&](__m128i part, int shift) {
                return static_cast<std::uint64_t>(
                           static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(part, wanted))))
                       << shift;
            };
            return bits(a, 0) | bits(b, 16) | bits(c, 32) | bits(d, 48);
        };
        masks.lf = matches('\n');
        masks.cr = matches('\r');
        masks.bracket = matches('[');
#else
        for (int i = 0; i < 64; ++i) {
            const std::uint64_t bit = std::uint64_t{1} << i;
            masks.lf |= block[i] == '\n' ? bit : 0;
            masks.cr |= block[i] == '\r' ? bit : 0;
            masks.bracket |= block[i] == '[' ? bit : 0;
        }
#endif
        return masks;
    }
};

#if defined(CIRROWISP_AVX2_SCAN)
// Thirty-two bytes a compare, half the work of SSE2 for the same masks.
struct Avx2Blocks {
    [[gnu::target("avx2")]] static std::uint64_t bits(__m256i equal) {
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(equal));
    }
    [[gnu::target("avx2")]] static BlockMasks classify(const char* block) {
        // No lambdas here: they would not inherit the function's AVX2 target.
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32));
        const __m256i lf = _mm256_set1_epi8('\n');
        const __m256i cr = _mm256_set1_epi8('\r');
        const __m256i bracket = _mm256_set1_epi8('[');
        BlockMasks masks;
        masks.lf = bits(_mm256_cmpeq_epi8(low, lf)) | (bits(_mm256_cmpeq_epi8(high, lf)) << 32);
        masks.cr = bits(_mm256_cmpeq_epi8(low, cr)) | (bits(_mm256_cmpeq_epi8(high, cr)) << 32);
        masks.bracket =
            bits(_mm256_cmpeq_epi8(low, bracket)) | (bits(_mm256_cmpeq_epi8(high, bracket)) << 32);
        return masks;
    }
};
#endif

// Outside [EFFECTS] and [GENERALENGINEDATA] only a header changes anything besides the line
// ends and the empty lines, and most of a file is such lines (liveries, descriptions, flight
// model). They are taken straight from the reader's buffer up to the first line that may be a
// header, 64 bytes a step: each block is reduced to bit masks of the few bytes that matter (an
// LF without its CR, an empty line, a '[' that starts a line), and a block with none of them,
// most of them in a file with CR LF line ends, costs no test per line at all. Between those
// bytes the input goes out as it stands, in one copy per run.
template <typename Blocks>
void scanOrdinaryLines(LineReader& reader, PassOutput& out) {
    const std::string_view bytes = reader.buffered();
    const char* const begin = bytes.data();
    const char* run = begin;       // the first byte not yet passed on
    const char* linesEnd = begin;  // just past the last LF seen
    // The bits of the previous block's last byte that the next block needs: the buffer starts
    // a line, and the byte before it is neither CR nor a line start of its own.
    std::uint64_t lineStartIn = 1;
    std::uint64_t crIn = 0;
    std::uint64_t startBeforeIn = 0;
    for (std::size_t offset = 0; offset < bytes.size(); offset += 64) {
        const char* const base = begin + offset;
        // The last bytes of the chunk are taken from a block that ends with them, or, in a chunk
        // shorter than a block, from a copy padded with zeros, which match nothing.
        const std::size_t left = bytes.size() - offset;
        const char* block = base;
        int unused = 0;
        char padded[64];
        if (left < 64) {
            unused = static_cast<int>(64 - left);
            if (bytes.size() >= 64) {
                block = base - unused;
            } else {
                std::memset(padded, 0, sizeof padded);
                std::memcpy(padded + unused, base, left);
                block = padded;
            }
        }
        BlockMasks masks = Blocks::classify(block);
        masks.lf >>= unused;
        masks.cr >>= unused;
        masks.bracket >>= unused;
        const std::uint64_t lineStart = (masks.lf << 1) | lineStartIn;
        const std::uint64_t crBefore = (masks.cr << 1) | crIn;
        const std::uint64_t startBefore = (lineStart << 1) | startBeforeIn;
        const std::uint64_t emptyWithCr = masks.lf & crBefore & startBefore;
        const std::uint64_t empty = (masks.lf & lineStart) | emptyWithCr;
        const std::uint64_t header = masks.bracket & lineStart;
        std::uint64_t events = (masks.lf & ~crBefore) | empty | header;
        while (events != 0) {
            const int bit = std::countr_zero(events);
            const std::uint64_t one = std::uint64_t{1} << bit;
            const char* const at = base + bit;
            if ((header & one) != 0) {
                out.copyLines(run, static_cast<std::size_t>(at - run));
                reader.skip(static_cast<std::size_t>(at - begin));
                return;
            }
            if ((empty & one) != 0) {
                const char* const emptyLine = (emptyWithCr & one) != 0 ? at - 1 : at;
                out.copyLines(run, static_cast<std::size_t>(emptyLine - run));
            } else {
                // An LF without its CR: the run up to it is whole lines and this line's text.
                out.write({run, static_cast<std::size_t>(at - run)});
            }
            run = at + 1;
            events &= events - 1;
        }
        if (masks.lf != 0) {
            linesEnd = base + (64 - std::countl_zero(masks.lf));
        }
        lineStartIn = masks.lf >> 63;
        crIn = masks.cr >> 63;
        startBeforeIn = lineStart >> 63;
    }
    // What follows the last LF runs on into the next chunk or up to a Ctrl-Z: it is left to
    // the reader.
    out.copyLines(run, static_cast<std::size_t>(linesEnd - run));
    reader.skip(static_cast<std::size_t>(linesEnd - begin));
}

void copyOrdinaryLinesBase(LineReader& reader, PassOutput& out) {
    scanOrdinaryLines<BaseBlocks>(reader, out);
}

#if defined(CIRROWISP_AVX2_SCAN)
// The bytes of 32 from `at` on that may matter to the copy of ordinary lines: an LF not after a
// CR (or a byte after a CR that is not an LF), a CR or '[' after an LF (an empty CR LF line, a
// header). The byte before `at` must be readable.
struct Avx2Candidates {
    [[gnu::target("avx2")]] static __m256i load(const char* from) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
    }
    [[gnu::target("avx2")]] static std::uint32_t matches(const char* from, char wanted) {
        return static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(load(from), _mm256_set1_epi8(wanted))));
    }
    [[gnu::target("avx2")]] static __m256i at(const char* at) {
        const __m256i lf = _mm256_set1_epi8('\n');
        const __m256i cr = _mm256_set1_epi8('\r');
        const __m256i here = load(at);
        const __m256i one = load(at - 1);
        const __m256i unpaired =
            _mm256_xor_si256(_mm256_cmpeq_epi8(here, lf), _mm256_cmpeq_epi8(one, cr));
        const __m256i lineStart = _mm256_cmpeq_epi8(one, lf);
        const __m256i opens = _mm256_or_si256(_mm256_cmpeq_epi8(here, _mm256_set1_epi8('[')),
                                              _mm256_cmpeq_epi8(here, cr));
        return _mm256_or_si256(unpaired, _mm256_and_si256(lineStart, opens));
    }
};

// The same scan with AVX2, which compares each byte with the one before it in the vector
// registers themselves (one more load, a byte earlier) instead of carrying bit masks from block
// to block: a block of 64 bytes costs one test when it holds nothing that matters, and the few
// that do are looked at byte by byte.
[[gnu::target("avx2")]] void copyOrdinaryLinesAvx2(LineReader& reader, PassOutput& out) {
    const std::string_view bytes = reader.buffered();
    if (bytes.size() < 66) {
        scanOrdinaryLines<Avx2Blocks>(reader, out);
        return;
    }
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* run = begin;  // the first byte not yet passed on
    // A line that starts with '[' at `at`. The header of a section that is copied as it stands
    // (a livery, the flight model) stays in the run, and so does the one CR LF empty line the
    // pass puts before it, when it is there already: a file patched before goes out in one
    // piece. Any other empty line before it is left out; an empty line is written where there
    // was none. Returns false where the pass itself must read the line: a section it changes,
    // an LF without its CR, or a line that runs past the buffer.
    const auto header = [&](const char* at) {
        const bool blankBefore = at - run >= 2 && at[-1] == '\n' && at[-2] == '\r' &&
                                 (at - 2 == begin || at[-3] == '\n');
        const char* const blankStart = blankBefore ? at - 2 : at;
        // Header lines are short: one walk finds the end and whether a section name could
        // start anywhere but at the '[' that opens the line.
        const char* lineEnd = at + 1;
        bool moreBrackets = false;
        if (end - at >= 32) {
            const std::uint32_t lf = Avx2Candidates::matches(at, '\n');
            const std::uint32_t brackets = Avx2Candidates::matches(at, '[');
            const std::uint32_t before = lf != 0 ? (lf & -lf) - 1 : ~std::uint32_t{0};
            moreBrackets = (brackets & before & ~std::uint32_t{1}) != 0;
            lineEnd = at + (lf != 0 ? std::countr_zero(lf) : 32);
        }
        for (; lineEnd != end && *lineEnd != '\n'; ++lineEnd) {
            moreBrackets |= *lineEnd == '[';
        }
        if (lineEnd != end && lineEnd[-1] == '\r') {
            const std::string_view line(at, static_cast<std::size_t>(lineEnd - 1 - at));
            const auto names = [&](std::string_view section) {
                return moreBrackets ? contains(line, section) : startsWithUpper(line, section);
            };
            if (!isHeader(line)) {
                // Text that starts with '[': an ordinary line, with no empty line before it.
                if (blankBefore) {
                    out.copyLines(run, static_cast<std::size_t>(blankStart - run));
                    run = at;
                }
                return true;
            }
            if (!names(kEffectsHeader) && !names(kEngineDataHeader)) {
                if (!blankBefore) {
                    out.copyLines(run, static_cast<std::size_t>(at - run));
                    out.write({});
                    run = at;
                }
                return true;
            }
        }
        out.copyLines(run, static_cast<std::size_t>(blankStart - run));
        reader.skip(static_cast<std::size_t>(at - begin));
        return false;
    };
    // What the byte at `at` means. The buffer starts a line: a byte before it counts as an LF.
    // Returns false at a header the copy cannot pass on by itself, where it ends.
    const auto event = [&](const char* at) {
        if (at != begin && at[-1] != '\n') {
            if (*at == '\n' && at[-1] != '\r') {
                // An LF without its CR: the run up to it is whole lines and this line's text.
                out.write({run, static_cast<std::size_t>(at - run)});
                run = at + 1;
            }
            return true;
        }
        switch (*at) {
            case '[':
                return header(at);
            case '\n':
                out.copyLines(run, static_cast<std::size_t>(at - run));  // an empty line
                run = at + 1;
                return true;
            case '\r':
                if (end - at < 2 || at[1] != '\n') {
                    return true;  // a line that starts with a CR, or runs past the buffer
                }
                if (end - at > 2 && at[2] == '[') {
                    return true;  // an empty line that may be the one a header below keeps
                }
                out.copyLines(run, static_cast<std::size_t>(at - run));  // an empty line
                run = at + 2;
                return true;
            default:
                return true;
        }
    };
    if (!event(begin)) {
        return;
    }
    const auto visit = [&](const char* base, std::uint32_t mask) {
        for (; mask != 0; mask &= mask - 1) {
            if (!event(base + std::countr_zero(mask))) {
                return false;
            }
        }
        return true;
    };
    const char* at = begin + 1;
    for (; end - at >= 64; at += 64) {
        const __m256i low = Avx2Candidates::at(at);
        const __m256i high = Avx2Candidates::at(at + 32);
        if (_mm256_testz_si256(_mm256_or_si256(low, high), _mm256_or_si256(low, high)) != 0) {
            continue;
        }
        if (!visit(at, static_cast<std::uint32_t>(_mm256_movemask_epi8(low))) ||
            !visit(at + 32, static_cast<std::uint32_t>(_mm256_movemask_epi8(high)))) {
            return;
        }
    }
    while (at < end) {
        // The last block ends with the buffer; the bytes it shares with the one before are
        // seen already.
        const char* const base = end - at >= 32 ? at : end - 32;
        const auto mask =
            static_cast<std::uint32_t>(_mm256_movemask_epi8(Avx2Candidates::at(base)));
        if (!visit(base, mask & (~std::uint32_t{0} << (at - base)))) {
            return;
        }
        at = base + 32;
    }
    // What follows the last LF runs on into the next chunk or up to a Ctrl-Z: it is left to
    // the reader.
    const char* linesEnd = end;
    while (linesEnd != run && linesEnd[-1] != '\n') {
        --linesEnd;
    }
    out.copyLines(run, static_cast<std::size_t>(linesEnd - run));
    reader.skip(static_cast<std::size_t>(linesEnd - begin));
}
#endif

using OrdinaryLineCopy = void (*)(LineReader&, PassOutput&);

// CIRROWISP_LINE_SCAN=base takes the 16-byte scan on a processor with AVX2 too, so that the
// tests can check the path that processors without it take, on a machine that has it.
OrdinaryLineCopy ordinaryLineCopy() {
#if defined(CIRROWISP_AVX2_SCAN)
    const char* const choice = std::getenv("CIRROWISP_LINE_SCAN");
    if (__builtin_cpu_supports("avx2") &&
        !(choice != nullptr && std::strcmp(choice, "base") == 0)) {
        return copyOrdinaryLinesAvx2;
    }
#endif
    return copyOrdinaryLinesBase;
}

// The pass itself, over either kind of reader.
RewriteResult rewriteLines(const PatchOptions& options, LineReader& reader, PassOutput& out) {
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

    static const OrdinaryLineCopy copyOrdinaryLines = ordinaryLineCopy();
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
            const bool effects = contains(line, kEffectsHeader);
            const bool engineData = contains(line, kEngineDataHeader);
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

RewriteResult CfgRewritePass(const PatchOptions& options, ByteSource& input, ByteSink& output) {
    LineReader reader(input);
    PassOutput out(output);
    return rewriteLines(options, reader, out);
}

RewriteResult CfgRewritePass(const PatchOptions& options, std::string_view input,
                             ByteSink& output) {
    LineReader reader(input);
    PassOutput out(output, LineWriter::HandRunsOn{});
    return rewriteLines(options, reader, out);
}

RewriteResult rewriteText(const PatchOptions& options, const std::string& input,
                          std::string& output) {
    StringSink sink;
    const RewriteResult result = CfgRewritePass(options, std::string_view(input), sink);
    output = sink.data();
    return result;
}

namespace {

// A line that some pass may add, drop or rewrite, whatever its options.
bool isPassLine(std::string_view line) {
    return line.empty() || isKeyLine(line, kContrailKey) || isKeyLine(line, kTemperatureKey);
}

// The next line that no pass touches; `number` counts every line read.
bool nextKeptLine(LineReader& reader, std::string_view& line, std::size_t& number) {
    while (reader.next(line)) {
        ++number;
        if (!isPassLine(line)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::size_t firstEditedLine(ByteSource& original, ByteSource& current) {
    LineReader originalLines(original);
    LineReader currentLines(current);
    std::size_t originalNumber = 0;
    std::size_t currentNumber = 0;
    std::string_view originalLine;
    std::string_view currentLine;
    for (;;) {
        // Each view stays valid until its own reader moves on.
        const bool originalMore = nextKeptLine(originalLines, originalLine, originalNumber);
        const bool currentMore = nextKeptLine(currentLines, currentLine, currentNumber);
        if (!originalMore && !currentMore) {
            return 0;
        }
        if (!currentMore) {
            return currentNumber + 1;
        }
        if (!originalMore || originalLine != currentLine) {
            return currentNumber;
        }
    }
}

std::size_t firstEditedLineOfText(const std::string& original, const std::string& current) {
    StringSource originalSource(original);
    StringSource currentSource(current);
    return firstEditedLine(originalSource, currentSource);
}

}  // namespace cirrowisp
