#include "module/commands.h"

#include "docman.h"
#include "editor.h"
#include "module/module_state.h"

namespace {

// Makes the module's resources current for the life of the scope, so that whatever the host
// creates meanwhile (the commands) takes them.
class ResourceOverride {
public:
    explicit ResourceOverride(QxResourceInstance instance) { qxDocManagerPtr()->pushResourceHandle(instance); }
    ~ResourceOverride() { qxDocManagerPtr()->popResourceHandle(); }
    ResourceOverride(const ResourceOverride&) = delete;
    ResourceOverride& operator=(const ResourceOverride&) = delete;
};

QxEdCommandStack* commandStack() { return qxrxLookup<QxEdCommandStack>(QXRX_COMMAND_STACK); }

}  // namespace

void RegisterCommands()
{
    const QxResourceInstance resources = moduleRecord().moduleResourceInstance;
    ResourceOverride scope(resources);
    if (QxEdCommandStack* stack = commandStack())
        stack->addCommand(kCommandGroup, kExtractionCommand, kExtractionCommand, QxEdCmd::kModal, RunDataExtraction,
                          nullptr, -1, resources);
    if (QxEdCommandStack* stack = commandStack())
        stack->addCommand(kCommandGroup, kUpdateCommand, kUpdateCommand, QxEdCmd::kTransparent,
                          RunDataExtractionUpdate, nullptr, -1, nullptr);
}

void UnregisterCommands()
{
    if (QxEdCommandStack* stack = commandStack()) stack->removeGroup(kCommandGroup);
}
