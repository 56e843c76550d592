#include "engine/extraction_engine.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "engine/string_ids.h"
#include "module/strings.h"

ExtractionEngine::ExtractionEngine(StrHelper myStrHelper, int nLuprec)
    : strHelper(std::move(myStrHelper)), roundStep(RoundStepForLuprec(nLuprec))
{
}

double ExtractionEngine::RoundStepForLuprec(int nLuprec)
{
    static constexpr double kSteps[] = {1.0, 0.1, 0.01, 0.001, 0.0001, 1e-5, 1e-6, 1e-7};
    return nLuprec >= 0 && nLuprec <= 7 ? kSteps[nLuprec] : 1e-8;
}

double ExtractionEngine::Round(double value) const { return std::floor(value / roundStep + 0.5) * roundStep; }

QxGePoint3d ExtractionEngine::Round(const QxGePoint3d& point) const
{
    return {Round(point.x), Round(point.y), Round(point.z)};
}

// ---------------------------------------------------------------------------------------
// Offered properties

PropItemSet ExtractionEngine::OfferedProperties(const std::vector<std::u16string>& lsObjectsSelIn)
{
    seHeaders.clear();
    bool bOtherType = false, bBlockType = false, bAttrBlockProp = false, bDynBlockProp = false;
    bool bPolyType = false, bSolid3dType = false;
    int nTextCateg = 0;
    const PropItem& thicknessItem = strHelper.ls_comPropTags[3];

    for (const std::u16string& csType : lsObjectsSelIn) {
        seHeaders.insert(strHelper.objectTypeItem);
        seHeaders.insert(strHelper.quantityItem);
        const auto found = std::find(strHelper.lsObjNames.begin(), strHelper.lsObjNames.end(), csType);
        if (found == strHelper.lsObjNames.end()) continue;
        const auto code = static_cast<std::uint32_t>(found - strHelper.lsObjNames.begin()) + 1;

        if (code == kTypeBlock) {
            seHeaders.insert(strHelper.blockNameItem);
            seHeaders.insert(seBlockProps.begin(), seBlockProps.end());
            seHeaders.insert(strHelper.blcDatas.begin(), strHelper.blcDatas.end());
            seHeaders.insert(strHelper.blockPreviewItem);
            bBlockType = true;
            for (const PropItem& item : seBlockProps) {
                if (item.category == kCategAttribute) bAttrBlockProp = true;
                if (item.category == kCategDynamicBlock) bDynBlockProp = true;
            }
            continue;
        }

        // Thickness is offered exactly when a kind whose records carry it is chosen, whatever
        // the order of the chosen kinds: 3D solids and texts simply do not add it.
        const bool carriesThickness = code != kTypeSolid3D && code != kTypeMText;
        for (const PropItem& item : strHelper.ls_comPropTags)
            if (&item != &thicknessItem || carriesThickness) seHeaders.insert(item);
        if (code != kTypeSolid3D) bOtherType = true;
        switch (code) {
        case kTypePolyline:
            bPolyType = true;
            seHeaders.insert(strHelper.pLineDatas.begin(), strHelper.pLineDatas.end());
            break;
        case kTypeLine: seHeaders.insert(strHelper.lineDatas.begin(), strHelper.lineDatas.end()); break;
        case kTypeCircle: seHeaders.insert(strHelper.circleDatas.begin(), strHelper.circleDatas.end()); break;
        case kTypeArc: seHeaders.insert(strHelper.arcDatas.begin(), strHelper.arcDatas.end()); break;
        case kTypeSolid3D: bSolid3dType = true; break;
        case kTypePoint: seHeaders.insert(strHelper.pointDatas.begin(), strHelper.pointDatas.end()); break;
        case kTypeMText:
            nTextCateg = kCategText;
            seHeaders.insert(strHelper.mTextDatas.begin(), strHelper.mTextDatas.end());
            break;
        default: break;  // 2D solids: the general properties only
        }
    }

    seCategories.clear();
    if (bOtherType || bBlockType) {
        seCategories.insert({kCategGeneral, kCategGeometry});
        if (bBlockType) {
            seCategories.insert(kCategMisc);
            if (bAttrBlockProp) seCategories.insert(kCategAttribute);
            if (bDynBlockProp) seCategories.insert(kCategDynamicBlock);
        }
    }
    if (bSolid3dType) seCategories.insert(kCategGeneral);
    if (bPolyType) seCategories.insert(kCategMisc);
    if (nTextCateg == kCategText) seCategories.insert(kCategText);

    lsObjectsSel = lsObjectsSelIn;
    return seHeaders;
}

