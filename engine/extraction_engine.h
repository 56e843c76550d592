// The extraction engine: the records read from a selection of the drawing, the catalogue
// they were read with, and the table data built from them. A value: wizard pages hold copies,
// which share the records read.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/entity_records.h"
#include "engine/prop_item.h"
#include "engine/shared_records.h"
#include "engine/str_helper.h"
#include "engine/table_data.h"
#include "host/editor.h"

class ExtractionEngine {
public:
    // An engine without records, rounding to the step of the given linear precision.
    explicit ExtractionEngine(StrHelper myStrHelper = StrHelper(), int nLuprec = 4);
    // Reads every object of the selection set (rounding from the drawing's LUPREC).
    ExtractionEngine(const qxds_name ss, std::int32_t nLength, const StrHelper& myStrHelper);
    // The same, reading only the objects whose handle text is in `lsHandles`, unless the
    // list is empty or starts with an empty text.
    ExtractionEngine(const qxds_name ss, std::int32_t nLength, const StrHelper& myStrHelper,
                     const std::vector<std::u16string>& lsHandles);

    // 10^-LUPREC for 0 to 7, else 1e-8.
    static double RoundStepForLuprec(int nLuprec);
    // To the nearest multiple of the step, halves upward: floor(v / step + 0.5) * step.
    double Round(double value) const;
    QxGePoint3d Round(const QxGePoint3d& point) const;

    // The properties offered for the chosen kinds (names of `lsObjNames`); keeps the kinds,
    // the offered set and its categories.
    PropItemSet OfferedProperties(const std::vector<std::u16string>& lsObjectsSel);
    // Page 4's rows: a header, then per offered property check, category, name, display name
    // and whether it may be totalled.
    TableData PropertyRows(bool bChecked = true) const;
    // The same rows for any offered set, each checked as `isChecked` says.
    static TableData PropertyRows(const PropItemSet& headers, const std::function<bool(const PropItem&)>& isChecked);
    // Page 3's rows: a header, then per kind present "1" and its name.
    TableData ObjectRows() const;
    // Page 4's filter: per offered category "1" and its text.
    TableData CategoryRows() const;
    // Codes of the kinds that have records, ascending.
    std::set<std::uint32_t> TypeCodesPresent() const;

    // Builds the table for the properties `lsPropsSel` (consumed: the names put at fixed
    // places are removed from it). See table_data.h for the reductions.
    void BuildTableData(std::vector<std::u16string>& lsPropsSel, bool bQuantity, bool bBlockName,
                        const std::vector<std::u16string>& lsTotalCols, const std::u16string& csGroupBy,
                        TableData& veTableDataOut, BlockIdMap& lsBlockTbRecId);
    std::vector<std::u16string> CombineRows(TableData& rows) const;
    std::vector<std::u16string> GroupRows(TableData& rows, const std::u16string& csGroupBy,
                                          const std::vector<std::u16string>& lsTotalCols) const;

    // Records, per kind, in selection order. Copies of an engine share them until one changes.
    SharedRecords<BlockEntity> lsBlockEnts;
    SharedRecords<PolyLine> lsPolyLines;
    SharedRecords<Line> lsLines;
    SharedRecords<Circle> lsCircles;
    SharedRecords<KvArc> lsArcs;
    SharedRecords<Solid> lsSolids;
    SharedRecords<Solid3D> lsSolid3Ds;
    SharedRecords<KvPoint> lsPoints;
    SharedRecords<MultiText> lsMultiTexts;

    StrHelper strHelper;
    PropItemSet seBlockProps;  // attribute tags and dynamic property names met on blocks
    double roundStep;

    // The offered-properties step.
    std::vector<std::u16string> lsObjectsSel;
    std::set<std::int32_t> seCategories;
    PropItemSet seHeaders;

    // The last build.
    std::vector<std::u16string> lsPropsSel;
    std::u16string csGroupBy;
    std::vector<std::u16string> lsColNames;
    bool bRowsCombined = false;  // identical rows were combined with a quantity
    TableData lsTableRows;  // left empty when bKeepTableRows is off
    BlockIdMap mpBlockIds;
    // Whether a build keeps its rows in lsTableRows as well as giving them out. The update reads
    // them back from the engine; the wizard keeps its own, and a second copy of a million rows
    // costs as much time as memory.
    bool bKeepTableRows = true;

private:
    friend class EngineReader;
    void readSelection(const qxds_name ss, std::int32_t nLength, const std::vector<std::u16string>* lsHandles);
};
