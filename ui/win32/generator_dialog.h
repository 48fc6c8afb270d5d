#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "patcher/patch_options.h"
#include "ui/common/generator_form.h"
#include "ui/common/simulator_choices.h"

namespace cirrowisp {
class FileSystem;
}

namespace cirrowisp::win32 {

// The program's working window: dialog 102, whose controls edit the options record and whose
// Start button runs the scan. The record and the icon live as long as the object.
class GeneratorDialog {
public:
    explicit GeneratorDialog(FileSystem& fileSystem);
    GeneratorDialog(const GeneratorDialog&) = delete;
    GeneratorDialog& operator=(const GeneratorDialog&) = delete;

    // The form to show instead of the record's, its Start clicked as soon as the dialog is up:
    // how a copy started as administrator carries on where the pilot was.
    void startWith(const FormValues& form) { startForm_ = form; }
    INT_PTR doModal(HWND owner);
    const PatchOptions& options() const { return options_; }

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    void onInitDialog();
    bool onSysCommand(WPARAM command);
    bool onPaint();
    void onStart();
    void onRestore();
    void offerAdministrator(const std::string& message, const FormValues& form);
    void addSimulatorMenu(HMENU systemMenu);
    void markSimulator(std::size_t item);
    void onSimulatorChosen(std::size_t item);

    void showForm(const FormValues& form);
    FormValues readForm() const;

    FileSystem& fileSystem_;
    PatchOptions options_;
    SimulatorChoices simulators_;
    HMENU simulatorMenu_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HWND window_ = nullptr;
    std::optional<FormValues> startForm_;
};

}  // namespace cirrowisp::win32
