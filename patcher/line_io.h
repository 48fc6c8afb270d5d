#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "patcher/byte_stream.h"

namespace cirrowisp {

// A byte buffer that is not zero-filled on creation: every pass makes two of them, and
// clearing 128 KB for each file cost more than reading a small file's lines.
class ChunkBuffer {
public:
    explicit ChunkBuffer(std::size_t size)
        : data_(std::make_unique_for_overwrite<char[]>(size)), size_(size) {}
    char* data() { return data_.get(); }
    const char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_;
};

// Splits a byte stream into lines the way the simulator's text files are read: a line ends at
// LF, one CR directly before the LF belongs to the line end, any other CR stays in the line,
// the last line counts without a line end, and a Ctrl-Z byte ends the input. NUL and high
// bytes are ordinary bytes. Memory is bounded by the longest line.
class LineReader {
public:
    explicit LineReader(ByteSource& source, std::size_t bufferSize = 64 * 1024);
    // Over input held whole in memory, which must outlive the reader: every line is handed out
    // from it, never copied.
    explicit LineReader(std::string_view input);
    // Replaces `line` with the next line, without its line end; false at the end of the input.
    bool next(std::string& line);
    // The same, as a view that stays valid until the next call: most lines are handed out
    // straight from the read buffer, without a copy.
    bool next(std::string_view& line);

    // The input bytes already read into the buffer and not yet handed out, up to a Ctrl-Z: the
    // lines that start there can be taken in bulk, with skip(), instead of one by one. Empty
    // between chunks. Valid until the next call of next() or skip().
    std::string_view buffered() const {
        return {data_ + begin_, inputEnd_ > begin_ ? inputEnd_ - begin_ : 0};
    }
    // Consumes `count` bytes of buffered(); the caller ends them at a line end.
    void skip(std::size_t count) { begin_ += count; }

private:
    bool fill();
    void findInputEnd();  // stops the input at the first Ctrl-Z of [0, end_)

    ByteSource* source_;  // null when the whole input is in memory
    ChunkBuffer buffer_;
    const char* data_;  // buffer_, or the input held in memory
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t inputEnd_ = 0;  // end_, or the position of a Ctrl-Z in the chunk
    bool finished_ = false;
    std::string carry_;  // a line that runs over the end of a chunk
};

// Writes lines with CR LF on every host, so a file patched on Linux is byte-identical to one
// patched on Windows. Buffered; flush() before the sink is closed.
class LineWriter {
public:
    explicit LineWriter(ByteSink& sink, std::size_t bufferSize = 64 * 1024);
    // writeLines() passes its bytes to the sink as they stand, where they are, rather than
    // through the buffer: for input held in memory, whose sink can then tell its own bytes by
    // their address.
    struct HandRunsOn {};
    LineWriter(ByteSink& sink, HandRunsOn);
    ~LineWriter();  // does not flush: a failed pass must not look written
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void writeLine(const char* data, std::size_t size);
    void writeLine(const std::string& line) { writeLine(line.data(), line.size()); }
    // Bytes written as they stand: whole lines that already end in CR LF.
    void writeLines(const char* data, std::size_t size) {
        if (handRunsOn_ && size > 0) {
            flush();
            sink_.write(data, size);
        } else {
            append(data, size);
        }
    }
    void flush();

private:
    void append(const char* data, std::size_t size);

    ByteSink& sink_;
    ChunkBuffer buffer_;
    std::size_t used_ = 0;
    bool handRunsOn_ = false;
};

// In-memory ends, for the filter mode and for tests.
class StringSource : public ByteSource {
public:
    explicit StringSource(std::string data) : data_(std::move(data)) {}
    std::size_t read(char* buffer, std::size_t size) override;

private:
    std::string data_;
    std::size_t offset_ = 0;
};

class StringSink : public ByteSink {
public:
    void write(const char* data, std::size_t size) override { data_.append(data, size); }
    const std::string& data() const { return data_; }

private:
    std::string data_;
};

}  // namespace cirrowisp
