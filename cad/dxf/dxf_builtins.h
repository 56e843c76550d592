// The host's drawing-file commands: OPEN, SAVE, SAVEAS and NEW, and opening the drawing named
// on qxcad's command line.
#pragma once

#include <string>

namespace qx {

// Registers OPEN, SAVE, SAVEAS and NEW with the console.
void registerDxfBuiltins();

// Opens a drawing file and makes it the current document. On failure the current drawing
// stays open and `error` names the file and, where it applies, the line.
bool openDrawing(const std::string& path, std::u16string& error);

// Whether saving the current drawing would keep anything not yet in its file.
bool drawingChangedSinceSaved();

// Asked before the drawing is closed (QUIT, NEW, OPEN): true when it may be. A person who
// has unsaved changes is asked whether to save them first: yes saves (and the drawing closes
// only when that worked), no lets them go, anything else keeps the drawing open. Scripts are
// never asked.
bool mayCloseDrawing();

}  // namespace qx
