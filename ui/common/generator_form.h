#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "patcher/aircraft_scan.h"
#include "patcher/engine_types.h"
#include "patcher/patch_options.h"

namespace cirrowisp {

class FileError;
class FileSystem;

// The dialog's controls as plain values, toolkit-free: what the Windows and the Qt dialogs
// move into and out of their widgets.
struct FormValues {
    std::string temperatureText;  // control 1007
    // The engine types' check boxes, in the order of kEngineTypes (controls 1001 to 1006).
    std::array<bool, kEngineTypeCount> engines{};
    bool flyable = false;         // 1009
    bool simObjectPaths = false;  // the Linux dialog only: "Aircraft folders from fsx.cfg"
    std::string effectName;       // 1010
    std::string simulatorPath;    // 1008

    // The check box of the engine type with that code.
    bool& engine(EngineType code) { return engines.at(engineTypeIndex(code)); }
    bool engine(EngineType code) const { return engines.at(engineTypeIndex(code)); }
};

// The control that refused its value.
enum class FormField { temperature };

struct ExchangeRefusal {
    FormField field;
    std::string message;
};

// Towards the controls: the form shows the record.
FormValues formFromOptions(const PatchOptions& options);

// Towards the record, in the dialog's exchange order; stops at the first refused value and
// leaves the rest of the record as it was.
std::optional<ExchangeRefusal> optionsFromForm(const FormValues& form, PatchOptions& options);

// The result of one Start click.
struct StartOutcome {
    enum class Kind { refused, finished, failed };
    Kind kind = Kind::finished;
    FormField focus = FormField::temperature;  // meaningful when refused
    std::string message;  // refusal text, the summary (and the folders left alone) or the error
    ScanTotals totals;
    // The run stopped on, or left alone, a file or folder the user may not write: a program
    // started as administrator could do it (see administratorOfferText).
    bool accessDenied = false;
};

// How many folders left alone a message names; it counts the rest.
inline constexpr std::size_t kNamedFoldersLeftAlone = 10;

// The folders a run or a restore left alone, as the lines a message box ends with.
class LeftAloneList {
public:
    void add(const std::string& folder, const std::string& reason);
    bool empty() const { return named_.empty(); }
    // "\n\nLeft alone:\n" and a line per folder, the last without a line end.
    std::string text() const;

private:
    std::string named_;  // one line per folder, up to kNamedFoldersLeftAlone
    std::size_t namedCount_ = 0;
    std::size_t unnamed_ = 0;
};

// The message box text for a run that a file error ended: the file and the system's reason.
std::string fileErrorText(const FileError& error);

// The Start sequence without a window: exchange into the record, then the run. When the record
// includes the simulator's own list of folders, `simulatorConfig` (the user's fsx.cfg when
// empty) is read first; a file that cannot be read ends the Start before anything changed.
StartOutcome runStart(const FormValues& form, PatchOptions& options, FileSystem& fileSystem,
                      const std::string& simulatorConfig = {});

}  // namespace cirrowisp
