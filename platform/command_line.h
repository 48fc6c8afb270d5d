#pragma once

#include <string>
#include <vector>

namespace cirrowisp {

// The arguments after the program name. On Windows they are read from the wide command line
// and handed over as UTF-8, so a folder name outside the ANSI code page arrives intact;
// elsewhere they are argv as it is.
std::vector<std::string> commandLineArguments(int argc, char** argv);

}  // namespace cirrowisp
