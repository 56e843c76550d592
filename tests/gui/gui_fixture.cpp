#include "gui_fixture.h"

#include <QLineEdit>
#include <QTest>
#include <cstdio>

#include "cad/app/command_loop.h"
#include "cad/dxf/dxf_builtins.h"
#include "cad/editor/db_builtins.h"
#include "cad/runtime/language.h"
#include "cad/runtime/sysvars.h"
#include "cad/ui/gui/main_window.h"
#include "entrypoint.h"
#include "module/module_state.h"

extern "C" QxRx::AppRetCode qxrxEntryPoint(QxRx::AppMsgCode message, void* appPacket);

namespace qxtest {

namespace {
constexpr int kTickMs = 10;
constexpr int kPatienceTicks = 6000;  // a step that has not come after a minute never will
}  // namespace

QApplication& application()
{
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *app;
}

void startHost()
{
    static bool started = [] {
        qx::setUserLanguage(qx::Language::English);
        qx::registerAppBuiltins();
        qx::registerVariableBuiltins();
        qx::registerDatabaseBuiltins();
        qx::registerDxfBuiltins();
        static int packet = 0;
        AttachModule();
        qxrxEntryPoint(QxRx::kInitAppMsg, &packet);
        return true;
    }();
    (void)started;
}

Driver::Driver(qxgui::GuiSession& session) : m_session(session)
{
    m_timer.setInterval(kTickMs);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
}

Driver::~Driver() { m_timer.stop(); }

void Driver::waitFor(std::string what, std::function<bool()> condition)
{
    m_steps.push_back({std::move(what), std::move(condition), {}});
}

void Driver::act(std::string what, std::function<void()> action) { m_steps.push_back({std::move(what), {}, std::move(action)}); }

void Driver::type(const std::string& line)
{
    qxgui::MainWindow& window = m_session.window();
    waitFor("the command prompt before " + line, [&window] { return window.waitingFor() == qx::InputKind::Text; });
    act("typing " + line, [&window, line] {
        QTest::keyClicks(&window.commandInput(), QString::fromStdString(line));
        QTest::keyClick(&window.commandInput(), Qt::Key_Return);
    });
}

void Driver::finish()
{
    qxgui::MainWindow& window = m_session.window();
    waitFor("the command prompt at the end", [&window] { return window.waitingFor() == qx::InputKind::Text; });
    act("closing the window", [&window] { window.close(); });
}

void Driver::tick()
{
    if (m_steps.empty()) return;
    Step& step = m_steps.front();
    if (step.condition) {
        if (!step.condition()) {
            if (++m_idleTicks > kPatienceTicks) {
                std::fprintf(stderr, "test_gui: still waiting for %s\n", step.what.c_str());
                std::abort();  // the host would wait for ever
            }
            return;
        }
        m_idleTicks = 0;
        m_steps.pop_front();
        return;
    }
    std::function<void()> action = std::move(step.action);
    m_steps.pop_front();
    m_idleTicks = 0;
    QTimer::singleShot(0, action);
}

void Driver::run()
{
    m_session.window().show();
    m_timer.start();
    qx::runCommandLoop();
    m_timer.stop();
    EXPECT_TRUE(m_steps.empty()) << "left undone: " << (m_steps.empty() ? "" : m_steps.front().what);
}

void Driver::startTicking()
{
    m_session.window().show();
    m_timer.start();
}

std::filesystem::path screenshotDir()
{
    const auto dir = std::filesystem::path(QX_BUILD_DIR) / "gui-screenshots";
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace qxtest
