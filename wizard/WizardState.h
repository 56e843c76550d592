// What the wizard's pages carry from one to the next. Every page owns a copy; a page that
// moves on hands its neighbour a copy, so going back and forth finds the pages as they were
// left.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "engine/extraction_engine.h"
#include "engine/table_data.h"
#include "output/extraction_record.h"

// nGroupBy when rows are not grouped by a settings file's index.
inline constexpr std::uint32_t kNoGroupBy = 0xFFFFFFFF;

struct WizardState {
    std::list<std::u16string> lsQexProps;  // property names of a settings file: pre-checked on page 4
    std::u16string csTbTitle;
    bool bTotalLine = true;          // "Display totals"
    bool bCombineRows = true;        // "Combine rows by :"
    bool bDisplayHeader = true;      // the inverse of "Hide header line"
    TableData veObjectRows;          // page 3's grid: header ["Chk", block-name label], then [flag, kind]
    TableData veObjectFilterRows;    // page 3's filter: [flag, "Block" | "Non-Block"]
    TableData vePropertyRows;        // page 4's grid: header, then [flag, category, name, display name, totalable]
    TableData vePropertyFilterRows;  // page 4's filter: [flag, category name]
    bool bCreateNew = true;          // "Create a new data extraction"
    std::u16string csQexPath;        // the settings file the wizard started from
    std::map<std::u16string, std::u16string> mapDisplayNames;  // property name -> display name
    std::uint32_t nGroupBy = kNoGroupBy;
    // The record of the table inserted last in this run, written at Finish: it travels with
    // the state, so going back a page and forward again does not lose it.
    std::optional<InsertedTableRecord> insertedTable;
};

// What pages 3 to 5 carry besides the state: the records read on leaving page 2.
struct ExtractionData {
    ExtractionEngine extEngine;
    std::set<std::uint32_t> seObjTypes;  // type codes present in the engine
};
