#pragma once

#include <cstddef>

namespace cirrowisp {

// Where the rewrite reads its bytes from: a file, a string, a pipe. Failures throw FileError.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to `size` bytes; returns 0 only at the end of the input.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// Where the rewrite writes its bytes to. Failures throw FileError.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const char* data, std::size_t size) = 0;
};

}  // namespace cirrowisp
