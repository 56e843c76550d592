#include "cad/app/module_loader.h"

#include <dlfcn.h>

#include <cstdio>

#include "entrypoint.h"

namespace qx {

bool apiVersionCompatible(unsigned moduleVersion) { return (moduleVersion >> 16) == (QXRX_API_VERSION >> 16); }

static std::string hex(unsigned value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", value);
    return buffer;
}

bool loadModule(const std::string& path, LoadedModule& module, std::string& error)
{
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = "cannot load module " + path + ": " + (reason ? reason : "unknown error");
        return false;
    }
    auto version = reinterpret_cast<QxRxApiVersionFn>(dlsym(library, QXRX_API_VERSION_NAME));
    auto entry = reinterpret_cast<QxRxEntryPointFn>(dlsym(library, QXRX_ENTRY_POINT_NAME));
    if (!version || !entry) {
        error = "cannot load module " + path + ": it exports no " + (version ? QXRX_ENTRY_POINT_NAME : QXRX_API_VERSION_NAME);
        dlclose(library);
        return false;
    }
    if (!apiVersionCompatible(version())) {
        error = "cannot load module " + path + ": it was built for interface version " + hex(version()) +
                ", this host has " + hex(QXRX_API_VERSION);
        dlclose(library);
        return false;
    }
    module.path = path;
    module.library = library;
    entry(QxRx::kInitAppMsg, library);
    return true;
}

void unloadModule(LoadedModule& module)
{
    if (!module.library) return;
    if (auto entry = reinterpret_cast<QxRxEntryPointFn>(dlsym(module.library, QXRX_ENTRY_POINT_NAME)))
        entry(QxRx::kUnloadAppMsg, module.library);
    dlclose(module.library);
    module.library = nullptr;
}

}  // namespace qx
