// The host's system variables: a typed value per name, read and set through result buffers.
#pragma once

#include <string>
#include <string_view>

namespace qx {

// Host-side access, for the host's own components (the language sets VERLAN, the drawing
// reader sets LUPREC) and the console's GETVAR and SETVAR.
void setStringVariable(std::u16string_view name, std::u16string value);
bool setShortVariable(std::u16string_view name, int value);
// The value as the console shows it; false for an unknown name.
bool variableText(std::u16string_view name, std::u16string& text);
// Sets a variable from text typed on the console; false (with a reason) when the name is
// unknown or the text is not a valid value.
bool setVariableFromText(std::u16string_view name, std::u16string_view text, std::u16string& reason);

void registerVariableBuiltins();  // GETVAR and SETVAR

}  // namespace qx
