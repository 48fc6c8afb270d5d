#pragma once

#include <cstddef>
#include <string>

#include "patcher/restore_scan.h"
#include "ui/common/generator_form.h"

namespace cirrowisp {

class FileSystem;

// The "Restore original files..." item of both dialogs, toolkit-free: the question it asks
// and the restore it runs, with the form's simulator folder, fsx.cfg and flyable choices. The other
// fields do not matter to a restore, so a temperature the Start button would refuse does not
// stop it, and the options record is left as it is.

// The Yes/No question, naming the folder.
std::string restoreQuestionText(const FormValues& form);

// The result of one confirmed restore.
struct RestoreOutcome {
    enum class Kind { finished, leftAlone, failed };
    Kind kind = Kind::finished;  // leftAlone: finished, but some folders were left alone
    std::string message;         // the summary and the folders left alone, or the file error
    RestoreTotals totals;
};

// Walks the folders a Start with this form would: with the fsx.cfg choice, `simulatorConfig`
// (the user's fsx.cfg when empty) is read first, and a file that cannot be read ends the
// restore before anything changed.
RestoreOutcome runRestoreFromForm(const FormValues& form, FileSystem& fileSystem,
                                  const std::string& simulatorConfig = {});

}  // namespace cirrowisp
