// Each tests/data/rewrite/NAME.in.cfg is rewritten and compared byte for byte with
// NAME.out.cfg. An optional NAME.args line chooses options: engines=LIST temperature=N effect=NAME.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "patcher/cfg_rewrite.h"
#include "patcher/engine_types.h"
#include "tests/support/disk_tree.h"

namespace cirrowisp {
namespace {

namespace fs = std::filesystem;

PatchOptions optionsFrom(const std::string& args) {
    PatchOptions options;
    std::istringstream words(args);
    std::string word;
    while (words >> word) {
        const std::string key = word.substr(0, word.find('='));
        const std::string value = word.substr(word.find('=') + 1);
        if (key == "temperature") {
            options.maxContrailTemperature = std::stoi(value);
        } else if (key == "effect") {
            options.effectName = value;
        } else if (key == "engines") {
            // A comma-separated list of the command line's names. Built by appending: GCC 12
            // at -O3 takes `"," + std::string(...)` for an overlapping copy (-Wrestrict).
            std::string list(1, ',');
            list.append(value).push_back(',');
            for (const EngineTypeRow& row : kEngineTypes) {
                std::string item(1, ',');
                item.append(row.cliName).push_back(',');
                options.*row.field = list.find(item) != std::string::npos;
            }
        } else {
            ADD_FAILURE() << "unknown option " << word;
        }
    }
    return options;
}

TEST(RewriteFiles, OutputMatchesExpectedFile) {
    const fs::path folder = fs::path(CIRROWISP_TEST_DATA) / "rewrite";
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with(".in.cfg"))
            continue;
        const std::string stem = name.substr(0, name.size() - 7);
        SCOPED_TRACE(stem);
        const fs::path argsFile = folder / (stem + ".args");
        const PatchOptions options = optionsFrom(fs::exists(argsFile) ? readFile(argsFile) : "");
        std::string output;
        rewriteText(options, readFile(entry.path()), output);
        EXPECT_EQ(output, readFile(folder / (stem + ".out.cfg")));
        ++compared;
    }
    EXPECT_GE(compared, 5);
}

}  // namespace
}  // namespace cirrowisp
