// Running the host in a window: the main window becomes the front end of the dialog model and
// the source of the host's input, for as long as a session lasts.
#pragma once

#include <functional>
#include <memory>

namespace qxgui {

class GuiFrontEnd;
class MainWindow;

// Whether a window can be shown: a display to show it on, or a platform named explicitly.
bool displayAvailable();

// Makes the window the host's front end and input until destroyed, then gives both back to
// the console. Needs the application object of the toolkit.
class GuiSession {
public:
    GuiSession();
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

    MainWindow& window() const { return *m_window; }
    GuiFrontEnd& frontEnd() const { return *m_frontEnd; }

private:
    std::unique_ptr<MainWindow> m_window;
    GuiFrontEnd* m_frontEnd = nullptr;  // owned by the host's front-end slot
};

// Opens the main window and runs `commandLoop` (the host's loop of commands) in it until the
// user quits or closes the window. Returns the process's exit status.
int runGui(int& argc, char** argv, const std::function<void()>& commandLoop);

}  // namespace qxgui
