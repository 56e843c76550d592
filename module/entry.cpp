// The module's entry points: attach and detach, the host's messages and the interface version.
#include "entrypoint.h"
#include "module/commands.h"
#include "module/module_state.h"
#include "rx.h"

extern const QxResourceFile kEmbeddedResources[];

ModuleRecord& moduleRecord()
{
    static ModuleRecord record;
    return record;
}

void AttachModule()
{
    ModuleRecord& record = moduleRecord();
    if (record.attached) return;
    if (!qxuiInitExtensionModule(record.extension, "dataextract", kEmbeddedResources)) return;
    record.attached = true;
    record.defaultResourceInstance = qxuiGetResourceHandle();
    record.moduleResourceInstance = record.extension.resource;
}

void DetachModule()
{
    ModuleRecord& record = moduleRecord();
    if (!record.attached) return;
    qxuiTermExtensionModule(record.extension);
    record = ModuleRecord{};
}

// The platform's attach and detach: when the library is mapped into and out of the process.
[[gnu::constructor]] static void onLibraryLoaded() { AttachModule(); }
[[gnu::destructor]] static void onLibraryUnloaded() { DetachModule(); }

namespace {

void initApplication(void* appPacket)
{
    if (auto* linker = qxrxLookup<QxRxDynamicLinker>(QXRX_DYNAMIC_LINKER)) linker->unlockApplication(appPacket);
    if (auto* linker = qxrxLookup<QxRxDynamicLinker>(QXRX_DYNAMIC_LINKER)) linker->registerAppMDIAware(appPacket);
    RegisterCommands();
}

}  // namespace

extern "C" [[gnu::visibility("default")]] QxRx::AppRetCode qxrxEntryPoint(QxRx::AppMsgCode message, void* appPacket)
{
    switch (message) {
    case QxRx::kInitAppMsg: initApplication(appPacket); break;
    case QxRx::kUnloadAppMsg: UnregisterCommands(); break;
    default: break;
    }
    return QxRx::kRetOK;
}

extern "C" [[gnu::visibility("default")]] std::uint32_t qxrxGetApiVersion() { return QXRX_API_VERSION; }
