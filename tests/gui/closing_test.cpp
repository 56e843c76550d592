// Closing the window closes the drawing: with unsaved changes it asks first, and the answer
// keeps the window open or saves the drawing before the window goes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "cad/ui/gui/main_window.h"
#include "gui_fixture.h"
#include "support/files.h"

TEST(GuiClosing, AChangedDrawingIsKeptOrSavedAsTheUserAnswers)
{
    qxtest::application();
    qxtest::startHost();
    qxtest::TempDir dir;
    const std::string plan = dir.write("plan.dxf", qxtest::readFile(std::string(QX_SOURCE_DIR) + "/samples/plan.dxf"));
    qxgui::GuiSession session;
    qxgui::MainWindow& window = session.window();
    window.show();
    qxtest::Driver driver(session);
    QStringList asked;
    // Closes the window and answers its question, if it asks one, with `button`.
    const auto closeAnswering = [&](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [&asked, button] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked << box->text();
                box->button(button)->click();
            }
        });
        window.close();
    };
    const auto atPrompt = [&window] { return window.waitingFor() == qx::InputKind::Text; };

    driver.type("OPEN " + plan);
    driver.type("ERASE 215");
    driver.waitFor("the prompt after erasing", atPrompt);
    driver.act("closing, then cancelling", [&] { closeAnswering(QMessageBox::Cancel); });
    driver.act("looking at the window", [&] {
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(window.isWindowModified());
    });
    driver.waitFor("the prompt after cancelling", atPrompt);
    driver.act("closing, then saving", [&] { closeAnswering(QMessageBox::Save); });
    driver.run();

    EXPECT_EQ(asked, QStringList(2, QStringLiteral("Save the changes to plan.dxf?")));
    const std::string saved = qxtest::readFile(plan);
    EXPECT_EQ(saved.find("  5\n215\n"), std::string::npos) << "the erased door was saved as erased";
    EXPECT_NE(saved.find("  5\n21B\n"), std::string::npos);
}
