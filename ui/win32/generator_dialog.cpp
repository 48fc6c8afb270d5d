#include "ui/win32/generator_dialog.h"

#include <exception>

#include "patcher/engine_types.h"
#include "platform/win32_text.h"
#include "res/resource.h"
#include "ui/common/restore_action.h"
#include "ui/common/start_arguments.h"
#include "ui/win32/about_dialog.h"
#include "ui/win32/win32_support.h"

namespace cirrowisp::win32 {

namespace {

// The resource script places the engine check boxes by their ids in resource.h, the code finds
// them through the table: both must name the same controls.
static_assert(kEngineTypes[engineTypeIndex(kEnginePiston)].controlId == IDC_PISTON);
static_assert(kEngineTypes[engineTypeIndex(kEngineJet)].controlId == IDC_JET);
static_assert(kEngineTypes[engineTypeIndex(kEngineNone)].controlId == IDC_NONE);
static_assert(kEngineTypes[engineTypeIndex(kEngineHeloTurbine)].controlId == IDC_HELO_TURBINE);
static_assert(kEngineTypes[engineTypeIndex(kEngineRocket)].controlId == IDC_ROCKET);
static_assert(kEngineTypes[engineTypeIndex(kEngineTurboprop)].controlId == IDC_TURBOPROP);

void setCheck(HWND dialog, int id, bool ticked) {
    CheckDlgButton(dialog, id, ticked ? BST_CHECKED : BST_UNCHECKED);
}

bool isChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

HWND focusTarget(HWND dialog, FormField field) {
    switch (field) {
        case FormField::temperature:
            return GetDlgItem(dialog, IDC_TEMPERATURE);
    }
    return nullptr;
}

}  // namespace

GeneratorDialog::GeneratorDialog(FileSystem& fileSystem)
    : fileSystem_(fileSystem), simulators_(fileSystem) {
    // options_ holds its defaults and an empty path by now; the icon comes next, then the one
    // lookup whose answer the path field starts with.
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    icon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0,
                                          0, LR_DEFAULTSIZE | LR_SHARED));
    // The icon group carries a drawn 16 x 16 image; taking it keeps the caption icon crisp
    // instead of shrinking the large one.
    smallIcon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    options_.simulatorPath = simulators_.current().folder;
}

INT_PTR GeneratorDialog::doModal(HWND owner) {
    // A Unicode dialog: its path field takes typed and pasted characters of any script.
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GENERATOR_DIALOG), owner,
                           &dialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK GeneratorDialog::dialogProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<GeneratorDialog*>(lParam)->window_ = window;
    }
    auto* self = reinterpret_cast<GeneratorDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self)
        return FALSE;
    // Nothing may unwind through the window manager's frames; whatever escapes a handler is
    // reported here and the dialog stays usable.
    try {
        return self->handle(message, wParam, lParam);
    } catch (const std::exception& error) {
        showMessage(window, error.what(), MB_OK | MB_ICONSTOP);
    } catch (...) {
        showMessage(window, "An unexpected error occurred.", MB_OK | MB_ICONSTOP);
    }
    return TRUE;
}

INT_PTR GeneratorDialog::handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            onInitDialog();
            return TRUE;  // the focus goes to the first tab stop: Cancel
        case WM_SYSCOMMAND:
            return onSysCommand(wParam) ? TRUE : FALSE;
        case WM_PAINT:
            return onPaint() ? TRUE : FALSE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_START:
                    if (HIWORD(wParam) == BN_CLICKED)
                        onStart();
                    return TRUE;
                case IDCANCEL:
                    EndDialog(window_, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

void GeneratorDialog::onInitDialog() {
    showForm(startForm_ ? *startForm_ : formFromOptions(options_));
    if (startForm_) {
        // Posted, so the dialog is on screen before the run and its message box.
        PostMessageW(window_, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    }

    if (HMENU systemMenu = GetSystemMenu(window_, FALSE)) {
        char text[256] = {};
        if (LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, text, sizeof text) > 0) {
            AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            addSimulatorMenu(systemMenu);
            char restore[256] = {};
            if (LoadStringA(GetModuleHandleA(nullptr), IDS_RESTORE, restore, sizeof restore) > 0)
                AppendMenuA(systemMenu, MF_STRING, IDM_RESTORE, restore);
            AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
        }
    }
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(window_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : icon_));
}

// One radio item per installation found, the chosen one marked; nothing when none is.
void GeneratorDialog::addSimulatorMenu(HMENU systemMenu) {
    const std::size_t count = simulators_.installations().size();
    if (count == 0)
        return;
    simulatorMenu_ = CreatePopupMenu();
    for (std::size_t i = 0; i < count && IDM_SIMULATOR + 16 * i < IDM_SIMULATOR_LIMIT; ++i) {
        AppendMenuW(simulatorMenu_, MF_STRING, IDM_SIMULATOR + 16 * i,
                    toWide(simulators_.itemText(i)).c_str());
    }
    // Only marked: the path field keeps the text the lookup gave it.
    if (const auto chosen = simulators_.chosenItem()) {
        markSimulator(*chosen);
    }
    char caption[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_SIMULATOR, caption, sizeof caption);
    AppendMenuA(systemMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(simulatorMenu_), caption);
}

