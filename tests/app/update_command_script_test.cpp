// The update command as a user runs it in the host: its dialog, the table pick, and the
// refusal to finish without a table.
#include <gtest/gtest.h>

#include "support/run_qxcad.h"

using qxtest::runQxcad;

TEST(UpdateCommandScript, FinishWantsATableAndACancelledPickEndsTheDialogCleanly)
{
    const auto run = runQxcad("DATAEXTRACTIONUPDATE\nok\nok\nclick 1051\ncancel\nGETVAR CMDECHO\nQUIT\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const auto& out = run.output;
    const auto dialog = out.find("Updating exportation");
    const auto refused = out.find("No data table selected");
    const auto pick = out.find("Please select the data table");
    ASSERT_NE(dialog, std::string::npos) << out;
    ASSERT_NE(refused, std::string::npos) << out;
    ASSERT_NE(pick, std::string::npos) << out;
    EXPECT_LT(dialog, refused);
    EXPECT_LT(refused, pick);
    // The prompt's line ends before the host says that the dialog is hidden.
    EXPECT_EQ(out.substr(pick, 29), "Please select the data table\n") << out;
    for (const char* label : {"Update choice", "Select table and update", "Add new objects to current table",
                              "Replace the objects selection of a table", "Update exportation", "Finish", "Cancel"})
        EXPECT_NE(out.find(label), std::string::npos) << label;
    // The command ended: the next line is a command again, and nothing was left open.
    EXPECT_NE(out.find("CMDECHO = 1", pick), std::string::npos) << out;
    EXPECT_EQ(out.find("left open"), std::string::npos) << out;
}
