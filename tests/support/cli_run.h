#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "patcher/line_io.h"

namespace cirrowisp {

// The bundled sample simulator tree (examples/sim), read in place.
inline std::filesystem::path sampleTree() {
    return std::filesystem::path(CIRROWISP_TEST_DATA).parent_path().parent_path() / "examples" /
           "sim";
}

// What one in-process command line printed and returned.
struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// The whole command line in this process, with `input` on standard input.
inline Outcome cli(const std::vector<std::string>& args, const std::string& input = "") {
    StringSource in(input);
    StringSink out;
    std::ostringstream err;
    CliIo io{in, out, err, false};
    const int status = runCli(args, io);
    return {status, out.data(), err.str()};
}

}  // namespace cirrowisp
