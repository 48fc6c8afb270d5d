#pragma once

#include <cstdio>
#include <string>

#include "patcher/byte_stream.h"

namespace cirrowisp {

// Standard input and output as raw bytes: no text-mode translation on Windows, so the filter
// writes exactly what the rewrite produces.
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
    std::FILE* file_;
    std::string name_;
};

}  // namespace cirrowisp
