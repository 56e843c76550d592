// What the module keeps for the time it is loaded.
#pragma once

#include "resources.h"

struct ModuleRecord {
    bool attached = false;
    QxResourceInstance defaultResourceInstance = nullptr;  // the host's, when the module attached
    QxResourceInstance moduleResourceInstance = nullptr;   // the module's own resources
    QxExtensionModule extension;
};

ModuleRecord& moduleRecord();

// Attaching to and detaching from the host's class library; called when the module is mapped
// into and out of the process (and by tests that link the module's code directly).
void AttachModule();
void DetachModule();
