// Runs the rewrite over real published aircraft files under every choice of engine types.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "patcher/byte_text.h"
#include "patcher/cfg_rewrite.h"
#include "patcher/line_io.h"
#include "tests/support/disk_tree.h"

namespace cirrowisp {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpusFiles() {
    std::vector<fs::path> files;
    const fs::path folder = CIRROWISP_CORPUS;
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".cfg")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool isKeyLine(const std::string& line) {
    return findUpper(line, "CONTRAIL=") != std::string::npos ||
           findUpper(line, "MAX_CONTRAIL_TEMPERATURE") != std::string::npos;
}

// The lines the pass must carry through untouched and in order.
std::vector<std::string> keptLines(const std::string& bytes) {
    StringSource source(bytes);
    LineReader reader(source);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line)) {
        if (!line.empty() && !isKeyLine(line))
            lines.push_back(line);
    }
    return lines;
}

PatchOptions optionsFor(unsigned mask) {
    PatchOptions options;
    options.enginePiston = (mask & 1u) ? 1 : 0;
    options.engineJet = (mask & 2u) ? 1 : 0;
    options.engineNone = (mask & 4u) ? 1 : 0;
    options.engineHeloTurbine = (mask & 8u) ? 1 : 0;
    options.engineRocket = (mask & 16u) ? 1 : 0;
    options.engineTurboprop = (mask & 32u) ? 1 : 0;
    return options;
}

TEST(Corpus, EveryEngineChoiceKeepsOtherLinesAndSettles) {
    const std::vector<fs::path> files = corpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << CIRROWISP_CORPUS;
    for (const fs::path& file : files) {
        const std::string original = readFile(file);
        const std::vector<std::string> expectedKept = keptLines(original);
        for (unsigned mask = 0; mask < 64; ++mask) {
            SCOPED_TRACE(file.filename().string() + " engines " + std::to_string(mask));
            const PatchOptions options = optionsFor(mask);
            std::string first;
            const RewriteResult result = rewriteText(options, original, first);
            EXPECT_EQ(keptLines(first), expectedKept);

            std::string second;
            const RewriteResult again = rewriteText(options, first, second);
            EXPECT_EQ(second, first);
            EXPECT_EQ(again.contrailsAdded, 0);
            EXPECT_EQ(again.temperaturesChanged, 0);
            EXPECT_GE(result.contrailsAdded, 0);
            if (HasFailure())
                return;  // one clear report instead of thousands
        }
    }
}

TEST(Corpus, EveryOutputLineEndsWithCrLf) {
    const std::vector<fs::path> files = corpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << CIRROWISP_CORPUS;
    for (const fs::path& file : files) {
        std::string output;
        rewriteText(PatchOptions{}, readFile(file), output);
        for (std::size_t pos = output.find('\n'); pos != std::string::npos;
             pos = output.find('\n', pos + 1)) {
            ASSERT_TRUE(pos > 0 && output[pos - 1] == '\r') << file << " at byte " << pos;
        }
        EXPECT_TRUE(output.empty() || output.ends_with("\r\n")) << file;
    }
}

}  // namespace
}  // namespace cirrowisp
