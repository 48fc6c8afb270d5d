#include "ui/common/generator_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patcher/file_error.h"
#include "platform/file_system.h"

namespace cirrowisp {
namespace {

// A file system that no run may reach: every call is recorded, and listing throws when asked
// to, so a test can tell whether the Start sequence got as far as the scan.
class GuardFileSystem : public FileSystem {
public:
    bool failListing = false;
    std::vector<std::string> calls;

    std::unique_ptr<DirectoryListing> listFolder(const std::string& path) override {
        calls.push_back("list " + path);
        if (failListing)
            throw FileError(path, "Access is denied.");
        return nullptr;
    }
    std::unique_ptr<InputFile> openRead(const std::string& path) override {
        calls.push_back("read " + path);
        return nullptr;
    }
    std::unique_ptr<OutputFile> createFile(const std::string& path) override {
        calls.push_back("create " + path);
        return nullptr;
    }
    void removeFile(const std::string& path) override { calls.push_back("remove " + path); }
    void replaceFile(const std::string& from, const std::string&) override {
        calls.push_back("replace " + from);
    }
    void renameNoReplace(const std::string& from, const std::string&) override {
        calls.push_back("rename " + from);
    }
    std::string absolutePath(const std::string& path) override { return path; }
    char separator() const override { return '\\'; }
};

TEST(GeneratorFormTest, DefaultsShowAsTheDialogOpensWithThem) {
    PatchOptions options;
    options.simulatorPath = ".\\Aircraft\\";
    const FormValues form = formFromOptions(options);
    EXPECT_EQ(form.temperatureText, "-27");
    EXPECT_FALSE(form.heloTurbine);
    EXPECT_FALSE(form.none);
    EXPECT_TRUE(form.jet);
    EXPECT_FALSE(form.piston);
    EXPECT_FALSE(form.rocket);
    EXPECT_TRUE(form.turboprop);
    EXPECT_FALSE(form.flyable);
    EXPECT_EQ(form.effectName, "fx_Cirrowisp");
    EXPECT_EQ(form.simulatorPath, ".\\Aircraft\\");
}

// Each check box must land in its own flag and nowhere else: a swapped binding would treat the
// wrong engine type.
TEST(GeneratorFormTest, EachCheckBoxSetsExactlyItsOwnFlag) {
    struct Row {
        const char* name;
        bool FormValues::*box;
        std::int32_t PatchOptions::*flag;
    };
    const Row rows[] = {
        {"helo-turbine", &FormValues::heloTurbine, &PatchOptions::engineHeloTurbine},
        {"none", &FormValues::none, &PatchOptions::engineNone},
        {"jet", &FormValues::jet, &PatchOptions::engineJet},
        {"piston", &FormValues::piston, &PatchOptions::enginePiston},
        {"rocket", &FormValues::rocket, &PatchOptions::engineRocket},
        {"turboprop", &FormValues::turboprop, &PatchOptions::engineTurboprop},
        {"flyable", &FormValues::flyable, &PatchOptions::includeFlyable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FormValues form;
        form.temperatureText = "-27";
        form.*row.box = true;
        PatchOptions options;
        ASSERT_FALSE(optionsFromForm(form, options).has_value());
        for (const Row& other : rows) {
            EXPECT_EQ(options.*other.flag, &other == &row ? 1 : 0) << other.name;
        }
        EXPECT_TRUE(formFromOptions(options).*row.box);
    }
}

TEST(GeneratorFormTest, TextFieldsAreTakenVerbatim) {
    FormValues form;
    form.temperatureText = "-40";
    form.effectName = "";
    form.simulatorPath = "C:\\Games\\FSX\\ ";
    PatchOptions options;
    ASSERT_FALSE(optionsFromForm(form, options).has_value());
    EXPECT_EQ(options.maxContrailTemperature, -40);
    EXPECT_EQ(options.effectName, "");
    EXPECT_EQ(options.simulatorPath, "C:\\Games\\FSX\\ ");
}

// Blanks, an optional sign and digits, as the Windows dialog framework reads an int field.
TEST(GeneratorFormTest, TemperatureTextAcceptedAsAnInteger) {
    struct Row {
        const char* text;
        std::int32_t value;
    };
    const Row rows[] = {
        {"-27", -27}, {"0", 0},  {"-50", -50},  {"  -40", -40}, {"-40\t ", -40},
        {"+0", 0},    {"-0", 0}, {"-050", -50}, {"\t-1 ", -1},  {"-00000000000000000049", -49},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        FormValues form;
        form.temperatureText = row.text;
        PatchOptions options;
        EXPECT_FALSE(optionsFromForm(form, options).has_value());
        EXPECT_EQ(options.maxContrailTemperature, row.value);
    }
}

TEST(GeneratorFormTest, TemperatureRefusedWithTheMatchingMessage) {
    const std::string notInteger = "Please enter an integer.";
    const std::string outOfRange = "Please enter an integer between -50 and 0.";
    struct Row {
        const char* text;
        const std::string& message;
    };
    const Row rows[] = {
        {"", notInteger},
        {"  ", notInteger},
        {"-", notInteger},
        {"+", notInteger},
        {"abc", notInteger},
        {"-2 7", notInteger},
        {"-27x", notInteger},
        {"1.5", notInteger},
        {"--5", notInteger},
        {"0x10", notInteger},
        {"-27\n", notInteger},
        {"5", outOfRange},
        {"-51", outOfRange},
        {"1", outOfRange},
        {"99999999999", outOfRange},
        {"-99999999999", outOfRange},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        FormValues form = formFromOptions(PatchOptions{});
        form.temperatureText = row.text;
        PatchOptions options;
        const auto refusal = optionsFromForm(form, options);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->field, FormField::temperature);
        EXPECT_EQ(refusal->message, row.message);
    }
}

TEST(GeneratorFormTest, RefusalLeavesTheRecordAsItWas) {
    FormValues form;
    form.temperatureText = "5";
    form.piston = true;
    form.effectName = "fx_other";
    form.simulatorPath = "D:\\elsewhere";
    PatchOptions options;
    options.simulatorPath = "C:\\FSX";
    ASSERT_TRUE(optionsFromForm(form, options).has_value());
    EXPECT_EQ(options.maxContrailTemperature, -27);
    EXPECT_EQ(options.enginePiston, 0);
    EXPECT_EQ(options.engineJet, 1);
    EXPECT_EQ(options.effectName, "fx_Cirrowisp");
    EXPECT_EQ(options.simulatorPath, "C:\\FSX");
}

TEST(GeneratorFormTest, RefusedStartNeverReachesTheFileSystem) {
    for (const char* text : {"5", "-51", "x"}) {
        SCOPED_TRACE(text);
        GuardFileSystem fileSystem;
        FormValues form = formFromOptions(PatchOptions{});
        form.temperatureText = text;
        PatchOptions options;
        const StartOutcome outcome = runStart(form, options, fileSystem);
        EXPECT_EQ(outcome.kind, StartOutcome::Kind::refused);
        EXPECT_EQ(outcome.focus, FormField::temperature);
        EXPECT_FALSE(outcome.message.empty());
        EXPECT_TRUE(fileSystem.calls.empty());
    }
}

TEST(GeneratorFormTest, StartOverMissingRootsReportsZeroTotals) {
    GuardFileSystem fileSystem;
    FormValues form = formFromOptions(PatchOptions{});
    form.simulatorPath = "C:\\nowhere";
    PatchOptions options;
    const StartOutcome outcome = runStart(form, options, fileSystem);
    EXPECT_EQ(outcome.kind, StartOutcome::Kind::finished);
    EXPECT_EQ(outcome.message, summaryText(ScanTotals{}));
    EXPECT_EQ(
        outcome.message,
        "Scanned 0 AI and 0 flyable aircrafts files for contrails.\nAdded contrails to 0 files.\n"
        "Changed temperature in 0 files.");
    EXPECT_FALSE(fileSystem.calls.empty());
    EXPECT_EQ(options.simulatorPath, "C:\\nowhere");
}

TEST(GeneratorFormTest, FileErrorEndsTheStartWithTheFileAndTheReason) {
    GuardFileSystem fileSystem;
    fileSystem.failListing = true;
    PatchOptions options;
    const StartOutcome outcome = runStart(formFromOptions(options), options, fileSystem);
    EXPECT_EQ(outcome.kind, StartOutcome::Kind::failed);
    EXPECT_NE(outcome.message.find("SimObjects"), std::string::npos) << outcome.message;
    EXPECT_NE(outcome.message.find("Access is denied."), std::string::npos) << outcome.message;
    EXPECT_EQ(fileSystem.calls.size(), 1u);
}

}  // namespace
}  // namespace cirrowisp
