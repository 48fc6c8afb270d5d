#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "platform/command_line.h"
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
    const std::vector<std::string> args = cirrowisp::commandLineArguments(argc, argv);
    cirrowisp::StdioSource in(stdin, "<standard input>");
    cirrowisp::StdioSink out(stdout, "<standard output>");
    cirrowisp::StdioSink errSink(stderr, "<standard error>");
    cirrowisp::SinkBuffer errBuffer(errSink);
    std::ostream err(&errBuffer);
    cirrowisp::CliIo io{in, out, err, CIRROWISP_ISATTY(2) != 0};
    int status = cirrowisp::runCli(args, io);
    try {
        out.flush();
    } catch (const std::exception& failure) {
        err << "cirrowisp-cli: " << failure.what() << '\n';
        status = cirrowisp::kExitRunFailed;
    }
    err.flush();
    return status;
}
