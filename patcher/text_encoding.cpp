#include "patcher/text_encoding.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "patcher/utf16_text.h"

namespace cirrowisp {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

}  // namespace

TextEncoding textEncodingOf(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) {
        return TextEncoding::utf8Marked;
    }
    if (bytes.starts_with(kUtf16LittleMark)) {
        return TextEncoding::utf16Little;
    }
    if (bytes.starts_with(kUtf16BigMark)) {
        return TextEncoding::utf16Big;
    }
    return TextEncoding::plain;
}

std::string_view byteOrderMark(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::utf8Marked:
            return kUtf8Mark;
        case TextEncoding::utf16Little:
            return kUtf16LittleMark;
        case TextEncoding::utf16Big:
            return kUtf16BigMark;
        case TextEncoding::plain:
            break;
    }
    return {};
}

std::optional<std::string> utf16FileText(std::string_view bytes, std::string* fault) {
    const TextEncoding encoding = textEncodingOf(bytes);
    const std::string_view body = bytes.substr(byteOrderMark(encoding).size());
    if (body.size() % 2 != 0) {
        if (fault != nullptr) {
            *fault = "an odd number of bytes";
        }
        return std::nullopt;
    }
    const std::u16string units = utf16FromBytes(body, encoding == TextEncoding::utf16Little);
    // utf8FromUtf16 keeps a lone surrogate as a sequence of its own, and utf16FromUtf8 gives
    // it back, but the rewrite and the pilot's editor would see a character that is not there.
    if (const std::size_t lone = findLoneSurrogate(units); lone != std::u16string::npos) {
        if (fault != nullptr) {
            *fault = "a lone surrogate at byte " +
                     std::to_string(byteOrderMark(encoding).size() + 2 * lone);
        }
        return std::nullopt;
    }
    return utf8FromUtf16(units);
}

std::string utf16FileBytes(std::string_view text, TextEncoding encoding) {
    return std::string(byteOrderMark(encoding)) +
           bytesFromUtf16(utf16FromUtf8(text), encoding == TextEncoding::utf16Little);
}

void FileTextSource::start() {
    started_ = true;
    // Enough to tell every mark; a read may return less than asked before the end.
    std::array<char, 3> head{};
    std::size_t got = 0;
    while (got < head.size()) {
        const std::size_t step = file_.read(head.data() + got, head.size() - got);
        if (step == 0) {
            break;
        }
        got += step;
    }
    held_.assign(head.data(), got);
    TextEncoding encoding = textEncodingOf(held_);
    if (original_ != nullptr && encoding != original_->encoding()) {
        encoding = TextEncoding::plain;
    }
    encoding_ = encoding;
    if (encoding == TextEncoding::utf8Marked) {
        held_.clear();
    } else if (isUtf16(encoding)) {
        std::string chunk(64 * 1024, '\0');
        while (const std::size_t step = file_.read(chunk.data(), chunk.size())) {
            held_.append(chunk.data(), step);
        }
        if (std::optional<std::string> text = utf16FileText(held_)) {
            held_ = std::move(*text);
        }
    }
}

TextEncoding FileTextSource::encoding() {
    if (!started_) {
        start();
    }
    return encoding_;
}

std::size_t FileTextSource::read(char* buffer, std::size_t size) {
    if (!started_) {
        start();
    }
    if (handedOut_ < held_.size()) {
        const std::size_t count = std::min(size, held_.size() - handedOut_);
        std::memcpy(buffer, held_.data() + handedOut_, count);
        handedOut_ += count;
        return count;
    }
    return file_.read(buffer, size);
}

}  // namespace cirrowisp
