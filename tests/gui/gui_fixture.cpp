#include "gui_fixture.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cad/app/command_loop.h"
#include "cad/dxf/dxf_builtins.h"
#include "cad/editor/db_builtins.h"
#include "cad/runtime/language.h"
#include "cad/runtime/sysvars.h"
#include "cad/ui/gui/main_window.h"
#include "entrypoint.h"
#include "module/module_state.h"
#include "support/run_qxcad.h"

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
    act("closing the window", [&window] {
        // A drawing the steps changed is let go: the window asks before it closes.
        QTimer::singleShot(0, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Discard)->click();
        });
        window.close();
    });
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

namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

std::filesystem::path demoDrawing()
{
    static const std::filesystem::path drawing = [] {
        const auto dir = std::filesystem::temp_directory_path() / ("qx-gui-demo-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::ifstream in(std::string(QX_SOURCE_DIR) + "/samples/demo.scr");
        std::string script((std::istreambuf_iterator<char>(in)), {});
        script = replaceAll(script, "samples/", std::string(QX_SOURCE_DIR) + "/samples/");
        script = replaceAll(script, "build/demo/", dir.string() + "/");
        const RunResult run = runQxcad(script);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return dir / "plan-with-openings.dxf";
    }();
    return drawing;
}

std::string tableHandleIn(const std::filesystem::path& drawing)
{
    std::ifstream in(drawing);
    const auto trimmed = [](std::string text) {
        text.erase(0, text.find_first_not_of(" \r"));
        text.erase(text.find_last_not_of(" \r") + 1);
        return text;
    };
    // Group codes and values come in pairs; an entity's handle (code 5) follows its type.
    std::string code, value;
    bool afterTable = false;
    while (std::getline(in, code) && std::getline(in, value)) {
        code = trimmed(code);
        value = trimmed(value);
        if (afterTable && code == "5") return value;
        afterTable = code == "0" && value == "ACAD_TABLE";
    }
    return "";
}

}  // namespace qxtest
