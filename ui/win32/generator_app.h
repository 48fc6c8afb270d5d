#pragma once

#include <windows.h>

namespace cirrowisp::win32 {

class GeneratorDialog;

// The process's application object: runs the generator dialog as the main window and lets the
// process end when it closes. One static instance exists from start-up to exit.
class GeneratorApp {
public:
    // Shows the dialog modally; returns false, since there is no message loop of its own to run
    // once the dialog has closed.
    bool initInstance();
    // The entry logic: start-up, then the process's exit code.
    int run();

    // The dialog while it runs; null before and after.
    GeneratorDialog* mainWindow() const { return mainWindow_; }

private:
    GeneratorDialog* mainWindow_ = nullptr;
};

GeneratorApp& theApp();

}  // namespace cirrowisp::win32
