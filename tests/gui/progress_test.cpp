// The status bar's progress while a large drawing is read.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QProgressBar>
#include <algorithm>
#include <filesystem>
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

TEST(GuiProgress, TheBarFollowsTheReadingOfALargeDrawingAndGoesWhenItIsOpen)
{
    qxtest::application();
    qxtest::startHost();
    const auto drawing = largeDrawing();
    qxgui::GuiSession session;
    QProgressBar& bar = session.window().progress();
    EXPECT_FALSE(bar.isVisible());
    std::vector<int> shown;  // the values the bar took while it was on screen
    QObject::connect(&bar, &QProgressBar::valueChanged, [&](int value) {
        if (bar.isVisible()) shown.push_back(value);
    });
    bool visibleAfter = true;
    qxtest::Driver driver(session);
    session.window().show();
    driver.type("OPEN " + drawing.string());
    driver.waitFor("the command prompt after opening", [&] {
        return session.window().waitingFor() == qx::InputKind::Text &&
               session.window().history().toPlainText().contains(QStringLiteral("Opened "));
    });
    driver.act("looking at the status bar", [&] { visibleAfter = bar.isVisible(); });
    driver.finish();
    driver.run();
    std::filesystem::remove(drawing);

    ASSERT_GE(shown.size(), 3u) << "the bar showed too few steps";
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(shown.back(), 100);
    EXPECT_FALSE(visibleAfter) << "the bar stays after the drawing is open";
}