TableData ExtractionEngine::PropertyRows(bool bChecked) const
{
    TableData rows;
    rows.reserve(seHeaders.size() + 1);
    rows.push_back({u"Chk", u"Categ", LoadResString(kIdsPropertyHeader), LoadResString(kIdsDisplayNameHeader),
                    LoadResString(kIdsTotalHeader)});
    for (const PropItem& item : seHeaders) {
        const std::string categ = std::to_string(item.category);
        rows.push_back({bChecked ? u"1" : u"0", std::u16string(categ.begin(), categ.end()), item.name, item.name,
                        item.totalable ? u"1" : u"0"});
    }
    return rows;
}

TableData ExtractionEngine::ObjectRows() const
{
    TableData rows;
    rows.push_back({u"Chk", strHelper.blockNameItem.name});
    for (std::uint32_t code : TypeCodesPresent()) rows.push_back({u"1", strHelper.lsObjNames[code - 1]});
    return rows;
}

TableData ExtractionEngine::CategoryRows() const
{
    TableData rows;
    for (std::int32_t category : seCategories) rows.push_back({u"1", StrHelper::CategoryName(category)});
    return rows;
}

std::set<std::uint32_t> ExtractionEngine::TypeCodesPresent() const
{
    std::set<std::uint32_t> codes;
    if (!lsBlockEnts.empty()) codes.insert(kTypeBlock);
    if (!lsPolyLines.empty()) codes.insert(kTypePolyline);
    if (!lsLines.empty()) codes.insert(kTypeLine);
    if (!lsCircles.empty()) codes.insert(kTypeCircle);
    if (!lsArcs.empty()) codes.insert(kTypeArc);
    if (!lsSolids.empty()) codes.insert(kTypeSolid);
    if (!lsSolid3Ds.empty()) codes.insert(kTypeSolid3D);
    if (!lsPoints.empty()) codes.insert(kTypePoint);
    if (!lsMultiTexts.empty()) codes.insert(kTypeMText);
    return codes;
}

// ---------------------------------------------------------------------------------------
// Table data

namespace {

// Removes every occurrence of `name`; true when there was one.
bool takeName(std::vector<std::u16string>& names, const std::u16string& name)
{
    const auto end = std::remove(names.begin(), names.end(), name);
    const bool had = end != names.end();
    names.erase(end, names.end());
    return had;
}

// The columns of each pair name for one kind of pair list. Records of a kind give the same
// names at the same places row after row, so each place remembers its last name and columns.
struct PairColumnsCache {
    std::vector<std::u16string> names;
    std::vector<const std::vector<std::size_t>*> columns;
};

// Where the values of a build go: the columns of each name, and those with a fixed meaning.
class RowFiller {
public:
    RowFiller(const std::vector<std::u16string>& lsColNames, const StrHelper& helper)
    {
        for (std::size_t c = 0; c < lsColNames.size(); ++c) m_columnsOf[lsColNames[c]].push_back(c);
        idColumns = columnsOf(u"Id");
        quantityColumns = columnsOf(helper.quantityItem.name);
        objectTypeColumns = columnsOf(helper.objectTypeItem.name);
        blockNameColumns = columnsOf(helper.blockNameItem.name);
        blockPreviewColumns = columnsOf(helper.blockPreviewItem.name);
    }

    const std::vector<std::size_t>& columnsOf(const std::u16string& name) const
    {
        const auto it = m_columnsOf.find(name);
        return it == m_columnsOf.end() ? m_none : it->second;
    }

    // Each pair's value goes into every column named like the pair; a later pair of the
    // same name overwrites an earlier one.
    void applyPairs(TableRow& row, PropertyList&& pairs, PairColumnsCache& cache) const
    {
        if (cache.names.size() < pairs.size()) {
            cache.names.resize(pairs.size());
            cache.columns.resize(pairs.size(), nullptr);
        }
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            if (!cache.columns[i] || cache.names[i] != pairs[i].name) {
                cache.names[i] = pairs[i].name;
                cache.columns[i] = &columnsOf(pairs[i].name);
            }
            const std::vector<std::size_t>& columns = *cache.columns[i];
            if (columns.empty()) continue;
            for (std::size_t k = 0; k + 1 < columns.size(); ++k) row[columns[k]] = pairs[i].value;
            row[columns.back()] = std::move(pairs[i].value);
        }
    }

    void applyPairs(TableRow& row, const PropertyList& pairs) const
    {
        for (const PropertyPair& pair : pairs)
            for (std::size_t c : columnsOf(pair.name)) row[c] = pair.value;
    }

