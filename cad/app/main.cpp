// qxcad: the stand-in CAD host. Loads the data-extraction module (and any other given), opens
// a drawing, and runs commands typed at the prompt or read from a script.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <vector>

#include "cad/app/command_loop.h"
#include "cad/app/module_loader.h"
#include "cad/editor/console.h"
#include "cad/dxf/dxf_builtins.h"
#include "cad/editor/db_builtins.h"
#include "cad/runtime/documents.h"
#include "cad/runtime/language.h"
#include "cad/runtime/sysvars.h"
#include "cad/ui/console/console_frontend.h"
#include "database.h"
#ifdef QX_HAVE_GUI
#include "cad/ui/gui/gui_app.h"
#endif

namespace {

struct Options {
    std::optional<qx::Language> language;
    std::vector<std::string> modules;
    std::string script;
    std::string drawing;
    bool fullLists = false;  // print every row of a long list, not a screenful
    enum class FrontEnd { Automatic, Console, Window } frontEnd = FrontEnd::Automatic;
};

constexpr const char* kUsage =
    "usage: qxcad [--lang en|fr|es] [--module FILE]... [--script FILE] [--full-lists] [--gui | --console] [DRAWING]\n";

bool parseOptions(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--lang" && hasValue) {
            options.language = qx::languageFromOption(argv[++i]);
            if (!options.language) {
                error = std::string("unknown language '") + argv[i] + "' (en, fr or es)";
                return false;
            }
        } else if (arg == "--module" && hasValue) {
            options.modules.push_back(argv[++i]);
        } else if (arg == "--script" && hasValue) {
            options.script = argv[++i];
        } else if (arg == "--full-lists") {
            options.fullLists = true;
        } else if (arg == "--gui") {
            options.frontEnd = Options::FrontEnd::Window;
        } else if (arg == "--console") {
            options.frontEnd = Options::FrontEnd::Console;
        } else if (!arg.starts_with("--") && options.drawing.empty()) {
            options.drawing = arg;
        } else {
            error = "unexpected argument '" + arg + "'";
            return false;
        }
    }
    return true;
}

// The data-extraction module is built beside the host.
std::string defaultModulePath()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (ec ? std::filesystem::path(".") : exe.parent_path()) / "dataextract.qxrx";
}

// A window when asked for, or when a display is there and nothing asks for the console (a
// script always runs on the console).
bool useWindow(const Options& options)
{
#ifdef QX_HAVE_GUI
    if (options.frontEnd == Options::FrontEnd::Window) return true;
    return options.frontEnd == Options::FrontEnd::Automatic && options.script.empty() && qxgui::displayAvailable();
#else
    (void)options;
    return false;
#endif
}

void newDrawing() { qx::setCurrentDocument(u"Drawing1.dxf", std::make_shared<QxDbDatabase>()); }

}  // namespace

namespace {

// A drawing of a million objects makes the wizard allocate some hundred million small blocks.
// On a heap that asks for transparent huge pages, first touching that memory costs a fraction
// of the page faults: the whole wizard runs about a third faster. The C library reads that
// setting only from the environment at start, so qxcad starts itself once more with it.
// QXCAD_SMALL_PAGES, or a GLIBC_TUNABLES that names the setting, leaves the process as it is;
// so does a preloaded library: a debugger's instrumentation or another allocator, which a
// second start would lose or make pointless.
void restartWithHugePageHeap(char** argv)
{
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    const char* preloaded = std::getenv("LD_PRELOAD");
    if (std::getenv("QXCAD_SMALL_PAGES") || (preloaded && *preloaded) ||
        (tunables && std::strstr(tunables, "glibc.malloc.hugetlb")))
        return;
    const std::string setting = "glibc.malloc.hugetlb=1";
    const std::string value = tunables && *tunables ? std::string(tunables) + ":" + setting : setting;
    if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
    execv("/proc/self/exe", argv);
    // Only a failed start comes back here: the usual heap does the job, more slowly.
    unsetenv("GLIBC_TUNABLES");
    if (tunables) setenv("GLIBC_TUNABLES", tunables, 1);
}

}  // namespace

int main(int argc, char** argv)
{
    restartWithHugePageHeap(argv);
    Options options;
    std::string error;
    std::u16string uerror;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "qxcad: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    qxui::setFullLists(options.fullLists);
    qx::setUserLanguage(options.language.value_or(qx::languageFromEnvironment()));
    qx::registerAppBuiltins();
    qx::registerVariableBuiltins();
    qx::registerDatabaseBuiltins();
    qx::registerDxfBuiltins();
    qx::markTime(u"start");
    newDrawing();
    if (!options.drawing.empty() && !qx::openDrawing(options.drawing, uerror)) {
        std::fprintf(stderr, "qxcad: %s\n", qx::toUtf8(uerror).c_str());
        return 1;
    }

    std::vector<qx::LoadedModule> modules;
    std::vector<std::string> paths{defaultModulePath()};
    paths.insert(paths.end(), options.modules.begin(), options.modules.end());
    for (const std::string& path : paths) {
        qx::LoadedModule module;
        if (!qx::loadModule(path, module, error)) {
            std::fprintf(stderr, "qxcad: %s\n", error.c_str());
            for (auto& loaded : modules) qx::unloadModule(loaded);
            return 1;
        }
        modules.push_back(module);
    }

    const bool window = useWindow(options);
#ifndef QX_HAVE_GUI
    if (options.frontEnd == Options::FrontEnd::Window) {
        std::fprintf(stderr, "qxcad: this build has no window (Qt 6 was not found); running on the console\n");
    }
#endif
    std::ifstream script;
    if (!options.script.empty() && window) {
        std::fprintf(stderr, "qxcad: --script runs on the console; leave out --gui\n");
        for (auto& loaded : modules) qx::unloadModule(loaded);
        return 2;
    }
    if (!options.script.empty()) {
        script.open(options.script);
        if (!script) {
            std::fprintf(stderr, "qxcad: cannot read script %s\n", options.script.c_str());
            return 1;
        }
        qx::setInput(script, false, qx::fromUtf8(options.script));
    } else {
        qx::setInput(std::cin, isatty(STDIN_FILENO) != 0);
    }

    if (!options.drawing.empty()) qx::markTime(u"opened " + qx::fromUtf8(options.drawing));
#ifdef QX_HAVE_GUI
    if (window) qxgui::runGui(argc, argv, qx::runCommandLoop);
    else qx::runCommandLoop();
#else
    qx::runCommandLoop();
#endif
    qx::markTime(u"end of input");
    for (auto it = modules.rbegin(); it != modules.rend(); ++it) qx::unloadModule(*it);
    return 0;
}
