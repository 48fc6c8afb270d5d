#pragma once

#include <array>

#include <QDialog>
#include <QIcon>

#include "patcher/engine_types.h"
#include "patcher/patch_options.h"
#include "ui/common/generator_form.h"
#include "ui/common/simulator_choices.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace cirrowisp {

class FileSystem;
class TemperatureEdit;

// The program's one working window on Linux: the same controls, bindings and Start sequence as
// the Windows dialog, laid out with Qt's layouts. It owns the options record for its lifetime;
// a run happens synchronously inside the Start click.
class GeneratorDialog : public QDialog {
    Q_OBJECT

public:
    // Creates the record with its defaults, then asks the simulator lookup once and shows the
    // folder it found (or ".\Aircraft\") and every installation in the Simulator box.
    explicit GeneratorDialog(FileSystem& fileSystem, QWidget* parent = nullptr);

    const PatchOptions& options() const { return options_; }
    QAction* aboutAction() const { return aboutAction_; }
    QAction* restoreAction() const { return restoreAction_; }
    // The fsx.cfg a Start (and a restore) reads when its check box is ticked, instead of the
    // chosen simulator's.
    void setSimulatorConfig(const std::string& path) { simulatorConfig_ = path; }

public slots:
    // The Start command: exchange into the record, the run, then the summary or the error.
    void start();
    // The Restore item: asks, then puts the original files back with the form's path, fsx.cfg
    // and flyable choices, and shows the summary or the error as Start does.
    void restoreOriginals();
    void showAbout();
    // The desktop's folder chooser for the path field.
    void browseForFolder();
    // An item of the Simulator box: its folder goes into the path field, and its configuration
    // file is the one a Start reads.
    void chooseSimulator(int item);

private:
    void buildControls();
    FormValues formFromControls() const;
    // The configuration file a Start and a restore read: the one set for tests, else the
    // chosen simulator's (the user's fsx.cfg when empty).
    std::string configFile() const;
    void showForm(const FormValues& form);

    FileSystem& fileSystem_;
    PatchOptions options_;
    std::string simulatorConfig_;
    SimulatorChoices simulators_;
    QIcon icon_;

    QPushButton* cancelButton_ = nullptr;
    QPushButton* startButton_ = nullptr;
    // In the order of kEngineTypes.
    std::array<QCheckBox*, kEngineTypeCount> engineBoxes_{};
    TemperatureEdit* temperatureEdit_ = nullptr;
    QComboBox* simulatorCombo_ = nullptr;
    QLineEdit* pathEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QCheckBox* flyableBox_ = nullptr;
    QCheckBox* simObjectPathsBox_ = nullptr;
    QLineEdit* effectEdit_ = nullptr;
    QToolButton* menuButton_ = nullptr;
    QAction* restoreAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
};

}  // namespace cirrowisp
