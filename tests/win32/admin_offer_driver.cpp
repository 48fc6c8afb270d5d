// Drives Cirrowisp.exe into a simulator folder whose aircraft folder the user may not write:
// the message box must say so and offer to start as administrator, and "No" must leave the
// dialog open with nothing started. Run as a user other than root (root may write anything).
//
//   admin_offer_driver.exe CIRROWISP_EXE SIMULATOR_FOLDER
#include <cstdio>
#include <string>

#include "res/resource.h"
#include "tests/win32/window_automation.h"

using namespace cirrowisp::e2e;

namespace {

int fail(App& app, const std::string& why) {
    std::fprintf(stderr, "administrator offer: %s\n", why.c_str());
    stop(app);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: admin_offer_driver CIRROWISP_EXE SIMULATOR_FOLDER\n");
        return 2;
    }
    App app;
    if (!start(app, argv[1], "."))
        return fail(app, "the dialog did not open");
    setText(GetDlgItem(app.dialog, IDC_SIMULATOR_PATH), widen(argv[2]));
    clickStart(app);
    const MessageBoxSeen seen = answerMessageBox(app, 60000, IDNO);
    const std::string text = narrow(seen.text);
    if (seen.window == nullptr)
        return fail(app, "no message box");
    if (text.find("Start Cirrowisp as administrator?") == std::string::npos ||
        text.find("Locked") == std::string::npos)
        return fail(app, "the message box did not offer it for the folder:\n" + text);
    // No leaves the pilot at the dialog: it is still there, and no second one came up.
    Sleep(1000);
    if (!running(app) || topLevel(app, L"FSX-Cirrowisp generator") == nullptr)
        return fail(app, "after No, the dialog is gone");
    send(app.dialog, WM_COMMAND, IDCANCEL);
    DWORD code = 1;
    if (!waitExit(app, code))
        return fail(app, "the dialog did not close");
    std::printf("administrator offer: shown, and No kept the dialog:\n%s\n", text.c_str());
    return 0;
}
