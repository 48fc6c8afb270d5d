#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "platform/stdio_stream.h"
#include "platform/system_code_page.h"

#ifdef _WIN32
#include <io.h>
#define CIRROWISP_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define CIRROWISP_ISATTY(fd) isatty(fd)
#endif

int main(int argc, char** argv) {
    cirrowisp::installSystemCodePage();
    std::vector<std::string> args(argv + 1, argv + argc);
    cirrowisp::StdioSource in(stdin, "<standard input>");
    cirrowisp::StdioSink out(stdout, "<standard output>");
    cirrowisp::CliIo io{in, out, std::cerr, CIRROWISP_ISATTY(2) != 0};
    int status = cirrowisp::runCli(args, io);
    try {
        out.flush();
    } catch (const std::exception& failure) {
        std::cerr << "cirrowisp-cli: " << failure.what() << '\n';
        status = cirrowisp::kExitRunFailed;
    }
    return status;
}
