#include "platform/win32_open_files.h"

// windows.h first: aclapi.h relies on its types.
#include <aclapi.h>

#include <future>
#include <limits>
#include <string_view>

#include "platform/flush_workers.h"
#include "platform/long_path.h"
#include "platform/system_code_page.h"
#include "platform/win32_text.h"

namespace cirrowisp {

FileErrorKind win32ErrorKind(DWORD error) {
    return error == ERROR_ACCESS_DENIED ? FileErrorKind::accessDenied : FileErrorKind::other;
}

[[noreturn]] void throwWin32Error(const std::string& path, DWORD error) {
    throw FileError(path, systemErrorText(error), win32ErrorKind(error));
}

[[noreturn]] void throwLastWin32Error(const std::string& path) {
    throwWin32Error(path, GetLastError());
}

HANDLE openShared(const std::wstring& name, DWORD access, DWORD share, DWORD disposition,
                  DWORD flags) {
    HANDLE file = INVALID_HANDLE_VALUE;
    retryWhileShared([&] {
        file = CreateFileW(name.c_str(), access, share, nullptr, disposition, flags, nullptr);
        return file != INVALID_HANDLE_VALUE;
    });
    return file;
}

std::wstring systemPath(const std::string& path) {
    return toWide(extendedLengthPath(path));
}

namespace {

class Win32Listing : public DirectoryListing {
public:
    Win32Listing(HANDLE find, const WIN32_FIND_DATAW& first) : find_(find), data_(first) {}
    ~Win32Listing() override { FindClose(find_); }
    Win32Listing(const Win32Listing&) = delete;
    Win32Listing& operator=(const Win32Listing&) = delete;

    bool next(DirEntry& entry) override {
        if (!pending_) {
            if (!FindNextFileW(find_, &data_)) {
                return false;
            }
        }
        pending_ = false;
        entry.name = fromWide(data_.cFileName);
        entry.isFolder = (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A symbolic link or a junction; other reparse points (a cloud file's placeholder, a
        // deduplicated file) hold their data in place and are files like any other.
        entry.isLink = (data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                       IsReparseTagNameSurrogate(data_.dwReserved0);
        return true;
    }

private:
    HANDLE find_;
    WIN32_FIND_DATAW data_;
    bool pending_ = true;
};

class Win32InputFile : public InputFile {
public:
    Win32InputFile(HANDLE file, std::string path, bool readOnly)
        : file_(file), path_(std::move(path)), readOnly_(readOnly) {}
    ~Win32InputFile() override { CloseHandle(file_); }
    Win32InputFile(const Win32InputFile&) = delete;
    Win32InputFile& operator=(const Win32InputFile&) = delete;

    bool readOnly() const override { return readOnly_; }

    std::size_t read(char* buffer, std::size_t size) override {
        const DWORD ask = size > std::numeric_limits<DWORD>::max() / 2
                              ? std::numeric_limits<DWORD>::max() / 2
                              : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!ReadFile(file_, buffer, ask, &got, nullptr)) {
            throwLastWin32Error(path_);
        }
        return got;
    }

private:
    HANDLE file_;
    std::string path_;
    bool readOnly_;
};

// The attributes a new file takes from the one it stands in for. Read-only is not among them:
// a file that has it is left alone before anything is written.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool daclProtected(PSECURITY_DESCRIPTOR descriptor) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    return GetSecurityDescriptorControl(descriptor, &control, &revision) &&
           (control & SE_DACL_PROTECTED) != 0;
}

// The entries of an access list, as bytes.
std::string_view aceBytes(ACL* acl) {
    ACL_SIZE_INFORMATION size{};
    if (!GetAclInformation(acl, &size, sizeof size, AclSizeInformation)) {
        return {};
    }
    return {reinterpret_cast<const char*>(acl) + sizeof(ACL), size.AclBytesInUse - sizeof(ACL)};
}

// Whether `file` already has the access list `dacl` (null: none, which lets everyone in),
// protected or not as `isProtected` says. No when its own cannot be read.
bool hasAccessList(HANDLE file, ACL* dacl, bool isProtected) {
    PACL own = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &own,
                        nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool sameEntries = own == nullptr || dacl == nullptr
                                 ? own == dacl
                                 : own->AclRevision == dacl->AclRevision &&
                                       own->AceCount == dacl->AceCount &&
                                       aceBytes(own) == aceBytes(dacl);
    const bool same = sameEntries && daclProtected(descriptor) == isProtected;
    LocalFree(descriptor);
    return same;
}

class Win32OutputFile : public OutputFile {
public:
    Win32OutputFile(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}
    ~Win32OutputFile() override {
        if (flushed_.valid()) {
            flushed_.wait();  // the handle stays open until its flush is over
        }
        if (file_ != INVALID_HANDLE_VALUE) {
            CloseHandle(file_);
        }
    }
    Win32OutputFile(const Win32OutputFile&) = delete;
    Win32OutputFile& operator=(const Win32OutputFile&) = delete;

