// The host's window in the test process, on the offscreen platform: the module attached, the
// host's commands registered, and a driver that plays a user's clicks and typing while the
// host's command loop runs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "cad/ui/gui/gui_app.h"

namespace qxtest {

// The toolkit's application, made once for the whole test program.
QApplication& application();

// Attaches the module and registers the host's commands, once.
void startHost();

// Steps played one after the other while the host's loop runs. A wait step passes once its
// condition holds; an action is posted to the event loop, so that what it opens (a dialog, a
// menu, a request for a point) runs its own loop while the driver goes on.
class Driver {
public:
    explicit Driver(qxgui::GuiSession& session);
    ~Driver();

    void waitFor(std::string what, std::function<bool()> condition);
    void act(std::string what, std::function<void()> action);
    // Types a line into the command line when the host waits for a command (or for
    // another text request when `kind` says so) and presses Enter.
    void type(const std::string& line);
    // Closes the main window at the command prompt, which ends the host's loop; changes the
    // steps made to the drawing are let go.
    void finish();
    // Runs the host's command loop until the steps are done and the window is closed. Fails
    // the test with the step that never came when the window is left waiting too long.
    void run();
    // Starts playing the steps without the command loop: the caller makes a request itself.
    void startTicking();

    qxgui::GuiSession& session() const { return m_session; }

private:
    struct Step {
        std::string what;
        std::function<bool()> condition;  // wait steps
        std::function<void()> action;     // actions
    };
    void tick();

    qxgui::GuiSession& m_session;
    std::deque<Step> m_steps;
    QTimer m_timer;
    int m_idleTicks = 0;
};

// Where the tests put their pictures: build/gui-screenshots/.
std::filesystem::path screenshotDir();

// The demo's drawing: the sample plan with its table of doors and windows beside it, made once
// per test program by running samples/demo.scr on the console with its paths moved to a
// folder of the test's own (the outputs the demo writes to build/demo/ go there too).
std::filesystem::path demoDrawing();

// The handle (hexadecimal, as the console takes it) of the first table in a DXF file; empty
// when there is none.
std::string tableHandleIn(const std::filesystem::path& drawing);

}  // namespace qxtest
