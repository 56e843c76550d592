// The command stack: commands registered by modules, in groups, looked up by name.
#include <algorithm>
#include <memory>
#include <vector>

#include "cad/runtime/registered_commands.h"
#include "editor.h"

QX_RX_DEFINE_CLASS(QxEdCommand, QxRxObject, "")
QX_RX_DEFINE_CLASS(QxEdCommandStack, QxRxObject, "")

namespace {

std::u16string folded(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return out;
}

class Command : public QxEdCommand {
public:
    Command(std::u16string group, std::u16string global, std::u16string local, std::int32_t flags,
            QxRxFunctionPtr function, QxEdUIContext* context, int functionCode, QxResourceInstance resource)
        : m_group(std::move(group)), m_global(std::move(global)), m_local(std::move(local)), m_flags(flags),
          m_function(function), m_context(context), m_functionCode(functionCode), m_resource(resource)
    {
    }
    const char16_t* globalName() const override { return m_global.c_str(); }
    const char16_t* localName() const override { return m_local.c_str(); }
    const char16_t* groupName() const override { return m_group.c_str(); }
    std::int32_t commandFlags() const override { return m_flags; }
    QxRxFunctionPtr functionAddr() const override { return m_function; }
    QxResourceInstance resourceInstance() const override { return m_resource; }
    QxEdUIContext* UIContext() const override { return m_context; }
    int functionCode() const override { return m_functionCode; }

private:
    std::u16string m_group, m_global, m_local;
    std::int32_t m_flags;
    QxRxFunctionPtr m_function;
    QxEdUIContext* m_context;
    int m_functionCode;
    QxResourceInstance m_resource;
};

class CommandStack : public QxEdCommandStack {
public:
    Qxapp::ErrorStatus addCommand(const char16_t* groupName, const char16_t* globalName, const char16_t* localName,
                                  std::int32_t flags, QxRxFunctionPtr function, QxEdUIContext* uiContext,
                                  int functionCode, QxResourceInstance resource, QxEdCommand** commandOut) override
    {
        if (commandOut) *commandOut = nullptr;
        if (!groupName || !globalName || !*globalName || !function) return Qxapp::eInvalidInput;
        const std::u16string local = localName && *localName ? localName : globalName;
        // A name is unique across groups: a second registration would make the first unreachable.
        if (lookupCmd(globalName) || lookupCmd(local.c_str())) return Qxapp::eDuplicateKey;
        m_commands.push_back(std::make_unique<Command>(groupName, globalName, local, flags, function, uiContext,
                                                       functionCode, resource));
        if (commandOut) *commandOut = m_commands.back().get();
        return Qxapp::eOk;
    }

    Qxapp::ErrorStatus removeGroup(const char16_t* groupName) override
    {
        const std::u16string group = folded(groupName ? groupName : u"");
        const auto before = m_commands.size();
        std::erase_if(m_commands, [&](const auto& cmd) { return folded(cmd->groupName()) == group; });
        return before == m_commands.size() ? Qxapp::eNotInGroup : Qxapp::eOk;
    }

    std::vector<qx::CommandInfo> list() const
    {
        std::vector<qx::CommandInfo> out;
        for (const auto& cmd : m_commands) out.push_back({cmd->groupName(), cmd->globalName(), cmd->localName()});
        return out;
    }

    QxEdCommand* lookupCmd(const char16_t* name) const override
    {
        const std::u16string key = folded(name ? name : u"");
        for (const auto& cmd : m_commands)
            if (folded(cmd->globalName()) == key || folded(cmd->localName()) == key) return cmd.get();
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<Command>> m_commands;
};

}  // namespace

QxRxObject* qxCreateCommandStack() { return new CommandStack; }

std::vector<qx::CommandInfo> qx::registeredCommands()
{
    auto* stack = static_cast<CommandStack*>(qxrxLookup<QxEdCommandStack>(QXRX_COMMAND_STACK));
    return stack ? stack->list() : std::vector<qx::CommandInfo>{};
}
