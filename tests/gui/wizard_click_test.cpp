// The extraction wizard worked through the window by clicks and typing gives the files the
// console run of the same choices gives, and every page is captured and checked.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "cad/ui/gui/drawing_view.h"
#include "cad/ui/gui/gui_frontend.h"
#include "cad/ui/gui/main_window.h"
#include "dialog_steps.h"
#include "gui_fixture.h"
#include "page_checks.h"
#include "support/run_qxcad.h"

namespace {

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::filesystem::path freshDir(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

const std::string kSample = std::string(QX_SOURCE_DIR) + "/samples/plan.dxf";
// The plan's seven doors and eight windows, without the plant room's equipment.
const std::string kOpenings = "handles 215 21B 221 227 22D 233 239 23F 245 24B 251 257 25D 263 269";

// The demo's first run: the doors and windows with their type, number, sizes and fire rating,
// renamed, sorted by number and in reading order, as a table beside the plan, a CSV file and
// a settings file.
std::string consoleScript(const std::filesystem::path& dir)
{
    return "OPEN " + kSample + "\nDATAEXTRACTION\nclick Next\nclick 1002\n" + kOpenings +
           "\nclick Next\n"
           "choose \"No selection\"\ncheck 1025 \"Block name\" 1\ncheck 1025 NUMBER 1\ncheck 1025 WIDTH 1\n"
           "check 1025 HEIGHT 1\ncheck 1025 FIRE_RATING 1\ncheck 1025 Quantity 1\nuncheck 1025 WIDTH 3\n"
           "uncheck 1025 HEIGHT 3\nedit 1025 \"Block name\" 2 \"Type\"\nedit 1025 NUMBER 2 \"Number\"\n"
           "edit 1025 WIDTH 2 \"Width (mm)\"\nedit 1025 HEIGHT 2 \"Height (mm)\"\n"
           "edit 1025 FIRE_RATING 2 \"Fire rating\"\ntype 1056 \"Doors and windows\"\nclick Next\n"
           "sort 1022 Number\nmove-column 1022 Number 2\nmove-column 1022 \"Width (mm)\" 3\n"
           "move-column 1022 \"Height (mm)\" 4\nmove-column 1022 \"Fire rating\" 5\n"
           "click 1031\n2150,1200\nclick 1029\nfile \"" +
           (dir / "openings.csv").string() + "\" 1\nclick 1003\nfile \"" + (dir / "openings.qex").string() +
           "\"\nclick Finish\nQUIT\n";
}

}  // namespace

TEST(GuiWizard, ClicksGiveTheConsoleRunsFilesAndEveryPageIsDrawnAsItsTemplateSays)
{
    qxtest::application();
    qxtest::startHost();
    const auto guiDir = freshDir("qx-gui-wizard"), consoleDir = freshDir("qx-console-wizard");
    const auto shots = qxtest::screenshotDir();

    qxgui::GuiSession session;
    qxtest::Driver driver(session);
    qxtest::DialogSteps steps(driver);
    std::set<std::uint32_t> pagesSeen;
    auto look = [&](qxgui::DialogWindow& page) {
        pagesSeen.insert(page.model().templateId);
        qxtest::captureAndCheckDialog(page, shots / ("page-" + std::to_string(page.model().templateId) + ".png"));
    };

    driver.type("OPEN " + kSample);
    driver.type("DATAEXTRACTION");
    steps.page(102, look);
    steps.click(1);
    steps.page(103, look);
    steps.click(1002);
    // The page hides while the objects are asked for; the handles are typed on the command line.
    driver.waitFor("the selection request", [&] { return session.window().waitingFor() == qx::InputKind::Selection; });
    driver.act("typing the handles", [&] { session.window().submit(QString::fromStdString(kOpenings)); });
    steps.page(110, look);
    steps.click(1);
    steps.page(111);
    steps.rightClickCell(1025, "Block name", 1);
    steps.chooseMenu("No selection");
    for (const char* property : {"Block name", "NUMBER", "WIDTH", "HEIGHT", "FIRE_RATING", "Quantity"})
        steps.clickCheck(1025, property, 1);
    steps.clickCheck(1025, "WIDTH", 3);
    steps.clickCheck(1025, "HEIGHT", 3);
    const std::pair<const char*, const char*> names[] = {{"Block name", "Type"},          {"NUMBER", "Number"},
                                                         {"WIDTH", "Width (mm)"},         {"HEIGHT", "Height (mm)"},
                                                         {"FIRE_RATING", "Fire rating"}};
    for (const auto& [property, name] : names) steps.editCell(1025, property, 2, name);
    steps.typeInto(1056, "Doors and windows");
    steps.page(111, look);
    steps.click(1);
    steps.page(112);
    steps.clickHeader(1022, "Number");
    steps.moveColumn(1022, "Number", 2);
    steps.moveColumn(1022, "Width (mm)", 3);
    steps.moveColumn(1022, "Height (mm)", 4);
    steps.moveColumn(1022, "Fire rating", 5);
    steps.page(112, look);
    steps.click(1031);
    // The page hides while the point is asked for; it is typed on the command line.
    driver.waitFor("the point request", [&] { return session.window().waitingFor() == qx::InputKind::Point; });
    driver.act("typing the point", [&] { session.window().submit(QStringLiteral("2150,1200")); });
    steps.page(112);
    steps.click(1029);
    steps.chooseFile((guiDir / "openings.csv").string());
    steps.page(112);
    steps.click(1003);
    steps.chooseFile((guiDir / "openings.qex").string());
    steps.page(112, look);
    steps.click(1);
    driver.waitFor("the command prompt after the wizard", [&] { return session.window().waitingFor() == qx::InputKind::Text; });
    driver.act("capturing the window with the new table", [&] {
        // The inserted table changed the drawing: the title says so.
        EXPECT_TRUE(session.window().isWindowModified());
        EXPECT_TRUE(session.window().windowTitle().startsWith(QStringLiteral("plan.dxf[*]"))) << session.window().windowTitle().toStdString();
        // The plan and its table, zoomed so that both fill the view.
        session.window().resize(1280, 800);
        session.window().view().zoomExtents();
        session.window().view().finishPicture();
        session.window().grab().save(QString::fromStdString((shots / "main-window-after-wizard.png").string()));
    });
    // Once saved, the drawing no longer counts as changed.
    driver.act("saving the drawing", [&] {
        session.window().submit(QString::fromStdString("SAVEAS " + (guiDir / "saved.dxf").string()));
    });
    driver.waitFor("the command prompt after saving", [&] { return session.window().waitingFor() == qx::InputKind::Text; });
    driver.act("reading the title", [&] {
        EXPECT_FALSE(session.window().isWindowModified());
        EXPECT_TRUE(session.window().windowTitle().startsWith(QStringLiteral("saved.dxf"))) << session.window().windowTitle().toStdString();
    });
    driver.finish();
    driver.run();

    EXPECT_EQ(pagesSeen, (std::set<std::uint32_t>{102, 103, 110, 111, 112}));
    const auto console = qxtest::runQxcad(consoleScript(consoleDir));
    ASSERT_EQ(console.exitCode, 0) << console.output;
    const std::string csv = readFile(guiDir / "openings.csv");
    // The demo's rows: the first door and the last window, in reading order.
    EXPECT_NE(csv.find("\"Type\",Number,\"Width (mm)\",\"Height (mm)\",\"Fire rating\",\"Quantity\""), std::string::npos) << csv;
    ASSERT_NE(csv.find("W08"), std::string::npos) << csv;
    EXPECT_LT(csv.find("D01"), csv.find("W08")) << csv;
    EXPECT_EQ(csv, readFile(consoleDir / "openings.csv"));
    EXPECT_EQ(replaceAll(readFile(guiDir / "openings.qex"), guiDir.string(), "DIR"),
              replaceAll(readFile(consoleDir / "openings.qex"), consoleDir.string(), "DIR"));
    // The window's command line showed the same messages as the console.
    const std::string history = session.window().history().toPlainText().toStdString();
    EXPECT_NE(history.find("CSV export done to : " + (guiDir / "openings.csv").string()), std::string::npos) << history;
}

// The update command's dialog: captured, then its first action picks the table with one click
// in the view while the dialog is hidden; the command line shows what the console shows.
TEST(GuiUpdate, PickingTheTableInTheViewGivesTheConsolesMessages)
{
    qxtest::application();
    qxtest::startHost();
    const std::string drawing = qxtest::demoDrawing().string();
    const std::string tableHandle = qxtest::tableHandleIn(drawing);
    ASSERT_FALSE(tableHandle.empty());
    qxgui::GuiSession session;
    qxtest::Driver driver(session);
    qxtest::DialogSteps steps(driver);
    bool captured = false;
    driver.type("OPEN " + drawing);
    driver.type("DATAEXTRACTIONUPDATE");
    steps.page(135, [&](qxgui::DialogWindow& dialog) {
        qxtest::captureAndCheckDialog(dialog, qxtest::screenshotDir() / "update-dialog.png");
        captured = true;
    });
    steps.click(1051);
    driver.waitFor("the object request", [&] { return session.window().waitingFor() == qx::InputKind::SingleObject; });
    driver.act("clicking the table's frame", [&] {
        qxgui::DrawingView& view = session.window().view();
        const auto& entities = view.scene().entities();
        const auto table = std::find_if(entities.begin(), entities.end(), [&](const auto& e) { return e.handle == std::stoull(tableHandle, nullptr, 16); });
        ASSERT_NE(table, entities.end());
        // The frame: the table's lines (its bounds also hold the generous estimates of its texts).
        QRectF frame;
        for (const qxgui::Stroke& stroke : table->strokes) frame |= stroke.path.boundingRect();
        view.zoomTo(table->bounds);
        // The left edge of the table, halfway down.
        const QPointF edge(frame.left(), frame.center().y());
        QTest::mouseClick(&view, Qt::LeftButton, {}, view.toScreen(edge).toPoint());
    });
    driver.finish();
    driver.run();
    EXPECT_TRUE(captured);

    const auto console = qxtest::runQxcad("OPEN " + drawing + "\nDATAEXTRACTIONUPDATE\nclick 1051\nhandles " + tableHandle + "\nQUIT\n");
    ASSERT_EQ(console.exitCode, 0) << console.output;
    const std::string history = session.window().history().toPlainText().toStdString();
    EXPECT_NE(history.find("Select object: handles " + tableHandle), std::string::npos) << history;
    // The messages after the pick are the console's, line for line (the console also prints
    // the dialog, which the window shows instead).
    const auto after = [](const std::string& text) {
        const std::size_t from = text.find("Select object: ");
        const std::size_t to = text.find("Command:", from);
        std::istringstream lines(from == std::string::npos ? "" : text.substr(from, to - from));
        std::string line, kept;
        std::getline(lines, line);  // the pick itself, which the window words as the console does
        while (std::getline(lines, line))
            if (!line.empty() && line.rfind("Dialog ", 0) != 0 && line.rfind("  ", 0) != 0) kept += line + "\n";
        return kept;
    };
    EXPECT_FALSE(after(console.output).empty()) << console.output;
    EXPECT_EQ(after(history), after(console.output));
}

TEST(FrontEndChoice, AScriptRunsOnTheConsoleEvenWithADisplayAndCannotBeCombinedWithTheWindow)
{
    const auto onConsole = qxtest::runQxcad("HELP\nQUIT\n", "", "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(onConsole.exitCode, 0) << onConsole.output;
    EXPECT_NE(onConsole.output.find("Command: HELP"), std::string::npos) << onConsole.output;
    const auto both = qxtest::runQxcad("QUIT\n", "--gui", "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(both.exitCode, 2) << both.output;
    EXPECT_NE(both.output.find("--script runs on the console"), std::string::npos) << both.output;
}
