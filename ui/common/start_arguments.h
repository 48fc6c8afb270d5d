#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/common/generator_form.h"

namespace cirrowisp {

// How a dialog hands its form to a copy of itself started as administrator, which then runs at
// once: the form as command-line arguments, and back. The names are the command line's own
// (--temperature, --engines, --flyable, --effect), plus --simulator-path for the field and
// --start for "click Start". Like the command line's, the values are UTF-8; the effect name is
// turned from and back into the system's code page, in which the form holds it.

// `form` as arguments, --start first, every field and check box included.
std::vector<std::string> startArguments(const FormValues& form);

// The form those arguments give, or nullopt when they do not begin with --start (the program
// was started as usual), carry an argument this does not know, or an effect name the system's
// code page cannot hold.
std::optional<FormValues> formFromStartArguments(const std::vector<std::string>& arguments);

// `arguments` as one Windows command line (ShellExecuteExW's parameters), quoted so that
// CommandLineToArgvW gives each back unchanged: blanks, quotes and backslashes before them.
std::string windowsCommandLine(const std::vector<std::string>& arguments);

// What a dialog says when the run met a folder or a file the user may not write, ending with
// the question whether to start the program again as administrator.
std::string administratorOfferText();

}  // namespace cirrowisp
