#include "platform/stdio_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "patcher/file_error.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/win32_text.h"
#endif

namespace cirrowisp {

namespace {

void setBinary([[maybe_unused]] std::FILE* file) {
#ifdef _WIN32
    _setmode(_fileno(file), _O_BINARY);
#endif
}

std::string reasonFor(int error) {
    return error != 0 ? std::strerror(error) : "I/O error";
}

bool isConsole([[maybe_unused]] std::FILE* file) {
#ifdef _WIN32
    DWORD mode = 0;
    return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), &mode) != 0;
#else
    return false;
#endif
}

#ifdef _WIN32
// How many bytes at the end of `text` begin a UTF-8 character that is not complete yet.
std::size_t incompleteTail(const std::string& text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) != 0x80) {
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
    }
    return 0;
}
#endif

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

StdioSink::StdioSink(std::FILE* file, std::string name)
    : file_(file), name_(std::move(name)), console_(isConsole(file)) {
    setBinary(file_);
}

void StdioSink::write(const char* data, std::size_t size) {
    if (console_) {
        writeConsole(data, size, false);
        return;
    }
    errno = 0;
    if (std::fwrite(data, 1, size, file_) != size) {
        throw FileError(name_, reasonFor(errno));
    }
}

void StdioSink::flush() {
    if (console_) {
        writeConsole(nullptr, 0, true);
    }
    errno = 0;
    if (std::fflush(file_) != 0) {
        throw FileError(name_, reasonFor(errno));
    }
}

void StdioSink::writeConsole([[maybe_unused]] const char* data, [[maybe_unused]] std::size_t size,
                             [[maybe_unused]] bool final) {
#ifdef _WIN32
    pending_.append(data, size);
    const std::size_t keep = final ? 0 : incompleteTail(pending_);
    const std::wstring text = toWide(std::string_view(pending_).substr(0, pending_.size() - keep));
    pending_.erase(0, pending_.size() - keep);
    HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file_)));
    for (std::size_t done = 0; done < text.size();) {
        DWORD written = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
        if (!WriteConsoleW(console, text.data() + done, ask, &written, nullptr) || written == 0) {
            throw FileError(name_, systemErrorText(GetLastError()));
        }
        done += written;
    }
#endif
}

SinkBuffer::int_type SinkBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize SinkBuffer::xsputn(const char* data, std::streamsize size) {
    try {
        sink_.write(data, static_cast<std::size_t>(size));
        return size;
    } catch (const FileError&) {
        return 0;
    }
}

int SinkBuffer::sync() {
    try {
        sink_.flush();
        return 0;
    } catch (const FileError&) {
        return -1;
    }
}

}  // namespace cirrowisp