    static void fill(TableRow& row, const std::vector<std::size_t>& columns, const std::u16string& text)
    {
        for (std::size_t c : columns) row[c] = text;
    }

    std::vector<std::size_t> idColumns, quantityColumns, objectTypeColumns, blockNameColumns, blockPreviewColumns;

private:
    std::unordered_map<std::u16string, std::vector<std::size_t>> m_columnsOf;
    std::vector<std::size_t> m_none;
};

// Own pairs of a record by its kind's catalogue list.
const PropItemList* ownNamesOf(std::uint32_t code, const StrHelper& helper)
{
    switch (code) {
    case kTypeLine: return &helper.lineDatas;
    case kTypePolyline: return &helper.pLineDatas;
    case kTypeArc: return &helper.arcDatas;
    case kTypeCircle: return &helper.circleDatas;
    case kTypePoint: return &helper.pointDatas;
    case kTypeMText: return &helper.mTextDatas;
    default: return nullptr;  // solids have no own pairs
    }
}

template <class Record, class Emit>
void appendGeneralRows(Emit& emit, const std::vector<Record>& records, std::uint32_t code, const StrHelper& helper,
                       const RowFiller& filler, std::size_t width)
{
    static const PropItemList kNoNames;
    const PropItemList* ownNames = ownNamesOf(code, helper);
    PairColumnsCache commonCache, ownCache;
    const std::u16string one = u"1";
    for (const Record& record : records) {
        TableRow row(width);
        RowFiller::fill(row, filler.objectTypeColumns, record.typeName(helper.lsObjNames));
        RowFiller::fill(row, filler.quantityColumns, one);
        RowFiller::fill(row, filler.idColumns, record.handle);
        filler.applyPairs(row, record.getCommonProperties(helper.ls_comPropTags), commonCache);
        filler.applyPairs(row, record.getProperties(ownNames ? *ownNames : kNoNames), ownCache);
        // Column 0 identifies the object for every output and the update: no property of the
        // same name may take its place.
        if (width > 0) row[0] = record.handle;
        emit(std::move(row));
    }
}

template <class Emit>
void appendBlockRows(Emit& emit, BlockIdMap& blockIds, const std::vector<BlockEntity>& records,
                     const StrHelper& helper, const RowFiller& filler, std::size_t width)
{
    PairColumnsCache ownCache;
    const std::u16string one = u"1";
    const std::u16string blockTypeName = helper.lsObjNames[kTypeBlock - 1];
    for (const BlockEntity& record : records) {
        TableRow row(width);
        RowFiller::fill(row, filler.objectTypeColumns, record.typeName(helper.lsObjNames));
        RowFiller::fill(row, filler.blockNameColumns, record.name);
        RowFiller::fill(row, filler.quantityColumns, one);
        RowFiller::fill(row, filler.idColumns, record.handle);
        filler.applyPairs(row, record.lsAttributs);
        filler.applyPairs(row, record.lsProps);
        filler.applyPairs(row, record.getProperties(helper.blcDatas), ownCache);
        if (!filler.blockPreviewColumns.empty()) blockIds.emplace(record.handle, record.idBlkTblRec);
        if (width > 0) row[0] = record.handle;
        emit(std::move(row));
    }
}

std::size_t recordCount(const ExtractionEngine& engine, std::uint32_t code)
{
    switch (code) {
    case kTypeBlock: return engine.lsBlockEnts.size();
    case kTypeLine: return engine.lsLines.size();
    case kTypePolyline: return engine.lsPolyLines.size();
    case kTypeArc: return engine.lsArcs.size();
    case kTypeCircle: return engine.lsCircles.size();
    case kTypeSolid: return engine.lsSolids.size();
    case kTypeSolid3D: return engine.lsSolid3Ds.size();
    case kTypePoint: return engine.lsPoints.size();
    case kTypeMText: return engine.lsMultiTexts.size();
    default: return 0;
    }
}

// Only the entries of the kept handles stay.
void keepBlockIdsOf(BlockIdMap& blockIds, const std::vector<std::u16string>& keptHandles)
{
    BlockIdMap kept;
    for (const std::u16string& handle : keptHandles) {
        const auto it = blockIds.find(handle);
        if (it != blockIds.end()) kept.insert(*it);
    }
    blockIds = std::move(kept);
}

}  // namespace

