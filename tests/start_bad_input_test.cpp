// Bad input through the dialogs' Start path (the sequence both dialogs run on a Start click),
// on the real disk, from the table the command line runs too: each ends in the summary or in a
// message naming the file and the reason, never in an exception that escapes to the window,
// and nothing changes that should not.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/host_file_system.h"
#include "tests/support/bad_input_rows.h"
#include "tests/support/named_rows.h"
#include "tests/support/temp_tree.h"
#include "ui/common/generator_form.h"

namespace cirrowisp {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::TempTree;

class StartBadInput : public ::testing::TestWithParam<BadInputRow> {};

TEST_P(StartBadInput, EndsAsTheRowSays) {
    const BadInputRow& row = GetParam();
    TempTree tree;
    row.build(tree);
    const auto before = tree.files();
    PatchOptions options;
    FormValues form = formFromOptions(options);
    form.simulatorPath = inTree(tree, row.folder);
    form.flyable = row.flyable;
    const auto fileSystem = makeHostFileSystem();
    StartOutcome outcome;
    ASSERT_NO_THROW(outcome = runStart(form, options, *fileSystem));
    ASSERT_NE(row.start.ends, Ends::refused) << "a Start refuses only what the form holds";
    EXPECT_EQ(outcome.kind, row.start.ends == Ends::finished ? StartOutcome::Kind::finished
                                                             : StartOutcome::Kind::failed)
        << outcome.message;
    if (outcome.kind == StartOutcome::Kind::finished) {
        EXPECT_EQ(outcome.totals.aiAircraft, row.start.totals.aiAircraft);
        EXPECT_EQ(outcome.totals.flyableAircraft, row.start.totals.flyableAircraft);
        if (!row.start.says.empty())
            EXPECT_THAT(outcome.message, StartsWith(summaryText(row.start.totals)));
        else
            EXPECT_EQ(outcome.message, summaryText(row.start.totals));
    }
    for (const std::string& text : row.start.says)
        EXPECT_THAT(outcome.message, HasSubstr(inTree(tree, text)));
    if (row.after)
        row.after(tree);
    else
        EXPECT_EQ(tree.files(), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, StartBadInput, ::testing::ValuesIn(badInputRows()), RowName{});

}  // namespace
}  // namespace cirrowisp
