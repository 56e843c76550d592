// Settings files: saved on Finish, and a later wizard started from one.
#include "wizard_fixture.h"

using qxtest::WizardDrawing;

namespace {
const std::string kPage1 = "Data extraction v0.8.42 - Starting (1/5)";
const std::string kPage4 = "Data extraction - Properties selection (4/5)";
}  // namespace

class WizardSettings : public WizardDrawing {
protected:
    // Saves Length (shown as "Len") and Radius with the title "Pipes", the header hidden and
    // totals on.
    void saveSettings(const std::string& file)
    {
        drawLinesAndCircles();
        const std::string out = runWizard(
            "click Next\nclick Next\nclick Next\ncell-menu 1025 Length 1\nchoose \"No selection\"\n"
            "check 1025 Length 1\ncheck 1025 Radius 1\nedit 1025 Length 2 \"Len\"\ntype 1056 \"Pipes\"\ncheck 1029\n"
            "click Next\nclick 1003\nfile \"" +
            file + "\"\nclick Finish\n");
        ASSERT_TRUE(has(out, "\nFinished QEX export to : " + file)) << out;
    }
};

TEST_F(WizardSettings, AWizardStartedFromASettingsFileChecksItsPropertiesWithItsNamesTitleAndOptions)
{
    const std::string file = path("pipes.qex");
    saveSettings(file);
    // Page 2's Previous shows page 1 as it was left, path included.
    const std::string out = runWizard("click 1002\nfile \"" + file +
                                      "\"\nclick Next\nclick Previous\nclick Next\n"
                                      "click Next\nclick Next\ncancel\n");
    ASSERT_EQ(views(out, kPage1).size(), 2u);
    const std::string page1 = lastDialog(out, kPage1);
    EXPECT_TRUE(has(page1, "[ ] \"Create a new data extraction\"")) << page1;
    EXPECT_TRUE(has(page1, "edit \"" + file + "\""));

    const std::string page4 = lastDialog(out, kPage4);
    EXPECT_TRUE(has(page4, "[x] Length ")) << page4;
    EXPECT_TRUE(has(page4, "[x] Radius "));
    EXPECT_TRUE(has(page4, "[ ] Layer "));
    EXPECT_TRUE(has(lineWith(page4, "] Length "), "| Len ")) << "the saved display name";
    EXPECT_TRUE(has(page4, "edit \"Pipes\""));
    EXPECT_TRUE(has(lineWith(page4, "\"Hide header line\""), "[x]"));
    EXPECT_TRUE(has(lineWith(page4, "\"Display totals\""), "[x]"));
    EXPECT_FALSE(has(out, "Incorrect Qex data format"));
}

TEST_F(WizardSettings, CheckingCreateNewAgainDropsThePropertyChoiceButKeepsNamesAndTitle)
{
    const std::string file = path("pipes.qex");
    saveSettings(file);
    const std::string out = runWizard("click 1002\nfile \"" + file +
                                      "\"\ncheck 1004\nclick Next\nclick Previous\nshow\n"
                                      "click Next\nclick Next\nclick Next\ncancel\n");
    // Back on page 1 the path is gone with the property names: Next discarded both.
    EXPECT_TRUE(has(lastDialog(out, kPage1), "edit \"\""));
    const std::string page4 = lastDialog(out, kPage4);
    EXPECT_TRUE(has(page4, "[x] Layer ")) << page4;
    EXPECT_TRUE(has(lineWith(page4, "] Length "), "| Len "));
    EXPECT_TRUE(has(page4, "edit \"Pipes\""));
}

TEST_F(WizardSettings, AFileThatIsNotASettingsFileIsReportedAndThePageStays)
{
    const std::string file = path("broken.qex");
    std::ofstream(file) << "not xml at all";
    drawLinesAndCircles();
    const std::string out = runWizard("click 1002\nfile \"" + file + "\"\nshow\ncancel\n");
    EXPECT_TRUE(has(out, "\nIncorrect Qex data format, please export again."));
    EXPECT_EQ(views(out, kPage1).size(), 2u);
    EXPECT_TRUE(has(lastDialog(out, kPage1), "edit \"" + file + "\""));
}