void ExtractionEngine::BuildTableData(std::vector<std::u16string>& lsPropsSelIn, bool bQuantity, bool bBlockName,
                                      const std::vector<std::u16string>& lsTotalCols,
                                      const std::u16string& csGroupByIn, TableData& veTableDataOut,
                                      BlockIdMap& lsBlockTbRecId)
{
    lsColNames.clear();
    lsPropsSel = lsPropsSelIn;
    csGroupBy = csGroupByIn;

    lsColNames.push_back(u"Id");
    if (takeName(lsPropsSelIn, strHelper.objectTypeItem.name)) lsColNames.push_back(strHelper.objectTypeItem.name);
    if (bQuantity) {
        takeName(lsPropsSelIn, strHelper.quantityItem.name);
        lsColNames.push_back(strHelper.quantityItem.name);
    }
    if (bBlockName) {
        takeName(lsPropsSelIn, strHelper.blockNameItem.name);
        lsColNames.push_back(strHelper.blockNameItem.name);
    }
    if (takeName(lsPropsSelIn, strHelper.blockPreviewItem.name))
        lsColNames.push_back(strHelper.blockPreviewItem.name);
    lsColNames.insert(lsColNames.end(), lsPropsSelIn.begin(), lsPropsSelIn.end());

    const std::size_t width = lsColNames.size();
    const RowFiller filler(lsColNames, strHelper);
    std::vector<std::uint32_t> codes;
    bool bBlocksPresent = false;
    std::size_t total = 1;
    for (const std::u16string& csType : lsObjectsSel) {
        const auto found = std::find(strHelper.lsObjNames.begin(), strHelper.lsObjNames.end(), csType);
        if (found == strHelper.lsObjNames.end()) continue;
        codes.push_back(static_cast<std::uint32_t>(found - strHelper.lsObjNames.begin()) + 1);
        if (codes.back() == kTypeBlock) bBlocksPresent = true;
        total += recordCount(*this, codes.back());
    }

    // With block references among the kinds, rows combine only when the block name is a
    // column: references of different blocks would otherwise merge.
    const bool bCombine = bQuantity && (!bBlocksPresent || (bBlockName && csGroupBy.empty()));
    const bool bGroup = !bCombine && !csGroupBy.empty() && !bQuantity;

    TableData rows;
    BlockIdMap blockIds;
    RowCombiner combiner;
    auto emitRow = [&](TableRow&& row) {
        if (bCombine)
            combiner.add(std::move(row));
        else
            rows.push_back(std::move(row));
    };
    if (!bCombine) rows.reserve(total);
    if (!bCombine) rows.push_back(lsColNames);
    for (std::uint32_t code : codes) {
        switch (code) {
        case kTypeBlock: appendBlockRows(emitRow, blockIds, lsBlockEnts.items(), strHelper, filler, width); break;
        case kTypeLine: appendGeneralRows(emitRow, lsLines.items(), code, strHelper, filler, width); break;
        case kTypePolyline: appendGeneralRows(emitRow, lsPolyLines.items(), code, strHelper, filler, width); break;
        case kTypeArc: appendGeneralRows(emitRow, lsArcs.items(), code, strHelper, filler, width); break;
        case kTypeCircle: appendGeneralRows(emitRow, lsCircles.items(), code, strHelper, filler, width); break;
        case kTypeSolid: appendGeneralRows(emitRow, lsSolids.items(), code, strHelper, filler, width); break;
        case kTypeSolid3D: appendGeneralRows(emitRow, lsSolid3Ds.items(), code, strHelper, filler, width); break;
        case kTypePoint: appendGeneralRows(emitRow, lsPoints.items(), code, strHelper, filler, width); break;
        case kTypeMText: appendGeneralRows(emitRow, lsMultiTexts.items(), code, strHelper, filler, width); break;
        default: break;
        }
    }

    if (bCombine) {
        keepBlockIdsOf(blockIds, combiner.finish(lsColNames, strHelper.quantityItem.name, rows));
    } else if (bGroup) {
        const std::vector<std::u16string> totalCols =
            lsTotalCols.empty() ? std::vector<std::u16string>{strHelper.quantityItem.name} : lsTotalCols;
        keepBlockIdsOf(blockIds, ::GroupRows(rows, csGroupBy, totalCols));
    }

    lsTableRows = rows;
    mpBlockIds = blockIds;
    veTableDataOut = std::move(rows);
    lsBlockTbRecId = std::move(blockIds);
}

std::vector<std::u16string> ExtractionEngine::CombineRows(TableData& rows) const
{
    return ::CombineRows(rows, strHelper.quantityItem.name);
}

std::vector<std::u16string> ExtractionEngine::GroupRows(TableData& rows, const std::u16string& csGroupByIn,
                                                        const std::vector<std::u16string>& lsTotalCols) const
{
    return ::GroupRows(rows, csGroupByIn, lsTotalCols);
}
