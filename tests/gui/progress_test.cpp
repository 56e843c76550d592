// The status bar's progress while a large drawing is read or saved.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QProgressBar>
#include <algorithm>
#include <filesystem>
#include <map>
#include <fstream>
#include <vector>

#include "bench/dxf_drawing_generator.h"
#include "cad/ui/gui/main_window.h"
#include "gui_fixture.h"

namespace {

// A generated drawing larger than the size from which the host reports its reading.
std::filesystem::path largeDrawing()
{
    const auto file = std::filesystem::temp_directory_path() / ("qx-gui-large-" + std::to_string(::getpid()) + ".dxf");
    std::string bytes;
    for (std::size_t entities = 40000; bytes.size() <= (12u << 20); entities *= 2)
        bytes = qx::bench::DxfDrawingGenerator(3).drawing(entities);
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

}  // namespace

// The bar's steps while a large drawing is read, then while it is saved under another name:
// each run of steps rises to 100 under its own label, and the bar goes at the next prompt.
TEST(GuiProgress, TheBarFollowsTheReadingAndTheSavingOfALargeDrawingAndGoesAfterEach)
{
    qxtest::application();
    qxtest::startHost();
    const auto drawing = largeDrawing();
    const auto saved = std::filesystem::path(drawing).replace_extension(".saved.dxf");
    qxgui::GuiSession session;
    QProgressBar& bar = session.window().progress();
    EXPECT_FALSE(bar.isVisible());
    std::map<QString, std::vector<int>> shown;  // the values the bar took on screen, by label
    QObject::connect(&bar, &QProgressBar::valueChanged, [&](int value) {
        if (bar.isVisible()) shown[bar.format()].push_back(value);
    });
    std::vector<bool> visibleAfter;
    qxtest::Driver driver(session);
    session.window().show();
    const auto atPromptAfter = [&](const char* message) {
        return [&session, message] {
            return session.window().waitingFor() == qx::InputKind::Text &&
                   session.window().history().toPlainText().contains(QString::fromUtf8(message));
        };
    };
    driver.type("OPEN " + drawing.string());
    driver.waitFor("the command prompt after opening", atPromptAfter("Opened "));
    driver.act("looking at the status bar", [&] { visibleAfter.push_back(bar.isVisible()); });
    driver.type("SAVEAS " + saved.string());
    driver.waitFor("the command prompt after saving", atPromptAfter("Saved "));
    driver.act("looking at the status bar", [&] { visibleAfter.push_back(bar.isVisible()); });
    driver.finish();
    driver.run();
    std::filesystem::remove(drawing);
    const bool written = std::filesystem::exists(saved);
    std::filesystem::remove(saved);

    EXPECT_TRUE(written);
    ASSERT_EQ(shown.size(), 2u) << "one label for reading, one for saving";
    for (const auto& [label, values] : shown) {
        EXPECT_TRUE(label.startsWith(QStringLiteral("Reading")) || label.startsWith(QStringLiteral("Saving"))) << label.toStdString();
        ASSERT_GE(values.size(), 3u) << label.toStdString() << ": too few steps";
        EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << label.toStdString();
        EXPECT_EQ(values.back(), 100) << label.toStdString();
    }
    EXPECT_EQ(visibleAfter, (std::vector<bool>{false, false})) << "the bar stays after the command";
}
