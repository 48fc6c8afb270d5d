#include "ui/win32/generator_app.h"

#include <commctrl.h>

#include <memory>

#include "platform/command_line.h"
#include "platform/host_file_system.h"
#include "ui/common/start_arguments.h"
#include "ui/win32/generator_dialog.h"

namespace cirrowisp::win32 {

namespace {
GeneratorApp application;
}

GeneratorApp& theApp() {
    return application;
}

bool GeneratorApp::initInstance() {
    // The manifest asks for version 6 of the common controls; registering their classes makes
    // the dialog's buttons and fields take the visual styles.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    const std::unique_ptr<FileSystem> fileSystem = makeHostFileSystem();
    GeneratorDialog dialog(*fileSystem);
    if (const auto form = formFromStartArguments(commandLineArguments(0, nullptr))) {
        dialog.startWith(*form);
    }
    mainWindow_ = &dialog;
    dialog.doModal(nullptr);
    mainWindow_ = nullptr;
    return false;
}

int GeneratorApp::run() {
    if (initInstance()) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return static_cast<int>(message.wParam);
    }
    return 0;
}

}  // namespace cirrowisp::win32
