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

}  // namespace qx
