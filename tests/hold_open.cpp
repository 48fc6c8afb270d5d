// Holds a file open without sharing, as a simulator or an editor may: until the file named by
// the second argument appears, no other process can open, rename or delete the first one.
// Writes "held" on standard output once the handle is open. Windows only.
//
//   hold_open.exe FILE RELEASE_MARKER

#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: hold_open FILE RELEASE_MARKER\n");
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "hold_open: cannot open %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    // Bounded, so a test that dies early cannot leave it behind for ever.
    for (int waited = 0; waited < 600 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES;
         ++waited) {
        Sleep(100);
    }
    CloseHandle(file);
    return 0;
}
