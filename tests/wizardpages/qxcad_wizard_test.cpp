// The wizard in the built host, driven by a script as a user would drive it.
#include <gtest/gtest.h>

#include "support/run_qxcad.h"

using qxtest::runQxcad;

TEST(QxcadWizard, TheCommandWalksFromPageOneToTheDataSourceAndAnEmptyDrawingStaysThere)
{
    const auto run = runQxcad("DATAEXTRACTION\nclick Next\nclick Next\nshow\nclick Previous\ncancel\nQUIT\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::string page1 = "Dialog \"Data extraction v0.8.42 - Starting (1/5)\"";
    const std::string page2 = "Dialog \"Data extraction - Define data source (2/5)\"";
    const auto first2 = run.output.find(page2);
    ASSERT_NE(first2, std::string::npos) << run.output;
    EXPECT_NE(run.output.find(page2, first2 + 1), std::string::npos) << "Next on an empty drawing keeps page 2";
    EXPECT_NE(run.output.find(page1, first2), std::string::npos) << "Previous shows page 1 again";
    EXPECT_EQ(run.output.find("Objects selection (3/5)"), std::string::npos);
}
