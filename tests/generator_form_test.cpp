#include "ui/common/generator_form.h"
#include "tests/support/temperature_rows.h"

#include <gtest/gtest.h>

#include <string>

#include "patcher/file_error.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/samples.h"
#include "ui/common/restore_action.h"
#include "ui/common/start_arguments.h"

namespace cirrowisp {
namespace {

const std::string kTestJet = sampleAircraft("Sample", 1);
const char kJetFolder[] = "/sim/SimObjects/Airplanes/Jet/";

// A simulator folder holding one jet aircraft.
void addJet(FakeFileSystem& fileSystem) {
    fileSystem.addFile(std::string(kJetFolder) + "aircraft.cfg", kTestJet);
}

TEST(GeneratorFormTest, DefaultsShowAsTheDialogOpensWithThem) {
    PatchOptions options;
    options.simulatorPath = ".\\Aircraft\\";
    const FormValues form = formFromOptions(options);
    EXPECT_EQ(form.temperatureText, "-27");
    EXPECT_FALSE(form.engine(kEngineHeloTurbine));
    EXPECT_FALSE(form.engine(kEngineNone));
    EXPECT_TRUE(form.engine(kEngineJet));
    EXPECT_FALSE(form.engine(kEnginePiston));
    EXPECT_FALSE(form.engine(kEngineRocket));
    EXPECT_TRUE(form.engine(kEngineTurboprop));
    EXPECT_FALSE(form.flyable);
    EXPECT_EQ(form.effectName, "fx_Cirrowisp");
    EXPECT_EQ(form.simulatorPath, ".\\Aircraft\\");
}

// A check box of the form, for rows that name either kind.
template <EngineType code>
bool& engineBox(FormValues& form) {
    return form.engine(code);
}
template <bool FormValues::*field>
bool& box(FormValues& form) {
    return form.*field;
}

// Each check box must land in its own flag and nowhere else: a swapped binding would treat the
// wrong engine type.
TEST(GeneratorFormTest, EachCheckBoxSetsExactlyItsOwnFlag) {
    struct Row {
        const char* name;
        bool& (*box)(FormValues&);
        std::int32_t PatchOptions::*flag;
    };
    const Row rows[] = {
        {"helo-turbine", engineBox<kEngineHeloTurbine>, &PatchOptions::engineHeloTurbine},
        {"none", engineBox<kEngineNone>, &PatchOptions::engineNone},
        {"jet", engineBox<kEngineJet>, &PatchOptions::engineJet},
        {"piston", engineBox<kEnginePiston>, &PatchOptions::enginePiston},
        {"rocket", engineBox<kEngineRocket>, &PatchOptions::engineRocket},
        {"turboprop", engineBox<kEngineTurboprop>, &PatchOptions::engineTurboprop},
        {"flyable", box<&FormValues::flyable>, &PatchOptions::includeFlyable},
        {"simobject-paths", box<&FormValues::simObjectPaths>, &PatchOptions::includeSimObjectPaths},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FormValues form;
        form.temperatureText = "-27";
        row.box(form) = true;
        PatchOptions options;
        ASSERT_FALSE(optionsFromForm(form, options).has_value());
        for (const Row& other : rows) {
            EXPECT_EQ(options.*other.flag, &other == &row ? 1 : 0) << other.name;
        }
        FormValues shown = formFromOptions(options);
        EXPECT_TRUE(row.box(shown));
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

// Every row of the shared temperature table: the value taken, or the refusal's message.
TEST(GeneratorFormTest, TemperatureTakenOrRefusedWithTheMatchingMessage) {
    const std::string notInteger = "Please enter an integer.";
    const std::string outOfRange = "Please enter an integer between -50 and 0.";
    for (const TemperatureRow& row : kTemperatureRows) {
        SCOPED_TRACE(row.text);
        FormValues form = formFromOptions(PatchOptions{});
        form.temperatureText = row.text;
        PatchOptions options;
        const auto refusal = optionsFromForm(form, options);
        if (row.kind == kAccepted) {
            EXPECT_FALSE(refusal.has_value());
            EXPECT_EQ(options.maxContrailTemperature, row.value);
            continue;
        }
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->field, FormField::temperature);
        EXPECT_EQ(refusal->message, row.kind == kNotAnInteger ? notInteger : outOfRange);
    }
}

TEST(GeneratorFormTest, RefusalLeavesTheRecordAsItWas) {
    FormValues form;
    form.temperatureText = "5";
    form.engine(kEnginePiston) = true;
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
        FakeFileSystem fileSystem;
        addJet(fileSystem);
        const auto before = fileSystem.filesBelow("/sim");
        FormValues form = formFromOptions(PatchOptions{});
        form.temperatureText = text;
        form.simulatorPath = "/sim";
        PatchOptions options;
        const StartOutcome outcome = runStart(form, options, fileSystem);
        EXPECT_EQ(outcome.kind, StartOutcome::Kind::refused);
        EXPECT_EQ(outcome.focus, FormField::temperature);
        EXPECT_FALSE(outcome.message.empty());
        EXPECT_EQ(fileSystem.operationCount(), 0u);
        EXPECT_EQ(fileSystem.filesBelow("/sim"), before);
    }
}

TEST(GeneratorFormTest, StartRunsTheScanWithTheFormsValues) {
    FakeFileSystem fileSystem;
    addJet(fileSystem);
    FormValues form = formFromOptions(PatchOptions{});
    form.temperatureText = "-40";
    form.effectName = "fx_test";
    form.simulatorPath = "/sim";
    PatchOptions options;
    // Listed by an earlier Start with the fsx.cfg box ticked; this form has it unticked.
    options.simObjectPaths = {"/ai"};
    fileSystem.addFile("/ai/Listed/aircraft.cfg", kTestJet);
    const StartOutcome outcome = runStart(form, options, fileSystem);
    ASSERT_EQ(outcome.kind, StartOutcome::Kind::finished) << outcome.message;
    EXPECT_EQ(outcome.totals.aiAircraft, 1);
    EXPECT_EQ(outcome.totals.contrailsAdded, 1);
    EXPECT_EQ(outcome.totals.temperaturesChanged, 1);
    EXPECT_EQ(
        outcome.message,
        "Scanned 1 AI and 0 flyable aircrafts files for contrails.\nAdded contrails to 1 files.\n"
        "Changed temperature in 1 files.");
    const std::string patched =
        fileSystem.content(std::string(kJetFolder) + "aircraft.cfg").value_or("");
    EXPECT_NE(patched.find("max_contrail_temperature=-40"), std::string::npos) << patched;
    EXPECT_NE(patched.find("contrail=fx_test"), std::string::npos) << patched;
    EXPECT_EQ(options.simulatorPath, "/sim");
}

TEST(GeneratorFormTest, StartOverMissingRootsReportsZeroTotals) {
    FakeFileSystem fileSystem;
    PatchOptions options;
    options.simulatorPath = "/nowhere";
    const StartOutcome outcome = runStart(formFromOptions(options), options, fileSystem);
    EXPECT_EQ(outcome.kind, StartOutcome::Kind::finished);
    EXPECT_EQ(outcome.message, summaryText(ScanTotals{}));
}

TEST(GeneratorFormTest, FileErrorEndsTheStartWithTheFileAndTheReason) {
    FakeFileSystem fileSystem;
    addJet(fileSystem);
    // A backup that another program holds open counts as absent, and the rename onto its name
    // then fails.
    const std::string backup = std::string(kJetFolder) + "without_contrails_aircraft.cfg";
    fileSystem.addFile(backup, "old");
    fileSystem.setHeldOpen(backup, true);
    PatchOptions options;
    options.simulatorPath = "/sim";
    const StartOutcome outcome = runStart(formFromOptions(options), options, fileSystem);
    EXPECT_EQ(outcome.kind, StartOutcome::Kind::failed);
    EXPECT_NE(outcome.message.find("Jet"), std::string::npos) << outcome.message;
    EXPECT_NE(outcome.message.find("aircraft.cfg"), std::string::npos) << outcome.message;
    EXPECT_EQ(outcome.message.find("Scanned"), std::string::npos) << outcome.message;
}

// Only what a program started as administrator could do differently leads to the offer.
struct AccessCase {
    const char* name;
    void (*arrange)(FakeFileSystem&);
    StartOutcome::Kind kind;
    bool accessDenied;
    const char* named;  // what the message must say of the Jet folder
};

TEST(GeneratorFormTest, OnlyADeniedAccessOffersAdministrator) {
    const std::string backup = std::string(kJetFolder) + "without_contrails_aircraft.cfg";
    const AccessCase rows[] = {
        {"FolderNobodyMayWrite", [](FakeFileSystem& fs) { fs.setReadOnly(kJetFolder, true); },
         StartOutcome::Kind::finished, true, "nothing can be created in the folder"},
        {"ReadOnlyFile",
         [](FakeFileSystem& fs) { fs.setReadOnly(std::string(kJetFolder) + "aircraft.cfg", true); },
         StartOutcome::Kind::finished, false, "aircraft.cfg is read-only"},
        {"BackupHeldOpen",
         [](FakeFileSystem& fs) {
             const std::string held = std::string(kJetFolder) + "without_contrails_aircraft.cfg";
             fs.addFile(held, "old");
             fs.setHeldOpen(held, true);
         },
         StartOutcome::Kind::failed, false, "without_contrails_aircraft.cfg"},
    };
    for (const AccessCase& row : rows) {
        FakeFileSystem fileSystem;
        addJet(fileSystem);
        row.arrange(fileSystem);
        PatchOptions options;
        options.simulatorPath = "/sim";
        const StartOutcome outcome = runStart(formFromOptions(options), options, fileSystem);
        EXPECT_EQ(outcome.kind, row.kind) << row.name << ": " << outcome.message;
        EXPECT_EQ(outcome.accessDenied, row.accessDenied) << row.name;
        EXPECT_NE(outcome.message.find(row.named), std::string::npos)
            << row.name << ": " << outcome.message;
        EXPECT_EQ(fileSystem.content(std::string(kJetFolder) + "aircraft.cfg"), kTestJet)
            << row.name;
    }
}

// The elevated copy must start exactly where the pilot was: every field and box survives.
TEST(StartArgumentsTest, FormSurvivesTheTripAndOnlyAStartIsTaken) {
    FormValues every = formFromOptions(PatchOptions{});
    every.engines.fill(true);
    every.flyable = true;
    every.temperatureText = " -40 ";
    every.effectName = "fx_contrail, \"big\"";
    every.simulatorPath = "C:\\Program Files (x86)\\Microsoft Games\\FSX\\";
    FormValues none;
    for (const FormValues& form : {formFromOptions(PatchOptions{}), every, none}) {
        const std::optional<FormValues> back = formFromStartArguments(startArguments(form));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->temperatureText, form.temperatureText);
        EXPECT_EQ(back->engines, form.engines);
        EXPECT_EQ(back->flyable, form.flyable);
        EXPECT_EQ(back->effectName, form.effectName);
        EXPECT_EQ(back->simulatorPath, form.simulatorPath);
    }
    const std::vector<std::string> refused[] = {
        {}, {"--temperature=-40"}, {"--start", "--engines=jet,diesel"}, {"--start", "--restore"}};
    for (const auto& arguments : refused) {
        EXPECT_FALSE(formFromStartArguments(arguments).has_value()) << arguments.size();
    }
}

TEST(StartArgumentsTest, WindowsCommandLineQuotesAsCommandLineToArgvReads) {
    const struct {
        std::vector<std::string> arguments;
        std::string line;
    } rows[] = {
        {{"--start", "--flyable"}, "--start --flyable"},
        {{"--effect="}, "--effect="},
        {{""}, "\"\""},
        {{"a b"}, "\"a b\""},
        // A backslash before the closing quote would escape it and swallow what follows.
        {{"C:\\Program Files\\", "x"}, "\"C:\\Program Files\\\\\" x"},
        {{"say \"hi\""}, "\"say \\\"hi\\\"\""},
        {{"a\\\"b"}, "\"a\\\\\\\"b\""},
        {{"C:\\FSX\\"}, "C:\\FSX\\"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(windowsCommandLine(row.arguments), row.line);
    }
}

TEST(GeneratorFormTest, UnreadableSimulatorConfigEndsTheStartBeforeTheRun) {
    FakeFileSystem fileSystem;
    addJet(fileSystem);
    FormValues form = formFromOptions(PatchOptions{});
    form.simulatorPath = "/sim";
    form.simObjectPaths = true;
    PatchOptions options;
    const std::string config = "/no/such/folder/fsx.cfg";
    const StartOutcome outcome = runStart(form, options, fileSystem, config);
    EXPECT_EQ(outcome.kind, StartOutcome::Kind::failed);
    EXPECT_NE(outcome.message.find(config + "\n"), std::string::npos) << outcome.message;
    EXPECT_EQ(fileSystem.operationCount(), 0u);
}

TEST(GeneratorFormTest, FileErrorTextNamesTheFileAndTheReason) {
    const std::string text =
        fileErrorText(FileError("C:\\FSX\\a\\aircraft.cfg", "Access is denied."));
    EXPECT_NE(text.find("C:\\FSX\\a\\aircraft.cfg"), std::string::npos) << text;
    EXPECT_NE(text.find("Access is denied."), std::string::npos) << text;
}

// ---- the Restore item ----------------------------------------------------------------------

TEST(RestoreActionTest, QuestionNamesTheFolderAndTheFlyableChoice) {
    FormValues form;
    form.simulatorPath = "C:\\Games\\FSX";
    const std::string ai = restoreQuestionText(form);
    EXPECT_NE(ai.find("\nC:\\Games\\FSX\n"), std::string::npos) << ai;
    EXPECT_NE(ai.find("AI aircraft only"), std::string::npos) << ai;
    form.flyable = true;
    const std::string flyable = restoreQuestionText(form);
    EXPECT_NE(flyable.find("flyable aircraft included"), std::string::npos) << flyable;
}

TEST(RestoreActionTest, RestoresWithTheFormsPathAndFlyableChoiceOnly) {
    FakeFileSystem fileSystem;
    addJet(fileSystem);
    fileSystem.addFile("/sim/SimObjects/Airplanes/Player/aircraft.cfg", kTestJet);
    fileSystem.addFolder("/sim/SimObjects/Airplanes/Player/panel");
    const auto before = fileSystem.filesBelow("/sim");
    PatchOptions options;
    options.simulatorPath = "/sim";
    options.includeFlyable = 1;
    ASSERT_EQ(runStart(formFromOptions(options), options, fileSystem).kind,
              StartOutcome::Kind::finished);

    // A temperature Start would refuse does not matter to a restore.
    FormValues form = formFromOptions(options);
    form.temperatureText = "hot";
    form.flyable = false;
    RestoreOutcome outcome = runRestoreFromForm(form, fileSystem);
    EXPECT_EQ(outcome.kind, RestoreOutcome::Kind::finished);
    EXPECT_EQ(outcome.message, restoreSummaryText({1, 0, 0, 0}));
    EXPECT_NE(fileSystem.filesBelow("/sim"), before);  // the flyable one is still patched

    form.flyable = true;
    outcome = runRestoreFromForm(form, fileSystem);
    EXPECT_EQ(outcome.message, restoreSummaryText({0, 1, 0, 1}));
    EXPECT_EQ(fileSystem.filesBelow("/sim"), before);
}

// With the fsx.cfg check box ticked a restore reads the same list a Start does; a list that
// cannot be read ends it before anything is touched, as it ends a Start.
TEST(RestoreActionTest, FsxCfgCheckBoxReadsTheListOrStopsBeforeTheFiles) {
    FakeFileSystem fileSystem;
    addJet(fileSystem);
    fileSystem.addFile("/sim/SimObjects/Airplanes/Jet/without_contrails_aircraft.cfg", kTestJet);
    FormValues form;
    form.simulatorPath = "/sim";
    form.simObjectPaths = true;
    const std::string config = "/no/such/folder/fsx.cfg";
    const RestoreOutcome outcome = runRestoreFromForm(form, fileSystem, config);
    EXPECT_EQ(outcome.kind, RestoreOutcome::Kind::failed);
    EXPECT_NE(outcome.message.find(config + "\n"), std::string::npos) << outcome.message;
    EXPECT_EQ(fileSystem.operationCount(), 0u);
    EXPECT_NE(restoreQuestionText(form).find("fsx.cfg"), std::string::npos);
}

TEST(RestoreActionTest, FoldersLeftAloneAreNamedAfterTheSummary) {
    FakeFileSystem fileSystem;
    for (int i = 0; i < 12; ++i) {
        const std::string folder = "/sim/MyTraffic/Aircraft/Jet" + std::to_string(10 + i) + "/";
        fileSystem.addFile(folder + "aircraft.cfg", "edited=1\r\n");
        fileSystem.addFile(folder + "without_contrails_aircraft.cfg", kTestJet);
    }
    FormValues form;
    form.simulatorPath = "/sim";
    const RestoreOutcome outcome = runRestoreFromForm(form, fileSystem);
    EXPECT_EQ(outcome.kind, RestoreOutcome::Kind::leftAlone);
    EXPECT_EQ(outcome.totals.leftAlone, 12);
    const std::string named =
        "/sim/MyTraffic/Aircraft/Jet10: edited since the run: line 1 of aircraft.cfg differs "
        "from the backup\n";
    EXPECT_EQ(
        outcome.message.rfind(restoreSummaryText(outcome.totals) + "\n\nLeft alone:\n" + named, 0),
        0u)
        << outcome.message;
    EXPECT_EQ(outcome.message.substr(outcome.message.rfind('\n') + 1), "... and 2 more");
}

TEST(RestoreActionTest, FileErrorShowsAsARunsDoes) {
    FakeFileSystem fileSystem;
    addJet(fileSystem);
    PatchOptions options;
    options.simulatorPath = "/sim";
    runStart(formFromOptions(options), options, fileSystem);
    // The backup's removal, the restore's last change, fails.
    FakeFileSystem probe;
    addJet(probe);
    runStart(formFromOptions(options), options, probe);
    const std::size_t before = probe.operationCount();
    runRestoreFromForm(formFromOptions(options), probe);
    std::size_t removal = probe.log().size();
    while (removal > before && probe.log()[removal - 1].rfind("remove ", 0) != 0) --removal;
    ASSERT_GT(removal, before);
    fileSystem.failOperation(removal - before, FakeFault::InUse);
    const RestoreOutcome outcome = runRestoreFromForm(formFromOptions(options), fileSystem);
    EXPECT_EQ(outcome.kind, RestoreOutcome::Kind::failed);
    EXPECT_EQ(outcome.message,
              fileErrorText(FileError(std::string(kJetFolder) + "without_contrails_aircraft.cfg",
                                      FakeFileSystem::reasonText(FakeFault::InUse))));
}

}  // namespace
}  // namespace cirrowisp
