#include "patcher/line_io.h"

#include <algorithm>
#include <cstring>

namespace cirrowisp {

namespace {
constexpr char kCtrlZ = 26;
}

LineReader::LineReader(ByteSource& source, std::size_t bufferSize)
    : source_(&source), buffer_(std::max<std::size_t>(bufferSize, 1)), data_(buffer_.data()) {}

LineReader::LineReader(std::string_view input)
    : source_(nullptr), buffer_(0), data_(input.data()), end_(input.size()), finished_(true) {
    findInputEnd();
}

void LineReader::findInputEnd() {
    // One search per chunk rather than one per line: files almost never hold the byte.
    const auto* ctrlZ =
        end_ == 0 ? nullptr : static_cast<const char*>(std::memchr(data_, kCtrlZ, end_));
    inputEnd_ = ctrlZ != nullptr ? static_cast<std::size_t>(ctrlZ - data_) : end_;
}

bool LineReader::fill() {
    if (finished_) {
        return false;
    }
    begin_ = 0;
    end_ = source_->read(buffer_.data(), buffer_.size());
    if (end_ == 0) {
        finished_ = true;
        inputEnd_ = 0;
        return false;
    }
    findInputEnd();
    return true;
}

bool LineReader::next(std::string& line) {
    std::string_view view;
    const bool found = next(view);
    line.assign(view);
    return found;
}

bool LineReader::next(std::string_view& line) {
    carry_.clear();
    bool carried = false;  // the line began in an earlier chunk and is gathered in carry_
    for (;;) {
        if (begin_ == end_ && !fill()) {
            break;
        }
        const char* start = data_ + begin_;
        // Only the bytes before a Ctrl-Z in this chunk are input.
        const std::size_t available = inputEnd_ - begin_;
        const auto* stop = static_cast<const char*>(std::memchr(start, '\n', available));
        if (stop == nullptr) {
            if (inputEnd_ < end_) {
                // Nothing after Ctrl-Z is input, not even the rest of its own line. The buffer
                // is never refilled after this, so a view into it stays valid.
                finished_ = true;
                begin_ = end_ = inputEnd_ = 0;
                if (!carried) {
                    line = std::string_view(start, available);
                    return available > 0;
                }
                carry_.append(start, available);
                line = carry_;
                return true;
            }
            carry_.append(start, available);
            carried = true;
            begin_ = end_;
            continue;
        }
        const auto length = static_cast<std::size_t>(stop - start);
        begin_ += length + 1;
        if (carried) {
            carry_.append(start, length);
            line = carry_;
        } else {
            line = std::string_view(start, length);
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return true;
    }
    line = carry_;
    return carried;
}

LineWriter::LineWriter(ByteSink& sink, std::size_t bufferSize)
    : sink_(sink), buffer_(std::max<std::size_t>(bufferSize, 2)) {}

LineWriter::LineWriter(ByteSink& sink, HandRunsOn) : LineWriter(sink) {
    handRunsOn_ = true;
}

LineWriter::~LineWriter() = default;

void LineWriter::append(const char* data, std::size_t size) {
    if (size == 0) {
        return;  // an empty view may carry a null pointer, which memcpy must never see
    }
    if (size >= buffer_.size()) {
        // A line longer than the buffer goes straight through instead of being copied twice.
        flush();
        sink_.write(data, size);
        return;
    }
    if (buffer_.size() - used_ < size) {
        flush();
    }
    std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
}

void LineWriter::writeLine(const char* data, std::size_t size) {
    if (buffer_.size() - used_ >= size + 2) {
        // The common case in one step: most lines are far shorter than the buffer.
        if (size > 0) {
            std::memcpy(buffer_.data() + used_, data, size);
        }
        std::memcpy(buffer_.data() + used_ + size, "\r\n", 2);
        used_ += size + 2;
        return;
    }
    append(data, size);
    append("\r\n", 2);
}

void LineWriter::flush() {
    if (used_ > 0) {
        const std::size_t size = used_;
        used_ = 0;
        sink_.write(buffer_.data(), size);
    }
}

std::size_t StringSource::read(char* buffer, std::size_t size) {
    const std::size_t count = std::min(size, data_.size() - offset_);
    if (count == 0) {
        return 0;
    }
    std::memcpy(buffer, data_.data() + offset_, count);
    offset_ += count;
    return count;
}

}  // namespace cirrowisp
