#include "ui/win32/win32_support.h"

#include <shellapi.h>

#include <vector>

#include "platform/win32_text.h"

namespace cirrowisp::win32 {

namespace {

// The module path may be longer than MAX_PATH; grow until it fits.
std::wstring modulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string applicationName() {
    std::string name = fromWide(modulePath());
    const std::size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot != 0)
        name.erase(dot);
    return name;
}

bool startAsAdministrator(HWND owner, const std::string& parameters) {
    const std::wstring program = modulePath();
    const std::wstring wideParameters = toWide(parameters);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC;
    start.hwnd = owner;
    start.lpVerb = L"runas";
    start.lpFile = program.c_str();
    start.lpParameters = wideParameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&start) != FALSE;
}

int showMessage(HWND owner, const std::string& text, UINT type) {
    return MessageBoxW(owner, toWide(text).c_str(), toWide(applicationName()).c_str(), type);
}

std::string controlText(HWND control) {
    const int length = GetWindowTextLengthA(control);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string controlTextUtf8(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return fromWide(text);
}

WaitCursor::WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}

WaitCursor::~WaitCursor() {
    restore();
}

void WaitCursor::restore() {
    if (!active_)
        return;
    active_ = false;
    SetCursor(previous_ ? previous_ : LoadCursor(nullptr, IDC_ARROW));
}

}  // namespace cirrowisp::win32
