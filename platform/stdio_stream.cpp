#include "platform/stdio_stream.h"

#include <cerrno>
#include <cstring>

#include "patcher/file_error.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace cirrowisp {

namespace {

void setBinary([[maybe_unused]] std::FILE* file) {
#ifdef _WIN32
    _setmode(_fileno(file), _O_BINARY);
#endif
}

std::string reasonFor(int error) { return error != 0 ? std::strerror(error) : "I/O error"; }

}  // namespace

StdioSource::StdioSource(std::FILE* file, std::string name) : file_(file), name_(std::move(name)) {
    setBinary(file_);
}

std::size_t StdioSource::read(char* buffer, std::size_t size) {
    errno = 0;
    const std::size_t count = std::fread(buffer, 1, size, file_);
    if (count == 0 && std::ferror(file_)) {
        throw FileError(name_, reasonFor(errno));
    }
    return count;
}

StdioSink::StdioSink(std::FILE* file, std::string name) : file_(file), name_(std::move(name)) {
    setBinary(file_);
}

void StdioSink::write(const char* data, std::size_t size) {
    errno = 0;
    if (std::fwrite(data, 1, size, file_) != size) {
        throw FileError(name_, reasonFor(errno));
    }
}

void StdioSink::flush() {
    errno = 0;
    if (std::fflush(file_) != 0) {
        throw FileError(name_, reasonFor(errno));
    }
}

}  // namespace cirrowisp
