// Resources of a module (string tables, dialog templates, images) and the host's chain of
// resource modules through which every lookup goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// One embedded resource file. The path names it: "strings/<langid>.txt" (a string table of
// the language id, four hex digits), "dialogs/<id>.dlg", "images/<id>.<ext>".
struct QxResourceFile {
    const char* path;
    const unsigned char* data;
    std::size_t size;
};

using QxResourceInstance = struct QxResourceModule*;

// The host's class library keeps a chain of resource modules: the host's own first, then every
// module that attached as an extension. Lookups walk the chain from the current instance.
struct QxExtensionModule {
    bool initialized = false;
    QxResourceInstance resource = nullptr;
};

// Attaches a module's resources to the chain. Returns false when `files` is null.
bool qxuiInitExtensionModule(QxExtensionModule& record, const char* moduleName, const QxResourceFile* files);
void qxuiTermExtensionModule(QxExtensionModule& record);
QxResourceInstance qxuiGetResourceHandle();
void qxuiSetResourceHandle(QxResourceInstance instance);

// The host's user-interface language as a language id: 0x0409 English, 0x040C French,
// 0x0C0A Spanish.
std::uint16_t qxuiUserLanguage();

// A string of the string table that the host chooses for its user-interface language, looked
// up first in `instance` (the current one when null), then along the chain.
bool qxuiLoadString(std::uint32_t id, std::u16string& text, QxResourceInstance instance = nullptr);
// A raw resource (dialog template, image) by kind folder and id, along the chain.
const QxResourceFile* qxuiFindResource(const char* kind, std::uint32_t id, QxResourceInstance instance = nullptr);
