// The host's user-interface language: chosen once at start from the command line or the
// environment; it picks the modules' string tables and the VERLAN variable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qx {

enum class Language { English, French, Spanish };

// "fr", "fr_FR.UTF-8", "fr:en" ... → French; "es..." → Spanish; anything else English.
Language languageFromTag(std::string_view tag);
// "en", "fr" or "es" exactly (the --lang option); nothing for any other text.
std::optional<Language> languageFromOption(std::string_view option);
// From LANGUAGE, LC_ALL, LC_MESSAGES and LANG, the first that is set and not empty.
Language languageFromEnvironment();

void setUserLanguage(Language language);  // also sets VERLAN
Language userLanguage();
std::uint16_t languageId(Language language);         // 0x0409, 0x040C, 0x0C0A
std::u16string languageTag(Language language);       // "en-US", "fr-FR", "es-ES"

}  // namespace qx
