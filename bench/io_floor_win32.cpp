// The I/O floor through the wide-character Win32 calls: the same operations as io_floor.cpp, as
// the Windows build of a run makes them (paths in the "\\?\" form, files opened without
// sharing), with no rules and no name handling beyond what the calls need.
#include "bench/io_floor.h"

#include "patcher/aircraft_folders.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace cirrowisp::bench {

namespace {

// The core's file names, which are ASCII: widened a byte to a character.
std::wstring inFolder(const std::wstring& folder, const char* name) {
    return folder + L"\\" + std::wstring(name, name + std::char_traits<char>::length(name));
}

[[noreturn]] void fail(const char* what, const std::wstring& path) {
    const DWORD error = GetLastError();
    std::string narrow;
    for (const wchar_t c : path) {
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    }
    throw std::runtime_error(std::string(what) + " " + narrow + ": error " + std::to_string(error));
}

// Closes a handle on every way out of a folder.
class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE handle_;
};

// The run turns an absolute path into the "\\?\" form before every call; Wine and Windows may
// take a different road for it, so the floor does too.
std::wstring systemPath(const std::string& path) {
    std::wstring wide;
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    wide.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                        length);
    for (wchar_t& c : wide) {
        c = c == L'/' ? L'\\' : c;
    }
    const bool driveAbsolute = wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\';
    return driveAbsolute ? L"\\\\?\\" + wide : wide;
}

HANDLE openRead(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

HANDLE create(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

void writeAll(HANDLE file, const char* data, DWORD size, const std::wstring& path) {
    while (size > 0) {
        DWORD put = 0;
        if (!WriteFile(file, data, size, &put, nullptr)) {
            fail("write", path);
        }
        data += put;
        size -= put;
    }
}

// Reads the old file to its end (a read that returns nothing), writing every chunk unchanged to
// the new file and, on a first run, to the backup.
void copyBytes(HANDLE in, HANDLE out, HANDLE backup, std::vector<char>& buffer,
               const std::wstring& path, FloorTotals& totals) {
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            fail("read", path);
        }
        if (got == 0) {
            return;
        }
        totals.bytes += got;
        if (out != INVALID_HANDLE_VALUE) {
            writeAll(out, buffer.data(), got, path);
        }
        if (backup != INVALID_HANDLE_VALUE) {
            writeAll(backup, buffer.data(), got, path);
        }
    }
}

void finishFile(Handle& file, const std::wstring& path, const FloorOptions& options) {
    if (options.sync && !FlushFileBuffers(file.get())) {
        fail("flush", path);
    }
    if (!CloseHandle(file.release())) {
        fail("close", path);
    }
}

void treatFolder(const std::wstring& folder, const FloorOptions& options, std::vector<char>& buffer,
                 FloorTotals& totals) {
    // Windows finds "PANEL" or "Panel" itself: one question, file or folder.
    const bool flyable =
        GetFileAttributesW((folder + L"\\panel").c_str()) != INVALID_FILE_ATTRIBUTES;
    if (flyable && !options.includeFlyable) {
        return;
    }
    const std::wstring cfg = inFolder(folder, kAircraftFileName);
    Handle in(openRead(cfg));
    if (!in.valid()) {
        return;  // missing, a folder, or held open by another program
    }
    if (options.readOnly) {
        ++(flyable ? totals.flyable : totals.treated);
        copyBytes(in.get(), INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, buffer, cfg, totals);
        return;
    }
    const std::wstring fresh = inFolder(folder, kNewAircraftFileName);
    Handle out(create(fresh));
    if (!out.valid()) {
        return;
    }
    ++(flyable ? totals.flyable : totals.treated);

    // A first run keeps a copy of the old bytes, written beside the new file and renamed into
    // place; a later run finds the backup and leaves it alone.
    const std::wstring backup = inFolder(folder, kBackupFileName);
    const std::wstring backupTemp = inFolder(folder, kBackupTempFileName);
    const bool backupExists = GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES;
    Handle copy(backupExists ? INVALID_HANDLE_VALUE : create(backupTemp));
    if (!backupExists && !copy.valid()) {
        fail("create", backupTemp);
    }

    copyBytes(in.get(), out.get(), copy.get(), buffer, cfg, totals);
    finishFile(out, fresh, options);
    if (!backupExists) {
        finishFile(copy, backupTemp, options);
    }
    CloseHandle(in.release());  // opened without sharing: it would block the rename over it

    if (!backupExists) {
        if (!MoveFileExW(backupTemp.c_str(), backup.c_str(), 0)) {
            fail("rename", backupTemp);
        }
        ++totals.backupsMade;
    }
    if (!MoveFileExW(fresh.c_str(), cfg.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        fail("rename", fresh);
    }
}

}  // namespace

FloorTotals ioFloorRun(const FloorOptions& options) {
    FloorTotals totals;
    std::vector<char> buffer(64 * 1024);
    const std::wstring simulator = systemPath(options.simulatorFolder);
    for (const wchar_t* sub : {L"\\SimObjects\\Airplanes", L"\\MyTraffic\\Aircraft"}) {
        const std::wstring root = simulator + sub;
        WIN32_FIND_DATAW entry{};
        HANDLE find = FindFirstFileExW((root + L"\\*").c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, 0);
        if (find == INVALID_HANDLE_VALUE) {
            continue;
        }
        try {
            // "." and ".." are folders like any other to the run, so they are visited here too.
            do {
                // The simulator's "*." search: names without an extension, and "." and "..".
                const std::wstring name = entry.cFileName;
                const bool noExtension = name.find(L'.') == std::wstring::npos;
                const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                // The "\\?\" form takes "." and ".." literally: the run resolves them first.
                if (folder && noExtension) {
                    treatFolder(root + L"\\" + name, options, buffer, totals);
                } else if (folder && name == L".") {
                    treatFolder(root, options, buffer, totals);
                } else if (folder && name == L"..") {
                    treatFolder(root.substr(0, root.rfind(L'\\')), options, buffer, totals);
                }
            } while (FindNextFileW(find, &entry));
        } catch (...) {
            FindClose(find);
            throw;
        }
        FindClose(find);
    }
    return totals;
}

}  // namespace cirrowisp::bench
