#pragma once

#include <cstdio>
#include <streambuf>
#include <string>

#include "patcher/byte_stream.h"

namespace cirrowisp {

// Standard input and output as raw bytes: no text-mode translation on Windows, so the filter
// writes exactly what the rewrite produces. On Windows, output that goes to a console rather
// than a file or pipe is taken as UTF-8 and written as wide characters, so any character shows.
class StdioSource : public ByteSource {
public:
    StdioSource(std::FILE* file, std::string name);
    std::size_t read(char* buffer, std::size_t size) override;

private:
    std::FILE* file_;
    std::string name_;
};

class StdioSink : public ByteSink {
public:
    StdioSink(std::FILE* file, std::string name);
    void write(const char* data, std::size_t size) override;
    void flush();

private:
    void writeConsole(const char* data, std::size_t size, bool final);

    std::FILE* file_;
    std::string name_;
    bool console_ = false;
    std::string pending_;  // the start of a character whose last bytes are still to come
};

// A std::ostream's buffer that hands every character straight to a sink, so that error
// messages take the same road to the console as the rest of the output. Write failures leave
// the stream bad, as for any ostream.
class SinkBuffer : public std::streambuf {
public:
    explicit SinkBuffer(StdioSink& sink) : sink_(sink) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int sync() override;

private:
    StdioSink& sink_;
};

}  // namespace cirrowisp
