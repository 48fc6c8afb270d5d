#include "ui/common/generator_form.h"

#include <cstdint>
#include <string_view>

#include "patcher/effect_file.h"
#include "patcher/file_error.h"
#include "patcher/file_system.h"
#include "patcher/simobject_paths.h"
#include "platform/simulator_config.h"
#include "platform/simulator_folders.h"

namespace cirrowisp {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads an integer the way the Windows dialog framework does for an int field: blanks, an
// optional sign, digits, blanks, and nothing else. A number too large for 32 bits saturates
// instead of failing, so the user is told the permitted range rather than "not an integer".
std::optional<std::int32_t> parseInteger(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t digitsStart = pos;
    std::int64_t magnitude = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (magnitude <= std::int64_t{INT32_MAX} + 1)
            magnitude = magnitude * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == digitsStart)
        return std::nullopt;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    if (pos != text.size())
        return std::nullopt;

    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::int32_t flag(bool ticked) {
    return ticked ? 1 : 0;
}

ExchangeRefusal temperatureRefusal(std::string message) {
    return ExchangeRefusal{FormField::temperature, std::move(message)};
}

}  // namespace

FormValues formFromOptions(const PatchOptions& options) {
    FormValues form;
    form.temperatureText = std::to_string(options.maxContrailTemperature);
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        form.engines[i] = options.*kEngineTypes[i].field != 0;
    }
    form.flyable = options.includeFlyable != 0;
    form.simObjectPaths = options.includeSimObjectPaths != 0;
    form.effectName = options.effectName;
    form.simulatorPath = options.simulatorPath;
    return form;
}

std::optional<ExchangeRefusal> optionsFromForm(const FormValues& form, PatchOptions& options) {
    const std::optional<std::int32_t> temperature = parseInteger(form.temperatureText);
    if (!temperature)
        return temperatureRefusal("Please enter an integer.");
    if (*temperature < kMinContrailTemperature || *temperature > kMaxContrailTemperature) {
        return temperatureRefusal("Please enter an integer between " +
                                  std::to_string(kMinContrailTemperature) + " and " +
                                  std::to_string(kMaxContrailTemperature) + ".");
    }
    options.maxContrailTemperature = *temperature;
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        options.*kEngineTypes[i].field = flag(form.engines[i]);
    }
    options.includeFlyable = flag(form.flyable);
    options.includeSimObjectPaths = flag(form.simObjectPaths);
    options.effectName = form.effectName;
    options.simulatorPath = form.simulatorPath;
    return std::nullopt;
}

void LeftAloneList::add(const std::string& folder, const std::string& reason) {
    if (namedCount_ < kNamedFoldersLeftAlone) {
        named_ += folder + ": " + reason + "\n";
        ++namedCount_;
    } else {
        ++unnamed_;
    }
}

std::string LeftAloneList::text() const {
    std::string text = "\n\nLeft alone:\n" + named_;
    if (unnamed_ > 0) {
        text += "... and " + std::to_string(unnamed_) + " more\n";
    }
    text.pop_back();  // no line end after the last line, as in the summary
    return text;
}

std::string fileErrorText(const FileError& error) {
    return "The run stopped at\n" + error.path() + "\n\n" + error.reason();
}

StartOutcome runStart(const FormValues& form, PatchOptions& options, FileSystem& fileSystem,
                      const std::string& simulatorConfig) {
    StartOutcome outcome;
    if (std::optional<ExchangeRefusal> refusal = optionsFromForm(form, options)) {
        outcome.kind = StartOutcome::Kind::refused;
        outcome.focus = refusal->field;
        outcome.message = std::move(refusal->message);
        return outcome;
    }
    options.simObjectPaths.clear();
    std::vector<std::string> packageEffects;
    if (options.includeSimObjectPaths != 0) {
        try {
            const SimulatorFolders gathered = gatherSimulatorFolders(simulatorConfig);
            options.simObjectPaths = gathered.folders();
            packageEffects = gathered.effectFolders;
        } catch (const FileError& error) {
            outcome.kind = StartOutcome::Kind::failed;
            outcome.message = "The simulator's list of aircraft folders cannot be read:\n" +
                              error.path() + "\n\n" + error.reason();
            return outcome;
        }
    }
    if (options.includeSimObjectPaths == 0 && !simulatorConfig.empty()) {
        try {
            packageEffects = gatherSimulatorFolders(simulatorConfig).effectFolders;
        } catch (const FileError&) {
            // Then only the simulator's own Effects folder is looked in.
        }
    }
    const EffectSearch effect =
        findEffectFile(fileSystem, options.simulatorPath, packageEffects, options.effectName);
    LeftAloneList leftAlone;
    const FolderObserver observer = [&](const FolderReport& report) {
        if (!report.leftAlone.empty()) {
            leftAlone.add(report.folder, report.leftAlone);
        }
        outcome.accessDenied = outcome.accessDenied || report.accessDenied;
    };
    try {
        outcome.totals = AircraftScan(options, fileSystem, observer);
        outcome.kind = StartOutcome::Kind::finished;
        outcome.message = summaryText(outcome.totals);
        if (!leftAlone.empty()) {
            outcome.message += leftAlone.text();
        }
        if (effect.missing()) {
            // Two appends: "\n" + text trips a false -Wrestrict of GCC 12 at -O3.
            outcome.message += '\n';
            outcome.message += missingEffectText(effect, options.effectName);
        }
    } catch (const FileError& error) {
        outcome.kind = StartOutcome::Kind::failed;
        outcome.message = fileErrorText(error);
        outcome.accessDenied = error.kind() == FileErrorKind::accessDenied;
    }
    return outcome;
}

}  // namespace cirrowisp
