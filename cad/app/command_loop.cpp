#include "cad/app/command_loop.h"

#include "cad/db/open_check.h"
#include "cad/dxf/dxf_builtins.h"
#include "cad/editor/console.h"
#include "cad/runtime/registered_commands.h"
#include "editor.h"
#include "resources.h"

namespace qx {

namespace {

bool g_quit = false;

std::u16string_view trimmedLeft(std::u16string_view text)
{
    while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
    return text;
}

void runRegisteredCommand(QxEdCommand& command)
{
    // The command runs with the resources of the module that registered it current.
    const QxResourceInstance previous = qxuiGetResourceHandle();
    if (command.resourceInstance()) qxuiSetResourceHandle(command.resourceInstance());
    command.functionAddr()();
    qxuiSetResourceHandle(previous);
}

void runLine(std::u16string_view line)
{
    const std::size_t space = line.find(u' ');
    const std::u16string_view name = line.substr(0, space);
    const std::u16string_view arguments = space == std::u16string_view::npos ? u"" : trimmedLeft(line.substr(space));
    if (const BuiltinHandler* builtin = findBuiltin(name)) {
        (*builtin)(arguments);
        return;
    }
    auto* stack = qxrxLookup<QxEdCommandStack>(QXRX_COMMAND_STACK);
    QxEdCommand* command = stack ? stack->lookupCmd(std::u16string(name).c_str()) : nullptr;
    if (!command) {
        failInput(u"Unknown command \"" + std::u16string(name) + u"\". Type HELP for the list of commands.");
        return;
    }
    if (!arguments.empty()) {
        failInput(u"The command " + std::u16string(name) + u" takes no arguments on its line.");
        return;
    }
    runRegisteredCommand(*command);
    // A command must close every object it opened; say so when one did not.
    reportOpenObjects();
}

}  // namespace

void registerAppBuiltins()
{
    registerBuiltin(u"QUIT", u"QUIT: ends the session", [](std::u16string_view) {
        g_quit = mayCloseDrawing();
        return true;
    });
    registerBuiltin(u"HELP", u"HELP: lists the commands", [](std::u16string_view) {
        printLine(u"Built-in commands:");
        for (const auto& [name, help] : builtinHelp()) printLine(u"  " + help);
        printLine(u"Commands registered by modules:");
        for (const CommandInfo& command : registeredCommands())
            printLine(u"  " + command.globalName + u" (" + command.group + u")");
        return true;
    });
}

void runCommandLoop()
{
    std::u16string line;
    while (!g_quit && readInputLine(u"Command: ", line)) runLine(line);
}

}  // namespace qx
