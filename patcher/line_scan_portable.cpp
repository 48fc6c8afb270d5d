#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "patcher/line_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cirrowisp {

namespace {

#if defined(__GNUC__)
#define CIRROWISP_ALWAYS_INLINE [[gnu::always_inline]] inline
#else
#define CIRROWISP_ALWAYS_INLINE inline
#endif

// The bytes of a 64-byte block that the copy of ordinary lines looks at, one bit per byte.
struct BlockMasks {
    std::uint64_t lf = 0;
    std::uint64_t cr = 0;
    std::uint64_t bracket = 0;
};

// Sixteen bytes a compare: SSE2 where the compiler offers it (every x86-64), one byte at a
// time elsewhere.
CIRROWISP_ALWAYS_INLINE BlockMasks classify(const char* block) {
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

}  // namespace

// Each block is reduced to bit masks of the few bytes that matter (an LF without its CR, an
// empty line, a '[' that starts a line), and a block with none of them, most of them in a file
// with CR LF line ends, costs no test per line at all. Between those bytes the input goes out
// as it stands, in one copy per run.
void copyOrdinaryLinesPortable(LineReader& reader, PassOutput& out) {
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
        BlockMasks masks = classify(block);
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

}  // namespace cirrowisp
