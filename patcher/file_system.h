#pragma once

#include <memory>
#include <optional>
#include <string>

#include "patcher/byte_stream.h"
#include "patcher/file_error.h"

namespace cirrowisp {

// One entry of a folder listing. `isFolder` follows links, as the simulator does; `isLink` says
// the entry itself is a symbolic link (or, on Windows, a junction or other name-surrogate
// reparse point), which an archive from a stranger can plant under any name.
struct DirEntry {
    std::string name;
    bool isFolder = false;
    bool isLink = false;
};

// Steps through the entries of one folder, "." and ".." included, in the order the file
// system delivers them.
class DirectoryListing {
public:
    virtual ~DirectoryListing() = default;
    virtual bool next(DirEntry& entry) = 0;
};

// A file opened for reading; read failures throw FileError.
class InputFile : public ByteSource {
public:
    // Whether the file's owner has said it must not be written: the owner's write bit is off
    // (POSIX) or the read-only attribute is set (Windows). Told by those bits alone, not by
    // what this process may do, so a run as root leaves alone what a run as the pilot would.
    virtual bool readOnly() const { return false; }
};

// A file created for writing. Nothing is known to be on disk until close() returns; a write
// or close failure throws FileError. Destroying an unclosed file closes it quietly.
class OutputFile : public ByteSink {
public:
    // Asks the system to start writing what has been written so far to the disk, without
    // waiting for it, so that the close() that follows later finds little left to do. Many
    // files handed this hint before the first of them is closed reach the disk together.
    virtual void startWriteBack() {}
    // Starts the flush that close() finishes, without waiting for it, so that the flushes of
    // many files can be under way at once and the disk can serve them together. close() still
    // waits for it and reports its failure. Never throws: where it cannot start, close()
    // flushes as it always does.
    virtual void startFlush() noexcept {}
    // Gives this file the permissions of the file at `path`: its mode and, where the process
    // may set it, its group (POSIX); its security descriptor's access list and its attributes,
    // the read-only one aside (Windows). A file made new takes the folder's defaults (umask,
    // inherited entries), which can be wider than the pilot's; setting them before the rename
    // keeps that rename the one step that changes aircraft.cfg. Throws FileError.
    virtual void copyPropertiesFrom(const std::string& /*path*/) {}
    // Waits until every byte is on the disk, then closes.
    virtual void close() = 0;
};

// The file operations a run needs, addressed by full host paths (UTF-8 on Windows, whatever
// the system's code page). One real implementation per host, plus fakes for tests.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The folder's entries, or nullptr when it does not exist or cannot be entered.
    virtual std::unique_ptr<DirectoryListing> listFolder(const std::string& path) = 0;
    // nullptr when the file cannot be opened: missing, a folder, no permission, or held open
    // by another program (Windows opens without sharing).
    virtual std::unique_ptr<InputFile> openRead(const std::string& path) = 0;
    // Creates the file new, as our own: a file or link already under that name is removed first
    // (a link itself, never what it points to), and the creation refuses to follow a link that
    // appears in its place, so no byte written can land outside the folder. nullptr when the
    // file cannot be created (a read-only folder, a folder of that name), with the system's
    // reason in `reason` and whether it was a denied access in `kind`, when the caller wants them.
    virtual std::unique_ptr<OutputFile> createFile(const std::string& path,
                                                   std::string* reason = nullptr,
                                                   FileErrorKind* kind = nullptr) = 0;
    // Deletes a file; throws FileError on failure.
    virtual void removeFile(const std::string& path) = 0;
    // Renames `from` over `to` in one atomic step, replacing `to`; throws FileError.
    virtual void replaceFile(const std::string& from, const std::string& to) = 0;
    // Renames `from` to `to` only if `to` does not exist; throws FileError (name taken too).
    virtual void renameNoReplace(const std::string& from, const std::string& to) = 0;
    // Whether a file or folder of this name exists, on a file system that finds names in any
    // case by itself (Windows): there a run asks for the few names it needs instead of reading
    // every folder's listing. nullopt where only a listing can say (names are case-sensitive).
    virtual std::optional<bool> existsAnyCase(const std::string& /*path*/) { return std::nullopt; }
    // Where existsAnyCase answers: whether the entry of this name is itself a link (a symbolic
    // link or a junction), which a listing would have said. An entry that cannot be asked about
    // counts as one, so that a backup nobody can vouch for is never taken for ours.
    virtual bool isLinkAnyCase(const std::string& /*path*/) { return false; }
    // Whether createFile in `folder` can be expected to work, asked without creating anything:
    // a dry run uses it to skip the read-only folders that a real run would skip.
    virtual bool canCreateIn(const std::string& folder) = 0;
    // `path` made absolute against the current working directory, with the host's separators.
    virtual std::string absolutePath(const std::string& path) = 0;
    // The host's folder separator.
    virtual char separator() const = 0;
};

}  // namespace cirrowisp
