// How values read from the drawing become the texts and numbers of the records.
#pragma once

#include <string>

#include "engine/extraction_engine.h"
#include "host/dynblock.h"

// Blocks that are never extracted: anonymous ones ("*" first) and names beginning with
// "kv$" or "ac$" (exactly in that letter case).
bool IsExcludedBlockName(const std::u16string& name);

// The catalogue's "ByLayer", "ByBlock" and "Default", loaded once for a whole selection.
struct ByTexts {
    std::u16string byLayer, byBlock, byDefault;
    static ByTexts Load();
};

// 256 "ByLayer", 0 "ByBlock", any other index as a decimal number.
std::u16string ColorText(int colorIndex, const ByTexts& texts = ByTexts::Load());

// -1 "ByLayer", -2 "ByBlock", -3 "Default", else hundredths of a millimetre, rounded.
std::u16string LineWeightText(int lineWeight, const ExtractionEngine& engine, const ByTexts& texts = ByTexts::Load());

// A plot style or linetype name; "ByLayer" and "ByBlock" in any letter case become the
// catalogue's texts.
std::u16string ByLayerOrBlockName(const std::u16string& name, const ByTexts& texts = ByTexts::Load());

// The value as printf's "%f" writes it (six decimals), read back.
double ThroughSixDecimals(double value);

// An attribute value as stored: a number (by IsNumericText) is rounded and written with %g,
// any other text stays. True when it is a number.
bool NormalizeAttributeValue(std::u16string& value, const ExtractionEngine& engine);

// The text of a dynamic property's value by its result type; true when it is a number
// (a real, rounded, or an integer).
bool DynamicValueText(const QxDbEvalVariant& value, const ExtractionEngine& engine, std::u16string& text);
