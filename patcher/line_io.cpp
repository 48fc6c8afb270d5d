#include "patcher/line_io.h"

#include <algorithm>
#include <cstring>

namespace cirrowisp {

namespace {
constexpr char kCtrlZ = 26;
}

LineReader::LineReader(ByteSource& source, std::size_t bufferSize)
    : source_(source), buffer_(std::max<std::size_t>(bufferSize, 1)) {}

bool LineReader::fill() {
    if (finished_) {
        return false;
    }
    begin_ = 0;
    end_ = source_.read(buffer_.data(), buffer_.size());
    if (end_ == 0) {
        finished_ = true;
        return false;
    }
    return true;
}

bool LineReader::next(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !fill()) {
            break;
        }
        const char* start = buffer_.data() + begin_;
        const std::size_t available = end_ - begin_;
        // Whichever comes first of the line end and the end-of-input byte. Two memchr calls
        // (the second only over the line found by the first) beat one byte loop testing both:
        // this is where a run spends most of its own time.
        const auto* lineFeed = static_cast<const char*>(std::memchr(start, '\n', available));
        const std::size_t lineLength =
            lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - start) : available;
        const auto* ctrlZ = static_cast<const char*>(std::memchr(start, kCtrlZ, lineLength));
        const char* stop = ctrlZ != nullptr ? ctrlZ : lineFeed;
        if (stop == nullptr) {
            line.append(start, available);
            begin_ = end_;
            any = true;
            continue;
        }
        line.append(start, static_cast<std::size_t>(stop - start));
        if (*stop == kCtrlZ) {
            // Nothing after Ctrl-Z is input, not even the rest of its own line.
            finished_ = true;
            begin_ = end_ = 0;
            return any || !line.empty();
        }
        begin_ += static_cast<std::size_t>(stop - start) + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return true;
    }
    return any;
}

LineWriter::LineWriter(ByteSink& sink, std::size_t bufferSize)
    : sink_(sink), buffer_(std::max<std::size_t>(bufferSize, 2)) {}

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
