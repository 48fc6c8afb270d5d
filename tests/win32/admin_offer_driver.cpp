// The offer to start as administrator, both answers, driven from outside:
//
//   admin_offer_driver.exe no CIRROWISP_EXE SIMULATOR_FOLDER
// runs Cirrowisp.exe into a simulator folder whose aircraft folder the user may not write: the
// message box must say so and offer to start as administrator, and "No" must leave the dialog
// open with nothing started. Run as a user other than root (root may write anything).
//
//   admin_offer_driver.exe yes CIRROWISP_EXE WRITABLE_FOLDER
// what "Yes" starts, as far as Wine goes (it cannot elevate): Cirrowisp.exe with the very
// parameters Yes hands ShellExecuteExW, for a form unlike the defaults and a tree made below
// WRITABLE_FOLDER. It must run at once, with that form, and show it.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "patcher/aircraft_folders.h"
#include "patcher/aircraft_scan.h"
#include "platform/system_code_page.h"
#include "platform/win32_text.h"
#include "res/resource.h"
#include "tests/support/disk_tree.h"
#include "tests/support/samples.h"
#include "tests/win32/window_automation.h"
#include "ui/common/generator_form.h"
#include "ui/common/start_arguments.h"

using namespace cirrowisp;
using namespace cirrowisp::e2e;

namespace {

int fail(App& app, const std::string& why) {
    std::fprintf(stderr, "administrator offer: %s\n", why.c_str());
    stop(app);
    return 1;
}

int closeDialog(App& app) {
    send(app.dialog, WM_COMMAND, IDCANCEL);
    if (!exitCode(app))
        return fail(app, "the dialog did not close");
    return 0;
}

int answerNo(const std::string& exe, const std::string& lockedSimulator) {
    App app;
    if (!start(app, exe, "."))
        return fail(app, "the dialog did not open");
    setText(GetDlgItem(app.dialog, IDC_SIMULATOR_PATH), widen(lockedSimulator));
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
    if (closeDialog(app) != 0)
        return 1;
    std::printf("administrator offer: shown, and No kept the dialog:\n%s\n", text.c_str());
    return 0;
}

// What the form's fields show that differs from `form`, one line each; empty when none does.
std::string fieldsUnlike(HWND dialog, const FormValues& form) {
    std::string unlike;
    const auto text = [&](int id, const std::string& utf8, const char* name) {
        const std::string shown = narrow(windowText(GetDlgItem(dialog, id)));
        if (shown != utf8)
            unlike += std::string(name) + " shows \"" + shown + "\", not \"" + utf8 + "\"\n";
    };
    text(IDC_TEMPERATURE, form.temperatureText, "temperature");
    text(IDC_EFFECT_NAME, fromSystemCodePage(form.effectName), "effect name");
    text(IDC_SIMULATOR_PATH, form.simulatorPath, "simulator path");
    const auto box = [&](int id, bool ticked, std::string_view name) {
        if ((send(GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED) != ticked)
            unlike += std::string(name) + (ticked ? " is not ticked\n" : " is ticked\n");
    };
    for (std::size_t i = 0; i < kEngineTypeCount; ++i)
        box(kEngineTypes[i].controlId, form.engines[i], kEngineTypes[i].cliName);
    box(IDC_FLYABLE, form.flyable, "flyable");
    return unlike;
}

int answerYes(const std::string& exe, const std::string& writable) {
    installSystemCodePage();
    App app;
    // A character beyond ASCII: the effect name is held in the ANSI code page and crosses the
    // command line as UTF-8, which a copy that took it as it came would write garbled.
    const std::optional<std::string> effect = inSystemCodePage("fx_\xC3\x89lan");
    if (!effect)
        return fail(app, "the system's code page has no \xC3\x89");
    FormValues form;
    form.temperatureText = "-33";
    form.engine(kEnginePiston) = true;
    form.engine(kEngineHeloTurbine) = true;
    form.flyable = true;
    form.effectName = *effect;
    // Blanks, brackets and a closing backslash, as a path under Program Files has them: the
    // quoting must hand each back whole.
    form.simulatorPath = writable + "\\Program Files (x86)\\Elevated Sim\\";
    PatchOptions options;
    if (optionsFromForm(form, options))
        return fail(app, "the form is refused");

    // The effect file is there, under its name in UTF-8 as the file system gives it: the summary
    // has no missing-effect line.
    const std::string effectFile = "Effects/fx_\xC3\x89lan.fx";
    writeFile(std::filesystem::path(form.simulatorPath) /
                  std::filesystem::path(std::u8string(effectFile.begin(), effectFile.end())),
              "effect");
    struct Aircraft {
        const char* folder;
        std::string bytes;
        bool flyable;
    };
    const Aircraft fleet[] = {
        {"Piston", sampleAircraft("Piston", kEnginePiston, "\r\n"), false},
        // Treated by an earlier run with the defaults: an unticked jet loses its contrail.
        {"Jet", patched(sampleAircraft("Jet", kEngineJet, "\r\n")), false},
        {"Rotor", sampleAircraft("Rotor", kEngineHeloTurbine), true},
    };
    TreeFiles expected{{effectFile, "effect"}};
    ScanTotals totals;
    for (const Aircraft& aircraft : fleet) {
        const std::string at = std::string("SimObjects/Airplanes/") + aircraft.folder + "/";
        writeFile(form.simulatorPath + at + kAircraftFileName, aircraft.bytes);
        if (aircraft.flyable)
            std::filesystem::create_directories(form.simulatorPath + at + "panel");
        StringSink output;
        const RewriteResult result = rewriteFile(options, aircraft.bytes, output).result;
        expected[at + kAircraftFileName] = output.data();
        if (output.data() != aircraft.bytes)
            expected[at + kBackupFileName] = aircraft.bytes;
        ++(aircraft.flyable ? totals.flyableAircraft : totals.aiAircraft);
        totals.contrailsAdded += result.contrailsAdded;
        totals.temperaturesChanged += result.temperaturesChanged;
    }

    if (!start(app, exe, ".", toWide(windowsCommandLine(startArguments(form)))))
        return fail(app, "the dialog did not open");
    // Nobody clicks Start: the summary comes up by itself or not at all.
    const MessageBoxSeen seen = answerMessageBox(app);
    if (seen.window == nullptr)
        return fail(app, "no summary box: the run did not start by itself");
    if (narrow(seen.text) != summaryText(totals))
        return fail(app,
                    "the summary box says\n" + narrow(seen.text) + "\nnot\n" + summaryText(totals));
    const TreeFiles after = snapshotTree(form.simulatorPath);
    std::string differing;
    for (const auto& [path, bytes] : after)
        if (!expected.contains(path) || expected.at(path) != bytes)
            differing += "  " + path + "\n";
    for (const auto& [path, bytes] : expected)
        if (!after.contains(path))
            differing += "  " + path + " (missing)\n";
    if (!differing.empty())
        return fail(app, "the tree is not what the form's options make of it:\n" + differing);
    if (const std::string unlike = fieldsUnlike(app.dialog, form); !unlike.empty())
        return fail(app, "the fields are not the form's:\n" + unlike);
    if (closeDialog(app) != 0)
        return 1;
    std::printf("administrator offer: what Yes starts ran at once with the form:\n%s\n",
                narrow(seen.text).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 4 ? argv[1] : "";
    if (mode == "no")
        return answerNo(argv[2], argv[3]);
    if (mode == "yes")
        return answerYes(argv[2], argv[3]);
    std::fprintf(stderr, "usage: admin_offer_driver no|yes CIRROWISP_EXE FOLDER\n");
    return 2;
}
