#include "ui/common/generator_form.h"

#include <cstdint>
#include <string_view>

#include "patcher/effect_file.h"
#include "patcher/file_error.h"
#include "patcher/file_system.h"
#include "patcher/simobject_paths.h"
#include "platform/simulator_config.h"
#include "platform/simulator_folders.h"
#include "platform/system_code_page.h"

namespace cirrowisp {

namespace {

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
    const TemperatureReading temperature = readTemperature(form.temperatureText);
    if (temperature.kind == TemperatureReading::Kind::notAnInteger)
        return temperatureRefusal("Please enter an integer.");
    if (temperature.kind == TemperatureReading::Kind::outOfRange) {
        return temperatureRefusal("Please enter an integer between " +
                                  std::to_string(kMinContrailTemperature) + " and " +
                                  std::to_string(kMaxContrailTemperature) + ".");
    }
    options.maxContrailTemperature = temperature.value;
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
    // The name is held in the code page aircraft.cfg is written in; file names and messages
    // are UTF-8.
    const std::string effectName = fromSystemCodePage(options.effectName);
    const EffectSearch effect =
        findEffectFile(fileSystem, options.simulatorPath, packageEffects, effectName);
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
            outcome.message += missingEffectText(effect, effectName);
        }
    } catch (const FileError& error) {
        outcome.kind = StartOutcome::Kind::failed;
        outcome.message = fileErrorText(error);
        outcome.accessDenied = error.kind() == FileErrorKind::accessDenied;
    }
    return outcome;
}

}  // namespace cirrowisp
