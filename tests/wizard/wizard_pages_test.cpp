// Pages 1 to 4 through the command: the start choices, the data source, the object kinds and
// their filter, the properties and options, and the state kept on trips back and forth.
#include "wizard_fixture.h"

using qxtest::WizardDrawing;

namespace {
const std::string kPage1 = "Data extraction v0.8.42 - Starting (1/5)";
const std::string kPage2 = "Data extraction - Define data source (2/5)";
const std::string kPage3 = "Data extraction - Objects selection (3/5)";
const std::string kPage4 = "Data extraction - Properties selection (4/5)";
}  // namespace

TEST_F(WizardDrawing, NextWithNeitherANewExtractionNorASettingsFileEndsTheWizard)
{
    drawLinesAndCircles();
    const std::string out = runWizard("uncheck 1004\nclick Next\n");
    EXPECT_TRUE(has(out, kPage1));
    EXPECT_FALSE(has(out, kPage2));
}

TEST_F(WizardDrawing, PageTwoShowsTheDrawingAndNextSelectsEveryObject)
{
    drawLinesAndCircles();
    const std::string out = runWizard("click Next\nclick Next\ncancel\n");
    const std::string page2 = lastDialog(out, kPage2);
    EXPECT_TRUE(has(page2, "<icon 133> /drawings/plant.dxf")) << page2;
    EXPECT_TRUE(has(page2, "(o) \"Current drawing\""));
    const std::string page3 = lastDialog(out, kPage3);
    EXPECT_TRUE(has(lineWith(page3, "| Line"), "[x]")) << page3;
    EXPECT_TRUE(has(lineWith(page3, "| Circle"), "[x]"));
}

TEST_F(WizardDrawing, PickingObjectsOnPageTwoGoesStraightToPageThreeWithTheirKindsOnly)
{
    const std::u16string line = append(new QxDbLine({0, 0, 0}, {10, 0, 0}));
    append(new QxDbCircle({0, 0, 0}, 1));
    const std::string out = runWizard("click Next\nclick 1002\nhandles " + qx::toUtf8(line) + "\ncancel\n");
    const std::string page3 = lastDialog(out, kPage3);
    EXPECT_TRUE(has(page3, "| Line")) << page3;
    EXPECT_FALSE(has(page3, "Circle"));

    // A cancelled pick keeps page 2.
    const std::string cancelled = runWizard("click Next\nclick 1002\ncancel\ncancel\n");
    EXPECT_FALSE(has(cancelled, kPage3));
}

TEST_F(WizardDrawing, AMixedSelectionListsNonBlockKindsAboveTheBlockAndTheFilterHidesAndRestoresThem)
{
    const QxDbObjectId door = addBlock(u"DOOR");
    addReference(door, u"WIDTH", u"90");
    drawLinesAndCircles();
    const std::string out = runWizard(
        "click Next\nclick Next\nuncheck 1022 Circle\nshow\nuncheck 1023 Non-Block\nshow\n"
        "check 1023 Non-Block\nshow\ncancel\n");
    const std::vector<std::string> shown = views(out, kPage3);
    ASSERT_EQ(shown.size(), 4u);
    const std::string& first = shown[0];
    EXPECT_LT(first.find("Non-Block"), first.find("] Block")) << first;
    EXPECT_LT(first.find("| Line"), first.find("| Circle"));
    EXPECT_LT(first.find("| Circle"), first.find("| Block"));

    // The last three views: after unchecking the filter only the block is left; checking it
    // again brings the kinds back, Circle still unchecked.
    EXPECT_FALSE(has(shown[2], "| Line"));
    EXPECT_FALSE(has(shown[2], "| Circle"));
    EXPECT_TRUE(has(shown[2], "| Block"));
    EXPECT_TRUE(has(lineWith(shown[3], "| Circle"), "[ ]")) << shown[3];
    EXPECT_TRUE(has(lineWith(shown[3], "| Line"), "[x]"));
}

TEST_F(WizardDrawing, GoingBackToPageOneAndForwardAgainKeepsTheChecksOfPagesThreeAndFour)
{
    drawLinesAndCircles();
    const std::string out = runWizard(
        "click Next\nclick Next\nuncheck 1022 Circle\nclick Next\nuncheck 1025 Layer Property\nclick Previous\n"
        "click Previous\nclick Previous\nclick Next\nclick Next\nclick Next\ncancel\n");
    EXPECT_EQ(count(out, "Dialog \"" + kPage1), 2u);
    const std::string page3 = lastDialog(out, kPage3);
    EXPECT_TRUE(has(lineWith(page3, "| Circle"), "[ ]")) << page3;
    const std::string page4 = lastDialog(out, kPage4);
    EXPECT_TRUE(has(page4, "[ ] Layer ")) << page4;
    EXPECT_TRUE(has(page4, "[x] Length ")) << page4;
    EXPECT_FALSE(has(page4, "Radius")) << "circles were left out on page 3";
}

