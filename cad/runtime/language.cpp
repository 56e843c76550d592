#include "cad/runtime/language.h"

#include <cstdlib>

#include "cad/runtime/sysvars.h"

namespace qx {

namespace {
Language g_language = Language::English;
}

Language languageFromTag(std::string_view tag)
{
    if (tag.starts_with("fr")) return Language::French;
    if (tag.starts_with("es")) return Language::Spanish;
    return Language::English;
}

std::optional<Language> languageFromOption(std::string_view option)
{
    if (option == "en") return Language::English;
    if (option == "fr") return Language::French;
    if (option == "es") return Language::Spanish;
    return std::nullopt;
}

Language languageFromEnvironment()
{
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return languageFromTag(value);
    }
    return Language::English;
}

void setUserLanguage(Language language)
{
    g_language = language;
    setStringVariable(u"VERLAN", languageTag(language));
}

Language userLanguage() { return g_language; }

std::uint16_t languageId(Language language)
{
    switch (language) {
    case Language::French: return 0x040C;
    case Language::Spanish: return 0x0C0A;
    case Language::English: break;
    }
    return 0x0409;
}

std::u16string languageTag(Language language)
{
    switch (language) {
    case Language::French: return u"fr-FR";
    case Language::Spanish: return u"es-ES";
    case Language::English: break;
    }
    return u"en-US";
}

}  // namespace qx

std::uint16_t qxuiUserLanguage() { return qx::languageId(qx::userLanguage()); }
