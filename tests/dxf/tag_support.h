// Helpers of the DXF tests: small drawings written as pairs and read as record files, and the
// sample folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "cad/dxf/dxf_file.h"

namespace qx::dxf::test {

using Pairs = std::vector<std::pair<int, std::string>>;

// The text read as the file plan.dxf; null, failing the test, when the reader refuses it.
inline std::unique_ptr<DxfFile> parsed(const std::string& text)
{
    DxfError error;
    auto file = DxfFile::parse(text, "plan.dxf", error);
    EXPECT_TRUE(file) << error.text();
    return file;
}

// The pairs of a record as the file has them (values as written), extended data included.
inline Pairs pairsOf(const DxfFile& file, std::size_t record)
{
    Pairs pairs;
    TagCursor cursor = file.tags(record);
    Tag tag;
    while (cursor.next(tag)) pairs.emplace_back(tag.code, std::string(tag.value));
    return pairs;
}

// Records of a type, by index.
inline std::vector<std::size_t> recordsOf(const DxfFile& file, std::string_view type)
{
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < file.recordCount(); ++i)
        if (file.recordType(i) == type) found.push_back(i);
    return found;
}

// The index of the first record of a type; the record count when there is none.
inline std::size_t firstRecordOf(const DxfFile& file, std::string_view type)
{
    const auto found = recordsOf(file, type);
    return found.empty() ? file.recordCount() : found.front();
}

// Whether `run` stands in `pairs` as consecutive pairs.
inline bool hasRun(const Pairs& pairs, const Pairs& run)
{
    return std::search(pairs.begin(), pairs.end(), run.begin(), run.end()) != pairs.end();
}

// The pairs as file text, codes right-aligned like most writers do.
inline std::string dxfText(const Pairs& pairs, const char* lineEnd = "\n")
{
    std::string text;
    for (const auto& [code, value] : pairs) {
        std::string digits = std::to_string(code);
        if (digits.size() < 3) text.append(3 - digits.size(), ' ');
        text += digits + lineEnd + value + lineEnd;
    }
    return text;
}

// A small but complete drawing: header with the given version and code page, one layer, two
// entities (the second with extended data) and an object.
inline Pairs smallDrawing(const std::string& version = "AC1027", const std::string& codePage = "ANSI_1252")
{
    return {
        {0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, version}, {9, "$DWGCODEPAGE"}, {3, codePage},
        {9, "$HANDSEED"}, {5, "40"}, {9, "$UCSORG"}, {10, "1.5"}, {20, "2.0"}, {30, "0.0"}, {0, "ENDSEC"},
        {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {5, "2"}, {70, "1"},
        {0, "LAYER"}, {5, "10"}, {2, "0"}, {70, "0"}, {62, "7"}, {0, "ENDTAB"}, {0, "ENDSEC"},
        {0, "SECTION"}, {2, "ENTITIES"},
        {0, "LINE"}, {5, "20"}, {8, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "1.0"}, {21, "1.0"}, {31, "0.0"},
        {0, "CIRCLE"}, {5, "21"}, {8, "0"}, {10, "5.0"}, {20, "5.0"}, {30, "0.0"}, {40, "2.5"},
        {1001, "APP"}, {1000, "a value"}, {1070, "3"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "OBJECTS"}, {0, "DICTIONARY"}, {5, "C"}, {330, "0"}, {0, "ENDSEC"},
        {0, "EOF"},
    };
}

// A header with precision and UCS, the given table entries in a TABLES section when there are
// any, then the given entities.
inline std::string entitiesDrawing(const Pairs& entities, const std::string& version = "AC1027", const Pairs& tables = {})
{
    Pairs pairs = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, version}, {9, "$HANDSEED"}, {5, "100"},
                   {9, "$LUPREC"}, {70, "2"}, {9, "$UCSORG"}, {10, "10"}, {20, "20"}, {30, "0"},
                   {9, "$UCSXDIR"}, {10, "0"}, {20, "1"}, {30, "0"}, {9, "$UCSYDIR"}, {10, "-1"}, {20, "0"}, {30, "0"},
                   {0, "ENDSEC"}};
    if (!tables.empty()) {
        pairs.insert(pairs.end(), {{0, "SECTION"}, {2, "TABLES"}});
        pairs.insert(pairs.end(), tables.begin(), tables.end());
        pairs.push_back({0, "ENDSEC"});
    }
    pairs.insert(pairs.end(), {{0, "SECTION"}, {2, "ENTITIES"}});
    pairs.insert(pairs.end(), entities.begin(), entities.end());
    pairs.insert(pairs.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    return dxfText(pairs);
}

inline std::filesystem::path samplesDir() { return std::filesystem::path(QX_SAMPLES_DIR) / "dxf"; }

// Every sample drawing, sorted by name; empty when the folder is absent.
inline std::vector<std::filesystem::path> sampleDrawings()
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    if (!std::filesystem::is_directory(samplesDir(), ec)) return files;
    for (const auto& entry : std::filesystem::directory_iterator(samplesDir()))
        if (entry.path().extension() == ".dxf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The pairs of a file as (code, value) with values as written, for comparing two files tag by tag.
inline Pairs allPairs(const DxfFile& file)
{
    Pairs pairs;
    TagCursor cursor(file.text(), 1);
    Tag tag;
    while (cursor.next(tag)) pairs.emplace_back(tag.code, std::string(tag.value));
    return pairs;
}

}  // namespace qx::dxf::test