TEST_F(WizardDrawing, AFilterChangeOnPageThreeRebuildsThePropertyRowsAndAKindChangeDoesNot)
{
    const QxDbObjectId door = addBlock(u"DOOR");
    addReference(door, u"WIDTH", u"90");
    drawLinesAndCircles();
    const std::string kept = runWizard(
        "click Next\nclick Next\nclick Next\nuncheck 1025 Layer Property\nclick Previous\n"
        "uncheck 1022 Circle\nclick Next\ncancel\n");
    EXPECT_TRUE(has(lastDialog(kept, kPage4), "[ ] Layer ")) << lastDialog(kept, kPage4);

    const std::string rebuilt = runWizard(
        "click Next\nclick Next\nclick Next\nuncheck 1025 Layer Property\nclick Previous\n"
        "uncheck 1023 Block\ncheck 1023 Block\nclick Next\ncancel\n");
    EXPECT_TRUE(has(lastDialog(rebuilt, kPage4), "[x] Layer ")) << lastDialog(rebuilt, kPage4);
}

TEST_F(WizardDrawing, CombiningStartsOffFromTheDataSourceAndKeepsTheChoiceMadeOnPageFour)
{
    drawLinesAndCircles();
    const std::string out = runWizard(
        "click Next\nclick Next\nclick Next\nshow\ncheck 1033\nclick Previous\nclick Next\n"
        "cancel\n");
    std::size_t first = out.find("Dialog \"" + kPage4);
    ASSERT_NE(first, std::string::npos);
    EXPECT_TRUE(has(lineWith(out.substr(first), "\"Combine rows by :\""), "[ ]"));
    EXPECT_TRUE(has(lineWith(lastDialog(out, kPage4), "\"Combine rows by :\""), "[x]"));
}

TEST_F(WizardDrawing, PageFourListsTheCategoriesInOrderAndTheFilterRemovesAndRestoresTheirProperties)
{
    drawLinesAndCircles();
    const std::string out = runWizard(
        "click Next\nclick Next\nclick Next\nuncheck 1025 Radius Property\nuncheck 1025 Radius Total\n"
        "uncheck 1023 Geometry\nshow\ncheck 1023 Geometry\nshow\ncancel\n");
    const std::vector<std::string> shown = views(out, kPage4);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_LT(shown[0].find("] General"), shown[0].find("] Geometry"));
    EXPECT_LT(shown[0].find("] Layer "), shown[0].find("] Length ")) << "General properties first";
    // Totalable properties start with their Total checked, the others not.
    EXPECT_EQ(lastCell(lineWith(shown[0], "] Length ")), "[x]");
    EXPECT_EQ(lastCell(lineWith(shown[0], "] Layer ")), "[ ]");
    EXPECT_FALSE(has(shown[1], "Length"));
    EXPECT_TRUE(has(shown[1], "] Layer "));
    EXPECT_TRUE(has(shown[2], "[x] Length "));
    // A property unchecked before its category went away comes back unchecked.
    EXPECT_TRUE(has(shown[2], "[ ] Radius ")) << shown[2];
    // So does its Total: the table would otherwise total a column the user had turned off.
    EXPECT_EQ(lastCell(lineWith(shown[2], "] Radius ")), "[ ]") << shown[2];
    EXPECT_EQ(lastCell(lineWith(shown[2], "] Length ")), "[x]") << shown[2];
}

TEST_F(WizardDrawing, ANewSelectionAfterATripBackListsTheKindsItHoldsKeepingTheChecksOfTheOthers)
{
    const std::u16string line = append(new QxDbLine({0, 0, 0}, {10, 0, 0}));
    append(new QxDbLine({0, 0, 0}, {0, 5, 0}));
    append(new QxDbCircle({0, 0, 0}, 1));
    const std::string out = runWizard("click Next\nclick 1002\nhandles " + qx::toUtf8(line) +
                                      "\nuncheck 1022 Line\nclick Previous\nclick Next\ncancel\n");
    const std::vector<std::string> shown = views(out, kPage3);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_FALSE(has(shown[0], "Circle"));
    EXPECT_TRUE(has(lineWith(shown[1], "| Circle"), "[x]")) << shown[1];
    EXPECT_TRUE(has(lineWith(shown[1], "| Line"), "[ ]"));
}

TEST_F(WizardDrawing, ThePagesShowTheCatalogueTextsOfTheUserInterfaceLanguage)
{
    qx::setUserLanguage(qx::Language::French);
    const std::string out = runWizard("cancel\n");
    qx::setUserLanguage(qx::Language::English);
    EXPECT_TRUE(has(out, "Dialog \"Extraction de données v0.8.42.1 - Démarrage (1/5)\"")) << out;
    EXPECT_TRUE(has(out, "[x] \"Créer une extraction de données\""));
    EXPECT_FALSE(has(out, "Create a new data extraction"));
}
