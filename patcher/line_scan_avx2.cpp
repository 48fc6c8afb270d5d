#include <bit>
#include <cstdint>
#include <string_view>

#include "patcher/cfg_keys.h"
#include "patcher/line_scan.h"

#if defined(__GNUC__) && defined(__x86_64__)
// 32 bytes a step where the processor has AVX2, chosen at run time: the build targets every
// x86-64 processor, and only the functions marked for AVX2 use it.
#define CIRROWISP_AVX2_SCAN 1
#include <immintrin.h>
#endif

namespace cirrowisp {

#if defined(CIRROWISP_AVX2_SCAN)
namespace {

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

// The copy of copyOrdinaryLinesPortable with AVX2, which compares each byte with the one before it
// in the vector registers themselves (one more load, a byte earlier) instead of carrying bit masks
// from block to block: a block of 64 bytes costs one test when it holds nothing that matters, and
// the few that do are looked at byte by byte.
[[gnu::target("avx2")]] void copyOrdinaryLinesAvx2(LineReader& reader, PassOutput& out) {
    const std::string_view bytes = reader.buffered();
    if (bytes.size() < 66) {
        // Too short for a step of 64 bytes and the byte before it: the portable copy gives the
        // same bytes, and at this size as fast.
        copyOrdinaryLinesPortable(reader, out);
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
                return moreBrackets ? containsUpper(line, section) : startsWithUpper(line, section);
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
}  // namespace
#endif

bool lineScanRuns(LineScan scan) {
    switch (scan) {
        case LineScan::portable:
            return true;
        case LineScan::avx2:
#if defined(CIRROWISP_AVX2_SCAN)
            // The processor's own answer, read once at start-up by the compiler's runtime.
            return __builtin_cpu_supports("avx2") != 0;
#else
            return false;
#endif
    }
    return false;
}

LineScan bestLineScan() {
    static const LineScan best = lineScanRuns(LineScan::avx2) ? LineScan::avx2 : LineScan::portable;
    return best;
}

OrdinaryLineCopy ordinaryLineCopy(LineScan scan) {
#if defined(CIRROWISP_AVX2_SCAN)
    if (scan == LineScan::avx2) {
        return copyOrdinaryLinesAvx2;
    }
#endif
    (void)scan;
    return copyOrdinaryLinesPortable;
}

}  // namespace cirrowisp
