// The host's interface language, which decides the number conventions of external files.
#pragma once

#include <string>
#include <string_view>

// The text of the host variable VERLAN ("en-US", "fr-FR", "es-ES"), or an empty text when it
// cannot be read; the host's string is freed here.
std::u16string ReadHostLanguage();

// The one language whose files use French number conventions.
inline bool IsFrenchLanguage(std::u16string_view csLanguage) { return csLanguage == u"fr-FR"; }
