// Ids of the catalogue texts the wizard's pages show and print.
#pragma once

#include <cstdint>

enum WizardStringId : std::uint32_t {
    kIdsPage1Title = 134,
    kIdsPage1Intro = 135,
    kIdsCreateNew = 136,
    kIdsUseQex = 137,
    kIdsPrevious = 138,
    kIdsNext = 139,
    kIdsCancel = 140,
    kIdsPage2Title = 141,
    kIdsDataSource = 142,
    kIdsPage3Title = 143,
    kIdsSelectObjects = 144,
    kIdsObjectsSelection = 145,
    kIdsCurrentDrawing = 146,
    kIdsDrawingFile = 147,
    kIdsObjects = 148,
    kIdsFilter = 149,
    kIdsPage4Title = 150,
    kIdsSelectProperties = 151,
    kIdsProperties = 152,
    kIdsPage5Title = 153,
    kIdsCombineRows = 154,
    kIdsHideHeader = 156,
    kIdsDisplayTotals = 157,
    kIdsTablePreview = 158,
    kIdsChooseOutput = 159,
    kIdsOutputOptions = 160,
    kIdsSaveQex = 161,
    kIdsInsertTable = 162,
    kIdsExportFile = 163,
    kIdsFinish = 164,
    kIdsNoSourceText = 186,
    kIdsNoSourceCaption = 187,
    kIdsCsvDone = 188,
    kIdsNoOutputQuestion = 189,
    kIdsNonBlock = 217,
    kIdsQexDone = 242,
    kIdsQexFailed = 243,
    kIdsXlsDone = 244,
    kIdsTableTitle = 286,
    kIdsQexIncorrect = 305,
    kIdsCsvFailed = 306,
    kIdsXlsFailed = 307,
    kIdsXlsIncomplete = 308,
    kIdsXlsShortened = 309,
    kIdsNoKindChecked = 310,
    kIdsNoPropertyChecked = 311,
    kIdsNothingToExtract = 312,
};

// Resource ids of the pictures.
inline constexpr std::uint32_t kIconInsertTable = 132;
inline constexpr std::uint32_t kIconDrawing = 133;
