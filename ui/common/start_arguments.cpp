#include "ui/common/start_arguments.h"

#include <string_view>

#include "platform/system_code_page.h"

namespace cirrowisp {

namespace {

constexpr std::string_view kStart = "--start";
constexpr std::string_view kTemperature = "--temperature=";
constexpr std::string_view kEngines = "--engines=";
constexpr std::string_view kFlyable = "--flyable";
constexpr std::string_view kEffect = "--effect=";
constexpr std::string_view kSimulatorPath = "--simulator-path=";

// Sets the check box of every engine type named in `names` (comma-separated --engines names);
// false for a name no engine type has.
bool readEngines(std::string_view names, FormValues& form) {
    while (!names.empty()) {
        const std::size_t comma = names.find(',');
        const std::string_view name = names.substr(0, comma);
        bool known = false;
        for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
            if (kEngineTypes[i].cliName == name) {
                form.engines[i] = true;
                known = true;
            }
        }
        if (!known) {
            return false;
        }
        names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
    }
    return true;
}

// "--name=" and its value. Appended rather than added: GCC 12 at -O3 takes "a" + b for an
// overlapping copy (a false -Wrestrict).
std::string option(std::string_view name, std::string_view value) {
    std::string text(name);
    text.append(value);
    return text;
}

}  // namespace

std::vector<std::string> startArguments(const FormValues& form) {
    std::string engines;
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        if (form.engines[i]) {
            if (!engines.empty()) {
                engines += ',';
            }
            engines += kEngineTypes[i].cliName;
        }
    }
    std::vector<std::string> arguments{
        std::string(kStart), option(kTemperature, form.temperatureText), option(kEngines, engines)};
    if (form.flyable) {
        arguments.emplace_back(kFlyable);
    }
    // The form holds the effect name in the ANSI code page, a command line is read as UTF-8:
    // passed as it is, an "É" would reach the new copy as a broken character and be written so.
    arguments.push_back(option(kEffect, fromSystemCodePage(form.effectName)));
    arguments.push_back(option(kSimulatorPath, form.simulatorPath));
    return arguments;
}

std::optional<FormValues> formFromStartArguments(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.front() != kStart) {
        return std::nullopt;
    }
    FormValues form;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument.starts_with(kTemperature)) {
            form.temperatureText = argument.substr(kTemperature.size());
        } else if (argument.starts_with(kEngines)) {
            if (!readEngines(argument.substr(kEngines.size()), form)) {
                return std::nullopt;
            }
        } else if (argument == kFlyable) {
            form.flyable = true;
        } else if (argument.starts_with(kEffect)) {
            const std::optional<std::string> bytes =
                inSystemCodePage(std::string(argument.substr(kEffect.size())));
            if (!bytes) {
                return std::nullopt;
            }
            form.effectName = *bytes;
        } else if (argument.starts_with(kSimulatorPath)) {
            form.simulatorPath = argument.substr(kSimulatorPath.size());
        } else {
            return std::nullopt;
        }
    }
    return form;
}

std::string windowsCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) {
            line += ' ';
        }
        if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
            line += argument;
            continue;
        }
        // Backslashes are plain except before a quote, where each one must be doubled; so must
        // those before the closing quote, or the last would escape it and swallow the next
        // argument (a folder path ending in "\" does exactly that).
        line += '"';
        std::size_t backslashes = 0;
        for (const char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(2 * backslashes, '\\');
        line += '"';
    }
    return line;
}

std::string administratorOfferText() {
    return "\n\nWindows does not let you change files in this folder. Simulators installed "
           "under Program Files can only be changed by a program started as administrator."
           "\n\nStart Cirrowisp as administrator?";
}

}  // namespace cirrowisp
