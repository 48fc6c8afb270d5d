// Drives the real Cirrowisp.exe from outside, as a user would, and checks what it shows and
// what it does to a sample simulator tree. Runs on Windows or under Wine.
//
//   cirrowisp_e2e <Cirrowisp.exe> defaults <screenshot folder>
//       no registry entry: the resources, the dialog against its table, typing, the About box
//   cirrowisp_e2e <Cirrowisp.exe> registry <simulator folder> <scratch folder>
//       the setup path registered: path field, refusals, real runs, a restore from the system
//       menu, a file error
//   cirrowisp_e2e <Cirrowisp.exe> unicode <registered path> <simulator folder> <aircraft>
//                 <failing file>
//       paths in any script: the registered one shown, the simulator folder typed and run,
//       restored from the system menu, then the simulator folder of <failing file> pasted,
//       and that file named in the error
//
// One file per mode (e2e_defaults_test.cpp with e2e_resources_test.cpp, e2e_registry_test.cpp,
// e2e_unicode_test.cpp); this one picks the mode. Each mode runs its own test suites, in order: the
// tests of a suite share one running program and follow on from each other. GoogleTest's own flags
// may be given anywhere.
#include <windows.h>
// windows.h first: shellapi.h relies on its types.
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "tests/win32/e2e_program.h"

namespace cirrowisp::e2e {

Arguments arguments;

std::string tempFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

namespace {

// The suites of each mode, with the number of arguments after the mode.
struct Mode {
    const char* name;
    std::size_t arguments;
    const char* suites;
};
constexpr Mode kModes[] = {
    {"defaults", 1, "Resources.*:Defaults.*"},
    {"registry", 2, "Registry.*"},
    {"unicode", 4, "Unicode.*"},
};

}  // namespace
}  // namespace cirrowisp::e2e

int main(int argc, char** argv) {
    using cirrowisp::e2e::arguments;
    // The narrow arguments hold '?' for every character outside the ANSI code page; the wide
    // ones, from the same command line, stand beside them at the same places.
    int wideCount = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    const bool wideMatches = wideCount == argc;
    std::vector<std::string> narrowPlain;
    std::vector<std::wstring> widePlain;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--gtest_", 8) == 0)
            continue;
        narrowPlain.push_back(argv[i]);
        widePlain.push_back(wideMatches ? wide[i] : L"");
    }
    LocalFree(wide);
    testing::InitGoogleTest(&argc, argv);

    const cirrowisp::e2e::Mode* mode = nullptr;
    for (const auto& candidate : cirrowisp::e2e::kModes) {
        if (narrowPlain.size() >= 2 + candidate.arguments && narrowPlain[1] == candidate.name)
            mode = &candidate;
    }
    if (!mode || (std::strcmp(mode->name, "unicode") == 0 && !wideMatches)) {
        std::fprintf(stderr,
                     "usage: cirrowisp_e2e EXE defaults SHOTS | EXE registry SIMULATOR SCRATCH |"
                     " EXE unicode REGISTERED SIMULATOR AIRCRAFT FAILING\n");
        return 2;
    }
    arguments.exe = narrowPlain[0];
    arguments.mode = mode->name;
    arguments.narrow.assign(narrowPlain.begin() + 2, narrowPlain.end());
    arguments.wide.assign(widePlain.begin() + 2, widePlain.end());
    if (GTEST_FLAG_GET(filter) == "*")
        GTEST_FLAG_SET(filter, mode->suites);
    return RUN_ALL_TESTS();
}
