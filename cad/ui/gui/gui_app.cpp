#include "cad/ui/gui/gui_app.h"

#include <QApplication>
#include <cstdlib>

#include "cad/ui/gui/drawing_view.h"
#include "cad/ui/gui/gui_frontend.h"
#include "cad/ui/gui/main_window.h"

namespace qxgui {

bool displayAvailable()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

GuiSession::GuiSession() : m_window(std::make_unique<MainWindow>())
{
    auto frontEnd = std::make_unique<GuiFrontEnd>(m_window.get());
    m_frontEnd = frontEnd.get();
    qxui::setFrontEnd(std::move(frontEnd));
    MainWindow* window = m_window.get();
    qx::setOutputListener([window](std::u16string_view text) { window->appendOutput(text); });
    qx::setProgressListener([window](std::u16string_view task, int percent) { window->showProgress(task, percent); });
    qx::setLineReader([window](std::u16string_view prompt, qx::InputKind kind, std::u16string& line) {
        return window->readLine(prompt, kind, line);
    });
}

GuiSession::~GuiSession()
{
    qx::setLineReader({});
    qx::setOutputListener({});
    qx::setProgressListener({});
    qxui::setFrontEnd(nullptr);  // back to the console
}

int runGui(int& argc, char** argv, const std::function<void()>& commandLoop)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qxcad"));
    GuiSession session;
    session.window().show();  // the first command prompt shows the drawing
    commandLoop();
    return 0;
}

}  // namespace qxgui
