#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "patcher/file_system.h"
#include "platform/sharing_retry.h"

namespace cirrowisp {

// The open files a Win32FileSystem hands out, each owning its handle, and the error and
// retry helpers the two share.

// Whether a Win32 error is a denied access, which the dialog answers with its administrator
// offer.
FileErrorKind win32ErrorKind(DWORD error);

[[noreturn]] void throwWin32Error(const std::string& path, DWORD error);
[[noreturn]] void throwLastWin32Error(const std::string& path);

// Runs `attempt` (a Win32 call that sets the last error when it returns false) again while
// another program's handle refuses it: a virus scanner or an indexer opens a file just written
// for a few hundred milliseconds, sharing nothing, and one such moment must not end a run. The
// last error is the attempt's own when it returns.
template <typename Attempt>
bool retryWhileShared(Attempt attempt) {
    for (unsigned retry = 0;; ++retry) {
        if (attempt()) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) {
            return false;
        }
        const std::optional<std::chrono::milliseconds> pause = sharingRetryPause(retry);
        if (!pause) {
            SetLastError(error);
            return false;
        }
        Sleep(static_cast<DWORD>(pause->count()));
    }
}

// CreateFileW through retryWhileShared.
HANDLE openShared(const std::wstring& name, DWORD access, DWORD share, DWORD disposition,
                  DWORD flags);

// The path as the W calls take it: UTF-16, and past MAX_PATH when it is absolute.
std::wstring systemPath(const std::string& path);

std::unique_ptr<DirectoryListing> makeWin32Listing(HANDLE find, const WIN32_FIND_DATAW& first);
std::unique_ptr<InputFile> makeWin32InputFile(HANDLE file, std::string path, bool readOnly);
std::unique_ptr<OutputFile> makeWin32OutputFile(HANDLE file, std::string path);

}  // namespace cirrowisp
