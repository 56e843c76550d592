#include "engine/read_conversions.h"

#include <charconv>
#include <cmath>
#include <string>

#include "engine/number_text.h"
#include "module/strings.h"
#include "resources/string_ids.h"

namespace {

std::u16string asciiText(const std::string& narrow) { return std::u16string(narrow.begin(), narrow.end()); }

bool equalsIgnoringCase(const std::u16string& text, std::u16string_view word)
{
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
        if (lower(text[i]) != lower(word[i])) return false;
    }
    return true;
}

}  // namespace

ByTexts ByTexts::Load() { return {LoadResString(kIdsByLayer), LoadResString(kIdsByBlock), LoadResString(kIdsDefault)}; }

std::u16string ByLayerOrBlockName(const std::u16string& name, const ByTexts& texts)
{
    if (equalsIgnoringCase(name, u"ByLayer")) return texts.byLayer;
    if (equalsIgnoringCase(name, u"ByBlock")) return texts.byBlock;
    return name;
}

double ThroughSixDecimals(double value)
{
    if (!std::isfinite(value)) return value;
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    double back = value;
    std::from_chars(buffer, written.ptr, back);
    return back;
}

bool IsExcludedBlockName(const std::u16string& name)
{
    const std::u16string first = name.substr(0, 1), firstThree = name.substr(0, 3);
    for (const char16_t* excluded : {u"kv$", u"ac$", u"*"})
        if (first == excluded || firstThree == excluded) return true;
    return false;
}

std::u16string ColorText(int colorIndex, const ByTexts& texts)
{
    if (colorIndex == 256) return texts.byLayer;
    if (colorIndex == 0) return texts.byBlock;
    return asciiText(std::to_string(colorIndex));
}

std::u16string LineWeightText(int lineWeight, const ExtractionEngine& engine, const ByTexts& texts)
{
    switch (lineWeight) {
    case -1: return texts.byLayer;
    case -2: return texts.byBlock;
    case -3: return texts.byDefault;
    default: return FormatG(engine.Round(static_cast<double>(lineWeight)));
    }
}

bool DynamicValueText(const QxDbEvalVariant& value, const ExtractionEngine& engine, std::u16string& text)
{
    switch (value.restype()) {
    case 1: text = value.text(); return false;
    case 40: text = FormatG(engine.Round(value.real())); return true;
    case 70: text = asciiText(std::to_string(value.int16())); return true;
    // A 32-bit integer is a number as much as a 16-bit one.
    case 90: text = asciiText(std::to_string(value.int32())); return true;
    default: text.clear(); return false;
    }
}

bool NormalizeAttributeValue(std::u16string& value, const ExtractionEngine& engine)
{
    if (!IsNumericText(value)) return false;
    value = FormatG(engine.Round(ReadLeadingNumber(value)));
    return true;
}
