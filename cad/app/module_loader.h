// Loading modules into the host with dlopen, and unloading them.
#pragma once

#include <string>
#include <vector>

namespace qx {

struct LoadedModule {
    std::string path;
    void* library = nullptr;
};

// Loads a module, checks its interface version and sends it the initialisation message.
// On failure nothing stays loaded and `error` says why.
bool loadModule(const std::string& path, LoadedModule& module, std::string& error);
// Sends the unload message and unmaps the module.
void unloadModule(LoadedModule& module);

// Does a module of interface version `moduleVersion` work with this host? Only the upper 16
// bits (the release) must agree.
bool apiVersionCompatible(unsigned moduleVersion);

}  // namespace qx
