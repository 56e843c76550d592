// Seeded extraction tables for the output benchmarks: a header line, then rows of the kinds of
// cells an extraction gives (names, layers, numbers, some empty cells).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <sys/resource.h>

#include "engine/table_data.h"

namespace benchtable {

inline TableData Make(std::size_t nRows, std::size_t nColumns, std::uint32_t seed = 42)
{
    static const char16_t* kNames[] = {u"Door", u"Window", u"Wall", u"Column", u"Beam", u"Slab", u"Stair", u"Desk"};
    static const char16_t* kLayers[] = {u"0", u"A-WALL", u"A-DOOR", u"A-GLAZ", u"S-BEAM", u"E-LITE"};
    std::mt19937 random(seed);
    TableData table;
    table.reserve(nRows + 1);
    std::vector<std::u16string> header;
    for (std::size_t c = 0; c < nColumns; ++c) {
        const std::string name = c == 0 ? "Id" : "Property " + std::to_string(c);
        header.emplace_back(name.begin(), name.end());
    }
    table.push_back(std::move(header));
    for (std::size_t r = 1; r <= nRows; ++r) {
        std::vector<std::u16string> row;
        row.reserve(nColumns);
        for (std::size_t c = 0; c < nColumns; ++c) {
            std::string text;
            switch (c % 5) {
            case 0: text = std::to_string(0x2A + r); break;                                   // handle-like
            case 1:
                row.emplace_back(kNames[random() % 8]);
                row.back().push_back(u' ');
                row.back().push_back(static_cast<char16_t>(u'A' + r % 26));
                continue;
            case 2: text = std::to_string(random() % 100000) + "." + std::to_string(random() % 100); break;  // number
            case 3: row.emplace_back(kLayers[random() % 6]); continue;
            default: text = random() % 4 == 0 ? "" : std::to_string(random() % 1000); break;
            }
            row.emplace_back(text.begin(), text.end());
        }
        table.push_back(std::move(row));
    }
    return table;
}

}  // namespace benchtable
