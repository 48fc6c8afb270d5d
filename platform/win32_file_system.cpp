#include "platform/win32_file_system.h"

#include <optional>
#include <string>
#include <system_error>

#include "platform/host_file_system.h"
#include "platform/system_code_page.h"
#include "platform/win32_open_files.h"
#include "platform/win32_text.h"

namespace cirrowisp {

std::unique_ptr<DirectoryListing> Win32FileSystem::listFolder(const std::string& path) {
    std::wstring pattern = systemPath(path);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') {
        pattern += L'\\';
    }
    pattern += L'*';
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return makeWin32Listing(find, data);
}

std::unique_ptr<InputFile> Win32FileSystem::openRead(const std::string& path) {
    // Share mode 0: a file another program holds open is "not openable", as the simulator's
    // tools have always treated it. Opening a folder this way fails, as it should.
    // One held for good (the simulator's own) is skipped after the retries' two seconds.
    HANDLE file = openShared(systemPath(path), GENERIC_READ, 0, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    // The attributes alone: GetFileInformationByHandle also asks the volume for its serial
    // number, which Wine answers through its mount manager (another process) for every file.
    FILE_BASIC_INFO basic{};
    const bool readOnly = GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
                          (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return makeWin32InputFile(file, path, readOnly);
}

namespace {

HANDLE createNew(const std::wstring& name) {
    // CREATE_NEW fails on any name that exists; FILE_FLAG_OPEN_REPARSE_POINT makes a link or a
    // junction count as the name itself rather than lead to its target.
    // READ_CONTROL and WRITE_DAC: the file takes the access list of the one it stands in for
    // (copyPropertiesFrom), which its creator may always read and set.
    return openShared(name, GENERIC_WRITE | READ_CONTROL | WRITE_DAC, 0, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
}

// The path the system resolved an open handle to; empty when it cannot say.
std::wstring finalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
}

// Whether `handle`, opened as `name`, is that entry of its folder and not what a link under the
// name points to. Wine shows a Unix link to a file as a plain file and follows it even when
// asked not to, so that removing or renaming it would remove or move its target; its final
// path gives it away. Where the system cannot tell, the attributes already said: no link.
bool isEntryItself(HANDLE handle, const std::wstring& name) {
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return true;
    }
    HANDLE folder = CreateFileW(name.substr(0, slash).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        return true;
    }
    const std::wstring folderPath = finalPath(folder);
    CloseHandle(folder);
    const std::wstring actual = finalPath(handle);
    if (folderPath.empty() || actual.empty()) {
        return true;
    }
    const std::wstring expected = folderPath + L"\\" + name.substr(slash + 1);
    return CompareStringOrdinal(expected.c_str(), static_cast<int>(expected.size()), actual.c_str(),
                                static_cast<int>(actual.size()), TRUE) == CSTR_EQUAL;
}

constexpr const char* kHiddenLink =
    "a link stands under this name (a Unix link under Wine), which cannot be removed here "
    "without removing what it points to";

// Removes the entry `name` itself: a file, or a link or junction (to a file or a folder) and
// never its target. A folder proper stays. Returns why it could not, or nothing.
std::optional<std::string> removeEntry(const std::wstring& name) {
    HANDLE entry = openShared(name, DELETE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
    if (entry == INVALID_HANDLE_VALUE) {
        return systemErrorText(GetLastError());
    }
    std::optional<std::string> reason;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!GetFileInformationByHandle(entry, &info)) {
        reason = systemErrorText(GetLastError());
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
               (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        reason = systemErrorText(ERROR_FILE_EXISTS);
    } else if (!isEntryItself(entry, name)) {
        // Windows opened a link or junction as itself; Wine may have followed it.
        reason = kHiddenLink;
    }
    if (!reason &&
        !SetFileInformationByHandle(entry, FileDispositionInfo, &disposition, sizeof disposition)) {
        reason = systemErrorText(GetLastError());
    }
    CloseHandle(entry);
    return reason;
}

}  // namespace

std::unique_ptr<OutputFile> Win32FileSystem::createFile(const std::string& path,
                                                        std::string* reason, FileErrorKind* kind) {
    const std::wstring name = systemPath(path);
    HANDLE file = createNew(name);
    std::optional<std::string> why;
    FileErrorKind whyKind = FileErrorKind::other;
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        whyKind = win32ErrorKind(error);
        why = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? removeEntry(name)
                                                                          : systemErrorText(error);
        if (!why) {
            // Should another link appear in between, this fails too and the folder is left
            // alone: nothing is ever written through one.
            file = createNew(name);
            if (file == INVALID_HANDLE_VALUE) {
                whyKind = win32ErrorKind(GetLastError());
                why = systemErrorText(GetLastError());
            }
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        if (reason != nullptr) {
            *reason = why.value_or(std::string());
        }
        if (kind != nullptr) {
            *kind = whyKind;
        }
        return nullptr;
    }
    return makeWin32OutputFile(file, path);
}

void Win32FileSystem::removeFile(const std::string& path) {
    if (const std::optional<std::string> reason = removeEntry(systemPath(path))) {
        throw FileError(path, *reason);
    }
}

void Win32FileSystem::replaceFile(const std::string& from, const std::string& to) {
    const std::wstring source = systemPath(from);
    const std::wstring target = systemPath(to);
    if (!retryWhileShared([&] {
            return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
        })) {
        throwLastWin32Error(from);
    }
}

void Win32FileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    const std::wstring source = systemPath(from);
    const std::wstring target = systemPath(to);
    if (!retryWhileShared([&] { return MoveFileExW(source.c_str(), target.c_str(), 0) != 0; })) {
        const DWORD error = GetLastError();
        throwWin32Error(error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? to : from,
                        error);
    }
}

std::optional<bool> Win32FileSystem::existsAnyCase(const std::string& path) {
    // One question where a listing costs an open, a read of every entry and a close (under
    // Wine, a stat of each entry and five round trips to its server as well).
    if (GetFileAttributesW(systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    // Only "not there" is absent. A name that cannot be asked about (access denied) may well
    // be there: taken for a panel or a half-made file, it errs on the side of leaving alone.
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool Win32FileSystem::isLinkAnyCase(const std::string& path) {
    // The attributes of the entry itself: GetFileAttributesW does not follow a reparse point.
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool Win32FileSystem::canCreateIn(const std::string& /*folder*/) {
    // The read-only attribute does not stop new files in a folder, and asking the access
    // control lists is out of proportion for a dry run: assume yes.
    return true;
}

std::string Win32FileSystem::absolutePath(const std::string& path) {
    // The W call has no MAX_PATH limit; it also applies the system's rules to the name the
    // user typed (separators, "." and "..", trailing dots and spaces), once, here.
    const std::wstring source = toWide(path.empty() ? "." : path);
    std::wstring result(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(source.c_str(), static_cast<DWORD>(result.size()),
                                              result.data(), nullptr);
        if (length == 0) {
            throwLastWin32Error(path);
        }
        if (length < result.size()) {
            result.resize(length);
            return fromWide(result);
        }
        result.resize(length);
    }
}

std::unique_ptr<FileSystem> makeHostFileSystem() {
    // Every front end that runs over the host's files comes through here, so none can forget
    // that the contents are read in the system's code page (the dialog once did).
    installSystemCodePage();
    return std::make_unique<Win32FileSystem>();
}

}  // namespace cirrowisp