    void write(const char* data, std::size_t size) override {
        while (size > 0) {
            const DWORD ask = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD put = 0;
            if (!WriteFile(file_, data, ask, &put, nullptr)) {
                throwLastWin32Error(path_);
            }
            data += put;
            size -= put;
        }
    }

    void copyPropertiesFrom(const std::string& path) override {
        // The access list only: owner and group stay the creator's, as a copy's would, and
        // setting another owner takes a privilege the pilot does not hold. Inherited entries
        // come from the folder both files share; "protected" says whether the old file took
        // them at all.
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        std::wstring source = systemPath(path);
        DWORD error =
            GetNamedSecurityInfoW(source.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, &dacl, nullptr, &descriptor);
        if (error == ERROR_SUCCESS) {
            const bool isProtected = daclProtected(descriptor);
            // Most files hold only what the folder hands down, as the new one already does.
            // Setting the list anyway is the costliest step of a first run (the system works
            // the folder's inheritance out again; under Wine it took half the run), so equal
            // lists are left as they are.
            if (!hasAccessList(file_, dacl, isProtected)) {
                const SECURITY_INFORMATION what =
                    DACL_SECURITY_INFORMATION |
                    (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                                 : UNPROTECTED_DACL_SECURITY_INFORMATION);
                error =
                    SetSecurityInfo(file_, SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
            }
            LocalFree(descriptor);
            // A file system without access lists (FAT, some shares) has nothing to keep.
            if (error != ERROR_SUCCESS && error != ERROR_NOT_SUPPORTED &&
                error != ERROR_INVALID_FUNCTION) {
                throwWin32Error(path_, error);
            }
        } else if (error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION) {
            throwWin32Error(path, error);
        }
        const DWORD attributes = GetFileAttributesW(source.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            throwLastWin32Error(path);
        }
        const DWORD wanted = attributes & kCopiedAttributes;
        FILE_BASIC_INFO own{};
        if (GetFileInformationByHandleEx(file_, FileBasicInfo, &own, sizeof own) &&
            (own.FileAttributes & kCopiedAttributes) == wanted) {
            return;
        }
        FILE_BASIC_INFO basic{};  // times of zero stay as they are
        basic.FileAttributes = wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL;
        if (!SetFileInformationByHandle(file_, FileBasicInfo, &basic, sizeof basic)) {
            throwLastWin32Error(path_);
        }
    }

    void startFlush() noexcept override {
        if (!flushed_.valid()) {
            flushed_ = FlushWorkers::shared().run([file = file_] {
                return FlushFileBuffers(file) ? 0 : static_cast<int>(GetLastError());
            });
        }
    }

    void close() override {
        // The file is renamed over aircraft.cfg next: its bytes must be on the disk first.
        HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        DWORD error = ERROR_SUCCESS;
        if (flushed_.valid()) {
            error = static_cast<DWORD>(flushed_.get());
        } else if (!FlushFileBuffers(file)) {
            error = GetLastError();
        }
        if (error != ERROR_SUCCESS) {
            CloseHandle(file);
            throw FileError(path_, systemErrorText(error));
        }
        if (!CloseHandle(file)) {
            throwLastWin32Error(path_);
        }
    }

private:
    HANDLE file_;
    std::string path_;
    std::future<int> flushed_;  // the flush startFlush() handed to the workers
};

}  // namespace

std::unique_ptr<DirectoryListing> makeWin32Listing(HANDLE find, const WIN32_FIND_DATAW& first) {
    return std::make_unique<Win32Listing>(find, first);
}

std::unique_ptr<InputFile> makeWin32InputFile(HANDLE file, std::string path, bool readOnly) {
    return std::make_unique<Win32InputFile>(file, std::move(path), readOnly);
}

std::unique_ptr<OutputFile> makeWin32OutputFile(HANDLE file, std::string path) {
    return std::make_unique<Win32OutputFile>(file, std::move(path));
}

}  // namespace cirrowisp
