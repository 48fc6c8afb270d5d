#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "patcher/byte_stream.h"

namespace cirrowisp {

// How a text file's bytes hold its text, as the byte order mark an editor saves first tells:
// the code page's bytes as they stand (no mark), UTF-8 after its mark, or UTF-16 in either
// byte order after its mark. Notepad's "Unicode" is UTF-16 little-endian.
enum class TextEncoding { plain, utf8Marked, utf16Little, utf16Big };

TextEncoding textEncodingOf(std::string_view bytes);

// The mark that starts a file in `encoding`; empty for plain bytes.
std::string_view byteOrderMark(TextEncoding encoding);

inline bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::utf16Little || encoding == TextEncoding::utf16Big;
}

// The text of a UTF-16 file (its bytes, mark first) as UTF-8, when utf16FileBytes gives the
// very same bytes back from it. Otherwise nullopt, and `fault` (when given) says why: an odd
// number of bytes, or a surrogate without its partner, either of which a conversion would
// silently change.
std::optional<std::string> utf16FileText(std::string_view bytes, std::string* fault = nullptr);

// UTF-8 text as the bytes of a UTF-16 file in `encoding`, mark first.
std::string utf16FileBytes(std::string_view text, TextEncoding encoding);

// A file's text as the rewrite reads it, for comparing two files that may differ in encoding:
// without a UTF-8 mark, and UTF-16 as UTF-8 (read whole, as such files are small and rare).
// Plain bytes, and UTF-16 that does not convert exactly, pass as they stand.
class FileTextSource : public ByteSource {
public:
    explicit FileTextSource(ByteSource& file) : file_(file) {}
    // Reads `file` as a file in the encoding `original` found, and as plain bytes where its own
    // mark says otherwise: a run writes a file in its original's encoding, and a rewrite of a
    // plain file may well begin with the bytes of a mark.
    FileTextSource(ByteSource& file, FileTextSource& original)
        : file_(file), original_(&original) {}
    std::size_t read(char* buffer, std::size_t size) override;
    // The encoding this file is read in.
    TextEncoding encoding();

private:
    void start();

    ByteSource& file_;
    FileTextSource* original_ = nullptr;
    TextEncoding encoding_ = TextEncoding::plain;
    bool started_ = false;
    std::string held_;  // read ahead to find the mark, or the whole converted text
    std::size_t handedOut_ = 0;
};

}  // namespace cirrowisp
