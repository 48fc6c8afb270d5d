#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "platform/host_file_system.h"
#include "platform/overlay_file_system.h"
#include "platform/sharing_retry.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/temp_tree.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// windows.h first: these rely on its types.
#include <aclapi.h>
#include <sddl.h>

#include "patcher/aircraft_scan.h"
#else
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "platform/linux_file_system.h"
#endif

namespace cirrowisp {
namespace {

using testing::TempTree;

std::string readAll(InputFile& file) {
    std::string bytes;
    char buffer[7];
    for (std::size_t got; (got = file.read(buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, got);
    }
    return bytes;
}

std::set<std::string> names(FileSystem& fs, const std::string& folder) {
    std::set<std::string> result;
    auto listing = fs.listFolder(folder);
    DirEntry entry;
    while (listing && listing->next(entry)) {
        result.insert(entry.name + (entry.isFolder ? "/" : ""));
    }
    return result;
}

class HostFileSystem : public ::testing::Test {
protected:
    std::string at(const std::string& relative) const {
        return tree.path() + fs->separator() + relative;
    }
    TempTree tree;
    std::unique_ptr<FileSystem> fs = makeHostFileSystem();
};

TEST_F(HostFileSystem, ListsFoldersWithDotEntries) {
    tree.write("a/file.cfg", "x");
    tree.folder("a/sub");
    EXPECT_EQ(names(*fs, at("a")), (std::set<std::string>{"./", "../", "file.cfg", "sub/"}));
    EXPECT_EQ(fs->listFolder(at("missing")), nullptr);
    // More entries than one read of the folder returns.
    std::set<std::string> many{"./", "../"};
    for (int i = 0; i < 1500; ++i) {
        const std::string name = std::string(60, 'n') + std::to_string(i);
        tree.write("many/" + name, "");
        many.insert(name);
    }
    EXPECT_EQ(names(*fs, at("many")), many);
}

TEST_F(HostFileSystem, OpenReadRefusesFoldersAndMissingFiles) {
    tree.folder("folder");
    tree.write("file", "bytes\r\n");
    EXPECT_EQ(fs->openRead(at("folder")), nullptr);
    EXPECT_EQ(fs->openRead(at("missing")), nullptr);
    auto file = fs->openRead(at("file"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(readAll(*file), "bytes\r\n");
}

TEST_F(HostFileSystem, OpenReadTellsTheOwnersReadOnlyMark) {
    // The owner's write bit on POSIX; on Windows the standard library turns it into the
    // read-only attribute, which the open must find among the file's other attributes.
    namespace stdfs = std::filesystem;
    const struct {
        const char* name;
        bool readOnly;
    } rows[] = {{"writable", false}, {"read-only", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tree.write(row.name, "x");
        const stdfs::path path = stdfs::path(tree.path()) / row.name;
        if (row.readOnly) {
            stdfs::permissions(
                path,
                stdfs::perms::owner_write | stdfs::perms::group_write | stdfs::perms::others_write,
                stdfs::perm_options::remove);
        }
        auto file = fs->openRead(at(row.name));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->readOnly(), row.readOnly);
        file.reset();
        stdfs::permissions(path, stdfs::perms::owner_write, stdfs::perm_options::add);
    }
}

TEST_F(HostFileSystem, CreateTruncatesOrSaysWhyNot) {
    tree.write("file", "old contents");
    auto out = fs->createFile(at("file"));
    ASSERT_NE(out, nullptr);
    out->write("new", 3);
    out->close();
    EXPECT_EQ(tree.read("file"), "new");
    std::string reason;
    EXPECT_EQ(fs->createFile(at("missing") + fs->separator() + "file", &reason), nullptr);
    EXPECT_FALSE(reason.empty());
}

// A batch starts every file's flush before it closes the first; a file given up instead (the
// run failed) must still be closed once its flush is done, and nothing of either lost.
TEST_F(HostFileSystem, FlushStartedBeforeCloseKeepsEveryByte) {
    auto kept = fs->createFile(at("kept"));
    auto dropped = fs->createFile(at("dropped"));
    ASSERT_TRUE(kept && dropped);
    kept->write("kept", 4);
    dropped->write("dropped", 7);
    kept->startFlush();
    dropped->startFlush();
    dropped.reset();
    kept->close();
    EXPECT_EQ(tree.files(),
              (std::map<std::string, std::string>{{"dropped", "dropped"}, {"kept", "kept"}}));
}

TEST_F(HostFileSystem, RenamesReplaceOrRefuseTakenNames) {
    tree.write("a", "A");
    tree.write("b", "B");
    tree.write("c", "C");
    try {
        fs->renameNoReplace(at("a"), at("b"));
        FAIL() << "renamed over a taken name";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), at("b"));
        EXPECT_FALSE(error.reason().empty());
    }
    EXPECT_EQ(tree.files(),
              (std::map<std::string, std::string>{{"a", "A"}, {"b", "B"}, {"c", "C"}}));
    fs->renameNoReplace(at("a"), at("d"));
    fs->replaceFile(at("c"), at("b"));
    EXPECT_EQ(tree.files(), (std::map<std::string, std::string>{{"b", "C"}, {"d", "A"}}));
    // A replacing rename that fails says so: the caller would otherwise remove the backup's
    // source or report a file as written that never took its place.
    try {
        fs->replaceFile(at("missing"), at("b"));
        FAIL() << "a replacing rename of a missing file succeeded";
    } catch (const FileError& error) {
        EXPECT_FALSE(error.reason().empty());
    }
    EXPECT_EQ(tree.files(), (std::map<std::string, std::string>{{"b", "C"}, {"d", "A"}}));
    EXPECT_THROW(fs->removeFile(at("a")), FileError);
    fs->removeFile(at("d"));
    EXPECT_FALSE(tree.exists("d"));
}

// Windows' narrow calls turn every character outside the ANSI code page into '?', and the
// listed name then opens nothing.
TEST_F(HostFileSystem, NamesInAnyScriptAreListedAndFoundByEveryOperation) {
    for (const std::string name : {"\xD0\xA2\xD1\x83-154\xD0\x9C", "\xE6\x97\xA5\xE6\x9C\xAC_B767",
                                   "Cr\xC3\xA8me_A340", "\xF0\x9F\x9B\xA9_Skyhawk"}) {
        SCOPED_TRACE(name);
        tree.write(name + "/" + name + ".cfg", "old");
        EXPECT_THAT(names(*fs, tree.path()), ::testing::Contains(name + "/"));
        EXPECT_EQ(names(*fs, at(name)), (std::set<std::string>{"./", "../", name + ".cfg"}));
        const std::string file = at(name) + fs->separator() + name + ".cfg";
        const std::string other = at(name) + fs->separator() + "new_" + name;
        auto in = fs->openRead(file);
        ASSERT_NE(in, nullptr);
        EXPECT_EQ(readAll(*in), "old");
        in.reset();
        auto out = fs->createFile(other);
        ASSERT_NE(out, nullptr);
        out->write("new", 3);
        out->close();
        fs->replaceFile(other, file);
        EXPECT_EQ(tree.read(name + "/" + name + ".cfg"), "new");
        fs->renameNoReplace(file, other);
        fs->removeFile(other);
        EXPECT_EQ(names(*fs, at(name)), (std::set<std::string>{"./", "../"}));
    }
}

#ifndef _WIN32
TEST_F(HostFileSystem, BackslashesAreSeparatorsOnPosix) {
    tree.write("Sim/SimObjects/aircraft.cfg", "x");
    LinuxFileSystem host;
    const std::string windowsStyle = tree.path() + "\\Sim\\\\SimObjects\\aircraft.cfg";
    EXPECT_NE(host.openRead(host.absolutePath(windowsStyle)), nullptr);
    // Past absolutePath(), a backslash is part of a name, as in Shift-JIS "\x83\x5c".
    tree.write("Sim/\x83\x5c/aircraft.cfg", "y");
    EXPECT_NE(host.openRead(tree.path("Sim/\x83\x5c/aircraft.cfg")), nullptr);
    EXPECT_EQ(host.absolutePath(tree.path() + "\\Sim\\.\\\\SimObjects\\"),
              tree.path("Sim/SimObjects"));
}

// canCreateIn() reuses one answer for folders alike in all the kernel decides by; each must
// still be what createFile() then does, whichever kind of folder was asked about before.
TEST_F(HostFileSystem, CanCreateInSaysWhatCreateFileDoes) {
    using std::filesystem::perms;
    struct Row {
        const char* name;
        perms mode;
        bool listed;
    };
    const perms shut = perms::owner_read | perms::owner_exec;
    const Row rows[] = {
        {"open", perms::owner_all, true},       {"shut", shut, true},
        {"open again", perms::owner_all, true}, {"shut again", shut, true},
        {"shut, not listed", shut, false},      {"open, not listed", perms::owner_all, false}};
    for (const Row& row : rows) {
        tree.folder(row.name);
        std::filesystem::permissions(tree.root() / row.name, row.mode);
    }
    const auto mismatches = [&](const std::string& in) {
        LinuxFileSystem host;
        int count = 0;
        for (const Row& row : rows) {
            const std::string folder = in + row.name;
            const bool listed = !row.listed || host.listFolder(folder) != nullptr;
            const bool expected = host.canCreateIn(folder);
            if (!listed || (host.createFile(folder + "/probe") != nullptr) != expected) {
                std::fprintf(stderr, "wrong answer for \"%s\"\n", row.name);
                ++count;
            }
        }
        return count;
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(mismatches(tree.path() + "/"), 0);
        return;
    }
    // Root passes every mode check: the folders' owner asks instead, in a child process that
    // starts inside the tree, whatever the folders above it let that user reach.
    constexpr unsigned kNobody = 65534;
    ASSERT_EQ(::chown(tree.path().c_str(), kNobody, kNobody), 0);
    for (const Row& row : rows) {
        ASSERT_EQ(::chown(at(row.name).c_str(), kNobody, kNobody), 0);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const bool user =
            ::chdir(tree.path().c_str()) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        ::_exit(user ? mismatches("") : 100);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// A scanner lets go within a few hundred milliseconds: the first retries come quickly, the
// pauses grow but stay short, and after two seconds in all the error stands.
TEST(SharingRetryPause, GrowsToACapAndStopsAtTheBudget) {
    using std::chrono::milliseconds;
    const struct {
        unsigned retry;
        std::optional<milliseconds> pause;
    } rows[] = {{0, milliseconds{10}},  {1, milliseconds{20}},   {4, milliseconds{160}},
                {5, milliseconds{250}}, {10, milliseconds{250}}, {11, milliseconds{190}},
                {12, std::nullopt},     {1000, std::nullopt}};
    for (const auto& row : rows) {
        EXPECT_EQ(sharingRetryPause(row.retry), row.pause) << "retry " << row.retry;
    }
    milliseconds total{0};
    for (unsigned retry = 0; const auto pause = sharingRetryPause(retry); ++retry) {
        total += *pause;
    }
    EXPECT_EQ(total, kSharingRetryBudget);
}

TEST(TidyPosixPath, RemovesEmptyAndDotSegmentsOnly) {
    struct Row {
        const char* in;
        const char* out;
    };
    for (const Row& row : {Row{"/a//b/./c/", "/a/b/c"}, Row{"/", "/"}, Row{"./x\\.\\y", "x/y"},
                           Row{"/a/../b", "/a/../b"}, Row{".", "."}}) {
        EXPECT_EQ(tidyPosixPath(row.in), row.out) << row.in;
    }
}
#endif

#ifdef _WIN32
// Another program holding a file open, as the simulator or an editor would.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() { CloseHandle(handle_); }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// A file's access list in the system's own notation (protected or not, and every entry), and
// the attributes a new file takes from the one it stands in for.
std::string accessList(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::wstring name(path.begin(), path.end());
    if (GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return "unreadable";
    }
    LPSTR text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    std::string result = text != nullptr ? text : "none";
    LocalFree(text);
    LocalFree(descriptor);
    return result;
}

DWORD keptAttributes(const std::string& path) {
    return GetFileAttributesA(path.c_str()) &
           (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
}

// A new file that stands in for an old one has the old one's access list and attributes,
// whether they are what the folder hands down (nothing to set) or not.
TEST_F(HostFileSystem, NewFileTakesTheOldOnesAccessListAndAttributes) {
    const struct {
        const char* name;
        const char* accessList;  // empty: the one the folder hands down
        DWORD attributes;
    } rows[] = {
        {"as made", "", FILE_ATTRIBUTE_ARCHIVE},
        {"hidden and system", "", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"no archive mark", "", FILE_ATTRIBUTE_NORMAL},
        {"protected list of its own", "D:P(A;;FA;;;WD)", FILE_ATTRIBUTE_ARCHIVE},
        {"an entry of its own", "D:(A;;FRFW;;;WD)(A;;FA;;;SY)", FILE_ATTRIBUTE_NOT_CONTENT_INDEXED},
    };
    ASSERT_NE(fs->createFile(at("plain.new")), nullptr);
    const std::string handedDown = accessList(at("plain.new"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string old = at(std::string(row.name) + ".cfg");
        tree.write(std::string(row.name) + ".cfg", "old");
        if (*row.accessList != '\0') {
            PSECURITY_DESCRIPTOR wanted = nullptr;
            ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
                row.accessList, SDDL_REVISION_1, &wanted, nullptr));
            EXPECT_TRUE(SetFileSecurityA(old.c_str(), DACL_SECURITY_INFORMATION, wanted));
            LocalFree(wanted);
        }
        ASSERT_TRUE(SetFileAttributesA(old.c_str(), row.attributes));
        const std::string fresh = at(std::string(row.name) + ".new");
        auto out = fs->createFile(fresh);
        ASSERT_NE(out, nullptr);
        out->copyPropertiesFrom(old);
        out->write("new", 3);
        out->close();
        EXPECT_EQ(accessList(fresh), accessList(old));
        EXPECT_EQ(keptAttributes(fresh), keptAttributes(old));
        if (*row.accessList != '\0') {
            // What the folder hands down would pass for a copy of the rows with a list of
            // their own. Wine keeps such a list as the file's mode bits, so it reads back
            // in another form than it was set.
            EXPECT_NE(accessList(fresh), handedDown);
        }
    }
}

TEST_F(HostFileSystem, FileHeldOpenElsewhereIsNotOpenable) {
    tree.write("sim/SimObjects/Airplanes/Jet/aircraft.cfg", "[effects]\r\n[end]\r\n");
    tree.write("sim/SimObjects/Airplanes/Prop/aircraft.cfg", "[effects]\r\n[end]\r\n");
    tree.write("sim/SimObjects/Airplanes/Prop/without_contrails_aircraft.cfg", "older");
    PatchOptions options;
    options.simulatorPath = tree.path("sim");
    {
        HeldOpen aircraft(at("sim\\SimObjects\\Airplanes\\Jet\\aircraft.cfg"));
        ASSERT_TRUE(aircraft.ok());
        EXPECT_EQ(fs->openRead(at("sim\\SimObjects\\Airplanes\\Jet\\aircraft.cfg")), nullptr);
        EXPECT_EQ(AircraftScan(options, *fs).aiAircraft, 1);  // only Prop
    }
    // A backup held open is taken as absent; making it then finds the name taken.
    HeldOpen backup(at("sim\\SimObjects\\Airplanes\\Prop\\without_contrails_aircraft.cfg"));
    ASSERT_TRUE(backup.ok());
    tree.write("sim/SimObjects/Airplanes/Prop/aircraft.cfg", "[effects]\r\n[end]\r\n");
    EXPECT_THROW(AircraftScan(options, *fs), FileError);
    EXPECT_EQ(tree.read("sim/SimObjects/Airplanes/Prop/aircraft.cfg"), "[effects]\r\n[end]\r\n");
}
#endif

TEST(OverlayFileSystem, KeepsEveryChangeInMemory) {
    FakeFileSystem base;
    base.addFile("/f/aircraft.cfg", "old");
    base.addFile("/f/gone.txt", "x");
    OverlayFileSystem overlay(base);

    auto out = overlay.createFile("/f/new_aircraft.cfg");
    out->write("new", 3);
    out->close();
    overlay.renameNoReplace("/f/aircraft.cfg", "/f/backup.cfg");
    overlay.replaceFile("/f/new_aircraft.cfg", "/f/aircraft.cfg");
    overlay.removeFile("/f/gone.txt");

    EXPECT_EQ(names(overlay, "/f"),
              (std::set<std::string>{"./", "../", "aircraft.cfg", "backup.cfg"}));
    EXPECT_EQ(readAll(*overlay.openRead("/f/aircraft.cfg")), "new");
    EXPECT_EQ(readAll(*overlay.openRead("/f/backup.cfg")), "old");
    EXPECT_EQ(overlay.openRead("/f/gone.txt"), nullptr);
    EXPECT_THROW(overlay.renameNoReplace("/f/aircraft.cfg", "/f/backup.cfg"), FileError);
    EXPECT_THROW(overlay.removeFile("/f/gone.txt"), FileError);

    EXPECT_EQ(base.filesBelow("/f"),
              (std::map<std::string, std::string>{{"aircraft.cfg", "old"}, {"gone.txt", "x"}}));
    for (const std::string& op : base.log()) {
        EXPECT_THAT(
            op, ::testing::AnyOf(::testing::StartsWith("list "), ::testing::StartsWith("openRead "),
                                 ::testing::StartsWith("read ")));
    }
}

TEST(OverlayFileSystem, ARealFileThatCannotBeOpenedStillTakesItsName) {
    FakeFileSystem base;
    base.addFile("/f/a", "A");
    base.addFile("/f/held", "H");
    base.setHeldOpen("/f/held", true);
    OverlayFileSystem overlay(base);
    EXPECT_THROW(overlay.renameNoReplace("/f/a", "/f/held"), FileError);
    EXPECT_NO_THROW(overlay.renameNoReplace("/f/a", "/f/free"));
}

}  // namespace
}  // namespace cirrowisp