void GeneratorDialog::markSimulator(std::size_t item) {
    const UINT last =
        static_cast<UINT>(IDM_SIMULATOR + 16 * (simulators_.installations().size() - 1));
    CheckMenuRadioItem(simulatorMenu_, IDM_SIMULATOR, last,
                       static_cast<UINT>(IDM_SIMULATOR + 16 * item), MF_BYCOMMAND);
}

void GeneratorDialog::onSimulatorChosen(std::size_t item) {
    markSimulator(item);
    SetDlgItemTextW(window_, IDC_SIMULATOR_PATH, toWide(simulators_.choose(item).folder).c_str());
}

bool GeneratorDialog::onSysCommand(WPARAM command) {
    const WPARAM id = command & 0xFFF0;
    if (id >= IDM_SIMULATOR && id < IDM_SIMULATOR_LIMIT && simulatorMenu_ != nullptr) {
        const std::size_t item = (id - IDM_SIMULATOR) / 16;
        if (item < simulators_.installations().size()) {
            onSimulatorChosen(item);
            return true;
        }
    }
    if ((command & 0xFFF0) == IDM_RESTORE) {
        onRestore();
        return true;
    }
    if ((command & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    AboutDialog about;
    about.doModal(window_);
    return true;
}

bool GeneratorDialog::onPaint() {
    if (!IsIconic(window_))
        return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(window_, &paint);
    return true;
}

void GeneratorDialog::onStart() {
    WaitCursor wait;
    const FormValues form = readForm();
    const StartOutcome outcome =
        runStart(form, options_, fileSystem_, simulators_.current().configFile);
    wait.restore();
    if (outcome.accessDenied && outcome.kind != StartOutcome::Kind::refused) {
        offerAdministrator(outcome.message, form);
        return;
    }
    switch (outcome.kind) {
        case StartOutcome::Kind::refused:
            showMessage(window_, outcome.message, MB_OK | MB_ICONEXCLAMATION);
            if (HWND control = focusTarget(window_, outcome.focus)) {
                // Like a tab into the field: focus and the whole value selected for retyping.
                SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
                SendMessageA(control, EM_SETSEL, 0, -1);
            }
            break;
        case StartOutcome::Kind::finished:
            showMessage(window_, outcome.message, MB_OK | MB_ICONINFORMATION);
            break;
        case StartOutcome::Kind::failed:
            showMessage(window_, outcome.message, MB_OK | MB_ICONEXCLAMATION);
            break;
    }
}

// Nothing runs elevated unless the pilot says Yes; No (the default) leaves it at the message.
void GeneratorDialog::offerAdministrator(const std::string& message, const FormValues& form) {
    if (showMessage(window_, message + administratorOfferText(),
                    MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return;
    if (startAsAdministrator(window_, windowsCommandLine(startArguments(form))))
        EndDialog(window_, IDCANCEL);  // the elevated copy carries on with the same form
}

// The system menu's Restore item: asks, then restores with the form's path and flyable choice;
// the summary and a file error show as a run's do.
void GeneratorDialog::onRestore() {
    const FormValues form = readForm();
    if (showMessage(window_, restoreQuestionText(form),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    WaitCursor wait;
    const RestoreOutcome outcome =
        runRestoreFromForm(form, fileSystem_, simulators_.current().configFile);
    wait.restore();
    const bool clean = outcome.kind == RestoreOutcome::Kind::finished;
    showMessage(window_, outcome.message,
                clean ? MB_OK | MB_ICONINFORMATION : MB_OK | MB_ICONEXCLAMATION);
}

void GeneratorDialog::showForm(const FormValues& form) {
    SetDlgItemTextA(window_, IDC_TEMPERATURE, form.temperatureText.c_str());
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        setCheck(window_, kEngineTypes[i].controlId, form.engines[i]);
    }
    setCheck(window_, IDC_FLYABLE, form.flyable);
    SetDlgItemTextA(window_, IDC_EFFECT_NAME, form.effectName.c_str());
    SetDlgItemTextW(window_, IDC_SIMULATOR_PATH, toWide(form.simulatorPath).c_str());
}

FormValues GeneratorDialog::readForm() const {
    FormValues form;
    form.temperatureText = controlText(GetDlgItem(window_, IDC_TEMPERATURE));
    for (std::size_t i = 0; i < kEngineTypeCount; ++i) {
        form.engines[i] = isChecked(window_, kEngineTypes[i].controlId);
    }
    form.flyable = isChecked(window_, IDC_FLYABLE);
    form.effectName = controlText(GetDlgItem(window_, IDC_EFFECT_NAME));
    form.simulatorPath = controlTextUtf8(GetDlgItem(window_, IDC_SIMULATOR_PATH));
    return form;
}

}  // namespace cirrowisp::win32
